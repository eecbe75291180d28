#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

// Buttons of a localised dialog, as bits of a set. Their order here is the
// order in which a caption list is laid onto the buttons present.
enum TDialogButton : int {
    dbYes = 0x001,
    dbNo = 0x002,
    dbOK = 0x004,
    dbCancel = 0x008,
    dbAbort = 0x010,
    dbRetry = 0x020,
    dbIgnore = 0x040,
    dbAll = 0x080,
    dbNoToAll = 0x100,
    dbYesToAll = 0x200,
    dbHelp = 0x400,
};

enum class TDialogType { Warning, Error, Information, Confirmation, Custom };

// What a message box reports: the pressed button, or drCancel when it was
// closed without one.
enum TDialogResult : int {
    drNone = 0,
    drOK = 1,
    drCancel = 2,
    drAbort = 3,
    drRetry = 4,
    drIgnore = 5,
    drYes = 6,
    drNo = 7,
    drAll = 8,
    drNoToAll = 9,
    drYesToAll = 10,
};

// Flags of ShowMessageBox: one button set plus one icon.
enum TMessageBoxFlag : int {
    mbOK = 0,
    mbOKCancel = 1,
    mbAbortRetryIgnore = 2,
    mbYesNoCancel = 3,
    mbYesNo = 4,
    mbRetryCancel = 5,
    mbIconError = 16,
    mbIconQuestion = 32,
    mbIconWarning = 48,
    mbIconInformation = 64,
};

// A modal message box owned by the active window, whose buttons carry the
// given captions: entry i goes on the i-th button present in the order of
// TDialogButton, an empty entry keeps the button's own caption. Buttons are
// at least 70 dialog units wide, 110 when the language file is French.
// Returns the pressed button's TDialogResult.
int ShowLocalizedDialog(const QString& text, const QString& caption, TDialogType type,
                        const QStringList& captions, int buttons);

// A modal message box owned by the active window; flags hold one button set
// and one icon of TMessageBoxFlag. OK, Cancel, Yes and No speak the current
// language. Returns the pressed button's TDialogResult.
int ShowMessageBox(const QString& text, const QString& caption, int flags);

// The program's error box: the text under the caption "Error", with OK.
void ShowErrorBox(const QString& text);

// The message box button that stands for a dialog button, so that a test can
// press it through DialogSeam::QueuePress.
QMessageBox::StandardButton StandardButtonOf(TDialogButton button);

// The least width of a localised dialog's buttons, in dialog units.
int LocalizedButtonUnits();

// Gives every message box, and every window showing a message icon, icons
// drawn sharp at the screen's scale. Once per program, before its windows.
void InstallSharpIcons();
