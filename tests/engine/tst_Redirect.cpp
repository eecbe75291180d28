#include "engine/Redirect.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The unprivileged run of this program is given a copy it can reach.
const QString Chatter = qEnvironmentVariable("REDIRECT_CHATTER", QStringLiteral(CHATTER_PATH));
constexpr int WaitMs = 10000;

QByteArray pattern(int count)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

// True once the process has ended: no longer listed, or a zombie nobody reaps.
bool processEnded(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z";
}

bool hasNicePrivilege()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("CapEff:")) continue;
        const quint64 caps = line.mid(7).trimmed().toULongLong(nullptr, 16);
        return (caps >> 23) & 1;  // CAP_SYS_NICE
    }
    return false;
}

// What the system grants a process of ours that asks for wanted: raising is
// free; lowering needs the privilege or stops at the resource limit.
int grantedNiceness(int wanted, int current)
{
    if (wanted >= current || hasNicePrivilege()) return wanted;
    rlimit limit{};
    ::getrlimit(RLIMIT_NICE, &limit);
    const int floor = 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
    return std::max(wanted, std::min(current, floor));
}

struct Delivery {
    enum Kind { Out, Err, End };
    Kind kind;
    QByteArray bytes;
    bool ended;  // ProcessEnded when it arrived
    TRedirectorState state;
    bool active;
};

// Everything the runner hands out, in arrival order.
struct Recorder {
    QList<Delivery> events;

    explicit Recorder(TRedirector& runner)
    {
        runner.OnData = [this](TRedirector* sender, const char* buffer, int count) {
            add(Delivery::Out, sender, QByteArray(buffer, count));
        };
        runner.OnErrorData = [this](TRedirector* sender, const char* buffer, int count) {
            add(Delivery::Err, sender, QByteArray(buffer, count));
        };
        runner.OnTerminated = [this](TRedirector* sender) { add(Delivery::End, sender, {}); };
    }

    void add(Delivery::Kind kind, TRedirector* sender, const QByteArray& bytes)
    {
        events.append({kind, bytes, sender->ProcessEnded(), sender->State(), sender->Active()});
    }

    QByteArray bytes(Delivery::Kind kind) const
    {
        QByteArray all;
        for (const Delivery& event : events)
            if (event.kind == kind) all += event.bytes;
        return all;
    }

    int ends() const
    {
        return static_cast<int>(std::count_if(
            events.cbegin(), events.cend(), [](const auto& e) { return e.kind == Delivery::End; }));
    }
};

void run(TRedirector& runner, const QStringList& steps)
{
    runner.SetCommandLine(QStringList{Chatter} + steps);
    runner.Execute();
}

QString raised(const std::function<void()>& action)
{
    try {
        action();
    } catch (const RedirectorError& error) {
        return error.text();
    }
    return "(nothing raised)";
}

}  // namespace

