#include "windows/WindowFunctions.h"

#include "windows/DialogSeam.h"
#include "windows/MessageBoxes.h"

#include "base/IniFile.h"
#include "localisation/MessageTable.h"
#include "localisation/Placement.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
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

bool ShellOpen(const QString& target)
{
    const QString text = target.trimmed();
    if (text.isEmpty()) return false;
    const WaitCursorScope wait;
    const QUrl url = ShellUrl(text);
    if (!url.isLocalFile() && !DesktopHandlesScheme(url.scheme())) return false;
    return QDesktopServices::openUrl(url);
}

bool DesktopHandlesScheme(const QString& scheme)
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty()) return true;
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("x-scheme-handler/") + scheme.toLower()});
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
        return true;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
           !process.readAllStandardOutput().trimmed().isEmpty();
}

void OpenWebPage(const QString& address)
{
    if (!ShellOpen(address))
        ShowMessageBox(MsgFormat(MSG_NO_BROWSER, address), Msg(MSG_APPLICATION_TITLE),
                       mbIconInformation);
}

void WriteMailTo(const QString& address)
{
    if (!ShellOpen(QStringLiteral("mailto:") + address))
        ShowMessageBox(MsgFormat(MSG_NO_MAIL_CLIENT, address), Msg(MSG_APPLICATION_TITLE),
                       mbIconInformation);
}

void OpenLink(const QString& target)
{
    static const QString mail = QStringLiteral("mailto:");
    if (target.startsWith(mail, Qt::CaseInsensitive))
        WriteMailTo(target.mid(mail.size()));
    else
        OpenWebPage(target);
}

namespace {

// The screen a window belongs to: its owner's, else the one under its middle.
const QScreen* HomeScreen(const QWidget* window)
{
    if (const QWidget* owner = window->parentWidget())
        if (const QScreen* screen = owner->window()->screen()) return screen;
    if (const QScreen* screen = QGuiApplication::screenAt(window->geometry().center()))
        return screen;
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

class ScreenKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow()) return false;
        // Menus and tips place themselves beside what they belong to.
        const Qt::WindowType type = window->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen) return false;
        KeepWindowOnScreen(window);
        return false;
    }
};

}  // namespace

void KeepWindowOnScreen(QWidget* window)
{
    const QScreen* screen = HomeScreen(window);
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    // The frame's share, known once the window has been shown.
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                           frame.right() - inner.right(), frame.bottom() - inner.bottom());
    if (area.contains(frame)) return;
    const QRect fitted = ClampToScreen(frame, area);
    const QSize size = (fitted - margins).size().expandedTo(window->minimumSize());
    if (size != inner.size()) window->resize(size.boundedTo(window->maximumSize()));
    window->move(fitted.topLeft());
}

void InstallScreenKeeper()
{
    static QPointer<ScreenKeeper> keeper;
    if (keeper || !qApp) return;
    keeper = new ScreenKeeper(qApp);
    qApp->installEventFilter(keeper);
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
