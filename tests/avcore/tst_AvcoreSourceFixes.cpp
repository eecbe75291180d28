#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "AvcoreHarness.h"

namespace {

bool ffmpeg(const QStringList& args)
{
    return runTool("ffmpeg", QStringList{"-nostdin", "-v", "error", "-y"} + args) == 0;
}

QByteArray ffmpegLog(const QStringList& args)
{
    QProcess process;
    process.start("ffmpeg", QStringList{"-nostdin", "-hide_banner"} + args);
    process.waitForFinished(120000);
    return process.readAllStandardError();
}

double startOf(const QJsonObject& stream)
{
    return stream.value("start_time").toString().toDouble();
}

// Where the sound begins after the picture: the stream's start plus the
// silence in front of the tone.
double soundOnset(const QString& file)
{
    const Probe p = probe(file);
    const QByteArray log = ffmpegLog(
        {"-i", "file:" + file, "-vn", "-af", "silencedetect=n=-40dB:d=0.05", "-f", "null", "-"});
    static const QRegularExpression leading(
        "silence_start: 0\\b[^\\n]*\\n(?:.*\\n)*?.*silence_end: ([0-9.]+)");
    const QRegularExpressionMatch match = leading.match(QString::fromUtf8(log));
    const double silence = match.hasMatch() ? match.captured(1).toDouble() : 0;
    return startOf(p.audio.value(0)) + silence - startOf(p.video.value(0));
}

// ffmpeg's idet count over the whole file: {progressive, interlaced}.
std::pair<int, int> fieldCount(const QString& file)
{
    const QString log = QString::fromUtf8(
        ffmpegLog({"-i", "file:" + file, "-an", "-vf", "idet", "-f", "null", "-"}));
    static const QRegularExpression multi(
        "Multi frame detection: TFF: *(\\d+) BFF: *(\\d+) Progressive: *(\\d+)");
    const QRegularExpressionMatch m = multi.match(log);
    if (!m.hasMatch()) return {-1, -1};
    return {m.captured(3).toInt(), m.captured(1).toInt() + m.captured(2).toInt()};
}

}  // namespace

