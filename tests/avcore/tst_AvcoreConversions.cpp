#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "AvcoreHarness.h"

// Real conversions of a generated one-second clip, one row per container and
// codec choice the profiles can ask for; each result is checked with ffprobe.
// Built twice: the video formats, and the audio formats with the MPEG discs.
class TestAvcoreConversions : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;

    struct Expect {
        const char* name;
        const char* args;
        const char* ext;
        const char* format;  // ffprobe's format_name
        const char* brand;   // major brand of ISO files, else empty
        const char* video;   // codec, empty when no video stream may be there
        int width;
        int height;
        double fps;
        const char* audio;  // codec, empty when no audio stream may be there
        int channels;
        int sampleRate;
        int kbit;  // audio bit rate, 0 when the codec fixes none
    };

    static void add(const Expect& e)
    {
        QTest::newRow(e.name) << QString(e.args) << QString(e.ext) << QString(e.format)
                              << QString(e.brand) << QString(e.video) << e.width << e.height
                              << e.fps << QString(e.audio) << e.channels << e.sampleRate << e.kbit;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_clip = m_dir.filePath("clip.mp4");
        QVERIFY(harness::makeClip(m_clip));
    }

    void convert_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("video");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("fps");
        QTest::addColumn<QString>("audio");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<int>("kbit");

        const char* iso = "mov,mp4,m4a,3gp,3g2,mj2";
