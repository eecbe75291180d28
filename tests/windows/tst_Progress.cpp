#include "localisation/MessageTable.h"
#include "windows/DialogSeam.h"
#include "windows/MessageBoxes.h"
#include "windows/Progress.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

Q_DECLARE_METATYPE(TProgressLabel)
Q_DECLARE_METATYPE(TProgressBar)

namespace {

// How a test asks the window to close.
enum class Trigger { CancelButton, Escape, Request };

}  // namespace

Q_DECLARE_METATYPE(Trigger)

// The progress window alone, its stop question answered through the dialog
// seam; what it asks for is read from its signals.
class TestProgress : public QObject {
    Q_OBJECT

    TGlobalVars m_vars;
    std::unique_ptr<TfrmProgress> m_window;
    QStringList m_requests;  // the window's signals, in order

    template <class T>
    T* control(const QString& name) const
    {
        T* found = m_window->findChild<T*>(name);
        if (!found) qWarning("no control %s", qPrintable(name));
        return found;
    }

    bool stopLabelShown() const { return control<QLabel>("LabelStopWhenDone")->isVisible(); }

    void trigger(Trigger how)
    {
        switch (how) {
            case Trigger::CancelButton:
                control<QPushButton>("ButtonCancel")->click();
                return;
            case Trigger::Escape:
                QTest::keyClick(m_window.get(), Qt::Key_Escape);
                return;
            case Trigger::Request:
                m_window->RequestClose();
                return;
        }
    }

    static void addTriggers()
    {
        QTest::addColumn<Trigger>("how");
        QTest::newRow("Cancel button") << Trigger::CancelButton;
        QTest::newRow("Escape") << Trigger::Escape;
        QTest::newRow("stop request") << Trigger::Request;
    }

private Q_SLOTS:
    void initTestCase() { DialogSeam::Enable(); }

    void cleanupTestCase() { DialogSeam::Disable(); }

    void init()
    {
        DialogSeam::Disable();
        DialogSeam::Enable();
        m_vars = TGlobalVars();
        m_requests.clear();
        m_window = std::make_unique<TfrmProgress>(m_vars, nullptr);
        connect(m_window.get(), &TfrmProgress::StopNowRequested, this,
                [this] { m_requests << "stop now"; });
        connect(m_window.get(), &TfrmProgress::StopWhenDoneChanged, this,
                [this](bool stop) { m_requests << (stop ? "when done" : "go on"); });
        connect(m_window.get(), &TfrmProgress::SendToTrayRequested, this,
                [this] { m_requests << "tray"; });
        m_window->show();
    }

    void cleanup() { m_window.reset(); }

    void stopQuestion_data()
    {
        QTest::addColumn<Trigger>("how");
        // Buttons pressed on successive questions; 0 closes the question
        // without a button.
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<bool>("labelShown");

        QTest::newRow("stop now") << Trigger::CancelButton << QList<int>{dbYes}
                                  << QStringList{"stop now"} << false;
        QTest::newRow("when done")
            << Trigger::CancelButton << QList<int>{dbNo} << QStringList{"when done"} << true;
        QTest::newRow("cancel") << Trigger::CancelButton << QList<int>{dbCancel}
                                << QStringList{"go on"} << false;
        QTest::newRow("when done, then cancel withdraws it")
            << Trigger::CancelButton << QList<int>{dbNo, dbCancel}
            << QStringList{"when done", "go on"} << false;
        QTest::newRow("when done, then stop now") << Trigger::Request << QList<int>{dbNo, dbYes}
                                                  << QStringList{"when done", "stop now"} << true;
        QTest::newRow("question closed without an answer")
            << Trigger::CancelButton << QList<int>{0} << QStringList{"go on"} << false;
        QTest::newRow("Escape asks")
            << Trigger::Escape << QList<int>{dbNo} << QStringList{"when done"} << true;
        QTest::newRow("the tray's stop entry asks")
            << Trigger::Request << QList<int>{dbNo, dbCancel} << QStringList{"when done", "go on"}
            << false;
    }

    void stopQuestion()
    {
        QFETCH(Trigger, how);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, requests);
        QFETCH(bool, labelShown);

        for (int answer : std::as_const(answers)) {
            if (answer == 0)
                DialogSeam::Queue([](QDialog& dialog) { dialog.reject(); });
            else
                DialogSeam::QueuePress(StandardButtonOf(TDialogButton(answer)));
            trigger(how);
        }

