#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <cerrno>

#include "MediaTools.h"
#include "Mp4Boxes.h"
#include "Mp4VideoKind.h"
#include "TestFiles.h"

Q_DECLARE_METATYPE(Mp4VideoKind)

using namespace mp4;

namespace {

const QByteArray Moov = box("moov", track("vide", stsd(mpeg4Entry())));

// Many small top-level boxes before the movie: a walk without a bound on the
// boxes it reads would take one read per box of a huge file.
QByteArray manyBoxes(int count)
{
    QByteArray boxes;
    boxes.reserve(count * 8);
    for (int i = 0; i < count; ++i)
        boxes += box("free", {});
    return boxes;
}

}  // namespace

// Reads which kind of video an MP4 holds from its own sample description.
class TestMp4VideoKind : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void encodedClips_data();
    void encodedClips();
    void boxTrees_data();
    void boxTrees();
    void decoderFacts_data();
    void decoderFacts();
    void pspTitle_data();
    void pspTitle();
    void filesThatAreNoFiles_data();
    void filesThatAreNoFiles();

private:
    QTemporaryDir m_dir;
};

void TestMp4VideoKind::initTestCase() { QVERIFY(m_dir.isValid()); }

void TestMp4VideoKind::encodedClips_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<Mp4VideoKind>("kind");
    QTest::addColumn<QString>("codecName");

    QTest::newRow("MPEG-4 Part 2")
        << QStringList{"-c:v", "mpeg4", "-c:a", "aac"} << Mp4VideoKind::Mpeg4Part2 << QString();
    // ffmpeg writes the movie box after the media unless asked otherwise.
    QTest::newRow("AVC") << QStringList{"-c:v", "libx264", "-c:a", "aac"} << Mp4VideoKind::Avc
                         << QString();
    QTest::newRow("AVC with the movie box first")
        << QStringList{"-c:v", "libx264", "-an", "-movflags", "+faststart"} << Mp4VideoKind::Avc
        << QString();
    // Both share the MPEG-4 sample entry; only the object type tells them apart.
    QTest::newRow("Motion JPEG") << QStringList{"-c:v", "mjpeg", "-an"} << Mp4VideoKind::OtherCodec
                                 << "Motion JPEG";
    QTest::newRow("MPEG-2") << QStringList{"-c:v", "mpeg2video", "-an"} << Mp4VideoKind::OtherCodec
                            << "MPEG-2 video";
    QTest::newRow("sound only") << QStringList{"-vn", "-c:a", "aac"} << Mp4VideoKind::NoVideoTrack
                                << QString();
}

void TestMp4VideoKind::encodedClips()
{
    QFETCH(QStringList, options);
    QFETCH(Mp4VideoKind, kind);
    QFETCH(QString, codecName);

    const QString path = m_dir.path() + "/" + QTest::currentDataTag() + ".mp4";
    QVERIFY(makeClip(path, "64x48", options + QStringList{"-f", "mp4"}, "0.5"));
    const Mp4VideoProbe probe = ProbeMp4Video(path);
    QCOMPARE(probe.error, 0);
    QCOMPARE(probe.kind, kind);
    QCOMPARE(probe.codecName, codecName);
}

