#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <algorithm>

#include <unistd.h>

#include "AboutDlg.h"
#include "CustomListBox.h"
#include "DeviceDetection.h"
#include "EventLoopProbe.h"
#include "FerryboxDlg.h"
#include "FerryboxFixture.h"
#include "ListDragPayload.h"
#include "MediaTools.h"
#include "SlowWrites.h"
#include "StartFolder.h"
#include "TestFiles.h"
#include "TransferJob.h"
#include "TransferProgressPanel.h"
#include "TransferTexts.h"
#include "VideoRowDelegate.h"

namespace {

// Records the message boxes and answers questions with a fixed reply.
class RecordingPrompts : public StorePrompts {
public:
    QStringList messages;
    QStringList questions;
    bool reply = true;

    void showMessage(const QString& text, Icon) override { messages << text; }
    bool askYesNo(const QString& text, const QString&) override
    {
        questions << text;
        return reply;
    }
};

QStringList rowNames(const CCustomListBox* list)
{
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names << list->entry(row).mp4Name;
    names.sort();
    return names;
}

// Drops the payload on a list as the window system delivers a drop; true when
// the list took it.
bool dropOn(CCustomListBox* list, QMimeData* mime)
{
    const QPoint at(20, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &enter);
    if (!enter.isAccepted() || enter.dropAction() != Qt::CopyAction) return false;
    QDragMoveEvent move(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &drop);
    return drop.isAccepted();
}

// A summary with its failures, one a paragraph, in name order: videos are
// copied in the order the folder lists them.
QStringList failuresInAnyOrder(const QString& summary)
{
    QStringList paragraphs = summary.split("\n\n");
    std::sort(paragraphs.begin() + 1, paragraphs.end());
    return paragraphs;
}

// Waits for the transfer the window runs, if any, to end; false when it
// does not end in time.
bool waitForTransfer(CFerryboxDlg& dlg)
{
    if (!dlg.transferJob()) return true;
    QSignalSpy done(&dlg, &CFerryboxDlg::transferDone);
    return done.wait(60000);
}

QPoint rowCentre(const CCustomListBox* list, int row)
{
    return list->visualRect(list->entryIndex(row)).center();
}

}  // namespace

class TestFerryboxWindow : public QObject {
    Q_OBJECT
    // The user's own trash, kept out of the tester's home.
    QTemporaryDir m_dataHome;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path())); }
    void consoleComesAndGoes();
    void dropRules_data();
    void dropRules();
    void transferButton_data();
    void transferButton();
    void encodedVideosFindTheirFolders();
    void largeCopyKeepsWindowResponsive();
    void cancelInTheWindow();
    void sameVideoAskedAndSpaceShown();
    void ejectButton();
    void computerListFollowsItsFolder();
    void consoleTitlesShown();
    void sortedAndRemembered();
    void startFolder_data();
    void startFolder();
    void clicksAndDragPayload();
    void payloadRoundTrip_data();
    void payloadRoundTrip();
    void payloadRejectsBrokenBlocks_data();
    void payloadRejectsBrokenBlocks();
    void upButton_data();
    void upButton();
    void subfolders_data();
    void subfolders();
    void folderRowsAreNoVideos();
    void detectionFailureAtStart();
    void deleteSelected();
    void questionsDefaultToNo();
    void enterEndsWindow();
    void aboutBox();
    void rowDrawing_data();
    void rowDrawing();
};

void TestFerryboxWindow::consoleComesAndGoes()
{
    Fixture fx;
    fx.addConsoleVideo("M4V50001");
    fx.addPcVideo("holiday");
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.show();

    auto* connection = dlg.findChild<QLabel*>("LabelConnection");
    auto* green = dlg.findChild<QLabel*>("PictureConnected");
    auto* red = dlg.findChild<QLabel*>("PictureDisconnected");
    QVERIFY(connection && green && red);
    QCOMPARE(dlg.rightList()->count(), 0);
    QCOMPARE(connection->text(), QString("PSP not connected"));
    QVERIFY(!green->isVisible());
    QVERIFY(red->isVisible());

    // Mounting the console changes the mount table; the window follows alone.
    fx.setConsoleMounted(true);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.rightList()->count(), 1, 5000);
    QCOMPARE(dlg.deviceDrive(), fx.mountPoint());
    QVERIFY(dlg.deviceConnected());
    QCOMPARE(connection->text(), QString("PSP Connected"));
    QCOMPARE(dlg.findChild<QLabel*>("LabelStatus")->text(),
             "PSP connected as drive " + fx.mountPoint());
    QVERIFY(green->isVisible());
    QVERIFY(!red->isVisible());
    QCOMPARE(dlg.rightList()->entry(0).mp4Name, QString("M4V50001.MP4"));
    QCOMPARE(dlg.rightList()->entry(0).sizeText, QString("2 KB"));

    // Drag the computer's video onto the console list.
    QCOMPARE(dlg.leftList()->count(), 1);
    dlg.leftList()->setRowSelected(0, true);
    std::unique_ptr<QMimeData> mime(dlg.leftList()->selectionMimeData());
    QVERIFY(dropOn(dlg.rightList(), mime.get()));
    QVERIFY(waitForTransfer(dlg));
    QCOMPARE(fx.consoleFiles(),
             QStringList({"M4V50001.MP4", "M4V50001.THM", "M4V50002.MP4", "M4V50002.THM"}));
    QCOMPARE(readFile(fx.consoleFolder() + "/M4V50002.MP4"),
             readFile(fx.pcFolder() + "/holiday.MP4"));
    QCOMPARE(readFile(fx.consoleFolder() + "/M4V50002.THM"),
             readFile(fx.pcFolder() + "/holiday.THM"));
    QCOMPARE(rowNames(dlg.rightList()), QStringList({"M4V50001.MP4", "M4V50002.MP4"}));
    QVERIFY(dlg.leftList()->selectedRows().isEmpty());
    // The completion message follows a drag as it follows the button.
    QCOMPARE(prompts.messages, QStringList{"Transfer complete"});

    fx.setConsoleMounted(false);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.rightList()->count(), 0, 5000);
    QVERIFY(!dlg.deviceConnected());
    QCOMPARE(dlg.deviceDrive(), QString());
    QCOMPARE(connection->text(), QString("PSP not connected"));
    QVERIFY(!green->isVisible());
    QVERIFY(red->isVisible());
}

