#include "base/ProgramFolder.h"

#include "base/BuildConstants.h"
#include "base/FileFunctions.h"
#include "base/InstalledData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString g_programFolder;
QString g_executableFolder;

}  // namespace

bool IsInstalledCopy(const QString& executableFolder)
{
    return QFileInfo::exists(executableFolder + u'/' + InstalledMarker) ||
           !QFileInfo(executableFolder).isWritable();
}

ProgramFolderChoice ResolveProgramFolder(const QString& executableFolder, const QString& userFolder,
                                         const QString& dataFolder)
{
    if (!IsInstalledCopy(executableFolder)) return {AddTrailingBackslash(executableFolder), {}, {}};
    const QString data = dataFolder.isEmpty() ? executableFolder : dataFolder;
    if (!QFileInfo::exists(userFolder))
        return {AddTrailingBackslash(userFolder), SeedProgramFolder(data, userFolder), {}};
    return {AddTrailingBackslash(userFolder), {}, RefreshProgramFolder(data, userFolder)};
}

QString InstalledDataFolder(const QString& executableFolder)
{
    if (!QFileInfo::exists(executableFolder + u'/' + InstalledMarker)) return executableFolder;
    // The build's relative path from the installed programs to the data.
    return QDir::cleanPath(executableFolder + u'/' + QStringLiteral(CLIPFORGE_DATA_FROM_PROGRAMS));
}

QString UserProgramFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/clipforge");
}

ProgramFolderChoice InitProgramFolder()
{
    const QString executables = QCoreApplication::applicationDirPath();
    const ProgramFolderChoice choice =
        ResolveProgramFolder(executables, UserProgramFolder(), InstalledDataFolder(executables));
    SetProgramFolder(choice.folder);
    SetExecutableFolder(executables);
    return choice;
}

const QString& ProgramFolder() { return g_programFolder; }

void SetProgramFolder(const QString& folder) { g_programFolder = AddTrailingBackslash(folder); }

QString ExecutableFolder()
{
    return g_executableFolder.isEmpty() ? g_programFolder : g_executableFolder;
}

void SetExecutableFolder(const QString& folder)
{
    g_executableFolder = folder.isEmpty() ? QString() : AddTrailingBackslash(folder);
}

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
