#include "TestFiles.h"

#include "base/BuildConstants.h"
#include "base/ProgramFolder.h"
#include "localisation/MessageTable.h"
#include "localisation/ShutdownActions.h"
#include "windows/DialogSeam.h"
#include "windows/FactsPanel.h"
#include "windows/FileInfo.h"
#include "windows/FileListView.h"
#include "windows/HelpViewer.h"
#include "windows/Main.h"
#include "windows/MessageBoxes.h"
#include "windows/SkinLook.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Stands in for the desktop's browser and mail program.
class OpenRecorder : public QObject {
    Q_OBJECT

public:
    QStringList opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened << url.toString(); }
};

// The main window and the windows it opens as a user of this desktop meets
// them: on a 1600x1000 screen at scale 2 (the main() below), in each
// language, on a fresh account.
class TestMainWindowDesktop : public QObject {
    Q_OBJECT

    QTemporaryDir m_program;
    QTemporaryDir m_work;
    std::unique_ptr<TfrmMain> m_window;
    OpenRecorder m_recorder;

    TfrmMain& window() { return *m_window; }
    QString videosFolder() const { return m_work.filePath("home/Filme"); }
    QRect screenArea() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    void openWindow(const QByteArray& settings = {})
    {
        m_window.reset();
        QFile::remove(m_program.filePath("info.ini"));
        if (!settings.isEmpty()) writeFile(m_program.filePath("info.ini"), "[System]\n" + settings);
        GlobalVars = TGlobalVars();
        ResetMessageTable();
        m_window = std::make_unique<TfrmMain>(GlobalVars);
        QVERIFY2(m_window->StartupError().isEmpty(), qPrintable(m_window->StartupError()));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // What xdg-mime answers for the desktop's default handlers.
    void setHandlers(bool browser, bool mail)
    {
        QByteArray script = "#!/bin/sh\ncase \"$3\" in\n";
        if (browser) script += "x-scheme-handler/https) echo browser.desktop ;;\n";
        if (mail) script += "x-scheme-handler/mailto) echo mail.desktop ;;\n";
        script += "esac\nexit 0\n";
        const QString tool = m_work.filePath("bin/xdg-mime");
        writeFile(tool, script);
        QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
    }

    void verifyOnScreen(const QWidget& shown)
    {
        QVERIFY2(screenArea().contains(shown.frameGeometry()),
                 qPrintable(QString("%1 at %2,%3 %4x%5")
                                .arg(shown.objectName())
                                .arg(shown.frameGeometry().x())
                                .arg(shown.frameGeometry().y())
                                .arg(shown.frameGeometry().width())
                                .arg(shown.frameGeometry().height())));
    }

    // Every caption drawn whole, every label uncut and clear of the controls
    // beside it, all inside the window. Returns what is wrong.
    static QStringList textsCut(QWidget& form)
    {
        QStringList wrong;
        const QList<QWidget*> widgets = form.findChildren<QWidget*>();
        auto shownIn = [&](QWidget* w) { return w->isVisibleTo(&form); };
        for (QWidget* w : widgets) {
            if (!shownIn(w)) continue;
            const QString name = w->objectName();
            if (auto* button = qobject_cast<TSkinButton*>(w)) {
                if (!button->CaptionFits())
                    wrong << name + " cuts \"" + button->text().trimmed() + '"';
            } else if (auto* label = qobject_cast<QLabel*>(w)) {
                if (label->text().isEmpty()) continue;
                const bool whole = label->wordWrap()
                                       ? label->height() >= label->heightForWidth(label->width())
                                       : label->width() >= label->sizeHint().width();
                if (!whole) wrong << name + " cuts \"" + label->text() + '"';
                // Nothing of the same parent lies over it.
                for (QWidget* other : widgets)
                    if (other != w && other->parentWidget() == w->parentWidget() &&
                        shownIn(other) && !qobject_cast<TSkinImage*>(other) &&
                        other->geometry().intersects(w->geometry()))
                        wrong << name + " runs into " + other->objectName();
            }
            if (w->parentWidget() == &form && !form.rect().contains(w->geometry()))
                wrong << name + " lies outside the window";
        }
        return wrong;
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char* entry : {"avcore.dll", "skin", "profile_en", "cores"})
            QCOMPARE(QProcess::execute("cp", {"-a", "--", QString(CLIPFORGE_APP_DIR "/") + entry,
                                              m_program.path()}),
                     0);
        SetProgramFolder(m_program.path() + "/");
        // A fresh account: its videos folder is named but not made yet, and
        // the desktop is asked through a stand-in for its handlers.
        writeFile(m_work.filePath("config/user-dirs.dirs"),
                  "XDG_VIDEOS_DIR=\"" + videosFolder().toUtf8() + "\"\n");
        qputenv("XDG_CONFIG_HOME", m_work.filePath("config").toUtf8());
        qputenv("PATH", m_work.filePath("bin").toUtf8() + ':' + qgetenv("PATH"));
        setHandlers(true, true);
        QDesktopServices::setUrlHandler("https", &m_recorder, "open");
        QDesktopServices::setUrlHandler("mailto", &m_recorder, "open");
        QCOMPARE(screenArea().size(), QSize(800, 500));
    }

