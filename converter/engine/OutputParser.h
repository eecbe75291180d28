#pragma once

#include "engine/BatchState.h"
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

// The batch's percentage from its bytes, rounded as the file's is.
qint32 BatchPercentOf(const TBatchState& batch);

// LabelBatchEstimated and LabelBatchRemaining from the bytes done so far.
void ShowBatchEstimate(TProgressWindow& view, qint64 totalBytes, qint64 doneBytes,
                       double elapsedDays);

// The stream a chunk came from; each keeps its own unfinished line.
enum class TChannel : int { Output = 0, Error = 1 };

// Reads the encoder's console text, chunk by chunk from either stream, into
// the running file's figures, the batch's figures and the progress view.
class TOutputParser {
public:
    // A chunk without line breaks is held back only up to this many
    // characters; beyond that it is taken as a line.
    static constexpr int MaxPendingLine = 64 * 1024;

    explicit TOutputParser(TBatchFront front);

    // The next file; the parser writes into both until the next call. Text
    // the previous file left unfinished is dropped.
    void StartFile(TBatchState& batch, TFileState& file, const QString& options);

    // One chunk of one stream; bytes after a zero byte are ignored. At the
    // final drain (processEnded) an unterminated last line is processed too.
    void Feed(TChannel channel, const char* buffer, int count, bool processEnded);
    // The end of the file: the runner delivers no chunk when the child's
    // output was all read before it ended, so the unfinished lines of both
    // streams are taken here.
    void Drain();

    // The unfinished line a stream left.
    QString PendingLine(TChannel channel) const { return m_pending[int(channel)]; }

    // The clock in days, read once per chunk.
    std::function<double()> Now = NowDays;

private:
    void processLine(const QString& line);
    void applyClipLimit();
    void readPosition(const QString& line);

    TBatchFront m_front;
    TBatchState* m_batch = nullptr;
    TFileState* m_file = nullptr;
    // The encoder options of the running file, where " -t " and " -ss " are
    // looked up for the clip limit. Only the options: file names may hold
    // those texts too.
    QString m_options;
    QString m_pending[2];
    // The first bytes of a UTF-8 character that the last chunk cut off.
    QByteArray m_partialCharacter[2];
    double m_now = 0;
};
