#pragma once

#include "base/globals.h"

#include <QString>

// The start-up steps that need no window, in the order the main window runs
// them around its own.

// Defaults into the state, then the settings file (written when missing).
// The output folder starts as videosDir when one is given, else as
// documentsDir. True on the first start, when the main window centres
// itself. Throws IniWriteError when the first settings file cannot be written.
bool LoadStartupSettings(TGlobalVars& vars, const QString& programFolder,
                         const QString& documentsDir, const QString& videosDir = {});

// The user's videos folder is the default output folder, but a fresh account
// may not have it yet: it is made, without asking, while the output folder
// still names it. Any other folder is the user's own choice and is left to
// the question before converting. True when outputDir exists afterwards.
bool PrepareDefaultOutputFolder(const QString& outputDir, const QString& videosDir);

// Loads the state's language file and re-reads its type file, at start-up and
// after each change of language. Returns the message for a missing type file
// (the program cannot go on without it), or "" when all is well.
// A language file that is missing or cannot be read gives way to the built-in
// English texts and English type file, and *notice (when given) names it, for
// the caller to show once; otherwise *notice is emptied. The state's
// LanguageFile then names English, the language in use.
QString ApplyLanguage(TGlobalVars& vars, const QString& programFolder, QString* notice = nullptr);
