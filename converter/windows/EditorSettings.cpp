#include "windows/EditorSettings.h"

#include "profiles/ProfileFields.h"

TEditorSettings::TEditorSettings(int format) : m_table(ProfileRecordOf(format))
{
    if (!m_table) qFatal("No settings record for output format %d", format);
}

const ProfileField& TEditorSettings::field(const QString& key) const
{
    const ProfileField* found = FindProfileField(*m_table, key);
    if (!found) qFatal("The settings record has no key %s", qUtf8Printable(key));
    return *found;
}

qint32 TEditorSettings::Number(const QString& key) const
{
    return FieldText(field(key), m_table->record).toInt();
}

QString TEditorSettings::Text(const QString& key) const
{
    return FieldText(field(key), m_table->record);
}

void TEditorSettings::SetNumber(const QString& key, qint32 value)
{
    SetFieldFromText(field(key), m_table->record, QString::number(value));
    m_written.append(key);
}

void TEditorSettings::SetText(const QString& key, const QString& value)
{
    SetFieldFromText(field(key), m_table->record, value);
    m_written.append(key);
}

QStringList TEditorSettings::Keys() const
{
    QStringList keys;
    for (const ProfileField& f : m_table->fields)
        keys.append(f.key);
    return keys;
}
