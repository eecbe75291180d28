// Megabytes of encoder console text per second through the output parser,
// against a plain pass that only splits the same text into lines, both fed in
// the runner's 4 KiB chunks. Usage: bench_parser [--json FILE] [megabytes],
// default 8.
//
// bench_parser [--json FILE] --console TEXT instead takes the console text a
// real conversion wrote, in the chunks it arrived in (sizes in TEXT.chunks,
// one per line; 4 KiB chunks without that file), and prints the CPU time one
// parser spends on all of it, and a line split, per pass: what the parser
// adds to that conversion's CPU time (parser_share.py).

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "BenchJson.h"
#include "engine/OutputParser.h"
#include "localisation/MessageTable.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype ChunkSize = 4096;

// A front that shows nothing, so that only the parser is measured.
class NullFront : public TFileList, public TMessages, public TProgressWindow, public TTray {
public:
    TBatchFront Front() { return {*this, *this, *this, *this}; }

    int RowCount() const override { return 1; }
    QString RowCaption(int) const override { return {}; }
    QString RowFileSize(int) const override { return {}; }
    void ResetRowStates() override {}
    void SetRowState(int, RowState, const QStringList&) override {}
    QString OutputFolderText() const override { return {}; }

    void ShowMessage(const QString&, const QString&, TMessageIcon) override {}
    int AskYesNoCancel(const QString&, const QString&) override { return mrCancel; }
    void ShowErrorLine(const QString&, bool) override {}

    bool ProgressOpen() const override { return true; }
    void OpenProgress(const QString&, const QString&) override {}
    void SetLabel(TProgressLabel, const QString&) override {}
    void SetBar(TProgressBar, int) override {}
    bool AnimationRunning() const override { return m_running; }
    void StartAnimation() override { m_running = true; }
    void SetProgressCaption(const QString&) override {}
    void CloseProgress() override {}

    void SetTrayHint(const QString&) override {}
    void ShowTrayBalloon(const QString&, const QString&, TMessageIcon, int) override {}
    int RunShutdownCountdown() override { return mrCancel; }

private:
    bool m_running = false;
};

// What avcore prints for a long conversion: the header, then one progress
// line ending in CR per quarter second.
QByteArray encoderOutput(qsizetype bytes)
{
    QByteArray text =
        "Input #0, avi, from '/home/ann/Videos/Holiday 2024.avi':\n"
        "  Duration: 48:00:00.00, start: 0.000000, bitrate: 1537 kb/s\n"
        "  Stream #0:0: Video: mpeg4 (Simple Profile) (FMP4 / 0x34504D46), yuv420p, 640x480 "
        "[SAR 1:1 DAR 4:3], 1430 kb/s, 25 fps, 25 tbr, 25 tbn\n"
        "  Stream #0:1: Audio: mp3 (U[0][0][0] / 0x0055), 44100 Hz, stereo, fltp, 128 kb/s\n"
        "Stream mapping:\n"
        "  Stream #0:0 -> #0:0 (mpeg4 (native) -> h264 (libx264))\n"
        "  Stream #0:1 -> #0:1 (mp3 (mp3float) -> aac (native))\n"
        "Output #0, mp4, to '/home/ann/out/Holiday 2024.mp4':\n"
        "  Stream #0:0: Video: h264 (avc1 / 0x31637661), yuv420p(progressive), 480x272, "
        "q=2-31, 768 kb/s, 25 fps, 12800 tbn\n"
        "  Stream #0:1: Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, stereo, fltp, 128 kb/s\n";
    for (int frame = 1; text.size() < bytes; frame += 37) {
        const double seconds = frame / 25.0;
        char line[160];
        std::snprintf(line, sizeof line,
                      "frame=%d fps=%.2f size=%dkB time=%.2f bitrate=%.1fkbits/s speed=%.2fx\r",
                      frame, 148.0 + frame % 7, frame * 4, seconds, 880.0 + frame % 13,
                      5.9 + frame % 3 * 0.01);
        text += line;
    }
    return text + "video:63kB audio:30kB subtitle:0kB other streams:0kB global headers:0kB\n";
}

// The runner's chunks: fixed-size pieces of text, or the given sizes.
QList<QByteArrayView> chunksOf(const QByteArray& text, const QList<qsizetype>& sizes = {})
{
    QList<QByteArrayView> chunks;
    qsizetype at = 0;
    for (const qsizetype size : sizes) {
        if (size <= 0 || at + size > text.size()) break;
        chunks.append(QByteArrayView(text.constData() + at, size));
        at += size;
    }
    for (; at < text.size(); at += ChunkSize)
        chunks.append(QByteArrayView(text.constData() + at, std::min(ChunkSize, text.size() - at)));
    return chunks;
}

// One file's text through a parser as the batch driver feeds it; the
// position it ends at.
// The figures of one file of a one-file batch.
struct FileFigures {
    TBatchState batch;
    TFileState file;
    FileFigures()
    {
        batch.StartTime = file.StartTime = NowDays();
        batch.TotalCount = 1;
        batch.TotalBytes = file.Bytes = 10 << 20;
        file.Row = 0;
    }
};

