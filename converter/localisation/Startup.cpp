#include "Startup.h"

#include "InputTypes.h"
#include "LanguageChoice.h"
#include "MessageTable.h"
#include "ProgramFolder.h"
#include "Settings.h"

#include <QFileInfo>

bool LoadStartupSettings(TGlobalVars& vars, const QString& programFolder,
                         const QString& documentsDir)
{
    SetStartupDefaults(vars, documentsDir);
    return !LoadSettings(vars, SettingsFilePath(programFolder));
}

QString ApplyLanguage(TGlobalVars& vars, const QString& programFolder)
{
    LoadLanguage(LanguageFilePath(programFolder, vars.LanguageFile));
    const QString typeFile = TypeFilePath(LanguageFolder(programFolder), vars.LanguageFile);
    if (!QFileInfo(typeFile).isFile()) return MsgFormat(MSG_NO_DAT_FILE, typeFile);
    LoadInputTypes(vars, typeFile);
    return {};
}