        QCOMPARE(m_requests, requests);
        QCOMPARE(stopLabelShown(), labelShown);
        QStringList asked(answers.size(), Msg(MSG_QUESTION) + " | " + Msg(MSG_ABORTENCODING));
        QCOMPARE(DialogSeam::Log(), asked);
        // Stopping is the batch's business: the window stays until told.
        QVERIFY(m_window->isVisible());
    }

    void questionButtons()
    {
        QStringList captions;
        DialogSeam::Queue([&captions](QDialog& dialog) {
            auto& box = static_cast<QMessageBox&>(dialog);
            for (TDialogButton button : {dbYes, dbNo, dbCancel}) {
                QAbstractButton* shown = box.button(StandardButtonOf(button));
                captions << (shown ? shown->text() : "missing");
            }
            dialog.reject();
        });
        m_window->RequestClose();
        QCOMPARE(captions, (QStringList{Msg(MSG_BTN_NOW), Msg(MSG_BTN_DONE), Msg(MSG_CANCEL)}));
    }

    void finishedClosesWithoutAsking_data() { addTriggers(); }

    void finishedClosesWithoutAsking()
    {
        QFETCH(Trigger, how);
        m_window->SetFinished(true);
        trigger(how);
        QCOMPARE(DialogSeam::Log(), QStringList{});
        QCOMPARE(m_requests, QStringList{});
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Rejected));
    }

    void finishedWhileAsking_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("stop now") << int(dbYes);
        QTest::newRow("when done") << int(dbNo);
        QTest::newRow("cancel") << int(dbCancel);
    }

    void finishedWhileAsking()
    {
        QFETCH(int, answer);
        DialogSeam::Queue([this, answer](QDialog& dialog) {
            m_window->SetFinished(true);
            static_cast<QMessageBox&>(dialog)
                .button(StandardButtonOf(TDialogButton(answer)))
                ->click();
        });
        m_window->RequestClose();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Rejected));
    }

    void secondRequestWhileAsking()
    {
        DialogSeam::Queue([this](QDialog& dialog) {
            m_window->RequestClose();
            static_cast<QMessageBox&>(dialog).button(StandardButtonOf(dbNo))->click();
        });
        DialogSeam::QueuePress(StandardButtonOf(dbYes));
        m_window->RequestClose();
        QCOMPARE(DialogSeam::Log().size(), 1);
        QCOMPARE(m_requests, QStringList{"when done"});
    }

    void programCloseDoesNotAsk()
    {
        m_window->close();
        QCOMPARE(DialogSeam::Log(), QStringList{});
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Rejected));
    }

    void sendToTray()
    {
        control<QPushButton>("ButtonTray")->click();
        QCOMPARE(m_requests, QStringList{"tray"});
        QVERIFY(m_window->isVisible());
    }

    void checkBoxes_data()
    {
        QTest::addColumn<bool>("shutdown");
        QTest::addColumn<bool>("deleteSource");
        QTest::newRow("both off") << false << false;
        QTest::newRow("shutdown on") << true << false;
        QTest::newRow("delete on") << false << true;
    }

    void checkBoxes()
    {
        QFETCH(bool, shutdown);
        QFETCH(bool, deleteSource);
        m_vars.ShutdownWindowsWhenDone = shutdown;
        m_vars.DeleteFileAfterProcessing = deleteSource;
        TfrmProgress window(m_vars, nullptr);
        window.show();
        auto* shutdownBox = window.findChild<QCheckBox*>("CheckBoxShutdown");
        auto* deleteBox = window.findChild<QCheckBox*>("CheckBoxDelSource");
        QVERIFY(shutdownBox && deleteBox);
        QCOMPARE(shutdownBox->isChecked(), shutdown);
        QCOMPARE(deleteBox->isChecked(), deleteSource);
        QVERIFY(shutdownBox->isVisible());
        QVERIFY(!deleteBox->isVisible());

        shutdownBox->click();
        QCOMPARE(m_vars.ShutdownWindowsWhenDone, !shutdown);
        shutdownBox->click();
        QCOMPARE(m_vars.ShutdownWindowsWhenDone, shutdown);
        deleteBox->setChecked(!deleteSource);
        QCOMPARE(m_vars.DeleteFileAfterProcessing, !deleteSource);
    }

    void labels_data()
    {
        QTest::addColumn<TProgressLabel>("label");
        QTest::addColumn<QString>("name");
        QTest::newRow("converting") << TProgressLabel::LabelCovnerting << "LabelCovnerting";
        QTest::newRow("status") << TProgressLabel::LabelStatus << "LabelStatus";
        QTest::newRow("file remaining")
            << TProgressLabel::LabelStatusRemaining << "LabelStatusRemaining";
        QTest::newRow("batch") << TProgressLabel::LabelBatch << "LabelBatch";
        QTest::newRow("elapsed") << TProgressLabel::LabelBatchElapsed << "LabelBatchElapsed";
        QTest::newRow("estimated") << TProgressLabel::LabelBatchEstimated << "LabelBatchEstimated";
        QTest::newRow("batch remaining")
            << TProgressLabel::LabelBatchRemaining << "LabelBatchRemaining";
        QTest::newRow("working") << TProgressLabel::LabelWorking << "LabelWorking";
        QTest::newRow("output") << TProgressLabel::LabelOutput << "LabelOutput";
    }

    void labels()
    {
        QFETCH(TProgressLabel, label);
        QFETCH(QString, name);
        const QString text = "1:02:03 /tmp/a very long folder name/clip.mp4";
        m_window->SetLabel(label, text);
        const QList<QLabel*> all = m_window->findChildren<QLabel*>();
        QStringList holding;
        for (const QLabel* shown : all)
            if (shown->text() == text) holding << shown->objectName();
        QCOMPARE(holding, QStringList{name});
    }

    void bars_data()
    {
        QTest::addColumn<TProgressBar>("bar");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("shown");
        QTest::newRow("file") << TProgressBar::ProgressBarStatus << "ProgressBarStatus" << 42 << 42;
        QTest::newRow("batch") << TProgressBar::ProgressBarBatch << "ProgressBarBatch" << 7 << 7;
        QTest::newRow("over 100") << TProgressBar::ProgressBarBatch << "ProgressBarBatch" << 130
                                  << 100;
        QTest::newRow("below 0") << TProgressBar::ProgressBarStatus << "ProgressBarStatus" << -3
                                 << 0;
    }

    void bars()
    {
        QFETCH(TProgressBar, bar);
        QFETCH(QString, name);
        QFETCH(int, percent);
        QFETCH(int, shown);
        m_window->SetBar(TProgressBar::ProgressBarStatus, 1);
        m_window->SetBar(TProgressBar::ProgressBarBatch, 1);
        m_window->SetBar(bar, percent);
        for (const QString& other : {QString("ProgressBarStatus"), QString("ProgressBarBatch")})
            QCOMPARE(control<QProgressBar>(other)->value(), other == name ? shown : 1);
    }

    void resetProgress()
    {
        m_window->SetLabel(TProgressLabel::LabelStatus, "Status=40%");
        m_window->SetLabel(TProgressLabel::LabelBatchRemaining, "1:00:00");
        m_window->SetLabel(TProgressLabel::LabelOutput, "Output file: x.avi");
        m_window->SetLabel(TProgressLabel::LabelCovnerting, Msg(MSG_CONVERTING));
        m_window->SetBar(TProgressBar::ProgressBarBatch, 50);
        m_window->StartAnimation();
        DialogSeam::QueuePress(StandardButtonOf(dbNo));
        m_window->RequestClose();
        m_window->SetFinished(true);
        QVERIFY(stopLabelShown());
        QVERIFY(m_window->AnimationRunning());

        m_window->ResetProgress();

        const std::pair<const char*, QString> initial[] = {
            {"LabelCovnerting", Msg(MSG_PREPARING)},
            {"LabelStatus", Msg(MSG_ID_STATUS) + "0%"},
            {"LabelBatch", Msg(MSG_ID_BATCH) + "0%"},
            {"LabelStatusRemainingSingle", Msg(MSG_REMAINING_TIME)},
            {"LabelStatusRemaining", "0:00:00"},
            {"LabelBatchRemaining", "0:00:00"},
            {"LabelBatchElapsed", "0:00:00"},
            {"LabelBatchEstimated", "0:00:00"},
            {"LabelWorking", Msg(MSG_PLEASE_WAIT)},
            {"LabelOutput", ""},
        };
        for (const auto& [name, text] : initial)
            QCOMPARE(control<QLabel>(name)->text(), text);
        QCOMPARE(control<QProgressBar>("ProgressBarBatch")->value(), 0);
        QVERIFY(!stopLabelShown());
        QVERIFY(!m_window->AnimationRunning());
        QVERIFY(!m_window->findChild<QWidget*>("Animate_Convert")->isVisible());
        QVERIFY(!m_window->Finished());
    }

    void animation()
    {
        auto* picture = m_window->findChild<QWidget*>("Animate_Convert");
        QVERIFY(picture);
        QVERIFY(!picture->isVisible());
        QVERIFY(!m_window->AnimationRunning());
        m_window->StartAnimation();
        QVERIFY(picture->isVisible());
        QVERIFY(m_window->AnimationRunning());
    }

    void minimisingTakesTheProgramAlong()
    {
        QWidget main;
        main.show();
        m_window->showMinimized();
        QVERIFY(main.isMinimized());
    }
};

QTEST_MAIN(TestProgress)
#include "tst_Progress.moc"
