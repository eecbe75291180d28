#include "base/IniFile.h"
#include "localisation/Placement.h"
#include "localisation/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "SaveFaults.h"

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString settingsPath() const { return m_dir.filePath("info.ini"); }

    static TGlobalVars defaults()
    {
        TGlobalVars vars;
        SetStartupDefaults(vars, "/home/user/Documents");
        return vars;
    }

    void writeFile(const QByteArray& content)
    {
        QFile f(settingsPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    QByteArray readFile() const
    {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init() { QFile::remove(settingsPath()); }

    void firstStartWritesDefaults()
    {
        TGlobalVars vars = defaults();
        QVERIFY(!LoadSettings(vars, settingsPath()));
        QCOMPARE(vars.OutputFormat, quint8(ofAVI));
        QCOMPARE(readFile(), QByteArray("[System]\n"
                                        "LanguageFile=english.ini\n"
                                        "LastInputOpenDir=/home/user/Documents\n"
                                        "LastOutputOpenDir=/home/user/Documents\n"
                                        "Priority=1\n"
                                        "ShutdownFlag=1\n"
                                        "DeleteFileAfterProcessing=0\n"
                                        "ShutdownWindowsWhenDone=0\n"
                                        "UseDirectShow=0\n"
                                        "TgpiPodPSPProfileFileName=\n"
                                        "MP4MenuIndex=0\n"
                                        "ShowAllFormats=0\n"));

        // Every later start is in MP4, whatever the format was at close.
        TGlobalVars later = defaults();
        QVERIFY(LoadSettings(later, settingsPath()));
        QCOMPARE(later.OutputFormat, quint8(ofMP4));
    }

    void valueForms_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("reads");
        QTest::newRow("Priority hex") << "Priority"
                                      << "0x2"
                                      << "2";
        QTest::newRow("Priority dollar hex") << "Priority"
                                             << "$3"
                                             << "3";
        QTest::newRow("Priority not a number") << "Priority"
                                               << "abc"
                                               << "1";
        QTest::newRow("Priority out of the list") << "Priority"
                                                  << "7"
                                                  << "7";
        QTest::newRow("Priority low byte") << "Priority"
                                           << "258"
                                           << "2";
        QTest::newRow("ShutdownFlag negative") << "ShutdownFlag"
                                               << "-1"
                                               << "255";
        QTest::newRow("truth yes") << "UseDirectShow"
                                   << "yes"
                                   << "0";
        QTest::newRow("truth 2") << "UseDirectShow"
                                 << "2"
                                 << "1";
        QTest::newRow("truth -1") << "DeleteFileAfterProcessing"
                                  << "-1"
                                  << "1";
        QTest::newRow("integer hex") << "MP4MenuIndex"
                                     << "0x10"
                                     << "16";
        QTest::newRow("integer 0x alone") << "MP4MenuIndex"
                                          << "0x"
                                          << "0";
        QTest::newRow("text in quotes") << "LanguageFile"
                                        << "  'FRENCH.ini'  "
                                        << "FRENCH.ini";
        QTest::newRow("text with odd characters") << "LastOutputOpenDir"
                                                  << "/media/$HOME/`x` -a;b \"q\""
                                                  << "/media/$HOME/`x` -a;b \"q\"";
        QTest::newRow("empty text") << "LastInputOpenDir"
                                    << ""
                                    << "";
    }

    void valueForms()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, reads);
        writeFile("[system]\n" + key.toUtf8() + '=' + stored.toUtf8() + '\n');
        TGlobalVars vars = defaults();
        QVERIFY(LoadSettings(vars, settingsPath()));
        // Saving shows what was read, in the file's own form.
        const QString copy = m_dir.filePath("copy.ini");
        SaveSettings(vars, copy);
        QCOMPARE(IniFile(copy).readString("System", key, "<missing>"), reads);
    }

    void saveKeepsOtherKeysAndSections()
    {
        writeFile(
            "[Custom]\na=1\n[System]\nMP4MenuIndex=3\nMine=keep\nPriority=2\n\n[Form]\nx=5\n");
        TGlobalVars vars = defaults();
        QVERIFY(LoadSettings(vars, settingsPath()));
        QCOMPARE(vars.MP4MenuIndex, 3);
        QCOMPARE(vars.Priority, quint8(2));
        vars.Priority = 0;
        SaveSettings(vars, settingsPath());
        QCOMPARE(readFile(), QByteArray("[Custom]\na=1\n[System]\nMP4MenuIndex=3\nMine=keep\n"
                                        "Priority=0\n"
                                        "LanguageFile=english.ini\n"
                                        "LastInputOpenDir=/home/user/Documents\n"
                                        "LastOutputOpenDir=/home/user/Documents\n"
                                        "ShutdownFlag=1\n"
                                        "DeleteFileAfterProcessing=0\n"
                                        "ShutdownWindowsWhenDone=0\n"
                                        "UseDirectShow=0\n"
                                        "TgpiPodPSPProfileFileName=\n"
                                        "ShowAllFormats=0\n"
                                        "\n[Form]\nx=5\n"));
    }

    void refusedWrites()
    {
        writeFile("[System]\nPriority=2\n");
        QVERIFY(QFile::setPermissions(settingsPath(), QFile::ReadOwner));
        QString error;
        try {
            SaveSettings(defaults(), settingsPath());
        } catch (const IniWriteError& e) {
            error = e.text();
        }
        QCOMPARE(error, "Unable to write to " + settingsPath());
        QVERIFY(!WriteSettingValue(settingsPath(), "System", "LastInputOpenDir", "/tmp"));
        QCOMPARE(readFile(), QByteArray("[System]\nPriority=2\n"));
        QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::WriteOwner);
    }

    void singleKeyWriteCreatesTheFile()
    {
        QVERIFY(WriteSettingValue(settingsPath(), "System", "LastOutputOpenDir", "/srv/out"));
        QVERIFY(WriteSettingValue(settingsPath(), "System", "MP4MenuIndex", 1));
        QCOMPARE(readFile(), QByteArray("[System]\nLastOutputOpenDir=/srv/out\nMP4MenuIndex=1\n"));
    }

    void clampToScreen_data()
    {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QRect>("placed");
        const QRect screen(0, 0, 1024, 768);
        QTest::newRow("fits") << QRect(10, 20, 800, 600) << QRect(10, 20, 800, 600);
        QTest::newRow("past the right edge") << QRect(1500, 0, 800, 600) << QRect(224, 0, 800, 600);
        QTest::newRow("past the bottom") << QRect(0, 700, 800, 600) << QRect(0, 168, 800, 600);
        QTest::newRow("wider than the screen")
            << QRect(-50, 0, 2000, 600) << QRect(0, 0, 1024, 600);
        QTest::newRow("left of the screen") << QRect(-30, -40, 300, 200) << QRect(0, 0, 300, 200);
    }

    void clampToScreen()
    {
        QFETCH(QRect, saved);
        QFETCH(QRect, placed);
        QCOMPARE(ClampToScreen(saved, QRect(0, 0, 1024, 768)), placed);
    }

    // Settings and window places are saved in one write of info.ini; a
    // program killed at any step of it leaves the old file byte for byte.
    void saveIsOneWrite_data()
    {
        QTest::addColumn<bool>("placement");
        QTest::addColumn<int>("killedAt");
        for (const bool placement : {false, true}) {
            const char* what = placement ? "window place" : "settings";
            QTest::addRow("%s, once", what) << placement << -1;
            QTest::addRow("%s, killed with the file open", what)
                << placement << int(TWriteStep::Opened);
            QTest::addRow("%s, killed before replacing", what)
                << placement << int(TWriteStep::Replacing);
        }
    }

    void saveIsOneWrite()
    {
        QFETCH(bool, placement);
        QFETCH(int, killedAt);
        writeFile("[System]\nPriority=2\n[Form]\nx=5\n");
        const QByteArray old = readFile();
        const auto save = [&] {
            if (placement) {
                IniFile file(settingsPath());
                WriteWindowPlacement(file, "Form", {QRect(10, 20, 640, 480), true});
            } else {
                SaveSettings(defaults(), settingsPath());
            }
        };
        if (killedAt < 0) {
            QCOMPARE(replacementsDuring(settingsPath(), save), 1);
            QVERIFY(readFile() != old);
        } else {
            QVERIFY(killedDuringSave(TWriteStep(killedAt), save));
            QCOMPARE(readFile(), old);
        }
    }

    void placementRoundTrip()
    {
        IniFile file(settingsPath());
        const WindowPlacement missing = ReadWindowPlacement(file, "Form", QRect(1, 2, 3, 4));
        QCOMPARE(missing.bounds, QRect(1, 2, 3, 4));
        QVERIFY(!missing.maximized);
        WriteWindowPlacement(file, "Form", {QRect(10, 20, 640, 480), true});
        QCOMPARE(readFile(),
                 QByteArray("[Form]\nx=10\ny=20\nheight=480\nwidth=640\nmaximized=1\n"));
        const WindowPlacement read = ReadWindowPlacement(IniFile(settingsPath()), "form", QRect());
        QCOMPARE(read.bounds, QRect(10, 20, 640, 480));
        QVERIFY(read.maximized);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_Settings.moc"
