#include "RecordingFront.h"
#include "TestFiles.h"
#include "base/FileFunctions.h"
#include "base/ProgramFolder.h"
#include "base/globals.h"
#include "engine/BatchDriver.h"
#include "engine/EncoderCall.h"
#include "localisation/MessageTable.h"
#include "profiles/ProfileCatalogue.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <signal.h>

namespace {

// One call of the fake encoder: its process id and arguments.
struct EncoderCall {
    qint64 pid = 0;
    QStringList arguments;
};

// A program folder with the fake encoder as avcore.dll, one MP3 and one AVI
// profile, both DirectShow templates and a device profile; a work folder for
// inputs and outputs; and the front and catalogue a batch runs with.
class Fixture {
public:
    Fixture()
    {
        QVERIFY(QFile::copy(FAKE_ENCODER_PATH, programDir() + "avcore.dll"));
        QFile::setPermissions(programDir() + "avcore.dll",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SetProgramFolder(programDir());
        SetStartupDefaults(GlobalVars, work.path());
        GlobalVars.AVSExt = QStringList{".rmvb"};
        QVERIFY(InitProfileFolders(GlobalVars, programDir()));
        writeFile(GlobalVars.ProfileDir[ofMP3] + "Test.mpo", "[General]\n");
        writeFile(GlobalVars.ProfileDir[ofAVI] + "Test.avo", "[General]\n");
        writeFile(programDir() + "profile_en/DirectShow.avs",
                  "DirectShowSource(\"<%inputfile%>\")\n");
        writeFile(programDir() + "cores/DirectShow.avs", "DirectShowSource(\"<%InputFile%>\")\n");
        writeFile(programDir() + "profile_en/default_setting/Device.ini",
                  "[Info]\nTitleE=PSP test\n"
                  "[Item1]\nTitleE=Copy\nEXT=MP4\n"
                  "Command1=<%AppPath%>/avcore.dll -i <%InputFile%> <%OutputFile%>.MP4\n"
                  "Command2=<%AppPath%>/avcore.dll -i <%InputFile%> \"<%OutputPath%>side "
                  "<%RandomNumber3%>.THM\"\n"
                  "[Item2]\nTitleE=Nothing to run\nEXT=MP4\n"
                  "[Item3]\nTitleE=Fails first\nEXT=MP4\nCommand1=false\n"
                  "Command2=touch <%OutputPath%>never\n"
                  "[Item4]\nTitleE=Writes nothing\nEXT=MP4\nCommand1=true\n"
                  "[Item5]\nTitleE=Thumbnail hangs\nEXT=MP4\n"
                  "Command1=<%AppPath%>/avcore.dll -i <%InputFile%> <%OutputFile%>.MP4\n"
                  "Command2=sleep 60\n"
                  "[Item6]\nTitleE=Fixed thumbnail\nEXT=MP4\n"
                  "Command1=<%AppPath%>/avcore.dll -i <%InputFile%> <%OutputFile%>.MP4\n"
                  "Command2=<%AppPath%>/avcore.dll -i <%InputFile%> <%OutputPath%>taken.THM\n"
                  "[Item7]\nTitleE=One command\nEXT=MP4\n"
                  "Command1=<%AppPath%>/avcore.dll -i <%InputFile%> <%OutputFile%>.MP4\n");
        catalogue.Load(GlobalVars);
        front.outputFolder = work.path() + "/out";
        QDir().mkpath(front.outputFolder);
        qputenv("FAKE_ENCODER_LOG", QFile::encodeName(work.path() + "/encoder.log"));
        useFormat(ofMP3);
    }

    // False when making the fixture failed (the failure is recorded then):
    // the test must stop instead of running on half a fixture.
    bool ready() const { return !QTest::currentTestFailed(); }

    QString programDir() const { return program.path() + "/"; }
    QString outDir() const { return front.outputFolder + "/"; }

    void useFormat(int format, int item = 0)
    {
        GlobalVars.OutputFormat = quint8(format);
        if (format == ofMP4) {
            QVERIFY(catalogue.SelectDeviceProfile(GlobalVars, dmMP4, 0));
            catalogue.SelectedItem = item;
        }
    }

    // Queues an input whose content tells the fake encoder what to do.
    QString addInput(const QString& name, const QByteArray& mode = "ok")
    {
        const QString path = work.path() + "/in/" + name;
        writeFile(path, mode);
        front.rows.append({path, QString::number(QFileInfo(path).size()), rsQueued, {}});
        return path;
    }

    QList<EncoderCall> calls() const
    {
        QList<EncoderCall> result;
        const QList<QByteArray> records = readFile(work.path() + "/encoder.log").split('\x01');
        for (const QByteArray& record : records) {
            if (record.isEmpty()) continue;
            QList<QByteArray> fields = record.split('\0');
            fields.removeLast();
            EncoderCall call;
            call.pid = fields.takeFirst().toLongLong();
            for (const QByteArray& field : fields)
                call.arguments << QString::fromUtf8(field);
            result << call;
        }
        return result;
    }

    QList<int> states() const
    {
        QList<int> result;
        for (const RecordingFront::Row& row : front.rows)
            result << row.state;
        return result;
    }

    QStringList outputs() const
    {
        return QDir(front.outputFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // A batch's scripts and a device item's staging folder.
    bool temporaryFilesLeft() const
    {
        const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        return !QDir(programDir()).entryList({"~ConvertCore*", "DirectShow.avs"}, all).isEmpty() ||
               !QDir(front.outputFolder).entryList({".~clipforge*"}, all).isEmpty();
    }

    void run() { driver.StartBatch(); }

    QTemporaryDir program;
    QTemporaryDir work;
    RecordingFront front;
    TProfileCatalogue catalogue;
    TBatchDriver driver{GlobalVars, front.Front(), catalogue};
};

QString recording(const QString& name)
{
    return QStringLiteral(CLIPFORGE_SOURCE_DIR "/tests/engine/fixtures/") + name;
}

// h:mm:ss in seconds.
int clockSeconds(const QString& text)
{
    const QStringList parts = text.split(u':');
    return parts.size() == 3 ? parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt()
                             : -1;
}

// The end-of-batch box as the recording front shows it.
QString batchResult(int done, int failed)
{
    return Msg(MSG_APPLICATION_TITLE) + ": " + MsgFormat(MSG_BATCH_RESULT, done, failed);
}

}  // namespace

class tst_BatchDriver : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        ResetMessageTable();
        GlobalVars = TGlobalVars();
    }

