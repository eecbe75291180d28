#include "windows/Main.h"
#include "base/BuildConstants.h"
#include "base/ProgramFolder.h"
#include "localisation/MessageTable.h"
#include "windows/ConverterStart.h"
#include "windows/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLocale>

#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr const char* Usage =
    "Usage: clipforge [FILE...]\n"
    "Starts the converter with the media files in its queue. When the converter\n"
    "is already running, the files join the queue of its window instead, which\n"
    "comes to the front. Names after -- are always files, as in\n"
    "clipforge -- --help.avi.\n"
    "\n"
    "  -h, --help  Shows this help.\n"
    "  --version   Shows the version.\n";

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before the window system is reached, so it works anywhere.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("clipforge %s\n", qPrintable(BuildConstants::Version));
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"clipforge"_s);
    QApplication::setDesktopFileName(u"org.clipforge.Clipforge"_s);
    QApplication::setWindowIcon(QIcon(u":/clipforge/clipforge.svg"_s));
    InstallSharpIcons();
    // Numbers are read and written with '.' whatever the user's locale.
    QLocale::setDefault(QLocale::c());
    // The window may wait in the tray with no window shown; only closing the
    // main window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    const ProgramFolderChoice folder = InitProgramFolder();
    if (!folder.error.isEmpty()) {
        ShowErrorBox(folder.error);
        return 1;
    }
    if (!folder.notice.isEmpty()) ShowMessageBox(folder.notice, u"clipforge"_s, mbIconWarning);

    const TConverterStart start = StartConverter(app.arguments().mid(1), QDir::currentPath());
    if (!start.error.isEmpty()) {
        ShowMessageBox(start.error, Msg(MSG_NO_DAT_FILE_TITLE), mbIconInformation);
        return 1;
    }
    if (!start.window) return 0;
    QObject::connect(start.window.get(), &TfrmMain::Closed, &app, &QApplication::quit);
    return QApplication::exec();
}
