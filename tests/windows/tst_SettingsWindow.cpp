#include "windows/DialogSeam.h"
#include "windows/Settings.h"

#include "base/IniFile.h"
#include "base/ProgramFolder.h"
#include "localisation/MessageTable.h"
#include "localisation/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"

class TestSettingsWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TGlobalVars m_vars;

    QString settingsPath() const { return SettingsFilePath(); }

    static TGlobalVars someState()
    {
        TGlobalVars vars;
        vars.LanguageFile = "english.ini";
        vars.LastInputOpenDir = "/in";
        vars.LastOutputOpenDir = "/out";
        vars.Priority = 1;
        vars.ShutdownFlag = 1;
        return vars;
    }

    // Opens the window over the state; answer plays the user.
    int runWindow(const std::function<void(TfrmSettings&)>& answer)
    {
        DialogSeam::Queue([answer](QDialog& dialog) {
            auto* window = qobject_cast<TfrmSettings*>(&dialog);
            QVERIFY(window);
            answer(*window);
        });
        TfrmSettings window(m_vars);
        return ExecModal(window);
    }

    template <class T>
    static T* child(QWidget& window, const char* name)
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (!found) qWarning("no control %s", name);
        return found;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetProgramFolder(m_dir.path() + '/');
    }

    void init()
    {
        DialogSeam::Enable();
        ResetMessageTable();
        QFile::remove(settingsPath());
        QDir(settingsPath()).removeRecursively();
        m_vars = someState();
    }

    void cleanup() { DialogSeam::Disable(); }

    void showsTheState_data()
    {
        QTest::addColumn<int>("priority");
        QTest::addColumn<int>("shutdownFlag");
        QTest::addColumn<bool>("directShow");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<int>("priorityShown");
        QTest::addColumn<int>("flagShown");
        QTest::newRow("defaults") << 1 << 1 << false << false << 1 << 1;
        QTest::newRow("idle, close program") << 0 << 0 << true << true << 0 << 0;
        QTest::newRow("realtime, suspend") << 3 << 5 << false << true << 3 << 5;
        QTest::newRow("beyond the lists") << 7 << 6 << true << false << -1 << -1;
        QTest::newRow("stored as 255") << 255 << 255 << false << false << -1 << -1;
    }

    void showsTheState()
    {
        QFETCH(int, priority);
        QFETCH(int, shutdownFlag);
        QFETCH(bool, directShow);
        QFETCH(bool, showAll);
        QFETCH(int, priorityShown);
        QFETCH(int, flagShown);
        m_vars.Priority = quint8(priority);
        m_vars.ShutdownFlag = quint8(shutdownFlag);
        m_vars.UseDirectShow = directShow;
        m_vars.ShowAllFormats = showAll;

        TfrmSettings window(m_vars);
        QCOMPARE(child<QComboBox>(window, "ComboBoxPriority")->currentIndex(), priorityShown);
        QCOMPARE(child<QComboBox>(window, "ComboBoxShutdownFlag")->currentIndex(), flagShown);
        QCOMPARE(child<QCheckBox>(window, "CheckBoxDirectShow")->isChecked(), directShow);
        QCOMPARE(child<QCheckBox>(window, "CheckBoxShowAllFormats")->isChecked(), showAll);
    }

    void listsHoldTheirEntries()
    {
        TfrmSettings window(m_vars);
        QStringList priorities, actions;
        auto* priority = child<QComboBox>(window, "ComboBoxPriority");
        for (int i = 0; i < priority->count(); ++i)
            priorities << priority->itemText(i);
        auto* shutdown = child<QComboBox>(window, "ComboBoxShutdownFlag");
        for (int i = 0; i < shutdown->count(); ++i)
            actions << shutdown->itemText(i);
        QCOMPARE(priorities, (QStringList{"Idle", "Normal", "High", "Realtime"}));
        QCOMPARE(actions, (QStringList{"Close Corvane Clipforge", "Shut down", "Log off", "Restart",
                                       "Hibernate", "Suspend"}));
        QCOMPARE(window.windowTitle(), QString("Settings"));
        QCOMPARE(child<QTabWidget>(window, "PageControlOptions")->tabText(0), QString("General"));
        QCOMPARE(child<QCheckBox>(window, "CheckBoxShowAllFormats")->text(),
                 QString("Show all formats"));
    }

    void okStoresAndWrites_data()
    {
        QTest::addColumn<int>("startPriority");
        QTest::addColumn<int>("choosePriority");  // -1: leave as shown
        QTest::addColumn<int>("chooseFlag");
        QTest::addColumn<bool>("directShow");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<int>("storedPriority");
        QTest::addColumn<int>("storedFlag");
        QTest::newRow("new choices") << 1 << 3 << 2 << true << true << 3 << 2;
        QTest::newRow("all off") << 1 << 0 << 0 << false << false << 0 << 0;
        QTest::newRow("show all formats alone") << 1 << -1 << -1 << false << true << 1 << 1;
        QTest::newRow("nothing chosen stores 255") << 7 << -1 << 4 << false << false << 255 << 4;
    }

    void okStoresAndWrites()
    {
        QFETCH(int, startPriority);
        QFETCH(int, choosePriority);
        QFETCH(int, chooseFlag);
        QFETCH(bool, directShow);
        QFETCH(bool, showAll);
        QFETCH(int, storedPriority);
        QFETCH(int, storedFlag);
        m_vars.Priority = quint8(startPriority);

        const int result = runWindow([&](TfrmSettings& window) {
            if (choosePriority >= 0)
                child<QComboBox>(window, "ComboBoxPriority")->setCurrentIndex(choosePriority);
            if (chooseFlag >= 0)
                child<QComboBox>(window, "ComboBoxShutdownFlag")->setCurrentIndex(chooseFlag);
            child<QCheckBox>(window, "CheckBoxDirectShow")->setChecked(directShow);
            child<QCheckBox>(window, "CheckBoxShowAllFormats")->setChecked(showAll);
            child<QPushButton>(window, "ButtonOK")->click();
        });

        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(int(m_vars.Priority), storedPriority);
        QCOMPARE(int(m_vars.ShutdownFlag), storedFlag);
        QCOMPARE(m_vars.UseDirectShow, directShow);
        QCOMPARE(m_vars.ShowAllFormats, showAll);

        const IniFile file(settingsPath());
        QVERIFY(file.existed());
        QCOMPARE(file.readInteger("System", "Priority", -1), storedPriority);
        QCOMPARE(file.readInteger("System", "ShutdownFlag", -1), storedFlag);
        QCOMPARE(file.readString("System", "UseDirectShow", ""), QString(directShow ? "1" : "0"));
        QCOMPARE(file.readString("System", "ShowAllFormats", ""), QString(showAll ? "1" : "0"));
        // The other keys are written from the state too.
        QCOMPARE(file.readString("System", "LastOutputOpenDir", ""), QString("/out"));

        // What was stored comes back the same.
        TGlobalVars reread = someState();
        QVERIFY(LoadSettings(reread, settingsPath()));
        QCOMPARE(int(reread.Priority), storedPriority);
        QCOMPARE(reread.ShowAllFormats, showAll);
        QCOMPARE(reread.UseDirectShow, directShow);
    }

    void enterIsOk()
    {
        runWindow([&](TfrmSettings& window) {
            child<QCheckBox>(window, "CheckBoxShowAllFormats")->setChecked(true);
            window.show();
            QTest::keyClick(child<QComboBox>(window, "ComboBoxShutdownFlag"), Qt::Key_Return);
        });
        QVERIFY(m_vars.ShowAllFormats);
        QVERIFY(QFile::exists(settingsPath()));
    }

    void leavingChangesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("closed") << "close";
    }

    void leavingChangesNothing()
    {
        QFETCH(QString, how);
        writeFile(settingsPath(), "[System]\nPriority=1\n");
        const QByteArray before = readFile(settingsPath());

        const int result = runWindow([&](TfrmSettings& window) {
            child<QComboBox>(window, "ComboBoxPriority")->setCurrentIndex(3);
            child<QComboBox>(window, "ComboBoxShutdownFlag")->setCurrentIndex(5);
            child<QCheckBox>(window, "CheckBoxDirectShow")->setChecked(true);
            child<QCheckBox>(window, "CheckBoxShowAllFormats")->setChecked(true);
            window.show();
            if (how == "cancel") child<QPushButton>(window, "ButtonCancel")->click();
            if (how == "escape") QTest::keyClick(&window, Qt::Key_Escape);
            if (how == "close") window.close();
        });

        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(int(m_vars.Priority), 1);
        QCOMPARE(int(m_vars.ShutdownFlag), 1);
        QVERIFY(!m_vars.UseDirectShow);
        QVERIFY(!m_vars.ShowAllFormats);
        QCOMPARE(readFile(settingsPath()), before);
    }

    void refusedWriteIsReportedAndCloses()
    {
        // A folder where the file should be: no one may write it, root included.
        QVERIFY(QDir().mkpath(settingsPath()));
        const int result = runWindow([&](TfrmSettings& window) {
            child<QCheckBox>(window, "CheckBoxShowAllFormats")->setChecked(true);
            DialogSeam::QueuePress(QMessageBox::Ok);
            child<QPushButton>(window, "ButtonOK")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(m_vars.ShowAllFormats);
        QCOMPARE(DialogSeam::Log().value(1), "Error | Unable to write to " + settingsPath());
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_SettingsWindow.moc"