void TestMp4VideoKind::boxTrees_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Mp4VideoKind>("kind");
    QTest::addColumn<QString>("codecName");

    const auto video = [](const QByteArray& entry) {
        return QByteArray(ftyp() + box("moov", track("vide", stsd(entry))));
    };
    QTest::newRow("MPEG-4") << file(mpeg4Entry()) << Mp4VideoKind::Mpeg4Part2 << QString();
    QTest::newRow("avc1") << file(avcEntry()) << Mp4VideoKind::Avc << QString();
    QTest::newRow("avc3") << video(visualEntry("avc3")) << Mp4VideoKind::Avc << QString();
    QTest::newRow("HEVC") << video(visualEntry("hvc1")) << Mp4VideoKind::OtherCodec
                          << "HEVC (H.265)";
    QTest::newRow("unknown entry named by its characters")
        << video(visualEntry("zzz9")) << Mp4VideoKind::OtherCodec << "\"zzz9\"";
    QTest::newRow("unprintable entry named in hex")
        << video(visualEntry(QByteArray("\x01\x02\x03\x04", 4))) << Mp4VideoKind::OtherCodec
        << "0x01020304";
    QTest::newRow("esds with every optional field")
        << video(visualEntry("mp4v", box("btrt", QByteArray(12, '\0')) + esds(0x20, 0xe0)))
        << Mp4VideoKind::Mpeg4Part2 << QString();
    QTest::newRow("MPEG-1 in an MPEG-4 entry")
        << video(visualEntry("mp4v", esds(0x6a))) << Mp4VideoKind::OtherCodec << "MPEG-1 video";
    QTest::newRow("sound track first, video second")
        << QByteArray(ftyp() + box("moov", track("soun", stsd(box("mp4a", QByteArray(28, '\0')))) +
                                               track("vide", stsd(avcEntry()))))
        << Mp4VideoKind::Avc << QString();
    QTest::newRow("sound only")
        << QByteArray(ftyp() + box("moov", track("soun", stsd(box("mp4a", QByteArray(28, '\0'))))))
        << Mp4VideoKind::NoVideoTrack << QString();
    QTest::newRow("movie after the media")
        << QByteArray(ftyp() + box("mdat", QByteArray(5000, 'm')) + Moov)
        << Mp4VideoKind::Mpeg4Part2 << QString();
    QTest::newRow("64-bit sizes") << QByteArray(ftyp() + largeBox("mdat", QByteArray(300, 'm')) +
                                                largeBox("moov", track("vide", stsd(avcEntry()))))
                                  << Mp4VideoKind::Avc << QString();
    QTest::newRow("last box runs to the end (size 0)")
        << QByteArray(ftyp() + be32(0) + "moov" + track("vide", stsd(avcEntry())))
        << Mp4VideoKind::Avc << QString();
    QTest::newRow("many boxes before the movie, within bounds")
        << QByteArray(manyBoxes(50000) + Moov) << Mp4VideoKind::Mpeg4Part2 << QString();

    // Anything else reads as no MP4 at all, and never past the file.
    QTest::newRow("empty file") << QByteArray() << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("text") << QByteArray("just some words, no boxes\n") << Mp4VideoKind::NotMp4
                          << QString();
    QTest::newRow("no movie box") << QByteArray(ftyp() + box("mdat", "x")) << Mp4VideoKind::NotMp4
                                  << QString();
    QTest::newRow("cut inside the movie")
        << QByteArray(ftyp() + Moov).chopped(10) << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("cut inside a box header")
        << QByteArray(ftyp() + QByteArray("\0\0", 2)) << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("media larger than the file before the movie")
        << QByteArray(ftyp() + be32(100000) + "mdat" + Moov) << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("size smaller than its header")
        << QByteArray(ftyp() + be32(4) + "free" + Moov) << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("64-bit size near the largest number")
        << QByteArray(ftyp() + be32(1) + "mdat" + be64(~quint64(0)) + Moov) << Mp4VideoKind::NotMp4
        << QString();
    QTest::newRow("64-bit size cut short")
        << QByteArray(ftyp() + be32(1) + QByteArray("mdat\0\0", 6)) << Mp4VideoKind::NotMp4
        << QString();
    QTest::newRow("child larger than its parent")
        << QByteArray(ftyp() + box("moov", be32(5000) + "trak" + QByteArray(100, '\0')))
        << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("no sample entries")
        << QByteArray(ftyp() + box("moov", track("vide", stsd(QByteArray(), 0))))
        << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("MPEG-4 entry without esds")
        << video(visualEntry("mp4v")) << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("sample entry shorter than its fields")
        << video(box("mp4v", QByteArray(20, '\0'))) << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("esds descriptor longer than the box")
        << video(visualEntry("mp4v", fullBox("esds", QByteArray("\x03\x7f\0\x01\0", 5))))
        << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("esds length that never ends")
        << video(visualEntry("mp4v", fullBox("esds", QByteArray("\x03\xff\xff\xff\xff\x01", 6))))
        << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("video track without a handler")
        << QByteArray(ftyp() + box("moov", box("trak", box("mdia", box("minf", {})))))
        << Mp4VideoKind::NotMp4 << QString();
    QTest::newRow("too many boxes before the movie")
        << QByteArray(manyBoxes(150000) + Moov) << Mp4VideoKind::NotMp4 << QString();
}

