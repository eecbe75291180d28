#include "engine/OutputParser.h"

#include "base/FileFunctions.h"
#include "base/TextFunctions.h"
#include "base/TimeText.h"
#include "localisation/MessageTable.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double MsPerDay = 86400000.0;

// Encoder times are read in doubles; a length or position beyond what the
// state holds stays at the largest value instead of wrapping round.
qint32 saturatedMs(double ms)
{
    constexpr double low = std::numeric_limits<qint32>::min();
    constexpr double high = std::numeric_limits<qint32>::max();
    return qint32(std::clamp(ms, low, high));
}

qint32 percentOf(double part, double whole)
{
    return qint32(std::min(100.0, std::nearbyint(part / whole * 100.0)));
}

QString fileNamePart(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); }

// A name in a header line ends at the line's last "':": the name itself may
// hold the end marker.
QString quotedName(const QString& line, const QString& startMarker)
{
    const qsizetype start = line.indexOf(startMarker);
    if (start < 0) return {};
    const qsizetype from = start + startMarker.size();
    const qsizetype end = line.lastIndexOf(u"':"_s);
    if (end < from) return {};
    return line.mid(from, end - from).trimmed();
}

bool isHeaderLine(const QString& line)
{
    return line.contains(u"Input #0, "_s) || line.contains(u"Output #0, "_s);
}

// The bytes of a UTF-8 sequence that the buffer's end cuts off, 0 when its
// last character is whole.
int incompleteTail(const char* data, int count)
{
    for (int back = 1; back <= 3 && back <= count; ++back) {
        const auto byte = static_cast<unsigned char>(data[count - back]);
        if ((byte & 0xC0) == 0x80) continue;
        int length = 1;
        if ((byte & 0xE0) == 0xC0)
            length = 2;
        else if ((byte & 0xF0) == 0xE0)
            length = 3;
        else if ((byte & 0xF8) == 0xF0)
            length = 4;
        return length > back ? back : 0;
    }
    return 0;
}

// CR, LF, CR LF and LF CR each end one line.
QStringList splitLines(const QString& text)
{
    QStringList lines;
    const QChar* data = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c != u'\r' && c != u'\n') continue;
        lines.append(QString(data + start, i - start));
        const QChar partner = c == u'\r' ? u'\n' : u'\r';
        if (i + 1 < size && data[i + 1] == partner) ++i;
        start = i + 1;
    }
    lines.append(QString(data + start, size - start));
    return lines;
}

}  // namespace

double NowDays()
{
    const QDateTime now = QDateTime::currentDateTime();
    return double(QDate(1899, 12, 30).daysTo(now.date())) +
           double(now.time().msecsSinceStartOfDay()) / MsPerDay;
}

