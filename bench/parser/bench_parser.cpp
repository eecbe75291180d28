// Megabytes of encoder console text per second through the output parser,
// against a plain pass that only splits the same text into lines, both fed in
// the runner's 4 KiB chunks. Usage: bench_parser [megabytes], default 8.

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "engine/OutputParser.h"
#include "localisation/MessageTable.h"

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
    void ShowPlainMessage(const QString&) override {}
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

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int megabytes = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 8;
    const QByteArray text = encoderOutput(qsizetype(megabytes) << 20);
    constexpr int Runs = 5;

    qint64 lastPosition = 0;
    const double parserSeconds = bestSeconds(Runs, [&] {
        TGlobalVars vars;
        NullFront front;
        TOutputParser parser(vars, front.Front());
        parser.Row = 0;
        for (qsizetype at = 0; at < text.size(); at += ChunkSize) {
            const qsizetype count = std::min(ChunkSize, text.size() - at);
            parser.Feed(text.constData() + at, int(count), false);
        }
        parser.Feed(nullptr, 0, true);
        lastPosition = vars.PositionMs;
    });

    // The least any reader does: find the line ends, carrying a partial line
    // from one chunk to the next.
    qint64 lines = 0;
    const double splitSeconds = bestSeconds(Runs, [&] {
        QByteArray pending;
        lines = 0;
        for (qsizetype at = 0; at < text.size(); at += ChunkSize) {
            const QByteArrayView chunk(text.constData() + at,
                                       std::min(ChunkSize, text.size() - at));
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
    });

    const double mb = double(text.size()) / (1 << 20);
    std::printf("text: %.1f MB, %lld lines, last position %lld ms\n", mb, lines, lastPosition);
    std::printf("parser:     %8.1f MB/s\n", mb / parserSeconds);
    std::printf("line split: %8.1f MB/s\n", mb / splitSeconds);
    std::printf("ratio (parser time / line split time): %.1f\n", parserSeconds / splitSeconds);
    return 0;
}
