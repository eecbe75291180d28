#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;
class QWidget;

// The last chance to stop the end-of-batch action: names the chosen action,
// counts down from 30 and closes with Accepted one second after showing 0,
// unless the user cancels (Rejected).
class TfrmShutdown : public QDialog {
    Q_OBJECT

public:
    // action is the ShutdownFlag of the settings, 0 to 5.
    explicit TfrmShutdown(int action, QWidget* parent = nullptr);

    int SecondsLeft() const { return m_counter; }
    // How long one step of the countdown lasts; tests make it short or stop
    // the clock and step it themselves.
    void SetTickInterval(int milliseconds);
    void StopClock();

public Q_SLOTS:
    // One second of the countdown.
    void Tick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showCounter();

    int m_counter = 30;
    QTimer* TimerShutdown = nullptr;
    QLabel* LabelWarning = nullptr;
    QLabel* LabelShutdownDescription = nullptr;
    QLabel* LabelTimeOut = nullptr;
    QPushButton* ButtonCancel = nullptr;
};

// Shows the countdown modally over owner: mrOk when it ran out, mrCancel when
// the user stopped it.
int RunShutdownCountdown(QWidget* owner, int action);
