#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <algorithm>
#include <functional>

#include "FullDisk.h"
#include "MediaTools.h"
#include "Mp4Boxes.h"
#include "SlowWrites.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "TransferJob.h"
#include "VideoStore.h"

namespace {

QStringList entryNames(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                               QDir::NoDotAndDotDot | QDir::System);
    names.sort();
    return names;
}

QStringList rowNames(const VideoList& list)
{
    QStringList names;
    for (int row = 0; row < list.count(); ++row)
        names.append(list.entry(row).thumbnailName);
    names.sort();
    return names;
}

class RecordingPrompts : public StorePrompts {
public:
    struct Message {
        QString text;
        Icon icon;
    };
    QList<Message> messages;
    QStringList questions;
    bool answer = true;

    void showMessage(const QString& text, Icon icon) override { messages.append({text, icon}); }
    bool askYesNo(const QString& text, const QString& caption) override
    {
        questions.append(caption + ": " + text);
        return answer;
    }
};

// A console drive with its two video folders, and a computer folder with videos.
struct Fixture {
    QTemporaryDir dir;
    QString drive = dir.path() + "/PSP";
    QString console = drive + "/MP_ROOT/100MNV01";
    QString avc = drive + "/MP_ROOT/100ANV01";
    QString pc = dir.path() + "/pc";

    Fixture()
    {
        QDir().mkpath(console);
        QDir().mkpath(avc);
        QDir().mkpath(pc);
    }

    // pc/name.MP4, an MPEG-4 video of size bytes, with name.THM beside it.
    QString addPcVideo(const QString& name, int size = 3000, const QString& mp4 = ".MP4",
                       const QString& thm = ".THM")
    {
        return addPcFile(name + mp4, mp4::fileOfSize(mp4::mpeg4Entry(), size), thm);
    }

    // pc/fileName with the content given and a thumbnail of that ending.
    QString addPcFile(const QString& fileName, const QByteArray& content,
                      const QString& thm = ".THM")
    {
        writeFile(pc + "/" + fileName, content);
        if (!thm.isEmpty()) writeFile(pc + "/" + fileName.chopped(4) + thm, jpegOf(Qt::red));
        return pc + "/" + fileName;
    }
};

QString systemText(int error) { return qt_error_string(error); }

bool s_privateNamespace = false;

// Makes folder read-only for this process, also for root: a read-only bind
// mount in a private mount namespace. False when that is not possible.
bool makeReadOnly(const QString& folder)
{
    if (::geteuid() != 0) return QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (!s_privateNamespace) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return false;
        s_privateNamespace = true;
    }
    const QByteArray path = QFile::encodeName(folder);
    return ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0 &&
           ::mount(nullptr, path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) ==
               0;
}

void undoReadOnly(const QString& folder)
{
    if (::geteuid() != 0)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    else
        ::umount(QFile::encodeName(folder).constData());
}

// Mounts file over itself, which makes removing it fail with EBUSY. Needs
// root, in the private mount namespace.
bool makeBusy(const QString& file)
{
    if (::geteuid() != 0) return false;
    if (!s_privateNamespace) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return false;
        s_privateNamespace = true;
    }
    const QByteArray path = QFile::encodeName(file);
    return ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0;
}

// The trash folders a file of that path can land in: the user's, and those at
// the top of the path's file system.
QStringList trashFolders(const QString& path)
{
    const QString top = QStorageInfo(QFileInfo(path).absolutePath()).rootPath();
    return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash",
            top + "/.Trash/" + QString::number(::getuid()),
            top + "/.Trash-" + QString::number(::getuid())};
}

// The content of the trashed file that was at path, taken out of the trash;
// a null array when no trash holds it.
QByteArray takeFromTrash(const QString& path)
{
    for (const QString& trash : trashFolders(path)) {
        const QStringList infos = QDir(trash + "/info").entryList({"*.trashinfo"}, QDir::Files);
        for (const QString& info : infos) {
            const QByteArray text = readFile(trash + "/info/" + info);
            if (!text.contains(QByteArray("\nPath=" + QUrl::toPercentEncoding(path, "/") + "\n")))
                continue;
            const QString file = trash + "/files/" + info.chopped(10);
            QByteArray content = readFile(file);
            if (content.isNull()) content = "";
            QFile::remove(file);
            QFile::remove(trash + "/info/" + info);
            return content;
        }
    }
    return {};
}

// A hook run at the given fsync(), counting from 1: the store syncs each copied
// file after writing its data and before giving it its name, which is where a
// console pulled out during a copy hurts most.
int s_syncsUntilHook = 0;
std::function<void()> s_syncHook;

}  // namespace

extern "C" int fsync(int fd)
{
    if (s_syncsUntilHook > 0 && --s_syncsUntilHook == 0) s_syncHook();
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

class TestVideoStore : public QObject {
    Q_OBJECT
    // The user's own trash, kept out of the tester's home.
    QTemporaryDir m_dataHome;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path())); }
    void findFreeVideoName_data();
    void findFreeVideoName();
    void emptyDriveMissingFolderAllTaken();
    void listVideos_data();
    void listVideos();
    void hugeVideoSize();
    void thumbnails();
    void transfer();
    void transferWithoutConsole();
    void transferByKind_data();
    void transferByKind();
    void transferCreatesFolders_data();
    void transferCreatesFolders();
    void transferFailures_data();
    void transferFailures();
    void transferToFullConsole();
    void transferToReadOnlyConsole();
    void consoleRemovedDuringCopy_data();
    void consoleRemovedDuringCopy();
    void videoWithoutThumbnail_data();
    void videoWithoutThumbnail();
    void stoppedMidCopy_data();
    void stoppedMidCopy();
    void jobCancelKeepsEarlierVideos();
    void jobReportsEveryVideo();
    void planTransfer_data();
    void planTransfer();
    void consoleSpace();
    void findVideoOnConsole();
    void transferLeavesOrphanThumbnailAndFolderAlone();
    void oddNames_data();
    void oddNames();
    void deleteVideos_data();
    void deleteVideos();
    void deleteFailuresComeBack_data();
    void deleteFailuresComeBack();
    void trashFailureKeepsTheVideo();
};

