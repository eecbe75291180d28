#include "base/TextFunctions.h"

#include <QAtomicInteger>

#include <chrono>
#include <random>

QString TextBetween(const QString& text, const QString& startMarker, const QString& endMarker)
{
    const qsizetype start = text.indexOf(startMarker);
    if (start < 0) return {};
    const qsizetype from = start + startMarker.size();
    const qsizetype end = text.indexOf(endMarker, from);
    if (end < 0) return {};
    return text.mid(from, end - from).trimmed();
}

QStringList SplitText(const QString& text, const QString& separator)
{
    if (separator.isEmpty()) return {text};
    return text.split(separator, Qt::KeepEmptyParts);
}

bool IsValidFileName(const QString& name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    if (name.isEmpty()) return false;
    for (const QChar c : name)
        if (forbidden.contains(c)) return false;
    return true;
}

QString RandomDigits(int count)
{
    // Two calls within one clock tick must still differ, so a call counter is
    // mixed into the clock seed.
    static QAtomicInteger<quint64> calls;
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<quint64>(ticks), calls.fetchAndAddRelaxed(1)};
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> digit(0, 9);
    QString result;
    result.reserve(qMax(count, 0));
    for (int i = 0; i < count; ++i)
        result.append(QChar(u'0' + digit(generator)));
    return result;
}
