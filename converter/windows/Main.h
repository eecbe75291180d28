#pragma once

#include "base/globals.h"
#include "engine/ProgressView.h"
#include "profiles/ProfileCatalogue.h"
#include "windows/MainFront.h"
#include "windows/Progress.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QTimer;
class TBatchDriver;
class TFactsPanel;
class TFactsReader;
class TFileListView;
class TSkinButton;
class TSkinImage;
class TTrayIcon;

// The converter's main window: the queue, the facts of the selected file,
// the output folder, the format and profile choices and Convert. It owns the
// front the batch driver reports to, and is the profile operations' dialogs.
class TfrmMain : public QWidget, public TProfileUi {
    Q_OBJECT

public:
    // Runs the start-up steps that need the window. The program cannot go on
    // when StartupError() is not empty afterwards.
    explicit TfrmMain(TGlobalVars& vars, QWidget* parent = nullptr);
    ~TfrmMain() override;
    Q_DISABLE_COPY_MOVE(TfrmMain)

    QString StartupError() const { return m_startupError; }

    // Queues files: missing files, other types, folders and files already
    // queued are skipped; the facts are read in the background, and the
    // rows appear in the order given.
    void AddFiles(const QStringList& paths);
    bool Adding() const;
    void StopAdding();
    // Files another start handed over: the window comes to the front and
    // queues them, once the running batch ends if one runs.
    void OpenFiles(const QStringList& paths);

    // Output format switching, as the format actions do it.
    void SelectFormat(int format);
    // A choice in the format list (the device profiles of the MP4 menu).
    void SelectFormatListEntry(int index);
    void ApplyTexts();
    void ApplyEditionLayout();
    // Sends the program to the notification area (or minimises it where
    // there is none), and brings it back.
    void SendToTray();
    void RestoreFromTray();

    QAction* Action(const QString& name) const;
    TFileListView* List() const { return m_list; }
    TfrmProgress* Progress() const { return m_front ? m_front->Progress() : nullptr; }
    TMainFront& Front() const { return *m_front; }
    TTrayIcon* Tray() const { return m_tray; }
    TBatchDriver* Driver() const { return m_driver.get(); }
    const TProfileCatalogue& Catalogue() const { return m_catalogue; }

    // TProfileUi
    bool EditSettings(int format) override;
    std::optional<QString> AskProfileName(const QString& initial) override;
    bool Confirm(const QString& text, const QString& caption) override;
    void Inform(const QString& text, const QString& caption) override;

Q_SIGNALS:
    // The window was closed by the user, its settings saved.
    void Closed();
    // Every file of AddFiles is a row now, refused, or was stopped.
    void AddingFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    void createActions();
    void createMenus();
    void placeDesignLayout();
    void applySkin();
    // The design places, the skin, and this edition's moves unless every
    // format shows.
    void layOut();
    // On a screen too low for the skin, the facts panel gives up height and
    // scrolls, so the whole window stays reachable.
    void fitToScreen();
    void closeToolbarGaps();
    void restoreState();
    void buildLanguageMenu();
    void chooseLanguage(const QString& caption);
    void showToolbar(bool shown);
    // The window is dragged by its background; a double click near the top
    // minimises it.
    void backgroundPressed(QPoint globalPos);
    void backgroundDoubleClicked(QPoint globalPos);
    void openSettings();
    void openAbout();

    // The queue
    void addFilesFromDialog();
    void onFactsRead(const QString& path, const TFileItem& facts, bool readable);
    void showArrivedRows();
    void onAddingFinished();
    void deleteSelected();
    void moveSelected(int step);
    void clearList();
    void refreshSummary();
    void refreshFacts();
    void showMoreInformation();
    void playSource();
    void openDestinationFolder();
    void chooseOutputFolder();
    // Stores a folder a dialog went to; a refused write is reported.
    void rememberFolder(const QString& key, const QString& folder);
    void listContextMenu(const QPoint& pos);

    // Formats and profiles
    void refreshProfileLists();
    void refreshDeviceChoice();
    void refreshFormatActions();
    void profileCommand(void (TProfileCatalogue::*operation)(int, const TGlobalVars&, TProfileUi&));
    void popupAtCursor(QMenu* menu);

    // The batch
    void convert();
    bool refuseSoundOnly();
    void startTransferManager();
    void trayMenuAboutToShow();
    void trayExitChosen();

    TGlobalVars& m_vars;
    QString m_startupError;
    TProfileCatalogue m_catalogue;
    std::unique_ptr<TMainFront> m_front;  // outlives the driver, which reports to it
    std::unique_ptr<TBatchDriver> m_driver;
    TFactsReader* m_reader = nullptr;
    QSet<QString> m_pending;          // files being read, not yet rows
    QList<TFileItem> m_arrived;       // described, not yet shown as rows
    QTimer* m_showArrived = nullptr;  // shows them once the event loop turns
    QStringList m_damaged;            // files the reader could not describe
    int m_addTotal = 0;               // files of the running add
    QStringList m_heldFiles;          // handed over during a batch
    TTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QAction* m_trayExit = nullptr;

    // Controls, named as the skin and the tests know them.
    TSkinImage* ImageMain = nullptr;
    std::array<QLabel*, 6> m_topLabels{};  // Label1..Label6
    QLabel* Label27 = nullptr;
    TFileListView* m_list = nullptr;
    TFactsPanel* ScrollBox = nullptr;
    QLineEdit* editOutputFileName = nullptr;
    QComboBox* ComboBoxFormat = nullptr;
    QComboBox* ComboBoxProfile = nullptr;
    std::array<QComboBox*, OutputFormatCount> m_profileLists{};
    std::array<TSkinButton*, 11> MainButton{};
    std::array<TSkinButton*, 3> SystemButton{};
    std::array<TSkinButton*, 13> ToolbarButton{};
    std::array<TSkinImage*, 3> ToolbarImageLine{};
    QTimer* TimerShowControls = nullptr;

    std::array<QAction*, OutputFormatCount> m_formatActions{};
    QAction* m_toOthers = nullptr;
    QMenu* PopupMenuListViewHaveFile = nullptr;
    QMenu* PopupMenuListViewNoFile = nullptr;
    QMenu* PopupMenuHelp = nullptr;
    QMenu* PopupMenuOtherFormats = nullptr;
    QMenu* PopupMenuProfile = nullptr;
    QMenu* PopupMenuMP4 = nullptr;
    QMenu* PopupMenu3GP = nullptr;
    QMenu* LanguagesMI = nullptr;
    bool m_defaultSkin = true;     // the skin's look: kelp, or moss
    bool m_updatingLists = false;  // lists are being refilled, not chosen from
};
