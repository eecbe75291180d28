#include "engine/ProgressView.h"
#include "localisation/MessageTable.h"
#include "localisation/ShutdownActions.h"
#include "windows/DialogSeam.h"
#include "windows/Shutdown.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// The shutdown countdown, its clock stepped by hand.
class TestShutdown : public QObject {
    Q_OBJECT

    static QString timeLeft(const TfrmShutdown& dialog)
    {
        const auto* label = dialog.findChild<QLabel*>("LabelTimeOut");
        return label ? label->text() : "no LabelTimeOut";
    }

private Q_SLOTS:
    void cleanup() { DialogSeam::Disable(); }

    void countdown_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("open");
        QTest::newRow("at the start") << 0 << "Time left: 30" << true;
        QTest::newRow("one second") << 1 << "Time left: 29" << true;
        QTest::newRow("showing 0") << 30 << "Time left: 0" << true;
        QTest::newRow("one second after 0") << 31 << "Time left: 0" << false;
    }

    void countdown()
    {
        QFETCH(int, ticks);
        QFETCH(QString, shown);
        QFETCH(bool, open);
        TfrmShutdown dialog(1);
        dialog.StopClock();
        dialog.show();
        for (int tick = 0; tick < ticks; ++tick)
            dialog.Tick();
        QCOMPARE(timeLeft(dialog), shown);
        QCOMPARE(dialog.isVisible(), open);
        if (!open) QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void theClockRunsItDown()
    {
        TfrmShutdown dialog(1);
        dialog.SetTickInterval(1);
        dialog.show();
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.SecondsLeft(), -1);
    }

    void cancelStopsIt_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape") << true;
    }

    void cancelStopsIt()
    {
        QFETCH(bool, escape);
        TfrmShutdown dialog(1);
        dialog.StopClock();
        dialog.show();
        for (int tick = 0; tick < 30; ++tick)
            dialog.Tick();
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.findChild<QPushButton*>("ButtonCancel")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void texts()
    {
        TfrmShutdown dialog(1);
        const QLabel* warning = dialog.findChild<QLabel*>("LabelWarning");
        QCOMPARE(warning->text(), Msg(MSG_WARNING));
        QVERIFY(warning->font().bold());
        QCOMPARE(warning->font().pointSize(), 14);
    }

    // The title and the warning name the action that follows, never another
    // one, in every language.
    void namesTheChosenAction_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("action");
        for (const char* language : {"english.ini", "french.ini", "deutsch.ini", "italian.ini"})
            for (int action = 0; action < ShutdownActionCount; ++action) {
                // Not addRow("%s %d"): GCC at -O3 takes language for null there.
                const QByteArray tag = QByteArray(language) + ' ' + QByteArray::number(action);
                QTest::newRow(tag.constData()) << QString(language) << action;
            }
    }

    void namesTheChosenAction()
    {
        QFETCH(QString, language);
        QFETCH(int, action);
        ResetMessageTable();
        QVERIFY(LoadLanguage(CLIPFORGE_SOURCE_DIR "/data/skin/kelp/lang/" + language));
        TfrmShutdown dialog(action);
        const QString caption = ShutdownActionCaption(action);
        QCOMPARE(dialog.windowTitle(), caption);
        const QString detail = dialog.findChild<QLabel*>("LabelShutdownDescription")->text();
        QVERIFY2(detail.contains(caption) && detail.contains(Msg(MSG_APPLICATION_TITLE)) &&
                     !detail.contains("%s"),
                 qPrintable(detail));
        // ("Mettre en veille" lies inside "Mettre en veille prolongée".)
        for (int other = 1; other < ShutdownActionCount; ++other)
            if (other != action && !caption.contains(ShutdownActionCaption(other)))
                QVERIFY2(!detail.contains(ShutdownActionCaption(other)), qPrintable(detail));
        if (language == "english.ini")
            QVERIFY2(!detail.contains("Windows") && !detail.contains("shutdown"),
                     qPrintable(detail));
        ResetMessageTable();
    }

    void runCountdown_data()
    {
        QTest::addColumn<int>("ticks");  // -1: Cancel pressed
        QTest::addColumn<int>("result");
        QTest::newRow("runs out") << 31 << int(mrOk);
        QTest::newRow("stopped at 0") << 30 << int(mrCancel);
        QTest::newRow("cancelled") << -1 << int(mrCancel);
    }

    void runCountdown()
    {
        QFETCH(int, ticks);
        QFETCH(int, result);
        DialogSeam::Enable();
        DialogSeam::Queue([ticks](QDialog& dialog) {
            auto* countdown = qobject_cast<TfrmShutdown*>(&dialog);
            QVERIFY(countdown);
            countdown->StopClock();
            if (ticks < 0) {
                countdown->findChild<QPushButton*>("ButtonCancel")->click();
                return;
            }
            for (int tick = 0; tick < ticks; ++tick)
                countdown->Tick();
        });
        QWidget owner;
        QCOMPARE(RunShutdownCountdown(&owner, 5), result);
        QCOMPARE(DialogSeam::Log(), QStringList{Msg(MSG_SUSPEMD)});
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_Shutdown.moc"