void TestFerryboxWindow::dropRules_data()
{
    QTest::addColumn<bool>("mounted");
    QTest::addColumn<bool>("fromConsole");
    QTest::addColumn<bool>("ontoConsole");
    QTest::addColumn<QStringList>("dragged");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("consoleAfter");
    QTest::addColumn<bool>("selectionsKept");
    QTest::addColumn<QString>("message");  // the one box shown, <pc> the computer folder

    const QStringList existing{"M4V50001.MP4", "M4V50001.THM"};
    QTest::newRow("console to computer copies nothing, clears selections")
        << true << true << false << QStringList{"M4V50001"} << true << existing << false
        << QString();
    QTest::newRow("within the console list is refused")
        << true << true << true << QStringList{"M4V50001"} << false << existing << true
        << QString();
    QTest::newRow("within the computer list is refused")
        << true << false << false << QStringList{"a"} << false << existing << true << QString();
    // A drop says what the Transfer button says.
    QTest::newRow("no console: nothing copied, warned, selections kept")
        << false << false << true << QStringList{"a", "b"} << true << existing << true
        << "The PSP is not connected. Connect it and try again.";
    QTest::newRow("two videos copied in order")
        << true << false << true << QStringList{"a", "b"} << true
        << (existing + QStringList{"M4V50002.MP4", "M4V50002.THM", "M4V50003.MP4", "M4V50003.THM"})
        << false << "Transfer complete";
    // A box tree without pictures: no thumbnail can be made for it.
    QTest::newRow("second without thumbnail copied without one, said in the summary")
        << true << false << true << QStringList{"a", "nothumb", "b"} << true
        << (existing + QStringList{"M4V50002.MP4", "M4V50002.THM", "M4V50003.MP4", "M4V50004.MP4",
                                   "M4V50004.THM"})
        << false
        << "Transfer complete\n\n<pc>/nothumb.MP4 has no thumbnail and was copied without one: "
           "ffmpeg could not read a picture from it.";
}

void TestFerryboxWindow::dropRules()
{
    QFETCH(bool, mounted);
    QFETCH(bool, fromConsole);
    QFETCH(bool, ontoConsole);
    QFETCH(QStringList, dragged);
    QFETCH(bool, accepted);
    QFETCH(QStringList, consoleAfter);
    QFETCH(bool, selectionsKept);
    QFETCH(QString, message);

    Fixture fx;
    fx.addConsoleVideo("M4V50001");
    fx.addPcVideo("a");
    fx.addPcVideo("b");
    fx.addPcVideo("nothumb", false);
    fx.setConsoleMounted(mounted);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);

    // The payload carries the dragged rows' paths, as a drag of them would.
    QStringList paths;
    CCustomListBox* source = fromConsole ? dlg.rightList() : dlg.leftList();
    for (const QString& name : dragged) {
        const int row = rowOf(source, name + ".MP4");
        if (row >= 0) source->setRowSelected(row, true);
        paths << (fromConsole ? fx.consoleFolder() : fx.pcFolder()) + "/" + name + ".MP4";
    }
    if (mounted) dlg.rightList()->setRowSelected(0, true);
    dlg.leftList()->setRowSelected(rowOf(dlg.leftList(), "b.MP4"), true);
    const QList<int> leftBefore = dlg.leftList()->selectedRows();
    const QList<int> rightBefore = dlg.rightList()->selectedRows();

    QMimeData mime;
    mime.setData(ListDragMimeType, EncodeListDragPayload(source->sourceId(), paths));
    CCustomListBox* target = ontoConsole ? dlg.rightList() : dlg.leftList();
    QCOMPARE(dropOn(target, &mime), accepted);
    QVERIFY(waitForTransfer(dlg));

    QCOMPARE(fx.consoleFiles(), consoleAfter);
    if (selectionsKept) {
        QCOMPARE(dlg.leftList()->selectedRows(), leftBefore);
        QCOMPARE(dlg.rightList()->selectedRows(), rightBefore);
    } else {
        QVERIFY(dlg.leftList()->selectedRows().isEmpty());
        QVERIFY(dlg.rightList()->selectedRows().isEmpty());
    }
    QCOMPARE(prompts.messages, message.isEmpty()
                                   ? QStringList()
                                   : QStringList{message.replace("<pc>", fx.pcFolder())});
}

void TestFerryboxWindow::transferButton_data()
{
    QTest::addColumn<bool>("mounted");
    QTest::addColumn<bool>("freshStick");  // no MP_ROOT on the console yet
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QStringList>("copied");
    QTest::addColumn<QString>("summary");  // the one message, <pc> the computer folder

    const QString complete = "Transfer complete";
    const QString notConnected = "The PSP is not connected. Connect it and try again.";
    QTest::newRow("nothing selected")
        << true << false << QStringList() << QStringList()
        << "Select the videos to transfer in the list on the left first.";
    QTest::newRow("no console") << false << false << QStringList{"a"} << QStringList()
                                << notConnected;
    QTest::newRow("no console, nothing selected")
        << false << false << QStringList() << QStringList() << notConnected;
    QTest::newRow("all copied") << true << false << QStringList{"a", "b"} << QStringList{"a", "b"}
                                << complete;
    QTest::newRow("a failed copy does not stop the others, and is no complete transfer")
        << true << false << QStringList{"a", "gone", "b"} << QStringList{"a", "b"}
        << "Only 2 of 3 videos were transferred to the PSP.\n\nCould not transfer file "
           "<pc>/gone.MP4 to PSP!\n" +
               qt_error_string(ENOENT);
    QTest::newRow("a video the console cannot show is no complete transfer")
        << true << false << QStringList{"hevc"} << QStringList()
        << "Only 0 of 1 videos were transferred to the PSP.\n\nCould not transfer file "
           "<pc>/hevc.MP4 to PSP!\nIts video is HEVC (H.265); the PSP shows only MPEG-4 and "
           "AVC (H.264) video.";
    QTest::newRow("several failures, one box")
        << true << false << QStringList{"hevc", "gone"} << QStringList()
        << "Only 0 of 2 videos were transferred to the PSP.\n\nCould not transfer file "
           "<pc>/hevc.MP4 to PSP!\nIts video is HEVC (H.265); the PSP shows only MPEG-4 and "
           "AVC (H.264) video.\n\nCould not transfer file <pc>/gone.MP4 to PSP!\n" +
               qt_error_string(ENOENT);
    QTest::newRow("fresh memory stick receives the video")
        << true << true << QStringList{"a"} << QStringList{"a"} << complete;
}

