#include "localisation/Startup.h"

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

QString ApplyLanguage(TGlobalVars& vars, const QString& programFolder)
{
    LoadLanguage(LanguageFilePath(programFolder, vars.LanguageFile));
    const QString typeFile = TypeFilePath(LanguageFolder(programFolder), vars.LanguageFile);
    if (!QFileInfo(typeFile).isFile()) return MsgFormat(MSG_NO_DAT_FILE, typeFile);
    LoadInputTypes(vars, typeFile);
    return {};
}
