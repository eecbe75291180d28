#include "windows/WindowFunctions.h"

#include "windows/DialogSeam.h"

#include "base/IniFile.h"
#include "localisation/MessageTable.h"
#include "localisation/Placement.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>
#include <QWidget>

namespace {

// Begins not yet ended; the cursor is only touched from the GUI thread.
int waitDepth = 0;

QUrl ShellUrl(const QString& text)
{
    if (QDir::isAbsolutePath(text)) return QUrl::fromLocalFile(text);
    // No dot before the colon: "www.host.example:8080" is no scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+-]*:"));
    if (scheme.match(text).hasMatch()) return QUrl(text);
    if (text.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("https://") + text);
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(text));
}

// The bounds the window has when not maximized.
QRect NormalBounds(const QWidget* window)
{
    if (window->isMaximized() || window->isFullScreen()) {
        const QRect normal = window->normalGeometry();
        if (normal.isValid()) return normal;
    }
    return window->geometry();
}

}  // namespace

void WaitCursor::begin()
{
    if (waitDepth++ == 0) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void WaitCursor::end()
{
    if (waitDepth == 0) return;
    if (--waitDepth == 0) QGuiApplication::restoreOverrideCursor();
}

void ShellOpen(const QString& target)
{
    const QString text = target.trimmed();
    if (text.isEmpty()) return;
    const WaitCursorScope wait;
    QDesktopServices::openUrl(ShellUrl(text));
}

bool BrowseForFolder(QWidget* owner, QString& path, const QString& title)
{
    QString chosen;
    if (DialogSeam::Enabled()) {
        QStringList answer;
        DialogSeam::takeFiles(answer);
        chosen = answer.value(0);
    } else {
        chosen = QFileDialog::getExistingDirectory(owner, title, path);
    }
    if (chosen.isEmpty()) return false;
    path = chosen;
    return true;
}

void RestoreWindowPlacement(const QString& settingsPath, const QString& section, QWidget* window)
{
    const IniFile file(settingsPath);
    WindowPlacement placement = ReadWindowPlacement(file, section, NormalBounds(window));
    const QScreen* screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) placement.bounds = ClampToScreen(placement.bounds, screen->availableGeometry());

    // Back to normal first, so the bounds become the normal ones a later
    // maximize keeps.
    window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
    window->setGeometry(placement.bounds);
    if (placement.maximized) window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void SaveWindowPlacement(const QString& settingsPath, const QString& section, QWidget* window)
{
    IniFile file(settingsPath);
    WriteWindowPlacement(file, section, {NormalBounds(window), window->isMaximized()});
}

QHBoxLayout* OkCancelButtons(QDialog* dialog)
{
    auto* ok = new QPushButton(Msg(MSG_OK), dialog);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(Msg(MSG_CANCEL), dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : {ok, cancel}) {
        button->setMinimumWidth(75);
        row->addWidget(button);
    }
    return row;
}

void ShowListPosition(QComboBox* list, int position)
{
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

void RefillList(QComboBox* list, const QStringList& texts)
{
    const QSignalBlocker quiet(list);
    const int chosen = list->currentIndex();
    list->clear();
    list->addItems(texts);
    list->setCurrentIndex(chosen);
}
