#pragma once

#include <QString>
#include <QStringList>

// Keys of the process-wide message table, in table order.
enum MsgKey : int {
#define MSG_ENTRY(key, text) key,
#include "localisation/MessageKeys.def"
#undef MSG_ENTRY
    MSG_KEY_COUNT
};

// The current text of a key.
const QString& Msg(MsgKey key);

// The key's name as language files spell it, e.g. "MSG_CONVERT".
QString MsgKeyName(MsgKey key);

// The built-in English text of a key.
QString MsgDefault(MsgKey key);

// Puts the built-in English texts back, as at process start.
void ResetMessageTable();

// Loads a language file over the table: keys it holds replace their texts,
// absent keys keep the current ones, and every text is normalised. A file
// that is missing or cannot be read changes nothing and gives false. The file
// name is matched without regard to case.
bool LoadLanguage(const QString& path);

// Trims control characters and blanks at both ends, folds runs of spaces
// into one, and turns each "#13" into a line break (CR LF).
QString NormalizeLanguageText(const QString& text);

// Fills each %s and %d with the next argument and turns %% into %, as the
// texts' placeholders expect. Arguments go in as they are and are never read
// as patterns themselves; a missing argument leaves its place empty.
QString FormatText(const QString& pattern, const QStringList& args);

inline QString ToArgument(const QString& text) { return text; }
inline QString ToArgument(qint64 number) { return QString::number(number); }

// The current text of a key with its placeholders filled.
template <class... Args>
QString MsgFormat(MsgKey key, const Args&... args)
{
    return FormatText(Msg(key), QStringList{ToArgument(args)...});
}