void TestFerryboxWindow::transferButton()
{
    QFETCH(bool, mounted);
    QFETCH(bool, freshStick);
    QFETCH(QStringList, selected);
    QFETCH(QStringList, copied);
    QFETCH(QString, summary);

    Fixture fx;
    fx.addPcVideo("a");
    fx.addPcVideo("b");
    fx.addPcVideo("gone");
    fx.addPcVideo("hevc", true, mp4::visualEntry("hvc1"));
    if (freshStick) QVERIFY(QDir(fx.mountPoint() + "/MP_ROOT").removeRecursively());
    fx.setConsoleMounted(mounted);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    // The video vanishes after listing: its copy is the one that fails.
    QFile::remove(fx.pcFolder() + "/gone.MP4");
    for (const QString& name : selected)
        dlg.leftList()->setRowSelected(rowOf(dlg.leftList(), name + ".MP4"), true);
    const QList<int> selectedBefore = dlg.leftList()->selectedRows();

    dlg.findChild<QPushButton*>("ButtonTransfer")->click();
    QVERIFY(waitForTransfer(dlg));

    QStringList contents;
    const QStringList mp4s = QDir(fx.consoleFolder()).entryList({"*.MP4"}, QDir::Files);
    for (const QString& name : mp4s) {
        const QByteArray bytes = readFile(fx.consoleFolder() + "/" + name);
        contents << QString::fromUtf8(bytes.mid(bytes.lastIndexOf("mp4 of ") + 7));
    }
    contents.sort();
    QCOMPARE(contents, copied);
    QCOMPARE(QDir(fx.consoleFolder()).entryList({"*.THM"}, QDir::Files).size(), copied.size());
    QCOMPARE(fx.avcFiles(), QStringList());
    QCOMPARE(dlg.rightList()->count(), copied.size());
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(failuresInAnyOrder(prompts.messages[0]),
             failuresInAnyOrder(summary.replace("<pc>", fx.pcFolder())));
    // Selections are kept when nothing was tried, so the user can try again.
    const bool tried = mounted && !selected.isEmpty();
    QCOMPARE(dlg.leftList()->selectedRows(), tried ? QList<int>() : selectedBefore);
}

void TestFerryboxWindow::encodedVideosFindTheirFolders()
{
    Fixture fx;
    const QList<std::pair<QString, QStringList>> clips{
        {"harbour", {"-c:v", "mpeg4", "-c:a", "aac"}},
        {"birthday",
         {"-c:v", "libx264", "-profile:v", "main", "-pix_fmt", "yuv420p", "-c:a", "aac"}},
        {"trailer", {"-c:v", "mjpeg", "-an"}}};
    for (const auto& [name, options] : clips) {
        QVERIFY(makeClip(fx.pcFolder() + "/" + name + ".MP4", "64x48",
                         options + QStringList{"-f", "mp4"}, "0.5"));
        writeFile(fx.pcFolder() + "/" + name + ".THM", jpegOf(Qt::green));
    }
    writeFile(fx.pcFolder() + "/notes.MP4", "shopping list\n");
    writeFile(fx.pcFolder() + "/notes.THM", jpegOf(Qt::green));
    fx.addConsoleVideo("M4V50001");
    fx.setConsoleMounted(true);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    QCOMPARE(dlg.leftList()->count(), 4);
    for (int row = 0; row < 4; ++row)
        dlg.leftList()->setRowSelected(row, true);

    dlg.findChild<QPushButton*>("ButtonTransfer")->click();
    QVERIFY(waitForTransfer(dlg));

    // MPEG-4 beside the video already there, AVC in its own folder.
    QCOMPARE(fx.consoleFiles(),
             QStringList({"M4V50001.MP4", "M4V50001.THM", "M4V50002.MP4", "M4V50002.THM"}));
    QCOMPARE(fx.avcFiles(), QStringList({"MAQ50001.MP4", "MAQ50001.THM"}));
    QCOMPARE(readFile(fx.consoleFolder() + "/M4V50002.MP4"),
             readFile(fx.pcFolder() + "/harbour.MP4"));
    QCOMPARE(readFile(fx.avcFolder() + "/MAQ50001.MP4"), readFile(fx.pcFolder() + "/birthday.MP4"));
    QCOMPARE(readFile(fx.avcFolder() + "/MAQ50001.THM"), readFile(fx.pcFolder() + "/birthday.THM"));

    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(
        failuresInAnyOrder(prompts.messages[0]),
        failuresInAnyOrder("Only 2 of 4 videos were transferred to the PSP.\n\nCould not transfer "
                           "file " +
                           fx.pcFolder() +
                           "/notes.MP4 to PSP!\nIt is not a readable MP4 video, so the PSP could "
                           "not show it.\n\nCould not transfer file " +
                           fx.pcFolder() +
                           "/trailer.MP4 to PSP!\nIts video is Motion JPEG; the PSP shows only "
                           "MPEG-4 and AVC (H.264) video."));

    // The console list shows both folders, also when read again.
    const QStringList both{"M4V50001.MP4", "M4V50002.MP4", "MAQ50001.MP4"};
    QCOMPARE(rowNames(dlg.rightList()), both);
    fx.setConsoleMounted(false);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.rightList()->count(), 0, 5000);
    fx.setConsoleMounted(true);
    QTRY_COMPARE_WITH_TIMEOUT(rowNames(dlg.rightList()), both, 5000);

    // Deleting works in both folders.
    dlg.rightList()->setRowSelected(rowOf(dlg.rightList(), "M4V50002.MP4"), true);
    dlg.rightList()->setRowSelected(rowOf(dlg.rightList(), "MAQ50001.MP4"), true);
    dlg.findChild<QPushButton*>("ButtonDelete")->click();
    QCOMPARE(fx.consoleFiles(), QStringList({"M4V50001.MP4", "M4V50001.THM"}));
    QCOMPARE(fx.avcFiles(), QStringList());
    QCOMPARE(rowNames(dlg.rightList()), QStringList{"M4V50001.MP4"});
}

