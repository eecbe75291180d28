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
// https address. Blank text does nothing.
void ShellOpen(const QString& target);

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
