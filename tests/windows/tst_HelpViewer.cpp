#include "windows/DialogSeam.h"
#include "windows/HelpViewer.h"

#include "base/BuildConstants.h"
#include "base/ProgramFolder.h"
#include "base/globals.h"
#include "localisation/MessageTable.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include "TestFiles.h"

// Stands in for the desktop: notes the addresses it was asked to open.
class OpenRecorder : public QObject {
    Q_OBJECT

public:
    QStringList opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened << url.toString(); }
};

class TestHelpViewer : public QObject {
    Q_OBJECT

    const QString m_data = QStringLiteral(CLIPFORGE_SOURCE_DIR "/data/");
    const QString m_help = m_data + BuildConstants::HelpFolder + '/';
    QTemporaryDir m_dir;
    OpenRecorder m_recorder;

    static QStringList languages() { return {"en", "fr", "de", "it"}; }
    static QStringList topics()
    {
        return {BuildConstants::HelpContentTopic, BuildConstants::QuickStartTopic};
    }

    // The anchors a page offers to links: <a name="..."> and id="...".
    static QSet<QString> anchorsOf(const QString& html)
    {
        static const QRegularExpression anchor("(?:\\bname|\\bid)\\s*=\\s*\"([^\"]+)\"");
        QSet<QString> names;
        for (const QRegularExpressionMatch& match : anchor.globalMatch(html))
            names << match.captured(1);
        return names;
    }

    static QTextBrowser* browser()
    {
        return THelpViewer::Instance()->findChild<QTextBrowser*>("BrowserHelp");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDesktopServices::setUrlHandler("https", &m_recorder, "open");
        QDesktopServices::setUrlHandler("mailto", &m_recorder, "open");
        // A program folder with pages in English and, for one of them, in French.
        const QString help = m_dir.path() + "/skin/kelp/lang/help/";
        writeFile(help + "en/both.html", "<p>english both</p><p><a name=\"part\"></a>x</p>");
        writeFile(help + "en/only english.html",
                  "<a href=\"both.html#part\">to both</a> <a href=\"gone.html\">gone</a>");
        writeFile(help + "fr/both.html", "<p>french both</p>");
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
    }

    void init()
    {
        ResetMessageTable();
        DialogSeam::Enable();
        m_recorder.opened.clear();
    }
    void cleanup() { DialogSeam::Disable(); }

    void languageFolder_data()
    {
        QTest::addColumn<QString>("languageFile");
        QTest::addColumn<QString>("folder");
        QTest::newRow("english") << "english.ini"
                                 << "en";
        QTest::newRow("french") << "french.ini"
                                << "fr";
        QTest::newRow("french from the menu") << "FRENCH.ini"
                                              << "fr";
        QTest::newRow("german") << "deutsch.ini"
                                << "de";
        QTest::newRow("german, odd case") << "Deutsch.INI"
                                          << "de";
        QTest::newRow("italian") << "italian.ini"
                                 << "it";
        QTest::newRow("unknown language") << "spanish.ini"
                                          << "en";
        QTest::newRow("none") << ""
                              << "en";
    }

    void languageFolder()
    {
        QFETCH(QString, languageFile);
        QFETCH(QString, folder);
        QCOMPARE(HelpLanguage(languageFile), folder);
    }

    void fallsBackToEnglish_data()
    {
        QTest::addColumn<QString>("languageFile");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("found");  // below the help folder; "" for none
        QTest::newRow("french page") << "french.ini"
                                     << "both.html"
                                     << "fr/both.html";
        QTest::newRow("name without case") << "french.ini"
                                           << "BOTH.html"
                                           << "fr/both.html";
        QTest::newRow("french lacks it") << "french.ini"
                                         << "only english.html"
                                         << "en/only english.html";
        QTest::newRow("no german pages") << "deutsch.ini"
                                         << "both.html"
                                         << "en/both.html";
        QTest::newRow("english") << "english.ini"
                                 << "both.html"
                                 << "en/both.html";
        QTest::newRow("nowhere") << "french.ini"
                                 << "missing.html"
                                 << "";
    }

    void fallsBackToEnglish()
    {
        QFETCH(QString, languageFile);
        QFETCH(QString, topic);
        QFETCH(QString, found);
        const QString help = m_dir.path() + "/skin/kelp/lang/help/";
        QCOMPARE(HelpPagePath(m_dir.path() + '/', languageFile, topic),
                 found.isEmpty() ? QString() : help + found);
    }