void TestFerryboxWindow::largeCopyKeepsWindowResponsive()
{
    Fixture fx;
    const QByteArray big = mp4::fileOfSize(mp4::mpeg4Entry(), 40 << 20);
    writeFile(fx.pcFolder() + "/big.MP4", big);
    writeFile(fx.pcFolder() + "/big.THM", jpegOf(Qt::red));
    fx.setConsoleMounted(true);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    // The same loop idle for a while first: what this machine itself holds it.
    EventLoopProbe probe;
    probe.start();
    QTest::qWait(500);
    probe.stop();
    const double idleMs = probe.longestGapMs();

    // 40 MiB at 20 MB/s, a USB 2.0 stick's pace: about two seconds.
    slowWriteBytesPerSecond = 20'000'000;
    dlg.leftList()->setRowSelected(0, true);
    QSet<int> fileBar;
    QSet<int> totalBar;
    QString rate;
    probe.start();
    dlg.findChild<QPushButton*>("ButtonTransfer")->click();
    QVERIFY(dlg.transferJob());
    connect(dlg.transferJob(), &TransferJob::progressed, this, [&](const TransferProgress&) {
        fileBar << dlg.findChild<QProgressBar*>("FileProgress")->value();
        totalBar << dlg.findChild<QProgressBar*>("TotalProgress")->value();
        const QString text = dlg.findChild<QLabel*>("ProgressRate")->text();
        if (text.contains("/s")) rate = text;
    });
    QVERIFY(dlg.progressPanel()->isVisible());
    const bool ended = waitForTransfer(dlg);
    probe.stop();
    slowWriteBytesPerSecond = 0;
    QVERIFY(ended);

    QCOMPARE(prompts.messages, QStringList{"Transfer complete"});
    QCOMPARE(readFile(fx.consoleFolder() + "/M4V50001.MP4"), big);
    QVERIFY(!dlg.progressPanel()->isVisible());
    // The bars moved through the copy, and speed and time left were shown.
    QVERIFY2(fileBar.size() >= 5, qPrintable(QString::number(fileBar.size())));
    QVERIFY(totalBar.size() >= 5);
    QVERIFY2(rate.contains(QRegularExpression(" of 41\\.\\d MB, \\d+\\.\\d MB/s, 0:0\\d left$")),
             qPrintable(rate));
    qInfo("longest stall of the window's loop: %.1f ms copying, %.1f ms idle", probe.longestGapMs(),
          idleMs);
    if (probe.longestGapMs() >= 100 && idleMs >= 100)
        QSKIP("the machine held even the idle loop for 100 ms or more");
    QVERIFY2(probe.longestGapMs() < 100, qPrintable(QString::number(probe.longestGapMs())));
}

void TestFerryboxWindow::cancelInTheWindow()
{
    Fixture fx;
    fx.addPcVideo("small");
    writeFile(fx.pcFolder() + "/zbig.MP4", mp4::fileOfSize(mp4::mpeg4Entry(), 8 << 20));
    writeFile(fx.pcFolder() + "/zbig.THM", jpegOf(Qt::red));
    fx.setConsoleMounted(true);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    slowWriteBytesPerSecond = 20'000'000;
    // Small first, so that the large one is cancelled with one copy done.
    QMimeData mime;
    mime.setData(ListDragMimeType,
                 EncodeListDragPayload(dlg.leftList()->sourceId(), {fx.pcFolder() + "/small.MP4",
                                                                    fx.pcFolder() + "/zbig.MP4"}));
    QVERIFY(dropOn(dlg.rightList(), &mime));
    QVERIFY(dlg.transferJob());
    connect(dlg.transferJob(), &TransferJob::progressed, this, [&dlg](const TransferProgress& p) {
        if (p.fileIndex == 1 && p.fileDone > 0) dlg.progressPanel()->cancelButton()->click();
    });
    // Another transfer is refused while one runs.
    dlg.leftList()->setRowSelected(0, true);
    dlg.findChild<QPushButton*>("ButtonTransfer")->click();
    const bool ended = waitForTransfer(dlg);
    slowWriteBytesPerSecond = 0;
    QVERIFY(ended);

    QCOMPARE(prompts.messages,
             QStringList({"A transfer is still running. Wait for it to end or cancel it first.",
                          "The transfer was cancelled: 1 of 2 videos were transferred to the "
                          "PSP."}));
    QCOMPARE(fx.consoleFiles(), QStringList({"M4V50001.MP4", "M4V50001.THM"}));
    QCOMPARE(QDir(fx.consoleFolder()).entryList(QDir::Hidden | QDir::Files).size(), 2);
    QCOMPARE(rowNames(dlg.rightList()), QStringList{"M4V50001.MP4"});
}

void TestFerryboxWindow::sameVideoAskedAndSpaceShown()
{
    Fixture fx;
    fx.addPcVideo("a");
    QVERIFY(QFile::copy(fx.pcFolder() + "/a.MP4", fx.consoleFolder() + "/M4V50001.MP4"));
    QVERIFY(QFile::copy(fx.pcFolder() + "/a.THM", fx.consoleFolder() + "/M4V50001.THM"));
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    auto* space = dlg.findChild<QLabel*>("LabelSpace");
    QCOMPARE(space->text(), QString());
    fx.setConsoleMounted(true);
    QTRY_VERIFY_WITH_TIMEOUT(dlg.deviceConnected(), 5000);
    QVERIFY2(space->text().contains(QRegularExpression("^[\\d.]+ [KMG]B free of [\\d.]+ [KMG]B$")),
             qPrintable(space->text()));

    const QString question = fx.pcFolder() + "/a.MP4 is already on the PSP as " +
                             fx.consoleFolder() + "/M4V50001.MP4.\nCopy it again?";
    prompts.reply = false;
    dlg.leftList()->setRowSelected(0, true);
    dlg.findChild<QPushButton*>("ButtonTransfer")->click();
    QVERIFY(waitForTransfer(dlg));
    QCOMPARE(prompts.questions, QStringList{question});
    QCOMPARE(prompts.messages, QStringList());
    QCOMPARE(fx.consoleFiles().size(), 2);

    prompts.reply = true;
    dlg.findChild<QPushButton*>("ButtonTransfer")->click();
    QVERIFY(waitForTransfer(dlg));
    QCOMPARE(prompts.questions, QStringList(2, question));
    QCOMPARE(prompts.messages, QStringList{"Transfer complete"});
    QCOMPARE(fx.consoleFiles(),
             QStringList({"M4V50001.MP4", "M4V50001.THM", "M4V50002.MP4", "M4V50002.THM"}));
}

void TestFerryboxWindow::ejectButton()
{
    Fixture fx;
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    auto* eject = dlg.findChild<QPushButton*>("ButtonEject");
    QVERIFY(!eject->isEnabled());
    fx.setConsoleMounted(true);
    QTRY_VERIFY_WITH_TIMEOUT(eject->isEnabled(), 5000);

    // No system bus here: said, and the button is ready again. The calls
    // themselves are tested against a mock disk service.
    const QByteArray address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + QFile::encodeName(fx.root() + "/no-bus"));
    QSignalSpy done(&dlg, &CFerryboxDlg::ejectDone);
    eject->click();
    QVERIFY(!eject->isEnabled());
    const bool ended = done.wait(30000);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    QVERIFY(ended);
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY2(prompts.messages[0].startsWith("The PSP cannot be ejected here: the desktop's disk "
                                            "service (UDisks2) is not available."),
             qPrintable(prompts.messages[0]));
    QVERIFY(eject->isEnabled());
}

