#include "base/InstalledData.h"

#include "base/FileFunctions.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView ManifestName = u".installed-files";

struct Manifest {
    QByteArray signature;               // of the installation's names, sizes and times
    QHash<QString, QByteArray> hashes;  // relative path -> content hash
};

struct DataFile {
    QString relative;
    QFileInfo info;
};

// The installation's data files, executables and the marker left out.
QList<DataFile> dataFiles(const QString& root)
{
    QList<DataFile> files;
    const QDir base(root);
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (info.isExecutable() || info.fileName() == InstalledMarker) continue;
        files.append({base.relativeFilePath(info.filePath()), info});
    }
    std::sort(files.begin(), files.end(),
              [](const DataFile& a, const DataFile& b) { return a.relative < b.relative; });
    return files;
}

// Changes with any file's name, size or time, without reading a byte.
QByteArray signatureOf(const QList<DataFile>& files)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const DataFile& file : files)
        hash.addData((file.relative + u'\t' + QString::number(file.info.size()) + u'\t' +
                      QString::number(file.info.lastModified().toMSecsSinceEpoch()) + u'\n')
                         .toUtf8());
    return hash.result().toHex();
}

// The data files are small: each is read once, then hashed and copied from
// memory. Nothing when the file cannot be read (or does not exist).
std::optional<QByteArray> readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

QByteArray hashOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// Empty for a file that cannot be read, so it matches no shipped file.
QByteArray hashOf(const std::optional<QByteArray>& bytes)
{
    return bytes ? hashOf(*bytes) : QByteArray();
}

Manifest readManifest(const QString& folder)
{
    Manifest manifest;
    QFile file(folder + u'/' + ManifestName);
    if (!file.open(QIODevice::ReadOnly)) return manifest;
    manifest.signature = file.readLine().trimmed();
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const qsizetype blank = line.indexOf(' ');
        if (blank > 0)
            manifest.hashes.insert(QUrl::fromPercentEncoding(line.mid(blank + 1)),
                                   line.left(blank));
    }
    return manifest;
}

bool writeManifest(const QString& folder, const Manifest& manifest)
{
    QByteArray text = manifest.signature + '\n';
    QStringList names = manifest.hashes.keys();
    names.sort();
    // Names are encoded so that no name can break a line.
    for (const QString& name : names)
        text += manifest.hashes.value(name) + ' ' + QUrl::toPercentEncoding(name, "/") + '\n';
    return WriteFileAtomically(folder + u'/' + ManifestName, text);
}

// Writes a whole new file or nothing; the copy gets the user's own permissions,
// not the installation's read-only ones.
bool writeCopy(const QString& to, const QByteArray& bytes)
{
    return QDir().mkpath(QFileInfo(to).path()) && WriteFileAtomically(to, bytes);
}

// What a start killed while seeding left behind; a live seeding takes
// moments, so anything this old is no one's.
void removeAbandonedCopies(const QString& folder)
{
    const QFileInfo target(folder);
    const QDateTime abandoned = QDateTime::currentDateTime().addSecs(-3600);
    const QFileInfoList partials = target.dir().entryInfoList(
        {target.fileName() + u".partial-*"_s}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& partial : partials)
        if (partial.lastModified() < abandoned) QDir(partial.filePath()).removeRecursively();
}

QString copyFailed(const QString& from, const QString& to)
{
    return u"Cannot copy the program data from %1 to %2."_s.arg(from, to);
}

}  // namespace

QString SeedProgramFolder(const QString& dataFolder, const QString& userFolder)
{
    const QString folder = StripTrailingBackslash(userFolder);
    if (!QDir().mkpath(QFileInfo(folder).path())) return copyFailed(dataFolder, folder);
    removeAbandonedCopies(folder);
    // Seed into a sibling of our own first, so an interrupted copy never looks
    // complete and two first starts at once do not copy into each other.
    QTemporaryDir partial(folder + u".partial-XXXXXX"_s);
    if (!partial.isValid()) return copyFailed(dataFolder, folder);
    const QList<DataFile> files = dataFiles(dataFolder);
    Manifest manifest{signatureOf(files), {}};
    for (const DataFile& file : files) {
        const std::optional<QByteArray> bytes = readFile(file.info.filePath());
        if (!bytes || !writeCopy(partial.filePath(file.relative), *bytes))
            return copyFailed(dataFolder, folder);
        manifest.hashes.insert(file.relative, hashOf(*bytes));
    }
    if (!writeManifest(partial.path(), manifest)) return copyFailed(dataFolder, folder);
    if (QDir().rename(partial.path(), folder)) {
        partial.setAutoRemove(false);
        return {};
    }
    // Another start may have finished first; its copy is as good as ours.
    return QFileInfo::exists(folder + u'/' + ManifestName) ? QString()
                                                           : copyFailed(dataFolder, folder);
}

QString RefreshProgramFolder(const QString& dataFolder, const QString& userFolder)
{
    const QString folder = StripTrailingBackslash(userFolder);
    const QList<DataFile> files = dataFiles(dataFolder);
    const Manifest before = readManifest(folder);
    Manifest now{signatureOf(files), {}};
    if (now.signature == before.signature) return {};
    for (const DataFile& file : files) {
        const std::optional<QByteArray> bytes = readFile(file.info.filePath());
        if (!bytes) return copyFailed(dataFolder, folder);
        const QByteArray shipped = hashOf(*bytes);
        now.hashes.insert(file.relative, shipped);
        const QByteArray earlier = before.hashes.value(file.relative);
        if (earlier == shipped) continue;
        const QString target = folder + u'/' + file.relative;
        const QByteArray mine = hashOf(readFile(target));
        if (mine == shipped) continue;
        // A file new to the installation is added where the user has none; a
        // changed one replaces the user's copy only if the user left it as it
        // was shipped.
        const bool untouched = earlier.isEmpty() ? mine.isEmpty() : mine == earlier;
        if (untouched && !writeCopy(target, *bytes)) return copyFailed(dataFolder, folder);
    }
    return writeManifest(folder, now) ? QString() : copyFailed(dataFolder, folder);
}
