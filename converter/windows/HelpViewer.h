#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;
class QUrl;

// The help folder of a language file: "fr", "de" or "it" for the French,
// German and Italian files (names compared without case), "en" otherwise.
QString HelpLanguage(const QString& languageFile);

// The page of a topic in the language's help folder, or in the English one
// when the language lacks it; nothing when neither has it. Names are matched
// without case.
QString HelpPagePath(const QString& programFolder, const QString& languageFile,
                     const QString& topic);

// Opens a topic of the help in the help window, in the current language.
// The window is not modal and there is only one: a later call shows the
// topic in it. A missing page is reported instead.
void ShowHelpTopic(QWidget* owner, const QString& topic);

// The help window: pages of the shipped help, their links followed inside it,
// web and mail links handed to the desktop.
class THelpViewer : public QWidget {
    Q_OBJECT

public:
    explicit THelpViewer(QWidget* parent = nullptr);

    // Shows a page file, at its anchor when the URL has one.
    void ShowPage(const QUrl& page);
    QUrl CurrentPage() const;

    // The open help window, if any.
    static THelpViewer* Instance();

private:
    void followLink(const QUrl& link);

    QTextBrowser* BrowserHelp = nullptr;
};