void TestFerryboxWindow::computerListFollowsItsFolder()
{
    Fixture fx;
    fx.addPcVideo("a");
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.leftList()->setRowSelected(0, true);
    fx.addPcVideo("b");
    QTRY_COMPARE_WITH_TIMEOUT(rowNames(dlg.leftList()), QStringList({"a.MP4", "b.MP4"}), 5000);
    // What was selected stays selected.
    QCOMPARE(dlg.leftList()->selectedRows(), QList<int>{rowOf(dlg.leftList(), "a.MP4")});
    QVERIFY(QFile::remove(fx.pcFolder() + "/a.MP4"));
    QVERIFY(QFile::remove(fx.pcFolder() + "/a.THM"));
    QTRY_COMPARE_WITH_TIMEOUT(rowNames(dlg.leftList()), QStringList{"b.MP4"}, 5000);
    QCOMPARE(dlg.leftList()->selectedRows(), QList<int>());
}

void TestFerryboxWindow::consoleTitlesShown()
{
    Fixture fx;
    writeFile(
        fx.consoleFolder() + "/M4V50001.MP4",
        QByteArray(mp4::ftyp() + mp4::box("moov", mp4::track("vide", mp4::stsd(mp4::mpeg4Entry())) +
                                                      mp4::pspHeader("Harbour at dusk"))));
    writeFile(fx.consoleFolder() + "/M4V50001.THM", jpegOf(Qt::blue));
    fx.addConsoleVideo("M4V50002");
    fx.setConsoleMounted(true);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    const auto text = [&dlg](const QString& name, int role) {
        return dlg.rightList()
            ->model()
            ->index(rowOf(dlg.rightList(), name), 0)
            .data(role)
            .toString();
    };
    // The name the console shows, with the file as detail; untitled as before.
    QCOMPARE(text("M4V50001.MP4", Qt::DisplayRole), QString("Harbour at dusk"));
    QCOMPARE(text("M4V50001.MP4", VideoSizeTextRole), QString("M4V50001.MP4  0 KB"));
    QCOMPARE(text("M4V50002.MP4", Qt::DisplayRole), QString("M4V50002.MP4"));
    QCOMPARE(text("M4V50002.MP4", VideoSizeTextRole), QString("2 KB"));
}

void TestFerryboxWindow::sortedAndRemembered()
{
    Fixture fx;
    const QDateTime now = QDateTime::currentDateTime();
    // name -> age in days
    const QList<std::pair<QString, int>> videos{{"clip 10", 3}, {"Clip 9", 1}, {"apple", 2}};
    for (const auto& [name, age] : videos) {
        fx.addPcVideo(name);
        QFile file(fx.pcFolder() + "/" + name + ".MP4");
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(now.addDays(-age), QFileDevice::FileModificationTime));
    }
    const QString settings = fx.root() + "/info.ini";
    writeFile(settings, "[System]\nLastOutputOpenDir=/\n");
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    const auto shown = [](const CCustomListBox* list) {
        QStringList names;
        for (int row = 0; row < list->count(); ++row)
            names << list->entry(row).mp4Name;
        return names;
    };
    {
        CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
        dlg.setSettingsPath(settings);
        // Numbers by their value, case aside.
        QCOMPARE(shown(dlg.leftList()), QStringList({"apple.MP4", "Clip 9.MP4", "clip 10.MP4"}));
        dlg.leftList()->setRowSelected(0, true);
        auto* box = dlg.findChild<QComboBox*>("SortOrder");
        box->setCurrentIndex(1);
        Q_EMIT box->activated(1);
        QCOMPARE(shown(dlg.leftList()), QStringList({"Clip 9.MP4", "apple.MP4", "clip 10.MP4"}));
        QCOMPARE(dlg.leftList()->selectedRows(), QList<int>{1});
    }
    // The next start keeps the order and the converter's settings.
    QVERIFY(readFile(settings).contains("LastOutputOpenDir=/"));
    CFerryboxDlg again(detector, fx.pcFolder(), &prompts);
    again.setSettingsPath(settings);
    QCOMPARE(again.order(), VideoOrder::Date);
    QCOMPARE(again.findChild<QComboBox*>("SortOrder")->currentIndex(), 1);
    QCOMPARE(shown(again.leftList()), QStringList({"Clip 9.MP4", "apple.MP4", "clip 10.MP4"}));
}

void TestFerryboxWindow::startFolder_data()
{
    QTest::addColumn<QByteArray>("settings");  // info.ini; empty: none
    QTest::addColumn<QString>("start");        // <out>, <prog>, <home> or <tmp>
    QTest::addColumn<bool>("homeExists");

    QTest::newRow("the converter's output folder")
        << QByteArray("[System]\nLastOutputOpenDir=<out>\n") << "<out>" << true;
    QTest::newRow("with a trailing separator, key in another case")
        << QByteArray("[system]\nlastoutputopendir=<out>/\n") << "<out>" << true;
    QTest::newRow("relative: from the program folder")
        << QByteArray("[System]\nLastOutputOpenDir=.\n") << "<prog>" << true;
    QTest::newRow("no info.ini") << QByteArray() << "<home>" << true;
    QTest::newRow("no key") << QByteArray("[System]\nLanguageFile=x.ini\n") << "<home>" << true;
    QTest::newRow("folder gone") << QByteArray("[System]\nLastOutputOpenDir=<out>/gone\n")
                                 << "<home>" << true;
    QTest::newRow("a file") << QByteArray("[System]\nLastOutputOpenDir=<out>/a.MP4\n") << "<home>"
                            << true;
    QTest::newRow("the root") << QByteArray("[System]\nLastOutputOpenDir=/\n") << "<home>" << true;
    QTest::newRow("no home either") << QByteArray() << "<tmp>" << false;
}

void TestFerryboxWindow::startFolder()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, start);
    QFETCH(bool, homeExists);

    Fixture fx;
    fx.addPcVideo("a");
    const QString program = fx.root() + "/program";
    const QString home = fx.root() + "/home";
    QVERIFY(QDir().mkpath(program));
    if (homeExists) QVERIFY(QDir().mkpath(home));
    if (!settings.isEmpty())
        writeFile(program + "/info.ini",
                  settings.replace("<out>", QFile::encodeName(fx.pcFolder())));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home));
    const QString folder = ComputerStartFolder(program + "/info.ini");
    qputenv("HOME", oldHome);

    start.replace("<out>", fx.pcFolder());
    start.replace("<prog>", program);
    start.replace("<home>", home);
    start.replace("<tmp>", QDir::cleanPath(QDir::tempPath()));
    QCOMPARE(folder, start);

    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, folder, &prompts);
    QCOMPARE(dlg.pcFolder(), start);
    QCOMPARE(dlg.leftList()->count(), start == fx.pcFolder() ? 1 : 0);
}

