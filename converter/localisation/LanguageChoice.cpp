#include "localisation/LanguageChoice.h"

#include "base/BuildConstants.h"
#include "base/FileFunctions.h"

#include <QDir>

QString LanguageFolder(const QString& programFolder)
{
    return AddTrailingBackslash(programFolder) + BuildConstants::LanguageFolder;
}

QString LanguageFilePath(const QString& programFolder, const QString& languageFile)
{
    return AddTrailingBackslash(LanguageFolder(programFolder)) + languageFile;
}

QList<LanguageEntry> LanguageMenuEntries(const QString& languageFolder, const QString& languageFile)
{
    QList<LanguageEntry> entries;
    const QStringList files =
        QDir(languageFolder).entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Unsorted);
    for (const QString& file : files)
        entries.append(
            {PathWithoutExt(file).toUpper(), file.compare(languageFile, Qt::CaseInsensitive) == 0});
    return entries;
}

QString LanguageFileForCaption(const QString& caption)
{
    return QString(caption).remove(u'&') + QStringLiteral(".ini");
}
