#include "ProgramCopy.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A device profile of our own in place of the shipped ones, so the expected
// scripts do not follow changes to the installation data.
const QByteArray DeviceProfile =
    "[Info]\nTitleE=PSP Test\n"
    "[Item1]\nTitleE=Two commands\nEXT=MP4\n"
    "Command1=<%AppPath%>/avcore.dll -i <%InputFile%> -y -f psp <%OutputFile%>.MP4\n"
    "Command2=echo \"<%OutputPath%>\" '<%TIMESTAMP%>'<%title%> done\n";

const QByteArray PhoneProfile =
    "[Info]\nTitleE=3GPP Test\n"
    "[Item1]\nTitleE=Phone\nEXT=3gp\n"
    "Command1=cp <%InputFile%> <%OutputFile%>.3gp\n";

// What every device item's script starts with: stop at the first failing
// command and name it.
const QString ScriptHeader =
    "set -e\ntrap 'clipforge_status=$?; [ \"$clipforge_status\" -eq 0 ] || echo \"Error: command "
    "$clipforge_step of the device profile item failed with exit status $clipforge_status\" "
    ">&2' EXIT\n";

const QString HostileName = "-it's \"$HOME\" `touch pwned`;$(touch pwned2)\n\u00e9.wav";

}  // namespace

