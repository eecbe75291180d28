#include "MediaTools.h"
#include "TestFiles.h"

#include "base/BuildConstants.h"
#include "base/FileFunctions.h"
#include "base/IniFile.h"
#include "base/ProgramFolder.h"
#include "engine/BatchDriver.h"
#include "localisation/MessageTable.h"
#include "windows/ConverterStart.h"
#include "windows/DialogSeam.h"
#include "windows/FactsPanel.h"
#include "windows/FileListView.h"
#include "windows/Main.h"
#include "windows/Progress.h"
#include "windows/TrayIcon.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include "windows/SkinLook.h"

namespace {

// The tests' clips, made once: real media the library can describe.
struct Clips {
    QTemporaryDir dir;
    QString video;  // a short PSP-sized clip with sound
    QString audio;  // sound only

    Clips()
    {
        video = dir.filePath("clip.avi");
        audio = dir.filePath("tone.mp3");
        makeClip(video, "160x120", {"-c:v", "mpeg4", "-c:a", "mp3"}, "1");
        runTool("ffmpeg",
                {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "sine=frequency=440:duration=0.5", "-c:a", "libmp3lame", "file:" + audio});
    }
};

}  // namespace

// The converter's main window on a private copy of the program folder.
class TestMainWindow : public QObject {
    Q_OBJECT

    Clips m_clips;
    QTemporaryDir m_program;
    QTemporaryDir m_work;
    QTemporaryDir m_home;
    std::unique_ptr<TfrmMain> m_window;

    QString copyClip(const QString& name, const QString& clip = {})
    {
        const QString path = m_work.filePath(name);
        QFile::remove(path);
        QFile::copy(clip.isEmpty() ? m_clips.video : clip, path);
        return path;
    }

    TfrmMain& window() { return *m_window; }
    TFileListView* list() { return m_window->List(); }

    QStringList captions()
    {
        QStringList result;
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            result << QFileInfo(list()->Caption(row)).fileName();
        return result;
    }

    void addAndWait(const QStringList& paths)
    {
        window().AddFiles(paths);
        QTRY_VERIFY_WITH_TIMEOUT(!window().Adding(), 20000);
    }

    QString summary() { return window().findChild<QLabel*>("Label6")->text(); }

    // Adds an AVI profile through the window as a user does: the editor's
    // DivX page gets the bar position and a changed size, the name dialog
    // the name, and the overwrite question, if it comes, the answer. Returns
    // the editor's class.
    QString addAviProfile(const QString& name, int barPosition, const QString& shownKbps,
                          QSize size, QMessageBox::StandardButton overwrite = QMessageBox::NoButton)
    {
        auto editorClass = std::make_shared<QString>();
        DialogSeam::Queue([=](QDialog& editor) {
            *editorClass = editor.metaObject()->className();
            editor.show();
            QVERIFY(QTest::qWaitForWindowExposed(&editor));
            // Every add starts from the defaults, not from the last profile.
            auto* keep = editor.findChild<QRadioButton*>("RadioButtonKeepSourceSizeDivX");
            QVERIFY(keep && keep->isChecked());
            editor.findChild<QComboBox*>("ComboBoxVideoCodec")->setCurrentIndex(0);
            editor.findChild<QLineEdit*>("EditDescription")->setText("Small DivX");
            editor.findChild<QSlider*>("TrackBarVideoBitrateDivX")->setValue(barPosition);
            QCOMPARE(editor.findChild<QLabel*>("LabelBitrateDivX")->text(), shownKbps);
            editor.findChild<QRadioButton*>("RadioButtonChangVideoSizeDivX")->click();
            auto* width = editor.findChild<QSpinBox*>("EditVideoWidthDivX");
            auto* height = editor.findChild<QSpinBox*>("EditVideoHeightDivX");
            QVERIFY(width->isEnabled() && height->isEnabled());
            width->setValue(size.width());
            height->setValue(size.height());
            editor.findChild<QPushButton*>("btnSave")->click();
        });
        DialogSeam::Queue([name](QDialog& dialog) {
            QTest::keyClicks(dialog.findChild<QLineEdit*>("EditFileName"), name);
            dialog.findChild<QPushButton*>("btnOK")->click();
        });
        if (overwrite != QMessageBox::NoButton) DialogSeam::QueuePress(overwrite);
        window().Action("ActionAddNewProfile")->trigger();
        return *editorClass;
    }

