#include "Startup.h"

#include "BuildConstants.h"
#include "FileFunctions.h"
#include "InputTypes.h"
#include "LanguageChoice.h"
#include "MessageTable.h"
#include "Settings.h"

#include <QFileInfo>

bool LoadStartupSettings(TGlobalVars& vars, const QString& programFolder,
                         const QString& documentsDir)
{
    SetStartupDefaults(vars, documentsDir);
    return !LoadSettings(vars,
                         AddTrailingBackslash(programFolder) + BuildConstants::SettingsFileName);
}

QString ApplyLanguage(TGlobalVars& vars, const QString& programFolder)
{
    LoadLanguage(LanguageFilePath(programFolder, vars.LanguageFile));
    const QString typeFile = TypeFilePath(LanguageFolder(programFolder), vars.LanguageFile);
    if (!QFileInfo(typeFile).isFile()) return MsgFormat(MSG_NO_DAT_FILE, typeFile);
    LoadInputTypes(vars, typeFile);
    return {};
}
