#pragma once

#include <QString>

// info.ini of the converter's program folder as seen from the executable's
// folder: that folder when it is writable (portable), else the per-user
// program folder. Only the path: the transfer manager creates nothing there.
QString ConverterSettingsPath(const QString& executableFolder);

// The folder the computer side opens at, so that the videos of the last
// conversion are listed: the converter's last output folder
// (LastOutputOpenDir of section System in settingsPath, a relative one taken
// from the settings file's folder) when it is a folder other than the root,
// else the user's home folder, else the temporary folder.
QString ComputerStartFolder(const QString& settingsPath);