void TestVideoStore::findFreeVideoName_data()
{
    QTest::addColumn<bool>("avc");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("name");

    QTest::newRow("empty folder") << false << QStringList() << QStringList() << "M4V50001.MP4";
    QTest::newRow("case-insensitive, first gap")
        << false << QStringList{"m4v50001.mp4", "M4V50003.MP4"} << QStringList() << "M4V50002.MP4";
    // The pair's copy would replace or fail on either name.
    QTest::newRow("a thumbnail alone takes the number")
        << false << QStringList{"M4V50001.THM", "m4v50002.thm"} << QStringList() << "M4V50003.MP4";
    QTest::newRow("a folder named like a thumbnail takes the number")
        << false << QStringList{"M4V50002.MP4"} << QStringList{"M4V50001.THM"} << "M4V50003.MP4";
    QTest::newRow("names outside the scheme")
        << false << QStringList{"M4V5 001.MP4", "M4V50001.MP4.part", "xM4V50001.MP4",
                                "M4V50000.MP4", "M4V5001.MP4",       "M4V5000a.MP4"}
        << QStringList() << "M4V50001.MP4";
    QTest::newRow("a folder under the name takes it")
        << false << QStringList() << QStringList{"M4V50001.MP4"} << "M4V50002.MP4";
    QTest::newRow("last number free") << false << [] {
        QStringList names;
        for (int n = 1; n <= 9998; ++n)
            names.append(QString::asprintf("M4V5%04d.MP4", n));
        return names;
    }() << QStringList() << "M4V59999.MP4";
    QTest::newRow("AVC names do not count for MPEG-4")
        << false << QStringList{"MAQ50001.MP4"} << QStringList() << "M4V50001.MP4";
    QTest::newRow("AVC: empty folder") << true << QStringList() << QStringList() << "MAQ50001.MP4";
    QTest::newRow("AVC: case-insensitive, first gap")
        << true << QStringList{"maq50001.mp4", "MAQ50003.MP4", "MAQ50004.THM"} << QStringList()
        << "MAQ50002.MP4";
    QTest::newRow("AVC: MPEG-4 names do not count")
        << true << QStringList{"M4V50001.MP4", "MAQ5001.MP4"} << QStringList() << "MAQ50001.MP4";
}

void TestVideoStore::findFreeVideoName()
{
    QFETCH(bool, avc);
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, name);

    Fixture f;
    const QString folder = avc ? f.avc : f.console;
    for (const QString& file : files)
        writeFile(folder + "/" + file, "x");
    for (const QString& sub : folders)
        QDir().mkpath(folder + "/" + sub);
    QCOMPARE(FindFreeVideoName(f.drive, avc ? ConsoleFolder::Avc : ConsoleFolder::Mpeg4),
             std::optional<QString>(folder + "/" + name));
}

void TestVideoStore::emptyDriveMissingFolderAllTaken()
{
    Fixture f;
    QCOMPARE(FindFreeVideoName(QString()), std::nullopt);
    // A missing video folder: the first name, the copy fails later.
    QCOMPARE(FindFreeVideoName(f.dir.path() + "/other"),
             std::optional<QString>(f.dir.path() + "/other/MP_ROOT/100MNV01/M4V50001.MP4"));
    for (int n = 1; n <= 9999; ++n)
        writeFile(f.console + QString::asprintf("/M4V5%04d.mp4", n), QByteArray());
    QCOMPARE(FindFreeVideoName(f.drive), std::nullopt);

    MemoryVideoList console;
    RecordingPrompts prompts;
    QVERIFY(!TransferVideo(f.addPcVideo("clip"), f.drive, true, console, prompts));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, QString("Error: Could not create an output path."));
    QCOMPARE(prompts.messages[0].icon, StorePrompts::Icon::None);
    QCOMPARE(entryNames(f.console).size(), 9999);
}

void TestVideoStore::listVideos_data()
{
    // "name|MP4 size (-1: none, pipe: a named pipe)|thumbnail ending|MP4 ending"
    QTest::addColumn<QStringList>("videos");
    QTest::addColumn<QStringList>("rows");  // "thumbnail name|MP4 name|size text"

    QTest::newRow("sizes") << QStringList{"a|512|.THM|.MP4", "b|513|.THM|.MP4", "c|1536|.THM|.MP4",
                                          "d|1537|.THM|.MP4", "e|0|.THM|.MP4"}
                           << QStringList{"a.THM|a.MP4|0 KB", "b.THM|b.MP4|1 KB",
                                          "c.THM|c.MP4|1 KB", "d.THM|d.MP4|2 KB",
                                          "e.THM|e.MP4|0 KB"};
    QTest::newRow("names in any case")
        << QStringList{"low|2048|.thm|.mp4", "mix|4096|.Thm|.Mp4"}
        << QStringList{"low.thm|low.mp4|2 KB", "mix.Thm|mix.Mp4|4 KB"};
    QTest::newRow("exact MP4 name preferred")
        << QStringList{"v|1024|.THM|.MP4", "v|4096|.THM|.mp4"} << QStringList{"v.THM|v.MP4|1 KB"};
    QTest::newRow("missing MP4 shows 0 KB")
        << QStringList{"alone|-1|.THM|.MP4"} << QStringList{"alone.THM|alone.MP4|0 KB"};
    QTest::newRow("pipe under the MP4's name shows 0 KB")
        << QStringList{"piped|pipe|.THM|.MP4"} << QStringList{"piped.THM|piped.MP4|0 KB"};
    // Seen, so that it can be copied and deleted like any other.
    QTest::newRow("MP4 without thumbnail listed")
        << QStringList{"bare|2048||.MP4", "x|1024|.THM|.MP4", "Low|10||.mp4"}
        << QStringList{"Low.THM|Low.mp4|0 KB", "bare.THM|bare.MP4|2 KB", "x.THM|x.MP4|1 KB"};
}

void TestVideoStore::listVideos()
{
    QFETCH(QStringList, videos);
    QFETCH(QStringList, rows);

    Fixture f;
    for (const QString& video : videos) {
        const QStringList parts = video.split('|');
        if (!parts[2].isEmpty()) writeFile(f.pc + "/" + parts[0] + parts[2], "no image");
        const QString mp4 = f.pc + "/" + parts[0] + parts[3];
        if (parts[1] == "pipe")
            QVERIFY(::mkfifo(QFile::encodeName(mp4).constData(), 0600) == 0);
        else if (parts[1].toInt() >= 0)
            writeFile(mp4, QByteArray(parts[1].toInt(), 'v'));
    }
    // Neither a folder named like a thumbnail nor a pipe is a video.
    QDir().mkpath(f.pc + "/folder.THM");
    QVERIFY(::mkfifo(QFile::encodeName(f.pc + "/pipe.THM").constData(), 0600) == 0);

    MemoryVideoList list;
    list.appendEntry(MakeVideoEntry(f.pc + "/stale.THM", QString()));
    ListVideos(f.pc, list);
    QStringList got;
    for (int row = 0; row < list.count(); ++row) {
        const VideoEntry& e = list.entry(row);
        got.append(e.thumbnailName + "|" + e.mp4Name + "|" + e.sizeText);
        QCOMPARE(e.thumbnailPath, f.pc + "/" + e.thumbnailName);
        QCOMPARE(e.mp4Path, f.pc + "/" + e.mp4Name);
        QCOMPARE(e.note, QString());
    }
    got.sort();
    QCOMPARE(got, rows);
}

void TestVideoStore::hugeVideoSize()
{
    Fixture f;
    const qint64 size = (qint64(4) << 30) + 1537;
    writeFile(f.pc + "/big.THM", "x");
    QFile big(f.pc + "/big.MP4");
    QVERIFY(big.open(QIODevice::WriteOnly));
    if (!big.resize(size)) QSKIP("no sparse files here");
    big.close();
    QCOMPARE(MakeVideoEntry(f.pc + "/big.THM", QString()).sizeText, QString("4194306 KB"));
}