    void everyLanguageHasItsPages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("topic");
        for (const QString& language : languages())
            for (const QString& topic : topics())
                QTest::newRow(qPrintable(language + ": " + topic)) << language << topic;
    }

    void everyLanguageHasItsPages()
    {
        QFETCH(QString, language);
        QFETCH(QString, topic);
        const QString languageFile = QHash<QString, QString>{{"en", "english.ini"},
                                                             {"fr", "french.ini"},
                                                             {"de", "deutsch.ini"},
                                                             {"it", "italian.ini"}}[language];
        const QString path = HelpPagePath(m_data, languageFile, topic);
        QCOMPARE(path, m_help + language + '/' + topic);

        // Written in its own language, and offering every anchor the English
        // page offers, so that links into it work in every language.
        const QString html = QString::fromUtf8(readFile(path));
        QVERIFY(html.contains("lang=\"" + language + "\""));
        const QString english = QString::fromUtf8(readFile(m_help + "en/" + topic));
        QCOMPARE(anchorsOf(html), anchorsOf(english));
    }

    void shippedLinksLead_data()
    {
        QTest::addColumn<QString>("page");
        for (const QString& language : languages())
            for (const QString& topic : topics())
                QTest::newRow(qPrintable(language + ": " + topic)) << language + '/' + topic;
    }

    void shippedLinksLead()
    {
        QFETCH(QString, page);
        const QUrl base = QUrl::fromLocalFile(m_help + page);
        const QString html = QString::fromUtf8(readFile(m_help + page));
        static const QRegularExpression reference("\\b(?:href|src)\\s*=\\s*\"([^\"]*)\"");
        int checked = 0;
        for (const QRegularExpressionMatch& match : reference.globalMatch(html)) {
            const QUrl target = base.resolved(QUrl(match.captured(1)));
            QVERIFY2(target.isLocalFile(), qPrintable("leaves the help: " + match.captured(1)));
            const QString file = target.toLocalFile();
            QVERIFY2(QFileInfo(file).isFile(), qPrintable("no such file: " + match.captured(1)));
            if (target.hasFragment())
                QVERIFY2(anchorsOf(QString::fromUtf8(readFile(file))).contains(target.fragment()),
                         qPrintable("no such anchor: " + match.captured(1)));
            ++checked;
        }
        QVERIFY(checked > 0);
    }

    void opensTheLanguagesPage()
    {
        SetProgramFolder(m_dir.path() + '/');
        GlobalVars.LanguageFile = "FRENCH.ini";
        ShowHelpTopic(nullptr, "both.html");
        THelpViewer* viewer = THelpViewer::Instance();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->windowTitle(), QString("Corvane Clipforge Help"));
        QVERIFY(browser()->toPlainText().contains("french both"));

        // The one window shows the next topic; the page French lacks is English.
        ShowHelpTopic(nullptr, "only english.html");
        QCOMPARE(THelpViewer::Instance(), viewer);
        QCOMPARE(viewer->CurrentPage(),
                 QUrl::fromLocalFile(m_dir.path() + "/skin/kelp/lang/help/en/only english.html"));
        QVERIFY(DialogSeam::Log().isEmpty());
    }

    void missingTopicIsReported()
    {
        SetProgramFolder(m_dir.path() + '/');
        GlobalVars.LanguageFile = "italian.ini";
        ShowHelpTopic(nullptr, "both.html");
        const QUrl shown = THelpViewer::Instance()->CurrentPage();

        ShowHelpTopic(nullptr, "nowhere.html");
        QCOMPARE(DialogSeam::Log(),
                 QStringList{"Error | The help page \"" + m_dir.path() +
                             "/skin/kelp/lang/help/it/nowhere.html\" cannot be found.\n\nPlease "
                             "re-install this program and try again."});
        QCOMPARE(THelpViewer::Instance()->CurrentPage(), shown);
    }

    void linksAreFollowed_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("page");    // the page shown after it, below en/
        QTest::addColumn<QString>("opened");  // what the desktop was asked to open
        QTest::addColumn<bool>("reported");   // a missing page was reported
        QTest::newRow("page and anchor") << "both.html#part"
                                         << "both.html#part"
                                         << "" << false;
        QTest::newRow("anchor on the page") << "#top"
                                            << "only english.html#top"
                                            << "" << false;
        QTest::newRow("web") << "https://www.corvane.example/psp"
                             << "only english.html"
                             << "https://www.corvane.example/psp" << false;
        QTest::newRow("mail") << "mailto:support@corvane.example"
                              << "only english.html"
                              << "mailto:support@corvane.example" << false;
        QTest::newRow("missing page") << "gone.html"
                                      << "only english.html"
                                      << "" << true;
    }

    void linksAreFollowed()
    {
        QFETCH(QString, link);
        QFETCH(QString, page);
        QFETCH(QString, opened);
        QFETCH(bool, reported);
        SetProgramFolder(m_dir.path() + '/');
        GlobalVars.LanguageFile = "english.ini";
        ShowHelpTopic(nullptr, "only english.html");

        Q_EMIT browser()->anchorClicked(QUrl(link));

        const QString en = m_dir.path() + "/skin/kelp/lang/help/en/";
        QUrl expected = QUrl::fromLocalFile(en + page.section('#', 0, 0));
        if (page.contains('#')) expected.setFragment(page.section('#', 1));
        QCOMPARE(THelpViewer::Instance()->CurrentPage(), expected);
        QCOMPARE(m_recorder.opened, opened.isEmpty() ? QStringList() : QStringList{opened});
        QCOMPARE(DialogSeam::Log().size(), reported ? 1 : 0);
        if (reported) QVERIFY(DialogSeam::Log().value(0).contains(en + "gone.html"));
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_HelpViewer.moc"
