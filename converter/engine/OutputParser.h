#pragma once

#include "base/globals.h"
#include "engine/ProgressView.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The current local date and time in days, the unit of the state's times.
double NowDays();

// The time-of-day part of a span in days as h:nn:ss; spans below zero show
// as 0:00:00.
QString ClockText(double days);

// A line that reports a failure of the encoder.
bool IsErrorLine(const QString& line);

// The line after the stream mapping at which the rest of a chunk is skipped.
bool IsEndOfHeaderLine(const QString& previousLine, const QString& line);

// LabelBatchEstimated and LabelBatchRemaining from the bytes done so far.
void ShowBatchEstimate(TProgressWindow& view, qint64 totalBytes, qint64 doneBytes,
                       double elapsedDays);

// Reads the encoder's console text, chunk by chunk from either stream, into
// the state's per-file fields and the progress view.
class TOutputParser {
public:
    // A chunk without line breaks is held back only up to this many
    // characters; beyond that it is taken as a line.
    static constexpr int MaxPendingLine = 64 * 1024;

    TOutputParser(TGlobalVars& vars, TBatchFront front);

    // One chunk; bytes after a zero byte are ignored. At the final drain
    // (processEnded) an unterminated last line is processed too. The runner
    // delivers no chunk when the child's output was all read before it
    // ended, so Feed(nullptr, 0, true) at the end of a file takes the rest.
    void Feed(const char* buffer, int count, bool processEnded);

    // The encoder options of the running file, where " -t " and " -ss " are
    // looked up for the clip limit. Only the options: file names may hold
    // those texts too.
    QString Options;
    // The queue row of the running file.
    int Row = -1;
    // The clock in days, read once per chunk.
    std::function<double()> Now = NowDays;

private:
    void processLine(const QString& line);
    void applyClipLimit();
    void readPosition(const QString& line);

    TGlobalVars& m_vars;
    TBatchFront m_front;
    // The first bytes of a UTF-8 character that the last chunk cut off.
    QByteArray m_partialCharacter;
    double m_now = 0;
};