void TestVideoStore::thumbnails()
{
    Fixture f;
    writeFile(f.pc + "/red.THM", jpegOf(Qt::red));
    QImage wide(300, 20, QImage::Format_ARGB32);
    wide.fill(QColor(0, 0, 255, 255));
    wide.save(f.pc + "/blue.THM", "PNG");
    writeFile(f.pc + "/text.THM", "not an image at all");

    const auto check = [&](const QString& name, QColor color) {
        const QImage image = MakeVideoEntry(f.pc + "/" + name, QString()).thumbnail;
        QCOMPARE(image.size(), QSize(40, 40));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        for (const QPoint p : {QPoint(0, 0), QPoint(20, 20), QPoint(39, 39)}) {
            const QColor c = image.pixelColor(p);
            QVERIFY2(qAbs(c.red() - color.red()) < 16 && qAbs(c.green() - color.green()) < 16 &&
                         qAbs(c.blue() - color.blue()) < 16,
                     qPrintable(name + ": " + c.name()));
        }
    };
    check("red.THM", Qt::red);
    // Stretched over the whole square, proportions not kept.
    check("blue.THM", Qt::blue);
    check("text.THM", Qt::white);
    check("missing.THM", Qt::white);
}

void TestVideoStore::transfer()
{
    Fixture f;
    writeFile(f.console + "/M4V50001.MP4", "existing");
    writeFile(f.console + "/M4V50001.THM", "existing");
    const QString mp4 = f.addPcVideo("clip", 5000);
    writeFile(f.pc + "/lower.mp4", mp4::file(mp4::mpeg4Entry(), "lower"));
    writeFile(f.pc + "/lower.THM", "lower thumbnail");
    writeFile(f.pc + "/upper.MP4", mp4::file(mp4::mpeg4Entry(), "upper"));
    writeFile(f.pc + "/upper.thm", "upper thumbnail");

    MemoryVideoList console;
    RecordingPrompts prompts;
    QVERIFY(TransferVideo(mp4, f.drive, true, console, prompts));
    QVERIFY(TransferVideo(f.pc + "/lower.mp4", f.drive, true, console, prompts));
    QVERIFY(TransferVideo(f.pc + "/upper.MP4", f.drive, true, console, prompts));
    QCOMPARE(prompts.messages.size(), 0);

    QCOMPARE(entryNames(f.console),
             QStringList({"M4V50001.MP4", "M4V50001.THM", "M4V50002.MP4", "M4V50002.THM",
                          "M4V50003.MP4", "M4V50003.THM", "M4V50004.MP4", "M4V50004.THM"}));
    QCOMPARE(readFile(f.console + "/M4V50001.MP4"), QByteArray("existing"));
    QCOMPARE(readFile(f.console + "/M4V50002.MP4"), readFile(mp4));
    QCOMPARE(readFile(f.console + "/M4V50002.THM"), readFile(f.pc + "/clip.THM"));
    QCOMPARE(readFile(f.console + "/M4V50003.THM"), QByteArray("lower thumbnail"));
    QCOMPARE(readFile(f.console + "/M4V50004.THM"), QByteArray("upper thumbnail"));
    // The sources stay.
    QCOMPARE(readFile(mp4).size(), 5000);

    QCOMPARE(console.count(), 3);
    const VideoEntry& row = console.entry(0);
    QCOMPARE(row.thumbnailPath, f.console + "/M4V50002.THM");
    QCOMPARE(row.mp4Path, f.console + "/M4V50002.MP4");
    QCOMPARE(row.mp4Name, QString("M4V50002.MP4"));
    QCOMPARE(row.sizeText, QString("5 KB"));
    QVERIFY(row.thumbnail.pixelColor(20, 20).red() > 200);
}

void TestVideoStore::transferWithoutConsole()
{
    Fixture f;
    MemoryVideoList console;
    RecordingPrompts prompts;
    QVERIFY(!TransferVideo(f.addPcVideo("clip"), f.drive, false, console, prompts));
    QCOMPARE(prompts.messages.size(), 0);
    QCOMPARE(entryNames(f.console), QStringList());
    QCOMPARE(console.count(), 0);
}

void TestVideoStore::transferByKind_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("copiedTo");  // below the drive; empty: refused
    QTest::addColumn<QString>("why");       // the refusal's reason

    QTest::newRow("MPEG-4 to 100MNV01")
        << mp4::file(mp4::mpeg4Entry(), "mpeg4") << "MP_ROOT/100MNV01/M4V50002.MP4" << QString();
    QTest::newRow("AVC to 100ANV01, numbered there")
        << mp4::file(mp4::avcEntry(), "avc") << "MP_ROOT/100ANV01/MAQ50002.MP4" << QString();
    const QString avcLimits =
        "; the PSP plays AVC of Baseline or Main profile up to level 3.0, "
        "480x272 and 30 fps.";
    const QString mpeg4Limits =
        "; the PSP plays MPEG-4 of Simple profile up to 320x240 and 30 fps.";
    QTest::newRow("1080p60 High AVC refused")
        << mp4::file(mp4::avcEntry(100, 42, 1920, 1080), "hd", 60000, 1000) << QString()
        << "Its video is AVC High profile level 4.2, 1920x1080 at 60 fps" + avcLimits;
    QTest::newRow("full-screen AVC at the NTSC rate accepted")
        << mp4::file(mp4::avcEntry(77, 30, 480, 272), "wide", 30000, 1001)
        << "MP_ROOT/100ANV01/MAQ50002.MP4" << QString();
    QTest::newRow("Baseline AVC accepted")
        << mp4::file(mp4::avcEntry(66, 21, 320, 240), "base", 25, 1)
        << "MP_ROOT/100ANV01/MAQ50002.MP4" << QString();
    QTest::newRow("AVC above level 3.0 refused")
        << mp4::file(mp4::avcEntry(77, 31, 480, 272), "l31") << QString()
        << "Its video is AVC Main profile level 3.1, 480x272" + avcLimits;
    QTest::newRow("AVC taller than the screen refused")
        << mp4::file(mp4::avcEntry(77, 30, 272, 480)) << QString()
        << "Its video is AVC Main profile level 3.0, 272x480" + avcLimits;
    QTest::newRow("AVC at 50 fps refused")
        << mp4::file(mp4::avcEntry(77, 30, 320, 240), "fast", 50, 1) << QString()
        << "Its video is AVC Main profile level 3.0, 320x240 at 50 fps" + avcLimits;
    QTest::newRow("MPEG-4 larger than 320x240 refused")
        << mp4::file(mp4::mpeg4Entry(640, 480), "vga", 25, 1) << QString()
        << "Its video is MPEG-4 Simple profile, 640x480 at 25 fps" + mpeg4Limits;
    QTest::newRow("MPEG-4 Advanced Simple refused")
        << mp4::file(mp4::mpeg4Entry(320, 240, mp4::mpeg4Headers(0xf1, 17))) << QString()
        << "Its video is MPEG-4 Advanced Simple profile, 320x240" + mpeg4Limits;
    QTest::newRow("HEVC refused")
        << mp4::file(mp4::visualEntry("hvc1"), "hevc") << QString()
        << "Its video is HEVC (H.265); the PSP shows only MPEG-4 and AVC (H.264) video.";
    QTest::newRow("Motion JPEG in an MPEG-4 entry refused")
        << mp4::file(mp4::visualEntry("mp4v", mp4::esds(0x6c)), "mjpeg") << QString()
        << "Its video is Motion JPEG; the PSP shows only MPEG-4 and AVC (H.264) video.";
    QTest::newRow("sound only refused")
        << QByteArray(mp4::ftyp() +
                      mp4::box("moov", mp4::track("soun", mp4::stsd(mp4::box("mp4a", "")))))
        << QString() << "It holds no video track, so the PSP could not show it.";
    QTest::newRow("not an MP4 refused")
        << QByteArray("RIFF....AVI LIST") << QString()
        << "It is not a readable MP4 video, so the PSP could not show it.";
}

