#include "base/IniFile.h"

#include "base/FileFunctions.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

bool isSectionHeader(QStringView line) { return line.trimmed().startsWith(u'['); }

QString sectionName(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    const qsizetype close = trimmed.indexOf(u']');
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed().toString();
}

// The key of a key=value line; nothing for other lines.
std::optional<QString> keyOf(const QString& line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) return std::nullopt;
    const QStringView key = QStringView(line).left(eq).trimmed();
    if (key.isEmpty() || isSectionHeader(line)) return std::nullopt;
    return key.toString();
}

// Names match without case and the first occurrence wins.
void keepFirst(QHash<QString, qsizetype>& index, const QString& name, qsizetype position)
{
    const QString folded = name.toCaseFolded();
    if (!index.contains(folded)) index.insert(folded, position);
}

QString rawValueOf(const QString& line) { return line.mid(line.indexOf(u'=') + 1); }

// Old files may not be UTF-8; those read as Latin-1 rather than as garbage.
QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    return text;
}

bool hasWriteBit(const QFileInfo& info)
{
    return info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
}

}  // namespace

IniWriteError::IniWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(path).toStdString()),
      m_path(path)
{
}

QString IniWriteError::text() const { return QString::fromStdString(what()); }

std::optional<qint32> ParseIniInteger(const QString& text)
{
    QStringView digits(text);
    bool negative = false;
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    int base = 10;
    if (digits.startsWith(u'$')) {
        base = 16;
        digits = digits.mid(1);
    } else if (digits.size() > 2 && (digits.startsWith(u"0x") || digits.startsWith(u"0X"))) {
        base = 16;
        digits = digits.mid(2);
    }
    if (digits.isEmpty()) return std::nullopt;
    for (const QChar c : digits) {
        const bool hex = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!(c >= u'0' && c <= u'9') && !(base == 16 && hex)) return std::nullopt;
    }
    bool ok = false;
    const qulonglong magnitude = digits.toULongLong(&ok, base);
    if (!ok) return std::nullopt;
    qint64 value;
    if (base == 16) {
        // Hexadecimal spells the 32 bits themselves: $FFFFFFFF is -1.
        if (magnitude > 0xFFFFFFFFull) return std::nullopt;
        value = static_cast<qint32>(static_cast<quint32>(magnitude));
    } else {
        if (magnitude > 0x80000000ull) return std::nullopt;
        value = static_cast<qint64>(magnitude);
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<qint32>(value);
}

QString CleanIniValue(const QString& raw)
{
    QString value = raw.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    value.truncate(IniFile::MaxValueLength);
    return value;
}

IniFile::IniFile(QString path) : m_path(std::move(path))
{
    QFile file(m_path);
    m_existed = file.exists();
    if (!file.open(QIODevice::ReadOnly)) return;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_bom = true;
        bytes.remove(0, 3);
    }
    if (bytes.contains("\r\n")) m_lineEnd = QStringLiteral("\r\n");
    QString text = decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_lines = text.split(u'\n');
    if (!m_lines.isEmpty() && m_lines.back().isEmpty()) m_lines.removeLast();
    m_committed = m_lines;
    index();
}

void IniFile::index()
{
    m_sections.clear();
    m_sectionIndex.clear();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (isSectionHeader(m_lines[i])) {
            if (!m_sections.isEmpty()) m_sections.back().end = i;
            m_sections.append({sectionName(m_lines[i]), i, i + 1, {}});
            keepFirst(m_sectionIndex, m_sections.back().name, m_sections.size() - 1);
        } else if (!m_sections.isEmpty()) {
            if (const auto key = keyOf(m_lines[i])) keepFirst(m_sections.back().keys, *key, i);
        }
    }
    if (!m_sections.isEmpty()) m_sections.back().end = m_lines.size();
}

const IniFile::Section* IniFile::findSection(const QString& section) const
{
    const auto found = m_sectionIndex.constFind(section.toCaseFolded());
    return found == m_sectionIndex.cend() ? nullptr : &m_sections[*found];
}

QStringList IniFile::sectionNames() const
{
    QStringList names;
    names.reserve(m_sections.size());
    for (const Section& section : m_sections)
        names.append(section.name);
    return names;
}

qsizetype IniFile::findKey(const Section& section, const QString& key) const
{
    return section.keys.value(key.toCaseFolded(), -1);
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    const Section* found = findSection(section);
    if (!found) return std::nullopt;
    const qsizetype line = findKey(*found, key);
    if (line < 0) return std::nullopt;
    return CleanIniValue(rawValueOf(m_lines[line]));
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

std::optional<qint32> IniFile::readInteger(const QString& section, const QString& key) const
{
    const auto text = value(section, key);
    return text ? ParseIniInteger(*text) : std::nullopt;
}

qint32 IniFile::readInteger(const QString& section, const QString& key, qint32 defaultValue) const
{
    return readInteger(section, key).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    const auto number = readInteger(section, key);
    return number ? *number != 0 : defaultValue;
}

QList<std::pair<QString, QString>> IniFile::sectionValues(const QString& section) const
{
    QList<std::pair<QString, QString>> pairs;
    const Section* found = findSection(section);
    if (!found) return pairs;
    for (qsizetype i = found->header + 1; i < found->end; ++i)
        if (const auto key = keyOf(m_lines[i]))
            pairs.append({*key, CleanIniValue(rawValueOf(m_lines[i]))});
    return pairs;
}

void IniFile::setString(const QString& section, const QString& key, const QString& value)
{
    if (value.contains(u'\n') || value.contains(u'\r')) throw IniWriteError(m_path);
    const Section* span = findSection(section);
    if (!span) {
        if (!m_lines.isEmpty() && !m_lines.back().trimmed().isEmpty()) m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(key + u'=' + value);
    } else if (const qsizetype line = findKey(*span, key); line >= 0) {
        const QString& old = m_lines[line];
        m_lines[line] = old.left(old.indexOf(u'=')).trimmed() + u'=' + value;
    } else {
        qsizetype insertAt = span->end;
        while (insertAt > span->header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
            --insertAt;
        m_lines.insert(insertAt, key + u'=' + value);
    }
    index();
}

void IniFile::setInteger(const QString& section, const QString& key, qint64 value)
{
    setString(section, key, QString::number(value));
}

void IniFile::setBool(const QString& section, const QString& key, bool value)
{
    setString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::commit()
{
    try {
        save(m_lines);
    } catch (const IniWriteError&) {
        m_lines = m_committed;
        index();
        throw;
    }
    m_committed = m_lines;
    m_existed = true;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    setString(section, key, value);
    commit();
}

void IniFile::writeInteger(const QString& section, const QString& key, qint64 value)
{
    setInteger(section, key, value);
    commit();
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    setBool(section, key, value);
    commit();
}

void IniFile::save(const QStringList& lines) const
{
    // A file without any write bit is read-only even for the superuser.
    const QFileInfo info(m_path);
    if (info.exists() && (!info.isFile() || !info.isWritable() || !hasWriteBit(info)))
        throw IniWriteError(m_path);
    QByteArray bytes = m_bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const QString& line : lines)
        bytes += (line + m_lineEnd).toUtf8();
    if (!WriteFileAtomically(m_path, bytes)) throw IniWriteError(m_path);
}