void TestFerryboxWindow::clicksAndDragPayload()
{
    Fixture fx;
    for (const char* name : {"a", "b", "c"})
        fx.addPcVideo(name);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    CCustomListBox* list = dlg.leftList();
    QWidget* viewport = list->viewport();
    const int a = rowOf(list, "a.MP4");
    const int c = rowOf(list, "c.MP4");

    // Each click toggles its row and leaves the others alone.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(list, c));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(list, a));
    QCOMPARE(list->selectedRows(), (QList<int>{qMin(a, c), qMax(a, c)}));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(list, c));
    QCOMPARE(list->selectedRows(), QList<int>{a});
    // A double click (press, release, double click, release) counts as two
    // clicks.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(list, c));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, rowCentre(list, c));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(list, c));
    QCOMPARE(list->selectedRows(), QList<int>{a});

    // Pressing a selected row keeps the selection whole until the release.
    list->setRowSelected(c, true);
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(list, a));
    QCOMPARE(list->selectedRows().size(), 2);
    std::unique_ptr<QMimeData> mime(list->selectionMimeData());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(list, a));
    QCOMPARE(list->selectedRows(), QList<int>{c});

    // The payload lists the selected rows' MP4 paths in row order.
    const std::optional<ListDragPayload> payload =
        DecodeListDragPayload(mime->data(ListDragMimeType));
    QVERIFY(payload);
    QCOMPARE(payload->sourceList, list->sourceId());
    QCOMPARE(DroppedPaths(payload->text),
             QStringList({list->entry(qMin(a, c)).mp4Path, list->entry(qMax(a, c)).mp4Path}));
    QVERIFY(list->sourceId() != dlg.rightList()->sourceId());

    // A click on an empty part of the list changes nothing.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(20, viewport->height() - 5));
    QCOMPARE(list->selectedRows(), QList<int>{c});

    // Shift extends from the row clicked last, keeping what was selected.
    for (int row = 0; row < 3; ++row)
        list->setRowSelected(row, false);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(list, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, rowCentre(list, 2));
    QCOMPARE(list->selectedRows(), (QList<int>{0, 1, 2}));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(list, 1));
    QCOMPARE(list->selectedRows(), (QList<int>{0, 2}));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, rowCentre(list, 2));
    QCOMPARE(list->selectedRows(), (QList<int>{0, 1, 2}));
}

void TestFerryboxWindow::payloadRoundTrip_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("plain") << QStringList{"/home/u/Videos/clip.MP4", "/home/u/b.mp4"};
    QTest::newRow("hostile names")
        << QStringList{"/v/two\nlines.MP4", "/v/back\\slash\\n.MP4", "/v/-rf $(x) `y` \"q\".MP4",
                       "/v/\u00e9t\u00e9 \u65e5\u672c.MP4"};
    QTest::newRow("nothing selected") << QStringList();
}

void TestFerryboxWindow::payloadRoundTrip()
{
    QFETCH(QStringList, paths);
    const QByteArray block = EncodeListDragPayload(0x12345678, paths);
    // Source id, then the text's length with its terminating zero.
    QCOMPARE(QByteArray::fromRawData(block.constData(), 4), QByteArray("\x78\x56\x34\x12"));
    QCOMPARE(qFromLittleEndian<quint32>(block.constData() + 4), quint32(block.size() - 8));
    QCOMPARE(block.back(), '\0');

    const std::optional<ListDragPayload> payload = DecodeListDragPayload(block);
    QVERIFY(payload);
    QCOMPARE(payload->sourceList, quint32(0x12345678));
    QCOMPARE(DroppedPaths(payload->text), paths);
}

void TestFerryboxWindow::payloadRejectsBrokenBlocks_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("empty") << QByteArray() << false << QStringList();
    QTest::newRow("header cut short") << QByteArray("\1\0\0\0\5\0", 6) << false << QStringList();
    QTest::newRow("length beyond the block")
        << QByteArray("\1\0\0\0\x40\0\0\0/a.MP4\n\0", 16) << false << QStringList();
    QTest::newRow("text stops at its zero")
        << QByteArray("\1\0\0\0\x0e\0\0\0/a.MP4\n\0/b.MP4", 22) << true << QStringList{"/a.MP4"};
    QTest::newRow("empty line ends the list")
        << QByteArray("\1\0\0\0\x0f\0\0\0/a.MP4\n\n/b.MP4\0", 23) << true << QStringList{"/a.MP4"};
}

void TestFerryboxWindow::payloadRejectsBrokenBlocks()
{
    QFETCH(QByteArray, block);
    QFETCH(bool, valid);
    QFETCH(QStringList, paths);
    const std::optional<ListDragPayload> payload = DecodeListDragPayload(block);
    QCOMPARE(payload.has_value(), valid);
    if (payload) QCOMPARE(DroppedPaths(payload->text), paths);
}

void TestFerryboxWindow::upButton_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("root stays") << "/"
                                << "/";
    QTest::newRow("top folder goes to the root") << "/tmp"
                                                 << "/";
    QTest::newRow("one level up") << "<fx>/Videos"
                                  << "<fx>";
    QTest::newRow("missing parent: stays") << "<fx>/gone/Videos"
                                           << "<fx>/gone/Videos";
    QTest::newRow("parent is a file: stays") << "<fx>/mountinfo/x"
                                             << "<fx>/mountinfo/x";
}

void TestFerryboxWindow::upButton()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    Fixture fx;
    from.replace("<fx>", fx.root());
    to.replace("<fx>", fx.root());
    fx.addPcVideo("a");
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.setPcFolder(from);
    dlg.findChild<QPushButton*>("ButtonUp")->click();
    QCOMPARE(dlg.pcFolder(), to);
    QCOMPARE(dlg.findChild<QLabel*>("LabelFolder")->toolTip(), to);
    if (to == fx.pcFolder()) QCOMPARE(dlg.leftList()->count(), 1);
    if (to == fx.root()) QCOMPARE(dlg.leftList()->count(), 0);
}

// The view row of the folder row shown as name; -1 when none is.
int folderRowOf(const CCustomListBox* list, const QString& name)
{
    for (int index = 0; index < list->folderCount(); ++index)
        if (list->folder(index).mp4Name == name) return index;
    return -1;
}