void TestVideoStore::transferByKind()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, copiedTo);
    QFETCH(QString, why);

    Fixture f;
    writeFile(f.console + "/M4V50001.MP4", "old");
    writeFile(f.console + "/M4V50001.THM", "old");
    writeFile(f.avc + "/maq50001.mp4", "old");
    writeFile(f.avc + "/maq50001.thm", "old");
    const QStringList before = entryNames(f.console) + entryNames(f.avc);
    const QString source = f.addPcFile("clip.MP4", content);

    MemoryVideoList console;
    RecordingPrompts prompts;
    QCOMPARE(TransferVideo(source, f.drive, true, console, prompts), why.isEmpty());
    if (!why.isEmpty()) {
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(prompts.messages[0].text,
                 "Could not transfer file " + source + " to PSP!\n" + why);
        QCOMPARE(prompts.messages[0].icon, StorePrompts::Icon::Exclamation);
        QCOMPARE(entryNames(f.console) + entryNames(f.avc), before);
        QCOMPARE(console.count(), 0);
        return;
    }
    QCOMPARE(prompts.messages.size(), 0);
    const QString target = f.drive + "/" + copiedTo;
    QCOMPARE(readFile(target), content);
    QCOMPARE(readFile(target.chopped(4) + ".THM"), readFile(f.pc + "/clip.THM"));
    QCOMPARE(entryNames(f.console).size() + entryNames(f.avc).size(), before.size() + 2);
    QCOMPARE(console.count(), 1);
    QCOMPARE(console.entry(0).mp4Path, target);

    // The console list shows both folders, the MPEG-4 one first.
    ListConsoleVideos(f.drive, console);
    QStringList folders;
    QStringList rows;
    for (int row = 0; row < console.count(); ++row) {
        folders << QFileInfo(console.entry(row).thumbnailPath).dir().dirName();
        rows << folders.last() + "/" + console.entry(row).mp4Name;
    }
    const qsizetype mpeg4Rows = folders.count("100MNV01");
    QCOMPARE(folders, QStringList(mpeg4Rows, "100MNV01") +
                          QStringList(folders.size() - mpeg4Rows, "100ANV01"));
    rows.sort(Qt::CaseInsensitive);
    QStringList expected{
        "100MNV01/M4V50001.MP4", "100ANV01/maq50001.mp4",
        QFileInfo(copiedTo).dir().dirName() + "/" + QFileInfo(copiedTo).fileName()};
    expected.sort(Qt::CaseInsensitive);
    QCOMPARE(rows, expected);
}

void TestVideoStore::transferCreatesFolders_data()
{
    QTest::addColumn<QStringList>("existing");  // folders below the drive
    QTest::addColumn<bool>("avc");
    QTest::addColumn<QString>("copiedTo");
    QTest::addColumn<QStringList>("driveAfter");  // entries of the drive and of its MP_ROOT

    QTest::newRow("fresh memory stick, MPEG-4")
        << QStringList() << false << "MP_ROOT/100MNV01/M4V50001.MP4"
        << QStringList{"MP_ROOT", "MP_ROOT/100MNV01"};
    QTest::newRow("fresh memory stick, AVC")
        << QStringList() << true << "MP_ROOT/100ANV01/MAQ50001.MP4"
        << QStringList{"MP_ROOT", "MP_ROOT/100ANV01"};
    QTest::newRow("MP_ROOT with the MPEG-4 folder only, AVC")
        << QStringList{"MP_ROOT/100MNV01"} << true << "MP_ROOT/100ANV01/MAQ50001.MP4"
        << QStringList{"MP_ROOT", "MP_ROOT/100ANV01", "MP_ROOT/100MNV01"};
    QTest::newRow("folders in another case are used")
        << QStringList{"mp_root/100anv01"} << true << "mp_root/100anv01/MAQ50001.MP4"
        << QStringList{"mp_root", "mp_root/100anv01"};
}

void TestVideoStore::transferCreatesFolders()
{
    QFETCH(QStringList, existing);
    QFETCH(bool, avc);
    QFETCH(QString, copiedTo);
    QFETCH(QStringList, driveAfter);

    Fixture f;
    QVERIFY(QDir(f.drive + "/MP_ROOT").removeRecursively());
    for (const QString& folder : existing)
        QVERIFY(QDir().mkpath(f.drive + "/" + folder));
    const QString source =
        f.addPcFile("clip.MP4", mp4::file(avc ? mp4::avcEntry() : mp4::mpeg4Entry(), "x"));

    MemoryVideoList console;
    RecordingPrompts prompts;
    QVERIFY(TransferVideo(source, f.drive, true, console, prompts));
    QCOMPARE(prompts.messages.size(), 0);
    QCOMPARE(readFile(f.drive + "/" + copiedTo), readFile(source));
    QVERIFY(QFileInfo::exists(f.drive + "/" + copiedTo.chopped(4) + ".THM"));
    QStringList entries;
    for (const QString& top : entryNames(f.drive)) {
        entries << top;
        for (const QString& below : entryNames(f.drive + "/" + top))
            entries << top + "/" + below;
    }
    QCOMPARE(entries, driveAfter);
    ListConsoleVideos(f.drive, console);
    QCOMPARE(console.count(), 1);
    QCOMPARE(console.entry(0).mp4Path, f.drive + "/" + copiedTo);
}

void TestVideoStore::transferFailures_data()
{
    QTest::addColumn<QString>("case_");
    QTest::addColumn<QString>("failedFile");  // relative to the pc folder
    QTest::addColumn<int>("error");
    QTest::addColumn<QStringList>("consoleAfter");

    QTest::newRow("console gone, its folder not made again")
        << "noDrive"
        << "clip.MP4" << ENOENT << QStringList();
    QTest::newRow("source missing") << "noSource"
                                    << "gone.MP4" << ENOENT << QStringList();
    QTest::newRow("source is a folder") << "folderSource"
                                        << "dir.MP4" << EISDIR << QStringList();
}

