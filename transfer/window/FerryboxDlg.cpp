#include "FerryboxDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <memory>

#include "AboutDlg.h"
#include "CustomListBox.h"
#include "CustomPanel.h"
#include "DialogUnits.h"
#include "ListDragPayload.h"
#include "SafeRemoval.h"
#include "TransferJob.h"
#include "TransferProgressPanel.h"
#include "TransferTexts.h"
#include "base/IniFile.h"

using namespace Qt::StringLiterals;

namespace {

const QString WindowCaption = u"Transfer Manager"_s;

QPixmap picture(const QString& name)
{
    return QIcon(u":/ferrybox/"_s + name).pixmap(QSize(38, 19));
}

// A short message would make the box too narrow for its title, which the
// frame then cuts to an ellipsis: the box is kept wide enough for it.
void keepTitleWhole(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    // The frame's buttons sit beside the title.
    const int width = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"))
                          .horizontalAdvance(box.windowTitle()) +
                      120;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// Real message boxes, captioned with the program's title.
class MessageBoxPrompts : public StorePrompts {
public:
    explicit MessageBoxPrompts(QWidget* owner) : m_owner(owner) {}

    void showMessage(const QString& text, Icon icon) override
    {
        QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                        WindowCaption, text, QMessageBox::Ok, m_owner);
        keepTitleWhole(box);
        box.exec();
    }

    bool askYesNo(const QString& text, const QString& caption) override
    {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No,
                        m_owner);
        // A hasty Enter must not delete anything.
        box.setDefaultButton(QMessageBox::No);
        keepTitleWhole(box);
        return box.exec() == QMessageBox::Yes;
    }

private:
    QWidget* m_owner;
};

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text,
                        const QRect& rect)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(rect);
    return button;
}

// The folder above, by the path's text as the Up button goes; empty at the root.
QString parentFolder(const QString& folder)
{
    const qsizetype slash = folder.lastIndexOf(u'/');
    if (slash < 0 || folder == u"/"_s) return QString();
    // The separator that starts an absolute path is the root itself.
    return slash == 0 ? u"/"_s : folder.left(slash);
}

// The rows that open folders: ".." (but at the root), then the subfolders by name.
QList<VideoEntry> folderRows(const QString& folder)
{
    QList<VideoEntry> rows;
    const QFileInfo here(folder);
    if (!here.isDir()) return rows;
    const QString up = parentFolder(folder);
    if (!up.isEmpty()) {
        VideoEntry row;
        row.mp4Name = u".."_s;
        row.mp4Path = up;
        rows.append(row);
    }
    const QFileInfoList subfolders = QDir(folder).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& info : subfolders) {
        VideoEntry row;
        row.mp4Name = info.fileName();
        row.mp4Path = info.absoluteFilePath();
        rows.append(row);
    }
    return rows;
}

}  // namespace

