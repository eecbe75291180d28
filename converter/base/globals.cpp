#include "base/globals.h"

#include "base/BuildConstants.h"

TGlobalVars GlobalVars;

void SetStartupDefaults(TGlobalVars& vars, const QString& documentsDir)
{
    vars.OutputFormat = ofAVI;
    vars.EncoderPath = BuildConstants::DefaultEncoder;
    vars.Priority = 1;
    vars.ShutdownFlag = 1;
    vars.DeleteFileAfterProcessing = false;
    vars.ShutdownWindowsWhenDone = false;
    vars.LanguageFile = BuildConstants::DefaultLanguageFile;
    vars.LastInputOpenDir = documentsDir;
    vars.LastOutputOpenDir = documentsDir;
    vars.UseDirectShow = false;
    vars.TgpiPodPSPProfileFileName.clear();
    vars.MP4MenuIndex = 0;
    vars.TgpMenuIndex = 0;
    vars.ShowAllFormats = false;
}