void TestVideoStore::transferFailures()
{
    QFETCH(QString, case_);
    QFETCH(QString, failedFile);
    QFETCH(int, error);
    QFETCH(QStringList, consoleAfter);

    Fixture f;
    QString mp4 = f.addPcVideo("clip");
    if (case_ == "noDrive") QVERIFY(QDir(f.drive).removeRecursively());
    if (case_ == "noSource") mp4 = f.pc + "/gone.MP4";
    if (case_ == "folderSource") {
        mp4 = f.pc + "/dir.MP4";
        QDir().mkpath(mp4);
    }

    MemoryVideoList console;
    RecordingPrompts prompts;
    QVERIFY(!TransferVideo(mp4, f.drive, true, console, prompts));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, "Could not transfer file " + f.pc + "/" + failedFile +
                                           " to PSP!\n" + systemText(error));
    QCOMPARE(prompts.messages[0].icon, StorePrompts::Icon::Exclamation);
    QCOMPARE(console.count(), 0);
    QCOMPARE(entryNames(f.console), consoleAfter);
    QCOMPARE(QFileInfo::exists(f.drive), case_ != "noDrive");
}

void TestVideoStore::transferToFullConsole()
{
    Fixture f;
    writeFile(f.console + "/M4V50001.MP4", "kept");
    writeFile(f.console + "/M4V50001.THM", "kept");
    const QString mp4 = f.addPcVideo("clip", 256 * 1024);

    MemoryVideoList console;
    RecordingPrompts prompts;
    bool copied = false;
    {
        const FullDisk full(64 * 1024);
        copied = TransferVideo(mp4, f.drive, true, console, prompts);
    }

    QVERIFY(!copied);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text,
             "Could not transfer file " + mp4 + " to PSP!\n" + systemText(EFBIG));
    // No partial file, nothing replaced.
    QCOMPARE(entryNames(f.console), QStringList({"M4V50001.MP4", "M4V50001.THM"}));
    QCOMPARE(readFile(f.console + "/M4V50001.MP4"), QByteArray("kept"));
    QCOMPARE(console.count(), 0);
}

void TestVideoStore::transferToReadOnlyConsole()
{
    Fixture f;
    const QString mp4 = f.addPcVideo("clip");
    if (!makeReadOnly(f.console)) QSKIP("cannot make a folder read-only here");
    MemoryVideoList console;
    RecordingPrompts prompts;
    const bool copied = TransferVideo(mp4, f.drive, true, console, prompts);
    undoReadOnly(f.console);

    QVERIFY(!copied);
    QCOMPARE(prompts.messages.size(), 1);
    const int error = ::geteuid() == 0 ? EROFS : EACCES;
    QCOMPARE(prompts.messages[0].text,
             "Could not transfer file " + mp4 + " to PSP!\n" + systemText(error));
    QCOMPARE(entryNames(f.console), QStringList());
}

void TestVideoStore::consoleRemovedDuringCopy_data()
{
    QTest::addColumn<int>("sync");
    QTest::addColumn<QString>("failedFile");
    QTest::newRow("while the video is copied") << 1 << "clip.MP4";
    QTest::newRow("while the thumbnail is copied") << 2 << "clip.THM";
}

void TestVideoStore::consoleRemovedDuringCopy()
{
    QFETCH(int, sync);
    QFETCH(QString, failedFile);

    Fixture f;
    const QString mp4 = f.addPcVideo("clip");
    s_syncHook = [&f] { QDir(f.drive).removeRecursively(); };
    s_syncsUntilHook = sync;
    MemoryVideoList console;
    RecordingPrompts prompts;
    const bool copied = TransferVideo(mp4, f.drive, true, console, prompts);
    const bool hookRan = s_syncsUntilHook == 0;
    s_syncsUntilHook = 0;

    QVERIFY(hookRan);
    QVERIFY(!copied);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, "Could not transfer file " + f.pc + "/" + failedFile +
                                           " to PSP!\n" + systemText(ENOENT));
    QCOMPARE(console.count(), 0);
    QVERIFY(!QFileInfo::exists(f.drive));
}

void TestVideoStore::videoWithoutThumbnail_data()
{
    QTest::addColumn<QString>("source");  // "boxes": a box tree only, "clip": encoded by ffmpeg
    QTest::addColumn<bool>("ffmpeg");
    QTest::addColumn<QString>("note");  // <v> the video

    QTest::newRow("thumbnail made from the first picture") << "clip" << true << QString();
    QTest::newRow("no picture to make it from: copied without, said")
        << "boxes" << true
        << "<v> has no thumbnail and was copied without one: ffmpeg could not read a picture "
           "from it.";
    QTest::newRow("no ffmpeg: copied without, said")
        << "clip" << false
        << "<v> has no thumbnail and was copied without one: ffmpeg, which makes thumbnails, is "
           "not installed.";
}

void TestVideoStore::videoWithoutThumbnail()
{
    QFETCH(QString, source);
    QFETCH(bool, ffmpeg);
    QFETCH(QString, note);

    Fixture f;
    writeFile(f.console + "/M4V50001.MP4", "earlier");
    writeFile(f.console + "/M4V50001.THM", "earlier");
    const QString mp4 = f.pc + "/-odd 'name'.MP4";
    if (source == "clip")
        QVERIFY(makeClip(mp4, "176x144", {"-c:v", "mpeg4", "-an", "-f", "mp4"}, "0.4"));
    else
        writeFile(mp4, mp4::file(mp4::mpeg4Entry(), "no pictures"));
    if (!ffmpeg) qputenv("CLIPFORGE_FFMPEG", QFile::encodeName(f.dir.path() + "/no-ffmpeg"));
    MemoryVideoList console;
    RecordingPrompts prompts;
    const bool copied = TransferVideo(mp4, f.drive, true, console, prompts);
    qunsetenv("CLIPFORGE_FFMPEG");

    QVERIFY(copied);
    QCOMPARE(readFile(f.console + "/M4V50002.MP4"), readFile(mp4));
    QCOMPARE(console.count(), 1);
    QCOMPARE(console.entry(0).mp4Path, f.console + "/M4V50002.MP4");
    if (note.isEmpty()) {
        QCOMPARE(prompts.messages.size(), 0);
        const QImage thumbnail(f.console + "/M4V50002.THM", "JPEG");
        QCOMPARE(thumbnail.size(), QSize(160, 120));
        QCOMPARE(entryNames(f.console).size(), 4);
        return;
    }
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, note.replace("<v>", mp4));
    // Nothing half-made left beside it; the video is listed all the same.
    QCOMPARE(entryNames(f.console), QStringList({"M4V50001.MP4", "M4V50001.THM", "M4V50002.MP4"}));
    ListConsoleVideos(f.drive, console);
    QCOMPARE(rowNames(console), QStringList({"M4V50001.THM", "M4V50002.THM"}));
}

// Stops or unplugs after the given bytes of the copy.
class StoppingMonitor : public CopyMonitor {
public:
    qint64 copied = 0;
    qint64 stopAt = 0;
    std::function<void()> atStop;  // null: cancel
    bool cancel = false;

    bool cancelRequested() const override { return cancel; }
    void bytesCopied(qint64 bytes) override
    {
        const bool before = copied < stopAt;
        copied += bytes;
        if (!before || copied < stopAt) return;
        if (atStop)
            atStop();
        else
            cancel = true;
    }
};

