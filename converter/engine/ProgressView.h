#pragma once

#include "base/globals.h"

#include <QString>

// The progress window's texts that the engine writes.
enum class TProgressLabel {
    LabelCovnerting,
    LabelStatus,
    LabelStatusRemaining,
    LabelBatch,
    LabelBatchElapsed,
    LabelBatchEstimated,
    LabelBatchRemaining,
    LabelWorking,
    LabelOutput,
};

enum class TProgressBar { ProgressBarStatus, ProgressBarBatch };

enum class TMessageIcon { Information, Warning, Question, Error };

// Modal results as the dialogs report them.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// What the output parser writes to: the progress window, the tray hint, the
// file list's state images and the error box. The windows implement it with
// widgets, clipforge-cli with terminal output, tests with a recorder.
class TProgressView {
public:
    virtual ~TProgressView() = default;

    // False before a batch has opened its progress window and after it is
    // released.
    virtual bool ProgressOpen() const = 0;
    virtual void SetLabel(TProgressLabel label, const QString& text) = 0;
    virtual void SetBar(TProgressBar bar, int percent) = 0;
    virtual bool AnimationRunning() const = 0;
    // Starts the conversion animation and makes it visible.
    virtual void StartAnimation() = 0;
    virtual void SetTrayHint(const QString& text) = 0;
    // The state image of the first row whose caption is the given text.
    virtual void SetRowState(const QString& caption, RowState state) = 0;
    // An error line of the file being converted. One box per file: the
    // file's first error line opens it, later ones are added to it.
    virtual void ShowErrorLine(const QString& line, bool firstOfFile) = 0;
};

// Everything else a batch needs from the front that runs it.
class TBatchFront : public TProgressView {
public:
    // The file list: caption (the input's path) and size text of each row.
    virtual int RowCount() const = 0;
    virtual QString RowCaption(int row) const = 0;
    virtual QString RowFileSize(int row) const = 0;
    virtual void ResetRowStates() = 0;
    // The text of the output-folder box.
    virtual QString OutputFolderText() const = 0;

    virtual void ShowMessage(const QString& text, const QString& caption, TMessageIcon icon) = 0;
    // Yes, No and Cancel with the question icon; mrYes, mrNo or mrCancel.
    virtual int AskYesNoCancel(const QString& text, const QString& caption) = 0;
    // A message without caption or icon.
    virtual void ShowPlainMessage(const QString& text) = 0;

    // Creates the progress window centred over the main window, with its
    // initial texts, the given caption and stop-when-done text.
    virtual void OpenProgress(const QString& caption, const QString& stopWhenDoneText) = 0;
    // Runs the progress window modally until it closes; its modal result.
    virtual int RunProgress() = 0;
    virtual void SetProgressCaption(const QString& caption) = 0;
    // Sets the window's finished flag and closes it with the result.
    virtual void FinishProgress(int modalResult) = 0;
    virtual void ReleaseProgress() = 0;

    virtual void ShowTrayBalloon(const QString& title, const QString& text, TMessageIcon icon,
                                 int seconds) = 0;
    // The shutdown countdown; mrOk when it ran out, mrCancel when cancelled.
    virtual int RunShutdownCountdown() = 0;
};
