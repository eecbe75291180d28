#include "ProgramCopy.h"
#include "TestFiles.h"

#include <QtTest>

namespace {

// Profiles and device profiles of our own instead of the shipped ones, so that
// the expected lists follow neither changes to the installation data nor the
// order of the file system.
void writeProfiles(const QString& program)
{
    const QString profiles = program + "/profile_en";
    const QList<std::pair<QString, int>> mp3{
        {"gamma", 320}, {"Beta", 128}, {"1", 192}, {"alpha", 64}};
    for (const auto& [name, rate] : mp3)
        writeFile(profiles + "/mp3/" + name + ".mpo",
                  "[General]\nAudioBitRatePresetMp3=" + QByteArray::number(rate) + "\n");
    writeFile(profiles + "/wav/Only One.wao", "[General]\n");

    // Menus follow the files' names, items their order in the file.
    const QString devices = profiles + "/default_setting/";
    writeFile(devices + "a.ini",
              "[Info]\nTitleE=PSP Zulu\n"
              "[Item2]\nTitleE=Second In Name, First In File\nEXT=MP4\nCommand1=echo zulu-0\n"
              "[Item1]\nTitleE=Wide\nEXT=MP4\nCommand1=echo zulu-1\n");
    writeFile(devices + "B.ini",
              "[Info]\nTitleE=PSP Alpha\n"
              "[Item1]\nTitleE=Small\nEXT=MP4\nCommand1=echo alpha-0\n");
    writeFile(devices + "c.ini",
              "[Info]\nTitleE=3GPP Phone\n"
              "[Item1]\nTitleE=Tiny\nEXT=3gp\nCommand1=echo phone-0\n"
              "[Item2]\nTitleE=Larger\nEXT=3gp\nCommand1=echo phone-1\n");
    // Neither menu shows it.
    writeFile(devices + "d.ini",
              "[Info]\nTitleE=iPod Video\n[Item1]\nTitleE=x\nEXT=mp4\nCommand1=echo ipod\n");
}

QString formatLines(const QString& format)
{
    if (format == "mp3") return "mp3\n  0  1\n  1  alpha\n  2  Beta\n  3  gamma\n";
    if (format == "wav") return "wav\n  0  Only One\n";
    if (format == "mp4" || format == "3gp")
        return format + ": converted by the device profiles below\n";
    return format + "\n  (none)\n";
}

const QString Header = "Formats and their profiles (--format FMT --profile NAME|NUMBER):\n";
const QString Mp4Devices =
    "\nMP4 device profiles and their items (--device NAME|NUMBER --item NAME|NUMBER):\n"
    "  0  PSP Zulu\n"
    "       0  Second In Name, First In File\n"
    "       1  Wide\n"
    "  1  PSP Alpha\n"
    "       0  Small\n";
const QString TgpDevices =
    "\n3GP device profiles and their items (--device NAME|NUMBER --item NAME|NUMBER):\n"
    "  0  3GPP Phone\n"
    "       0  Tiny\n"
    "       1  Larger\n";

const QStringList Markers{"-ab 64", "-ab 128", "-ab 192", "-ab 320", "zulu-0",
                          "zulu-1", "alpha-0", "phone-0", "phone-1"};

}  // namespace

