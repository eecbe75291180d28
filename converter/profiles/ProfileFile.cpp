#include "profiles/ProfileFile.h"

#include "base/IniFile.h"
#include "profiles/ProfileFields.h"

using namespace Qt::StringLiterals;

namespace {

const QString Section = u"General"_s;

}  // namespace

void LoadProfileSettings(int format, const QString& path)
{
    if (const ProfileRecord* table = ProfileRecordOf(format))
        LoadProfileSettings(format, path, table->record);
}

void LoadProfileSettings(int format, const QString& path, void* record)
{
    const ProfileRecord* table = ProfileRecordOf(format);
    if (!table) return;
    const IniFile file(path);
    for (const ProfileField& field : table->fields)
        if (const auto text = file.value(Section, field.key))
            SetFieldFromText(field, record, *text);
}

void SaveProfileSettings(int format, const QString& path)
{
    const ProfileRecord* table = ProfileRecordOf(format);
    if (!table) return;
    IniFile file(path);
    for (const ProfileField& field : table->fields)
        file.setString(Section, field.key, FieldText(field, table->record));
    file.commit();
}