void TestMp4VideoKind::boxTrees()
{
    QFETCH(QByteArray, content);
    QFETCH(Mp4VideoKind, kind);
    QFETCH(QString, codecName);

    const QString path = m_dir.path() + "/tree.mp4";
    writeFile(path, content);
    const Mp4VideoProbe probe = ProbeMp4Video(path);
    QCOMPARE(probe.error, 0);
    QCOMPARE(probe.kind, kind);
    QCOMPARE(probe.codecName, codecName);
}

// "width height fps profile level" as the probe reads them from an encoded
// clip or a box tree; MPEG-4 gives its profile and level indication, or
// "vol N" for the object type of a stream without a sequence header.
void TestMp4VideoKind::decoderFacts_data()
{
    QTest::addColumn<QStringList>("options");  // ffmpeg's; empty: content is the file
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("facts");

    const QStringList yuv{"-pix_fmt", "yuv420p"};
    QTest::newRow("encoded AVC Main at 60 fps")
        << (QStringList{"-c:v", "libx264", "-profile:v", "main", "-r", "60"} + yuv) << QByteArray()
        << "64 48 60 avc 77 10";
    QTest::newRow("encoded AVC High 4:4:4 from an RGB source")
        << QStringList{"-c:v", "libx264"} << QByteArray() << "64 48 25 avc 244 10";
    QTest::newRow("encoded MPEG-4 Simple")
        << QStringList{"-c:v", "mpeg4"} << QByteArray() << "64 48 25 mpeg4 0x1";
    QTest::newRow("encoded MPEG-4 with B-frames: Advanced Simple")
        << QStringList{"-c:v", "mpeg4", "-bf", "2"} << QByteArray() << "64 48 25 mpeg4 0xf1";

    QTest::newRow("AVC from its box tree")
        << QStringList() << file(avcEntry(100, 42, 1920, 1080), {}, 60000, 1000)
        << "1920 1080 60 avc 100 42";
    QTest::newRow("NTSC rate") << QStringList() << file(avcEntry(77, 30, 480, 272), {}, 30000, 1001)
                               << "480 272 29.97 avc 77 30";
    QTest::newRow("MPEG-4 without a sequence header: the layer's object type")
        << QStringList() << file(mpeg4Entry(320, 240, mpeg4Headers(-1, 17)), {}, 25, 1)
        << "320 240 25 mpeg4 vol 17";
    QTest::newRow("no timing, no avcC: unknown")
        << QStringList() << file(visualEntry("avc1", {}, 320, 240)) << "320 240 0 avc -1 -1";
    QTest::newRow("avcC cut short: unknown")
        << QStringList() << file(visualEntry("avc1", box("avcC", "\x01\x4d"), 64, 64))
        << "64 64 0 avc -1 -1";
    QTest::newRow("time-to-sample table longer than its box")
        << QStringList()
        << QByteArray(
               ftyp() +
               box("moov",
                   box("trak",
                       box("mdia",
                           fullBox("mdhd", be32(0) + be32(0) + be32(25) + be64(0)) +
                               fullBox("hdlr", be32(0) + "vide" + QByteArray(13, '\0')) +
                               box("minf", box("stbl", stsd(avcEntry()) +
                                                           fullBox("stts", be32(99) + be32(5) +
                                                                               be32(1))))))))
        << "320 240 25 avc 77 21";
}