CFerryboxDlg::CFerryboxDlg(DeviceDetector& detector, const QString& startFolder,
                           StorePrompts* prompts, QWidget* parent)
    : QDialog(parent), m_detector(detector)
{
    if (!prompts) m_ownPrompts = std::make_unique<MessageBoxPrompts>(this);
    m_prompts = prompts ? prompts : m_ownPrompts.get();

    setWindowTitle(WindowCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(u":/ferrybox/ferrybox.svg"_s));
    QFont dialogFont = font();
    dialogFont.setPixelSize(DialogFontPixels);
    setFont(dialogFont);
    setFixedSize(unitsX(320), unitsY(200));

    m_labelFolder = makeLabel(this, u"LabelFolder"_s, u"PSP Folder"_s, unitsRect(7, 9, 130, 8));
    m_buttonBrowse = makeButton(this, u"ButtonBrowse"_s, u"..."_s, unitsRect(139, 7, 17, 14));
    m_pictureConnected =
        makeLabel(this, u"PictureConnected"_s, QString(), QRect(unitsX(163), unitsY(8), 38, 19));
    m_pictureConnected->setPixmap(picture(u"connected.svg"_s));
    m_pictureDisconnected =
        makeLabel(this, u"PictureDisconnected"_s, QString(), QRect(unitsX(163), unitsY(8), 38, 19));
    m_pictureDisconnected->setPixmap(picture(u"disconnected.svg"_s));
    m_labelConnection =
        makeLabel(this, u"LabelConnection"_s, u"PSP Status Transfer"_s, unitsRect(194, 10, 119, 8));
    m_labelDestination =
        makeLabel(this, u"LabelDestination"_s, u"Destination"_s, unitsRect(127, 89, 117, 8));
    m_labelStatus = makeLabel(this, u"LabelStatus"_s, u"PSP Status"_s, unitsRect(245, 102, 68, 8));
    m_labelStatus->hide();
    m_buttonEject = makeButton(this, u"ButtonEject"_s, u"Eject"_s, unitsRect(271, 180, 42, 13));
    m_buttonEject->setToolTip(u"Unmount the PSP's memory stick so that it can be unplugged"_s);
    connect(m_buttonEject, &QPushButton::clicked, this, &CFerryboxDlg::OnButtonEject);
    // The window system's menu cannot carry it here; a button shows it is there.
    m_buttonAbout = makeButton(this, u"ButtonAbout"_s, u"About"_s, unitsRect(226, 180, 42, 13));
    connect(m_buttonAbout, &QPushButton::clicked, this, &CFerryboxDlg::OnAbout);
    m_labelSpace = makeLabel(this, u"LabelSpace"_s, QString(), unitsRect(200, 169, 113, 8));
    m_labelSpace->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_buttonTransfer =
        makeButton(this, u"ButtonTransfer"_s, u"Transfer"_s, unitsRect(122, 166, 74, 13));
    m_buttonUp = makeButton(this, u"ButtonUp"_s, u"Up"_s, unitsRect(7, 180, 40, 13));
    m_buttonDelete =
        makeButton(this, u"ButtonDelete"_s, u"Delete selected"_s, unitsRect(121, 180, 74, 13));

    // Panels and lists are laid out in pixels over the client area.
    const int half = (width() - 30) / 2;
    m_leftPanel = new CCustomPanel(u"Left panel"_s, this);
    m_leftPanel->setGeometry(QRect(QPoint(10, 40), QPoint(half + 10, 265)).adjusted(0, 0, -1, -1));
    m_rightPanel = new CCustomPanel(u"Right panel"_s, this);
    m_rightPanel->setGeometry(
        QRect(QPoint(half + 20, 40), QPoint(2 * half + 20, 265)).adjusted(0, 0, -1, -1));
    m_leftList = new CCustomListBox(false, m_leftPanel);
    m_leftList->setObjectName(u"LeftList"_s);
    m_leftList->setGeometry(m_leftPanel->rect().adjusted(5, 5, -5, -5));
    m_rightList = new CCustomListBox(true, m_rightPanel);
    m_rightList->setObjectName(u"RightList"_s);
    m_rightList->setGeometry(m_rightPanel->rect().adjusted(5, 5, -5, -5));
    QFont rowFont = font();
    rowFont.setPixelSize(12);
    m_leftList->setFont(rowFont);
    m_rightList->setFont(rowFont);

    // Over the buttons below the lists while a transfer runs: nothing there
    // may start another one meanwhile.
    m_progress = new TransferProgressPanel(this);
    m_progress->setGeometry(QRect(QPoint(10, 268), QPoint(width() - 11, height() - 3)));
    m_progress->hide();
    connect(m_progress, &TransferProgressPanel::cancelClicked, this, [this] {
        if (m_job) m_job->cancel();
    });

    connect(m_buttonBrowse, &QPushButton::clicked, this, &CFerryboxDlg::OnButtonBrowse);
    connect(m_buttonTransfer, &QPushButton::clicked, this, &CFerryboxDlg::OnButtonTransfer);
    connect(m_buttonUp, &QPushButton::clicked, this, &CFerryboxDlg::OnButtonUp);
    connect(m_buttonDelete, &QPushButton::clicked, this, &CFerryboxDlg::OnButtonDelete);
    connect(m_leftList, &CCustomListBox::videosDropped, this, &CFerryboxDlg::OnVideosDropped);
    connect(m_rightList, &CCustomListBox::videosDropped, this, &CFerryboxDlg::OnVideosDropped);
    connect(m_leftList, &CCustomListBox::folderOpened, this, &CFerryboxDlg::openFolder);

    m_sortBox = new QComboBox(this);
    m_sortBox->setObjectName(u"SortOrder"_s);
    m_sortBox->addItems({u"Sort by name"_s, u"Sort by date"_s});
    m_sortBox->setGeometry(unitsRect(50, 180, 68, 13));
    connect(m_sortBox, &QComboBox::activated, this,
            [this](int index) { setOrder(index == 1 ? VideoOrder::Date : VideoOrder::Name); });

    // The computer list follows its folder as videos are saved and removed.
    m_watcher = new QFileSystemWatcher(this);
    m_relist = new QTimer(this);
    m_relist->setSingleShot(true);
    m_relist->setInterval(150);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_relist,
            qOverload<>(&QTimer::start));
    connect(m_relist, &QTimer::timeout, this, &CFerryboxDlg::relistPcFolder);

    m_labelDestination->clear();
    m_labelFolder->clear();

    const DetectionResult detected = m_detector.DetectDevice();
    if (detected.succeeded) {
        m_deviceDrive = detected.drive;
        ShowDeviceState(m_deviceDrive);
    } else {
        m_prompts->showMessage(detected.message, StorePrompts::Icon::None);
        m_labelStatus->setText(u"PSP Status: Error while trying to detect PSP!"_s);
    }
    connect(&m_detector, &DeviceDetector::deviceChanged, this, &CFerryboxDlg::OnDeviceChange);

    setPcFolder(startFolder);
}

