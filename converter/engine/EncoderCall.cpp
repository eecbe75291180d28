#include "engine/EncoderCall.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Replaces the first occurrence only, as the two rewrites do.
void replaceFirst(QString& text, const QString& what, const QString& by)
{
    const qsizetype at = text.indexOf(what);
    if (at >= 0) text.replace(at, what.size(), by);
}

// Inside single quotes only the quote itself needs care.
QString escapedForSingleQuotes(const QString& value)
{
    return QString(value).replace(u"'"_s, u"'\\''"_s);
}

QString singleQuoted(const QString& value) { return u'\'' + escapedForSingleQuotes(value) + u'\''; }

bool plainWord(const QString& word)
{
    static const QString punctuation = u"@%+=:,./-_"_s;
    return !word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) {
        return (c.unicode() < 128 && c.isLetterOrNumber()) || punctuation.contains(c);
    });
}

// A value for the shell, for the quoting context it is substituted into.
QString quotedFor(QChar context, const QString& value)
{
    if (value.isEmpty()) return {};
    QString out;
    if (context == u'"') {
        for (const QChar c : value) {
            if (c == u'"' || c == u'\\' || c == u'$' || c == u'`') out += u'\\';
            out += c;
        }
        return out;
    }
    if (context == u'\'') return escapedForSingleQuotes(value);
    return singleQuoted(value);
}

}  // namespace

QString SubstituteTemplate(const QString& line, const QList<std::pair<QString, QString>>& values)
{
    QString out;
    QChar context;  // '"' or '\'' while inside such quotes
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'<' && line.mid(i, 2) == u"<%"_s) {
            bool replaced = false;
            for (const auto& [name, value] : values) {
                if (line.mid(i, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
                    out += quotedFor(context, value);
                    i += name.size() - 1;
                    replaced = true;
                    break;
                }
            }
            if (replaced) continue;
        }
        out += c;
        if (c == u'\\' && context != u'\'' && i + 1 < line.size()) {
            out += line.at(++i);
        } else if ((c == u'"' || c == u'\'') && (context.isNull() || context == c)) {
            context = context.isNull() ? c : QChar();
        }
    }
    return out;
}

TEncoderCall ComposeEncoderCall(const QString& encoder, const QString& input,
                                const QString& options, const QString& output)
{
    // The rewrites look at the options only: file names may hold the same
    // texts and must not steer them.
    QString opts = u' ' + options;
    if (opts.contains(u" -ac 5:1 "_s) && !opts.contains(u" -ab "_s))
        replaceFirst(opts, u" -ac "_s, u" -ab 256 -ac "_s);
    if (opts.contains(u" -vcodec ffvhuff "_s))
        replaceFirst(opts, u" -vcodec ffvhuff "_s, u" -vcodec ffvhuff -strict -2 "_s);
    opts.remove(0, 1);

    TEncoderCall call;
    call.Options = opts;
    call.Arguments = QStringList{encoder, u"-i"_s, input};
    call.Arguments += opts.split(u' ', Qt::SkipEmptyParts);
    call.Arguments += output;
    call.Text = encoder + u" -i \""_s + input + u"\" "_s + opts + u" \""_s + output + u'"';
    return call;
}

QString ShellCommandLine(const QStringList& arguments)
{
    QStringList words;
    for (const QString& argument : arguments)
        words << (plainWord(argument) ? argument : singleQuoted(argument));
    return words.join(u' ');
}
