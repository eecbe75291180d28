#pragma once

// "--json FILE" on a benchmark's command line: besides the lines it prints,
// the benchmark writes its figures to FILE as one JSON object, which
// bench/run tabulates.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstdio>

namespace benchjson {

// Takes "--json FILE" out of args; FILE, or empty when it is not given.
inline QString takeJsonOption(QStringList& args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--json"));
    if (at < 0 || at + 1 >= args.size()) return {};
    const QString file = args.at(at + 1);
    args.remove(at, 2);
    return file;
}

// Writes figures to file unless file is empty; false, after saying why, when
// it cannot.
inline bool write(const QString& file, const QJsonObject& figures)
{
    if (file.isEmpty()) return true;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(QJsonDocument(figures).toJson()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

}  // namespace benchjson