void TestVideoStore::stoppedMidCopy_data()
{
    QTest::addColumn<bool>("unplug");
    QTest::addColumn<qint64>("stopAt");
    QTest::newRow("cancelled in the video") << false << qint64(1 << 20);
    QTest::newRow("cancelled in the thumbnail") << false << qint64(3 << 20) + 1;
    QTest::newRow("unplugged in the video") << true << qint64(1 << 20);
}

void TestVideoStore::stoppedMidCopy()
{
    QFETCH(bool, unplug);
    QFETCH(qint64, stopAt);

    Fixture f;
    writeFile(f.console + "/M4V50001.MP4", "earlier");
    writeFile(f.console + "/M4V50001.THM", "earlier");
    const QString mp4 = f.addPcVideo("clip", 3 << 20);
    StoppingMonitor monitor;
    monitor.stopAt = stopAt;
    if (unplug) monitor.atStop = [&f] { QDir(f.drive).removeRecursively(); };
    const VideoCopyResult result = CopyVideoToConsole(mp4, f.drive, &monitor);

    QVERIFY(!result.copied);
    QCOMPARE(result.cancelled, !unplug);
    QVERIFY(monitor.copied >= stopAt);
    if (unplug) {
        // Reported, and no folder made again on the pulled-out drive.
        QCOMPARE(result.message,
                 "Could not transfer file " + mp4 + " to PSP!\n" + systemText(ENOENT));
        QVERIFY(!QFileInfo::exists(f.drive));
        return;
    }
    // No partial file and no video without thumbnail; the earlier one stays.
    QCOMPARE(entryNames(f.console), QStringList({"M4V50001.MP4", "M4V50001.THM"}));
    QCOMPARE(readFile(f.console + "/M4V50001.MP4"), QByteArray("earlier"));
}

void TestVideoStore::jobCancelKeepsEarlierVideos()
{
    Fixture f;
    const QStringList sources{f.addPcVideo("one", 2 << 20), f.addPcVideo("two", 4 << 20),
                              f.addPcVideo("three", 1000)};
    // About 20 MB/s, a USB 2.0 stick's pace: the second video takes long
    // enough to be cancelled in.
    slowWriteBytesPerSecond = 20'000'000;
    TransferJob job(sources, f.drive);
    QList<int> finished;
    QList<VideoCopyResult> results;
    connect(&job, &TransferJob::videoFinished, this, [&](int index, const VideoCopyResult& result) {
        finished << index;
        results << result;
    });
    connect(&job, &TransferJob::progressed, this, [&job](const TransferProgress& progress) {
        if (progress.fileIndex == 1 && progress.fileDone > 0) job.cancel();
    });
    QSignalSpy done(&job, &TransferJob::transferFinished);
    job.start();
    const bool ended = done.wait(60000);
    slowWriteBytesPerSecond = 0;

    QVERIFY(ended);
    QCOMPARE(done.first().first().toBool(), true);
    QCOMPARE(finished, QList<int>({0, 1}));
    QVERIFY(results[0].copied);
    QVERIFY(!results[1].copied);
    QVERIFY(results[1].cancelled);
    QCOMPARE(entryNames(f.console), QStringList({"M4V50001.MP4", "M4V50001.THM"}));
    QCOMPARE(readFile(f.console + "/M4V50001.MP4"), readFile(sources[0]));
}

void TestVideoStore::jobReportsEveryVideo()
{
    Fixture f;
    const QStringList sources{f.addPcVideo("one", 3000), f.pc + "/missing.MP4",
                              f.addPcVideo("two", 2 << 20)};
    TransferJob job(sources, f.drive);
    QList<VideoCopyResult> results;
    TransferProgress last;
    connect(&job, &TransferJob::videoFinished, this,
            [&](int, const VideoCopyResult& result) { results << result; });
    connect(&job, &TransferJob::progressed, this,
            [&last](const TransferProgress& progress) { last = progress; });
    QSignalSpy done(&job, &TransferJob::transferFinished);
    job.start();
    QVERIFY(done.wait(60000));

    QCOMPARE(done.first().first().toBool(), false);
    QCOMPARE(results.size(), 3);
    QVERIFY(results[0].copied && !results[1].copied && results[2].copied);
    QCOMPARE(results[1].message,
             "Could not transfer file " + f.pc + "/missing.MP4 to PSP!\n" + systemText(ENOENT));
    QCOMPARE(results[2].consoleThumbnail, f.console + "/M4V50002.THM");
    // The whole transfer's bytes: both videos with their thumbnails.
    const qint64 total = 3000 + (2 << 20) + 2 * readFile(f.pc + "/one.THM").size();
    QCOMPARE(last.totalSize, total);
    QCOMPARE(last.totalDone, total);
    QCOMPARE(last.fileCount, 3);
}

void TestVideoStore::planTransfer_data()
{
    QTest::addColumn<bool>("fat");
    QTest::addColumn<qint64>("freeBytes");     // -1: the drive could not be asked
    QTest::addColumn<QList<qint64>>("sizes");  // of the MP4s v0, v1, ...; thumbnails 1000 bytes
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<int>("refused");
    QTest::addColumn<qint64>("needed");
    QTest::addColumn<QString>("noRoom");

    const qint64 fourGiB = qint64(4) << 30;
    // Clusters of 4096 bytes: a 1000-byte thumbnail takes one whole.
    QTest::newRow("room for all") << true << qint64(1 << 20) << QList<qint64>{5000, 100}
                                  << QStringList{"v0", "v1"} << 0
                                  << qint64(8192 + 4096 + 4096 + 4096) << QString();
    QTest::newRow("exactly the room needed")
        << true << qint64(20480) << QList<qint64>{5000, 100} << QStringList{"v0", "v1"} << 0
        << qint64(20480) << QString();
    QTest::newRow("one cluster short: nothing copied, needed and free said")
        << true << qint64(20479) << QList<qint64>{5000, 100} << QStringList{"v0", "v1"} << 0
        << qint64(20480)
        << "There is not enough free space on the PSP for these videos: they need 20 KB, 20 KB is "
           "free.";
    QTest::newRow("largest FAT file kept")
        << true << fourGiB * 2 << QList<qint64>{fourGiB - 1} << QStringList{"v0"} << 0
        << qint64(fourGiB + 4096) << QString();
    QTest::newRow("4 GiB refused on FAT, the rest goes")
        << true << fourGiB * 2 << QList<qint64>{fourGiB, 100} << QStringList{"v1"} << 1
        << qint64(8192) << QString();
    QTest::newRow("4 GiB taken by another file system")
        << false << fourGiB * 2 << QList<qint64>{fourGiB} << QStringList{"v0"} << 0
        << qint64(fourGiB + 4096) << QString();
    QTest::newRow("space unknown: copies try, failures say why")
        << true << qint64(-1) << QList<qint64>{5000} << QStringList{"v0"} << 0 << qint64(12288)
        << QString();
}