CFerryboxDlg::~CFerryboxDlg()
{
    // Cancels and waits before the lists it reports to go.
    delete m_job;
    if (m_eject) m_eject->wait();
}

void CFerryboxDlg::updateEject()
{
    m_buttonEject->setEnabled(m_deviceConnected && !m_job && !m_eject);
}

void CFerryboxDlg::OnButtonEject()
{
    if (!m_deviceConnected || m_job || m_eject) return;
    // The disk service may take a while, or wait for a password: off this thread.
    auto outcome = std::make_shared<EjectOutcome>();
    const QString drive = m_deviceDrive;
    m_eject = QThread::create([outcome, drive] { *outcome = EjectConsole(drive); });
    m_eject->setParent(this);
    connect(m_eject, &QThread::finished, this, [this, outcome] {
        m_eject->deleteLater();
        m_eject = nullptr;
        updateEject();
        const bool fine = outcome->result == EjectOutcome::Result::Done ||
                          outcome->result == EjectOutcome::Result::Unmounted;
        m_prompts->showMessage(outcome->message,
                               fine ? StorePrompts::Icon::None : StorePrompts::Icon::Exclamation);
        Q_EMIT ejectDone();
    });
    updateEject();
    m_eject->start();
}

void CFerryboxDlg::closeEvent(QCloseEvent* event)
{
    if (m_job) m_job->cancel();
    QDialog::closeEvent(event);
}

void CFerryboxDlg::setPcFolder(const QString& folder)
{
    if (!m_watcher->directories().isEmpty()) m_watcher->removePaths(m_watcher->directories());
    m_pcFolder = folder;
    showPcFolder();
    m_leftList->setFolders(folderRows(m_pcFolder));
    ListVideos(m_pcFolder, *m_leftList);
    m_leftList->sortEntries(m_order);
    if (QFileInfo(m_pcFolder).isDir()) m_watcher->addPath(m_pcFolder);
}

void CFerryboxDlg::openFolder(const QString& folder)
{
    // Gone since it was listed: the list is brought up to date instead.
    if (!QFileInfo(folder).isDir()) {
        relistPcFolder();
        return;
    }
    setPcFolder(folder);
}

void CFerryboxDlg::setSettingsPath(const QString& path)
{
    m_settingsPath = path;
    if (path.isEmpty()) return;
    const QString kept = IniFile(path).readString(u"Ferrybox"_s, u"SortOrder"_s, QString());
    m_order =
        kept.compare(u"Date"_s, Qt::CaseInsensitive) == 0 ? VideoOrder::Date : VideoOrder::Name;
    m_sortBox->setCurrentIndex(m_order == VideoOrder::Date ? 1 : 0);
    m_leftList->sortEntries(m_order);
    m_rightList->sortEntries(m_order);
}

