#include "TimeText.h"

#include <QStringList>

#include <cmath>

namespace {

// A digit run as a number; one that does not convert (empty, too long) is 0.
qint64 number(const QString& digits)
{
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    return ok ? value : 0;
}

bool onlyTimeCharacters(const QString& text)
{
    for (const QChar c : text)
        if ((c < u'0' || c > u'9') && c != u'.' && c != u':') return false;
    return true;
}

// [h, m, s] from colon fields, the last field being seconds.
qint64 clockMs(const QStringList& fields)
{
    qint64 ms = 0;
    for (const QString& field : fields)
        ms = ms * 60 + number(field);
    return ms * 1000;
}

}  // namespace

qint64 TimeTextToMs(const QString& text)
{
    if (text.isEmpty() || !onlyTimeCharacters(text)) return -1;
    const qsizetype colons = text.count(u':');
    const qsizetype dots = text.count(u'.');
    if (colons > 2 || dots > 1) return -1;
    if (dots == 1) {
        const qsizetype dot = text.indexOf(u'.');
        if (dot < text.lastIndexOf(u':')) return -1;
        return clockMs(text.left(dot).split(u':')) + number(text.mid(dot + 1));
    }
    return clockMs(text.split(u':'));
}

QString MsToTimeText(qint64 ms)
{
    return QString::asprintf("%.1lld:%.2lld:%.2lld.%.3lld", ms / 3600000, ms / 60000 % 60,
                             ms / 1000 % 60, ms % 1000);
}

qint64 EncoderTimeToMs(const QString& text)
{
    const QStringList fields = text.split(u':');
    auto integerAt = [&](int i) { return i < fields.size() ? number(fields[i]) : 0; };
    double seconds = 0;
    if (fields.size() > 2) {
        bool ok = false;
        seconds = fields[2].toDouble(&ok);
        if (!ok) seconds = 0;
    }
    return integerAt(0) * 3600000 + integerAt(1) * 60000 + std::llround(seconds * 1000);
}