void TestVideoStore::planTransfer()
{
    QFETCH(bool, fat);
    QFETCH(qint64, freeBytes);
    QFETCH(QList<qint64>, sizes);
    QFETCH(QStringList, kept);
    QFETCH(int, refused);
    QFETCH(qint64, needed);
    QFETCH(QString, noRoom);

    Fixture f;
    QStringList paths;
    for (int i = 0; i < sizes.size(); ++i) {
        const QString path = f.pc + "/v" + QString::number(i) + ".MP4";
        writeFile(path, mp4::file(mp4::mpeg4Entry()));
        QFile file(path);
        if (!file.resize(sizes[i])) QSKIP("no sparse files here");
        writeFile(path.chopped(4) + ".THM", QByteArray(1000, 't'));
        paths << path;
    }
    ConsoleSpace space;
    space.known = freeBytes >= 0;
    space.freeBytes = freeBytes;
    space.clusterBytes = 4096;
    space.fat = fat;
    const TransferPlan plan = PlanTransfer(paths, space);
    QStringList got;
    for (const QString& path : plan.paths)
        got << QFileInfo(path).completeBaseName();
    QCOMPARE(got, kept);
    QCOMPARE(plan.refusals.size(), refused);
    if (refused)
        QCOMPARE(plan.refusals[0], "Could not transfer file " + paths[0] +
                                       " to PSP!\nIt is 4 GiB or larger, more than one file on "
                                       "the PSP's memory stick can hold.");
    QCOMPARE(plan.needed, needed);
    QCOMPARE(plan.noRoom, noRoom);
}

void TestVideoStore::consoleSpace()
{
    Fixture f;
    const ConsoleSpace space = ReadConsoleSpace(f.drive);
    QVERIFY(space.known);
    QVERIFY(space.totalBytes > 0);
    QVERIFY(space.freeBytes > 0 && space.freeBytes <= space.totalBytes);
    QVERIFY(space.clusterBytes >= 512);
    QVERIFY(!ReadConsoleSpace(f.dir.path() + "/gone").known);
    QVERIFY(!ReadConsoleSpace(QString()).known);
    QCOMPARE(ByteSizeText(999), QString("1 KB"));
    QCOMPARE(ByteSizeText(12'345'678), QString("12.3 MB"));
    QCOMPARE(ByteSizeText(3'920'000'000), QString("3.92 GB"));
}

void TestVideoStore::findVideoOnConsole()
{
    Fixture f;
    const QByteArray video = mp4::fileOfSize(mp4::mpeg4Entry(), 300 * 1024, 'a');
    const QString source = f.addPcFile("clip.MP4", video);
    QCOMPARE(FindVideoOnConsole(source, f.drive), QString());
    QByteArray otherTail = video;
    otherTail[otherTail.size() - 1] = 'z';
    writeFile(f.console + "/M4V50001.MP4", otherTail);
    writeFile(f.console + "/M4V50002.MP4", video + "x");
    QCOMPARE(FindVideoOnConsole(source, f.drive), QString());
    writeFile(f.avc + "/maq50007.mp4", video);
    QCOMPARE(FindVideoOnConsole(source, f.drive), f.avc + "/maq50007.mp4");
    QCOMPARE(FindVideoOnConsole(source, QString()), QString());
}

void TestVideoStore::transferLeavesOrphanThumbnailAndFolderAlone()
{
    Fixture f;
    writeFile(f.console + "/m4v50001.thm", "orphan");
    QDir().mkpath(f.console + "/M4V50002.THM");
    MemoryVideoList console;
    RecordingPrompts prompts;
    // Each transfer finds the next number past both, not the blocked one again.
    QVERIFY(TransferVideo(f.addPcVideo("clip"), f.drive, true, console, prompts));
    QVERIFY(TransferVideo(f.addPcVideo("other"), f.drive, true, console, prompts));
    QCOMPARE(prompts.messages.size(), 0);
    QCOMPARE(entryNames(f.console), QStringList({"M4V50002.THM", "M4V50003.MP4", "M4V50003.THM",
                                                 "M4V50004.MP4", "M4V50004.THM", "m4v50001.thm"}));
    QCOMPARE(readFile(f.console + "/m4v50001.thm"), QByteArray("orphan"));
    QCOMPARE(readFile(f.console + "/M4V50003.THM"), readFile(f.pc + "/clip.THM"));
}

void TestVideoStore::oddNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("quotes and shell characters") << "a \"b\" 'c' $HOME `id`; x";
    QTest::newRow("leading dash") << "-rf";
    QTest::newRow("newline") << "two\nlines";
    QTest::newRow("percent placeholders") << "%1 %2 %s";
    QTest::newRow("non-ASCII") << "Vid\u00e9o \u30d3\u30c7\u30aa";
}

void TestVideoStore::oddNames()
{
    QFETCH(QString, name);
    Fixture f;
    const QString mp4 = f.addPcVideo(name, 2048);
    MemoryVideoList pcList;
    ListVideos(f.pc, pcList);
    QCOMPARE(pcList.count(), 1);
    QCOMPARE(pcList.entry(0).mp4Path, mp4);
    QCOMPARE(pcList.entry(0).sizeText, QString("2 KB"));

    MemoryVideoList console;
    RecordingPrompts prompts;
    QVERIFY(TransferVideo(pcList.entry(0).mp4Path, f.drive, true, console, prompts));
    QCOMPARE(readFile(f.console + "/M4V50001.MP4"), readFile(mp4));

    // The failure text names the file as it is.
    QFile::remove(mp4);
    QVERIFY(!TransferVideo(mp4, f.drive, true, console, prompts));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, "Could not transfer file " + f.pc + "/" + name +
                                           ".MP4 to PSP!\n" + systemText(ENOENT));
}

void TestVideoStore::deleteVideos_data()
{
    QTest::addColumn<QList<int>>("consoleSelection");
    QTest::addColumn<QList<int>>("pcSelection");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("consoleLeft");
    QTest::addColumn<QStringList>("pcLeft");

    const QString psp = "Warning: Are you sure you want to delete these files from the PSP?";
    const QString disk =
        "Warning: Are you sure you want to move these files from the hard drive "
        "to the trash?";
    // Rows in name order: M4V50001, M4V50002, M4V50003 in 100MNV01, then MAQ50001 in 100ANV01.
    const QStringList allConsole{"M4V50001.MP4", "M4V50001.THM", "M4V50002.MP4", "M4V50002.THM",
                                 "M4V50003.MP4", "M4V50003.THM", "MAQ50001.MP4", "MAQ50001.THM"};
    const QStringList allPc{"a.MP4", "a.THM", "b.mp4", "b.thm"};

    QTest::newRow("nothing selected")
        << QList<int>() << QList<int>() << true << QStringList() << allConsole << allPc;
    QTest::newRow("console rows, yes")
        << QList<int>{0, 2} << QList<int>() << true << QStringList{psp}
        << QStringList{"M4V50002.MP4", "M4V50002.THM", "MAQ50001.MP4", "MAQ50001.THM"} << allPc;
    QTest::newRow("console rows of both folders")
        << QList<int>{1, 3} << QList<int>() << true << QStringList{psp}
        << QStringList{"M4V50001.MP4", "M4V50001.THM", "M4V50003.MP4", "M4V50003.THM"} << allPc;
    QTest::newRow("console rows, no")
        << QList<int>{0} << QList<int>() << false << QStringList{psp} << allConsole << allPc;
    QTest::newRow("both lists: only the console is offered")
        << QList<int>{1} << QList<int>{0} << true << QStringList{psp}
        << QStringList{"M4V50001.MP4", "M4V50001.THM", "M4V50003.MP4",
                       "M4V50003.THM", "MAQ50001.MP4", "MAQ50001.THM"}
        << allPc;
    QTest::newRow("computer rows, names in any case")
        << QList<int>() << QList<int>{0, 1} << true << QStringList{disk} << allConsole
        << QStringList();
    QTest::newRow("computer rows, no")
        << QList<int>() << QList<int>{1} << false << QStringList{disk} << allConsole << allPc;
}

