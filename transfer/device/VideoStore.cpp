#include "VideoStore.h"

#include "Mp4VideoKind.h"
#include "TransferTexts.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FirstVideoNumber = 1;
constexpr int LastVideoNumber = 9999;

QString withLastFourReplaced(const QString& path, const QString& ending)
{
    return path.left(qMax<qsizetype>(0, path.size() - 4)) + ending;
}

QString fileNamePart(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); }

QString folderPart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) return u"."_s;
    return slash == 0 ? u"/"_s : path.left(slash);
}

bool entryExists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// The names of one folder keyed by their lower-case form, for looking names
// up without regard to case. Filled on first use: most names exist as written.
class FolderNames {
public:
    explicit FolderNames(QString folder) : m_folder(std::move(folder)) {}

    // path itself when it exists, else the entry of its folder whose name
    // equals its name without regard to case, else path.
    QString resolve(const QString& path)
    {
        if (entryExists(path)) return path;
        if (!m_listed) {
            m_listed = true;
            QDirIterator it(m_folder,
                            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            while (it.hasNext()) {
                it.next();
                const QString name = it.fileName();
                QString& kept = m_names[name.toCaseFolded()];
                if (kept.isEmpty() || name < kept) kept = name;
            }
        }
        const QString found = m_names.value(fileNamePart(path).toCaseFolded());
        if (found.isEmpty()) return path;
        return m_folder == u"/"_s ? QString(u'/' + found) : QString(m_folder + u'/' + found);
    }

private:
    QString m_folder;
    bool m_listed = false;
    QHash<QString, QString> m_names;
};

QString resolveNoCase(const QString& path) { return FolderNames(folderPart(path)).resolve(path); }

// The size of a regular file, 0 when it cannot be opened. Opened without
// blocking so that a pipe under a video's name cannot hang the list.
qint64 openedFileSize(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? qint64(st.st_size) : 0;
}

bool isRegularFile(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QImage loadThumbnail(const QString& path)
{
    QImage thumbnail(ThumbnailSide, ThumbnailSide, QImage::Format_RGB888);
    thumbnail.fill(Qt::white);
    if (!isRegularFile(path)) return thumbnail;

    // Thumbnails carry a name the image plugins do not know; decide by content.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setScaledSize(QSize(ThumbnailSide, ThumbnailSide));
    QImage image = reader.read();
    if (image.isNull()) return thumbnail;
    if (image.size() != thumbnail.size())
        image = image.scaled(thumbnail.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.hasAlphaChannel()) {
        QPainter painter(&thumbnail);
        painter.drawImage(0, 0, image);
        return thumbnail;
    }
    return image.convertToFormat(QImage::Format_RGB888);
}

VideoEntry makeEntry(const QString& thumbnailPath, const QString& note, FolderNames& names,
                     bool withTitle)
{
    VideoEntry entry;
    entry.thumbnailPath = thumbnailPath;
    entry.thumbnailName = fileNamePart(thumbnailPath);
    entry.note = note;
    entry.mp4Path = names.resolve(withLastFourReplaced(thumbnailPath, u".MP4"_s));
    entry.mp4Name = fileNamePart(entry.mp4Path);
    entry.sizeText = VideoSizeText(openedFileSize(entry.mp4Path));
    entry.thumbnail = loadThumbnail(thumbnailPath);
    if (withTitle) entry.title = ReadPspTitle(entry.mp4Path);
    struct stat st {};
    if (::stat(QFile::encodeName(entry.mp4Path).constData(), &st) == 0)
        entry.modifiedMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return entry;
}

// Copies source to target through a temporary file beside target that is
// renamed over it once complete, so target is never left half-written and an
// existing target survives a failed copy. Returns 0 or the errno of the failure.
int copyFile(const QString& source, const QString& target, CopyMonitor* monitor)
{
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return errno;
    struct stat st {};
    int error = 0;
    if (::fstat(in, &st) != 0)
        error = errno;
    else if (S_ISDIR(st.st_mode))
        error = EISDIR;
    else if (!S_ISREG(st.st_mode))
        error = EINVAL;
    if (error) {
        ::close(in);
        return error;
    }

    QByteArray temporary;
    int out = -1;
    for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
        temporary = QFile::encodeName(folderPart(target) + u"/.~"_s + fileNamePart(target) + u'.' +
                                      QString::number(QRandomGenerator::global()->generate(), 36));
        out = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out < 0 && errno != EEXIST) break;
    }
    if (out < 0) {
        error = errno;
        ::close(in);
        return error;
    }

