#pragma once

#include <QDialog>

#include <memory>

#include "DeviceDetection.h"
#include "VideoStore.h"

class QLabel;
class QPushButton;
class QComboBox;
class QFileSystemWatcher;
class QThread;
class QTimer;
class CCustomListBox;
class CCustomPanel;
class TransferJob;
class TransferProgressPanel;
struct VideoCopyResult;

// The transfer window: the videos of a computer folder on the left, those on
// the attached console on the right, and the console's connection state on top.
class CFerryboxDlg : public QDialog {
    Q_OBJECT

public:
    // detector must outlive the window. The computer side opens at
    // startFolder. prompts answers every message box; the window shows real
    // ones when it is null.
    CFerryboxDlg(DeviceDetector& detector, const QString& startFolder,
                 StorePrompts* prompts = nullptr, QWidget* parent = nullptr);
    ~CFerryboxDlg() override;

    const QString& pcFolder() const { return m_pcFolder; }
    const QString& deviceDrive() const { return m_deviceDrive; }
    bool deviceConnected() const { return m_deviceConnected; }
    CCustomListBox* leftList() const { return m_leftList; }
    CCustomListBox* rightList() const { return m_rightList; }

    // Shows folder on the left, as a choice in the folder browser does.
    void setPcFolder(const QString& folder);
    // Opens a folder row of the computer list.
    void openFolder(const QString& folder);

    // Where the chosen order of the lists is remembered (the converter's
    // info.ini); the order is read from it at once. Empty: not remembered.
    void setSettingsPath(const QString& path);
    VideoOrder order() const { return m_order; }
    void setOrder(VideoOrder order);

    // The running transfer, or null.
    TransferJob* transferJob() const { return m_job; }
    TransferProgressPanel* progressPanel() const { return m_progress; }

Q_SIGNALS:
    // A transfer ended and its summary was shown.
    void transferDone();
    // An ejection ended and its result was shown.
    void ejectDone();

public Q_SLOTS:
    void OnDeviceChange();
    void OnButtonTransfer();
    void OnButtonDelete();
    void OnButtonBrowse();
    void OnButtonUp();
    void OnAbout();
    void OnButtonEject();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ShowDeviceState(const QString& drive);
    void OnVideosDropped(CCustomListBox* list, const QString& text);
    // The one way videos reach the console, for the button and for drops.
    void startTransfer(const QStringList& paths);
    void onVideoCopied(int index, const VideoCopyResult& result);
    void onTransferFinished(bool cancelled);
    void showSummary(bool cancelled);
    void showSpace();
    void updateEject();
    void closeEvent(QCloseEvent* event) override;
    void clearSelections();
    void showPcFolder();
    // Reads the computer folder again, keeping the selected videos selected.
    void relistPcFolder();

    DeviceDetector& m_detector;
    std::unique_ptr<StorePrompts> m_ownPrompts;
    StorePrompts* m_prompts;

    QString m_pcFolder;
    QString m_deviceDrive;
    bool m_deviceConnected = false;

    QLabel* m_labelFolder = nullptr;          // 1003
    QPushButton* m_buttonBrowse = nullptr;    // 1011
    QLabel* m_pictureConnected = nullptr;     // 1009
    QLabel* m_pictureDisconnected = nullptr;  // 1010
    QLabel* m_labelConnection = nullptr;      // 1007
    QLabel* m_labelDestination = nullptr;     // 1002
    QLabel* m_labelStatus = nullptr;          // 1004
    QPushButton* m_buttonTransfer = nullptr;  // 1014
    QPushButton* m_buttonUp = nullptr;        // 1013
    QPushButton* m_buttonDelete = nullptr;    // 1012
    CCustomPanel* m_leftPanel = nullptr;
    CCustomPanel* m_rightPanel = nullptr;
    CCustomListBox* m_leftList = nullptr;   // 2000
    CCustomListBox* m_rightList = nullptr;  // 2001
    TransferProgressPanel* m_progress = nullptr;

    TransferJob* m_job = nullptr;
    QLabel* m_labelSpace = nullptr;
    QPushButton* m_buttonEject = nullptr;
    QPushButton* m_buttonAbout = nullptr;
    QComboBox* m_sortBox = nullptr;
    QString m_settingsPath;
    VideoOrder m_order = VideoOrder::Name;
    QFileSystemWatcher* m_watcher = nullptr;  // of the computer folder
    QTimer* m_relist = nullptr;               // one reading for a burst of changes
    QThread* m_eject = nullptr;               // the running ejection, or null
    int m_copied = 0;
    qsizetype m_offered = 0;  // videos of the running transfer, refused ones too
    QStringList m_failures;   // of the running transfer, for its summary
};
