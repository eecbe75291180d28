#include "localisation/Startup.h"

#include "base/BuildConstants.h"
#include "base/InputTypes.h"
#include "base/ProgramFolder.h"
#include "localisation/LanguageChoice.h"
#include "localisation/MessageTable.h"
#include "localisation/Settings.h"

#include <QFileInfo>

bool LoadStartupSettings(TGlobalVars& vars, const QString& programFolder,
                         const QString& documentsDir)
{
    SetStartupDefaults(vars, documentsDir);
    return !LoadSettings(vars, SettingsFilePath(programFolder));
}

QString ApplyLanguage(TGlobalVars& vars, const QString& programFolder, QString* notice)
{
    QString languageFile = vars.LanguageFile;
    const QString path = LanguageFilePath(programFolder, languageFile);
    QString fallbackNotice;
    if (!LoadLanguage(path)) {
        fallbackNotice =
            QStringLiteral("Cannot read the language file \"%1\"; English is used instead.")
                .arg(path);
        // Texts of the language used before must not linger.
        ResetMessageTable();
        languageFile = BuildConstants::DefaultLanguageFile;
        LoadLanguage(LanguageFilePath(programFolder, languageFile));
    }
    if (notice) *notice = fallbackNotice;
    const QString typeFile = TypeFilePath(LanguageFolder(programFolder), languageFile);
    if (!QFileInfo(typeFile).isFile()) return MsgFormat(MSG_NO_DAT_FILE, typeFile);
    LoadInputTypes(vars, typeFile);
    return {};
}