    // Blocks of 1 MiB: a stick writing 20 MB/s reports and can stop every 50 ms.
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        if (monitor && monitor->cancelRequested()) {
            error = ECANCELED;
            break;
        }
        const ssize_t got = ::read(in, buffer.data(), size_t(buffer.size()));
        if (got < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        if (got == 0) break;
        for (ssize_t done = 0; done < got && !error;) {
            const ssize_t put = ::write(out, buffer.constData() + done, size_t(got - done));
            if (put < 0) {
                if (errno != EINTR) error = errno;
                continue;
            }
            done += put;
            if (monitor) monitor->bytesCopied(put);
        }
        if (error) break;
    }
    ::close(in);
    // Removable storage: the data must be on the device before the name is.
    if (!error && ::fsync(out) != 0) error = errno;
    if (::close(out) != 0 && !error) error = errno;
    if (!error && ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error) ::unlink(temporary.constData());
    return error;
}

// Makes a console video folder and its MP_ROOT where missing, never the
// drive itself: a console pulled out must not come back as an empty folder.
// Returns 0 or the errno of the failure.
int makeConsoleFolder(const QString& folder)
{
    for (const QString& path : {folderPart(folder), folder}) {
        if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

void appendFolderVideos(const QString& folder, VideoList& list, bool withTitles)
{
    FolderNames names(folder);
    const auto inFolder = [&folder](const QString& name) {
        return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
    };
    QStringList bareVideos;
    QSet<QString> thumbnails;  // case-folded names without their ending
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (name.endsWith(u".MP4"_s, Qt::CaseInsensitive)) bareVideos.append(name);
        if (!name.endsWith(u".THM"_s, Qt::CaseInsensitive)) continue;
        thumbnails.insert(name.chopped(4).toCaseFolded());
        list.appendEntry(makeEntry(inFolder(name), QString(), names, withTitles));
    }
    // A video without its thumbnail is listed too, with a plain picture: it
    // is on the disk and must be seen, copied and deleted like any other.
    for (const QString& name : std::as_const(bareVideos)) {
        if (thumbnails.contains(name.chopped(4).toCaseFolded())) continue;
        list.appendEntry(makeEntry(inFolder(withLastFourReplaced(name, u".THM"_s)), QString(),
                                   names, withTitles));
    }
}

// The ffmpeg that makes thumbnails: CLIPFORGE_FFMPEG when set, else the one
// on the PATH; empty when there is none.
QString ffmpegProgram()
{
    if (qEnvironmentVariableIsSet("CLIPFORGE_FFMPEG")) {
        const QString named = qEnvironmentVariable("CLIPFORGE_FFMPEG");
        return QFileInfo(named).isExecutable() ? named : QString();
    }
    return QStandardPaths::findExecutable(u"ffmpeg"_s);
}

// Makes the console's 160x120 JPEG thumbnail of a video from its first
// picture, written beside target and renamed to it once whole. Empty, or
// why there is none.
QString makeThumbnail(const QString& mp4Path, const QString& target)
{
    const QString ffmpeg = ffmpegProgram();
    if (ffmpeg.isEmpty()) return TransferText::NoFfmpeg;
    const QString temporary = folderPart(target) + u"/.~"_s + fileNamePart(target) + u".jpg"_s;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // "file:" keeps a name starting with '-' or holding ':' a plain file name.
    process.start(ffmpeg,
                  {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-y"_s, u"-i"_s, u"file:"_s + mp4Path,
                   u"-frames:v"_s, u"1"_s, u"-vf"_s, u"scale=160:120"_s, u"-f"_s, u"image2"_s,
                   u"-c:v"_s, u"mjpeg"_s, u"file:"_s + temporary});
    const bool ran = process.waitForFinished(60000);
    if (!ran) {
        process.kill();
        process.waitForFinished();
    }
    const bool made = ran && process.exitStatus() == QProcess::NormalExit &&
                      process.exitCode() == 0 && QFileInfo(temporary).size() > 0;
    if (made && ::rename(QFile::encodeName(temporary).constData(),
                         QFile::encodeName(target).constData()) == 0)
        return {};
    const int error = made ? errno : 0;
    QFile::remove(temporary);
    return error ? qt_error_string(error) : TransferText::NoPictureInVideo;
}

// What the console's decoders take: beyond any of these a video shows as
// unplayable on the console, so it is not copied.
constexpr int MaxAvcWidth = 480;
constexpr int MaxAvcHeight = 272;
constexpr int MaxAvcLevel = 30;
constexpr int AvcBaseline = 66;
constexpr int AvcMain = 77;
constexpr int MaxMpeg4Width = 320;
constexpr int MaxMpeg4Height = 240;
constexpr int Mpeg4SimpleObjectType = 1;
// 30 fps and the NTSC 29.97, with room for a rate averaged over the track.
constexpr double MaxFrameRate = 30.05;

QString avcProfileName(int profile)
{
    switch (profile) {
        case 66:
            return u"Baseline"_s;
        case 77:
            return u"Main"_s;
        case 88:
            return u"Extended"_s;
        case 100:
            return u"High"_s;
        case 110:
            return u"High 10"_s;
        case 122:
            return u"High 4:2:2"_s;
        case 244:
            return u"High 4:4:4"_s;
        default:
            return u"profile "_s + QString::number(profile);
    }
}

QString avcLevelName(int level)
{
    if (level == 9) return u"1b"_s;
    return QString::number(level / 10) + u'.' + QString::number(level % 10);
}

bool isMpeg4Simple(const Mp4VideoProbe& probe)
{
    // profile_and_level_indication 0x01-0x0f are the levels of Simple profile.
    if (probe.mpeg4ProfileLevel >= 0)
        return probe.mpeg4ProfileLevel > 0 && probe.mpeg4ProfileLevel <= 0x0f;
    return probe.mpeg4ObjectType < 0 || probe.mpeg4ObjectType == Mpeg4SimpleObjectType;
}

QString mpeg4ProfileName(const Mp4VideoProbe& probe)
{
    if (isMpeg4Simple(probe)) return u"Simple"_s;
    const int indication = probe.mpeg4ProfileLevel;
    if (indication >= 0xf0 && indication <= 0xf7) return u"Advanced Simple"_s;
    if (indication < 0 && probe.mpeg4ObjectType == 17) return u"Advanced Simple"_s;
    if (indication >= 0)
        return u"profile 0x"_s + QString::number(indication, 16).rightJustified(2, u'0');
    return u"object type "_s + QString::number(probe.mpeg4ObjectType);
}

QString frameRateText(double rate)
{
    const double whole = std::round(rate);
    return std::abs(rate - whole) < 0.005 ? QString::number(int(whole))
                                          : QString::number(rate, 'f', 2);
}

// "AVC High profile level 4.2, 1920x1080 at 60 fps" from what the file says.
QString videoDescription(const Mp4VideoProbe& probe)
{
    QString text;
    if (probe.kind == Mp4VideoKind::Avc) {
        text = u"AVC"_s;
        if (probe.avcProfile >= 0) text += u' ' + avcProfileName(probe.avcProfile) + u" profile"_s;
        if (probe.avcLevel >= 0) text += u" level "_s + avcLevelName(probe.avcLevel);
    } else {
        text = u"MPEG-4 "_s + mpeg4ProfileName(probe) + u" profile"_s;
    }
    if (probe.width > 0 && probe.height > 0)
        text += u", "_s + QString::number(probe.width) + u'x' + QString::number(probe.height);
    if (probe.frameRate > 0) text += u" at "_s + frameRateText(probe.frameRate) + u" fps"_s;
    return text;
}

// Why the console's decoder would not take the video; empty when it would.
// Facts the file does not give are not held against it.
QString beyondDecoder(const Mp4VideoProbe& probe)
{
    const bool avc = probe.kind == Mp4VideoKind::Avc;
    bool fits = probe.width <= (avc ? MaxAvcWidth : MaxMpeg4Width) &&
                probe.height <= (avc ? MaxAvcHeight : MaxMpeg4Height) &&
                probe.frameRate <= MaxFrameRate;
    if (avc) {
        fits = fits &&
               (probe.avcProfile < 0 || probe.avcProfile == AvcBaseline ||
                probe.avcProfile == AvcMain) &&
               probe.avcLevel <= MaxAvcLevel;
    } else {
        fits = fits && isMpeg4Simple(probe);
    }
    if (fits) return {};
    return TransferText::BeyondDecoder.arg(
        videoDescription(probe), avc ? TransferText::AvcLimits : TransferText::Mpeg4Limits);
}

// Why the console would not show the probed video; empty when it would.
QString refusal(const Mp4VideoProbe& probe)
{
    if (probe.error) return qt_error_string(probe.error);
    switch (probe.kind) {
        case Mp4VideoKind::Mpeg4Part2:
        case Mp4VideoKind::Avc:
            return beyondDecoder(probe);
        case Mp4VideoKind::OtherCodec:
            return TransferText::UnplayableCodec.arg(probe.codecName);
        case Mp4VideoKind::NoVideoTrack:
            return TransferText::NoVideoTrack;
        case Mp4VideoKind::NotMp4:
            break;
    }
    return TransferText::NotReadableMp4;
}

// Removes one file for good; empty or the system's text for the failure. A
// file already gone is no failure.
QString removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT) return {};
    return qt_error_string(errno);
}

