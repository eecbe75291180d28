#include "base/TimeText.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <optional>

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

// Milliseconds of [[h:]m:]s fields, or nothing when the total does not fit.
std::optional<qint64> clockMs(const QStringList& fields)
{
    qint64 seconds = 0;
    for (const QString& field : fields)
        if (__builtin_mul_overflow(seconds, 60, &seconds) ||
            __builtin_add_overflow(seconds, number(field), &seconds))
            return std::nullopt;
    qint64 ms = 0;
    if (__builtin_mul_overflow(seconds, 1000, &ms)) return std::nullopt;
    return ms;
}

}  // namespace

qint64 TimeTextToMs(const QString& text)
{
    if (text.isEmpty() || !onlyTimeCharacters(text)) return -1;
    const qsizetype colons = text.count(u':');
    const qsizetype dots = text.count(u'.');
    if (colons > 2 || dots > 1) return -1;
    const qsizetype dot = text.indexOf(u'.');
    if (dots == 1 && dot < text.lastIndexOf(u':')) return -1;
    const auto whole = clockMs(text.left(dots == 1 ? dot : text.size()).split(u':'));
    qint64 ms = 0;
    if (!whole || __builtin_add_overflow(*whole, dots == 1 ? number(text.mid(dot + 1)) : 0, &ms))
        return -1;
    return ms;
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
    // Worked in double so that absurd values saturate instead of overflowing.
    const double ms = std::round(double(integerAt(0)) * 3600000.0 + double(integerAt(1)) * 60000.0 +
                                 seconds * 1000.0);
    constexpr double limit = 9.2e18;
    if (!std::isfinite(ms)) return 0;
    return qint64(std::clamp(ms, -limit, limit));
}
