// Adding real small media files to the converter's queue: the main window's
// AddFiles, its facts read through the media library on the reader's threads
// and turned into rows, against the library's own command-line reader run
// once over the same files. Also the longest time the window's event loop
// was held meanwhile, against the longest the same loop waits while idle for
// as long: what the machine's load alone costs it. Runs without a display.
// Usage: bench_queue [--json FILE] [files] [rounds]; default 1000 files,
// 3 rounds.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

#include "BenchJson.h"
#include "QueueBench.h"
#include "base/ProgramFolder.h"
#include "windows/DialogSeam.h"
#include "windows/FileListView.h"
#include "windows/Main.h"

using namespace queuebench;

namespace {

// CPU time of this process or of its ended children, in milliseconds: on a
// busy machine the wall times say more about the neighbours than about us.
double cpuMs(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct WindowRun {
    double ms = 0;
    double cpuMs = 0;
    double longestBlockMs = 0;
    int rows = 0;
};

// From AddFiles to the last row, the queue emptied first.
WindowRun runWindow(TfrmMain& window, const QStringList& files)
{
    WindowRun run;
    window.Action(QStringLiteral("ActionClearList"))->trigger();
    QEventLoop loop;
    const auto finished =
        QObject::connect(&window, &TfrmMain::AddingFinished, &loop, &QEventLoop::quit);
    EventLoopProbe probe;
    QElapsedTimer clock;
    const double cpuBefore = cpuMs(RUSAGE_SELF);
    probe.start();
    clock.start();
    window.AddFiles(files);
    if (window.Adding()) loop.exec();
    run.ms = double(clock.nsecsElapsed()) / 1e6;
    probe.stop();
    run.cpuMs = cpuMs(RUSAGE_SELF) - cpuBefore;
    QObject::disconnect(finished);
    run.longestBlockMs = probe.longestGapMs();
    run.rows = window.List()->topLevelItemCount();
    return run;
}

// The longest hold of the event loop while it has nothing to do for ms.
double idleLongestGapMs(double ms)
{
    QEventLoop loop;
    EventLoopProbe probe;
    probe.start();
    QTimer::singleShot(qRound(ms), &loop, &QEventLoop::quit);
    loop.exec();
    probe.stop();
    return probe.longestGapMs();
}

QJsonArray jsonArray(const QList<double>& values)
{
    QJsonArray array;
    for (const double value : values)
        array.append(value);
    return array;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // No display needed; the window is drawn all the same.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    const QString jsonFile = benchjson::takeJsonOption(args);
    const int count = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 1000;
    const int rounds = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 3;

    const QString mediainfo = mediainfoTool();
    if (mediainfo.isEmpty()) {
        std::fprintf(stderr,
                     "the mediainfo command-line tool is missing and could not be "
                     "installed\n");
        return 1;
    }
    QTemporaryDir folder;
    QString error;
    std::printf("Making %d media files...\n", count);
    const QStringList files = makeMediaFiles(folder.path(), count, error);
    if (files.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // Both sides start from the page cache.
    for (const QString& file : files) {
        QFile in(file);
        if (in.open(QIODevice::ReadOnly)) in.readAll();
    }

    // The window on a private copy of the built program folder.
    QTemporaryDir program;
    for (const char* entry : {"skin", "profile_en", "cores"})
        runQuietly(QStringLiteral("cp"),
                   {QStringLiteral("-a"), QStringLiteral("--"),
                    QStringLiteral(CLIPFORGE_APP_DIR "/") + QLatin1String(entry), program.path()});
    SetProgramFolder(program.path() + QLatin1Char('/'));
    DialogSeam::Enable();
    TfrmMain window(GlobalVars);
    if (!window.StartupError().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(window.StartupError()));
        return 1;
    }
    window.show();
    QList<double> ours, theirs, oursCpu, theirsCpu;
    double longestBlockMs = 0;
    double idleGapMs = 0;
    for (int round = 0; round < rounds; ++round) {
        // Alternate who goes first, so neither always finds the other's leftovers.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + round) % 2 == 0) {
                const WindowRun run = runWindow(window, files);
                if (run.rows != files.size()) {
                    std::fprintf(stderr, "the window queued %d of %d files\n", run.rows,
                                 int(files.size()));
                    return 1;
                }
                ours << run.ms;
                oursCpu << run.cpuMs;
                QCoreApplication::processEvents();
                const double idleMs = idleLongestGapMs(run.ms);
                std::printf("round %d: window %.1f ms, longest block %.1f ms (idle: %.1f ms)\n",
                            round + 1, run.ms, run.longestBlockMs, idleMs);
                longestBlockMs = std::max(longestBlockMs, run.longestBlockMs);
                idleGapMs = std::max(idleGapMs, idleMs);
            } else {
                QElapsedTimer clock;
                const double cpuBefore = cpuMs(RUSAGE_CHILDREN);
                clock.start();
                if (!runQuietly(mediainfo, files)) {
                    std::fprintf(stderr, "mediainfo failed\n");
                    return 1;
                }
                theirs << double(clock.nsecsElapsed()) / 1e6;
                theirsCpu << cpuMs(RUSAGE_CHILDREN) - cpuBefore;
                std::printf("round %d: mediainfo %.1f ms\n", round + 1, theirs.last());
            }
        }
    }

    const double oursMs = median(ours);
    const double theirsMs = median(theirs);
    // Each round's two runs are neighbours in time and share the machine's
    // load of the moment; their ratio is steadier than that of the medians.
    QList<double> ratios;
    for (int round = 0; round < rounds; ++round)
        ratios << ours.at(round) / theirs.at(round);
    std::printf("\n%d files, %d rounds (medians), reader threads: %d, cores: %d\n", count, rounds,
                std::max(2, QThread::idealThreadCount()), QThread::idealThreadCount());
    std::printf("%-42s %10.1f ms wall %10.1f ms CPU\n", "main window, AddFiles to the last row",
                oursMs, median(oursCpu));
    std::printf("%-42s %10.1f ms wall %10.1f ms CPU\n", "mediainfo, one run over all files",
                theirsMs, median(theirsCpu));
    std::printf("%-42s %10.2f    (goal: at most 1.00)\n", "ratio window / mediainfo",
                median(ratios));
    std::printf("%-42s %10.1f ms (goal: under 100 ms)\n", "longest event-loop block",
                longestBlockMs);
    std::printf("%-42s %10.1f ms\n", "longest hold of the idle loop", idleGapMs);
    return benchjson::write(jsonFile, {{u"files"_s, count},
                                       {u"rounds"_s, rounds},
                                       {u"window_ms"_s, jsonArray(ours)},
                                       {u"mediainfo_ms"_s, jsonArray(theirs)},
                                       {u"window_cpu_ms"_s, jsonArray(oursCpu)},
                                       {u"mediainfo_cpu_ms"_s, jsonArray(theirsCpu)},
                                       {u"ratio"_s, median(ratios)},
                                       {u"longest_block_ms"_s, longestBlockMs},
                                       {u"idle_longest_gap_ms"_s, idleGapMs}})
               ? 0
               : 1;
}
