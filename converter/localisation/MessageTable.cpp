#include "localisation/MessageTable.h"

#include "base/FileFunctions.h"
#include "base/IniFile.h"

#include <QFile>
#include <QFileInfo>

#include <array>

namespace {

constexpr std::array<const char*, MSG_KEY_COUNT> Names = {
#define MSG_ENTRY(key, text) #key,
#include "localisation/MessageKeys.def"
#undef MSG_ENTRY
};

constexpr std::array<const char*, MSG_KEY_COUNT> Defaults = {
#define MSG_ENTRY(key, text) text,
#include "localisation/MessageKeys.def"
#undef MSG_ENTRY
};

std::array<QString, MSG_KEY_COUNT>& table()
{
    static std::array<QString, MSG_KEY_COUNT> texts = [] {
        std::array<QString, MSG_KEY_COUNT> initial;
        for (int i = 0; i < MSG_KEY_COUNT; ++i)
            initial[i] = QString::fromUtf8(Defaults[i]);
        return initial;
    }();
    return texts;
}

}  // namespace

const QString& Msg(MsgKey key) { return table()[key]; }

QString MsgKeyName(MsgKey key) { return QString::fromLatin1(Names[key]); }

QString MsgDefault(MsgKey key) { return QString::fromUtf8(Defaults[key]); }

void ResetMessageTable()
{
    for (int i = 0; i < MSG_KEY_COUNT; ++i)
        table()[i] = MsgDefault(MsgKey(i));
}

bool LoadLanguage(const QString& path)
{
    const QString actual = ResolvePathNoCase(path);
    // IniFile reads an unreadable file as empty, which would pass for a load.
    QFile probe(actual);
    if (!QFileInfo(actual).isFile() || !probe.open(QIODevice::ReadOnly)) return false;
    const IniFile file(actual);
    static const QString section = QStringLiteral("LANGRES");
    for (int i = 0; i < MSG_KEY_COUNT; ++i) {
        QString& text = table()[i];
        text = NormalizeLanguageText(file.readString(section, MsgKeyName(MsgKey(i)), text));
    }
    return true;
}

QString NormalizeLanguageText(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    QString folded;
    folded.reserve(last - first);
    for (qsizetype i = first; i < last; ++i)
        if (text[i] != u' ' || folded.isEmpty() || folded.back() != u' ') folded.append(text[i]);
    return folded.replace(QStringLiteral("#13"), QStringLiteral("\r\n"));
}

QString FormatText(const QString& pattern, const QStringList& args)
{
    QString result;
    result.reserve(pattern.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        const QChar conversion = i + 1 < pattern.size() ? pattern[i + 1] : QChar();
        if (c != u'%' || (conversion != u's' && conversion != u'd' && conversion != u'%')) {
            result.append(c);
            continue;
        }
        if (conversion == u'%')
            result.append(u'%');
        else if (next < args.size())
            result.append(args[next++]);
        ++i;
    }
    return result;
}