// Moves one file to the desktop's trash; empty or why it could not.
QString trashFile(const QString& path)
{
    if (!entryExists(path)) return {};
    QFile file(path);
    if (file.moveToTrash()) return {};
    return file.errorString().isEmpty() ? TransferText::NoTrash : file.errorString();
}

// Deletes the selected videos' files, the MP4 first: a thumbnail is only
// taken when its video is gone, so a failure never leaves a video behind
// without the thumbnail it is listed by. Returns one line per failure.
QStringList deleteVideoFiles(const VideoList& list, const QList<int>& rows, bool toTrash)
{
    QStringList thumbnails;
    for (const int row : rows)
        thumbnails.append(list.entry(row).thumbnailPath);
    QStringList failures;
    const auto remove = [&failures, toTrash](const QString& path) {
        const QString why = toTrash ? trashFile(path) : removeFile(path);
        if (!why.isEmpty()) failures.append(TransferText::FailedFileLine.arg(path, why));
        return why.isEmpty();
    };
    for (const QString& thumbnail : std::as_const(thumbnails)) {
        const QString mp4 = resolveNoCase(withLastFourReplaced(thumbnail, u".MP4"_s));
        if (remove(mp4)) remove(thumbnail);
    }
    return failures;
}

}  // namespace

QString ConsoleVideoFolder(const QString& deviceDrive, ConsoleFolder folder)
{
    QString drive = deviceDrive;
    while (drive.endsWith(u'/'))
        drive.chop(1);
    const QString name = folder == ConsoleFolder::Avc ? u"100ANV01"_s : u"100MNV01"_s;
    if (drive.isEmpty()) return u"/MP_ROOT/"_s + name;
    const QString root = resolveNoCase(drive + u"/MP_ROOT"_s);
    return resolveNoCase(root + u'/' + name);
}

