// The main window's batch commands: Convert, and the tray it waits in.

#include "engine/BatchDriver.h"
#include "localisation/MessageTable.h"
#include "windows/FileListView.h"
#include "windows/Main.h"
#include "windows/MessageBoxes.h"
#include "windows/Progress.h"
#include "windows/TrayIcon.h"

#include <QAction>
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
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
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
    if (Progress()) Progress()->hide();
    hide();
    m_tray->Show();
    m_tray->ShowBalloon(MsgFormat(MSG_TRAY_INFO, Msg(MSG_APPLICATION_TITLE)), Msg(MSG_TRAY_MIN),
                        TMessageIcon::Information, 10);
}

void TfrmMain::RestoreFromTray()
{
    showNormal();
    activateWindow();
    if (Progress()) {
        Progress()->showNormal();
        Progress()->activateWindow();
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
    if (Progress())
        Progress()->RequestClose();
    else
        close();
}
