#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// Replaces every placeholder <%Name%> (letters in any case) of the table's
// names by its value. Outside quotes a value is single-quoted for the shell,
// inside double or single quotes it is escaped for that context, so any
// name is taken literally.
QString SubstituteTemplate(const QString& line, const QList<std::pair<QString, QString>>& values);

// The encoder call of one file, as argument vector and as display text.
struct TEncoderCall {
    QStringList Arguments;
    QString Text;
    QString Options;  // the encoder options after the rewrites
};

// Composes encoder -i "input" options "output" and applies the two rewrites
// (-ab 256 for 5.1 without a bit rate, -strict -2 for ffvhuff).
TEncoderCall ComposeEncoderCall(const QString& encoder, const QString& input,
                                const QString& options, const QString& output);

// A line that a POSIX shell runs as exactly these arguments: each one that
// holds anything but plain characters is single-quoted.
QString ShellCommandLine(const QStringList& arguments);