    // Converts a 60-second clip into output and calls whileConverting as soon
    // as the file runs; whileConverting must stop the batch. Watching for the
    // file, not waiting a fixed time, keeps a fast machine from finishing it.
    void convertLongClip(const QString& output, const std::function<void()>& whileConverting)
    {
        const QString input = m_work.filePath("long.avi");
        if (!QFile::exists(input))
            makeClip(input, "320x240", {"-c:v", "mpeg4", "-c:a", "mp3"}, "60");
        QDir().mkpath(output);
        addAndWait({input});
        window().findChild<QLineEdit*>("editOutputFileName")->setText(output);
        window().SelectFormatListEntry(0);
        QTimer watch;
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, &window(), [&] {
            if (!window().Front().ProgressOpen() || list()->State(0) != rsConverting) return;
            watch.stop();
            whileConverting();
        });
        watch.start();
        window().Action("ActionConvert")->trigger();
        QVERIFY(!watch.isActive());
    }

    void openWindow()
    {
        m_window.reset();
        GlobalVars = TGlobalVars();
        ResetMessageTable();
        m_window = std::make_unique<TfrmMain>(GlobalVars);
        QVERIFY2(m_window->StartupError().isEmpty(), qPrintable(m_window->StartupError()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QFileInfo(m_clips.video).size() > 0);
        for (const char* entry :
             {"avcore.dll", "skin", "profile_en", "cores", "clipforge-cli", "clipforge"})
            QCOMPARE(QProcess::execute("cp", {"-a", "--", QString(CLIPFORGE_APP_DIR "/") + entry,
                                              m_program.path()}),
                     0);
        SetProgramFolder(m_program.path() + "/");
        // Each window is a first start, which makes the user's videos folder:
        // here a private one.
        writeFile(m_home.filePath("config/user-dirs.dirs"),
                  "XDG_VIDEOS_DIR=\"" + m_home.filePath("Videos").toUtf8() + "\"\n");
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
        DialogSeam::Enable();
    }

    void init()
    {
        QFile::remove(m_program.filePath("info.ini"));
        DialogSeam::Disable();
        DialogSeam::Enable();
        openWindow();
    }

    void cleanup() { m_window.reset(); }

    void addThroughTheDialog()
    {
        const QString a = copyClip("a.avi");
        const QString b = copyClip("b.avi");
        DialogSeam::QueueFiles({a, b});
        window().Action("ActionInputBrowse")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!window().Adding(), 20000);
        QCOMPARE(captions(), QStringList({"a.avi", "b.avi"}));
        // The last row is selected and the folder remembered at once.
        QCOMPARE(list()->SelectedRows(), QList<int>({1}));
        QCOMPARE(
            IniFile(m_program.filePath("info.ini")).readString("System", "LastInputOpenDir", ""),
            m_work.path());

        // A cancelled dialog adds nothing.
        DialogSeam::QueueFiles({});
        window().Action("ActionAdd")->trigger();
        QCOMPARE(list()->topLevelItemCount(), 2);
    }

    // The folder a dialog went to is stored at once; a settings file that
    // refuses it says so instead of losing it silently.
    void refusedFolderWriteIsReported_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("input folder") << "ActionInputBrowse";
        QTest::newRow("output folder") << "ActionOutputBrowse";
    }

    void refusedFolderWriteIsReported()
    {
        QFETCH(QString, action);
        const QString settings = m_program.filePath("info.ini");
        QVERIFY(QFile::setPermissions(settings, QFile::ReadOwner));
        DialogSeam::QueueFiles(
            {action == "ActionInputBrowse" ? copyClip("ro.avi") : m_work.path()});
        DialogSeam::ClearLog();
        window().Action(action)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!window().Adding(), 20000);
        QFile::setPermissions(settings, QFile::ReadOwner | QFile::WriteOwner);
        const QStringList log = DialogSeam::Log();
        QVERIFY2(log.size() == 1 && log.first().endsWith(MsgFormat(MSG_UNABLE_TO_WRITE, settings)),
                 qPrintable(log.join('\n')));
    }

    void sameFileOnce()
    {
        const QString a = copyClip("same.avi");
        addAndWait({a, a});
        addAndWait({a});
        QCOMPARE(captions(), QStringList({"same.avi"}));
        list()->SelectRow(0);
        window().Action("ActionDel")->trigger();
        QCOMPARE(list()->topLevelItemCount(), 0);
        addAndWait({a});
        QCOMPARE(captions(), QStringList({"same.avi"}));
    }

    void dropsAddFilesNotFolders()
    {
        const QString a = copyClip("dropped.avi");
        QDir(m_work.path()).mkpath("folder.avi");
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(m_work.filePath("folder.avi")), QUrl::fromLocalFile(a)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &drop);
        QTRY_VERIFY_WITH_TIMEOUT(!window().Adding(), 20000);
        QCOMPARE(captions(), QStringList({"dropped.avi"}));
        delete mime;

        // A folder alone adds nothing.
        auto* folderOnly = new QMimeData;
        folderOnly->setUrls({QUrl::fromLocalFile(m_work.filePath("folder.avi"))});
        QDragEnterEvent enterAgain(QPoint(10, 10), Qt::CopyAction, folderOnly, Qt::LeftButton,
                                   Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &enterAgain);
        QDropEvent second(QPointF(10, 10), Qt::CopyAction, folderOnly, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &second);
        QCOMPARE(list()->topLevelItemCount(), 1);
        QVERIFY(!window().Adding());
        delete folderOnly;
    }

    void refusedFiles()
    {
        // Damaged media and a pipe are reported by name, the pipe at once and
        // without waiting on it; other types and missing files are skipped
        // without a word.
        const QString damaged = m_work.filePath("damaged.avi");
        writeFile(damaged, "not a video at all");
        const QString text = m_work.filePath("notes.txt");
        writeFile(text, "text");
        const QString pipe = m_work.filePath("pipe.avi");
        QFile::remove(pipe);
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        DialogSeam::ClearLog();
        addAndWait({damaged, text, pipe, m_work.filePath("missing.avi"), copyClip("good.avi")});
        QCOMPARE(captions(), QStringList({"good.avi"}));
        const QStringList log = DialogSeam::Log();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.at(0), Msg(MSG_Error) + " | " + pipe + ": " + InputRefusal(pipe) + ".");
        QVERIFY2(log.at(1).startsWith(Msg(MSG_Error) + " | ") && log.at(1).contains(damaged),
                 qPrintable(log.at(1)));
        QFile::remove(pipe);
    }

    void deleteRowsTwoAndFour()
    {
        QStringList files;
        for (int i = 1; i <= 5; ++i)
            files << copyClip(QString("row%1.avi").arg(i));
        addAndWait(files);
        list()->clearSelection();
        list()->topLevelItem(1)->setSelected(true);
        list()->topLevelItem(3)->setSelected(true);
        window().Action("ActionDel")->trigger();
        QCOMPARE(captions(), QStringList({"row1.avi", "row3.avi", "row5.avi"}));
        QCOMPARE(list()->SelectedRows(), QList<int>({1}));
        QCOMPARE(summary(), MsgFormat(MSG_STATUS_FILES, 3));
    }

    void moveRows_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("order");
        QTest::newRow("up") << 3 << 1 << "ActionMoveUp"
                            << "213";
        QTest::newRow("down") << 3 << 1 << "ActionMoveDown"
                              << "132";
        QTest::newRow("first up") << 3 << 0 << "ActionMoveUp"
                                  << "123";
        QTest::newRow("last down") << 3 << 2 << "ActionMoveDown"
                                   << "123";
        QTest::newRow("only row up") << 1 << 0 << "ActionMoveUp"
                                     << "1";
        QTest::newRow("only row down") << 1 << 0 << "ActionMoveDown"
                                       << "1";
    }

    void moveRows()
    {
        QFETCH(int, rows);
        QFETCH(int, selected);
        QFETCH(QString, action);
        QFETCH(QString, order);
        QStringList files;
        for (int i = 1; i <= rows; ++i)
            files << copyClip(QString("%1.avi").arg(i));
        addAndWait(files);
        list()->SelectRow(selected);
        const QString moved = list()->Caption(selected);
        window().Action(action)->trigger();
        QCOMPARE(captions().join("").remove(".avi"), order);
        // The moved row stays selected.
        QCOMPARE(list()->Caption(list()->SelectedRows().value(0)), moved);
    }

    void dragWithinTheList_data()
    {
        QTest::addColumn<int>("dragged");
        QTest::addColumn<int>("target");  // -1: below the last row
        QTest::addColumn<QString>("order");
        QTest::newRow("first onto last") << 0 << 3 << "2314";
        QTest::newRow("last onto first") << 3 << 0 << "4123";
        QTest::newRow("below the last") << 0 << -1 << "2341";
        QTest::newRow("onto itself") << 1 << 1 << "1234";
    }

    void dragWithinTheList()
    {
        QFETCH(int, dragged);
        QFETCH(int, target);
        QFETCH(QString, order);
        addAndWait({copyClip("1.avi"), copyClip("2.avi"), copyClip("3.avi"), copyClip("4.avi")});
        list()->SelectRow(dragged);
        list()->DropCurrentRowOn(target < 0 ? nullptr : list()->topLevelItem(target));
        QCOMPARE(captions().join("").remove(".avi"), order);
        QCOMPARE(list()->Caption(list()->SelectedRows().value(0)),
                 m_work.filePath(QString("%1.avi").arg(dragged + 1)));
    }

    void clearAndSummary()
    {
        QCOMPARE(summary(), Msg(MSG_STATUS_NOFILES));
        auto* facts = window().findChild<TFactsPanel*>("ScrollBox");
        QVERIFY(facts->isHidden());
        addAndWait({copyClip("one.avi")});
        QCOMPARE(summary(), Msg(MSG_STATUS_ONEFILE));
        QVERIFY(!facts->isHidden());
        addAndWait({copyClip("two.avi")});
        QCOMPARE(summary(), MsgFormat(MSG_STATUS_FILES, 2));
        window().Action("ActionClearList")->trigger();
        QCOMPARE(list()->topLevelItemCount(), 0);
        QCOMPARE(summary(), Msg(MSG_STATUS_NOFILES));
        QVERIFY(facts->isHidden());
    }

    void factsPanel()
    {
        addAndWait({copyClip("facts.avi"), copyClip("tone.mp3", m_clips.audio)});
        auto* facts = window().findChild<TFactsPanel*>("ScrollBox");
        list()->SelectRow(0);
        // The whole name in the tool tip; the box may shorten it.
        QCOMPARE(facts->EditBox(1)->toolTip(), m_work.filePath("facts.avi"));
        QCOMPARE(facts->EditBox(9)->text(), "160");                // width
        QCOMPARE(facts->EditBox(11)->text(), "120");               // height
        QVERIFY(facts->EditBox(7)->text() != Msg(MSG_EMPTY_STR));  // video codec
        // Sound only: the video facts are the placeholder.
        list()->SelectRow(1);
        for (int box : {7, 8, 9, 10, 11, 12})
            QCOMPARE(facts->EditBox(box)->text(), Msg(MSG_EMPTY_STR));
        QVERIFY(facts->EditBox(13)->text() != Msg(MSG_EMPTY_STR));  // audio codec
        // No selection: every box shows the placeholder.
        list()->clearSelection();
        for (int box = 1; box <= 16; ++box)
            QCOMPARE(facts->EditBox(box)->text(), Msg(MSG_EMPTY_STR));
    }

    void formatSwitching_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("disabled");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("editable");
        QTest::newRow("AVI") << int(ofAVI) << "ActionToAVI"
                             << ""
                             << "ComboBoxAviProfile" << true;
        QTest::newRow("MPEG") << int(ofMPEG) << "ActionToMPEG"
                              << ""
                              << "ComboBoxMPEGProfile" << true;
        QTest::newRow("MP3") << int(ofMP3) << "ActionToOthers"
                             << "ActionToMP3"
                             << "ComboBoxMp3Profile" << true;
        QTest::newRow("VOB") << int(ofVOB) << "ActionToOthers"
                             << "ActionToVOB"
                             << "ComboBoxVobProfile" << true;
        QTest::newRow("MP4") << int(ofMP4) << "ActionToMP4"
                             << ""
                             << "ComboBoxProfile" << false;
        QTest::newRow("3GP") << int(of3GP) << "ActionTo3GP"
                             << ""
                             << "ComboBoxProfile" << false;
    }

    void formatSwitching()
    {
        QFETCH(int, format);
        QFETCH(QString, disabled);
        QFETCH(QString, checked);
        QFETCH(QString, list);
        QFETCH(bool, editable);
        window().SelectFormat(ofMP3);
        window().SelectFormat(format);
        QCOMPARE(int(GlobalVars.OutputFormat), format);
        const QStringList main = {"ActionToAVI",  "ActionToMP4", "ActionTo3GP",
                                  "ActionToMPEG", "ActionToMOV", "ActionToWMV",
                                  "ActionToRM",   "ActionToSWF", "ActionToOthers"};
        for (const QString& name : main)
            QCOMPARE(window().Action(name)->isEnabled(), name != disabled);
        for (const char* name : {"ActionToVOB", "ActionToASF", "ActionToAAC", "ActionToAC3",
                                 "ActionToMP2", "ActionToMP3", "ActionToAMR", "ActionToWAV"})
            QCOMPARE(window().Action(name)->isChecked(), QString(name) == checked);
        for (QComboBox* box : window().findChildren<QComboBox*>()) {
            if (box->objectName() == "ComboBoxFormat") continue;
            QCOMPARE(!box->isHidden(), box->objectName() == list);
        }
        QCOMPARE(window().Action("ActionEditProfile")->isEnabled(), editable);
        QCOMPARE(window().Action("ActionProfileMore")->isEnabled(), editable);
    }

    void deviceChoice()
    {
        auto* formats = window().findChild<QComboBox*>("ComboBoxFormat");
        auto* items = window().findChild<QComboBox*>("ComboBoxProfile");
        QCOMPARE(formats->count(), 2);
        window().SelectFormat(ofAVI);
        window().SelectFormatListEntry(1);
        QCOMPARE(int(GlobalVars.OutputFormat), int(ofMP4));
        QCOMPARE(GlobalVars.MP4MenuIndex, 1);
        QVERIFY(GlobalVars.TgpiPodPSPProfileFileName.contains("Direct"));
        QVERIFY(items->count() > 0);
        QCOMPARE(items->currentIndex(), 0);
        QCOMPARE(window().Catalogue().SelectedItem, 0);
        items->setCurrentIndex(items->count() - 1);
        QCOMPARE(window().Catalogue().SelectedItem, items->count() - 1);

        // The MP4 menu lists the same choices and checks the current one.
        auto* menu = window().findChild<QMenu*>("PopupMenuMP4");
        QCOMPARE(menu->actions().size(), 2);
        QVERIFY(menu->actions().at(1)->isChecked());
        menu->actions().at(0)->trigger();
        QCOMPARE(GlobalVars.MP4MenuIndex, 0);
        QCOMPARE(formats->currentIndex(), 0);
    }

    void showAllFormats()
    {
        // Off: this edition's window. On: every format's button, its list and
        // the profile buttons, in the skin's own places.
        auto button = [this](const QString& name) {
            return window().findChild<TSkinButton*>(name);
        };
        auto* formats = window().findChild<QComboBox*>("ComboBoxFormat");
        const int editionTop = list()->y();
        auto choose = [](bool on) {
            DialogSeam::Queue([on](QDialog& settings) {
                settings.findChild<QCheckBox*>("CheckBoxShowAllFormats")->setChecked(on);
                settings.accept();
            });
        };
        QVERIFY(button("ToolbarButton2")->isHidden());
        QVERIFY(button("MainButton7")->isHidden());
        QVERIFY(!formats->isHidden());

        choose(true);
        window().Action("ActionSettings")->trigger();
        QVERIFY(GlobalVars.ShowAllFormats);
        QVERIFY(
            IniFile(m_program.filePath("info.ini")).readBool("System", "ShowAllFormats", false));
        // Burn DVD (11) shows only beside its program, which is not here.
        for (int n = 1; n <= 13; ++n)
            QVERIFY2(button(QString("ToolbarButton%1").arg(n))->isHidden() == (n == 11),
                     qPrintable(QString::number(n)));
        QVERIFY(!button("MainButton7")->isHidden());
        QVERIFY(!button("MainButton8")->isHidden());
        QVERIFY(formats->isHidden());
        QCOMPARE(list()->y(), editionTop + 80);
        button("ToolbarButton2")->click();
        QCOMPARE(int(GlobalVars.OutputFormat), int(ofAVI));
        QVERIFY(!window().findChild<QComboBox*>("ComboBoxAviProfile")->isHidden());
        QVERIFY(button("MainButton7")->isEnabled());

        // A later start shows every format from the first, each button with
        // its own pictures rather than its disabled one in every state.
        openWindow();
        formats = window().findChild<QComboBox*>("ComboBoxFormat");
        QVERIFY(formats->isHidden());
        QVERIFY(!button("ToolbarButton2")->isHidden());
        QCOMPARE(list()->y(), editionTop + 80);
        const TSkinButtonPictures pictures = button("ToolbarButton2")->Pictures();
        QVERIFY(!pictures.Normal.isEmpty());
        QVERIFY(pictures.Normal != pictures.Disable);

        choose(false);
        window().Action("ActionSettings")->trigger();
        QVERIFY(!GlobalVars.ShowAllFormats);
        QVERIFY(button("ToolbarButton2")->isHidden());
        QVERIFY(!formats->isHidden());
        QCOMPARE(list()->y(), editionTop);
        // Back in the edition, the format list's device choice holds again.
        QCOMPARE(int(GlobalVars.OutputFormat), int(ofMP4));
    }

    void savedPlacementComesBack()
    {
        m_window.reset();
        writeFile(m_program.filePath("info.ini"),
                  "[System]\nLanguageFile=english.ini\n[Form]\nx=40\ny=30\nwidth=754\nheight=571\n"
                  "maximized=0\n");
        openWindow();
        QCOMPARE(window().geometry().topLeft(), QPoint(40, 30));
        // Closing writes where it is now.
        window().move(60, 50);
        window().close();
        const IniFile saved(m_program.filePath("info.ini"));
        QCOMPARE(saved.readInteger("Form", "x", -1), 60);
        QCOMPARE(saved.readInteger("Form", "y", -1), 50);
    }

    void languageSwitch()
    {
        auto* languages = window().findChild<QMenu*>("LanguagesMI");
        QAction* french = nullptr;
        for (QAction* entry : languages->actions())
            if (entry->text() == "FRENCH") french = entry;
        QVERIFY(french);
        french->trigger();
        QCOMPARE(GlobalVars.LanguageFile, "FRENCH.ini");
        // The menu is built anew, the chosen language checked.
        QStringList checked;
        for (QAction* entry : languages->actions())
            if (entry->isChecked()) checked << entry->text();
        QCOMPARE(checked, QStringList({"FRENCH"}));
        QCOMPARE(window().findChild<QLabel*>("Label3")->text(), Msg(MSG_INPUTFILENAME));
        QVERIFY(Msg(MSG_CONVERT) != MsgDefault(MSG_CONVERT));
        QCOMPARE(window().Action("ActionConvert")->text(), Msg(MSG_CONVERT));
        QCOMPARE(summary(), Msg(MSG_STATUS_NOFILES));
        QVERIFY(summary() != MsgDefault(MSG_STATUS_NOFILES));
    }

    void addingStaysResponsive()
    {
        // Hundreds of files: the event loop keeps turning, and Convert (then
        // labelled Stop) ends the adding with the rows read so far.
        QStringList files;
        for (int i = 0; i < 400; ++i) {
            const QString path = m_work.filePath(QString("many%1.avi").arg(i));
            QFile::remove(path);
            QVERIFY(QFile::link(m_clips.video, path));
            files << path;
        }
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(5);
        QSignalSpy finished(&window(), &TfrmMain::AddingFinished);
        window().AddFiles(files);
        QVERIFY(window().Adding());
        QCOMPARE(window().findChild<TSkinButton*>("MainButton9")->text(), Msg(MSG_STOP));
        QTRY_VERIFY_WITH_TIMEOUT(list()->topLevelItemCount() > 0, 20000);
        window().Action("ActionConvert")->trigger();
        QVERIFY(!window().Adding());
        QCOMPARE(finished.count(), 1);
        QVERIFY(ticks > 0);
        const int rows = list()->topLevelItemCount();
        QVERIFY2(rows < files.size(), qPrintable(QString::number(rows)));
        QCOMPARE(window().findChild<TSkinButton*>("MainButton9")->text(),
                 window().Action("ActionConvert")->text());
        // Nothing more arrives after the stop.
        QTest::qWait(200);
        QCOMPARE(list()->topLevelItemCount(), rows);
        for (const QString& path : files)
            QFile::remove(path);
    }

    void sendToTray_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("notification area") << true;
        QTest::newRow("none") << false;
    }

    void sendToTray()
    {
        QFETCH(bool, trayAvailable);
        TTrayIcon::SetAvailableForTests(trayAvailable);
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        window().SendToTray();
        if (trayAvailable) {
            QVERIFY(!window().isVisible());
            QVERIFY(window().Tray()->Visible());
            QCOMPARE(window().Tray()->LastBalloonText(), Msg(MSG_TRAY_MIN));
        } else {
            // Minimised instead, and the user is told why.
            QTRY_VERIFY(window().isMinimized());
            QVERIFY(!window().Tray()->Visible());
            QMessageBox* notice = nullptr;
            for (QWidget* shown : QApplication::topLevelWidgets())
                if (shown->objectName() == "NoTrayNotice" && shown->isVisible())
                    notice = qobject_cast<QMessageBox*>(shown);
            QVERIFY(notice);
            QCOMPARE(notice->text(), Msg(MSG_NO_TRAY));
            notice->close();
        }
        window().RestoreFromTray();
        QVERIFY(window().isVisible());
        QVERIFY(!window().isMinimized());
        QVERIFY(!window().Tray()->Visible());
        TTrayIcon::SetAvailableForTests(std::nullopt);
    }

    void transferManagerStartsFerrybox()
    {
        // A stand-in that says it ran, with what arguments and where.
        const QString marker = m_work.filePath("ferrybox-ran");
        QFile::remove(marker);
        const QString program = m_program.filePath("Ferrybox");
        writeFile(program, "#!/bin/sh\necho \"$#\" > '" + marker.toUtf8() + "'\n");
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
        window().Action("ActionTransferManager")->trigger();
        QTRY_VERIFY(QFileInfo(marker).size() > 0);
        QCOMPARE(readFile(marker), QByteArray("0\n"));
        // A missing program fails without a word.
        QFile::remove(program);
        DialogSeam::ClearLog();
        window().Action("ActionTransferManager")->trigger();
        QVERIFY(DialogSeam::Log().isEmpty());
    }

    void wholeBatch()
    {
        const QString input = copyClip("batch me.avi");
        const QString output = m_work.filePath("out");
        QDir().mkpath(output);
        addAndWait({input});
        window().findChild<QLineEdit*>("editOutputFileName")->setText(output);
        window().SelectFormatListEntry(0);
        DialogSeam::ClearLog();
        window().Action("ActionConvert")->trigger();
        QCOMPARE(list()->State(0), rsConverted);
        QVERIFY(QFileInfo(output + "/batch me.MP4").size() > 0);
        QVERIFY(!window().Front().ProgressOpen());
        // The only message is the transfer hint.
        const QStringList log = DialogSeam::Log();
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.first().contains("Transfer Manager"), qPrintable(log.first()));
    }

    // A file with sound only, sent to a video format, is named before the
    // batch starts and nothing is converted; a sound format takes it.
    void soundOnlyToVideo()
    {
        const QString tone = copyClip("tone.mp3", m_clips.audio);
        const QString output = m_work.filePath("sound out");
        QDir().mkpath(output);
        addAndWait({copyClip("with picture.avi"), tone});
        window().findChild<QLineEdit*>("editOutputFileName")->setText(output);
        window().SelectFormat(ofAVI);
        DialogSeam::ClearLog();
        window().Action("ActionConvert")->trigger();
        QCOMPARE(DialogSeam::Log(),
                 QStringList{Msg(MSG_HINT) + " | " + MsgFormat(MSG_NO_PICTURE, tone)});
        QCOMPARE(list()->State(0), rsQueued);
        QVERIFY(QDir(output).isEmpty());

        window().SelectFormat(ofMP3);
        DialogSeam::ClearLog();
        window().Action("ActionConvert")->trigger();
        QCOMPARE(list()->State(1), rsConverted);
    }

    // A profile added from the window: saved under its name in the AVI
    // folder and selected; a second add of the name asks first, and the
    // answer decides what the next conversion uses.
    void addProfile_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("kbps");
        QTest::addColumn<QSize>("size");
        QTest::newRow("No keeps the first") << QMessageBox::No << "512" << QSize(352, 288);
        QTest::newRow("Yes replaces it") << QMessageBox::Yes << "768" << QSize(320, 240);
    }

    void addProfile()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QString, kbps);
        QFETCH(QSize, size);
        const QString name = "My $small 'profile'";
        const QString file = m_program.filePath("profile_en/avi/" + name + ".avo");
        QFile::remove(file);
        window().SelectFormat(ofAVI);
        auto* profiles = window().findChild<QComboBox*>("ComboBoxAviProfile");

        DialogSeam::ClearLog();
        QCOMPARE(addAviProfile(name, 4, "512", {352, 288}), QString("TfrmAVIProfile"));
        if (QTest::currentTestFailed()) return;
        QCOMPARE(DialogSeam::Log().size(), 2);  // the editor and the name, no question
        QCOMPARE(profiles->currentText(), name);
        const IniFile first(file);
        QCOMPARE(first.readString("General", "Description", ""), "Small DivX");
        QCOMPARE(first.readInteger("General", "VideoBitRatePresetDivX", 0), 512);
        QCOMPARE(first.readInteger("General", "VideoSizeUseSourceDivX", 1), 0);
        QCOMPARE(first.readInteger("General", "VideoWidthDivX", 0), 352);
        QCOMPARE(first.readInteger("General", "VideoHeightDivX", 0), 288);
        const QByteArray firstBytes = readFile(file);

        DialogSeam::ClearLog();
        addAviProfile(name, 5, "768", {320, 240}, answer);
        if (QTest::currentTestFailed()) return;
        const QStringList log = DialogSeam::Log();
        QCOMPARE(log.size(), 3);
        QCOMPARE(log.last(), Msg(MSG_OVERWRITE) + " | " +
                                 MsgFormat(MSG_FILE_EXISTS, file).replace("\r\n", "\n"));
        if (answer == QMessageBox::No) {
            QCOMPARE(readFile(file), firstBytes);
        } else {
            const IniFile second(file);
            QCOMPARE(second.readInteger("General", "VideoBitRatePresetDivX", 0), 768);
            QCOMPARE(second.readInteger("General", "VideoWidthDivX", 0), 320);
            QCOMPARE(second.readInteger("General", "VideoHeightDivX", 0), 240);
        }
        QCOMPARE(profiles->currentText(), name);
        QCOMPARE(window().Catalogue().Lists[ofAVI].Names.count(name), 1);

        // The command line finds the profile by its name and uses its values.
        const QString input = copyClip("use profile.avi");
        const QString output = m_work.filePath("profiled");
        QDir(output).removeRecursively();
        QDir().mkpath(output);
        QProcess cli;
        cli.start(
            m_program.filePath("clipforge-cli"),
            {"--format", "avi", "--profile", name, "--print-command", "--output", output, input});
        QVERIFY(cli.waitForFinished(60000));
        const QString command = QString::fromUtf8(cli.readAllStandardOutput());
        QVERIFY2(cli.exitCode() == 0, qPrintable(cli.readAllStandardError()));
        const QString sizeText = QString("%1x%2").arg(size.width()).arg(size.height());
        QVERIFY2(
            command.contains(" -b " + kbps + "k ") && command.contains(" -s " + sizeText + " "),
            qPrintable(command));

        // The window converts with it at once.
        addAndWait({input});
        window().findChild<QLineEdit*>("editOutputFileName")->setText(output);
        DialogSeam::ClearLog();
        window().Action("ActionConvert")->trigger();
        QCOMPARE(list()->State(0), rsConverted);
        // The end-of-batch box; no transfer hint after an AVI file.
        QCOMPARE(DialogSeam::Log(), QStringList{Msg(MSG_APPLICATION_TITLE) + " | " +
                                                MsgFormat(MSG_BATCH_RESULT, 1, 0)});
        const QStringList converted = QDir(output).entryList(QDir::Files);
        QCOMPARE(converted, QStringList({"use profile.avi"}));
        const Probe made = probe(QDir(output).filePath(converted.first()));
        QVERIFY(made.ok && !made.video.isEmpty());
        QCOMPARE(QSize(made.video.first().value("width").toInt(),
                       made.video.first().value("height").toInt()),
                 size);
    }

    // A language file that is gone gives way to English, profiles and all:
    // the window converts with the English profiles.
    void missingLanguageFileConvertsInEnglish()
    {
        writeFile(m_program.filePath("info.ini"), "[System]\nLanguageFile=klingon.ini\n");
        openWindow();
        QCOMPARE(GlobalVars.ProfileRootDir, m_program.filePath("profile_en") + "/");
        QVERIFY(!window().Catalogue().Lists[ofAVI].Names.isEmpty());
        const QString output = m_work.filePath("english");
        QDir().mkpath(output);
        addAndWait({copyClip("english.avi")});
        window().findChild<QLineEdit*>("editOutputFileName")->setText(output);
        window().SelectFormat(ofAVI);
        window().Action("ActionConvert")->trigger();
        QCOMPARE(list()->State(0), rsConverted);
        QCOMPARE(QDir(output).entryList(QDir::Files), QStringList{"english.avi"});
    }

    void trayExitStopsABatch()
    {
        const QString output = m_work.filePath("stopped");
        convertLongClip(output, [&] {
            auto* exit = window().findChild<QAction*>("TrayExit");
            Q_EMIT window().findChild<QMenu*>("PopupMenuTray")->aboutToShow();
            QCOMPARE(exit->text(), Msg(MSG_TRAY_MENU_STOPENCODING));
            DialogSeam::QueuePress(QMessageBox::Yes);
            exit->trigger();
        });
        QCOMPARE(list()->State(0), rsQueued);
        QVERIFY(!window().Front().ProgressOpen());
        QVERIFY(
            QDir(output).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }

    // A batch works through the rows it started with; files handed over
    // meanwhile are queued when it ends.
    void filesHandedOverDuringABatchWaitForIt()
    {
        const QString handed = copyClip("handed.avi");
        convertLongClip(m_work.filePath("held"), [&] {
            window().OpenFiles({handed});
            QCOMPARE(list()->topLevelItemCount(), 1);
            window().Driver()->StopNow();
        });
        QTRY_VERIFY_WITH_TIMEOUT(!window().Adding(), 20000);
        QCOMPARE(captions(), QStringList({"long.avi", "handed.avi"}));
    }

    void helpAndVersionNeedNoDisplay_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("answer");
        QTest::newRow("help") << "--help"
                              << "Usage: clipforge [FILE...]\n";
        QTest::newRow("short help") << "-h"
                                    << "Usage: clipforge [FILE...]\n";
        QTest::newRow("version") << "--version"
                                 << "clipforge " + BuildConstants::Version + "\n";
    }

    void helpAndVersionNeedNoDisplay()
    {
        QFETCH(QString, argument);
        QFETCH(QString, answer);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Opening a window here would end the program with an abort.
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(m_program.filePath("clipforge"), {argument});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(QString::fromUtf8(process.readAllStandardOutput()).startsWith(answer),
                 qPrintable(answer));
    }

    // clipforge FILE...: the files are queued; a later start hands its files
    // to this window and ends.
    void startWithFilesThenHandOver()
    {
        m_window.reset();
        GlobalVars = TGlobalVars();
        ResetMessageTable();
        copyClip("first.avi");
        const QString second = copyClip("second.avi");
        copyClip("-third.avi");
        const TConverterStart start =
            StartConverter({"first.avi", "file://" + second}, m_work.path());
        QVERIFY(start.window && start.error.isEmpty());
        const auto rows = [&] {
            QStringList names;
            for (int row = 0; row < start.window->List()->topLevelItemCount(); ++row)
                names << QFileInfo(start.window->List()->Caption(row)).fileName();
            return names;
        };
        QTRY_COMPARE_WITH_TIMEOUT(rows(), QStringList({"first.avi", "second.avi"}), 20000);

        QProcess later;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        later.setProcessEnvironment(environment);
        later.setProcessChannelMode(QProcess::MergedChannels);
        later.setWorkingDirectory(m_work.path());
        later.start(m_program.filePath("clipforge"), {"--", "-third.avi", "first.avi"});
        // It waits for this event loop to take the files.
        QTRY_COMPARE_WITH_TIMEOUT(later.state(), QProcess::NotRunning, 30000);
        QVERIFY2(later.exitStatus() == QProcess::NormalExit && later.exitCode() == 0,
                 later.readAll().constData());
        QTRY_COMPARE_WITH_TIMEOUT(rows(), QStringList({"first.avi", "second.avi", "-third.avi"}),
                                  20000);
        QVERIFY(start.window->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
