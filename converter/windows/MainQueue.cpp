// The queue of the main window: adding, removing, moving and describing files.

#include "base/FileFunctions.h"
#include "base/InputTypes.h"
#include "base/ProgramFolder.h"
#include "engine/BatchDriver.h"
#include "engine/FactsReader.h"
#include "localisation/MessageTable.h"
#include "localisation/Settings.h"
#include "windows/DialogSeam.h"
#include "windows/FactsPanel.h"
#include "windows/FileInfo.h"
#include "windows/FileListView.h"
#include "windows/Main.h"
#include "windows/MessageBoxes.h"
#include "windows/SkinLook.h"
#include "windows/WindowFunctions.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Where a file or folder dialog opens: the remembered folder, or the home
// folder when that is gone (a dialog would take the lost name for a file).
QString DialogStartFolder(const QString& remembered)
{
    return QFileInfo(remembered).isDir() ? remembered : QDir::homePath();
}

}  // namespace

void TfrmMain::AddFiles(const QStringList& paths)
{
    QStringList toRead;
    QStringList refused;
    // Rows, files being read and files of this call: each file once.
    QSet<QString> queued;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        queued.insert(m_list->Caption(row));
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists() || info.isDir()) continue;
        if (!IsAcceptedInput(m_vars.InputFileTypes, ExtractFileExt(path))) continue;
        const QString caption = info.absoluteFilePath();
        if (queued.contains(caption) || m_pending.contains(caption)) continue;
        // A pipe or a device would hold a reader for ever.
        const QString refusal = InputRefusal(caption);
        if (!refusal.isEmpty()) {
            // Several may be refused at once: each box names its file.
            refused << caption + u": "_s + refusal + u'.';
            continue;
        }
        queued.insert(caption);
        toRead << caption;
    }
    for (const QString& refusal : std::as_const(refused))
        ShowMessageBox(refusal, Msg(MSG_Error), mbIconInformation);
    if (toRead.isEmpty()) return;
    for (const QString& path : std::as_const(toRead))
        m_pending.insert(path);
    m_addTotal += int(toRead.size());
    setCursor(Qt::BusyCursor);
    MainButton[8]->setText(Msg(MSG_STOP));
    m_reader->Add(toRead, Msg(MSG_EMPTY_STR));
    refreshSummary();
}

void TfrmMain::OpenFiles(const QStringList& paths)
{
    RestoreFromTray();
    raise();
    // A batch works through the rows it was started with.
    if (m_driver->Running()) {
        m_heldFiles << paths;
        return;
    }
    AddFiles(paths);
}

bool TfrmMain::Adding() const { return !m_pending.isEmpty(); }

void TfrmMain::StopAdding()
{
    // The reader then reports the end as when it ran out of files.
    if (Adding()) m_reader->Cancel();
}

void TfrmMain::onFactsRead(const QString& path, const TFileItem& facts, bool readable)
{
    if (!m_pending.remove(path)) return;
    if (readable)
        m_arrived << facts;
    else
        m_damaged << path;
    // Rows go in once per turn of the event loop, not one by one.
    if (!m_showArrived->isActive()) m_showArrived->start();
}

void TfrmMain::showArrivedRows()
{
    m_showArrived->stop();
    m_list->AppendRows(std::exchange(m_arrived, {}));
    refreshSummary();
}

void TfrmMain::onAddingFinished()
{
    showArrivedRows();
    m_pending.clear();
    m_addTotal = 0;
    unsetCursor();
    MainButton[8]->setText(Action(u"ActionConvert"_s)->text());
    m_list->SelectRow(m_list->topLevelItemCount() - 1);
    refreshSummary();
    // Shown once the rows are in, one box per file as it always was.
    const QStringList damaged = std::exchange(m_damaged, {});
    for (const QString& path : damaged)
        ShowMessageBox(MsgFormat(MSG_FORMAT_ERROR, path), Msg(MSG_Error), mbIconInformation);
    Q_EMIT AddingFinished();
}

