#include <QTest>

#include "Arguments.h"
#include "SourceAdaptation.h"
#include "SourceProbe.h"

using namespace avcore;

namespace {

std::vector<std::string> Words(const QString& text)
{
    std::vector<std::string> words;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts))
        words.push_back(word.toStdString());
    return words;
}

QString Joined(const std::vector<std::string>& words)
{
    QStringList list;
    for (const auto& word : words)
        list << QString::fromStdString(word);
    return list.join(' ');
}

// ffprobe's compact lines for one video and one sound stream.
QString Source(const QString& video, const QString& audio = "start_time=0.000000")
{
    QString text;
    if (!video.isEmpty())
        text +=
            "codec_type=video|codec_name=h264|width=320|height=240|pix_fmt=yuv420p|"
            "field_order=progressive|r_frame_rate=25/1|avg_frame_rate=25/1|"
            "start_time=0.000000|disposition:attached_pic=0|" +
            video + '\n';
    if (!audio.isEmpty())
        text += "codec_type=audio|codec_name=aac|sample_rate=48000|" + audio + '\n';
    return text;
}

}  // namespace

// How the output options follow the source: the facts come as ffprobe writes
// them, so their reading is checked with the decisions. Later keys of a line
// override the defaults of Source().
class TestAvcoreSourceAdaptation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void adapt_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("expected");  // the options, or the error line

        const QString avi = "-f avi -c:v msmpeg4 -b:v 1080k -c:a libmp3lame -ac 2 -ar 22050";
        const QString deint = "bwdif=mode=send_frame:parity=auto:deint=interlaced";
        QTest::newRow("nothing to adapt") << Source("x=1") << "avi" << avi << avi;
        QTest::newRow("facts unknown") << ""
                                       << "avi" << avi << avi;
        QTest::newRow("ffprobe's noise is no stream") << "[STREAM]\nx=1\n"
                                                      << "psp"
                                                      << "-f psp"
                                                      << "-f psp";

        // Interlacing: flagged by the stream, unknown, or kept on a DVD.
        QTest::newRow("interlaced")
            << Source("field_order=tt") << "avi" << avi << avi + " -vf " + deint;
        QTest::newRow("interlaced, bottom field first") << Source("field_order=bb") << "mpg"
                                                        << "-c:v mpeg2video"
                                                        << "-c:v mpeg2video -vf " + deint;
        QTest::newRow("deinterlaced before the given filters")
            << Source("field_order=tt") << "psp"
            << "-f psp -pix_fmt yuv420p -vf scale=320:240"
            << "-f psp -pix_fmt yuv420p -vf " + deint + ",scale=320:240";
        QTest::newRow("field order not said")
            << Source("field_order=unknown") << "avi" << avi << avi + " -vf idet," + deint;
        QTest::newRow("codec without fields")
            << Source("codec_name=vp9|field_order=") << "avi" << avi << avi;
        QTest::newRow("DVD at the source's size keeps its fields")
            << Source("codec_name=mpeg2video|width=720|height=576|field_order=tt") << "mpg"
            << "-target pal-dvd -b:v 6000k"
            << "-target pal-dvd -b:v 6000k -flags +ildct+ilme -top 1";
        QTest::newRow("DVD of another size is deinterlaced")
            << Source(
                   "codec_name=mpeg2video|width=720|height=480|r_frame_rate=30000/1001|"
                   "field_order=bb")
            << "mpg"
            << "-target pal-dvd"
            << "-target pal-dvd -vf " + deint;

        // Frame rates when none is chosen.
        QTest::newRow("60 fps kept")
            << Source("r_frame_rate=60/1|avg_frame_rate=60/1") << "avi" << avi << avi;
        QTest::newRow("120 fps halved")
            << Source("r_frame_rate=120/1|avg_frame_rate=120/1") << "wmv"
            << "-c:v wmv2 -b:v 768k"
            << "-c:v wmv2 -b:v 768k -r 60";
        QTest::newRow("variable rate in AVI")
            << Source("r_frame_rate=90000/1|avg_frame_rate=2997/100") << "avi" << avi
            << avi + " -r 30000/1001";
        QTest::newRow("variable rate in MP4 stays variable")
            << Source("r_frame_rate=90000/1|avg_frame_rate=2997/100") << "mp4"
            << "-c:v libx264"
            << "-c:v libx264";
        QTest::newRow("MPEG-1 at 60 fps")
            << Source("r_frame_rate=60/1|avg_frame_rate=60/1") << "mpg"
            << "-c:v mpeg1video"
            << "-c:v mpeg1video";
        QTest::newRow("MPEG-2 at 48 fps takes half")
            << Source("r_frame_rate=48/1|avg_frame_rate=48/1") << "mpg"
            << "-c:v mpeg2video"
            << "-c:v mpeg2video -r 24";
        QTest::newRow("MPEG-1 at 15 fps takes double")
            << Source("r_frame_rate=15/1|avg_frame_rate=15/1") << "mpg"
            << "-c:v mpeg1video"
            << "-c:v mpeg1video -r 30";
        QTest::newRow("MPEG-2 at 20 fps takes triple")
            << Source("r_frame_rate=20/1|avg_frame_rate=20/1") << "vob"
            << "-f vob"
            << "-f vob -r 60";
        QTest::newRow("MPEG-2 at 22 fps takes the lowest")
            << Source("r_frame_rate=22/1|avg_frame_rate=22/1") << "vob"
            << "-f vob"
            << "-f vob -r 24000/1001";
        QTest::newRow("MPEG-2 at 100 fps")
            << Source("r_frame_rate=100/1|avg_frame_rate=100/1") << "mpg"
            << "-c:v mpeg2video"
            << "-c:v mpeg2video -r 50";
        QTest::newRow("PSP at 60 fps") << Source("r_frame_rate=60/1|avg_frame_rate=60/1") << "psp"
                                       << "-f psp"
                                       << "-f psp -r 30000/1001";
        QTest::newRow("PSP at 50 fps") << Source("r_frame_rate=50/1|avg_frame_rate=50/1") << "psp"
                                       << "-f psp"
                                       << "-f psp -r 25";
        QTest::newRow("a chosen rate wins") << Source("r_frame_rate=120/1|avg_frame_rate=120/1")
                                            << "avi" << avi + " -r 25" << avi + " -r 25";
        QTest::newRow("a disc target sets its own")
            << Source("r_frame_rate=48/1|avg_frame_rate=48/1") << "mpg"
            << "-target pal-vcd"
            << "-target pal-vcd";

        // Pixel formats.
        QTest::newRow("10-bit to H.264") << Source("pix_fmt=yuv420p10le") << "mov"
                                         << "-f mov -c:v libx264"
                                         << "-f mov -c:v libx264 -pix_fmt yuv420p";
        QTest::newRow("4:4:4 to the container's own encoder") << Source("pix_fmt=yuv444p") << "mp4"
                                                              << "-f mp4"
                                                              << "-f mp4 -pix_fmt yuv420p";
        QTest::newRow("4:2:2 to MPEG-2") << Source("pix_fmt=yuv422p") << "mpg"
                                         << "-c:v mpeg2video"
                                         << "-c:v mpeg2video -pix_fmt yuv420p";
        QTest::newRow("a chosen pixel format wins") << Source("pix_fmt=yuv420p10le") << "mp4"
                                                    << "-c:v libx264 -pix_fmt yuv444p"
                                                    << "-c:v libx264 -pix_fmt yuv444p";
        QTest::newRow("4:2:0-only encoders need nothing")
            << Source("pix_fmt=yuv420p10le") << "avi" << avi << avi;
        QTest::newRow("stream copy is left alone")
            << Source("pix_fmt=yuv420p10le|field_order=tt") << "mp4"
            << "-c:v copy"
            << "-c:v copy";

        // Sound that starts after the picture.
        QTest::newRow("late sound in MP4")
            << Source("x=1", "start_time=0.500000") << "mp4"
            << "-c:v libx264 -c:a aac"
            << "-c:v libx264 -c:a aac -af aresample=async=1:first_pts=0";
        QTest::newRow("late sound in AVI, less the MP3 priming")
            << Source("start_time=1.400000", "start_time=1.900000") << "avi" << avi
            << avi + " -af aresample=async=1:first_pts=2405";
        QTest::newRow("late sound before the given filters")
            << Source("x=1", "start_time=0.500000") << "wmv"
            << "-c:a libmp3lame -af volume=2"
            << "-c:a libmp3lame -af aresample=async=1:first_pts=0,volume=2";
        QTest::newRow("sound a frame late is in step")
            << Source("x=1", "start_time=0.010000") << "avi" << avi << avi;
        QTest::newRow("late sound without picture out")
            << Source("x=1", "start_time=0.500000") << "mp3"
            << "-vn -c:a libmp3lame"
            << "-vn -c:a libmp3lame";

        // No picture.
        const QString refused =
            "Error: 'in.mp3' has no picture, so it cannot become a video; "
            "AAC, AC3, MP2, MP3, AMR and WAV take sound alone";
        QTest::newRow("sound only to PSP") << Source("") << "psp"
                                           << "-f psp -c:v mpeg4" << refused;
        QTest::newRow("sound only to WMV") << Source("") << "wmv"
                                           << "-c:v wmv2" << refused;
        QTest::newRow("cover art is no picture")
            << Source("disposition:attached_pic=1") << "avi" << avi << refused;
        QTest::newRow("sound only to a DVD") << Source("") << "dvd"
                                             << "-target pal-dvd" << refused;
        QTest::newRow("sound only to sound") << Source("") << "mp3"
                                             << "-vn -c:a libmp3lame"
                                             << "-vn -c:a libmp3lame";
    }

    void adapt()
    {
        QFETCH(QString, probe);
        QFETCH(QString, container);
        QFETCH(QString, options);
        QFETCH(QString, expected);
        const SourceFacts facts = ParseProbeOutput(probe.toStdString());
        const Adaptation adapted =
            AdaptToSource(Words(options), container.toStdString(), "in.mp3", facts);
        if (expected.startsWith("Error")) {
            QCOMPARE(QString::fromStdString(adapted.error), expected);
        } else {
            QCOMPARE(QString::fromStdString(adapted.error), QString());
            QCOMPARE(Joined(adapted.options), expected);
        }
    }

    // The AMR track is decoded apart: its decoding run gets the silence in
    // front, the muxing run (which copies the track) no sound filter.
    void lateSoundOfAnAmrTrack()
    {
        const SourceFacts facts =
            ParseProbeOutput(Source("start_time=1.000000", "start_time=1.500000").toStdString());
        const EncodePlan plan = TranslateArguments(
            Words("-i in.ts -y -f 3gp -vcodec h263 -s 176x144 -b 144k -r 12.5 -acodec amr_nb "
                  "-ac 1 -ar 8000 -ab 12 out.3gp"),
            {}, {}, facts);
        QCOMPARE(QString::fromStdString(plan.error), QString());
        QVERIFY2(Joined(plan.decoderArguments).contains("-af adelay=delays=24000S:all=1 "),
                 qPrintable(Joined(plan.decoderArguments)));
        QVERIFY(!Joined(plan.arguments).contains("-af"));

        // From 0.2 s on, 0.3 s of silence remain; from 0.6 s on, none.
        const auto decoder = [&facts](const char* start) {
            return Joined(
                TranslateArguments(
                    Words(QString("-i in.ts -y -ss %1 -f 3gp -acodec amr_nb out.3gp").arg(start)),
                    {}, {}, facts)
                    .decoderArguments);
        };
        QVERIFY(decoder("0:00:00.200").contains("adelay=delays=14400S:all=1"));
        QVERIFY(!decoder("0.6").contains("-af"));
    }

    void timeInSeconds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds");
        QTest::newRow("seconds") << "2.5" << 2.5;
        QTest::newRow("h:mm:ss.ff") << "1:02:03.250" << 3723.25;
        QTest::newRow("mm:ss") << "02:03" << 123.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("not a time") << "1:x" << 0.0;
        QTest::newRow("negative") << "-5" << 0.0;
    }

    void timeInSeconds()
    {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QCOMPARE(TimeInSeconds(text.toStdString()), seconds);
    }

    void findsFfprobeBesideFfmpeg()
    {
        QCOMPARE(QString::fromStdString(FindFfprobe("/usr/bin/ffmpeg", "")),
                 QString("/usr/bin/ffprobe"));
        QCOMPARE(QString::fromStdString(FindFfprobe("/nowhere/ffmpeg", "/nowhere:/usr/bin")),
                 QString("/usr/bin/ffprobe"));
        QCOMPARE(QString::fromStdString(FindFfprobe("/nowhere/ffmpeg", "/nowhere")), QString());
    }
};

QTEST_GUILESS_MAIN(TestAvcoreSourceAdaptation)
#include "tst_AvcoreSourceAdaptation.moc"