    void init()
    {
        DialogSeam::Disable();
        DialogSeam::Enable();
        m_recorder.opened.clear();
        openWindow();
    }

    void cleanup()
    {
        if (THelpViewer* help = THelpViewer::Instance()) delete help;
        m_window.reset();
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
    }

    // The first output folder is the videos folder, made without a question.
    void firstStartWritesToTheVideosFolder()
    {
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation), videosFolder());
        QCOMPARE(window().findChild<QLineEdit*>("editOutputFileName")->text(), videosFolder());
        QVERIFY(QFileInfo(videosFolder()).isDir());
        QVERIFY(DialogSeam::Log().isEmpty());
    }

    // The empty queue says what to do, in each language, and only while empty.
    void emptyListSaysWhatToDo_data()
    {
        QTest::addColumn<QString>("language");
        for (const char* language : {"english.ini", "french.ini", "deutsch.ini", "italian.ini"})
            QTest::newRow(language) << QString(language);
    }

    void emptyListSaysWhatToDo()
    {
        QFETCH(QString, language);
        openWindow("LanguageFile=" + language.toUtf8() + '\n');
        TFileListView* list = window().List();
        QCOMPARE(list->EmptyHint(), Msg(MSG_DROP_HINT));
        if (language == "english.ini")
            QCOMPARE(list->EmptyHint(), QString("Drop video files here, or click Browse"));
        else
            QVERIFY(list->EmptyHint() != MsgDefault(MSG_DROP_HINT));
        auto drawn = [&](const QString& hint) {
            list->SetEmptyHint(hint);
            return list->viewport()->grab().toImage();
        };
        QVERIFY(drawn(Msg(MSG_DROP_HINT)) != drawn(QString()));
        TFileItem facts;
        facts.FilePath = m_work.path() + '/';
        facts.FileName = "clip.avi";
        list->AppendRows({facts});
        QCOMPARE(drawn(Msg(MSG_DROP_HINT)), drawn(QString()));
    }

    // The sibling programs' commands show only where the program is.
    void siblingCommandsNeedTheirProgram_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("button");  // on the toolbar, if any
        QTest::addColumn<bool>("present");
        QTest::newRow("Burn DVD missing") << "ActionBurnDVD"
                                          << "discreel"
                                          << "ToolbarButton11" << false;
        QTest::newRow("Burn DVD there") << "ActionBurnDVD"
                                        << "discreel"
                                        << "ToolbarButton11" << true;
        QTest::newRow("Capture missing") << "ActionCapture"
                                         << "snapreel"
                                         << "" << false;
        QTest::newRow("Capture there") << "ActionCapture"
                                       << "snapreel"
                                       << "" << true;
    }

    void siblingCommandsNeedTheirProgram()
    {
        QFETCH(QString, action);
        QFETCH(QString, program);
        QFETCH(QString, button);
        QFETCH(bool, present);
        const QString path = m_program.filePath(program);
        const QString marker = m_work.filePath(program + "-ran");
        QFile::remove(marker);
        if (present) {
            writeFile(path, "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        }
        openWindow("ShowAllFormats=1\n");
        QAction* command = window().Action(action);
        QCOMPARE(command->isVisible(), present);
        if (!button.isEmpty()) {
            auto* shown = window().findChild<TSkinButton*>(button);
            QCOMPARE(shown->isVisible(), present);
            // The toolbar closes up: the next button takes the hidden one's place.
            if (!present)
                QCOMPARE(window().findChild<TSkinButton*>("ToolbarButton12")->x(), shown->x());
        }
        if (present) {
            command->trigger();
            QTRY_VERIFY(QFileInfo::exists(marker));
            QFile::remove(path);
        }
    }

    // Without a browser or a mail program the commands say so instead of
    // doing nothing; with one, the address goes to it.
    void linksWithoutAHandlerSaySo_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("message");
        QTest::newRow("no browser")
            << "ActionOnlineResources" << false << "" << int(MSG_NO_BROWSER);
        QTest::newRow("browser") << "ActionOnlineResources" << true << "https://www.corvane.example"
                                 << int(MSG_NO_BROWSER);
        QTest::newRow("no mail program")
            << "ActionContactTechnicalSupport" << false << "" << int(MSG_NO_MAIL_CLIENT);
        QTest::newRow("mail program")
            << "ActionContactTechnicalSupport" << true << "mailto:support@corvane.example"
            << int(MSG_NO_MAIL_CLIENT);
    }

    void linksWithoutAHandlerSaySo()
    {
        QFETCH(QString, action);
        QFETCH(bool, handled);
        QFETCH(QString, opened);
        QFETCH(int, message);
        setHandlers(handled, handled);
        DialogSeam::ClearLog();
        window().Action(action)->trigger();
        setHandlers(true, true);
        if (handled) {
            QCOMPARE(m_recorder.opened, QStringList{opened});
            QVERIFY(DialogSeam::Log().isEmpty());
            return;
        }
        QVERIFY(m_recorder.opened.isEmpty());
        const QString address =
            message == MSG_NO_BROWSER ? Msg(MSG_HOMEPAGE) : Msg(MSG_SUPPORT_MAIL);
        QCOMPARE(DialogSeam::Log(), QStringList{Msg(MSG_APPLICATION_TITLE) + " | " +
                                                MsgFormat(MsgKey(message), address)});
    }

    // F1 and the menu bring a minimised help window back.
    void helpComesBackAfterMinimising()
    {
        QAction* help = window().Action("ActionHelpContent");
        help->trigger();
        THelpViewer* viewer = THelpViewer::Instance();
        QVERIFY(viewer && viewer->isVisible());
        viewer->showMinimized();
        QTRY_VERIFY(viewer->isMinimized());
        help->trigger();
        QCOMPARE(THelpViewer::Instance(), viewer);
        QVERIFY(!viewer->isMinimized());
        QVERIFY(viewer->isVisible());
    }

    // At scale 2 the skin is taller than the screen: the facts panel gives
    // way and scrolls, the rest of the window stays whole and reachable.
    void mainWindowFitsTheScreen()
    {
        verifyOnScreen(window());
        // The facts show once the queue holds a file.
        TFileItem clip;
        clip.FilePath = m_work.path() + '/';
        clip.FileName = "A holiday by the sea, far too long a name for the facts panel.avi";
        clip.CompleteName = clip.FilePath + clip.FileName;
        window().List()->AppendRows({clip});
        window().List()->SelectRow(0);
        auto* facts = window().findChild<TFactsPanel*>("ScrollBox");
        QTRY_VERIFY(facts->isVisible());
        // A name too long for its box loses its middle, not its end, and its
        // tool tip holds it whole.
        QLineEdit* name = facts->EditBox(1);
        QCOMPARE(name->toolTip(), clip.CompleteName);
        QVERIFY2(name->text().contains(QChar(0x2026)) && name->text().endsWith(".avi"),
                 qPrintable(name->text()));
        QVERIFY(name->fontMetrics().horizontalAdvance(name->text()) < name->width());
        QVERIFY(facts->height() < facts->ContentHeight());
        auto* scroll = facts->findChild<QScrollArea*>();
        QTRY_VERIFY(scroll->verticalScrollBar()->maximum() > 0);
        QVERIFY(window().rect().contains(facts->geometry()));
        // The last fact can be scrolled into view.
        QLineEdit* last = facts->EditBox(16);
        scroll->ensureWidgetVisible(last);
        const QRect shown(last->mapTo(scroll->viewport(), QPoint()), last->size());
        QVERIFY2(scroll->viewport()->rect().contains(shown),
                 qPrintable(QString("box at %1..%2, view %3 high, sheet %4 high")
                                .arg(shown.top())
                                .arg(shown.bottom())
                                .arg(scroll->viewport()->height())
                                .arg(scroll->widget()->height())));
        for (const char* control : {"MainButton9", "SystemButton3", "ToolbarButton1"}) {
            auto* button = window().findChild<TSkinButton*>(control);
            QVERIFY(window().rect().contains(button->geometry()));
        }
    }

    // Every window the converter opens lies whole on the screen, also when
    // the main window sits in a corner.
    void windowsOpenOnTheScreen_data()
    {
        QTest::addColumn<QString>("which");
        for (const char* which : {"help", "settings", "about", "profile editor", "countdown",
                                  "message box", "file information"})
            QTest::newRow(which) << QString(which);
    }

    void windowsOpenOnTheScreen()
    {
        QFETCH(QString, which);
        window().move(screenArea().bottomRight() - window().rect().bottomRight());
        if (which == "help") {
            window().Action("ActionHelpContent")->trigger();
            QVERIFY(QTest::qWaitForWindowExposed(THelpViewer::Instance()));
            verifyOnScreen(*THelpViewer::Instance());
            return;
        }
        if (which == "file information") {
            TfrmFileInfo info(&window());
            info.show();
            QVERIFY(QTest::qWaitForWindowExposed(&info));
            verifyOnScreen(info);
            return;
        }
        bool met = false;
        DialogSeam::Queue([&](QDialog& dialog) {
            met = true;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            verifyOnScreen(dialog);
            dialog.reject();
        });
        if (which == "settings")
            window().Action("ActionSettings")->trigger();
        else if (which == "about")
            window().Action("ActionAbout")->trigger();
        else if (which == "profile editor")
            window().EditSettings(ofMP4);
        else if (which == "countdown")
            window().Front().RunShutdownCountdown();
        else
            ShowMessageBox(Msg(MSG_SURE_TO_CREATEDIR), Msg(MSG_CREATEDIR),
                           mbYesNo | mbIconQuestion);
        QVERIFY(met);
    }

    // The countdown the batch opens names the action chosen in the settings.
    void countdownNamesTheChosenAction_data()
    {
        QTest::addColumn<int>("action");
        for (int action = 0; action < ShutdownActionCount; ++action)
            QTest::addRow("%d", action) << action;
    }

    void countdownNamesTheChosenAction()
    {
        QFETCH(int, action);
        GlobalVars.ShutdownFlag = quint8(action);
        QString detail;
        DialogSeam::Queue([&](QDialog& dialog) {
            detail = dialog.findChild<QLabel*>("LabelShutdownDescription")->text();
            dialog.reject();
        });
        QCOMPARE(window().Front().RunShutdownCountdown(), int(mrCancel));
        QCOMPARE(DialogSeam::Log().value(0).section(" | ", 0, 0), ShutdownActionCaption(action));
        QVERIFY2(detail.contains('"' + ShutdownActionCaption(action) + '"'), qPrintable(detail));
    }

    // Message icons are drawn for the screen's scale, not a small bitmap
    // blown up.
    void messageIconsAreSharp_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("picture");
        QTest::newRow("warning") << int(mbIconWarning) << "box-warning";
        QTest::newRow("error") << int(mbIconError) << "box-error";
        QTest::newRow("information") << int(mbIconInformation) << "box-information";
        QTest::newRow("question") << int(mbIconQuestion) << "box-question";
    }

    void messageIconsAreSharp()
    {
        QFETCH(int, flags);
        QFETCH(QString, picture);
        QImage shown;
        DialogSeam::Queue([&](QDialog& dialog) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            shown = dialog.findChild<QLabel*>("qt_msgboxex_icon_label")->pixmap().toImage();
            dialog.reject();
        });
        ShowMessageBox("text", "caption", mbOK | flags);
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        const QSize logical = shown.size() / 2;
        QImage expected = QIcon(":/skinlook/" + picture + ".svg").pixmap(logical, 2.0).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
                 expected.convertToFormat(QImage::Format_ARGB32));
    }

    // Every language's texts fit the window, with the toolbar of every
    // format shown or the format list in its place.
    void textsFit_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("allFormats");
        for (const char* language : {"english.ini", "french.ini", "deutsch.ini", "italian.ini"})
            for (bool all : {false, true})
                QTest::addRow("%s%s", language, all ? " all formats" : "")
                    << QString(language) << all;
    }

    void textsFit()
    {
        QFETCH(QString, language);
        QFETCH(bool, allFormats);
        openWindow("LanguageFile=" + language.toUtf8() +
                   "\nShowAllFormats=" + (allFormats ? "1" : "0") + '\n');
        // The selected format button draws its mark; its caption must
        // still fit.
        window().SelectFormat(ofMP4);
        QTest::qWait(0);
        const QStringList wrong = textsCut(window());
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
    }
};

// The screen of a laptop at double scale: 1600x1000 pixels, 800x500 for the
// windows.
int main(int argc, char* argv[])
{
    QTemporaryDir config;
    const QString screens = config.filePath("screens.json");
    writeFile(screens, R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1600,
                           "height": 1000, "logicalDpi": 96, "logicalBaseDpi": 96}]})");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toUtf8());
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestMainWindowDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MainWindowDesktop.moc"
