// Not a test: scripts/screenshots runs it to picture the converter's windows
// for the docs, on a private copy of the built program folder and real clips.
//   clipforge_screenshot OUTPUT_FOLDER LANGUAGE_FILE CLIP...
// With CLIPFORGE_SCREEN_PICTURE set it adds empty-<lang>.png, the window
// before any file is queued, and screen-<lang>.png: the whole screen, the
// help open over the window, to see where the windows land.
// writes main-<lang>.png, progress-<lang>.png, fileinfo-<lang>.png,
// settings-<lang>.png, allformats-<lang>.png and, for the AVI, MP4, 3GP and
// MPEG profile editors, editor-<format>-<page>-<lang>.png of the General and
// Video pages.

#include "MediaTools.h"

#include "base/ProgramFolder.h"
#include "engine/BatchDriver.h"
#include "localisation/MessageTable.h"
#include "profiles/ProfileRecords.h"
#include "windows/DialogSeam.h"
#include "windows/FileInfo.h"
#include "windows/FileListView.h"
#include "windows/HelpViewer.h"
#include "windows/Main.h"
#include "windows/ProfileEditors.h"
#include "windows/Progress.h"
#include "windows/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

bool save(QWidget& widget, const QString& path)
{
    widget.show();
    QTest::qWait(300);
    const bool ok = widget.grab().save(path);
    std::printf("%s %s\n", ok ? "Wrote" : "Could not write", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: clipforge_screenshot OUTPUT LANGUAGE_FILE CLIP...\n");
        return 2;
    }
    const QString output = args[1];
    const QString language = args[2];
    const QString tag = QFileInfo(language).baseName().toLower();
    const QStringList clips = args.mid(3);

    QTemporaryDir program;
    for (const char* entry :
         {"avcore.dll", "skin", "profile_en", "profile_fr", "profile_de", "profile_it", "cores"})
        QProcess::execute("cp",
                          {"-a", "--", QString(CLIPFORGE_APP_DIR "/") + entry, program.path()});
    QFile settings(program.filePath("info.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write(("[System]\nLanguageFile=" + language +
                    "\nLastOutputOpenDir=" + QFileInfo(clips.first()).absolutePath() + "/PSP\n")
                       .toUtf8());
    settings.close();
    SetProgramFolder(program.path() + "/");
    DialogSeam::Enable();

    TfrmMain window(GlobalVars);
    if (!window.StartupError().isEmpty()) return 1;
    window.move(0, 0);
    window.show();
    if (qEnvironmentVariableIsSet("CLIPFORGE_SCREEN_PICTURE"))
        save(window, output + "/empty-" + tag + ".png");
    window.AddFiles(clips);
    QDeadlineTimer deadline(60000);
    while (window.Adding() && !deadline.hasExpired())
        QTest::qWait(50);
    window.List()->SelectRow(0);
    bool ok = save(window, output + "/main-" + tag + ".png");

    if (qEnvironmentVariableIsSet("CLIPFORGE_SCREEN_PICTURE")) {
        window.findChild<QAction*>("ActionHelpContent")->trigger();
        QTest::qWait(500);
        const QString screen = output + "/screen-" + tag + ".png";
        const bool grabbed = QGuiApplication::primaryScreen()->grabWindow(0).save(screen);
        std::printf("%s %s\n", grabbed ? "Wrote" : "Could not write", qPrintable(screen));
        ok = grabbed && ok;
        if (THelpViewer* help = THelpViewer::Instance()) help->close();
    }

    // The progress window in the middle of converting the first clip.
    QTemporaryDir converted;
    auto* outputBox = window.findChild<QLineEdit*>("editOutputFileName");
    const QString shownOutput = outputBox->text();
    outputBox->setText(converted.path());
    QTimer::singleShot(4000, &window, [&] {
        if (TfrmProgress* progress = window.Progress()) {
            ok = save(*progress, output + "/progress-" + tag + ".png") && ok;
        } else {
            ok = false;
        }
        window.Driver()->StopNow();
    });
    window.List()->clearSelection();
    window.findChild<QAction*>("ActionConvert")->trigger();
    outputBox->setText(shownOutput);

    TfrmFileInfo info(&window);
    info.setWindowTitle(MsgFormat(MSG_FILE_INFO, QFileInfo(clips.first()).fileName()));
    info.LoadReport(clips.first());
    info.resize(560, 420);
    ok = save(info, output + "/fileinfo-" + tag + ".png") && ok;
    info.hide();

    TfrmSettings dialog(GlobalVars, &window);
    ok = save(dialog, output + "/settings-" + tag + ".png") && ok;
    dialog.hide();

    // Every format on the window.
    DialogSeam::Queue([](QDialog& shown) {
        if (auto* check = shown.findChild<QCheckBox*>("CheckBoxShowAllFormats"))
            check->setChecked(true);
        shown.accept();
    });
    window.findChild<QAction*>("ActionSettings")->trigger();
    window.List()->SelectRow(0);
    ok = save(window, output + "/allformats-" + tag + ".png") && ok;

    // The editors as Add opens them, on the defaults.
    const std::pair<int, const char*> editors[] = {
        {ofAVI, "avi"}, {ofMP4, "mp4"}, {of3GP, "3gp"}, {ofMPEG, "mpeg"}};
    for (const auto& [format, name] : editors) {
        ResetProfileSettings(format);
        std::unique_ptr<TProfileEditor> editor = CreateProfileEditor(format, &window);
        editor->LoadFromSettings();
        editor->show();
        auto* pages = editor->findChild<QTabWidget*>("PageControlOptions");
        for (const char* page : {"General", "Video"}) {
            pages->setCurrentWidget(editor->findChild<QWidget*>(QString("TabSheet") + page));
            ok = save(*editor, output + "/editor-" + name + "-" + QString(page).toLower() + "-" +
                                   tag + ".png") &&
                 ok;
        }
    }
    return ok ? 0 : 1;
}
