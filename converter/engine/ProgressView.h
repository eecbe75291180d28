#pragma once

#include "base/globals.h"

#include <QString>
#include <QStringList>

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

// What a batch needs from the front that runs it, in four narrow parts. The
// windows implement them with widgets, clipforge-cli with terminal output,
// tests with a recorder. Unless a call says it blocks, it must return at
// once without running an event loop: most are made while the encoder's
// output is being read, and a nested loop there would hold that output back.

// The queue. Rows are addressed by position, never by caption: the same file
// may be queued twice.
class TFileList {
public:
    virtual ~TFileList() = default;
    virtual int RowCount() const = 0;
    // The input's path.
    virtual QString RowCaption(int row) const = 0;
    virtual QString RowFileSize(int row) const = 0;
    virtual void ResetRowStates() = 0;
    // With rsConverted, outputs names the files really written, the main
    // output first; it is empty for every other state.
    virtual void SetRowState(int row, RowState state, const QStringList& outputs) = 0;
    // The text of the output-folder box.
    virtual QString OutputFolderText() const = 0;
};

class TMessages {
public:
    virtual ~TMessages() = default;
    // Blocks until answered. Only asked before a batch starts or after it ended.
    virtual void ShowMessage(const QString& text, const QString& caption, TMessageIcon icon) = 0;
    // Blocks; Yes, No and Cancel with the question icon: mrYes, mrNo or mrCancel.
    virtual int AskYesNoCancel(const QString& text, const QString& caption) = 0;
    // An error line of the file being converted. One box per file: the
    // file's first error line opens it, later ones are added to it. Never
    // blocks: the box is shown without a modal loop of its own.
    virtual void ShowErrorLine(const QString& line, bool firstOfFile) = 0;
};

// The progress window. The batch driver runs its modal loop; the window only
// shows what it is told and forwards "Stop now" and "When done" to the driver.
class TProgressWindow {
public:
    virtual ~TProgressWindow() = default;
    // False before a batch has opened the window and after it is closed.
    virtual bool ProgressOpen() const = 0;
    // Shows the window over the main window, modal for the user, with its
    // initial texts, the given caption and stop-when-done text.
    virtual void OpenProgress(const QString& caption, const QString& stopWhenDoneText) = 0;
    virtual void SetLabel(TProgressLabel label, const QString& text) = 0;
    virtual void SetBar(TProgressBar bar, int percent) = 0;
    virtual bool AnimationRunning() const = 0;
    // Starts the conversion animation and makes it visible.
    virtual void StartAnimation() = 0;
    virtual void SetProgressCaption(const QString& caption) = 0;
    virtual void CloseProgress() = 0;
};

class TTray {
public:
    virtual ~TTray() = default;
    virtual void SetTrayHint(const QString& text) = 0;
    virtual void ShowTrayBalloon(const QString& title, const QString& text, TMessageIcon icon,
                                 int seconds) = 0;
    // Blocks: the shutdown countdown; mrOk when it ran out, mrCancel when cancelled.
    virtual int RunShutdownCountdown() = 0;
};

// The four parts of one front; a front may well implement all of them.
struct TBatchFront {
    TFileList& Files;
    TMessages& Messages;
    TProgressWindow& Progress;
    TTray& Tray;
};
