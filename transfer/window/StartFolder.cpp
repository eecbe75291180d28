#include "StartFolder.h"

#include "base/IniFile.h"
#include "base/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The root lists no videos and is what the window used to open at.
bool isUsefulFolder(const QString& path)
{
    return !path.isEmpty() && path != u"/"_s && QFileInfo(path).isDir();
}

}  // namespace

QString ConverterSettingsPath(const QString& executableFolder)
{
    return SettingsFilePath(IsInstalledCopy(executableFolder) ? UserProgramFolder()
                                                              : executableFolder);
}

QString ComputerStartFolder(const QString& settingsPath)
{
    const IniFile settings(settingsPath);
    const QString value = settings.readString(u"System"_s, u"LastOutputOpenDir"_s, QString());
    if (!value.isEmpty()) {
        const QString folder =
            QDir::cleanPath(QFileInfo(settingsPath).dir().absoluteFilePath(value));
        if (isUsefulFolder(folder)) return folder;
    }
    const QString home = QDir::cleanPath(QDir::homePath());
    if (isUsefulFolder(home)) return home;
    return QDir::cleanPath(QDir::tempPath());
}
