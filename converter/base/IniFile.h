#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <utility>

// A write the system refused; the text is "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString& path);
    const QString& path() const { return m_path; }
    QString text() const;

private:
    QString m_path;
};

// An INI file read and written by the classic profile-file rules: section and
// key names match without case, the first occurrence wins, values are
// trimmed, lose one pair of enclosing quotes and are cut to 2047 characters.
// A change updates the key in place, or adds it at the end of its section.
// Changes are made in memory; commit() replaces the whole file atomically in
// one write, so the file on disk is always either the old or the new one.
class IniFile {
public:
    static constexpr int MaxValueLength = 2047;

    // Reads the file; a missing or unreadable one reads as empty.
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }
    bool existed() const { return m_existed; }

    std::optional<QString> value(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // A value that is not an integer counts as absent.
    std::optional<qint32> readInteger(const QString& section, const QString& key) const;
    qint32 readInteger(const QString& section, const QString& key, qint32 defaultValue) const;
    // Any integer but 0 is true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    // The names of the sections in file order, as written.
    QStringList sectionNames() const;
    // The key=value lines of a section in file order, values cleaned as above.
    QList<std::pair<QString, QString>> sectionValues(const QString& section) const;

    // Changes in memory. A value holding a line break would end early and
    // turn its tail into lines of their own: it throws IniWriteError and
    // changes nothing.
    void setString(const QString& section, const QString& key, const QString& value);
    void setInteger(const QString& section, const QString& key, qint64 value);
    void setBool(const QString& section, const QString& key, bool value);
    // Writes the file with the changes made since the last commit, all at
    // once. Throws IniWriteError when the file cannot be written: the file
    // then keeps its previous contents, and so does this object, the changes
    // dropped.
    void commit();

    // One change, written at once: set and commit.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, qint64 value);
    void writeBool(const QString& section, const QString& key, bool value);

private:
    struct Section {
        QString name;                    // as written
        qsizetype header = -1;           // line of the section header
        qsizetype end = 0;               // first line after the section
        QHash<QString, qsizetype> keys;  // case-folded key -> line of its first occurrence
    };
    // Indexes m_lines once per read or write, so that lookups cost no scan.
    void index();
    const Section* findSection(const QString& section) const;
    qsizetype findKey(const Section& section, const QString& key) const;
    void save(const QStringList& lines) const;

    QString m_path;
    QStringList m_lines;
    QStringList m_committed;                   // the lines on disk; m_lines differs by the changes
    QList<Section> m_sections;                 // file order, repeats included
    QHash<QString, qsizetype> m_sectionIndex;  // case-folded name -> its first section
    QString m_lineEnd = QStringLiteral("\n");
    bool m_bom = false;
    bool m_existed = false;
};

// Integer text: decimal with an optional sign, or hexadecimal after "$", or
// after "0x"/"0X" when more follows. Anything else gives nothing.
std::optional<qint32> ParseIniInteger(const QString& text);

// A raw value as the reader takes it: trimmed, unquoted, cut to length.
QString CleanIniValue(const QString& raw);
