#include "base/InputTypes.h"

#include "base/FileFunctions.h"
#include "base/IniFile.h"

QString TypeFilePath(const QString& languageFolder, const QString& languageFile)
{
    return ResolvePathNoCase(AddTrailingBackslash(languageFolder) + u"type_" +
                             PathWithoutExt(languageFile) + u".dat");
}

void LoadInputTypes(TGlobalVars& vars, const QString& typeFilePath)
{
    // The list of DirectShow extensions ends at the first missing number.
    static const QString none = QStringLiteral("<none>");
    const IniFile file(typeFilePath);
    vars.AVSExt.clear();
    for (int i = 1;; ++i) {
        const QString ext = file.readString(QStringLiteral("AVSExt"), QString::number(i), none);
        if (ext == none) break;
        vars.AVSExt.append(ext);
    }
    vars.InputFileTypes = file.sectionValues(QStringLiteral("InputFileTypes"));
}

QString BuildOpenFilter(const QList<NameValue>& inputFileTypes, const QString& allFilesCaption)
{
    QString filter;
    for (const auto& [name, patterns] : inputFileTypes)
        filter += name + u'|' + patterns + u'|';
    return filter + allFilesCaption + u"|*.*";
}

bool IsAcceptedInput(const QList<NameValue>& inputFileTypes, const QString& extension)
{
    if (extension.isEmpty()) return false;
    for (const auto& entry : inputFileTypes)
        if (entry.second.contains(extension, Qt::CaseInsensitive)) return true;
    return false;
}