class TestRedirect : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void delivery_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("normal");
        QTest::newRow("both streams, with pauses")
            << QStringList{"out:Input #0\n", "sleep:30",    "err:e1\n", "out:time=1",
                           "sleep:30",       "out:.5 \r\n", "err:e2"}
            << QByteArray("Input #0\ntime=1.5 \r\n") << QByteArray("e1\ne2") << 0 << true;
        QTest::newRow("only standard error")
            << QStringList{"err:  Duration: 00:00:02.00,\n", "sleep:30", "err:time=1.00 \r",
                           "sleep:30", "err:time=2.00 \r"}
            << QByteArray() << QByteArray("  Duration: 00:00:02.00,\ntime=1.00 \rtime=2.00 \r") << 0
            << true;
        QTest::newRow("much output, ends at once")
            << QStringList{"big:300000", "bigerr:200000", "out:unterminated", "exit:0"}
            << pattern(300000) + "unterminated" << pattern(200000) << 0 << true;
        QTest::newRow("exit status")
            << QStringList{"out:x\n", "exit:3"} << QByteArray("x\n") << QByteArray() << 3 << true;
        QTest::newRow("killed by a signal") << QStringList{"err:x\n", "signal:9"} << QByteArray()
                                            << QByteArray("x\n") << 9 << false;
        QTest::newRow("silent") << QStringList{} << QByteArray() << QByteArray() << 0 << true;
        QTest::newRow("standard input at its end")
            << QStringList{"stdin"} << QByteArray("stdin 0\n") << QByteArray() << 0 << true;
    }

    void delivery()
    {
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(int, exitCode);
        QFETCH(bool, normal);

        TRedirector runner;
        Recorder recorder(runner);
        QCOMPARE(runner.State(), TRedirectorState::Idle);
        run(runner, steps);
        QCOMPARE(runner.State(), TRedirectorState::Running);
        QVERIFY(runner.ProcessInfo().ProcessId > 0);

        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        QCOMPARE(recorder.bytes(Delivery::Out), out);
        QCOMPARE(recorder.bytes(Delivery::Err), err);
        QCOMPARE(runner.ExitCode(), exitCode);
        QCOMPARE(runner.ExitedNormally(), normal);

        const Delivery end = recorder.events.last();
        QCOMPARE(end.kind, Delivery::End);
        QCOMPARE(end.state, TRedirectorState::Idle);
        QVERIFY(end.ended);
        QVERIFY(!end.active);
        QCOMPARE(runner.ProcessInfo().ProcessId, 0);
        for (const Delivery& chunk : recorder.events.sliced(0, recorder.events.size() - 1)) {
            QVERIFY(!chunk.bytes.isEmpty());
            QVERIFY(chunk.active);
            QCOMPARE(chunk.state,
                     chunk.ended ? TRedirectorState::Draining : TRedirectorState::Running);
        }

        // Nothing comes after the end.
        const qsizetype count = recorder.events.size();
        QTest::qWait(100);
        QCOMPARE(recorder.events.size(), count);
    }

    // A child that wrote and ended before the runner looked: all it wrote is
    // delivered after its end was seen, so a last line without a break can be
    // taken as complete.
    void outputLeftAtTheEnd()
    {
        TRedirector runner;
        Recorder recorder(runner);
        run(runner, {"out:Output #0\nframe= 10 time=0.40", "err:Error opening"});
        const qint64 pid = runner.ProcessInfo().ProcessId;
        QDeadlineTimer deadline(WaitMs);
        while (!processEnded(pid) && !deadline.hasExpired())
            ::usleep(1000);
        QVERIFY(processEnded(pid));

        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        QCOMPARE(recorder.bytes(Delivery::Out), "Output #0\nframe= 10 time=0.40");
        QCOMPARE(recorder.bytes(Delivery::Err), "Error opening");
        for (const Delivery& event : std::as_const(recorder.events)) {
            QVERIFY(event.ended);
            if (event.kind != Delivery::End) QCOMPARE(event.state, TRedirectorState::Draining);
        }
    }

    // A handler that shows a modal box runs a nested event loop; the child's
    // further output and its end must wait for the handler to return.
    void handlerWithNestedEventLoop()
    {
        TRedirector runner;
        Recorder recorder(runner);
        int depth = 0;
        int deepest = 0;
        bool endSeenInside = false;
        runner.OnData = [&](TRedirector* sender, const char* buffer, int count) {
            deepest = std::max(deepest, ++depth);
            recorder.add(Delivery::Out, sender, QByteArray(buffer, count));
            if (recorder.events.size() == 1) {
                QTimer wake;
                wake.start(50);
                QDeadlineTimer deadline(WaitMs);
                while (!sender->ProcessEnded() && !deadline.hasExpired())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                endSeenInside = sender->ProcessEnded();
                QCOMPARE(recorder.ends(), 0);
            }
            --depth;
        };
        run(runner, {"out:first\n", "sleep:50", "out:second\n", "err:third\n"});

        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        QVERIFY(endSeenInside);
        QCOMPARE(deepest, 1);
        QCOMPARE(recorder.bytes(Delivery::Out), "first\nsecond\n");
        QCOMPARE(recorder.bytes(Delivery::Err), "third\n");
        QCOMPARE(recorder.ends(), 1);
        QCOMPARE(recorder.events.last().kind, Delivery::End);
    }

    void nextChildFromTerminationHandler()
    {
        TRedirector runner;
        Recorder recorder(runner);
        bool restartedClean = false;
        runner.OnTerminated = [&](TRedirector* sender) {
            recorder.add(Delivery::End, sender, {});
            if (recorder.ends() > 1) return;
            run(*sender, {"out:second\n"});
            restartedClean = sender->State() == TRedirectorState::Running;
        };
        run(runner, {"out:first\n", "exit:4"});

        QTRY_COMPARE_WITH_TIMEOUT(recorder.ends(), 2, WaitMs);
        QVERIFY(restartedClean);
        QCOMPARE(recorder.bytes(Delivery::Out), "first\nsecond\n");
        QCOMPARE(runner.ExitCode(), 0);
        QCOMPARE(runner.State(), TRedirectorState::Idle);
    }

    void startFailures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing program") << QStringList{"/nonexistent/clipforge-encoder"} << ""
                                         << ""
                                         << "Error creating process : 2";
        QTest::newRow("program not on the search path")
            << QStringList{"clipforge-no-such-encoder", "-i", "x"} << ""
            << ""
            << "Error creating process : 2";
        QTest::newRow("not executable") << QStringList{"<plain file>"} << ""
                                        << ""
                                        << "Error creating process : 13";
        QTest::newRow("missing working folder") << QStringList{Chatter} << ""
                                                << "/nonexistent/dir"
                                                << "Error creating process : 2";
        QTest::newRow("empty text") << QStringList{} << ""
                                    << ""
                                    << "No commandline to run";
        QTest::newRow("blank text") << QStringList{} << " \t "
                                    << ""
                                    << "No commandline to run";
        QTest::newRow("text naming no program") << QStringList{""} << "shown"
                                                << ""
                                                << "No commandline to run";
    }

    void startFailures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, text);
        QFETCH(QString, directory);
        QFETCH(QString, message);

        QTemporaryDir dir;
        const QString plainFile = dir.filePath("encoder");
        QFile file(plainFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        arguments.replaceInStrings("<plain file>", plainFile);

        TRedirector runner;
        Recorder recorder(runner);
        runner.CurrentDirectory = directory;
        if (arguments.isEmpty())
            runner.SetCommandLine(text);
        else
            runner.SetCommandLine(arguments, text);
        QCOMPARE(raised([&] { runner.Execute(); }), message);
        QCOMPARE(runner.State(), TRedirectorState::Idle);
        QCOMPARE(runner.ProcessInfo().ProcessId, 0);
        QTest::qWait(50);
        QVERIFY(recorder.events.isEmpty());
    }

    void rulesWhileActive()
    {
        TRedirector runner;
        Recorder recorder(runner);
        runner.SetDefaultErrorMode(true);
        run(runner, {"never"});
        const QString commandLine = runner.GetCommandLine();

        QCOMPARE(raised([&] { runner.Execute(); }), "Process is already active");
        QCOMPARE(raised([&] { runner.SetCommandLine(commandLine + " -y"); }),
                 "Cannot change Commandline while process is active");
        QCOMPARE(raised([&] {
                     runner.SetCommandLine(QStringList{Chatter, "other"});
                 }),
                 "Cannot change Commandline while process is active");
        runner.SetCommandLine(commandLine.toUpper());
        QCOMPARE(runner.GetCommandLine(), commandLine.toUpper());
        QCOMPARE(raised([&] { runner.SetDefaultErrorMode(false); }),
                 "Cannot change DefaultErrorMode while process is active");
        runner.SetDefaultErrorMode(true);
        QCOMPARE(raised([&] { runner.SetInitialPriority(0); }),
                 "Cannot change InititalPriority while process is active");
        QCOMPARE(runner.State(), TRedirectorState::Running);

        runner.Terminate(0);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        QCOMPARE(runner.ExitCode(), 0);
        QVERIFY(!runner.ExitedNormally());
        QCOMPARE(raised([&] { runner.Terminate(0); }), "Cannot Terminate an inactive process");
        runner.SetInitialPriority(2);
        runner.SetDefaultErrorMode(false);
    }

    void terminateEndsWhatTheChildStarted()
    {
        TRedirector runner;
        Recorder recorder(runner);
        run(runner, {"grandchild", "never"});
        const qint64 child = runner.ProcessInfo().ProcessId;
        QTRY_VERIFY_WITH_TIMEOUT(recorder.bytes(Delivery::Out).endsWith('\n'), WaitMs);
        const qint64 grandchild = recorder.bytes(Delivery::Out).split(' ').value(1).toLongLong();
        QVERIFY(grandchild > 0);
        QVERIFY(!processEnded(grandchild));

        runner.Terminate(7);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        QCOMPARE(runner.ExitCode(), 7);
        QVERIFY(!runner.ExitedNormally());
        QVERIFY(processEnded(child));
        QTRY_VERIFY_WITH_TIMEOUT(processEnded(grandchild), WaitMs);
    }

    void destroying_data()
    {
        QTest::addColumn<bool>("killOnDestroy");
        QTest::newRow("kill on destroy") << true;
        QTest::newRow("leave running") << false;
    }

    void destroying()
    {
        QFETCH(bool, killOnDestroy);
        auto runner = std::make_unique<TRedirector>();
        QByteArray out;
        bool terminated = false;
        runner->OnData = [&](TRedirector*, const char* buffer, int count) {
            out.append(buffer, count);
        };
        runner->OnTerminated = [&](TRedirector*) { terminated = true; };
        runner->KillOnDestroy = killOnDestroy;
        run(*runner, {"grandchild", "never"});
        const qint64 child = runner->ProcessInfo().ProcessId;
        QTRY_VERIFY_WITH_TIMEOUT(out.endsWith('\n'), WaitMs);
        const qint64 grandchild = out.split(' ').value(1).toLongLong();

        runner.reset();
        if (killOnDestroy) {
            QVERIFY(processEnded(child));
            QTRY_VERIFY_WITH_TIMEOUT(processEnded(grandchild), WaitMs);
        } else {
            QTest::qWait(50);
            QVERIFY(!processEnded(child));
            QVERIFY(!processEnded(grandchild));
            ::kill(static_cast<pid_t>(-child), SIGKILL);
            QTRY_VERIFY_WITH_TIMEOUT(processEnded(child) && processEnded(grandchild), WaitMs);
        }
        QTest::qWait(50);
        QVERIFY(!terminated);
    }

    void niceness_data()
    {
        QTest::addColumn<int>("priority");
        QTest::addColumn<int>("wanted");  // 100: keep this process's value
        QTest::newRow("default") << 0 << 100;
        QTest::newRow("idle") << 1 << 19;
        QTest::newRow("normal") << 2 << 0;
        QTest::newRow("high") << 3 << -5;
        QTest::newRow("realtime") << 4 << -10;
        QTest::newRow("unknown value") << 9 << 100;
    }

    void niceness()
    {
        QFETCH(int, priority);
        QFETCH(int, wanted);
        errno = 0;
        const int current = ::getpriority(PRIO_PROCESS, 0);
        QCOMPARE(errno, 0);
        const int expected = wanted == 100 ? current : grantedNiceness(wanted, current);

        TRedirector runner;
        Recorder recorder(runner);
        runner.SetInitialPriority(static_cast<quint8>(priority));
        run(runner, {"status"});
        const qint64 pid = runner.ProcessInfo().ProcessId;
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        QCOMPARE(runner.ExitCode(), 0);

        const QList<QByteArray> words = recorder.bytes(Delivery::Out).trimmed().split(' ');
        QCOMPARE(words.size(), 8);
        QCOMPARE(words[1].toInt(), expected);
        QCOMPARE(words[3].toLongLong(), pid);  // its own process group
        QCOMPARE(words[5].toLongLong(), pid);  // and session
    }

    // The usual desktop case: lowering the niceness is refused or allowed only
    // down to the resource limit, and the child still starts, as near to the
    // wish as allowed.
    void nicenessWithoutPrivilege()
    {
        if (::geteuid() != 0) QSKIP("runs unprivileged already; niceness covers it");
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty()) QSKIP("setpriv is not installed");
        const QStringList asNobody{"--reuid=65534", "--regid=65534", "--clear-groups",
                                   "--inh-caps=-all"};

        // The build folder may lie in a home other users cannot enter, so the
        // run gets copies of both programs in a folder anyone may enter.
        QTemporaryDir shared;
        QVERIFY(shared.isValid());
        QVERIFY(QFile::setPermissions(shared.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadGroup |
                                                         QFile::ExeGroup | QFile::ReadOther |
                                                         QFile::ExeOther));
        const QString program = shared.filePath("tst_Redirect");
        const QString chatter = shared.filePath("redirect_chatter");
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
        QVERIFY(QFile::copy(Chatter, chatter));
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(setpriv, asNobody + QStringList{"test", "-x", program, "-a", "-x", chatter});
        QVERIFY(probe.waitForFinished(WaitMs));
        if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            QSKIP(qPrintable("an unprivileged user cannot run programs from " + shared.path() +
                             " (TMPDIR should name a folder anyone may enter) " +
                             QString::fromLocal8Bit(probe.readAll())));

        QProcess test;
        test.setProcessChannelMode(QProcess::MergedChannels);
        test.setWorkingDirectory(shared.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("REDIRECT_CHATTER", chatter);
        test.setProcessEnvironment(environment);
        // Where the limit may be raised, lowering is allowed down to -2, so
        // "high" and "realtime" stop there; elsewhere it is not allowed at all.
        test.setChildProcessModifier([] {
            const rlimit limit{22, 22};
            ::setrlimit(RLIMIT_NICE, &limit);
        });
        test.start(setpriv, asNobody + QStringList{program, "niceness"});
        QVERIFY(test.waitForFinished(WaitMs));
        const QByteArray output = test.readAll();
        QVERIFY2(test.exitStatus() == QProcess::NormalExit && test.exitCode() == 0,
                 output.constData());
    }

    void defaultErrorMode_data()
    {
        QTest::addColumn<bool>("defaultMode");
        QTest::addColumn<QByteArray>("seen");
        QTest::newRow("inherits") << false << QByteArray("ignored\n");
        QTest::newRow("system default") << true << QByteArray("default\n");
    }

    void defaultErrorMode()
    {
        QFETCH(bool, defaultMode);
        QFETCH(QByteArray, seen);
        struct sigaction ignore = {};
        struct sigaction previous = {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGUSR2, &ignore, &previous);

        TRedirector runner;
        Recorder recorder(runner);
        runner.SetDefaultErrorMode(defaultMode);
        run(runner, {"ignored:" + QString::number(SIGUSR2)});
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        ::sigaction(SIGUSR2, &previous, nullptr);
        QCOMPARE(recorder.bytes(Delivery::Out), seen);
    }

    void argumentsVerbatim_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << "my clip (1).avi";
        QTest::newRow("quotes") << "it's \"quoted\".avi";
        QTest::newRow("dollar") << "$HOME ${PATH} $(id).avi";
        QTest::newRow("backquotes") << "`touch pwned`.avi";
        QTest::newRow("leading dash") << "-rf";
        QTest::newRow("newline") << "two\nlines.avi";
        QTest::newRow("non-ASCII") << QStringLiteral("Gr\u00fc\u00dfe \u2013 \u6620\u753b.avi");
        QTest::newRow("shell operators") << "a;b|c&d>e<f *?[x].avi";
        QTest::newRow("backslashes") << "C:\\clips\\a b.avi";
        QTest::newRow("empty") << "";
    }

    void argumentsVerbatim()
    {
        QFETCH(QString, name);
        const QByteArray expected = name.toUtf8() + '\0' + "end" + '\0';
        QTemporaryDir dir;
        QVERIFY(dir.isValid());

        TRedirector runner;
        Recorder recorder(runner);
        runner.CurrentDirectory = dir.path();
        run(runner, {"args", name, "end"});
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        QCOMPARE(recorder.bytes(Delivery::Out), expected);

        // The text shown for it, given to a shell, names the same arguments.
        TRedirector shell;
        Recorder shellRecorder(shell);
        shell.CurrentDirectory = dir.path();
        shell.SetCommandLine(QStringList{"/bin/sh", "-c", runner.GetCommandLine()});
        shell.Execute();
        QTRY_VERIFY_WITH_TIMEOUT(shellRecorder.ends() > 0, WaitMs);
        QCOMPARE(shellRecorder.bytes(Delivery::Out), expected);
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    // The text alone is one program name, blanks and all.
    void textNamesTheWholeProgram()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath("my encoder $1 'x'");
        QVERIFY(QFile::copy(Chatter, program));
        TRedirector runner;
        Recorder recorder(runner);
        runner.SetCommandLine(program);
        QCOMPARE(runner.GetArguments(), QStringList{program});
        runner.Execute();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.ends() > 0, WaitMs);
        QVERIFY(runner.ExitedNormally());
        QCOMPARE(runner.ExitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRedirect)
#include "tst_Redirect.moc"