    void composeEncoderCall_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");

        QTest::newRow("plain")
            << "-y -f mp3 -acodec mp3 -ab 128 "
            << "/in/a b.avi"
            << "/enc -i \"/in/a b.avi\" -y -f mp3 -acodec mp3 -ab 128  \"/out/x\""
            << QStringList{"/enc",    "-i",  "/in/a b.avi", "-y",  "-f",    "mp3",
                           "-acodec", "mp3", "-ab",         "128", "/out/x"};
        QTest::newRow("5.1 without bit rate gains one")
            << "-y -acodec ac3 -ac 5:1 -ar 48000 "
            << "/in/a"
            << "/enc -i \"/in/a\" -y -acodec ac3 -ab 256 -ac 5:1 -ar 48000  \"/out/x\""
            << QStringList{"/enc", "-i",  "/in/a", "-y",  "-acodec", "ac3",   "-ab",
                           "256",  "-ac", "5:1",   "-ar", "48000",   "/out/x"};
        QTest::newRow("5.1 with a bit rate stays")
            << "-y -ab 448 -ac 5:1 "
            << "/in/a"
            << "/enc -i \"/in/a\" -y -ab 448 -ac 5:1  \"/out/x\""
            << QStringList{"/enc", "-i", "/in/a", "-y", "-ab", "448", "-ac", "5:1", "/out/x"};
        QTest::newRow("5.1 first option")
            << "-ac 5:1 "
            << "/in/a"
            << "/enc -i \"/in/a\" -ab 256 -ac 5:1  \"/out/x\""
            << QStringList{"/enc", "-i", "/in/a", "-ab", "256", "-ac", "5:1", "/out/x"};
        QTest::newRow("ffvhuff last")
            << "-y -vcodec ffvhuff "
            << "/in/a"
            << "/enc -i \"/in/a\" -y -vcodec ffvhuff -strict -2  \"/out/x\""
            << QStringList{"/enc",    "-i",      "/in/a", "-y",    "-vcodec",
                           "ffvhuff", "-strict", "-2",    "/out/x"};
        // The rewrites follow the options, never what a file name says.
        QTest::newRow("name with -ab and -ac 5:1")
            << "-y -ac 5:1 "
            << "/in/x -ab 1 -ac 5:1 -vcodec ffvhuff y"
            << "/enc -i \"/in/x -ab 1 -ac 5:1 -vcodec ffvhuff y\" -y -ab 256 -ac 5:1  \"/out/x\""
            << QStringList{"/enc", "-i",  "/in/x -ab 1 -ac 5:1 -vcodec ffvhuff y",
                           "-y",   "-ab", "256",
                           "-ac",  "5:1", "/out/x"};
        QTest::newRow("hostile name stays one argument")
            << "-y "
            << "/in/-\"$HOME`id`;'\n\u00e9.avi"
            << "/enc -i \"/in/-\"$HOME`id`;'\n\u00e9.avi\" -y  \"/out/x\""
            << QStringList{"/enc", "-i", "/in/-\"$HOME`id`;'\n\u00e9.avi", "-y", "/out/x"};
    }

