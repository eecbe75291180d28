#pragma once

#include "base/globals.h"

#include <QString>

// The type file that belongs to a language file: type_<name>.dat beside it,
// looked up without regard to case.
QString TypeFilePath(const QString& languageFolder, const QString& languageFile);

// Clears and refills AVSExt and InputFileTypes from the type file.
void LoadInputTypes(TGlobalVars& vars, const QString& typeFilePath);

// "name|patterns|" per entry, then allFilesCaption + "|*.*".
QString BuildOpenFilter(const QList<NameValue>& inputFileTypes, const QString& allFilesCaption);

// True when the extension (with its dot) occurs, without regard to case, in
// some entry's pattern list.
bool IsAcceptedInput(const QList<NameValue>& inputFileTypes, const QString& extension);