VideoList::~VideoList() = default;

StorePrompts::~StorePrompts() = default;

CopyMonitor::~CopyMonitor() = default;

MemoryVideoList::MemoryVideoList() = default;

MemoryVideoList::~MemoryVideoList() = default;

int MemoryVideoList::count() const { return int(m_entries.size()); }

const VideoEntry& MemoryVideoList::entry(int row) const { return m_entries.at(row); }

void MemoryVideoList::appendEntry(VideoEntry entry)
{
    m_entries.append(std::move(entry));
    m_selected.append(false);
}

void MemoryVideoList::removeAllEntries()
{
    m_entries.clear();
    m_selected.clear();
}

QList<int> MemoryVideoList::selectedRows() const
{
    QList<int> rows;
    for (qsizetype row = 0; row < m_selected.size(); ++row) {
        if (m_selected.at(row)) rows.append(int(row));
    }
    return rows;
}

void MemoryVideoList::removeEntry(int row)
{
    if (row < 0 || row >= count()) return;
    m_entries.removeAt(row);
    m_selected.removeAt(row);
}

void MemoryVideoList::setSelected(int row, bool selected)
{
    if (row >= 0 && row < count()) m_selected[row] = selected;
}

bool MemoryVideoList::isSelected(int row) const
{
    return row >= 0 && row < count() && m_selected.at(row);
}

