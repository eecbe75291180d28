#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <memory>

// What a field holds and how the profile file spells it.
enum class FieldKind : quint8 {
    Text,    // QString, written unchanged
    Flag,    // bool, written 1 or 0, read true for any non-zero integer
    Index,   // quint8, keeps only the low 8 bits of what is read
    Number,  // qint32, written in decimal
};

// One field of a settings record: its key, kind, place and default.
struct ProfileField {
    QString key;
    FieldKind kind = FieldKind::Number;
    std::ptrdiff_t offset = 0;            // from the start of the record
    qint32 defaultValue = 0;              // flags, indexes and numbers
    QString defaultText;                  // texts
    bool defaultIsNoDescription = false;  // the language's "No Description" at reset time
};

// The record of one format: its fields, in the order the profile file lists
// them, and what works on any record of its type.
struct ProfileRecord {
    void* record = nullptr;  // the format's one global record
    QList<ProfileField> fields;
    // A new record holding the values of the given one.
    std::shared_ptr<void> (*copy)(const void* record) = nullptr;
    // The encoder options composed from the given record.
    QString (*arguments)(const void* record) = nullptr;
};

// The table of an output format (0 AVI ... 15 WAV); nullptr for any other.
const ProfileRecord* ProfileRecordOf(int format);

// The field of the given key, matched without case; nullptr when the record
// has none.
const ProfileField* FindProfileField(const ProfileRecord& table, const QString& key);

// A field's value as the profile file holds it.
QString FieldText(const ProfileField& field, const void* record);

// Stores a value read from a profile file. Integers may be decimal, "$" or
// "0x" hexadecimal; a value that is no integer leaves a non-text field
// unchanged and gives false.
bool SetFieldFromText(const ProfileField& field, void* record, const QString& text);

void ResetField(const ProfileField& field, void* record);
