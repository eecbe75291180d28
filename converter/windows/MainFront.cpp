// The main window as the front of a batch: rows, messages, the progress
// window and the tray.

#include "windows/MainFront.h"

#include "engine/BatchDriver.h"
#include "localisation/MessageTable.h"
#include "windows/FileListView.h"
#include "windows/Main.h"
#include "windows/MessageBoxes.h"
#include "windows/Progress.h"
#include "windows/Shutdown.h"
#include "windows/TrayIcon.h"

#include <QLineEdit>
#include <QMessageBox>

using namespace Qt::StringLiterals;

TMainFront::TMainFront(TGlobalVars& vars, TMainFrontWidgets widgets)
    : m_vars(vars), m_widgets(std::move(widgets))
{
}

TMainFront::~TMainFront() = default;

int TMainFront::RowCount() const { return m_widgets.List.topLevelItemCount(); }

QString TMainFront::RowCaption(int row) const { return m_widgets.List.Caption(row); }

QString TMainFront::RowFileSize(int row) const
{
    return TFileListView::Facts(m_widgets.List.topLevelItem(row)).FileSize;
}

void TMainFront::ResetRowStates()
{
    for (int row = 0; row < RowCount(); ++row)
        m_widgets.List.SetState(row, rsQueued);
    m_widgets.RowsChanged();
}

void TMainFront::SetRowState(int row, RowState state, const QStringList& outputs)
{
    m_widgets.List.SetState(row, state, outputs);
    if (state == rsConverting) m_widgets.List.scrollToItem(m_widgets.List.topLevelItem(row));
    m_widgets.RowsChanged();
}

QString TMainFront::OutputFolderText() const { return m_widgets.OutputFolder.text(); }

void TMainFront::ShowMessage(const QString& text, const QString& caption, TMessageIcon icon)
{
    static constexpr int Flags[] = {mbIconInformation, mbIconWarning, mbIconQuestion, mbIconError};
    ShowMessageBox(text, caption, Flags[int(icon)]);
}

int TMainFront::AskYesNoCancel(const QString& text, const QString& caption)
{
    return ShowMessageBox(text, caption, mbYesNoCancel | mbIconQuestion);
}

void TMainFront::ShowErrorLine(const QString& line, bool firstOfFile)
{
    // One box per file, shown beside the progress window without a loop of
    // its own, so the encoder's output keeps flowing.
    if (firstOfFile || !m_errorBox) {
        if (m_errorBox) m_errorBox->close();
        m_errorBox = new QMessageBox(
            QMessageBox::Warning, Msg(MSG_Error), line, QMessageBox::Ok,
            m_progress ? static_cast<QWidget*>(m_progress.data()) : &m_widgets.Window);
        m_errorBox->setObjectName(u"ErrorLines"_s);
        m_errorBox->setAttribute(Qt::WA_DeleteOnClose);
        m_errorBox->setWindowModality(Qt::NonModal);
        m_errorBox->show();
        return;
    }
    m_errorBox->setText(m_errorBox->text() + u'\n' + line);
}

bool TMainFront::ProgressOpen() const { return m_progress != nullptr; }

void TMainFront::OpenProgress(const QString& caption, const QString& stopWhenDoneText)
{
    m_progress = new TfrmProgress(m_vars, &m_widgets.Window);
    m_progress->setAttribute(Qt::WA_DeleteOnClose, false);
    m_progress->ResetProgress();
    m_progress->setWindowTitle(caption);
    m_progress->SetStopWhenDoneText(stopWhenDoneText);
    QObject::connect(m_progress, &TfrmProgress::StopNowRequested, &m_widgets.Window,
                     [this] { m_widgets.Window.Driver()->StopNow(); });
    QObject::connect(m_progress, &TfrmProgress::StopWhenDoneChanged, &m_widgets.Window,
                     [this](bool stop) { m_widgets.Window.Driver()->SetStopWhenDone(stop); });
    QObject::connect(m_progress, &TfrmProgress::SendToTrayRequested, &m_widgets.Window,
                     &TfrmMain::SendToTray);
    m_progress->setWindowModality(Qt::ApplicationModal);
    if (m_widgets.Window.isVisible()) m_progress->show();
}

void TMainFront::SetLabel(TProgressLabel label, const QString& text)
{
    if (m_progress) m_progress->SetLabel(label, text);
}

void TMainFront::SetBar(TProgressBar bar, int percent)
{
    if (m_progress) m_progress->SetBar(bar, percent);
}

bool TMainFront::AnimationRunning() const { return m_progress && m_progress->AnimationRunning(); }

void TMainFront::StartAnimation()
{
    if (m_progress) m_progress->StartAnimation();
}

void TMainFront::SetProgressCaption(const QString& caption)
{
    if (m_progress) m_progress->setWindowTitle(caption);
}

void TMainFront::CloseProgress()
{
    if (!m_progress) return;
    m_progress->SetFinished(true);
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
}

void TMainFront::SetTrayHint(const QString& text) { m_widgets.Tray.SetHint(text); }

void TMainFront::ShowTrayBalloon(const QString& title, const QString& text, TMessageIcon icon,
                                 int seconds)
{
    m_widgets.Tray.ShowBalloon(title, text, icon, seconds);
}

int TMainFront::RunShutdownCountdown()
{
    return ::RunShutdownCountdown(&m_widgets.Window, m_vars.ShutdownFlag);
}