QString ClockText(double days)
{
    if (!std::isfinite(days) || days < 0) return u"0:00:00"_s;
    const auto ms = qint64(std::llround((days - std::floor(days)) * MsPerDay)) % qint64(MsPerDay);
    const qint64 seconds = ms / 1000;
    return QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

bool IsErrorLine(const QString& line)
{
    // Header lines quote file names, which may hold any of the texts below.
    if (isHeaderLine(line)) return false;
    if (line.contains(u"No audio or video streams available"_s) ||
        line.contains(u"I/O error occured"_s) || line.contains(u"Could not open"_s))
        return true;
    return line.startsWith(u"Error"_s) && !line.startsWith(u"Error while decoding stream"_s);
}

bool IsEndOfHeaderLine(const QString& previousLine, const QString& line)
{
    return previousLine.contains(u"Stream"_s) && previousLine.contains(u"->"_s) &&
           !line.contains(u"Stream"_s) && !line.contains(u"size="_s) &&
           !(line.startsWith(u'[') && line.contains(u'@')) && line.contains(u"back"_s) &&
           line.contains(u"last"_s);
}

qint32 BatchPercentOf(const TBatchState& batch)
{
    if (batch.TotalBytes <= 0) return 0;
    return percentOf(double(batch.DoneBytes), double(batch.TotalBytes));
}

void ShowBatchEstimate(TProgressWindow& view, qint64 totalBytes, qint64 doneBytes,
                       double elapsedDays)
{
    if (doneBytes <= 0) return;
    const double estimate = double(totalBytes) * elapsedDays / double(doneBytes);
    view.SetLabel(TProgressLabel::LabelBatchEstimated, ClockText(estimate));
    view.SetLabel(TProgressLabel::LabelBatchRemaining, ClockText(estimate - elapsedDays));
}

TOutputParser::TOutputParser(TBatchFront front) : m_front(front) {}

void TOutputParser::StartFile(TBatchState& batch, TFileState& file, const QString& options)
{
    m_batch = &batch;
    m_file = &file;
    m_options = options;
    for (int channel = 0; channel < 2; ++channel) {
        m_pending[channel].clear();
        m_partialCharacter[channel].clear();
    }
}

void TOutputParser::Drain()
{
    Feed(TChannel::Output, nullptr, 0, true);
    Feed(TChannel::Error, nullptr, 0, true);
}

void TOutputParser::Feed(TChannel channel, const char* buffer, int count, bool processEnded)
{
    if (!m_file) return;
    QString& pending = m_pending[int(channel)];
    QByteArray& partial = m_partialCharacter[int(channel)];
    const char* zero =
        count > 0 ? static_cast<const char*>(std::memchr(buffer, 0, size_t(count))) : nullptr;
    if (zero) count = int(zero - buffer);
    if (processEnded && count <= 0 && pending.isEmpty() && partial.isEmpty()) return;

    // A character cut by the chunk's end waits for the rest of its bytes.
    QByteArray bytes = partial;
    bytes.append(buffer, std::max(count, 0));
    partial.clear();
    if (!processEnded) {
        const int cut = incompleteTail(bytes.constData(), int(bytes.size()));
        partial = bytes.right(cut);
        bytes.chop(cut);
    }

    QStringList lines = splitLines(pending + QString::fromUtf8(bytes));
    pending.clear();
    if (!processEnded && lines.last().size() <= MaxPendingLine) pending = lines.takeLast();

    m_front.Files.SetRowState(m_file->Row, rsConverting, {});

    // One reading of the clock serves the whole chunk: its lines arrived
    // together, and the local time is costly to read.
    m_now = Now();
    // Blank lines do not count as the previous line: a CR and its LF in
    // separate chunks leave one between two lines.
    QString previousLine;
    for (const QString& line : std::as_const(lines)) {
        if (line.trimmed().isEmpty() || !m_front.Progress.ProgressOpen()) continue;
        processLine(line);
        if (IsErrorLine(line)) {
            const bool firstOfFile = !m_file->Failed;
            m_file->Failed = true;
            m_front.Messages.ShowErrorLine(line, firstOfFile);
        } else if (IsEndOfHeaderLine(previousLine, line)) {
            break;
        }
        previousLine = line;
    }
}

void TOutputParser::processLine(const QString& line)
{
    TFileState& file = *m_file;
    TBatchState& batch = *m_batch;
    const bool header = isHeaderLine(line);

    // Only the first step of a file counts: a device item's later steps read
    // and write intermediate files, and their lengths are not the file's.
    if (line.contains(u"Input #0, "_s)) {
        ++file.Steps;
        const QString name = quotedName(line, u"from '"_s);
        if (file.Steps == 1 && name != u"N/A"_s)
            file.ReportedInput = ExtractFileExt(name) == u".avs"_s ? file.InputFile : name;
    }
    const bool laterStep = file.Steps > 1;
    if (!laterStep && line.contains(u"Output #0, "_s)) {
        const QString name = quotedName(line, u"to '"_s);
        if (name != u"N/A"_s) file.ReportedOutput = name;
    }
    static const QString durationMarker = u"  Duration: "_s;
    if (!laterStep && line.startsWith(durationMarker)) {
        const qsizetype comma = line.indexOf(u',');
        const QString text =
            line.mid(durationMarker.size(), comma < 0 ? -1 : comma - durationMarker.size())
                .trimmed();
        if (text != u"N/A"_s) file.DurationMs = saturatedMs(double(EncoderTimeToMs(text)));
    }

    applyClipLimit();

    if (!laterStep && !header && line.contains(u" time="_s)) readPosition(line);

    const double now = m_now;
    const double batchElapsed = now - batch.StartTime;
    m_front.Progress.SetLabel(TProgressLabel::LabelBatchElapsed, ClockText(batchElapsed));

    if (file.DurationMs != 0 && file.PositionMs != 0) {
        file.Done =
            std::max(file.Done, std::min(1.0, double(file.PositionMs) / double(file.DurationMs)));
        file.Percent = percentOf(file.Done, 1.0);
        m_front.Progress.SetLabel(TProgressLabel::LabelStatus,
                                  Msg(MSG_ID_STATUS) + QString::number(file.Percent) + u'%');
        m_front.Progress.SetBar(TProgressBar::ProgressBarStatus, file.Percent);

        const double fileElapsed = now - file.StartTime;
        double fileRemaining = fileElapsed / file.Done - fileElapsed;
        batch.DoneBytes = batch.FinishedBytes + qint64(double(file.Bytes) * file.Done);
        if (batch.DoneBytes != 0 && batch.TotalBytes != 0) {
            batch.Percent = std::max(batch.Percent, BatchPercentOf(batch));
            m_front.Progress.SetLabel(TProgressLabel::LabelBatch,
                                      Msg(MSG_ID_BATCH) + QString::number(batch.Percent) + u'%');
            m_front.Progress.SetBar(TProgressBar::ProgressBarBatch, batch.Percent);
            ShowBatchEstimate(m_front.Progress, batch.TotalBytes, batch.DoneBytes, batchElapsed);
            // The file's rest is part of the batch's rest: an early guess from
            // the file's first seconds must not promise more than the batch.
            const double batchRemaining =
                double(batch.TotalBytes) * batchElapsed / double(batch.DoneBytes) - batchElapsed;
            fileRemaining = std::min(fileRemaining, batchRemaining);
        }
        m_front.Progress.SetLabel(TProgressLabel::LabelStatusRemaining, ClockText(fileRemaining));
    }

    m_front.Progress.SetLabel(
        TProgressLabel::LabelWorking,
        MsgFormat(MSG_ID_WORKING, qint64(batch.DoneCount) + batch.FailedCount + 1,
                  qint64(batch.TotalCount), fileNamePart(file.ReportedInput)));
    m_front.Progress.SetLabel(TProgressLabel::LabelOutput,
                              MsgFormat(MSG_ID_OUTPUT, fileNamePart(file.ReportedOutput)));

    if (!m_front.Progress.AnimationRunning()) {
        m_front.Progress.StartAnimation();
        m_front.Progress.SetLabel(TProgressLabel::LabelCovnerting, Msg(MSG_CONVERTING));
    }

    m_front.Tray.SetTrayHint(MsgFormat(MSG_TRAY_HINT, file.ReportedInput, qint64(file.Percent)));
}

void TOutputParser::applyClipLimit()
{
    // Padded so that options at the very start or end are found too.
    const QString options = u' ' + m_options + u' ';
    static const QString timeOption = u" -t "_s;
    static const QString startOption = u" -ss "_s;
    const qsizetype at = options.indexOf(timeOption);
    if (at < 0) return;
    // Without a start after it the length ends at the next blank: an empty
    // length would stop all progress.
    const qsizetype from = at + timeOption.size();
    qsizetype to = options.indexOf(startOption, from);
    if (to < 0) to = options.indexOf(u' ', from);
    const qint64 length = EncoderTimeToMs(options.mid(from, to - from).trimmed());
    const qint64 start = EncoderTimeToMs(TextBetween(options, startOption, u" "_s));
    if (double(length) + double(start) < double(m_file->DurationMs))
        m_file->DurationMs = saturatedMs(double(length));
}

void TOutputParser::readPosition(const QString& line)
{
    static const QString marker = u" time="_s;
    const qsizetype from = line.indexOf(marker) + marker.size();
    // A value at the line's end has no blank after it.
    const qsizetype blank = line.indexOf(u' ', from);
    const QString text = line.mid(from, blank < 0 ? -1 : blank - from).trimmed();
    if (text == u"N/A"_s) return;
    // The encoder's placeholder before the first frame is out.
    if (text == u"10000000000.0"_s) {
        m_file->PositionMs = 0;
        return;
    }
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds)) return;
    m_file->PositionMs = saturatedMs(std::nearbyint(seconds * 1000.0));
}
