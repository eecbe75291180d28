#pragma once

#include <QString>
#include <QStringList>

// The text between the first startMarker and the next endMarker after it,
// trimmed; empty when either marker is missing.
QString TextBetween(const QString& text, const QString& startMarker, const QString& endMarker);

// The pieces between separators, the last one included; "" gives one piece.
QStringList SplitText(const QString& text, const QString& separator);

// True when the name is non-empty and free of \ / : * ? " < > |.
bool IsValidFileName(const QString& name);

// count decimal digits, each uniformly 0..9, from a generator seeded afresh
// from the clock on every call.
QString RandomDigits(int count);
