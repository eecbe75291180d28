// The main window as the front of a batch: rows, messages, the progress
// window and the tray.

#include "engine/BatchDriver.h"
#include "localisation/MessageTable.h"
#include "windows/FileListView.h"
#include "windows/Main.h"
#include "windows/MessageBoxes.h"
#include "windows/Progress.h"
#include "windows/Shutdown.h"
#include "windows/SkinLook.h"
#include "windows/TrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>

using namespace Qt::StringLiterals;

void TfrmMain::convert()
{
    // While files are being read, the Convert button stops that instead.
    if (Adding()) {
        StopAdding();
        return;
    }
    if (!refuseSoundOnly()) m_driver->StartBatch();
    refreshSummary();
    if (!m_heldFiles.isEmpty()) AddFiles(std::exchange(m_heldFiles, {}));
}

// A file with sound and no picture cannot become a video: said before the
// batch starts, for the first such file, and nothing starts.
bool TfrmMain::refuseSoundOnly()
{
    if (m_vars.OutputFormat >= ofAAC) return false;
    for (int row = 0; row < RowCount(); ++row) {
        const TFileItem facts = TFileListView::Facts(m_list->topLevelItem(row));
        const bool sound = facts.AudioCount.toInt() > 0;
        if (sound && facts.VideoCount.toInt() == 0) {
            ShowMessageBox(MsgFormat(MSG_NO_PICTURE, facts.FilePath + facts.FileName),
                           Msg(MSG_HINT), mbIconWarning);
            return true;
        }
    }
    return false;
}

int TfrmMain::RowCount() const { return m_list->topLevelItemCount(); }

QString TfrmMain::RowCaption(int row) const { return m_list->Caption(row); }

QString TfrmMain::RowFileSize(int row) const
{
    return TFileListView::Facts(m_list->topLevelItem(row)).FileSize;
}

void TfrmMain::ResetRowStates()
{
    for (int row = 0; row < RowCount(); ++row)
        m_list->SetState(row, rsQueued);
    refreshSummary();
}

void TfrmMain::SetRowState(int row, RowState state, const QStringList& outputs)
{
    m_list->SetState(row, state, outputs);
    if (state == rsConverting) m_list->scrollToItem(m_list->topLevelItem(row));
    refreshSummary();
}

QString TfrmMain::OutputFolderText() const { return editOutputFileName->text(); }

void TfrmMain::ShowMessage(const QString& text, const QString& caption, TMessageIcon icon)
{
    static constexpr int Flags[] = {mbIconInformation, mbIconWarning, mbIconQuestion, mbIconError};
    ShowMessageBox(text, caption, Flags[int(icon)]);
}

int TfrmMain::AskYesNoCancel(const QString& text, const QString& caption)
{
    return ShowMessageBox(text, caption, mbYesNoCancel | mbIconQuestion);
}

void TfrmMain::ShowErrorLine(const QString& line, bool firstOfFile)
{
    // One box per file, shown beside the progress window without a loop of
    // its own, so the encoder's output keeps flowing.
    if (firstOfFile || !m_errorBox) {
        if (m_errorBox) m_errorBox->close();
        m_errorBox = new QMessageBox(QMessageBox::Warning, Msg(MSG_Error), line, QMessageBox::Ok,
                                     m_progress ? static_cast<QWidget*>(m_progress.data()) : this);
        m_errorBox->setObjectName(u"ErrorLines"_s);
        m_errorBox->setAttribute(Qt::WA_DeleteOnClose);
        m_errorBox->setWindowModality(Qt::NonModal);
        m_errorBox->show();
        return;
    }
    m_errorBox->setText(m_errorBox->text() + u'\n' + line);
}

bool TfrmMain::ProgressOpen() const { return m_progress != nullptr; }

void TfrmMain::OpenProgress(const QString& caption, const QString& stopWhenDoneText)
{
    m_progress = new TfrmProgress(m_vars, this);
    m_progress->setAttribute(Qt::WA_DeleteOnClose, false);
    m_progress->ResetProgress();
    m_progress->setWindowTitle(caption);
    m_progress->SetStopWhenDoneText(stopWhenDoneText);
    connect(m_progress, &TfrmProgress::StopNowRequested, this, [this] { m_driver->StopNow(); });
    connect(m_progress, &TfrmProgress::StopWhenDoneChanged, this,
            [this](bool stop) { m_driver->SetStopWhenDone(stop); });
    connect(m_progress, &TfrmProgress::SendToTrayRequested, this, &TfrmMain::SendToTray);
    m_progress->setWindowModality(Qt::ApplicationModal);
    if (isVisible()) m_progress->show();
}

void TfrmMain::SetLabel(TProgressLabel label, const QString& text)
{
    if (m_progress) m_progress->SetLabel(label, text);
}

void TfrmMain::SetBar(TProgressBar bar, int percent)
{
    if (m_progress) m_progress->SetBar(bar, percent);
}

bool TfrmMain::AnimationRunning() const { return m_progress && m_progress->AnimationRunning(); }

void TfrmMain::StartAnimation()
{
    if (m_progress) m_progress->StartAnimation();
}

void TfrmMain::SetProgressCaption(const QString& caption)
{
    if (m_progress) m_progress->setWindowTitle(caption);
}

void TfrmMain::CloseProgress()
{
    if (!m_progress) return;
    m_progress->SetFinished(true);
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
}

void TfrmMain::SetTrayHint(const QString& text) { m_tray->SetHint(text); }

void TfrmMain::ShowTrayBalloon(const QString& title, const QString& text, TMessageIcon icon,
                               int seconds)
{
    m_tray->ShowBalloon(title, text, icon, seconds);
}

int TfrmMain::RunShutdownCountdown() { return ::RunShutdownCountdown(this, m_vars.ShutdownFlag); }

void TfrmMain::SendToTray()
{
    if (!TTrayIcon::Available()) {
        // No notification area to wait in: minimise, and say why.
        auto* notice = new QMessageBox(QMessageBox::Information, Msg(MSG_APPLICATION_TITLE),
                                       Msg(MSG_NO_TRAY), QMessageBox::Ok);
        notice->setObjectName(u"NoTrayNotice"_s);
        notice->setAttribute(Qt::WA_DeleteOnClose);
        notice->show();
        showMinimized();
        return;
    }
    if (m_progress) m_progress->hide();
    hide();
    m_tray->Show();
    m_tray->ShowBalloon(MsgFormat(MSG_TRAY_INFO, Msg(MSG_APPLICATION_TITLE)), Msg(MSG_TRAY_MIN),
                        TMessageIcon::Information, 10);
}

void TfrmMain::RestoreFromTray()
{
    showNormal();
    activateWindow();
    if (m_progress) {
        m_progress->showNormal();
        m_progress->activateWindow();
    }
    m_tray->Hide();
}

void TfrmMain::trayMenuAboutToShow()
{
    m_trayExit->setText(
        Msg(m_driver && m_driver->Running() ? MSG_TRAY_MENU_STOPENCODING : MSG_TRAY_MENU_EXIT));
}

void TfrmMain::trayExitChosen()
{
    // During a batch the exit entry asks how to stop it; otherwise it closes.
    if (m_progress)
        m_progress->RequestClose();
    else
        close();
}