// --print-display shows what a batch would run as the progress window shows
// it: the encoder call composed as avcore -i "input" options "output" with the
// two rewrites. --print-command shows the same call as a line a shell runs as
// it is. Both show a device item's script with every value quoted.
class tst_CliPrintCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir(m_program.path() + "/profile_en/default_setting").removeRecursively());
        writeFile(m_program.path() + "/profile_en/default_setting/Test.ini", DeviceProfile);
        writeFile(m_program.path() + "/profile_en/default_setting/Phone.ini", PhoneProfile);
        writeFile(m_program.path() + "/profile_en/ac3/Auto 5.1.aco",
                  "[General]\nAudioChannelsAC3=2\nAudioBitRateUseAutoSetAC3=1\n");
        writeFile(m_program.path() + "/profile_en/ac3/Fixed 5.1.aco",
                  "[General]\nAudioChannelsAC3=2\nAudioBitRatePresetAC3=448\n");
        writeFile(m_program.path() + "/profile_en/mp3/Clip.mpo",
                  "[General]\nEnableTimeControl=1\nDuration=0:00:30.000\nStartTime=0:01:00.000\n"
                  "AudioBitRatePresetMp3=128\nAudioSampleRateMp3=2\nAudioChannelsMp3=1\n");
        // A shipped profile switched to huffYUV video and 8-bit PCM sound.
        QFile shipped(m_program.path() + "/profile_en/avi/Balanced MPEG-4.avo");
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QByteArray lossless = shipped.readAll();
        lossless.replace(QByteArray("\nVideoCodec="), QByteArray("\nVideoCodec=7\nX="));
        lossless.replace(QByteArray("\nAudioCodec="), QByteArray("\nAudioCodec=3\nX="));
        writeFile(m_program.path() + "/profile_en/avi/Lossless.avo", lossless);
        QVERIFY(m_work.isValid());
        writeFile(m_work.path() + "/out/taken.mp3", "already here");
    }

    void printDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");  // %P program, %I input, %O output folder

        const QString mp3 = "-y -f mp3 -vn -acodec mp3 -ac 2 -ab 128 -ar 44100 ";
        QTest::newRow("first profile") << QStringList{"--format", "mp3"} << "a b.wav"
                                       << "%P/avcore.dll -i \"%I\" " + mp3 + " \"%O/a b.mp3\"";
        QTest::newRow("taken name gets a counter")
            << QStringList{"--format", "mp3"} << "taken.wav"
            << "%P/avcore.dll -i \"%I\" " + mp3 + " \"%O/taken(1).mp3\"";
        QTest::newRow("hostile name shown as it is")
            << QStringList{"--format", "mp3"} << "-it's \"$HOME\" `id`;.wav"
            << "%P/avcore.dll -i \"%I\" " + mp3 + " \"%O/-it's \"$HOME\" `id`;.mp3\"";
        QTest::newRow("5.1 without a bit rate gains 256")
            << QStringList{"--format", "ac3", "--profile", "Auto 5.1"} << "a.wav"
            << "%P/avcore.dll -i \"%I\" -y -f ac3 -vn -acodec ac3 -ab 256 -ac 5:1 -ar 48000  "
               "\"%O/a.ac3\"";
        QTest::newRow("5.1 with a bit rate")
            << QStringList{"--format", "ac3", "--profile", "Fixed 5.1"} << "a.wav"
            << "%P/avcore.dll -i \"%I\" -y -f ac3 -vn -acodec ac3 -ac 5:1 -ar 48000 -ab 448  "
               "\"%O/a.ac3\"";
        QTest::newRow("clip limit options")
            << QStringList{"--format", "mp3", "--profile", "Clip"} << "a.wav"
            << "%P/avcore.dll -i \"%I\" -y -f mp3  -t 0:00:30.000 -ss 0:01:00.000 -vn -acodec mp3 "
               "-ac 2 -ab 128 -ar 44100  \"%O/a.mp3\"";
        QTest::newRow("ffvhuff is allowed its pixel formats")
            << QStringList{"--format", "avi", "--profile", "Lossless"} << "a.wav"
            << "%P/avcore.dll -i \"%I\" -y -f avi -vcodec ffvhuff -strict -2 -b 1080k "
               "-acodec pcm_u8 -ac 2 -ar 22050  \"%O/a.avi\"";
        QTest::newRow("DirectShow route by extension")
            << QStringList{"--format", "mp3"} << "x.rmvb"
            << "%P/avcore.dll -i \"%P/DirectShow.avs\" " + mp3 + " \"%O/x.mp3\"";
        QTest::newRow("extension compared with case")
            << QStringList{"--format", "mp3"} << "x.RMVB"
            << "%P/avcore.dll -i \"%I\" " + mp3 + " \"%O/x.mp3\"";
        addScriptRows();
    }

    void printDisplay() { printed("--print-display"); }

    void printCommand_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");

        const QString mp3 = "-y -f mp3 -vn -acodec mp3 -ac 2 -ab 128 -ar 44100";
        QTest::newRow("blank quoted") << QStringList{"--format", "mp3"} << "a b.wav"
                                      << "%P/avcore.dll -i '%I' " + mp3 + " '%O/a b.mp3'";
        QTest::newRow("plain names stay bare") << QStringList{"--format", "mp3"} << "a.wav"
                                               << "%P/avcore.dll -i %I " + mp3 + " %O/a.mp3";
        QTest::newRow("quote in a name")
            << QStringList{"--format", "mp3"} << "it's.wav"
            << "%P/avcore.dll -i '%W/it'\\''s.wav' " + mp3 + " '%O/it'\\''s.mp3'";
        addScriptRows();
    }

    void printCommand() { printed("--print-command"); }

    void pastedCommandRuns_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("source");
        QTest::addColumn<QString>("converted");
        QTest::newRow("hostile name")
            << QString(HostileName) << QStringList{"-f", "wav"} << QString(HostileName);
        // The line writes the DirectShow script the encoder reads, and
        // removes it again.
        QTest::newRow("DirectShow route")
            << "it's.rmvb" << QStringList{"-c:v", "rv10", "-c:a", "ac3", "-f", "rm"} << "it's.wav";
    }

    // Pasted into a shell, the printed line converts the file and does
    // nothing else, whatever the name holds.
    void pastedCommandRuns()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, source);
        QFETCH(QString, converted);
        QTemporaryDir work;
        const QString input = work.path() + "/" + name;
        QCOMPARE(QProcess::execute("ffmpeg", QStringList{"-nostdin", "-v", "error", "-f", "lavfi",
                                                         "-i", "testsrc=size=160x128:d=0.3", "-f",
                                                         "lavfi", "-i", "sine=d=0.3", "-y"} +
                                                 source + QStringList{"file:" + input}),
                 0);
        const ProgramCopy::Result printed = m_program.run(
            {"--format", "wav", "--output", "out", "--print-command", "--", input}, work.path());
        QCOMPARE(printed.exitCode, 0);
        QDir().mkpath(work.path() + "/out");
        QProcess shell;
        shell.setWorkingDirectory(work.path());
        shell.start("/bin/sh", {"-c", printed.out});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(QDir(work.path() + "/out").entryList(QDir::Files | QDir::Hidden),
                 QStringList{converted});
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{name, "out"}));
        QCOMPARE(QDir(m_program.path()).entryList({"~*", "DirectShow.avs"}, QDir::AllEntries),
                 QStringList());
    }

    void wrongChoices_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown format")
            << QStringList{"--format", "ogg", "a.wav"} << 2 << "Unknown format: ogg\nTry --help.\n";
        QTest::newRow("unknown profile")
            << QStringList{"--format", "ac3", "--profile", "Nope", "a.wav"} << 2
            << "There is no ac3 profile \"Nope\". The profiles are: Auto 5.1, Balanced Stereo 192 "
               "kbps, Fixed 5.1, Surround 5.1 448 kbps\n";
        QTest::newRow("no such device")
            << QStringList{"--format", "mp4", "--device", "1", "a.wav"} << 2
            << "There is no device profile 1 for mp4 (there are 1).\n";
        QTest::newRow("no such item")
            << QStringList{"--format", "mp4", "--item", "3", "a.wav"} << 2
            << "The device profile \"PSP Test\" has no item 3 (it has 1).\n";
        QTest::newRow("profile for a device format")
            << QStringList{"--format", "3gp", "--profile", "x", "a.wav"} << 2
            << "--profile does not apply to 3gp: use --device and --item.\nTry --help.\n";
        QTest::newRow("device for a format without devices")
            << QStringList{"--format", "mp3", "--device", "0", "a.wav"} << 2
            << "--device and --item apply to mp4 and 3gp only.\nTry --help.\n";
        QTest::newRow("item for a format without devices")
            << QStringList{"--format", "wav", "--item", "1", "a.wav"} << 2
            << "--device and --item apply to mp4 and 3gp only.\nTry --help.\n";
        QTest::newRow("both printing options")
            << QStringList{"--format", "wav", "--print-command", "--print-display", "a.wav"} << 2
            << "--print-command and --print-display exclude each other.\nTry --help.\n";
        QTest::newRow("no files") << QStringList{"--format", "mp3"} << 2
                                  << "No files given.\nTry --help.\n";
    }

    void wrongChoices()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        const ProgramCopy::Result result = m_program.run(arguments, m_work.path());
        QCOMPARE(result.err, error);
        QCOMPARE(result.exitCode, exitCode);
    }