void TestFerryboxWindow::subfolders_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "Holidays";
    QTest::newRow("quotes") << "it's \"ours\"";
    QTest::newRow("shell") << "$HOME `id` $(ls)";
    QTest::newRow("newline") << "two\nlines";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Vid\xc3\xa9os \xe6\x97\xa5\xe6\x9c\xac");
    QTest::newRow("leading dashes") << "--rf -x";
}

void TestFerryboxWindow::subfolders()
{
    QFETCH(QString, name);
    Fixture fx;
    fx.addPcVideo("outer");
    const QString sub = fx.pcFolder() + "/" + name;
    QVERIFY(QDir().mkpath(sub + "/deeper"));
    writeFile(sub + "/inner.MP4", mp4::file(mp4::mpeg4Entry(), "inner"));
    writeFile(sub + "/inner.THM", jpegOf(Qt::green));
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    CCustomListBox* list = dlg.leftList();
    auto* label = dlg.findChild<QLabel*>("LabelFolder");

    // Folders come above the videos: ".." first, then the subfolder.
    QCOMPARE(list->folderCount(), 2);
    QCOMPARE(list->folder(0).mp4Name, QString(".."));
    QCOMPARE(list->folder(1).mp4Name, name);
    QCOMPARE(rowNames(list), QStringList{"outer.MP4"});
    QVERIFY(list->visualRect(list->model()->index(1, 0)).bottom() <
            list->visualRect(list->entryIndex(0)).top());

    // A double click opens it; the list, the label and the watcher follow.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                       list->visualRect(list->model()->index(folderRowOf(list, name), 0)).center());
    QCOMPARE(dlg.pcFolder(), sub);
    QCOMPARE(label->toolTip(), sub);
    QCOMPARE(rowNames(list), QStringList{"inner.MP4"});
    QCOMPARE(list->folderCount(), 2);
    QCOMPARE(list->folder(0).mp4Path, fx.pcFolder());
    QCOMPARE(list->folder(1).mp4Name, QString("deeper"));
    QVERIFY(prompts.messages.isEmpty());
    fx.addPcVideo("outer2");  // the folder left is no longer watched
    writeFile(sub + "/later.MP4", mp4::file(mp4::mpeg4Entry(), "later"));
    writeFile(sub + "/later.THM", jpegOf(Qt::green));
    QTRY_COMPARE_WITH_TIMEOUT(rowNames(list), (QStringList{"inner.MP4", "later.MP4"}), 5000);
    QVERIFY(QDir(sub).rmdir("deeper"));
    QTRY_COMPARE_WITH_TIMEOUT(list->folderCount(), 1, 5000);

    // Enter on ".." goes up and leaves the window open.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.pcFolder(), fx.pcFolder());
    QCOMPARE(label->toolTip(), fx.pcFolder());
    QCOMPARE(rowNames(list), (QStringList{"outer.MP4", "outer2.MP4"}));
    QCOMPARE(list->folder(folderRowOf(list, name)).mp4Path, sub);

    // A folder gone since it was listed is not opened, and drops out.
    QVERIFY(QDir(sub).removeRecursively());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                       list->visualRect(list->model()->index(folderRowOf(list, name), 0)).center());
    QCOMPARE(dlg.pcFolder(), fx.pcFolder());
    QCOMPARE(folderRowOf(list, name), -1);

    // The root has nothing above it.
    dlg.setPcFolder("/");
    QCOMPARE(folderRowOf(list, ".."), -1);
}

void TestFerryboxWindow::folderRowsAreNoVideos()
{
    Fixture fx;
    fx.addPcVideo("clip");
    QVERIFY(QDir().mkpath(fx.pcFolder() + "/Kept.MP4"));
    fx.setConsoleMounted(true);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    CCustomListBox* list = dlg.leftList();
    const int folderRow = folderRowOf(list, "Kept.MP4");
    QVERIFY(folderRow > 0);
    auto* transfer = dlg.findChild<QPushButton*>("ButtonTransfer");
    auto* remove = dlg.findChild<QPushButton*>("ButtonDelete");

    // A click on a folder selects nothing: Transfer asks for videos, Delete does nothing.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(folderRow, 0)).center());
    QVERIFY(list->selectedRows().isEmpty());
    QVERIFY(list->selectionModel()->selectedIndexes().isEmpty());
    std::unique_ptr<QMimeData> mime(list->selectionMimeData());
    QVERIFY(DroppedPaths(DecodeListDragPayload(mime->data(QLatin1String(ListDragMimeType)))->text)
                .isEmpty());
    transfer->click();
    QCOMPARE(prompts.messages, QStringList{TransferText::SelectVideos});
    remove->click();
    QVERIFY(prompts.questions.isEmpty());

    // With a video: only the video goes, and deleting it keeps the folder.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(list, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      list->visualRect(list->model()->index(0, 0)).center());
    QCOMPARE(list->selectedRows(), QList<int>{0});
    prompts.messages.clear();
    transfer->click();
    QVERIFY(waitForTransfer(dlg));
    QCOMPARE(fx.consoleFiles(), QStringList({"M4V50001.MP4", "M4V50001.THM"}));
    QCOMPARE(prompts.messages, QStringList{"Transfer complete"});
    list->setRowSelected(0, true);
    remove->click();
    QCOMPARE(prompts.questions.size(), 1);
    QCOMPARE(rowNames(list), QStringList());
    QVERIFY(QFileInfo(fx.pcFolder() + "/Kept.MP4").isDir());
    QCOMPARE(folderRowOf(list, "Kept.MP4"), folderRow);
}

void TestFerryboxWindow::detectionFailureAtStart()
{
    Fixture fx;
    SysfsDeviceDetector detector(fx.usbDevices(), fx.root() + "/no-mount-table");
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    QCOMPARE(prompts.messages, QStringList{"Could not open Devices"});
    QCOMPARE(dlg.findChild<QLabel*>("LabelStatus")->text(),
             QString("PSP Status: Error while trying to detect PSP!"));
    QCOMPARE(dlg.findChild<QLabel*>("LabelConnection")->text(), QString("PSP Status Transfer"));
    QVERIFY(!dlg.deviceConnected());
}