qint64 parsePass(FileFigures& figures, const QList<QByteArrayView>& chunks)
{
    NullFront front;
    TOutputParser parser(front.Front());
    parser.StartFile(figures.batch, figures.file, {});
    for (const QByteArrayView chunk : chunks)
        parser.Feed(TChannel::Error, chunk.data(), int(chunk.size()), false);
    parser.Drain();
    return figures.file.PositionMs;
}

// The least any reader does: find the line ends, carrying a partial line
// from one chunk to the next. The number of lines.
qint64 splitPass(const QList<QByteArrayView>& chunks)
{
    QByteArray pending;
    qint64 lines = 0;
    for (const QByteArrayView chunk : chunks) {
        qsizetype start = 0;
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            if (chunk[i] != '\r' && chunk[i] != '\n') continue;
            pending += chunk.sliced(start, i - start);
            if (!pending.isEmpty()) ++lines;
            pending.clear();
            start = i + 1;
        }
        pending += chunk.sliced(start);
    }
    if (!pending.isEmpty()) ++lines;
    return lines;
}

// Best wall time of runs calls, in seconds.
double bestSeconds(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// CPU milliseconds per pass: the median over groups of passes, each group
// long enough for the clock's resolution. prepare(count) runs untimed before
// each group of count passes; pass(i) is the group's i-th pass.
double cpuMsPerPass(const std::function<void(int)>& prepare, const std::function<void(int)>& pass)
{
    constexpr int Groups = 21;
    constexpr double GroupMs = 20;
    int count = 1;
    for (;;) {
        prepare(count);
        const double start = threadCpuMs();
        for (int i = 0; i < count; ++i)
            pass(i);
        if (threadCpuMs() - start >= GroupMs || count >= (1 << 20)) break;
        count *= 2;
    }
    QList<double> perPass;
    for (int group = 0; group < Groups; ++group) {
        prepare(count);
        const double start = threadCpuMs();
        for (int i = 0; i < count; ++i)
            pass(i);
        perPass.append((threadCpuMs() - start) / count);
    }
    std::sort(perPass.begin(), perPass.end());
    return perPass.at(Groups / 2);
}

int consoleShare(const QString& path, const QString& jsonFile)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray text = file.readAll();
    QList<qsizetype> sizes;
    QFile sizeFile(path + u".chunks"_s);
    if (sizeFile.open(QIODevice::ReadOnly)) {
        for (const QByteArray& size : sizeFile.readAll().split('\n'))
            if (!size.trimmed().isEmpty()) sizes.append(size.trimmed().toLongLong());
    }
    const QList<QByteArrayView> chunks = chunksOf(text, sizes);

    // Each pass is a new file for a new parser, as in a batch.
    std::vector<FileFigures> vars;
    const auto freshVars = [&](int count) { vars.assign(size_t(count), FileFigures()); };
    qint64 lastPosition = 0;
    const double parserMs =
        cpuMsPerPass(freshVars, [&](int i) { lastPosition = parsePass(vars[size_t(i)], chunks); });
    qint64 lines = 0;
    const double splitMs = cpuMsPerPass([](int) {}, [&](int) { lines = splitPass(chunks); });

    std::printf("console text: %lld bytes in %lld chunks, %lld lines, last position %lld ms\n",
                qint64(text.size()), qint64(chunks.size()), lines, lastPosition);
    std::printf("parser:     %10.4f ms CPU per pass\n", parserMs);
    std::printf("line split: %10.4f ms CPU per pass\n", splitMs);
    std::printf("ratio (parser / line split): %.1f\n", parserMs / splitMs);
    return benchjson::write(jsonFile, {{u"bytes"_s, double(text.size())},
                                       {u"chunks"_s, double(chunks.size())},
                                       {u"lines"_s, double(lines)},
                                       {u"last_position_ms"_s, double(lastPosition)},
                                       {u"parser_cpu_ms"_s, parserMs},
                                       {u"split_cpu_ms"_s, splitMs}})
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const QString jsonFile = benchjson::takeJsonOption(args);
    if (const qsizetype at = args.indexOf(u"--console"_s); at >= 0)
        return consoleShare(args.value(at + 1), jsonFile);
    const int megabytes = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 8;
    const QByteArray text = encoderOutput(qsizetype(megabytes) << 20);
    const QList<QByteArrayView> chunks = chunksOf(text);
    constexpr int Runs = 5;

    qint64 lastPosition = 0;
    const double parserSeconds = bestSeconds(Runs, [&] {
        FileFigures figures;
        lastPosition = parsePass(figures, chunks);
    });
    qint64 lines = 0;
    const double splitSeconds = bestSeconds(Runs, [&] { lines = splitPass(chunks); });

    const double mb = double(text.size()) / (1 << 20);
    std::printf("text: %.1f MB, %lld lines, last position %lld ms\n", mb, lines, lastPosition);
    std::printf("parser:     %8.1f MB/s\n", mb / parserSeconds);
    std::printf("line split: %8.1f MB/s\n", mb / splitSeconds);
    std::printf("ratio (parser time / line split time): %.1f\n", parserSeconds / splitSeconds);
    return benchjson::write(jsonFile, {{u"megabytes"_s, mb},
                                       {u"parser_mb_per_s"_s, mb / parserSeconds},
                                       {u"split_mb_per_s"_s, mb / splitSeconds}})
               ? 0
               : 1;
}
