#include "windows/Main.h"
#include "base/ProgramFolder.h"
#include "localisation/MessageTable.h"
#include "windows/MessageBoxes.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"clipforge"_s);
    QApplication::setDesktopFileName(u"clipforge"_s);
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
    TfrmMain window(GlobalVars);
    if (!window.StartupError().isEmpty()) {
        ShowMessageBox(window.StartupError(), Msg(MSG_NO_DAT_FILE_TITLE), mbIconInformation);
        return 1;
    }
    QObject::connect(&window, &TfrmMain::Closed, &app, &QApplication::quit);
    window.show();
    return QApplication::exec();
}
