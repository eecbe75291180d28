#include "base/ProgramFolder.h"

#include "base/BuildConstants.h"
#include "base/FileFunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString g_programFolder;

bool isExecutableFile(const QFileInfo& info)
{
    return info.isFile() && info.permissions().testAnyFlags(QFile::ExeOwner | QFile::ExeUser |
                                                            QFile::ExeGroup | QFile::ExeOther);
}

// Copies the data tree; the executables stay where they were installed.
bool copyData(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to)) return false;
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        const QString target = to + u'/' + entry.fileName();
        if (entry.isDir()) {
            if (!copyData(entry.filePath(), target)) return false;
        } else if (!isExecutableFile(entry) && !QFile::copy(entry.filePath(), target)) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString SeedProgramFolder(const QString& dataFolder, const QString& userFolder)
{
    const QString folder = StripTrailingBackslash(userFolder);
    // Seed into a sibling first, so an interrupted copy never looks complete.
    const QString partial = folder + QStringLiteral(".partial");
    QDir(partial).removeRecursively();
    if (copyData(dataFolder, partial) && QDir().rename(partial, folder)) return {};
    QDir(partial).removeRecursively();
    return QStringLiteral("Cannot copy the program data from %1 to %2.").arg(dataFolder, folder);
}

ProgramFolderChoice ResolveProgramFolder(const QString& executableFolder, const QString& userFolder)
{
    if (QFileInfo(executableFolder).isWritable())
        return {AddTrailingBackslash(executableFolder), {}};
    if (QFileInfo::exists(userFolder)) return {AddTrailingBackslash(userFolder), {}};
    return {AddTrailingBackslash(userFolder), SeedProgramFolder(executableFolder, userFolder)};
}

QString UserProgramFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/clipforge");
}

ProgramFolderChoice InitProgramFolder()
{
    const ProgramFolderChoice choice =
        ResolveProgramFolder(QCoreApplication::applicationDirPath(), UserProgramFolder());
    SetProgramFolder(choice.folder);
    return choice;
}

const QString& ProgramFolder() { return g_programFolder; }

void SetProgramFolder(const QString& folder) { g_programFolder = AddTrailingBackslash(folder); }

QString SettingsFilePath() { return SettingsFilePath(ProgramFolder()); }

QString SettingsFilePath(const QString& programFolder)
{
    return AddTrailingBackslash(programFolder) + BuildConstants::SettingsFileName;
}

QString ShellFolderPath(const QString& valueName)
{
    if (valueName.compare(QStringLiteral("Personal"), Qt::CaseInsensitive) != 0) return {};
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}