void CFerryboxDlg::setOrder(VideoOrder order)
{
    m_order = order;
    m_sortBox->setCurrentIndex(order == VideoOrder::Date ? 1 : 0);
    m_leftList->sortEntries(order);
    m_rightList->sortEntries(order);
    if (m_settingsPath.isEmpty()) return;
    try {
        IniFile(m_settingsPath)
            .writeString(u"Ferrybox"_s, u"SortOrder"_s,
                         order == VideoOrder::Date ? u"Date"_s : u"Name"_s);
    } catch (const IniWriteError&) {
        // Only remembering failed; the lists are ordered all the same.
    }
}

void CFerryboxDlg::relistPcFolder()
{
    QStringList selected;
    for (const int row : m_leftList->selectedRows())
        selected.append(m_leftList->entry(row).mp4Path);
    m_leftList->setFolders(folderRows(m_pcFolder));
    ListVideos(m_pcFolder, *m_leftList);
    m_leftList->sortEntries(m_order);
    for (int row = 0; row < m_leftList->count(); ++row)
        if (selected.contains(m_leftList->entry(row).mp4Path))
            m_leftList->setRowSelected(row, true);
}

void CFerryboxDlg::showPcFolder()
{
    // A line break in a name would push the label onto a second line.
    QString shown = m_pcFolder;
    shown.replace(u'\n', QChar(0x21B5));
    m_labelFolder->setText(
        m_labelFolder->fontMetrics().elidedText(shown, Qt::ElideMiddle, m_labelFolder->width()));
    m_labelFolder->setToolTip(m_pcFolder);
}

void CFerryboxDlg::ShowDeviceState(const QString& drive)
{
    if (!drive.isEmpty()) {
        m_deviceConnected = true;
        m_labelStatus->setText(u"PSP connected as drive %1"_s.arg(drive));
        ListConsoleVideos(drive, *m_rightList);
        m_rightList->sortEntries(m_order);
        m_labelConnection->setText(u"PSP Connected"_s);
        m_pictureConnected->show();
        m_pictureDisconnected->hide();
    } else {
        m_deviceConnected = false;
        m_labelStatus->setText(u"PSP not connected"_s);
        m_labelConnection->setText(u"PSP not connected"_s);
        m_rightList->removeAllEntries();
        m_pictureConnected->hide();
        m_pictureDisconnected->show();
    }
    showSpace();
    updateEject();
}

void CFerryboxDlg::OnDeviceChange()
{
    const DetectionResult detected = m_detector.DetectDevice();
    if (!detected.succeeded) {
        m_prompts->showMessage(detected.message, StorePrompts::Icon::None);
        return;
    }
    m_deviceDrive = detected.drive;
    ShowDeviceState(m_deviceDrive);
}

void CFerryboxDlg::clearSelections()
{
    m_leftList->clearSelection();
    m_rightList->clearSelection();
}

void CFerryboxDlg::OnVideosDropped(CCustomListBox* list, const QString& text)
{
    // Videos are only ever copied onto the console.
    if (list == m_leftList) {
        clearSelections();
        return;
    }
    startTransfer(DroppedPaths(text));
}

void CFerryboxDlg::OnButtonTransfer()
{
    QStringList paths;
    const QList<int> rows = m_leftList->selectedRows();
    for (int row : rows)
        paths.append(m_leftList->entry(row).mp4Path);
    startTransfer(paths);
}

void CFerryboxDlg::startTransfer(const QStringList& paths)
{
    if (m_job) {
        m_prompts->showMessage(TransferText::TransferRunning, StorePrompts::Icon::Exclamation);
        return;
    }
    // "Transfer complete" is said only when it is true.
    if (!m_deviceConnected) {
        m_prompts->showMessage(TransferText::PspNotConnected, StorePrompts::Icon::Exclamation);
        return;
    }
    if (paths.isEmpty()) {
        m_prompts->showMessage(TransferText::SelectVideos, StorePrompts::Icon::None);
        return;
    }
    // Checked before the first byte: a copy of something already there, a file
    // the stick's FAT cannot hold, or a selection it has no room for.
    QStringList wanted;
    for (const QString& path : paths) {
        const QString there = FindVideoOnConsole(path, m_deviceDrive);
        if (!there.isEmpty() && !m_prompts->askYesNo(TransferText::AlreadyOnPsp.arg(path, there),
                                                     TransferText::AlreadyOnPspCaption))
            continue;
        wanted.append(path);
    }
    if (wanted.isEmpty()) return;
    const TransferPlan plan = PlanTransfer(wanted, ReadConsoleSpace(m_deviceDrive));
    if (!plan.noRoom.isEmpty()) {
        m_prompts->showMessage(plan.noRoom, StorePrompts::Icon::Exclamation);
        return;
    }
    m_copied = 0;
    m_offered = wanted.size();
    m_failures = plan.refusals;
    if (plan.paths.isEmpty()) {
        clearSelections();
        showSummary(false);
        return;
    }
    m_job = new TransferJob(plan.paths, m_deviceDrive, this);
    connect(m_job, &TransferJob::progressed, m_progress, &TransferProgressPanel::showProgress);
    connect(m_job, &TransferJob::videoFinished, this, &CFerryboxDlg::onVideoCopied);
    connect(m_job, &TransferJob::transferFinished, this, &CFerryboxDlg::onTransferFinished);
    m_progress->begin();
    m_progress->show();
    m_progress->raise();
    m_job->start();
    updateEject();
}