// --list shows every choice with the number that picks it; --profile,
// --device and --item take a name as well as a number.
class tst_CliList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        writeProfiles(m_program.path());
    }

    void listsEverythingInOrder()
    {
        const ProgramCopy::Result result = m_program.run({"--list"}, m_work.path());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        QString expected = Header;
        for (const char* format : {"avi", "mp4", "3gp", "mpeg", "mov", "wmv", "rm", "swf", "vob",
                                   "asf", "aac", "ac3", "mp2", "mp3", "amr", "wav"})
            expected += formatLines(format);
        QCOMPARE(result.out, expected + Mp4Devices + TgpDevices);
    }

    void listsOneFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("profiles") << "MP3" << Header + formatLines("mp3");
        QTest::newRow("MP4 device profiles") << "mp4" << Header + formatLines("mp4") + Mp4Devices;
        QTest::newRow("3GP device profiles") << "3gp" << Header + formatLines("3gp") + TgpDevices;
    }

    void listsOneFormat()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        const ProgramCopy::Result result =
            m_program.run({"--list", "--format", format}, m_work.path());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expected);
    }

    void choiceByNameOrNumber_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("marker");  // what the chosen profile or item prints

        QTest::newRow("default profile") << QStringList{"--format", "mp3"} << "-ab 192";
        QTest::newRow("profile by name")
            << QStringList{"--format", "mp3", "--profile", "Beta"} << "-ab 128";
        QTest::newRow("profile by name without case")
            << QStringList{"--format", "mp3", "--profile", "GAMMA"} << "-ab 320";
        QTest::newRow("profile by number")
            << QStringList{"--format", "mp3", "--profile", "3"} << "-ab 320";
        QTest::newRow("a name wins over the same number")
            << QStringList{"--format", "mp3", "--profile", "1"} << "-ab 192";
        QTest::newRow("default device and item") << QStringList{"--format", "mp4"} << "zulu-0";
        QTest::newRow("device by name without case")
            << QStringList{"--format", "mp4", "--device", "psp alpha"} << "alpha-0";
        QTest::newRow("device by number, item by name")
            << QStringList{"--format", "mp4", "--device", "0", "--item", "wide"} << "zulu-1";
        QTest::newRow("item by name with a comma")
            << QStringList{"--format", "mp4",    "--device",
                           "PSP Zulu", "--item", "Second In Name, First In File"}
            << "zulu-0";
        QTest::newRow("3GP device and item by name")
            << QStringList{"--format", "3gp", "--device", "3gpp phone", "--item", "Larger"}
            << "phone-1";
    }

    void choiceByNameOrNumber()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, marker);
        const ProgramCopy::Result result =
            m_program.run(arguments + QStringList{"--print-display", "a.wav"}, m_work.path());
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        for (const QString& other : Markers)
            QVERIFY2(result.out.contains(other + (other.startsWith("-ab") ? " " : "")) ==
                         (other == marker),
                     qPrintable(other + " in " + result.out));
    }

    // A choice that is not there is a wrong command line (2), not a failed
    // file (1).
    void wrongChoices_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");

        QTest::newRow("unknown device name")
            << QStringList{"--format", "mp4", "--device", "PSP Omega", "a.wav"} << 2
            << "There is no mp4 device profile \"PSP Omega\". Choose a name or number of these:\n"
               "  0  PSP Zulu\n"
               "  1  PSP Alpha\n";
        QTest::newRow("unknown item name")
            << QStringList{"--format", "mp4", "--device", "psp alpha", "--item", "Huge", "a.wav"}
            << 2
            << "The device profile \"PSP Alpha\" has no item \"Huge\". Choose a name or number "
               "of these:\n"
               "  0  Small\n";
        QTest::newRow("item of another device profile")
            << QStringList{"--format", "3gp", "--item", "Wide", "a.wav"} << 2
            << "The device profile \"3GPP Phone\" has no item \"Wide\". Choose a name or number "
               "of these:\n"
               "  0  Tiny\n"
               "  1  Larger\n";
        QTest::newRow("device number out of range")
            << QStringList{"--format", "3gp", "--device", "1", "a.wav"} << 2
            << "There is no device profile 1 for 3gp (there are 1).\n";
        QTest::newRow("negative number is a name")
            << QStringList{"--format", "mp4", "--item", "-1", "a.wav"} << 2
            << "The device profile \"PSP Zulu\" has no item \"-1\". Choose a name or number of "
               "these:\n"
               "  0  Second In Name, First In File\n"
               "  1  Wide\n";
        QTest::newRow("unknown profile name")
            << QStringList{"--format", "mp3", "--profile", "delta", "a.wav"} << 2
            << "There is no mp3 profile \"delta\". The profiles are: 1, alpha, Beta, gamma\n";
        QTest::newRow("profile number out of range")
            << QStringList{"--format", "wav", "--profile", "1", "a.wav"} << 2
            << "There is no wav profile \"1\". The profiles are: Only One\n";
        QTest::newRow("list with files") << QStringList{"--list", "a.wav"} << 2
                                         << "--list takes no files and no option but --format.\n"
                                            "Try --help.\n";
        QTest::newRow("list with a device")
            << QStringList{"--list", "--format", "mp4", "--device", "0"} << 2
            << "--list takes no files and no option but --format.\nTry --help.\n";
        QTest::newRow("list of an unknown format") << QStringList{"--list", "--format", "ogg"} << 2
                                                   << "Unknown format: ogg\nTry --help.\n";
    }

    void wrongChoices()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        const ProgramCopy::Result result = m_program.run(arguments, m_work.path());
        QCOMPARE(result.err, error);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.exitCode, exitCode);
    }

    void helpNamesTheChoices()
    {
        const ProgramCopy::Result result = m_program.run({"--help"}, m_work.path());
        QCOMPARE(result.exitCode, 0);
        for (const char* option :
             {"--list", "--profile <NAME|N>", "--device <NAME|N>", "--item <NAME|M>"})
            QVERIFY2(result.out.contains(option), qPrintable(option));
    }

private:
    ProgramCopy m_program{{"profile_en"}};
    QTemporaryDir m_work;
};

QTEST_GUILESS_MAIN(tst_CliList)
#include "tst_CliList.moc"