#ifdef AVCORE_GROUP_Video
        // AVI: every video codec entry and every audio codec entry.
        add({"avi divx mp2",
             "-y -f avi -vcodec msmpeg4 -b 1080k -r 25 -acodec mp2 -ac 2 -ab 96 -ar 22050", "avi",
             "avi", "", "msmpeg4v3", 176, 144, 25, "mp2", 2, 22050, 96});
        add({"avi xvid mp3",
             "-y -f avi -vcodec xvid -s 320x240 -b 768k -r 15 -acodec mp3 -ac 1 -ab 64 -ar 24000",
             "avi", "avi", "", "mpeg4", 320, 240, 15, "mp3", 1, 24000, 64});
        add({"avi ms-mpeg4-v2 pcm",
             "-y -f avi -vcodec msmpeg4v2 -b 1080k -r 25 -acodec pcm_s16le -ac 2 -ar 44100", "avi",
             "avi", "", "msmpeg4v2", 176, 144, 25, "pcm_s16le", 2, 44100, 0});
        add({"avi h263 pcm u8",
             "-y -f avi -vcodec h263 -s 352x288 -b 1080k -r 25 -aspect 4:3 -acodec pcm_u8 -ac 1 "
             "-ar 11025",
             "avi", "avi", "", "h263", 352, 288, 25, "pcm_u8", 1, 11025, 0});
        add({"avi h263+ ac3",
             "-y -f avi -vcodec h263p -s 320x240 -b 1080k -r 25 -acodec ac3 -ac 2 -ar 48000 -ab "
             "192",
             "avi", "avi", "", "h263", 320, 240, 25, "ac3", 2, 48000, 192});
        add({"avi ac3 at a half rate",
             "-y -f avi -vcodec msmpeg4 -b 1080k -r 25 -acodec ac3 -ac 2 -ar 22050 -ab 96", "avi",
             "avi", "", "msmpeg4v3", 176, 144, 25, "ac3", 2, 32000, 96});
        add({"avi h264 same quality", "-y -f avi -sameq -vcodec h264 -b 1080k -r 24 -an", "avi",
             "avi", "", "h264", 176, 144, 24, "", 0, 0, 0});
        add({"avi huffyuv", "-y -f avi -vcodec ffvhuff -strict -2 -b 1080k -r 25 -an", "avi", "avi",
             "", "ffvhuff", 176, 144, 25, "", 0, 0, 0});
        add({"avi m-jpeg", "-y -f avi -vcodec mjpeg -b 1080k -r 10 -an", "avi", "avi", "", "mjpeg",
             176, 144, 10, "", 0, 0, 0});
        add({"avi sorenson", "-y -f avi -vcodec svq1 -b 1080k -r 25 -an", "avi", "avi", "", "svq1",
             176, 144, 25, "", 0, 0, 0});
        add({"avi flash video", "-y -f avi -vcodec flv -b 1080k -r 29.97 -aspect 16:9 -an", "avi",
             "avi", "", "flv1", 176, 144, 29.97, "", 0, 0, 0});
        add({"avi time control",
             "-y -f avi  -t 0:00:00.500 -ss 0:00:00.200 -vcodec msmpeg4 -b 1080k -r 25 -an", "avi",
             "avi", "", "msmpeg4v3", 176, 144, 25, "", 0, 0, 0});
        // MP4 types.
        add({"mp4",
             "-y -f mp4 -vcodec h264 -s 320x240 -b 1200k -r 25 -acodec aac -ac 2 -ab 64 -ar 22050",
             "mp4", iso, "isom", "h264", 320, 240, 25, "aac", 2, 22050, 64});
        add({"mp4 psp",
             "-y -f psp -vcodec h264 -s 320x240 -b 1200k -r 25 -acodec aac -ac 2 -ab 64 -ar 48000",
             "mp4", iso, "MSNV", "h264", 320, 240, 25, "aac", 2, 48000, 64});
        // 3GP: both codec sets, AMR through avcore's own encoder.
        add({"3gp h263 amr-nb",
             "-y -f 3gp -vcodec h263 -s 176x144 -b 144k -r 12.5 -aspect 11:9 -acodec amr_nb -ac 1 "
             "-ar 8000 -ab 13",
             "3gp", iso, "3gp4", "h263", 176, 144, 12.5, "amr_nb", 1, 8000, 12});
        add({"3gp mpeg-4 amr-wb",
             "-y -f 3gp -vcodec msmpeg4 -s 176x144 -b 144k -r 25 -aspect 11:9 -acodec amr_wb -ac 1 "
             "-ar 16000 -ab 24",
             "3gp", iso, "3gp4", "mpeg4", 176, 144, 25, "amr_wb", 1, 16000, 24});
        add({"3gp xvid aac",
             "-y -f 3gp -vcodec xvid -s 176x144 -b 96k -r 25 -aspect 11:9 -acodec aac -ac 2 -ab 56 "
             "-ar 22050",
             "3gp", iso, "3gp4", "mpeg4", 176, 144, 25, "aac", 2, 22050, 56});
        // MOV: every video and audio entry.
        add({"mov sorenson aac", "-y -f mov -vcodec svq1 -b 1200k -r 25 -ac 2 -ab 64 -ar 22050",
             "mov", iso, "qt  ", "svq1", 176, 144, 25, "aac", 2, 22050, 64});
        add({"mov divx a-law",
             "-y -f mov -vcodec msmpeg4 -b 1200k -r 25 -acodec pcm_alaw -ac 2 -ar 22050", "mov",
             iso, "qt  ", "msmpeg4v3", 176, 144, 25, "pcm_alaw", 2, 22050, 0});
        add({"mov xvid amr",
             "-y -f mov -vcodec xvid -b 1200k -r 25 -acodec amr_nb -ac 1 -ar 8000 -ab 8", "mov",
             iso, "qt  ", "mpeg4", 176, 144, 25, "amr_nb", 1, 8000, 8});
        add({"mov h263 pcm",
             "-y -f mov -vcodec h263 -s 352x288 -b 1200k -r 25 -acodec pcm_s16le -ac 2 -ar 32000",
             "mov", iso, "qt  ", "h263", 352, 288, 25, "pcm_s16le", 2, 32000, 0});
        add({"mov h264 pcm big-endian",
             "-y -f mov -vcodec h264 -b 1200k -r 25 -acodec pcm_s16be -ac 1 -ar 16000", "mov", iso,
             "qt  ", "h264", 176, 144, 25, "pcm_s16be", 1, 16000, 0});
        // WMV (container from the name), RM, SWF, VOB, ASF.
        add({"wmv ms-mpeg4", "-y -vcodec msmpeg4 -b 768k -r 25 -acodec mp3 -ac 2 -ab 64 -ar 22050",
             "wmv", "asf", "", "msmpeg4v3", 176, 144, 25, "mp3", 2, 22050, 64});
        add({"wmv ms-mpeg4-v2", "-y -vcodec msmpeg4v2 -b 768k -r 25 -an", "wmv", "asf", "",
             "msmpeg4v2", 176, 144, 25, "", 0, 0, 0});
        add({"wmv7", "-y -vcodec wmv1 -b 768k -r 25 -acodec mp3 -ac 2 -ar 44100", "wmv", "asf", "",
             "wmv1", 176, 144, 25, "mp3", 2, 44100, 0});
        add({"wmv8", "-y -vcodec wmv2 -b 768k -r 25 -an", "wmv", "asf", "", "wmv2", 176, 144, 25,
             "", 0, 0, 0});
        add({"rm",
             "-y -f rm -vcodec rv10 -b 768k -s 320x240 -r 25 -acodec ac3 -ac 2 -ar 48000 -ab 256",
             "rm", "rm", "", "rv10", 320, 240, 25, "ac3", 2, 48000, 256});
        add({"rm size off the macroblock grid",
             "-y -f rm -vcodec rv10 -b 768k -s 330x250 -r 25 -acodec ac3 -ac 2 -ar 48000 -ab 256",
             "rm", "rm", "", "rv10", 320, 240, 25, "ac3", 2, 48000, 256});
        add({"swf", "-y -vcodec flv -b 768k -r 25 -acodec mp3 -ac 2 -ab 64 -ar 22050", "swf", "swf",
             "", "flv1", 176, 144, 25, "mp3", 2, 22050, 64});
        add({"vob mp2",
             "-y -f vob -vcodec mpeg2video -s 720x576 -b 6000k -r 25 -aspect 5:4 -acodec mp2 -ac 2 "
             "-ab 320 -ar 48000",
             "vob", "mpeg", "", "mpeg2video", 720, 576, 25, "mp2", 2, 48000, 320});
        add({"vob ac3 six channels",
             "-y -f vob -vcodec mpeg2video -s 720x576 -b 6000k -r 25 -aspect 5:4 -acodec ac3 -ab "
             "256 -ac 5:1 -ar 48000",
             "vob", "mpeg", "", "mpeg2video", 720, 576, 25, "ac3", 6, 48000, 256});
        add({"asf ms-mpeg4",
             "-y -f asf -vcodec msmpeg4 -b 768k -r 25 -acodec mp3 -ac 2 -ab 64 -ar 22050", "asf",
             "asf", "", "msmpeg4v3", 176, 144, 25, "mp3", 2, 22050, 64});
        add({"asf ms-mpeg4-v2",
             "-y -f asf -vcodec msmpeg4v2 -b 768k -r 25 -acodec mp3 -ac 1 -ab 32 -ar 22050", "asf",
             "asf", "", "msmpeg4v2", 176, 144, 25, "mp3", 1, 22050, 32});
