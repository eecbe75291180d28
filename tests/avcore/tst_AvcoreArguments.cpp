#include <QTest>

#include "Arguments.h"
#include "ConsoleOutput.h"
#include "ScriptInput.h"

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

}  // namespace

class TestAvcoreArguments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The era's argument strings as the batch driver composes them, and the
    // ffmpeg call each becomes. "decoder" is the PCM run for AMR.
    void translation_data()
    {
        QTest::addColumn<QString>("legacy");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("decoder");

        const QString pcm8 = "-vn -sn -dn -ac 1 -ar 8000 -c:a pcm_s16le -f s16le pipe:1";
        const QString pcm16 = "-vn -sn -dn -ac 1 -ar 16000 -c:a pcm_s16le -f s16le pipe:1";

        QTest::newRow("avi defaults")
            << "-i in.avi -y -f avi -vcodec msmpeg4 -b 1080k -r 25 -acodec mp3 -ac 2 -ab 96 "
               "-ar 22050 out.avi"
            << "-i file:in.avi -f avi -c:v msmpeg4 -b:v 1080k -r 25 -c:a libmp3lame -ac 2 "
               "-b:a 96k -ar 22050 file:out.avi"
            << "";
        QTest::newRow("avi codecs renamed")
            << "-i in.avi -y -f avi -vcodec xvid -s 640x480 -b 768k -r 29.97 -aspect 16:9 "
               "-acodec mp2 -ac 1 -ab 128 -ar 48000 out.avi"
            << "-i file:in.avi -f avi -c:v libxvid -s 640x480 -b:v 768k -r 29.97 -aspect 16:9 "
               "-c:a mp2 -ac 1 -b:a 128k -ar 48000 file:out.avi"
            << "";
        QTest::newRow("avi h264 and pcm")
            << "-i in.avi -y -f avi -vcodec h264 -b 1080k -r 23.976 -acodec pcm_s16le -ac 2 "
               "-ar 44100 out.avi"
            << "-i file:in.avi -f avi -c:v libx264 -b:v 1080k -r 23.976 -c:a pcm_s16le -ac 2 "
               "-ar 44100 file:out.avi"
            << "";
        QTest::newRow("avi encoders of the same name")
            << "-i in.avi -y -f avi -vcodec msmpeg4v2 -vcodec h263 -vcodec h263p -vcodec mjpeg "
               "-vcodec svq1 -vcodec flv -acodec pcm_u8 -acodec ac3 out.avi"
            << "-i file:in.avi -f avi -c:v msmpeg4v2 -c:v h263 -c:v h263p -c:v mjpeg -c:v svq1 "
               "-c:v flv -c:a pcm_u8 -c:a ac3 file:out.avi"
            << "";
        QTest::newRow("huffyuv with strict and same quality")
            << "-i in.avi -y -f avi -sameq -vcodec ffvhuff -strict -2 -b 1080k -r 25 -an out.avi"
            << "-i file:in.avi -f avi -c:v ffvhuff -strict -2 -r 25 -an file:out.avi"
            << "";
        QTest::newRow("same quality h264")
            << "-i in.avi -y -f avi -sameq -vcodec h264 -b 1080k -r 25 -an out.avi"
            << "-i file:in.avi -f avi -c:v libx264 -r 25 -an -crf 18 file:out.avi"
            << "";
        QTest::newRow("same quality mpeg-2")
            << "-i in.avi -y -sameq -vcodec mpeg2video -b 2496k -r 29.97 -an out.mpg"
            << "-i file:in.avi -c:v mpeg2video -r 29.97 -an -q:v 2 file:out.mpg"
            << "";
        QTest::newRow("time control seeks the input")
            << "-i in.avi -y -f avi  -t 0:00:30.000 -ss 0:01:00.000 -vcodec msmpeg4 -b 1080k "
               "-r 25 -an out.avi"
            << "-ss 0:01:00.000 -i file:in.avi -f avi -t 0:00:30.000 -c:v msmpeg4 -b:v 1080k "
               "-r 25 -an file:out.avi"
            << "";
        QTest::newRow("mpeg time control first")
            << "-i in.avi  -t 0:00:10.000 -ss 0:00:05.000 -target pal-vcd out.mpg"
            << "-ss 0:00:05.000 -i file:in.avi -t 0:00:10.000 -target pal-vcd file:out.mpg"
            << "";
        QTest::newRow("dvd target with rates")
            << "-i in.avi -target pal-dvd -b 6000k -aspect 16:9 -ab 384 out.mpg"
            << "-i file:in.avi -target pal-dvd -b:v 6000k -aspect 16:9 -b:a 384k file:out.mpg"
            << "";
        for (const char* system : {"pal", "ntsc", "film"})
            for (const char* disc : {"vcd", "svcd", "dvd"}) {
                const QString target = QString("%1-%2").arg(system, disc);
                QTest::newRow(qPrintable("target " + target))
                    << "-i in.avi -target " + target + " out.mpg"
                    << "-i file:in.avi -target " + target + " file:out.mpg"
                    << "";
            }
        QTest::newRow("mp4")
            << "-i in.avi -y -f mp4 -vcodec h264 -s 320x240 -b 1200k -r 25 -acodec aac -ac 2 "
               "-ab 64 -ar 22050 out.mp4"
            << "-i file:in.avi -f mp4 -c:v libx264 -s 320x240 -b:v 1200k -r 25 -c:a aac -ac 2 "
               "-b:a 64k -ar 22050 file:out.mp4"
            << "";
        QTest::newRow("psp")
            << "-i in.avi -y -f psp -vcodec h264 -s 320x240 -b 1200k -r 25 -acodec aac -ac 2 "
               "-ab 64 -ar 48000 out.mp4"
            << "-i file:in.avi -f psp -c:v libx264 -s 320x240 -b:v 1200k -r 25 -c:a aac -ac 2 "
               "-b:a 64k -ar 48000 file:out.mp4"
            << "";
        QTest::newRow("3gp mpeg-4 is standard mpeg-4")
            << "-i in.avi -y -f 3gp -vcodec msmpeg4 -s 176x144 -b 144k -r 25 -aspect 11:9 "
               "-acodec aac -ac 2 -ab 56 -ar 22050 out.3gp"
            << "-i file:in.avi -f 3gp -c:v mpeg4 -s 176x144 -b:v 144k -r 25 -aspect 11:9 "
               "-c:a aac -ac 2 -b:a 56k -ar 22050 file:out.3gp"
            << "";
        QTest::newRow("3gp xvid without audio")
            << "-i in.avi -y -f 3gp -vcodec xvid -s 176x144 -b 96k -r 25 -aspect 11:9 -an out.3gp"
            << "-i file:in.avi -f 3gp -c:v libxvid -s 176x144 -b:v 96k -r 25 -aspect 11:9 -an "
               "file:out.3gp"
            << "";
        QTest::newRow("3gp h263 with amr narrow-band")
            << "-i in.avi -y -f 3gp -vcodec h263 -s 176x144 -b 144k -r 12.5 -aspect 11:9 "
               "-acodec amr_nb -ac 1 -ar 8000 -ab 13 out.3gp"
            << "-i file:in.avi -thread_queue_size 512 -f amr -i pipe:3 -f 3gp -c:v h263 -s 176x144 "
               "-b:v 144k -r 12.5 "
               "-aspect 11:9 -map 0:v? -map 1:a -c:a copy file:out.3gp"
            << "-i file:in.avi " + pcm8;
        QTest::newRow("3gp amr wide-band with time control")
            << "-i in.avi -y -f 3gp  -t 0:00:01.000 -ss 0:00:02.000 -vcodec msmpeg4 -b 144k "
               "-r 25 -aspect 11:9 -acodec amr_wb -ac 1 -ar 16000 -ab 24 out.3gp"
            << "-ss 0:00:02.000 -i file:in.avi -thread_queue_size 512 -f amr -i pipe:3 -f 3gp -t "
               "0:00:01.000 -c:v mpeg4 "
               "-b:v 144k -r 25 -aspect 11:9 -map 0:v? -map 1:a -c:a copy file:out.3gp"
            << "-ss 0:00:02.000 -i file:in.avi -t 0:00:01.000 " + pcm16;
        QTest::newRow("3gp without audio codec takes amr")
            << "-i in.avi -y -f 3gp -vcodec h263 -s 176x144 out.3gp"
            << "-i file:in.avi -thread_queue_size 512 -f amr -i pipe:3 -f 3gp -c:v h263 -s 176x144 "
               "-map 0:v? -map 1:a "
               "-c:a copy file:out.3gp"
            << "-i file:in.avi " + pcm8;
        QTest::newRow("mov aac without codec fragment")
            << "-i in.avi -y -f mov -vcodec svq1 -b 1200k -r 25 -ac 2 -ab 64 -ar 22050 out.mov"
            << "-i file:in.avi -f mov -c:v svq1 -b:v 1200k -r 25 -ac 2 -b:a 64k -ar 22050 "
               "file:out.mov"
            << "";
        QTest::newRow("mov pcm and a-law")
            << "-i in.avi -y -f mov -vcodec h263 -s 352x288 -b 1200k -r 25 -acodec pcm_alaw "
               "-acodec pcm_s16be -ac 2 -ar 22050 out.mov"
            << "-i file:in.avi -f mov -c:v h263 -s 352x288 -b:v 1200k -r 25 -c:a pcm_alaw "
               "-c:a pcm_s16be -ac 2 -ar 22050 file:out.mov"
            << "";
        QTest::newRow("mov amr")
            << "-i in.avi -y -f mov -vcodec h264 -b 1200k -r 25 -acodec amr_nb -ac 1 -ar 8000 "
               "-ab 8 out.mov"
            << "-i file:in.avi -thread_queue_size 512 -f amr -i pipe:3 -f mov -c:v libx264 -b:v "
               "1200k -r 25 -map 0:v? "
               "-map 1:a -c:a copy file:out.mov"
            << "-i file:in.avi " + pcm8;
        QTest::newRow("wmv without container option")
            << "-i in.avi -y -vcodec wmv2 -b 768k -r 25 -acodec mp3 -ac 2 -ar 22050 out.wmv"
            << "-i file:in.avi -c:v wmv2 -b:v 768k -r 25 -c:a libmp3lame -ac 2 -ar 22050 "
               "file:out.wmv"
            << "";
        QTest::newRow("rm order")
            << "-i in.avi -y -f rm -vcodec rv10 -b 768k -s 320x240 -r 25 -acodec ac3 -ac 2 "
               "-ar 48000 -ab 256 out.rm"
            << "-i file:in.avi -f rm -c:v rv10 -b:v 768k -s 320x240 -r 25 -c:a ac3 -ac 2 "
               "-ar 48000 -b:a 256k file:out.rm"
            << "";
        QTest::newRow("rm size rounded down to whole macroblocks")
            << "-i in.avi -y -f rm -vcodec rv10 -b 768k -s 640x360 -r 25 -an out.rm"
            << "-i file:in.avi -f rm -c:v rv10 -b:v 768k -s 640x352 -r 25 -an file:out.rm"
            << "";
        QTest::newRow("rm source size scaled to whole macroblocks")
            << "-i in.avi -y -f rm -vcodec rv10 -b 768k -r 25 -an out.rm"
            << "-i file:in.avi -f rm -c:v rv10 -b:v 768k -r 25 -an "
               "-vf scale=trunc(iw/16)*16:trunc(ih/16)*16 file:out.rm"
            << "";
        QTest::newRow("swf")
            << "-i in.avi -y -vcodec flv -b 768k -r 25 -acodec mp3 -ac 2 -ar 22050 out.swf"
            << "-i file:in.avi -c:v flv -b:v 768k -r 25 -c:a libmp3lame -ac 2 -ar 22050 "
               "file:out.swf"
            << "";
        QTest::newRow("vob six channels")
            << "-i in.avi -y -f vob -vcodec mpeg2video -s 720x576 -b 6000k -r 25 -aspect 5:4 "
               "-acodec ac3 -ab 256 -ac 5:1 -ar 48000 out.vob"
            << "-i file:in.avi -f vob -c:v mpeg2video -s 720x576 -b:v 6000k -r 25 -aspect 5:4 "
               "-c:a ac3 -b:a 256k -ac 6 -ar 48000 file:out.vob"
            << "";
        QTest::newRow("asf")
            << "-i in.avi -y -f asf -vcodec msmpeg4v2 -b 768k -r 25 -acodec mp3 -ac 2 -ab 64 "
               "-ar 22050 out.asf"
            << "-i file:in.avi -f asf -c:v msmpeg4v2 -b:v 768k -r 25 -c:a libmp3lame -ac 2 "
               "-b:a 64k -ar 22050 file:out.asf"
            << "";
        QTest::newRow("aac is adts")
            << "-i in.avi -y -f aac -vn -acodec aac -ac 2 -ab 128 -ar 44100 out.aac"
            << "-i file:in.avi -f adts -vn -c:a aac -ac 2 -b:a 128k -ar 44100 file:out.aac"
            << "";
        QTest::newRow("mpeg-1 and wmv7")
            << "-i in.avi -y -vcodec mpeg1video -vcodec wmv1 -an out.mpg"
            << "-i file:in.avi -c:v mpeg1video -c:v wmv1 -an file:out.mpg"
            << "";
        QTest::newRow("ac3 six channels without a bit rate")
            << "-i in.avi -y -f ac3 -vn -acodec ac3 -ab 256 -ac 5:1 -ar 48000 out.ac3"
            << "-i file:in.avi -f ac3 -vn -c:a ac3 -b:a 256k -ac 6 -ar 48000 file:out.ac3"
            << "";
        // Today's AC-3 encoder takes only 32000, 44100 and 48000 Hz.
        QTest::newRow("ac3 at a half rate")
            << "-i in.avi -y -f avi -vcodec msmpeg4 -b 1080k -r 25 -acodec ac3 -ac 2 -ar 22050 "
               "-ab 96 out.avi"
            << "-i file:in.avi -f avi -c:v msmpeg4 -b:v 1080k -r 25 -c:a ac3 -ac 2 -ar 32000 "
               "-b:a 96k file:out.avi"
            << "";
        QTest::newRow("ac3 rates it takes")
            << "-i in.avi -y -f rm -acodec ac3 -ac 1 -ar 44100 -ar 24000 -ar 48000 out.rm"
            << "-i file:in.avi -f rm -c:a ac3 -ac 1 -ar 44100 -ar 32000 -ar 48000 file:out.rm"
            << "";
        QTest::newRow("mp2")
            << "-i in.avi -y -f mp2 -vn -acodec mp2 -ac 2 -ab 160 -ar 44100 out.mp2"
            << "-i file:in.avi -f mp2 -vn -c:a mp2 -ac 2 -b:a 160k -ar 44100 file:out.mp2"
            << "";
        QTest::newRow("mp3")
            << "-i in.avi -y -f mp3 -vn -acodec mp3 -ac 1 -ab 32 -ar 22050 out.mp3"
            << "-i file:in.avi -f mp3 -vn -c:a libmp3lame -ac 1 -b:a 32k -ar 22050 file:out.mp3"
            << "";
        QTest::newRow("wav unsigned 8 bit")
            << "-i in.avi -y -f wav -vn -acodec pcm_u8 -ac 1 -ar 11025 out.wav"
            << "-i file:in.avi -f wav -vn -c:a pcm_u8 -ac 1 -ar 11025 file:out.wav"
            << "";
        QTest::newRow("amr file narrow-band")
            << "-i in.avi -y -f amr -vn -acodec amr_nb -ac 1 -ar 8000 -ab 13 out.amr"
            << "-i file:in.avi -vn " + pcm8 << "";
        QTest::newRow("amr file wide-band with time control")
            << "-i in.avi -y -f amr  -t 0:00:01.000 -ss 0:00:00.500 -vn -acodec amr_wb -ab 16 "
               "out.amr"
            << "-ss 0:00:00.500 -i file:in.avi -t 0:00:01.000 -vn " + pcm16 << "";
        QTest::newRow("plain numbers are kbit/s, large ones bit/s")
            << "-i in.avi -b 768 -ab 64 -b 500000 -ab 64000 -b 2M out.avi"
            << "-i file:in.avi -b:v 768k -b:a 64k -b:v 500000 -b:a 64000 -b:v 2M file:out.avi"
            << "";
        QTest::newRow("today's options pass unchanged")
            << "-y -i in.avi -c:v libx264 -profile:v baseline -level 30 -vframes 10 -b:a 96k "
               "-movflags +faststart -f mp4 out.mp4"
            << "-i file:in.avi -c:v libx264 -profile:v baseline -level 30 -vframes 10 -b:a 96k "
               "-movflags +faststart -f mp4 file:out.mp4"
            << "";
        QTest::newRow("unknown codec passes to ffmpeg")
            << "-i in.avi -y -vcodec nosuchcodec out.avi"
            << "-i file:in.avi -c:v nosuchcodec file:out.avi"
            << "";
        QTest::newRow("names that look like options") << "-i -in.avi -y -an -dash.avi"
                                                      << "-i file:-in.avi -an file:-dash.avi"
                                                      << "";
        QTest::newRow("absolute names, filter graphs and pipes")
            << "-i /tmp/clip.avi -y -f lavfi -i testsrc -map 0 -f nut -"
            << "-i file:/tmp/clip.avi -f lavfi -i testsrc -map 0 -f nut -"
            << "";
    }

    void translation()
    {
        QFETCH(QString, legacy);
        QFETCH(QString, expected);
        QFETCH(QString, decoder);
        const EncodePlan plan = TranslateArguments(Words(legacy));
        QCOMPARE(QString::fromStdString(plan.error), QString());
        QCOMPARE(Joined(plan.arguments), expected);
        QCOMPARE(Joined(plan.decoderArguments), decoder);
    }

    // The psp container takes no video without sound: the call that adds a
    // silent track, made when the input turns out to have none.
    void silenceForPsp_data()
    {
        QTest::addColumn<QString>("legacy");
        QTest::addColumn<QString>("expected");
        QTest::newRow("psp")
            << "-i in.avi -y -f psp -vcodec mpeg4 -acodec aac -ar 24000 out.mp4"
            << "-i file:in.avi -f lavfi -i anullsrc -f psp -c:v mpeg4 -c:a aac -ar 24000 "
               "-map 0:v:0 -map 1:a:0 -shortest file:out.mp4";
        QTest::newRow("the start seeks the real input")
            << "-i in.avi -y -f psp -ss 5 -t 2 out.mp4"
            << "-ss 5 -i file:in.avi -f lavfi -i anullsrc -f psp -t 2 -map 0:v:0 -map 1:a:0 "
               "-shortest file:out.mp4";
        QTest::newRow("sound switched off") << "-i in.avi -y -f psp -an out.mp4"
                                            << "";
        QTest::newRow("streams chosen by the caller") << "-i in.avi -f psp -map 0 out.mp4"
                                                      << "";
        QTest::newRow("other iso containers") << "-i in.avi -y -f mp4 out.mp4"
                                              << "";
    }

    void silenceForPsp()
    {
        QFETCH(QString, legacy);
        QFETCH(QString, expected);
        const EncodePlan plan = TranslateArguments(Words(legacy));
        QCOMPARE(QString::fromStdString(plan.error), QString());
        QCOMPARE(Joined(plan.withSilenceArguments), expected);
    }

    void givenUrlsReplaceNames()
    {
        const EncodePlan plan = TranslateArguments(Words("-i a.avs -y -f avi out.avi"),
                                                   {"file:/real/a.avi"}, "file:/out/.tmp.avi");
        QCOMPARE(Joined(plan.arguments), QString("-i file:/real/a.avi -f avi file:/out/.tmp.avi"));
        QCOMPARE(plan.inputs, std::vector<std::string>{"a.avs"});
        QCOMPARE(plan.output, std::string("out.avi"));
        QVERIFY(plan.overwrite);
        QVERIFY(!TranslateArguments(Words("-i a.avi b.avi")).overwrite);
    }

    void rejected_data()
    {
        QTest::addColumn<QString>("legacy");
        QTest::addColumn<QString>("cause");
        QTest::newRow("h263 size") << "-i in.avi -y -vcodec h263 -s 320x240 out.avi"
                                   << "picture size 320x240 is not allowed for H.263";
        QTest::newRow("amr sample rate") << "-i in.avi -y -f amr -acodec amr_nb -ar 44100 out.amr"
                                         << "8000 Hz mono";
        QTest::newRow("amr channels") << "-i in.avi -y -f amr -acodec amr_wb -ac 2 out.amr"
                                      << "16000 Hz mono";
        QTest::newRow("no input") << "-y -f avi out.avi"
                                  << "no input file";
        QTest::newRow("no output") << "-y -i in.avi"
                                   << "no output file";
        QTest::newRow("value missing before output") << "-i in.avi -y -ab out.avi"
                                                     << "option -ab needs a value";
        QTest::newRow("input name missing") << "-i"
                                            << "option -i needs a value";
        // Values no encoder can take; ffmpeg would run with them and succeed.
        QTest::newRow("video bit rate 0") << "-i in.avi -y -b 0 out.avi"
                                          << "video bit rate 0 is not above zero";
        QTest::newRow("video bit rate 0k") << "-i in.avi -y -b 0k out.avi"
                                           << "video bit rate 0k is not above zero";
        QTest::newRow("audio bit rate 0") << "-i in.avi -y -ab 0 out.mp3"
                                          << "audio bit rate 0 is not above zero";
        QTest::newRow("audio bit rate not a number") << "-i in.avi -y -ab loud out.mp3"
                                                     << "audio bit rate loud is not above zero";
        QTest::newRow("sample rate 0") << "-i in.avi -y -ar 0 out.mp3"
                                       << "sample rate 0 is not a number of Hz above zero";
        QTest::newRow("no channels") << "-i in.avi -y -ac 0 out.mp3"
                                     << "channel count 0 is not a number above zero";
        QTest::newRow("empty picture") << "-i in.avi -y -s 0x0 out.avi"
                                       << "picture size 0x0 is not WIDTHxHEIGHT above zero";
        QTest::newRow("negative start") << "-i in.avi -y -ss -5 out.avi"
                                        << "start position -5 is not a time from zero on";
        QTest::newRow("zero length") << "-i in.avi -y -t 0:00:00.000 out.avi"
                                     << "length 0:00:00.000 is not a time above zero";
        // Left without its value at the end, an option would be taken for the
        // output name.
        const QStringList valued{
            "-i",       "-f",      "-vcodec",    "-c:v",    "-codec:v", "-acodec",  "-c:a",
            "-codec:a", "-b",      "-b:v",       "-ab",     "-b:a",     "-ac",      "-ar",
            "-s",       "-ss",     "-t",         "-target", "-vf",      "-af",      "-r",
            "-pix_fmt", "-map",    "-profile:v", "-level",  "-maxrate", "-bufsize", "-vframes",
            "-q:v",     "-aspect", "-metadata"};
        for (const QString& option : valued)
            QTest::newRow(qPrintable("value missing at the end: " + option))
                << "-i in.avi -y " + option << "option " + option + " needs a value";
    }

    void rejected()
    {
        QFETCH(QString, legacy);
        QFETCH(QString, cause);
        const QString error = QString::fromStdString(TranslateArguments(Words(legacy)).error);
        QVERIFY2(error.startsWith("Error") && error.contains(cause), qPrintable(error));
    }

    void amrModes_data()
    {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<QString>("bitRate");
        QTest::addColumn<int>("bitsPerSecond");
        // The editors' ladders, in kbit/s: the nearest mode not above.
        const QList<QPair<int, int>> narrow{{8, 7950},   {9, 7950},   {10, 7950},
                                            {11, 10200}, {12, 10200}, {13, 12200}};
        for (const auto& [kbit, mode] : narrow)
            QTest::newRow(qPrintable(QString("nb %1").arg(kbit)))
                << false << QString::number(kbit) << mode;
        const QList<QPair<int, int>> wide{{7, 6600},   {9, 8850},   {13, 12650}, {16, 15850},
                                          {18, 15850}, {20, 19850}, {24, 23850}};
        for (const auto& [kbit, mode] : wide)
            QTest::newRow(qPrintable(QString("wb %1").arg(kbit)))
                << true << QString::number(kbit) << mode;
        QTest::newRow("below the lowest mode") << false << "2" << 4750;
        QTest::newRow("bit/s with unit") << false << "12.2k" << 12200;
        QTest::newRow("bit/s plain") << true << "23850" << 23850;
    }

    void amrModes()
    {
        QFETCH(bool, wide);
        QFETCH(QString, bitRate);
        QFETCH(int, bitsPerSecond);
        const QString codec = wide ? "amr_wb" : "amr_nb";
        const EncodePlan plan = TranslateArguments(
            Words("-i in.avi -y -f amr -acodec " + codec + " -ab " + bitRate + " out.amr"));
        QCOMPARE(AmrBitRate(plan.amr, plan.amrMode), bitsPerSecond);
        QVERIFY(plan.amrRawFile);
    }

    void scriptSource_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("source");
        QTest::newRow("plain") << QByteArray("DirectShowSource(\"/v/clip.avi\")\n")
                               << "/v/clip.avi";
        QTest::newRow("with options and other lines")
            << QByteArray(
                   "# made by clipforge\ndirectshowsource( \"/v/a b.wmv\", fps=25, "
                   "audio=true)\nConvertToYV12()\n")
            << "/v/a b.wmv";
        QTest::newRow("quote inside the name")
            << QByteArray("DirectShowSource(\"/v/say \"hi\" now.avi\")") << "/v/say \"hi\" now.avi";
        QTest::newRow("triple quotes")
            << QByteArray("DirectShowSource(\"\"\"/v/x\".avi\"\"\")") << "/v/x\".avi";
        QTest::newRow("relative to the script")
            << QByteArray("DirectShowSource(\"sub/c.avi\")") << "/prog/sub/c.avi";
        QTest::newRow("none") << QByteArray("AviSource(\"/v/c.avi\")") << "";
    }

    void scriptSource()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, source);
        QCOMPARE(QString::fromStdString(ScriptSource(script.toStdString(), "/prog/DirectShow.avs")),
                 source);
    }

    void consoleLines()
    {
        ConsoleRewriter rewriter;
        rewriter.addName("file:/out/.avcore-abc-x.avi", "/out/x\n.avi");
        const LogLine header =
            rewriter.rewrite("[info] Output #0, avi, to 'file:/out/.avcore-abc-x.avi':");
        QCOMPARE(header.level, LogLevel::Info);
        QCOMPARE(QString::fromStdString(header.text), QString("Output #0, avi, to '/out/x?.avi':"));
        const LogLine error = rewriter.rewrite(
            "[h263 @ 0x55] [error] The specified picture size of 320x240 is not valid for the "
            "H.263 codec.");
        QCOMPARE(error.level, LogLevel::Error);
        QCOMPARE(QString::fromStdString(
                     rewriter.describeFailure({error.text, "Conversion failed!"}, "x")),
                 QString("Error: picture size 320x240 is not allowed for H.263 (allowed: 128x96, "
                         "176x144, 352x288, 704x576, 1408x1152)"));
        QCOMPARE(QString::fromStdString(
                     rewriter.describeFailure({"Error initializing output stream 0:0 --",
                                               "[mp4 @ 0x1] Could not find tag for codec foo"},
                                              "x")),
                 QString("Error: mp4: Could not find tag for codec foo"));
        QCOMPARE(QString::fromStdString(rewriter.describeFailure({}, "Error: ffmpeg failed")),
                 QString("Error: ffmpeg failed"));
        QCOMPARE(QString::fromStdString(ConsoleRewriter::asNotice("Error while decoding")),
                 QString("Warning: Error while decoding"));
    }

    void progressLine()
    {
        ProgressReader reader;
        for (const char* line : {"frame=25", "fps=12.5", "out_time_us=1234567", "total_size=20480",
                                 "bitrate= 100.0kbits/s", "speed=2x"})
            QCOMPARE(reader.feed(line), std::string());
        QCOMPARE(QString::fromStdString(reader.feed("progress=continue")),
                 QString("frame=25 fps=12.5 size=20kB time=1.23 bitrate= 100.0kbits/s speed=2x\r"));
        reader.feed("out_time_us=N/A");
        QVERIFY(reader.feed("progress=end").find(" time=N/A ") != std::string::npos);
        reader.feed("out_time_us=-23000");
        QVERIFY(reader.feed("progress=end").find(" time=0.00 ") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(TestAvcoreArguments)
#include "tst_AvcoreArguments.moc"