void TfrmMain::addFilesFromDialog()
{
    const QString filter = QtFileFilter(BuildOpenFilter(m_vars.InputFileTypes, Msg(MSG_ALLFILES)));
    const QStringList chosen = ChooseOpenFiles(this, Msg(MSG_ADD_FILES),
                                               DialogStartFolder(m_vars.LastInputOpenDir), filter);
    if (!chosen.isEmpty()) {
        m_vars.LastInputOpenDir = QFileInfo(chosen.first()).absolutePath();
        AddFiles(chosen);
    }
    rememberFolder(u"LastInputOpenDir"_s, m_vars.LastInputOpenDir);
}

void TfrmMain::rememberFolder(const QString& key, const QString& folder)
{
    const QString settings = SettingsFilePath();
    if (!WriteSettingValue(settings, u"System"_s, key, folder))
        ShowErrorBox(MsgFormat(MSG_UNABLE_TO_WRITE, settings));
}

void TfrmMain::deleteSelected()
{
    const QList<int> rows = m_list->SelectedRows();
    if (rows.isEmpty()) return;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        delete m_list->takeTopLevelItem(*row);
    m_list->SelectRow(rows.first());
    refreshSummary();
    refreshFacts();
}

void TfrmMain::moveSelected(int step)
{
    const QList<int> rows = m_list->SelectedRows();
    if (rows.isEmpty()) return;
    const int from = rows.first();
    m_list->MoveRow(from, from + step);
}

void TfrmMain::clearList()
{
    m_list->clear();
    refreshSummary();
    refreshFacts();
}

void TfrmMain::refreshSummary()
{
    QString summary;
    const int rows = m_list->topLevelItemCount();
    if (Adding())
        summary = MsgFormat(MSG_ADDING_FILES, m_addTotal - int(m_pending.size()), m_addTotal);
    else if (rows == 0)
        summary = Msg(MSG_STATUS_NOFILES);
    else if (rows == 1)
        summary = Msg(MSG_STATUS_ONEFILE);
    else
        summary = MsgFormat(MSG_STATUS_FILES, rows);
    m_topLabels[5]->setText(summary);
    m_topLabels[5]->adjustSize();
    ScrollBox->setVisible(rows > 0);
}

void TfrmMain::refreshFacts()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        ScrollBox->ShowFacts(nullptr);
        return;
    }
    QTreeWidgetItem* row = m_list->currentItem() && m_list->currentItem()->isSelected()
                               ? m_list->currentItem()
                               : selected.first();
    const TFileItem facts = TFileListView::Facts(row);
    ScrollBox->ShowFacts(&facts);
}

void TfrmMain::showMoreInformation()
{
    const QList<int> rows = m_list->SelectedRows();
    if (rows.isEmpty()) return;
    const TFileItem facts = TFileListView::Facts(m_list->topLevelItem(rows.first()));
    const QString path = AddTrailingBackslash(facts.FilePath) + facts.FileName;
    if (!QFileInfo::exists(path)) return;
    ShowFileInformation(this, path);
}

void TfrmMain::playSource()
{
    const QList<int> rows = m_list->SelectedRows();
    if (!rows.isEmpty()) ShellOpen(m_list->Caption(rows.first()));
}

void TfrmMain::openDestinationFolder()
{
    if (m_driver->CheckOutputFolder()) ShellOpen(m_driver->OutputFolder());
}

void TfrmMain::chooseOutputFolder()
{
    QString folder = DialogStartFolder(m_vars.LastOutputOpenDir);
    if (BrowseForFolder(this, folder, Msg(MSG_SELECT_FOLDER))) {
        m_vars.LastOutputOpenDir = folder;
        editOutputFileName->setText(folder);
    }
    rememberFolder(u"LastOutputOpenDir"_s, m_vars.LastOutputOpenDir);
}

void TfrmMain::listContextMenu(const QPoint& pos)
{
    QMenu* menu =
        m_list->selectedItems().isEmpty() ? PopupMenuListViewNoFile : PopupMenuListViewHaveFile;
    menu->popup(m_list->viewport()->mapToGlobal(pos));
}