#endif
#ifdef AVCORE_GROUP_Audio
        add({"aac", "-y -f aac -vn -acodec aac -ac 2 -ab 128 -ar 44100", "aac", "aac", "", "", 0, 0,
             0, "aac", 2, 44100, 128});
        add({"ac3", "-y -f ac3 -vn -acodec ac3 -ac 2 -ar 48000 -ab 384", "ac3", "ac3", "", "", 0, 0,
             0, "ac3", 2, 48000, 384});
        add({"ac3 six channels", "-y -f ac3 -vn -acodec ac3 -ab 256 -ac 5:1 -ar 48000", "ac3",
             "ac3", "", "", 0, 0, 0, "ac3", 6, 48000, 256});
        add({"mp2", "-y -f mp2 -vn -acodec mp2 -ac 2 -ab 160 -ar 44100", "mp2", "mp3", "", "", 0, 0,
             0, "mp2", 2, 44100, 160});
        add({"mp3", "-y -f mp3 -vn -acodec mp3 -ac 2 -ab 128 -ar 44100", "mp3", "mp3", "", "", 0, 0,
             0, "mp3", 2, 44100, 128});
        add({"amr narrow-band", "-y -f amr -vn -acodec amr_nb -ac 1 -ar 8000 -ab 13", "amr", "amr",
             "", "", 0, 0, 0, "amr_nb", 1, 8000, 12});
        add({"amr wide-band", "-y -f amr -vn -acodec amr_wb -ac 1 -ar 16000 -ab 13", "amr", "amr",
             "", "", 0, 0, 0, "amr_wb", 1, 16000, 13});
        add({"amr time control",
             "-y -f amr  -t 0:00:00.500 -ss 0:00:00.300 -vn -acodec amr_nb -ac 1 -ar 8000 -ab 10",
             "amr", "amr", "", "", 0, 0, 0, "amr_nb", 1, 8000, 8});
        add({"wav", "-y -f wav -vn -acodec pcm_s16le -ac 2 -ar 44100", "wav", "wav", "", "", 0, 0,
             0, "pcm_s16le", 2, 44100, 0});
        add({"wav unsigned 8 bit", "-y -f wav -vn -acodec pcm_u8 -ac 1 -ar 48000", "wav", "wav", "",
             "", 0, 0, 0, "pcm_u8", 1, 48000, 0});
        // MPEG free settings with each audio choice, then the disc targets.
        add({"mpeg-1 mp2",
             "-y -vcodec mpeg1video -b 1152k -r 25 -acodec mp2 -ac 2 -ab 160 -ar 44100", "mpg",
             "mpeg", "", "mpeg1video", 176, 144, 25, "mp2", 2, 44100, 160});
        add({"mpeg-1 mp3",
             "-y -vcodec mpeg1video -b 1152k -r 25 -acodec mp3 -ac 2 -ab 160 -ar 44100", "mpg",
             "mpeg", "", "mpeg1video", 176, 144, 25, "mp3", 2, 44100, 160});
        add({"mpeg-2 ac3",
             "-y -vcodec mpeg2video -b 2496k -r 29.97 -acodec ac3 -ac 2 -ar 48000 -ab 256", "mpg",
             "mpeg", "", "mpeg2video", 176, 144, 29.97, "ac3", 2, 48000, 256});
        add({"mpeg-2 mp2 same quality",
             "-y -sameq -vcodec mpeg2video -b 2496k -r 29.97 -acodec mp2 -ac 2 -ab 160 -ar 44100",
             "mpg", "mpeg", "", "mpeg2video", 176, 144, 29.97, "mp2", 2, 44100, 160});
        add({"mpeg-2 mp3",
             "-y -vcodec mpeg2video -b 2496k -r 25 -acodec mp3 -ac 1 -ab 96 -ar 48000", "mpg",
             "mpeg", "", "mpeg2video", 176, 144, 25, "mp3", 1, 48000, 96});
        add({"pal vcd", "-target pal-vcd", "mpg", "mpeg", "", "mpeg1video", 352, 288, 25, "mp2", 2,
             44100, 224});
        add({"ntsc vcd", "-target ntsc-vcd", "mpg", "mpeg", "", "mpeg1video", 352, 240, 29.97,
             "mp2", 2, 44100, 224});
        add({"film vcd", "-target film-vcd", "mpg", "mpeg", "", "mpeg1video", 352, 240, 23.976,
             "mp2", 2, 44100, 224});
        add({"pal svcd", "-target pal-svcd", "mpg", "mpeg", "", "mpeg2video", 480, 576, 25, "mp2",
             2, 44100, 224});
        add({"ntsc svcd", "-target ntsc-svcd", "mpg", "mpeg", "", "mpeg2video", 480, 480, 29.97,
             "mp2", 2, 44100, 224});
        add({"film svcd", "-target film-svcd", "mpg", "mpeg", "", "mpeg2video", 480, 480, 23.976,
             "mp2", 2, 44100, 224});
        add({"pal dvd", "-target pal-dvd -b 6000k -ab 384", "mpg", "mpeg", "", "mpeg2video", 720,
             576, 25, "ac3", 2, 48000, 384});
        add({"ntsc dvd", "-target ntsc-dvd -b 4600k -aspect 16:9 -ab 192", "mpg", "mpeg", "",
             "mpeg2video", 720, 480, 29.97, "ac3", 2, 48000, 192});
        add({"film dvd", "-target film-dvd", "mpg", "mpeg", "", "mpeg2video", 720, 480, 23.976,
             "ac3", 2, 48000, 448});
