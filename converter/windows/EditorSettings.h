#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

struct ProfileField;
struct ProfileRecord;

// The settings record of an output format as the profile editors reach it:
// field by field, through the keys the profile file uses. A key the record
// does not have is a fault in the editor tables and stops the program.
class TEditorSettings {
public:
    explicit TEditorSettings(int format);

    qint32 Number(const QString& key) const;
    bool Flag(const QString& key) const { return Number(key) != 0; }
    QString Text(const QString& key) const;

    void SetNumber(const QString& key, qint32 value);
    void SetFlag(const QString& key, bool value) { SetNumber(key, value ? 1 : 0); }
    void SetText(const QString& key, const QString& value);

    // Every key written since creation, in order; tests check the coverage.
    const QStringList& KeysWritten() const { return m_written; }
    // Every key of the record.
    QStringList Keys() const;

private:
    const ProfileField& field(const QString& key) const;

    const ProfileRecord* m_table = nullptr;
    QStringList m_written;
};
