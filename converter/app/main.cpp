#include "windows/Main.h"
#include "base/ProgramFolder.h"
#include "localisation/MessageTable.h"
#include "windows/ConverterStart.h"
#include "windows/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLocale>

using namespace Qt::StringLiterals;

// clipforge [FILE...]: queues the files, in the converter already running on
// this program folder if there is one.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"clipforge"_s);
    QApplication::setDesktopFileName(u"org.clipforge.Clipforge"_s);
    QApplication::setWindowIcon(QIcon(u":/clipforge/clipforge.svg"_s));
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