private:
    static void addScriptRows()
    {
        QTest::newRow("device item script")
            << QStringList{"--format", "mp4"} << "it's $x.avi"
            << ScriptHeader +
                   "clipforge_step=1\n'%P'/avcore.dll -i '%W/it'\\''s $x.avi' -y -f psp "
                   "'%O/it'\\''s $x'.MP4\nclipforge_step=2\necho \"%O/\" '' done\n";
        QTest::newRow("3GP device item") << QStringList{"--format", "3gp"} << "a.avi"
                                         << ScriptHeader + "clipforge_step=1\ncp '%I' '%O/a'.3gp\n";
    }

    void printed(const QString& option)
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QString inputPath = m_work.path() + "/" + input;
        const ProgramCopy::Result result = m_program.run(
            arguments + QStringList{"--output", "out", option, "--", input}, m_work.path());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        expected.replace("%P", m_program.path())
            .replace("%I", inputPath)
            .replace("%O", m_work.path() + "/out")
            .replace("%W", m_work.path());
        // Scripts end in a line break of their own.
        QCOMPARE(result.out, expected.endsWith("\n") ? expected : expected + "\n");
        // Nothing ran and nothing was written.
        QCOMPARE(QDir(m_work.path() + "/out").entryList(QDir::Files), QStringList{"taken.mp3"});
        QCOMPARE(QDir(m_program.path()).entryList({"~*", "DirectShow.avs"}, QDir::AllEntries),
                 QStringList());
    }

    ProgramCopy m_program;
    QTemporaryDir m_work;
};

QTEST_GUILESS_MAIN(tst_CliPrintCommand)
#include "tst_CliPrintCommand.moc"