#endif
        Q_UNUSED(iso);
    }

    void convert()
    {
        QFETCH(QString, args);
        QFETCH(QString, ext);
        QFETCH(QString, format);
        QFETCH(QString, brand);
        QFETCH(QString, video);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, fps);
        QFETCH(QString, audio);
        QFETCH(int, channels);
        QFETCH(int, sampleRate);
        QFETCH(int, kbit);

        const QString stem = QString(QTest::currentDataTag()).replace(' ', '_');
        const QString output = m_dir.filePath(stem + '.' + ext);
        const harness::Run run = harness::runAvcore(
            QStringList{"-i", m_clip} + args.split(QLatin1Char(0x20), Qt::SkipEmptyParts) +
            QStringList{output});
        QVERIFY2(run.exitCode == 0, run.console.constData());
        QVERIFY2(run.errorLines().isEmpty(), run.console.constData());

        const Probe probe = ::probe(output);
        QVERIFY(probe.ok);
        QCOMPARE(probe.format.value("format_name").toString(), format);
        if (!brand.isEmpty())
            QCOMPARE(probe.format.value("tags").toObject().value("major_brand").toString(), brand);

        if (video.isEmpty()) {
            QVERIFY(probe.video.isEmpty());
        } else {
            QCOMPARE(probe.video.value(0).value("codec_name").toString(), video);
            QCOMPARE(probe.video.value(0).value("width").toInt(), width);
            QCOMPARE(probe.video.value(0).value("height").toInt(), height);
            const double actual = harness::rate(probe.video.value(0).value("r_frame_rate"));
            QVERIFY2(qAbs(actual - fps) < 0.01, qPrintable(QString::number(actual)));
        }

        if (audio.isEmpty()) {
            QVERIFY(probe.audio.isEmpty());
        } else {
            QCOMPARE(probe.audio.value(0).value("codec_name").toString(), audio);
            QCOMPARE(probe.audio.value(0).value("channels").toInt(), channels);
            QCOMPARE(probe.audio.value(0).value("sample_rate").toString().toInt(), sampleRate);
            if (kbit > 0) {
                // Containers report either the nominal rate or the measured one.
                QString measured = probe.audio.value(0).value("bit_rate").toString();
                if (measured.isEmpty()) measured = probe.format.value("bit_rate").toString();
                const double actual = measured.toDouble() / 1000;
                QVERIFY2(qAbs(actual - kbit) <= kbit * 0.25,
                         qPrintable(QString("%1 kbit/s").arg(actual)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestAvcoreConversions)
#include "tst_AvcoreConversions.moc"