    void composeEncoderCall()
    {
        QFETCH(QString, options);
        QFETCH(QString, input);
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        const TEncoderCall call = ComposeEncoderCall("/enc", input, options, "/out/x");
        QCOMPARE(call.Text, text);
        QCOMPARE(call.Arguments, arguments);
    }

    void substituteTemplate_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("value");

        const QStringList hostile = {"plain",
                                     "a b",
                                     "it's",
                                     "say \"hi\"",
                                     "$HOME",
                                     "`id`",
                                     "a;touch pwned",
                                     "-x",
                                     "new\nline",
                                     "back\\slash",
                                     "\u00e9t\u00e9 \u65e5\u672c",
                                     "<%OutputPath%>"};
        const QStringList lines = {"printf '%s' <%InputFile%>", "printf '%s' \"<%inputfile%>\"",
                                   "printf '%s' '<%INPUTFILE%>'",
                                   "printf '%s' pre<%InputFile%>post"};
        for (const QString& line : lines)
            for (const QString& value : hostile)
                QTest::addRow("%s | %s", qPrintable(line),
                              qPrintable(QString(value).replace("\n", "\\n")))
                    << line << value;
    }

    // Run by a real shell, every substituted value comes out literally.
    void substituteTemplate()
    {
        QFETCH(QString, line);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString script = SubstituteTemplate(
            line, {{"<%OutputPath%>", "/should/not/appear"}, {"<%InputFile%>", value}});
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start("/bin/sh", {"-c", script});
        QVERIFY(shell.waitForFinished());
        QString expected = value;
        if (line.contains("pre")) expected = "pre" + value + "post";
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), expected);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), {});
    }

    void substituteTemplateEmptyValue()
    {
        // An empty value leaves no empty argument behind.
        QCOMPARE(SubstituteTemplate("a <%TimeStamp%> b", {{"<%TimeStamp%>", ""}}), "a  b");
        QCOMPARE(SubstituteTemplate("a <%Unknown%> b", {{"<%TimeStamp%>", "x"}}),
                 "a <%Unknown%> b");
    }

    void outcomes_data()
    {
        QTest::addColumn<QByteArrayList>("modes");
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<int>("errorBoxes");

        QTest::newRow("all succeed") << QByteArrayList{"ok", "ok", "ok"}
                                     << QList<int>{rsConverted, rsConverted, rsConverted} << 0;
        QTest::newRow("error line") << QByteArrayList{"ok", "error", "ok"}
                                    << QList<int>{rsConverted, rsFailed, rsConverted} << 1;
        QTest::newRow("error as the last, unterminated line")
            << QByteArrayList{"tail", "ok"} << QList<int>{rsFailed, rsConverted} << 1;
        QTest::newRow("crash") << QByteArrayList{"crash", "ok"} << QList<int>{rsFailed, rsConverted}
                               << 0;
        QTest::newRow("exit code")
            << QByteArrayList{"ok", "exit3"} << QList<int>{rsConverted, rsFailed} << 0;
        QTest::newRow("empty output")
            << QByteArrayList{"empty", "empty"} << QList<int>{rsFailed, rsFailed} << 0;
    }

    void outcomes()
    {
        QFETCH(QByteArrayList, modes);
        QFETCH(QList<int>, states);
        QFETCH(int, errorBoxes);
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        GlobalVars.DeleteFileAfterProcessing = true;
        GlobalVars.ShutdownWindowsWhenDone = true;
        QStringList inputs;
        qint64 total = 0;
        for (int i = 0; i < modes.size(); ++i) {
            inputs << f.addInput(QString("file%1.wav").arg(i), modes.at(i));
            total += modes.at(i).size();
        }
        f.run();

        QCOMPARE(f.states(), states);
        const int failed = int(states.count(rsFailed));
        QCOMPARE(f.driver.Batch().DoneCount, int(states.size()) - failed);
        QCOMPARE(f.driver.Batch().FailedCount, failed);
        QCOMPARE(f.driver.Batch().TotalCount, int(states.size()));
        QCOMPARE(f.driver.Batch().TotalBytes, total);
        QCOMPARE(f.front.errorBoxes.size(), errorBoxes);
        for (int i = 0; i < states.size(); ++i) {
            const QString output = f.outDir() + QString("file%1.mp3").arg(i);
            // Sources go only after success; a failed file leaves no empty output.
            QCOMPARE(QFile::exists(inputs.at(i)), states.at(i) == rsFailed);
            if (states.at(i) == rsFailed)
                QVERIFY(FileSizeOf(output) != 0);
            else
                QVERIFY(readFile(output).startsWith("converted:"));
        }
        QVERIFY(!f.temporaryFilesLeft());
        QVERIFY(!f.front.progressOpen);
        // Nothing to transfer when nothing converted.
        QCOMPARE(f.front.messages, QStringList{batchResult(int(states.size()) - failed, failed)});
        QCOMPARE(f.front.trayHint, Msg(MSG_TRAY_ENCODING_DONE));
        const bool clean = failed == 0;
        QCOMPARE(f.front.balloons.size(), 1);
        QCOMPARE(f.front.countdowns, clean ? 1 : 0);
        if (clean) {
            QCOMPARE(f.front.balloons.first(),
                     "Corvane Clipforge Information: Conversion complete! " +
                         QString::number(states.size()) + " converted, 0 failed. (10s)");
            QCOMPARE(f.front.progressCaption, Msg(MSG_LABEL_ENCODINGFINISHED));
            QCOMPARE(f.front.labels.value(TProgressLabel::LabelBatch), "Batch=100%");
        }
    }

    // Real encoders' consoles, replayed file after file, with a clock that
    // moves a second at each reading.
    void recordedConsoles_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("recordings");
        QTest::addColumn<QStringList>("working");
        QTest::addColumn<QStringList>("shownOutputs");

        QTest::newRow("two files")
            << int(ofMP3) << QStringList{"console_mp3_clip.txt", "console_mp3_clip2.txt"}
            << QStringList{"Working on file 1 of 2: clip.wav", "Working on file 2 of 2: clip2.wav"}
            << QStringList{"Output file: clip.mp3", "Output file: clip2.mp3"};
        // The device item's script makes the video, then its thumbnail from it.
        QTest::newRow("PSP item with its thumbnail step, twice")
            << int(ofMP4) << QStringList{"console_psp_long.txt", "console_psp_long.txt"}
            << QStringList{"Working on file 1 of 2: long.avi", "Working on file 2 of 2: long.avi"}
            << QStringList{"Output file: long.MP4"};
    }

    void recordedConsoles()
    {
        QFETCH(int, format);
        QFETCH(QStringList, recordings);
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.useFormat(format, 6);
        for (int i = 0; i < recordings.size(); ++i)
            f.addInput(QString("in%1.avi").arg(i),
                       "replay " + recording(recordings.at(i)).toUtf8());
        double clock = 46000.5;
        f.driver.Now = [&clock] { return clock += 1.0 / 86400; };
        f.run();
        QCOMPARE(f.states(), (QList<int>{rsConverted, rsConverted}));

        const QString statusLabel = QString("label %1: ").arg(int(TProgressLabel::LabelStatus));
        const QString remainingLabel =
            QString("label %1: ").arg(int(TProgressLabel::LabelStatusRemaining));
        const QString elapsedLabel =
            QString("label %1: ").arg(int(TProgressLabel::LabelBatchElapsed));
        const QString batchRemainingLabel =
            QString("label %1: ").arg(int(TProgressLabel::LabelBatchRemaining));
        const QString workingLabel = QString("label %1: ").arg(int(TProgressLabel::LabelWorking));
        const QString outputLabel = QString("label %1: ").arg(int(TProgressLabel::LabelOutput));
        const QString statusBar = QString("bar %1: ").arg(int(TProgressBar::ProgressBarStatus));
        const QString batchBar = QString("bar %1: ").arg(int(TProgressBar::ProgressBarBatch));

        int row = -1;
        int batchPercent = 0;
        int filePercent = 0;
        QString lastStatus;
        int batchElapsed = -1;
        int batchRemaining = -1;
        QStringList working;
        QStringList shownOutputs;
        for (const QString& entry : std::as_const(f.front.log)) {
            const QString value = entry.mid(entry.indexOf(": ") + 2);
            if (entry.startsWith("row ") && value == QString::number(rsConverting) &&
                entry.mid(4).section(':', 0, 0).toInt() != row) {
                row = entry.mid(4).section(':', 0, 0).toInt();
                // Each file starts afresh.
                QCOMPARE(lastStatus, "Status=0%");
                filePercent = 0;
            } else if (entry.startsWith(batchBar)) {
                QVERIFY2(value.toInt() >= batchPercent, qPrintable(entry));
                batchPercent = value.toInt();
            } else if (entry.startsWith(statusBar) && row >= 0 && value.toInt() != 0) {
                QVERIFY2(value.toInt() >= filePercent, qPrintable(entry));
                filePercent = value.toInt();
            } else if (entry.startsWith(statusLabel)) {
                lastStatus = value;
            } else if (entry.startsWith(elapsedLabel)) {
                batchElapsed = clockSeconds(value);
            } else if (entry.startsWith(batchRemainingLabel)) {
                batchRemaining = clockSeconds(value);
            } else if (entry.startsWith(remainingLabel) && batchRemaining >= 0) {
                QVERIFY2(clockSeconds(value) <= batchElapsed + batchRemaining, qPrintable(entry));
            } else if (value.endsWith(": ")) {
                // Before the encoder named its files.
            } else if (entry.startsWith(workingLabel) && !working.contains(value)) {
                working << value;
            } else if (entry.startsWith(outputLabel) && !shownOutputs.contains(value)) {
                shownOutputs << value;
            }
        }
        QCOMPARE(batchPercent, 100);
        QCOMPARE(row, 1);
        QTEST(working, "working");
        QTEST(shownOutputs, "shownOutputs");
    }

    // The box at the end of a batch says how it went, in the user's
    // language; the hint to take the files to the console only after PSP
    // files were made.
    void endOfBatchText_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QByteArrayList>("modes");
        QTest::addColumn<QString>("text");

        const QString hint =
            "\n\nIn order to transfer your converted files to PSP use the "
            "Transfer Manager";
        QTest::newRow("mp3, English, one of two")
            << int(ofMP3) << "" << QByteArrayList{"ok", "error"} << "1 converted, 1 failed.";
        QTest::newRow("PSP, English, both")
            << int(ofMP4) << "" << QByteArrayList{"ok", "ok"} << "2 converted, 0 failed." + hint;
        QTest::newRow("PSP, German, none") << int(ofMP4) << "deutsch.ini" << QByteArrayList{"crash"}
                                           << "0 konvertiert, 1 fehlgeschlagen.";
        QTest::newRow("PSP, German, one")
            << int(ofMP4) << "deutsch.ini" << QByteArrayList{"ok"}
            << "1 konvertiert, 0 fehlgeschlagen.\n\nUm die konvertierten Dateien auf die PSP zu "
               "übertragen, verwenden Sie den Übertragungsmanager.";
        QTest::newRow("wav, French, one of two")
            << int(ofMP3) << "french.ini" << QByteArrayList{"exit3", "ok"}
            << "1 converti(s), 1 en échec.";
    }

    void endOfBatchText()
    {
        QFETCH(int, format);
        QFETCH(QString, language);
        QFETCH(QByteArrayList, modes);
        QFETCH(QString, text);
        if (!language.isEmpty())
            QVERIFY(LoadLanguage(CLIPFORGE_SOURCE_DIR "/data/skin/kelp/lang/" + language));
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.useFormat(format, format == ofMP4 ? 6 : 0);
        for (int i = 0; i < modes.size(); ++i)
            f.addInput(QString("f%1.avi").arg(i), modes.at(i));
        f.run();
        QCOMPARE(f.front.messages, QStringList{Msg(MSG_APPLICATION_TITLE) + ": " + text});
        QCOMPARE(f.front.balloons.size(), 1);
        QVERIFY2(f.front.balloons.first().contains(text.section("\n", 0, 0)),
                 qPrintable(f.front.balloons.first()));
    }

    void refusedPowerActionIsReported()
    {
        // No logind to ask: the countdown ran out, so the user must hear
        // that nothing happened.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        GlobalVars.ShutdownWindowsWhenDone = true;
        GlobalVars.ShutdownFlag = 4;
        f.front.countdownResult = mrOk;
        f.addInput("a.wav", "ok");
        f.run();
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        QCOMPARE(f.front.countdowns, 1);
        QCOMPARE(f.front.messages, (QStringList{Msg(MSG_HINT) + ": " +
                                                    MsgFormat(MSG_POWER_FAILED, Msg(MSG_HIBERNATE)),
                                                batchResult(1, 0)}));
    }

    void errorLinesOfOneFileShareABox()
    {
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.addInput("a.wav", "error");
        f.addInput("b.wav", "error");
        f.run();
        QCOMPARE(f.front.errorBoxes.size(), 2);
        QVERIFY(f.front.errorBoxes.at(0).first().startsWith("Error: fake failure of "));
    }

    void uniqueNames()
    {
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.addInput("a.avi");
        f.addInput("a.mpg");
        f.run();
        QCOMPARE(f.outputs(), (QStringList{"a(1).mp3", "a.mp3"}));
        f.run();
        QCOMPARE(f.outputs(), (QStringList{"a(1).mp3", "a(2).mp3", "a(3).mp3", "a.mp3"}));
        QCOMPARE(f.states(), (QList<int>{rsConverted, rsConverted}));
    }

    void commandLineAndDirectShowRoute()
    {
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        const QString routed = f.addInput("x.rmvb");
        const QString direct = f.addInput("x.RMVB");
        f.run();
        const QList<EncoderCall> calls = f.calls();
        QCOMPARE(calls.size(), 2);
        const QString encoder = f.programDir() + "avcore.dll";
        QCOMPARE(calls.at(0).arguments.mid(0, 2), (QStringList{encoder, "-i"}));
        // The batch's own DirectShow script, in its private folder.
        const QString script = calls.at(0).arguments.at(2);
        QVERIFY2(script.startsWith(f.programDir() + "~ConvertCore.") &&
                     script.endsWith("/DirectShow.avs"),
                 qPrintable(script));
        QCOMPARE(calls.at(0).arguments.last(), f.outDir() + "x.mp3");
        QCOMPARE(calls.at(1).arguments.mid(0, 3), (QStringList{encoder, "-i", direct}));
        // The script named the real input; it is gone once the file is done.
        QVERIFY(
            readFile(f.outDir() + "x.mp3")
                .contains(QByteArray(QByteArray("DirectShowSource(\"") + routed.toUtf8() + "\")")));
        QVERIFY(!f.temporaryFilesLeft());
    }

    void deviceItemRunsItsScript()
    {
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.useFormat(ofMP4);
        const QString hostile = f.addInput("-a \"b\" 'c' $HOME `touch pwned`; d\n\u00e9.avi");
        f.run();
        QCOMPARE(f.states(), QList<int>{rsConverted});
        const QList<EncoderCall> calls = f.calls();
        QCOMPARE(calls.size(), 2);
        const QString name = "-a \"b\" 'c' $HOME `touch pwned`; d\n\u00e9.MP4";
        QCOMPARE(calls.at(0).arguments.mid(0, 3),
                 (QStringList{f.programDir() + "avcore.dll", "-i", hostile}));
        // The item writes into its private folder; its files reach the
        // output folder together, under the names it gave them.
        const QString written = calls.at(0).arguments.at(3);
        QVERIFY2(written.startsWith(f.outDir() + ".~clipforge.") && written.endsWith("/" + name),
                 qPrintable(written));
        const QStringList outputs = f.front.rows.first().outputs;
        QCOMPARE(outputs.size(), 2);
        QCOMPARE(outputs.first(), f.outDir() + name);
        QVERIFY(outputs.last().startsWith(f.outDir() + "side "));
        QVERIFY(outputs.last().endsWith(".THM"));
        for (const QString& output : outputs)
            QVERIFY(readFile(output).startsWith("converted:"));
        QCOMPARE(f.outputs().size(), 2);
        QVERIFY(!QFile::exists(f.programDir() + "pwned"));
        QVERIFY(!QFile::exists(f.outDir() + "pwned"));
        QVERIFY(!f.temporaryFilesLeft());
    }

    void deviceItemFailures_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("error");
        QTest::newRow("no commands")
            << 1 << "Error: The device profile item \"Nothing to run\" has no commands";
        QTest::newRow("a command fails")
            << 2 << "Error: command 1 of the device profile item failed with exit status 1";
        QTest::newRow("writes nothing") << 3 << "Error: The device profile item wrote no .MP4 file";
        // Nothing is replaced, and the item's other output goes too.
        QTest::newRow("an output's name is taken")
            << 5 << "Error: %1taken.THM already exists; the file's outputs were not moved there";
    }

    // The file fails with one line saying why, nothing after a failing
    // command runs, none of its outputs stay, and the batch goes on.
    void deviceItemFailures()
    {
        QFETCH(int, item);
        QFETCH(QString, error);
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.useFormat(ofMP4, item);
        writeFile(f.outDir() + "taken.THM", "mine");
        f.addInput("a.avi");
        f.addInput("b.avi");
        f.run();
        QCOMPARE(f.states(), (QList<int>{rsFailed, rsFailed}));
        QCOMPARE(f.front.errorBoxes.size(), 2);
        QCOMPARE(f.front.errorBoxes.first(), QStringList{QString(error).replace("%1", f.outDir())});
        QCOMPARE(f.outputs(), QStringList{"taken.THM"});
        QCOMPARE(readFile(f.outDir() + "taken.THM"), "mine");
        QCOMPARE(f.front.messages, QStringList{batchResult(0, 2)});
        QVERIFY(!f.temporaryFilesLeft());
    }

    // Stopped in its second command, an item leaves neither its first output
    // nor anything else.
    void stopInDeviceItemLeavesNothing()
    {
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.useFormat(ofMP4, 4);
        f.addInput("a.avi");
        QTimer poll;
        f.front.onProgressShown = [&] {
            QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
                const QStringList staged =
                    QDir(f.outDir())
                        .entryList({".~clipforge*"},
                                   QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
                if (!staged.isEmpty() && QFile::exists(f.outDir() + staged.first() + "/a.MP4"))
                    f.driver.StopNow();
            });
            poll.start(20);
        };
        QTimer::singleShot(30000, &poll, [&] { f.driver.StopNow(); });
        f.run();
        QCOMPARE(f.calls().size(), 1);
        QVERIFY(f.outputs().isEmpty());
        QVERIFY(!f.temporaryFilesLeft());
        QVERIFY(!f.driver.Runner().Active());
    }

    void stopNow()
    {
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        GlobalVars.ShutdownWindowsWhenDone = true;
        GlobalVars.DeleteFileAfterProcessing = true;
        const QString source = f.addInput("a.wav", "hang");
        f.addInput("b.wav");
        QTimer poll;
        f.front.onProgressShown = [&] {
            QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
                if (f.driver.File().PositionMs == 1500) f.driver.StopNow();
            });
            poll.start(20);
        };
        QTimer::singleShot(30000, &poll, [&] { f.driver.StopNow(); });
        f.run();

        QCOMPARE(f.driver.File().PositionMs, 1500);
        // The stopped file shows as waiting, not as still converting.
        QCOMPARE(f.states(), (QList<int>{rsQueued, rsQueued}));
        QVERIFY(QFile::exists(source));
        const QList<EncoderCall> calls = f.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(kill(pid_t(calls.first().pid), 0), -1);  // the encoder is gone
        QVERIFY(!f.temporaryFilesLeft());
        QVERIFY(f.front.balloons.isEmpty());
        QCOMPARE(f.front.countdowns, 0);
        QCOMPARE(
            f.front.messages,
            QStringList{"Corvane Clipforge: Stopped: 0 converted, 0 failed, 2 not converted."});

        // The runner is idle again: a new batch works.
        f.front.rows.removeFirst();
        f.run();
        QCOMPARE(f.states(), QList<int>{rsConverted});
    }

    // Convert offered again while a batch runs is refused, and the batch
    // goes on undisturbed.
    void noSecondBatchWhileOneRuns()
    {
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.addInput("a.wav");
        bool second = true;
        f.front.onProgressShown = [&] { second = f.driver.StartBatch(); };
        QVERIFY(f.driver.StartBatch());
        QVERIFY(!second);
        QCOMPARE(f.states(), QList<int>{rsConverted});
        QCOMPARE(f.calls().size(), 1);
    }

    void stopWhenDone_data()
    {
        QTest::addColumn<int>("stopDuringFile");
        QTest::addColumn<QList<int>>("states");
        QTest::newRow("first of three") << 0 << QList<int>{rsConverted, rsQueued, rsQueued};
        QTest::newRow("last of three") << 2 << QList<int>{rsConverted, rsConverted, rsConverted};
    }

    void stopWhenDone()
    {
        QFETCH(int, stopDuringFile);
        QFETCH(QList<int>, states);
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        GlobalVars.ShutdownWindowsWhenDone = true;
        for (int i = 0; i < 3; ++i)
            f.addInput(QString("f%1.wav").arg(i));
        TBatchDriver& driver = f.driver;
        QTimer poll;
        f.front.onProgressShown = [&] {
            QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
                if (driver.Batch().DoneCount == stopDuringFile && driver.Runner().Active()) {
                    driver.SetStopWhenDone(true);
                    poll.stop();
                }
            });
            poll.start(0);
        };
        driver.StartBatch();
        QCOMPARE(f.states(), states);
        // Stopping when done is an ordinary end: balloon and countdown follow.
        QCOMPARE(f.front.balloons.size(), 1);
        QCOMPARE(f.front.countdowns, 1);
    }

    // Without a profile every file would fail alike: the batch does not
    // start, and says why.
    void noProfileSaysWhy_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("message");
        QTest::newRow("a format without profiles")
            << int(ofWAV) << "Hint: There is no WAV profile to convert with in %1profile_en/wav/.";
        QTest::newRow("no device item")
            << int(ofMP4) << "Hint: No device profile item is chosen to convert with.";
    }

    void noProfileSaysWhy()
    {
        QFETCH(int, format);
        QFETCH(QString, message);
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        f.useFormat(format);
        f.catalogue.SelectedItem = -1;
        f.addInput("a.wav");
        QVERIFY(!f.driver.StartBatch());
        QCOMPARE(f.front.messages, QStringList{message.arg(f.programDir())});
        QCOMPARE(f.states(), QList<int>{rsQueued});
        QCOMPARE(f.calls().size(), 0);
    }

    void startChecks_data()
    {
        QTest::addColumn<QString>("encoder");
        QTest::addColumn<bool>("rows");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("created");

        QTest::newRow("no encoder") << "missing.dll" << true << "out" << int(mrYes)
                                    << "Hint: The file \"missing.dll\" couldn't be found." << false;
        QTest::newRow("no files") << "avcore.dll" << false << "out" << int(mrYes)
                                  << "Hint: There are no files to encode!" << false;
        QTest::newRow("blank folder")
            << "avcore.dll" << true << "   " << int(mrYes)
            << "Empty Dir: You must choose an output folder first!" << false;
        QTest::newRow("new folder declined")
            << "avcore.dll" << true << "new/deep" << int(mrNo) << "" << false;
        QTest::newRow("new folder cancelled")
            << "avcore.dll" << true << "new/deep" << int(mrCancel) << "" << false;
        QTest::newRow("new folder made")
            << "avcore.dll" << true << "new/deep" << int(mrYes) << "" << true;
        QTest::newRow("folder cannot be made")
            << "avcore.dll" << true << "blocker/deep" << int(mrYes)
            << "Failed: The folder could not be created! Please check that the output "
               "folder's name is right!"
            << false;
    }

    void startChecks()
    {
        QFETCH(QString, encoder);
        QFETCH(bool, rows);
        QFETCH(QString, output);
        QFETCH(int, answer);
        QFETCH(QString, message);
        QFETCH(bool, created);
        Fixture f;
        QVERIFY2(f.ready(), "the fixture could not be made");
        GlobalVars.EncoderPath = encoder;
        if (rows) f.addInput("a.wav");
        writeFile(f.work.path() + "/blocker", "a file in the way");
        f.front.outputFolder = output.trimmed().isEmpty() ? output : f.work.path() + "/" + output;
        f.front.answer = answer;
        f.run();
        QStringList said = message.isEmpty() ? QStringList() : QStringList{message};
        if (created) said << batchResult(1, 0);
        QCOMPARE(f.front.messages, said);
        if (rows) QCOMPARE(f.states(), QList<int>{created ? rsConverted : rsQueued});
        if (output.startsWith("new")) QCOMPARE(f.front.questions.size(), 1);
        QCOMPARE(QFileInfo(f.front.outputFolder).isDir(), created || output == "out");
        QCOMPARE(f.calls().size(), created ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_BatchDriver)
#include "tst_BatchDriver.moc"