void TestMp4VideoKind::decoderFacts()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, content);
    QFETCH(QString, facts);

    const QString path = m_dir.path() + "/facts.mp4";
    if (options.isEmpty())
        writeFile(path, content);
    else
        QVERIFY(makeClip(path, "64x48", options + QStringList{"-an", "-f", "mp4"}, "0.5"));
    const Mp4VideoProbe probe = ProbeMp4Video(path);
    QCOMPARE(probe.error, 0);
    QString got = QString::number(probe.width) + " " + QString::number(probe.height) + " " +
                  QString::number(probe.frameRate, 'g', 4) + " ";
    if (probe.kind == Mp4VideoKind::Avc)
        got += "avc " + QString::number(probe.avcProfile) + " " + QString::number(probe.avcLevel);
    else if (probe.kind == Mp4VideoKind::Mpeg4Part2 && probe.mpeg4ProfileLevel >= 0)
        got += "mpeg4 0x" + QString::number(probe.mpeg4ProfileLevel, 16);
    else if (probe.kind == Mp4VideoKind::Mpeg4Part2)
        got += "mpeg4 vol " + QString::number(probe.mpeg4ObjectType);
    else
        got += "other";
    QCOMPARE(got, facts);
}

void TestMp4VideoKind::pspTitle_data()
{
    QTest::addColumn<QByteArray>("content");  // empty: encoded by ffmpeg's psp muxer
    QTest::addColumn<QString>("title");

    const QByteArray movie = track("vide", stsd(mpeg4Entry()));
    QTest::newRow("written by the psp muxer") << QByteArray() << "Harbour at dusk \u00e9";
    QTest::newRow("header after the tracks")
        << QByteArray(ftyp() + box("moov", movie + pspHeader("Birthday \u30d3\u30c7\u30aa")))
        << "Birthday \u30d3\u30c7\u30aa";
    QTest::newRow("no header") << file(mpeg4Entry()) << QString();
    QTest::newRow("another uuid box")
        << QByteArray(ftyp() + box("moov", box("uuid", QByteArray(40, 'x')) + movie)) << QString();
    QTest::newRow("entry longer than its box")
        << QByteArray(ftyp() + box("moov", movie + pspHeader("cut", 400))) << QString();
    QTest::newRow("entry shorter than its fields")
        << QByteArray(ftyp() + box("moov", movie + pspHeader("short", 4))) << QString();
}

void TestMp4VideoKind::pspTitle()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, title);
    const QString path = m_dir.path() + "/titled.mp4";
    if (content.isEmpty())
        QVERIFY(makeClip(
            path, "320x240",
            {"-c:v", "mpeg4", "-c:a", "aac", "-metadata", "title=" + title, "-f", "psp"}, "0.3"));
    else
        writeFile(path, content);
    QCOMPARE(ReadPspTitle(path), title);
}

void TestMp4VideoKind::filesThatAreNoFiles_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("error");
    QTest::newRow("missing") << "missing" << ENOENT;
    QTest::newRow("folder") << "folder" << EISDIR;
    // Opened without blocking and refused: a pipe nobody writes would hang a read.
    QTest::newRow("pipe") << "pipe" << EINVAL;
}

void TestMp4VideoKind::filesThatAreNoFiles()
{
    QFETCH(QString, what);
    QFETCH(int, error);
    const QString path = m_dir.path() + "/" + what + ".mp4";
    if (what == "folder") QVERIFY(QDir().mkpath(path));
    if (what == "pipe") QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const Mp4VideoProbe probe = ProbeMp4Video(path);
    QCOMPARE(probe.error, error);
    QCOMPARE(probe.kind, Mp4VideoKind::NotMp4);
}

QTEST_GUILESS_MAIN(TestMp4VideoKind)
#include "tst_Mp4VideoKind.moc"