void MemoryVideoList::clearSelection() { m_selected.fill(false); }

QString VideoSizeText(qint64 bytes)
{
    return QString::number((qMax<qint64>(0, bytes) + 511) / 1024) + u" KB"_s;
}

VideoEntry MakeVideoEntry(const QString& thumbnailPath, const QString& note)
{
    FolderNames names(folderPart(thumbnailPath));
    return makeEntry(thumbnailPath, note, names, true);
}

void AddVideoEntry(VideoList& list, const QString& thumbnailPath, const QString& note)
{
    list.appendEntry(MakeVideoEntry(thumbnailPath, note));
}

void ListVideos(const QString& folder, VideoList& list)
{
    list.removeAllEntries();
    appendFolderVideos(folder, list, false);
}

void ListConsoleVideos(const QString& deviceDrive, VideoList& list)
{
    list.removeAllEntries();
    if (deviceDrive.isEmpty()) return;
    appendFolderVideos(ConsoleVideoFolder(deviceDrive, ConsoleFolder::Mpeg4), list, true);
    appendFolderVideos(ConsoleVideoFolder(deviceDrive, ConsoleFolder::Avc), list, true);
}

std::optional<QString> FindFreeVideoName(const QString& deviceDrive, ConsoleFolder kind)
{
    if (deviceDrive.isEmpty()) return std::nullopt;
    const QString folder = ConsoleVideoFolder(deviceDrive, kind);
    const char* const prefix = kind == ConsoleFolder::Avc ? "MAQ5" : "M4V5";

    QList<bool> taken(LastVideoNumber + 1, false);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        // M4V5nnnn.MP4 or .THM (MAQ5nnnn for AVC) in any case, of any kind:
        // either half of the pair under the name would make its copy fail.
        const QString name = it.fileName();
        if (name.size() != 12 || !name.startsWith(QLatin1StringView(prefix), Qt::CaseInsensitive) ||
            !(name.endsWith(u".MP4"_s, Qt::CaseInsensitive) ||
              name.endsWith(u".THM"_s, Qt::CaseInsensitive)))
            continue;
        int number = 0;
        bool digits = true;
        for (qsizetype i = 4; i < 8; ++i) {
            const QChar c = name.at(i);
            digits = digits && c >= u'0' && c <= u'9';
            number = number * 10 + (c.unicode() - u'0');
        }
        if (digits) taken[number] = true;
    }

    for (int number = FirstVideoNumber; number <= LastVideoNumber; ++number) {
        if (!taken.at(number))
            return folder + u'/' + QLatin1StringView(prefix) +
                   QString::asprintf("%.4d.MP4", number);
    }
    return std::nullopt;
}

