#pragma once

#include <QString>
#include <QtGlobal>

// Profile time text (H:M:S.F, M:S.F, S.F, S, M:S or H:M:S) to milliseconds;
// -1 for any other form. F counts as plain milliseconds: 1.5 is 1005.
qint64 TimeTextToMs(const QString& text);

// Milliseconds to the canonical H:MM:SS.FFF.
QString MsToTimeText(qint64 ms);

// The encoder's h:mm:ss.ff to milliseconds, rounded; parts that do not
// convert count as 0.
qint64 EncoderTimeToMs(const QString& text);
