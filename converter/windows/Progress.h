#pragma once

#include "base/globals.h"
#include "engine/ProgressView.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class TConvertAnimation;

// The window that accompanies a batch: the running file's and the batch's
// progress, the stop question, send to tray and the shutdown choice. It only
// shows what it is told; stopping is left to whoever listens to its signals.
class TfrmProgress : public QDialog {
    Q_OBJECT

public:
    TfrmProgress(TGlobalVars& vars, QWidget* parent);

    // Every text, bar and flag back to how a batch starts; the caption stays.
    void ResetProgress();
    void SetLabel(TProgressLabel label, const QString& text);
    void SetBar(TProgressBar bar, int percent);
    bool AnimationRunning() const;
    void StartAnimation();
    void SetStopWhenDoneText(const QString& text);

    // Set when the batch has ended: closing then needs no question.
    void SetFinished(bool finished);
    bool Finished() const { return m_finished; }

    // The user wants the window gone (Cancel, Escape, the close box, the
    // tray's stop entry): closes once the batch has ended, otherwise asks
    // whether to stop now or after the current file.
    void RequestClose();

Q_SIGNALS:
    void StopNowRequested();
    void StopWhenDoneChanged(bool stop);
    void SendToTrayRequested();

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void closeWithCancel();
    void showStopWhenDone(bool shown);

    TGlobalVars& m_vars;
    bool m_finished = false;
    bool m_asking = false;  // the stop question is open
    // Where the strip was grabbed, while it is dragged by hand (a desktop
    // that cannot move the window itself).
    std::optional<QPoint> m_dragOffset;

    QFrame* m_strip = nullptr;
    QLabel* LabelCovnerting = nullptr;
    TConvertAnimation* Animate_Convert = nullptr;
    QLabel* LabelStatusRemainingSingle = nullptr;
    QLabel* LabelStatusRemaining = nullptr;
    QLabel* LabelStatus = nullptr;
    QProgressBar* ProgressBarStatus = nullptr;
    QProgressBar* ProgressBarBatch = nullptr;
    QLabel* LabelBatch = nullptr;
    QLabel* LabelRemaining = nullptr;
    QLabel* LabelBatchRemaining = nullptr;
    QLabel* LabelElapsed = nullptr;
    QLabel* LabelBatchElapsed = nullptr;
    QLabel* Labelestimated = nullptr;
    QLabel* LabelBatchEstimated = nullptr;
    QLabel* LabelWorking = nullptr;
    QLabel* LabelOutput = nullptr;
    QLabel* LabelStopWhenDone = nullptr;
    QCheckBox* CheckBoxDelSource = nullptr;
    QCheckBox* CheckBoxShutdown = nullptr;
    QPushButton* ButtonTray = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
