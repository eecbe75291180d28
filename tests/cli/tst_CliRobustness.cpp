#include "MediaTools.h"
#include "ProcessTree.h"
#include "ProgramCopy.h"
#include "TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>

namespace {

// Every path below a folder with its size, to see whether anything changed.
QStringList snapshot(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries << path + " " + QString::number(QFileInfo(path).size());
    }
    entries.sort();
    return entries;
}

// Processes whose command line names something below the folder.
QStringList processesUsing(const QString& folder)
{
    QStringList found;
    const QByteArray needle = QFile::encodeName(folder);
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        if (pid.toLongLong() <= 0 || pid.toLongLong() == QCoreApplication::applicationPid())
            continue;
        QByteArray cmdline = readFile("/proc/" + pid + "/cmdline");
        if (cmdline.replace('\0', ' ').contains(needle))
            found << pid + ": " + QString::fromLocal8Bit(cmdline);
    }
    return found;
}

double seconds(const QString& path)
{
    return probe(path).format.value("duration").toString().toDouble();
}

// The program folder holds nothing a batch left behind.
QStringList batchLeftovers(const QString& programFolder)
{
    return QDir(programFolder).entryList({"~*", "DirectShow.avs"}, QDir::AllEntries | QDir::Hidden);
}

QStringList stagingLeftovers(const QString& outputFolder)
{
    return QDir(outputFolder)
        .entryList({".~clipforge*"}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

// clipforge-cli as a user meets it: batches at once, a closed terminal, odd
// inputs, and reports that must be true.
class tst_CliRobustness : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        // Two sources told apart by their length.
        QVERIFY(makeClip(path("long.rmvb"), "160x128",
                         {"-c:v", "rv10", "-b:v", "300k", "-c:a", "ac3", "-f", "rm"}, "2.5"));
        QVERIFY(makeClip(path("short.avi"), "160x120", {"-c:v", "mpeg4", "-c:a", "mp3"}, "1"));
        QVERIFY(makeClip(path("c.wav"), "160x120", {"-vn", "-c:a", "pcm_s16le"}, "0.5"));
    }

    // Two batches from one program folder, one through the DirectShow route
    // and one through a device script, with previews in between: each output
    // comes from its own source and nothing is left behind.
    void twoBatchesAtOnce()
    {
        ProgramCopy program;
        QProcess audio;
        QProcess video;
        for (QProcess* p : {&audio, &video})
            p->setWorkingDirectory(m_work.path());
        audio.start(program.cli(), {"--format", "mp3", "--output", "a", "long.rmvb"});
        video.start(program.cli(), {"--format", "mp4", "--output", "v", "short.avi"});
        while (audio.state() != QProcess::NotRunning || video.state() != QProcess::NotRunning) {
            const ProgramCopy::Result preview =
                program.run({"--format", "mp4", "--output", "v", "--print-command", "long.rmvb"},
                            m_work.path());
            QCOMPARE(preview.exitCode, 0);
            audio.waitForFinished(50);
            video.waitForFinished(50);
        }
        QCOMPARE(audio.exitCode(), 0);
        QCOMPARE(video.exitCode(), 0);

        QCOMPARE(QDir(path("a")).entryList(QDir::Files | QDir::Hidden), QStringList{"long.mp3"});
        QCOMPARE(QDir(path("v")).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"short.MP4", "short.THM"}));
        QVERIFY2(qAbs(seconds(path("a/long.mp3")) - 2.5) < 0.3, "the mp3 is the long clip's");
        QVERIFY2(qAbs(seconds(path("v/short.MP4")) - 1.0) < 0.3, "the MP4 is the short clip's");
        QCOMPARE(batchLeftovers(program.path()), QStringList());
        QCOMPARE(stagingLeftovers(path("v")), QStringList());
    }

    void killedFront_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGKILL") << int(SIGKILL);
        QTest::newRow("SIGHUP, the terminal closed") << int(SIGHUP);
    }

    // When its front dies, a conversion dies with it: no process stays and
    // nothing changes afterwards; a later batch works and cleans up.
    void killedFront()
    {
        QFETCH(int, signal);
        ProgramCopy program;
        const QString output = path(QString("killed-%1").arg(signal));
        QVERIFY(makeClip(path("slow.avi"), "640x480", {"-c:v", "mpeg4", "-an"}, "60"));
        QProcess cli;
        cli.setWorkingDirectory(m_work.path());
        cli.start(program.cli(), {"--format", "mp4", "--output", output, "slow.avi"});
        QVERIFY(cli.waitForStarted());
        // Wait for the encoder to be at work.
        QTRY_VERIFY_WITH_TIMEOUT(processesUsing(output).size() >= 2, 20000);
        ::kill(pid_t(cli.processId()), signal);
        QVERIFY(cli.waitForFinished(10000));
        // Generous on a loaded machine: an encoder that lived on would still
        // have written its file, which the checks below catch.
        QTRY_COMPARE_WITH_TIMEOUT(processesUsing(output), QStringList(), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(processesUsing(program.path()), QStringList(), 30000);
        const QStringList after = snapshot(output);
        letTimePass(1500);
        QCOMPARE(snapshot(output), after);
        QVERIFY2(QDir(output).entryList(QDir::Files).isEmpty(), qPrintable(after.join('\n')));
        if (signal == SIGHUP) {
            QCOMPARE(cli.exitCode(), 1);
            // The stopped file and the batch's summary are the last lines.
            const QStringList said =
                QString::fromUtf8(cli.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
            QVERIFY2(said.mid(said.size() - 3) ==
                         (QStringList{"Stopping", "Stopped 1/1: " + path("slow.avi"),
                                      "Corvane Clipforge: Stopped: 0 converted, 0 failed, 1 not "
                                      "converted."}),
                     qPrintable(said.join('\n')));
            QCOMPARE(after, QStringList());
            QCOMPARE(batchLeftovers(program.path()), QStringList());
        }

        // The next batch sweeps what a killed one could not remove.
        const ProgramCopy::Result next =
            program.run({"--format", "mp4", "--output", output, "short.avi"}, m_work.path());
        QCOMPARE(next.exitCode, 0);
        QCOMPARE(batchLeftovers(program.path()), QStringList());
        QCOMPARE(stagingLeftovers(output), QStringList());
        QCOMPARE(QDir(output).entryList(QDir::Files), (QStringList{"short.MP4", "short.THM"}));
    }

    void killedFrontKillsTheWholeBatch_data()
    {
        QTest::addColumn<QStringList>("choice");
        QTest::addColumn<QString>("worker");
        QTest::newRow("PSP item") << QStringList{} << "ffmpeg";
        QTest::newRow("hanging device command")
            << QStringList{"--device", "PSP Hang"} << "sleep 100000";
    }

    // SIGKILL leaves the front no moment to stop anything: every process its
    // batch started dies with it, however deep below the item's script, and
    // nothing of the file appears in the output folder afterwards.
    void killedFrontKillsTheWholeBatch()
    {
        QFETCH(QStringList, choice);
        QFETCH(QString, worker);
        ProgramCopy program;
        // Named to come after the shipped PSP profiles: device 0 stays theirs.
        writeFile(program.path() + "/profile_en/default_setting/PSP 9 Hang.ini",
                  "[Info]\nTitleE=PSP Hang\n[Item1]\nTitleE=Hang\nEXT=MP4\n"
                  "Command1=sleep 100000\n");
        if (!QFile::exists(path("kill.avi")))
            QVERIFY(makeClip(path("kill.avi"), "320x240", {"-c:v", "mpeg4", "-c:a", "mp3"}, "20"));
        const QString output = path("orphans-" + QString(QTest::currentDataTag()).left(3));
        QProcess cli;
        cli.setWorkingDirectory(m_work.path());
        cli.start(program.cli(), QStringList{"--format", "mp4", "--output", output} + choice +
                                     QStringList{"kill.avi"});
        QVERIFY(cli.waitForStarted());
        QList<ProcessEntry> batch;
        const auto working = [&] {
            batch = descendantsOf(cli.processId());
            return std::any_of(batch.begin(), batch.end(), [&](const ProcessEntry& p) {
                return p.command.startsWith(worker) || p.command.contains("/" + worker);
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(working(), 60000);
        ::kill(pid_t(cli.processId()), SIGKILL);
        QVERIFY(cli.waitForFinished(10000));
        QTRY_COMPARE_WITH_TIMEOUT(stillAlive(batch), QStringList(), 2000);
        // Longer than the whole encode takes.
        letTimePass(5000);
        QCOMPARE(stillAlive(batch), QStringList());
        QCOMPARE(snapshot(output), QStringList());
    }

    // Two files through clipforge-cli on a terminal: the redrawn bar's batch
    // percentage never falls, and each file's starts at 0%.
    void terminalProgress()
    {
        ProgramCopy program;
        for (const char* name : {"t1.wav", "t2.wav"})
            QVERIFY(makeClip(path(name), "160x120", {"-vn", "-c:a", "pcm_s16le"}, "40"));
        QProcess terminal;
        terminal.setWorkingDirectory(m_work.path());
        terminal.start(
            "script",
            {"-qec", program.cli() + " --format mp3 --output term t1.wav t2.wav", "/dev/null"});
        QVERIFY(terminal.waitForFinished(120000));
        QCOMPARE(terminal.exitCode(), 0);
        const QString shown = QString::fromUtf8(terminal.readAllStandardOutput());
        static const QRegularExpression bar(
            R"(^\[[#-]{30}\] +(\d+)%  batch (\d+)%  Working on file (\d) of 2)");
        int batch = 0;
        int file = 0;
        int percent = 0;
        int bars = 0;
        for (const QString& part : shown.split(QRegularExpression("[\r\n]"))) {
            const QRegularExpressionMatch m = bar.match(part);
            if (!m.hasMatch()) continue;
            ++bars;
            QVERIFY2(m.captured(2).toInt() >= batch, qPrintable(part));
            batch = m.captured(2).toInt();
            if (m.captured(3).toInt() != file) {
                file = m.captured(3).toInt();
                QVERIFY2(m.captured(1).toInt() == 0, qPrintable(part));
            } else if (m.captured(1).toInt() != 0) {
                // 0% is the reset as the next file starts.
                QVERIFY2(m.captured(1).toInt() >= percent, qPrintable(part));
            }
            percent = m.captured(1).toInt();
        }
        QCOMPARE(file, 2);
        QVERIFY(bars > 2);
        QVERIFY2(shown.contains("Converted 2/2: "), qPrintable(shown));
    }

    void nonRegularInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("folder") << "folder";
    }

    // A FIFO would block the encoder forever; it is refused at once.
    void nonRegularInput()
    {
        QFETCH(QString, kind);
        ProgramCopy program;
        const QString input = path("odd-" + kind);
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
        else
            QVERIFY(QDir().mkpath(input));
        // A run that waited on the FIFO would hit the 5 s limit and fail.
        for (const QStringList& arguments :
             {QStringList{"--info", input}, QStringList{"--format", "mp3", input, "c.wav"}}) {
            const ProgramCopy::Result run = program.run(arguments, m_work.path(), 5000);
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(input + ": not a regular file"), qPrintable(run.err));
        }
        // The regular file beside it converted.
        QVERIFY(QFile::exists(path("c.mp3")));
        QFile::remove(path("c.mp3"));
    }

    // The renamed PSP profile reports the names it really wrote.
    void directItemReportsItsNames()
    {
        ProgramCopy program;
        const ProgramCopy::Result run = program.run(
            {"--format", "mp4", "--device", "1", "--output", "direct", "short.avi"}, m_work.path());
        QCOMPARE(run.exitCode, 0);
        const QStringList files = QDir(path("direct")).entryList(QDir::Files);
        QCOMPARE(files.size(), 2);
        QVERIFY2(QRegularExpression("^M4V\\d{5}\\.MP4$").match(files.first()).hasMatch(),
                 qPrintable(files.first()));
        const QString expected = "Converted 1/1: " + path("direct/" + files.at(0)) + ", " +
                                 path("direct/" + files.at(1));
        QVERIFY2(run.err.contains(expected), qPrintable(run.err));
    }

    void sameFileTwiceConvertsOnce()
    {
        ProgramCopy program;
        const ProgramCopy::Result run = program.run(
            {"--format", "wav", "--output", "twice", "c.wav", "./c.wav"}, m_work.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("./c.wav: given more than once, converted once."),
                 qPrintable(run.err));
        QCOMPARE(run.err.count("Converted 1/1: "), 1);
        QCOMPARE(QDir(path("twice")).entryList(QDir::Files), QStringList{"c.wav"});
    }

    // A language file that is gone gives way to English, said once; the
    // conversion goes on.
    void missingLanguageFallsBack()
    {
        ProgramCopy program;
        writeFile(program.path() + "/info.ini", "[System]\nLanguageFile=klingon.ini\n");
        const ProgramCopy::Result run =
            program.run({"--format", "wav", "--output", "lang", "c.wav"}, m_work.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err.count("klingon.ini"), 1);
        QVERIFY(QFile::exists(path("lang/c.wav")));
    }

    // Names the program cannot spell would address other files.
    void namesNotUtf8AreRefused()
    {
        ProgramCopy program;
        QProcess shell;
        shell.setWorkingDirectory(m_work.path());
        shell.start("/bin/sh", {"-c",
                                "\"$0\" --format wav \"$(printf 'bad\\377.wav')\"; echo \" $?\"; "
                                "\"$0\" --format wav --output \"$(printf 'out\\377')\" c.wav; "
                                "echo \" $?\"",
                                program.cli()});
        QVERIFY(shell.waitForFinished(20000));
        const QString out = QString::fromUtf8(shell.readAllStandardOutput());
        const QString err = QString::fromUtf8(shell.readAllStandardError());
        QCOMPARE(out, " 2\n 2\n");
        QCOMPARE(err.count("is not valid UTF-8"), 2);
        QCOMPARE(QDir(m_work.path()).entryList({"out*"}, QDir::Dirs), QStringList());
    }

    // A counter that would make the name too long fails before any encoding.
    void tooLongNameFailsFirst()
    {
        ProgramCopy program;
        const QString name = QString(250, 'n') + ".wav";
        QVERIFY(QFile::copy(path("c.wav"), path(name)));
        writeFile(path("long/" + name), "taken");
        const ProgramCopy::Result run =
            program.run({"--format", "wav", "--output", "long", name}, m_work.path());
        QCOMPARE(run.exitCode, 1);
        // Said by the batch before it starts the encoder.
        const QString said = "Error: The output name " + QString(250, 'n') + "(1).wav is too long";
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
        QCOMPARE(QDir(path("long")).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

private:
    QString path(const QString& name) const { return m_work.path() + "/" + name; }

    QTemporaryDir m_work;
};

QTEST_GUILESS_MAIN(tst_CliRobustness)
#include "tst_CliRobustness.moc"