// The conversions as the profiles compose them, on small generated sources
// that show each fault: sound starting late, interlaced pictures, 60 fps,
// 10-bit 4:2:2 and a file without picture.
class TestAvcoreSourceFixes : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    harness::Run convert(const QString& source, const QString& args, const QString& output)
    {
        return harness::runAvcore(QStringList{"-i", source} + args.split(' ', Qt::SkipEmptyParts) +
                                  QStringList{output});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A transport stream whose sound starts 0.5 s after its picture.
        QVERIFY(
            ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=176x144:rate=25:duration=2", "-itsoffset",
                    "0.5", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=1.5",
                    "-c:v", "mpeg2video", "-c:a", "mp2", "file:" + path("late.ts")}));
        // Interlaced, top field first, flagged as such.
        QVERIFY(
            ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=50:duration=2", "-vf",
                    "tinterlace=mode=interleave_top,setfield=tff", "-c:v", "mpeg2video", "-q:v",
                    "2", "-flags", "+ilme+ildct", "-top", "1", "file:" + path("interlaced.ts")}));
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=176x144:rate=60:duration=1", "-c:v",
                        "mpeg4", "-q:v", "4", "file:" + path("60fps.mp4")}));
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=176x144:rate=25:duration=1", "-f",
                        "lavfi", "-i", "sine=duration=1", "-c:v", "prores_ks", "-pix_fmt",
                        "yuv422p10le", "-c:a", "pcm_s16le", "file:" + path("10bit.mov")}));
        QVERIFY(ffmpeg(
            {"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac", "file:" + path("sound.m4a")}));
    }

    void lateSound_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("ext");
        QTest::newRow("AVI") << "-y -f avi -vcodec msmpeg4 -b 1080k -acodec mp3 -ac 2 -ab 96 "
                                "-ar 22050"
                             << "avi";
        QTest::newRow("3GP AMR") << "-y -f 3gp -vcodec h263 -s 176x144 -b 144k -r 12.5 -aspect "
                                    "11:9 -acodec amr_nb -ac 1 -ar 8000 -ab 12"
                                 << "3gp";
        QTest::newRow("3GP AAC") << "-y -f 3gp -vcodec xvid -s 176x144 -b 96k -aspect 11:9 "
                                    "-acodec aac -ac 2 -ab 56 -ar 22050"
                                 << "3gp";
        QTest::newRow("WMV") << "-y -vcodec wmv2 -b 768k -acodec mp3 -ac 2 -ar 22050"
                             << "wmv";
    }

    void lateSound()
    {
        QFETCH(QString, args);
        QFETCH(QString, ext);
        const QString source = path("late.ts");
        const Probe in = probe(source);
        const double expected = startOf(in.audio.value(0)) - startOf(in.video.value(0));
        QVERIFY(expected > 0.45);
        const QString output = path(QString("late %1.%2").arg(QTest::currentDataTag(), ext));
        const harness::Run run = convert(source, args, output);
        QVERIFY2(run.exitCode == 0, run.console.constData());
        const double onset = soundOnset(output);
        QVERIFY2(
            qAbs(onset - expected) <= 0.04,
            qPrintable(QString("sound at %1 s, the source's at %2 s").arg(onset).arg(expected)));
    }

    void deinterlaced_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("ext");
        QTest::newRow("AVI") << "-y -f avi -vcodec msmpeg4 -b 1080k -an"
                             << "avi";
        QTest::newRow("MPEG-2") << "-y -vcodec mpeg2video -b 2496k -an"
                                << "mpg";
        QTest::newRow("PSP") << "-f psp -vcodec mpeg4 -bf 0 -b 691 -pix_fmt yuv420p -vf "
                                "scale=320:240,setsar=1 -r 30000/1001 -acodec aac -ac 2"
                             << "MP4";
    }

    // The source counts as interlaced; every output as progressive.
    void deinterlaced()
    {
        QFETCH(QString, args);
        QFETCH(QString, ext);
        const auto [sourceProgressive, sourceInterlaced] = fieldCount(path("interlaced.ts"));
        QVERIFY(sourceInterlaced > 4 * sourceProgressive);
        const QString output = path(QString("fields %1.%2").arg(QTest::currentDataTag(), ext));
        const harness::Run run = convert(path("interlaced.ts"), args, output);
        QVERIFY2(run.exitCode == 0, run.console.constData());
        const auto [progressive, interlaced] = fieldCount(output);
        QVERIFY2(
            progressive > 4 * interlaced,
            qPrintable(QString("%1 progressive, %2 interlaced").arg(progressive).arg(interlaced)));
        const QString order = probe(output).video.value(0).value("field_order").toString();
        QVERIFY2(order.isEmpty() || order == "progressive" || order == "unknown",
                 qPrintable(order));
    }

    void sourceRate_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("rates");  // the ones allowed
        QTest::newRow("AVI") << "-y -f avi -vcodec msmpeg4 -b 1080k -an"
                             << "avi"
                             << "60/1";
        QTest::newRow("WMV") << "-y -vcodec wmv2 -b 768k -an"
                             << "wmv"
                             << "60/1";
        const QString mpeg = "24000/1001 24/1 25/1 30000/1001 30/1 50/1 60000/1001 60/1";
        QTest::newRow("MPEG-1") << "-y -vcodec mpeg1video -b 1152k -an"
                                << "mpg" << mpeg;
        QTest::newRow("MPEG-2") << "-y -vcodec mpeg2video -b 2496k -an"
                                << "mpg" << mpeg;
        QTest::newRow("a chosen rate") << "-y -f avi -vcodec msmpeg4 -b 1080k -r 25 -an"
                                       << "avi"
                                       << "25/1";
    }

    void sourceRate()
    {
        QFETCH(QString, args);
        QFETCH(QString, ext);
        QFETCH(QString, rates);
        const QString output = path(QString("rate %1.%2").arg(QTest::currentDataTag(), ext));
        const harness::Run run = convert(path("60fps.mp4"), args, output);
        QVERIFY2(run.exitCode == 0, run.console.constData());
        const QString rate = probe(output).video.value(0).value("r_frame_rate").toString();
        QVERIFY2(rates.split(' ').contains(rate), qPrintable(rate));
    }

    void eightBit_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("ext");
        QTest::newRow("MOV") << "-y -f mov -vcodec h264 -b 1200k -ac 2 -ab 64 -ar 22050"
                             << "mov";
        QTest::newRow("MP4") << "-y -f mp4 -vcodec h264 -s 320x240 -b 1200k -acodec aac -ac 2 "
                                "-ab 64 -ar 22050"
                             << "mp4";
        QTest::newRow("3GP") << "-y -f 3gp -vcodec h264 -s 176x144 -b 144k -acodec aac -ac 2"
                             << "3gp";
        QTest::newRow("AVI") << "-y -f avi -vcodec h264 -b 1080k -acodec mp3 -ac 2 -ab 96 -ar "
                                "22050"
                             << "avi";
    }

    void eightBit()
    {
        QFETCH(QString, args);
        QFETCH(QString, ext);
        const QString output = path(QString("8 bit %1.%2").arg(QTest::currentDataTag(), ext));
        const harness::Run run = convert(path("10bit.mov"), args, output);
        QVERIFY2(run.exitCode == 0, run.console.constData());
        const QJsonObject video = probe(output).video.value(0);
        QCOMPARE(video.value("codec_name").toString(), QString("h264"));
        QCOMPARE(video.value("pix_fmt").toString(), QString("yuv420p"));
        QVERIFY2(!video.value("profile").toString().contains(QRegularExpression("10|4:")),
                 qPrintable(video.value("profile").toString()));
    }

    void noPicture_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("ext");
        QTest::newRow("PSP") << "-f psp -vcodec mpeg4 -bf 0 -b 691 -pix_fmt yuv420p -r 30000/1001 "
                                "-acodec aac -ac 2"
                             << "MP4";
        QTest::newRow("AVI") << "-y -f avi -vcodec msmpeg4 -b 1080k -acodec mp3"
                             << "avi";
    }

    // One clear line, exit 1, nothing written.
    void noPicture()
    {
        QFETCH(QString, args);
        QFETCH(QString, ext);
        const QString output = path(QString("no picture.%1").arg(ext));
        const harness::Run run = convert(path("sound.m4a"), args, output);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errorLines(),
                 QStringList{"Error: '" + path("sound.m4a") +
                             "' has no picture, so it cannot become a video; AAC, AC3, MP2, MP3, "
                             "AMR and WAV take sound alone"});
        QVERIFY(!QFile::exists(output));
        QVERIFY(harness::leftovers(m_dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAvcoreSourceFixes)
#include "tst_AvcoreSourceFixes.moc"
