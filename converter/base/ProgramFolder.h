#pragma once

#include <QString>

// Where the program keeps info.ini, profiles and language files.
struct ProgramFolderChoice {
    QString folder;  // with a trailing separator
    QString error;   // why seeding the per-user folder failed, else empty
};

// Portable when the executable's folder is writable: that folder. Otherwise
// the per-user folder, seeded on first use with a copy of the data installed
// beside the executable (executables are not copied).
ProgramFolderChoice ResolveProgramFolder(const QString& executableFolder,
                                         const QString& userFolder);

// Copies the data tree of dataFolder (not its executables) to a new userFolder;
// an interrupted or failed copy leaves no userFolder behind. Returns why it
// failed, or "" on success.
QString SeedProgramFolder(const QString& dataFolder, const QString& userFolder);

// The per-user folder used when the executable's folder is read-only.
QString UserProgramFolder();

// Resolves the program folder from where this process's executable lies and
// makes it the program folder of the process.
ProgramFolderChoice InitProgramFolder();

// The program folder of this process, set once at start-up.
const QString& ProgramFolder();
void SetProgramFolder(const QString& folder);

// Program folder + "info.ini", for this process or for a given folder.
QString SettingsFilePath();
QString SettingsFilePath(const QString& programFolder);

// The user's documents folder; only "Personal" is known, others are empty.
QString ShellFolderPath(const QString& valueName);
