#include "localisation/Startup.h"

#include "base/BuildConstants.h"
#include "base/InputTypes.h"
#include "base/ProgramFolder.h"
#include "localisation/LanguageChoice.h"
#include "localisation/MessageTable.h"
#include "localisation/Settings.h"

#include <QDir>
#include <QFileInfo>

bool LoadStartupSettings(TGlobalVars& vars, const QString& programFolder,
                         const QString& documentsDir, const QString& videosDir)
{
    SetStartupDefaults(vars, documentsDir);
    if (!videosDir.isEmpty()) vars.LastOutputOpenDir = videosDir;
    return !LoadSettings(vars, SettingsFilePath(programFolder));
}

QString ApplyLanguage(TGlobalVars& vars, const QString& programFolder, QString* notice)
{
    const QString path = LanguageFilePath(programFolder, vars.LanguageFile);
    QString fallbackNotice;
    if (!LoadLanguage(path)) {
        fallbackNotice =
            QStringLiteral("Cannot read the language file \"%1\"; English is used instead.")
                .arg(path);
        // Texts of the language used before must not linger.
        ResetMessageTable();
        // The state names the language in use: its profiles are the English
        // ones, and once saved the fallback is not announced again.
        vars.LanguageFile = BuildConstants::DefaultLanguageFile;
        LoadLanguage(LanguageFilePath(programFolder, vars.LanguageFile));
    }
    if (notice) *notice = fallbackNotice;
    const QString typeFile = TypeFilePath(LanguageFolder(programFolder), vars.LanguageFile);
    if (!QFileInfo(typeFile).isFile()) return MsgFormat(MSG_NO_DAT_FILE, typeFile);
    LoadInputTypes(vars, typeFile);
    return {};
}

bool PrepareDefaultOutputFolder(const QString& outputDir, const QString& videosDir)
{
    if (QFileInfo(outputDir).isDir()) return true;
    if (videosDir.isEmpty() || QDir::cleanPath(outputDir) != QDir::cleanPath(videosDir))
        return false;
    return QDir().mkpath(videosDir);
}
