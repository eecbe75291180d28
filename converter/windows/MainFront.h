#pragma once

#include "base/globals.h"
#include "engine/ProgressView.h"
#include "windows/Progress.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QLineEdit;
class QMessageBox;
class TFileListView;
class TfrmMain;
class TTrayIcon;

// The main window's widgets a batch drives.
struct TMainFrontWidgets {
    TfrmMain& Window;
    TFileListView& List;
    QLineEdit& OutputFolder;
    TTrayIcon& Tray;
    // A row's state changed: the window's summary follows.
    std::function<void()> RowsChanged;
};

// The main window as the front the batch driver reports to: rows, messages,
// the progress window and the tray. The window owns it.
class TMainFront : public TFileList, public TMessages, public TProgressWindow, public TTray {
public:
    TMainFront(TGlobalVars& vars, TMainFrontWidgets widgets);
    ~TMainFront() override;
    Q_DISABLE_COPY_MOVE(TMainFront)

    TBatchFront Parts() { return {*this, *this, *this, *this}; }
    // The open progress window; null between batches.
    TfrmProgress* Progress() const { return m_progress; }

    // TFileList
    int RowCount() const override;
    QString RowCaption(int row) const override;
    QString RowFileSize(int row) const override;
    void ResetRowStates() override;
    void SetRowState(int row, RowState state, const QStringList& outputs) override;
    QString OutputFolderText() const override;
    // TMessages
    void ShowMessage(const QString& text, const QString& caption, TMessageIcon icon) override;
    int AskYesNoCancel(const QString& text, const QString& caption) override;
    void ShowErrorLine(const QString& line, bool firstOfFile) override;
    // TProgressWindow
    bool ProgressOpen() const override;
    void OpenProgress(const QString& caption, const QString& stopWhenDoneText) override;
    void SetLabel(TProgressLabel label, const QString& text) override;
    void SetBar(TProgressBar bar, int percent) override;
    bool AnimationRunning() const override;
    void StartAnimation() override;
    void SetProgressCaption(const QString& caption) override;
    void CloseProgress() override;
    // TTray
    void SetTrayHint(const QString& text) override;
    void ShowTrayBalloon(const QString& title, const QString& text, TMessageIcon icon,
                         int seconds) override;
    int RunShutdownCountdown() override;

private:
    TGlobalVars& m_vars;
    TMainFrontWidgets m_widgets;
    QPointer<TfrmProgress> m_progress;
    QPointer<QMessageBox> m_errorBox;  // the running file's error lines
};
