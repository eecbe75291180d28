#include "windows/HelpViewer.h"

#include "windows/MessageBoxes.h"
#include "windows/WindowFunctions.h"

#include "base/BuildConstants.h"
#include "base/FileFunctions.h"
#include "base/ProgramFolder.h"
#include "base/globals.h"
#include "localisation/MessageTable.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPointer>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QPointer<THelpViewer> viewer;

QString HelpFolder(const QString& programFolder, const QString& language)
{
    return AddTrailingBackslash(programFolder) + BuildConstants::HelpFolder + u'/' + language;
}

// The page file in a folder, found without regard to case.
QString FindPage(const QString& folder, const QString& page)
{
    const QString found = FindFileNoCase(folder, page);
    if (found.isEmpty()) return {};
    const QString path = folder + u'/' + found;
    return QFileInfo(path).isFile() ? path : QString();
}

QToolButton* NavigationButton(const QString& name, QStyle::StandardPixmap icon,
                              QKeySequence::StandardKey key, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setShortcut(QKeySequence(key));
    button->setAutoRaise(true);
    button->setEnabled(false);
    return button;
}

}  // namespace

QString HelpLanguage(const QString& languageFile)
{
    const QString file = languageFile.toLower();
    if (file == u"french.ini") return u"fr"_s;
    if (file == u"deutsch.ini") return u"de"_s;
    if (file == u"italian.ini") return u"it"_s;
    return u"en"_s;
}

QString HelpPagePath(const QString& programFolder, const QString& languageFile,
                     const QString& topic)
{
    const QString language = HelpLanguage(languageFile);
    QString path = FindPage(HelpFolder(programFolder, language), topic);
    if (path.isEmpty() && language != u"en")
        path = FindPage(HelpFolder(programFolder, u"en"_s), topic);
    return path;
}

void ShowHelpTopic(QWidget* owner, const QString& topic)
{
    const QString path = HelpPagePath(ProgramFolder(), GlobalVars.LanguageFile, topic);
    if (path.isEmpty()) {
        const QString expected =
            HelpFolder(ProgramFolder(), HelpLanguage(GlobalVars.LanguageFile)) + u'/' + topic;
        ShowErrorBox(MsgFormat(MSG_HELP_MISSING, QDir::toNativeSeparators(expected)));
        return;
    }
    if (!viewer) {
        viewer = new THelpViewer(owner ? owner->window() : nullptr);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    viewer->setWindowTitle(MsgFormat(MSG_HELP_TITLE, Msg(MSG_APPLICATION_TITLE)));
    viewer->ShowPage(QUrl::fromLocalFile(path));
    // A minimised help window comes back as it was before.
    viewer->setWindowState(viewer->windowState() & ~Qt::WindowMinimized);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

THelpViewer::THelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(u"frmHelp"_s);
    auto* back = NavigationButton(u"ButtonBack"_s, QStyle::SP_ArrowBack, QKeySequence::Back, this);
    auto* forward =
        NavigationButton(u"ButtonForward"_s, QStyle::SP_ArrowForward, QKeySequence::Forward, this);

    BrowserHelp = new QTextBrowser(this);
    BrowserHelp->setObjectName(u"BrowserHelp"_s);
    // Every link comes to followLink: pages stay here, the rest goes out.
    BrowserHelp->setOpenLinks(false);
    BrowserHelp->setOpenExternalLinks(false);
    connect(BrowserHelp, &QTextBrowser::anchorClicked, this, &THelpViewer::followLink);
    connect(back, &QToolButton::clicked, BrowserHelp, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, BrowserHelp, &QTextBrowser::forward);
    connect(BrowserHelp, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(BrowserHelp, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(BrowserHelp, 1);
    resize(760, 620);
}

THelpViewer* THelpViewer::Instance() { return viewer; }

void THelpViewer::ShowPage(const QUrl& page) { BrowserHelp->setSource(page); }

QUrl THelpViewer::CurrentPage() const { return BrowserHelp->source(); }

void THelpViewer::followLink(const QUrl& link)
{
    const QUrl target = BrowserHelp->source().resolved(link);
    if (!target.isLocalFile()) {
        OpenLink(link.toString());
        return;
    }
    const QString file = target.toLocalFile();
    if (!QFileInfo(file).isFile()) {
        ShowErrorBox(MsgFormat(MSG_HELP_MISSING, QDir::toNativeSeparators(file)));
        return;
    }
    ShowPage(target);
}
