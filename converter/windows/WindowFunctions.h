#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QComboBox;
class QDialog;
class QHBoxLayout;
class QWidget;

// Opens a document, folder or web address with the desktop's handler for it.
// Paths open as files, "scheme:..." as it stands, and "www.<host>..." as an
// https address. Blank text does nothing. False when nothing could take it:
// no handler for the address's scheme (no browser, no mail program) or the
// desktop refused it.
bool ShellOpen(const QString& target);

// Whether the desktop names a program for addresses of a scheme ("https",
// "mailto"), as xdg-mime answers; where it cannot be asked, the desktop is
// trusted to have one.
bool DesktopHandlesScheme(const QString& scheme);

// Opens a web page, or says that no browser can show it.
void OpenWebPage(const QString& address);
// Starts a mail to the address, or says that no mail program can write it
// and names the address.
void WriteMailTo(const QString& address);
// A "mailto:" address as WriteMailTo, any other as OpenWebPage.
void OpenLink(const QString& target);

// Keeps every window the program opens whole on the screen it belongs to
// (its owner's, else the one it opens on): larger ones shrink to the
// screen's free area, those hanging over an edge move in. Once per program.
void InstallScreenKeeper();
// Does it for one window now.
void KeepWindowOnScreen(QWidget* window);

// Lets the user pick a folder, starting at path; true and path replaced when
// one was picked.
bool BrowseForFolder(QWidget* owner, QString& path, const QString& title);

// The busy cursor over the whole program for the length of a slow step.
// Calls nest: the first begin shows it, the matching last end removes it, and
// an end without a begin does nothing.
class WaitCursor {
public:
    static void begin();
    static void end();
};

// The busy cursor for the life of a scope.
class WaitCursorScope {
public:
    WaitCursorScope() { WaitCursor::begin(); }
    ~WaitCursorScope() { WaitCursor::end(); }
    Q_DISABLE_COPY_MOVE(WaitCursorScope)
};

// Puts the window where the section of the settings file says, kept on its
// screen, maximized or not as saved; the current bounds stand in for missing
// values. A hidden window stays hidden.
void RestoreWindowPlacement(const QString& settingsPath, const QString& section, QWidget* window);

// Saves the window's normal bounds and whether it is maximized. Throws
// IniWriteError when the write is refused.
void SaveWindowPlacement(const QString& settingsPath, const QString& section, QWidget* window);

// The row of a small dialog's OK (the default) and Cancel buttons, named
// btnOK and btnCancel and wired to accept and reject.
QHBoxLayout* OkCancelButtons(QDialog* dialog);

// Shows a list position; one the list cannot show selects nothing.
void ShowListPosition(QComboBox* list, int position);

// Replaces a list's entries, keeping the chosen position and sending no
// change signals, as a language switch wants.
void RefillList(QComboBox* list, const QStringList& texts);
