#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

// Every modal dialog and file choice of the converter goes through here, so
// a test can answer it the way a user would, without a modal loop. In normal
// use nothing is queued and the real dialogs run.
class DialogSeam {
public:
    using Answer = std::function<void(QDialog&)>;

    // Test mode: dialogs take their answers from the queues below; a dialog
    // met with no answer left is rejected (and logged), so a test never hangs.
    static void Enable();
    // Back to real dialogs; the queues and the log are emptied.
    static void Disable();
    static bool Enabled();

    // The answer for the next dialog: it fills fields, clicks buttons, accepts.
    static void Queue(Answer answer);
    // Presses one button of the next message box.
    static void QueuePress(QMessageBox::StandardButton button);
    // The answer for the next file or folder choice; an empty list cancels it.
    static void QueueFiles(const QStringList& files);

    // "caption | text" of each dialog met in test mode, in order.
    static QStringList Log();
    static void ClearLog();

    // Used by ExecModal and the choosers.
    static void logDialog(const QDialog& dialog);
    static bool takeAnswer(Answer& answer);
    static bool takeFiles(QStringList& files);
};

// Runs a dialog modally and returns its result; in test mode the queued
// answer stands in for the user.
int ExecModal(QDialog& dialog);

// A filter written "Caption|*.a;*.b|Caption|*.c" as Qt's file dialogs take
// it: "Caption (*.a *.b);;Caption (*.c)".
QString QtFileFilter(const QString& pairs);

// The file-open dialog: several existing files, read-only option hidden.
QStringList ChooseOpenFiles(QWidget* owner, const QString& caption, const QString& folder,
                            const QString& filter);

// The save dialog: asks before overwriting, adds defaultSuffix to a name
// without one. Empty when cancelled.
QString ChooseSaveFile(QWidget* owner, const QString& caption, const QString& suggested,
                       const QString& filter, const QString& defaultSuffix);
