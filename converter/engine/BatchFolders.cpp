#include "engine/BatchFolders.h"

#include "base/FileFunctions.h"

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

bool processAlive(qint64 pid) { return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM); }

// Removes <prefix>.<pid>.* folders whose process is gone.
void sweepOrphans(const QString& parent, const QString& prefix)
{
    const QDir dir(parent);
    const QStringList names =
        dir.entryList({prefix + u".*"_s}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QStringList parts = name.mid(prefix.size() + 1).split(u'.');
        bool ok = false;
        const qint64 pid = parts.first().toLongLong(&ok);
        if (ok && parts.size() == 2 && !processAlive(pid))
            QDir(dir.filePath(name)).removeRecursively();
    }
}

}  // namespace

TPrivateFolder::TPrivateFolder(const QString& parent, const QString& prefix)
    : m_dir((sweepOrphans(parent, prefix), AddTrailingBackslash(parent) + prefix + u'.' +
                                               QString::number(QCoreApplication::applicationPid()) +
                                               u".XXXXXX"_s))
{
}

std::optional<QStringList> MoveOutputs(const QString& staging, const QString& folder,
                                       const QString& mainName, QString& error)
{
    QStringList names = QDir(staging).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    const auto main = std::find_if(names.begin(), names.end(), [&](const QString& name) {
        return name.compare(mainName, Qt::CaseInsensitive) == 0;
    });
    if (main != names.end()) std::rotate(names.begin(), main, main + 1);

    QStringList moved;
    const QString target = AddTrailingBackslash(folder);
    for (const QString& name : std::as_const(names)) {
        if (!RenameNoReplace(AddTrailingBackslash(staging) + name, target + name)) {
            for (const QString& path : std::as_const(moved))
                QFile::remove(path);
            error = u"Error: "_s + target + name +
                    u" already exists; the file's outputs were not moved there"_s;
            return std::nullopt;
        }
        moved << target + name;
    }
    return moved;
}