VideoCopyResult CopyVideoToConsole(const QString& mp4Path, const QString& deviceDrive,
                                   CopyMonitor* monitor)
{
    VideoCopyResult result;
    const auto fail = [&result](const QString& file, const QString& why) {
        result.message = TransferText::CouldNotTransfer.arg(file, why);
        return result;
    };

    // A video the console cannot show would only take space in its folder.
    const Mp4VideoProbe probe = ProbeMp4Video(mp4Path);
    if (const QString why = refusal(probe); !why.isEmpty()) return fail(mp4Path, why);
    const ConsoleFolder folder =
        probe.kind == Mp4VideoKind::Avc ? ConsoleFolder::Avc : ConsoleFolder::Mpeg4;

    const std::optional<QString> target = FindFreeVideoName(deviceDrive, folder);
    if (!target) {
        result.message = TransferText::NoOutputPath;
        result.icon = StorePrompts::Icon::None;
        return result;
    }
    // A freshly formatted memory stick has no video folders yet.
    if (const int error = makeConsoleFolder(folderPart(*target)))
        return fail(mp4Path, qt_error_string(error));

    const auto copy = [&](const QString& source, const QString& destination) {
        const int error = copyFile(source, destination, monitor);
        if (error == ECANCELED) result.cancelled = true;
        if (error) fail(source, qt_error_string(error));
        return error == 0;
    };

    if (!copy(mp4Path, *target)) return result;
    const QString thumbnail = resolveNoCase(withLastFourReplaced(mp4Path, u".THM"_s));
    const QString targetThumbnail = resolveNoCase(withLastFourReplaced(*target, u".THM"_s));
    if (!entryExists(thumbnail)) {
        // The console shows a video without thumbnail too, only less nicely.
        if (const QString why = makeThumbnail(mp4Path, targetThumbnail); !why.isEmpty())
            result.note = TransferText::CopiedWithoutThumbnail.arg(mp4Path, why);
    } else if (!copy(thumbnail, targetThumbnail)) {
        // A video without its thumbnail is never listed, so it could neither be
        // seen nor deleted here: take the copied MP4 back off the console.
        QFile::remove(*target);
        return result;
    }
    result.copied = true;
    result.consoleThumbnail = targetThumbnail;
    return result;
}

bool TransferVideo(const QString& mp4Path, const QString& deviceDrive, bool deviceConnected,
                   VideoList& consoleList, StorePrompts& prompts)
{
    if (!deviceConnected) return false;
    const VideoCopyResult result = CopyVideoToConsole(mp4Path, deviceDrive);
    if (!result.copied) {
        prompts.showMessage(result.message, result.icon);
        return false;
    }
    AddVideoEntry(consoleList, result.consoleThumbnail, QString());
    if (!result.note.isEmpty()) prompts.showMessage(result.note, StorePrompts::Icon::None);
    return true;
}

qint64 VideoTransferSize(const QString& mp4Path)
{
    return openedFileSize(mp4Path) +
           openedFileSize(resolveNoCase(withLastFourReplaced(mp4Path, u".THM"_s)));
}

void DeleteVideos(VideoList& consoleList, VideoList& computerList, const QString& deviceDrive,
                  const QString& pcFolder, StorePrompts& prompts)
{
    // The console has no trash: its videos go for good. The computer's go to
    // the desktop's trash, where a wrong click can be undone.
    QList<int> rows = consoleList.selectedRows();
    const bool console = !rows.isEmpty();
    if (!console) rows = computerList.selectedRows();
    if (rows.isEmpty()) return;
    if (!prompts.askYesNo(console ? TransferText::DeleteFromPsp : TransferText::DeleteFromDisk,
                          TransferText::DeleteCaption))
        return;
    const QStringList failures =
        deleteVideoFiles(console ? consoleList : computerList, rows, !console);
    if (console)
        ListConsoleVideos(deviceDrive, consoleList);
    else
        ListVideos(pcFolder, computerList);
    if (!failures.isEmpty())
        prompts.showMessage((console ? TransferText::CouldNotDelete : TransferText::CouldNotTrash) +
                                failures.join(u'\n'),
                            StorePrompts::Icon::Exclamation);
}

QString ByteSizeText(qint64 bytes)
{
    const double value = double(qMax<qint64>(0, bytes));
    if (value >= 1e9) return QString::number(value / 1e9, 'f', 2) + u" GB"_s;
    if (value >= 1e6) return QString::number(value / 1e6, 'f', value >= 1e8 ? 0 : 1) + u" MB"_s;
    return QString::number(qint64(value / 1e3 + 0.5)) + u" KB"_s;
}

ConsoleSpace ReadConsoleSpace(const QString& deviceDrive)
{
    ConsoleSpace space;
    if (deviceDrive.isEmpty()) return space;
    const QByteArray path = QFile::encodeName(deviceDrive);
    struct statvfs vfs {};
    if (::statvfs(path.constData(), &vfs) != 0) return space;
    space.known = true;
    space.freeBytes = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
    space.totalBytes = qint64(vfs.f_blocks) * qint64(vfs.f_frsize);
    space.clusterBytes = qMax<qint64>(1, qint64(vfs.f_bsize));
    struct statfs fs {};
    constexpr long MsdosSuperMagic = 0x4d44;
    space.fat = ::statfs(path.constData(), &fs) == 0 && long(fs.f_type) == MsdosSuperMagic;
    return space;
}

