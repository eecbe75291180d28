#pragma once

#include <QString>

// Where the program keeps info.ini, profiles and language files.
struct ProgramFolderChoice {
    QString folder;  // with a trailing separator
    QString error;   // why seeding the per-user folder failed, else empty
    QString notice;  // why bringing it up to date failed; it is still usable
};

// An installation's folder, or one the user may not write into.
bool IsInstalledCopy(const QString& executableFolder);

// Portable (a build, or a copy the user may write into): the executable's
// folder. An installed copy: the per-user folder, seeded on first use with the
// installed data of dataFolder (by default the executable's folder) and
// brought up to date after a new installation (executables are not copied).
ProgramFolderChoice ResolveProgramFolder(const QString& executableFolder, const QString& userFolder,
                                         const QString& dataFolder = {});

// Where an installed copy's data lies: an installation keeps it in its own
// data folder apart from the executables; a read-only copy of a program
// folder, beside them.
QString InstalledDataFolder(const QString& executableFolder);

// The per-user folder used when the executable's folder is read-only.
QString UserProgramFolder();

// Resolves the program folder from where this process's executable lies and
// makes it the program folder of the process.
ProgramFolderChoice InitProgramFolder();

// The program folder of this process, set once at start-up.
const QString& ProgramFolder();
void SetProgramFolder(const QString& folder);

// Where the program's executables lie (the encoder front, the sibling
// programs, the device scripts): the installation's folder when installed,
// else the program folder. Until it is set, the program folder.
QString ExecutableFolder();
void SetExecutableFolder(const QString& folder);

// Program folder + "info.ini", for this process or for a given folder.
QString SettingsFilePath();
QString SettingsFilePath(const QString& programFolder);

// The user's documents folder; only "Personal" is known, others are empty.
QString ShellFolderPath(const QString& valueName);
