#include "ListDragPayload.h"

#include <QCoreApplication>
#include <QtEndian>

namespace {

QString escapedLine(const QString& path)
{
    QString line;
    line.reserve(path.size() + 1);
    for (const QChar c : path) {
        if (c == u'\\')
            line += u"\\\\";
        else if (c == u'\n')
            line += u"\\n";
        else
            line += c;
    }
    return line;
}

QString unescapedLine(QStringView line)
{
    QString path;
    path.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\' && i + 1 < line.size()) {
            ++i;
            path += line[i] == u'n' ? QChar(u'\n') : line[i];
        } else {
            path += line[i];
        }
    }
    return path;
}

}  // namespace

quint32 ListDragSourceId(bool consoleSide)
{
    const auto pid = static_cast<quint32>(QCoreApplication::applicationPid());
    return (pid << 1) | (consoleSide ? 1u : 0u);
}

QByteArray EncodeListDragPayload(quint32 sourceList, const QStringList& mp4Paths)
{
    QString text;
    for (const QString& path : mp4Paths)
        text += escapedLine(path) + u'\n';
    QByteArray bytes = text.toUtf8();
    bytes.append('\0');

    QByteArray block(8, '\0');
    qToLittleEndian<quint32>(sourceList, block.data());
    qToLittleEndian<quint32>(static_cast<quint32>(bytes.size()), block.data() + 4);
    return block + bytes;
}

std::optional<ListDragPayload> DecodeListDragPayload(const QByteArray& block)
{
    if (block.size() < 8) return std::nullopt;
    const quint32 length = qFromLittleEndian<quint32>(block.constData() + 4);
    if (length == 0 || length > static_cast<quint32>(block.size() - 8)) return std::nullopt;
    QByteArray bytes = block.mid(8, length);
    // The text ends at its first zero, whatever the length field claims.
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) bytes.truncate(zero);
    return ListDragPayload{qFromLittleEndian<quint32>(block.constData()), QString::fromUtf8(bytes)};
}

QStringList DroppedPaths(const QString& text)
{
    QStringList paths;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        if (end == start) break;
        paths << unescapedLine(QStringView(text).mid(start, end - start));
        start = end + 1;
    }
    return paths;
}