TransferPlan PlanTransfer(const QStringList& mp4Paths, const ConsoleSpace& space)
{
    TransferPlan plan;
    const auto clusters = [&space](qint64 bytes) {
        return (bytes + space.clusterBytes - 1) / space.clusterBytes * space.clusterBytes;
    };
    for (const QString& path : mp4Paths) {
        const qint64 size = openedFileSize(path);
        if (space.fat && size > MaxFatFileSize) {
            plan.refusals.append(
                TransferText::CouldNotTransfer.arg(path, TransferText::TooLargeForFat));
            continue;
        }
        plan.paths.append(path);
        plan.needed +=
            clusters(size) +
            clusters(openedFileSize(resolveNoCase(withLastFourReplaced(path, u".THM"_s))));
    }
    if (space.known && plan.needed > space.freeBytes)
        plan.noRoom = TransferText::NotEnoughSpace.arg(ByteSizeText(plan.needed),
                                                       ByteSizeText(space.freeBytes));
    return plan;
}

namespace {

constexpr qint64 CompareBytes = 64 * 1024;

// The first and last CompareBytes of a file of that size; empty when unreadable.
QByteArray headAndTail(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.read(CompareBytes);
    if (size > CompareBytes && file.seek(qMax(CompareBytes, size - CompareBytes)))
        bytes += file.read(CompareBytes);
    return bytes;
}

}  // namespace

QString FindVideoOnConsole(const QString& mp4Path, const QString& deviceDrive)
{
    if (deviceDrive.isEmpty()) return {};
    const qint64 size = openedFileSize(mp4Path);
    if (size <= 0) return {};
    QByteArray ours;
    for (const ConsoleFolder kind : {ConsoleFolder::Mpeg4, ConsoleFolder::Avc}) {
        QDirIterator it(ConsoleVideoFolder(deviceDrive, kind), QDir::Files | QDir::Hidden);
        while (it.hasNext()) {
            it.next();
            if (!it.fileName().endsWith(u".MP4"_s, Qt::CaseInsensitive)) continue;
            if (openedFileSize(it.filePath()) != size) continue;
            if (ours.isEmpty()) ours = headAndTail(mp4Path, size);
            if (!ours.isEmpty() && headAndTail(it.filePath(), size) == ours) return it.filePath();
        }
    }
    return {};
}

namespace {

// Compares names as people read them: case aside, runs of digits by value
// ("clip 9" before "clip 10"), whatever the system's locale offers.
int compareNames(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            // Without leading zeros, the longer run is the larger number.
            QStringView runA = QStringView(a).mid(i, endA - i);
            QStringView runB = QStringView(b).mid(j, endB - j);
            while (runA.size() > 1 && runA.front() == u'0')
                runA = runA.mid(1);
            while (runB.size() > 1 && runB.front() == u'0')
                runB = runB.mid(1);
            if (runA.size() != runB.size()) return runA.size() < runB.size() ? -1 : 1;
            if (const int c = runA.compare(runB); c != 0) return c;
            i = endA;
            j = endB;
            continue;
        }
        const QChar ca = a.at(i).toCaseFolded();
        const QChar cb = b.at(j).toCaseFolded();
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    return j < b.size() ? -1 : 0;
}

}  // namespace

void SortVideoEntries(QList<VideoEntry>& entries, VideoOrder order)
{
    const auto shown = [](const VideoEntry& e) { return e.title.isEmpty() ? e.mp4Name : e.title; };
    std::stable_sort(entries.begin(), entries.end(), [&](const VideoEntry& a, const VideoEntry& b) {
        if (order == VideoOrder::Date && a.modifiedMs != b.modifiedMs)
            return a.modifiedMs > b.modifiedMs;
        const int byName = compareNames(shown(a), shown(b));
        return byName != 0 ? byName < 0 : a.mp4Path < b.mp4Path;
    });
}