void TestFerryboxWindow::deleteSelected()
{
    Fixture fx;
    fx.addConsoleVideo("M4V50001");
    fx.addConsoleVideo("M4V50002");
    fx.addPcVideo("a");
    fx.setConsoleMounted(true);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.rightList()->setRowSelected(rowOf(dlg.rightList(), "M4V50002.MP4"), true);
    dlg.leftList()->setRowSelected(0, true);

    prompts.reply = false;
    dlg.findChild<QPushButton*>("ButtonDelete")->click();
    QCOMPARE(fx.consoleFiles().size(), 4);

    prompts.reply = true;
    dlg.findChild<QPushButton*>("ButtonDelete")->click();
    QCOMPARE(prompts.questions,
             QStringList(2, "Are you sure you want to delete these files from the PSP?"));
    QCOMPARE(fx.consoleFiles(), QStringList({"M4V50001.MP4", "M4V50001.THM"}));
    QCOMPARE(rowNames(dlg.rightList()), QStringList{"M4V50001.MP4"});
    QVERIFY(QFile::exists(fx.pcFolder() + "/a.MP4"));

    // The computer's video goes to the trash, and the question says so.
    dlg.leftList()->setRowSelected(0, true);
    dlg.findChild<QPushButton*>("ButtonDelete")->click();
    QCOMPARE(
        prompts.questions.last(),
        QString("Are you sure you want to move these files from the hard drive to the trash?"));
    QCOMPARE(QDir(fx.pcFolder()).entryList(QDir::Files), QStringList());
    QCOMPARE(dlg.leftList()->count(), 0);
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    const QString top =
        QStorageInfo(fx.pcFolder()).rootPath() + "/.Trash-" + QString::number(::getuid());
    bool found = false;
    for (const QString& folder : {trash, top}) {
        for (const QString& info : QDir(folder + "/info").entryList({"*.trashinfo"})) {
            if (!readFile(folder + "/info/" + info)
                     .contains(QFile::encodeName(fx.pcFolder() + "/a.MP4")))
                continue;
            found = readFile(folder + "/files/" + info.chopped(10)).endsWith("mp4 of a");
            QFile::remove(folder + "/files/" + info.chopped(10));
            QFile::remove(folder + "/info/" + info);
        }
    }
    QVERIFY(found);
}

void TestFerryboxWindow::questionsDefaultToNo()
{
    Fixture fx;
    fx.addConsoleVideo("M4V50001");
    fx.setConsoleMounted(true);
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    CFerryboxDlg dlg(detector, fx.pcFolder());
    dlg.rightList()->setRowSelected(0, true);
    // Enter on the real question, as a hasty user would.
    QString defaultButton;
    QTimer::singleShot(0, &dlg, [&defaultButton] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : "none";
        QTest::keyClick(box, Qt::Key_Return);
    });
    dlg.findChild<QPushButton*>("ButtonDelete")->click();
    QCOMPARE(defaultButton.remove('&'), QString("No"));
    QCOMPARE(fx.consoleFiles(), QStringList({"M4V50001.MP4", "M4V50001.THM"}));
}

void TestFerryboxWindow::enterEndsWindow()
{
    Fixture fx;
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.leftList()->setFocus();
    QTest::keyClick(dlg.leftList(), Qt::Key_Return);
    QVERIFY(!dlg.isVisible());

    // A focused button takes Enter for itself.
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* transfer = dlg.findChild<QPushButton*>("ButtonTransfer");
    transfer->setFocus();
    QTest::keyClick(transfer, Qt::Key_Return);
    QVERIFY(dlg.isVisible());
    QCOMPARE(prompts.messages, QStringList{"The PSP is not connected. Connect it and try again."});

    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
}

void TestFerryboxWindow::aboutBox()
{
    Fixture fx;
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    // A visible button opens it.
    auto* button = dlg.findChild<QPushButton*>("ButtonAbout");
    QVERIFY(button && dlg.rect().contains(button->geometry()));
    QString shown;
    QTimer::singleShot(0, &dlg, [&shown] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle();
            box->reject();
        }
    });
    button->click();
    QCOMPARE(shown, QString("About Transfer Manager"));

    CAboutDlg about(&dlg);
    QCOMPARE(about.windowTitle(), QString("About Transfer Manager"));
    // 235 x 55 dialog units.
    QCOMPARE(about.size(), QSize(353, 89));
    QCOMPARE(about.findChild<QLabel*>("AboutName")->text(),
             QString("Corvane\nTransfer Manager Version 1.0"));

    // Every control lies inside the box and every text fits its control.
    const QList<QWidget*> controls = about.findChildren<QWidget*>();
    QVERIFY(controls.size() >= 4);
    for (const QWidget* control : controls) {
        QVERIFY2(about.rect().contains(control->geometry()), qPrintable(control->objectName()));
        const auto* label = qobject_cast<const QLabel*>(control);
        if (!label || label->text().isEmpty()) continue;
        const QRect needed =
            label->fontMetrics().boundingRect(label->rect(), Qt::AlignLeft, label->text());
        QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                 qPrintable(label->text()));
    }
}

void TestFerryboxWindow::rowDrawing_data()
{
    QTest::addColumn<bool>("selected");
    QTest::newRow("plain") << false;
    QTest::newRow("selected") << true;
}

void TestFerryboxWindow::rowDrawing()
{
    QFETCH(bool, selected);
    Fixture fx;
    fx.addPcVideo("clip");
    SysfsDeviceDetector detector(fx.usbDevices(), fx.mountInfo());
    RecordingPrompts prompts;
    CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
    CCustomListBox* list = dlg.leftList();
    list->setRowSelected(0, selected);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    const QRect row = list->visualRect(list->entryIndex(0));
    QCOMPARE(row.height(), VideoRowHeight);
    const QImage image = list->viewport()->grab().toImage();
    const auto at = [&](int x, int y) {
        return QColor(image.pixel(row.left() + x, row.top() + y));
    };
    const QColor background = selected ? QColor(170, 205, 238) : QColor(246, 246, 247);
    QCOMPARE(at(0, 20), QColor(Qt::white));
    QCOMPARE(at(44, 40), background);
    QCOMPARE(at(row.width() - 5, 20), background);
    QCOMPARE(at(row.width() - 1, 20), QColor(Qt::white));
    // The red thumbnail fills 40 x 40 pixels from (2, 2).
    for (const QPoint p : {QPoint(3, 3), QPoint(40, 40)}) {
        const QColor c = at(p.x(), p.y());
        QVERIFY2(c.red() > 200 && c.green() < 60 && c.blue() < 60, qPrintable(c.name()));
    }
    QCOMPARE(at(43, 20), background);
    // Text is drawn in grey between the thumbnail and the note's column.
    bool grey = false;
    for (int x = 50; x < 160 && !grey; ++x)
        for (int y = 2; y < 40 && !grey; ++y)
            grey = at(x, y).red() < 160;
    QVERIFY(grey);
}

QTEST_MAIN(TestFerryboxWindow)
#include "tst_FerryboxWindow.moc"