void CFerryboxDlg::onVideoCopied(int, const VideoCopyResult& result)
{
    if (result.copied) {
        ++m_copied;
        if (!result.note.isEmpty()) m_failures.append(result.note);
        // A console pulled out meanwhile has no list to show it in.
        if (m_deviceConnected) {
            AddVideoEntry(*m_rightList, result.consoleThumbnail, QString());
            m_rightList->sortEntries(m_order);
        }
    } else if (!result.cancelled) {
        m_failures.append(result.message);
    }
}

void CFerryboxDlg::onTransferFinished(bool cancelled)
{
    TransferJob* job = m_job;
    job->wait();
    job->deleteLater();
    m_job = nullptr;
    m_progress->hide();
    clearSelections();
    showSpace();
    updateEject();
    showSummary(cancelled);
}

void CFerryboxDlg::showSummary(bool cancelled)
{
    // One box for the whole transfer, however many videos failed.
    QString summary;
    if (cancelled)
        summary = TransferText::TransferCancelled.arg(m_copied).arg(m_offered);
    else if (m_copied == m_offered)
        summary = TransferText::TransferComplete;
    else
        summary = TransferText::TransferIncomplete.arg(m_copied).arg(m_offered);
    if (!m_failures.isEmpty()) summary += u"\n\n"_s + m_failures.join(u"\n\n"_s);
    m_prompts->showMessage(summary, m_copied == m_offered ? StorePrompts::Icon::None
                                                          : StorePrompts::Icon::Exclamation);
    Q_EMIT transferDone();
}

void CFerryboxDlg::showSpace()
{
    const ConsoleSpace space = m_deviceConnected ? ReadConsoleSpace(m_deviceDrive) : ConsoleSpace();
    if (!space.known) {
        m_labelSpace->clear();
        return;
    }
    m_labelSpace->setText(
        TransferText::SpaceFree.arg(ByteSizeText(space.freeBytes), ByteSizeText(space.totalBytes)));
}

void CFerryboxDlg::OnButtonDelete()
{
    DeleteVideos(*m_rightList, *m_leftList, m_deviceDrive, m_pcFolder, *m_prompts);
    m_leftList->sortEntries(m_order);
    m_rightList->sortEntries(m_order);
    showSpace();
}

void CFerryboxDlg::OnButtonBrowse()
{
    // Many desktops have no Desktop folder; the browser then starts at home
    // instead of offering a folder that does not exist.
    QString start = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!QFileInfo(start).isDir()) start = QDir::homePath();
    const QString folder = QFileDialog::getExistingDirectory(
        this, u"Choose the folder containing your PSP videos."_s, start, QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty()) setPcFolder(folder);
}

void CFerryboxDlg::OnButtonUp()
{
    const QString parent = parentFolder(m_pcFolder);
    if (parent.isEmpty()) return;
    const QFileInfo info(parent);
    if (!info.exists() || !info.isDir()) return;
    setPcFolder(parent);
}

void CFerryboxDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CFerryboxDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter that no button took ends the window, as Escape does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CFerryboxDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The window system's own menu cannot be extended here; the window's
    // context menu carries the About command instead.
    QMenu menu(this);
    menu.addAction(u"&About Transfer Manager..."_s, this, &CFerryboxDlg::OnAbout);
    menu.exec(event->globalPos());
}
