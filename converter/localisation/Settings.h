#pragma once

#include "base/globals.h"

#include <QString>

// Reads the System keys of the settings file into the state. The output
// format becomes MP4 when the file exists. A missing file is the first start:
// it is written with the state's values and false is returned. Throws
// IniWriteError when that first write is refused.
bool LoadSettings(TGlobalVars& vars, const QString& settingsPath);

// Writes every System key in its order, in one write of the whole file.
// Throws IniWriteError, the old file then as it was.
void SaveSettings(const TGlobalVars& vars, const QString& settingsPath);

// Writes one value, the file opened and closed for it alone; false when the
// write was refused (callers carry on without it).
bool WriteSettingValue(const QString& settingsPath, const QString& section, const QString& key,
                       const QString& value);
bool WriteSettingValue(const QString& settingsPath, const QString& section, const QString& key,
                       qint64 value);