void TestVideoStore::deleteVideos()
{
    QFETCH(QList<int>, consoleSelection);
    QFETCH(QList<int>, pcSelection);
    QFETCH(bool, answer);
    QFETCH(QStringList, questions);
    QFETCH(QStringList, consoleLeft);
    QFETCH(QStringList, pcLeft);

    Fixture f;
    for (int n = 1; n <= 3; ++n) {
        writeFile(f.console + QString::asprintf("/M4V5%04d.MP4", n), "v");
        writeFile(f.console + QString::asprintf("/M4V5%04d.THM", n), "t");
    }
    writeFile(f.avc + "/MAQ50001.MP4", "v");
    writeFile(f.avc + "/MAQ50001.THM", "t");
    f.addPcVideo("a");
    f.addPcVideo("b", 100, ".mp4", ".thm");

    MemoryVideoList console;
    MemoryVideoList pc;
    ListConsoleVideos(f.drive, console);
    ListVideos(f.pc, pc);
    // Rows in name order, so that the selection names known videos.
    const auto selectByName = [](MemoryVideoList& list, const QList<int>& selection) {
        QStringList names = rowNames(list);
        for (int row = 0; row < list.count(); ++row)
            list.setSelected(row, selection.contains(names.indexOf(list.entry(row).thumbnailName)));
    };
    selectByName(console, consoleSelection);
    selectByName(pc, pcSelection);

    RecordingPrompts prompts;
    prompts.answer = answer;
    DeleteVideos(console, pc, f.drive, f.pc, prompts);
    QCOMPARE(prompts.questions, questions);
    QCOMPARE(entryNames(f.console) + entryNames(f.avc), consoleLeft);
    QCOMPARE(entryNames(f.pc), pcLeft);
    // Lists show what is left.
    QCOMPARE(console.count(), consoleLeft.size() / 2);
    QCOMPARE(pc.count(), pcLeft.size() / 2);
    QCOMPARE(prompts.messages.size(), 0);
    // The computer's videos went to the trash, whole; the console has none.
    QStringList trashed;
    for (const QString& name : QStringList{"a.MP4", "a.THM", "b.mp4", "b.thm"}) {
        const QByteArray content = takeFromTrash(f.pc + "/" + name);
        if (!content.isNull()) trashed << name;
    }
    QCOMPARE(trashed.size(), 4 - pcLeft.size());
    QCOMPARE(QDir(f.drive).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"MP_ROOT"});
}

void TestVideoStore::deleteFailuresComeBack_data()
{
    QTest::addColumn<QString>("case_");
    QTest::addColumn<QStringList>("consoleAfter");
    QTest::addColumn<QString>("report");  // <c>: the console folder

    QTest::newRow("read-only stick: nothing goes, every video said")
        << "readOnly" << QStringList{"M4V50001.MP4", "M4V50001.THM", "M4V50002.MP4", "M4V50002.THM"}
        << "These files could not be deleted:\n<c>/M4V50001.MP4: <ro>\n<c>/M4V50002.MP4: <ro>";
    // The video stays with the thumbnail it is listed by; the other one goes.
    QTest::newRow("undeletable video keeps its thumbnail")
        << "busyVideo" << QStringList{"M4V50001.MP4", "M4V50001.THM"}
        << "These files could not be deleted:\n<c>/M4V50001.MP4: <busy>";
}

void TestVideoStore::deleteFailuresComeBack()
{
    QFETCH(QString, case_);
    QFETCH(QStringList, consoleAfter);
    QFETCH(QString, report);

    Fixture f;
    for (const QString name : {"M4V50001", "M4V50002"}) {
        writeFile(f.console + "/" + name + ".MP4", "v");
        writeFile(f.console + "/" + name + ".THM", "t");
    }
    MemoryVideoList console;
    MemoryVideoList pc;
    ListVideos(f.console, console);
    console.setSelected(0, true);
    console.setSelected(1, true);
    const QString video = f.console + "/M4V50001.MP4";
    bool prepared = false;
    if (case_ == "readOnly") prepared = makeReadOnly(f.console);
    // A file something is mounted on cannot be removed: EBUSY, as for a file
    // the system holds.
    if (case_ == "busyVideo") prepared = makeBusy(video);
    if (!prepared) QSKIP("cannot make the files undeletable here");
    RecordingPrompts prompts;
    DeleteVideos(console, pc, f.drive, f.pc, prompts);
    if (case_ == "readOnly") undoReadOnly(f.console);
    if (case_ == "busyVideo") ::umount(QFile::encodeName(video).constData());

    QCOMPARE(prompts.questions.size(), 1);
    QCOMPARE(entryNames(f.console), consoleAfter);
    QCOMPARE(rowNames(console), QStringList(consoleAfter).filter(".THM"));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].icon, StorePrompts::Icon::Exclamation);
    QCOMPARE(prompts.messages[0].text,
             QString(report)
                 .replace("<c>", f.console)
                 .replace("<ro>", systemText(::geteuid() == 0 ? EROFS : EACCES))
                 .replace("<busy>", systemText(EBUSY)));
}

void TestVideoStore::trashFailureKeepsTheVideo()
{
    Fixture f;
    f.addPcVideo("kept");
    MemoryVideoList console;
    MemoryVideoList pc;
    ListVideos(f.pc, pc);
    pc.setSelected(0, true);
    if (!makeReadOnly(f.pc)) QSKIP("cannot make a folder read-only here");
    RecordingPrompts prompts;
    DeleteVideos(console, pc, f.drive, f.pc, prompts);
    undoReadOnly(f.pc);
    // Never deleted for good when the trash cannot take it.
    QCOMPARE(entryNames(f.pc), QStringList({"kept.MP4", "kept.THM"}));
    QCOMPARE(pc.count(), 1);
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY2(prompts.messages[0].text.startsWith(
                 "These files could not be moved to the trash, so they were kept:\n" + f.pc +
                 "/kept.MP4: "),
             qPrintable(prompts.messages[0].text));
    QVERIFY(takeFromTrash(f.pc + "/kept.MP4").isNull());
}

QTEST_GUILESS_MAIN(TestVideoStore)
#include "tst_VideoStore.moc"
