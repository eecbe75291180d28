#include "base/FileFunctions.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr QChar Separator = u'/';
constexpr int MaxNameCounter = 32768;

qsizetype fileNameStart(const QString& path) { return path.lastIndexOf(Separator) + 1; }

// A dangling link or a folder takes a name just as a file does.
bool nameTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}  // namespace

QString AddTrailingBackslash(const QString& path)
{
    return path.endsWith(Separator) ? path : path + Separator;
}

QString StripTrailingBackslash(const QString& path)
{
    return path.endsWith(Separator) ? path.chopped(1) : path;
}

QString ExtractFileExt(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot >= fileNameStart(path) ? path.mid(dot) : QString();
}

QString PathWithoutExt(const QString& path) { return path.chopped(ExtractFileExt(path).size()); }

std::optional<QString> UniqueOutputName(const QString& name, const QString& folder)
{
    const QString dir = AddTrailingBackslash(folder);
    if (!nameTaken(dir + name)) return name;
    const QString ext = ExtractFileExt(name);
    const QString base = name.chopped(ext.size());
    for (int counter = 1; counter <= MaxNameCounter; ++counter) {
        const QString candidate = base + u'(' + QString::number(counter) + u')' + ext;
        if (!nameTaken(dir + candidate)) return candidate;
    }
    return std::nullopt;
}

namespace {

TWriteProbe& writeProbe()
{
    static TWriteProbe probe;
    return probe;
}

bool passes(const QString& path, TWriteStep step)
{
    const TWriteProbe& probe = writeProbe();
    return !probe || probe(path, step);
}

}  // namespace

void SetWriteProbe(TWriteProbe probe) { writeProbe() = std::move(probe); }

bool WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    // Unbuffered: a buffered tail that fails to flush would still let commit()
    // succeed and leave a truncated file behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !passes(path, TWriteStep::Opened) || file.write(bytes) != bytes.size() ||
        !passes(path, TWriteStep::Written) || !passes(path, TWriteStep::Replacing) ||
        !file.commit())
        return false;
    passes(path, TWriteStep::Replaced);
    return true;
}

bool RenameNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // Without the no-replace flag a new link still fails on any existing name.
    if (::link(source.constData(), target.constData()) != 0) return false;
    if (::unlink(source.constData()) == 0) return true;
    const int error = errno;
    ::unlink(target.constData());
    errno = error;
    return false;
}

QString InputRefusal(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile() ? QStringLiteral("not a regular file") : QString();
}

qint64 FileSizeOf(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : -1;
}

bool DeleteIfEmpty(const QString& path) { return FileSizeOf(path) == 0 && QFile::remove(path); }

QString FindFileNoCase(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (dir.exists(name)) return name;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return {};
}

QString ResolvePathNoCase(const QString& path)
{
    const qsizetype start = fileNameStart(path);
    const QString folder = start > 0 ? path.left(start) : QStringLiteral(".");
    const QString found = FindFileNoCase(folder, path.mid(start));
    return found.isEmpty() ? path : path.left(start) + found;
}
