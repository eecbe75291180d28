#pragma once

#include <QString>

// The data an installation ships (language and help files, skin, profiles)
// kept as each user's own copy. A manifest in the user's folder records what
// the installation held when the copy was last brought up to date, so that a
// later installation can tell the user's changes from its own.

// Copies the data files of dataFolder (not its executables) to a new
// userFolder; an interrupted or failed copy leaves no userFolder behind, and
// of two processes seeding at once both succeed. Returns why it failed, or "".
QString SeedProgramFolder(const QString& dataFolder, const QString& userFolder);

// Brings an existing userFolder up to the data of dataFolder: files the user
// has not changed follow the installation, files the user changed or deleted
// stay as they are, and files new to the installation are added. Quick when
// the installation is unchanged. Returns why it failed, or "".
QString RefreshProgramFolder(const QString& dataFolder, const QString& userFolder);

// The file an installation puts beside its executables: that folder is then
// never the program folder, even for a user who may write into it.
inline constexpr QStringView InstalledMarker = u"installed.txt";
