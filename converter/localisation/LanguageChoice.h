#pragma once

#include <QList>
#include <QString>

// One radio entry of the Languages menu.
struct LanguageEntry {
    QString caption;  // file name without extension, upper case
    bool checked = false;
};

// The language folder below a program folder.
QString LanguageFolder(const QString& programFolder);

// The path LoadLanguage is given for a language file name.
QString LanguageFilePath(const QString& programFolder, const QString& languageFile);

// One entry per *.ini file of the folder, in listing order; the entry of the
// current language file is checked.
QList<LanguageEntry> LanguageMenuEntries(const QString& languageFolder,
                                         const QString& languageFile);

// The language file name a menu caption stands for: "&FRENCH" is "FRENCH.ini".
QString LanguageFileForCaption(const QString& caption);
