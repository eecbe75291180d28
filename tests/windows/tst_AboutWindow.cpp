#include "windows/About.h"

#include "base/ProgramFolder.h"
#include "localisation/MessageTable.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "TestFiles.h"

class OpenRecorder : public QObject {
    Q_OBJECT

public:
    QStringList opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened << url.toString(); }
};

class TestAboutWindow : public QObject {
    Q_OBJECT

    OpenRecorder m_recorder;

    static QByteArray svg()
    {
        return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"60\">"
               "<rect width=\"40\" height=\"60\" fill=\"#336699\"/></svg>";
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler("https", &m_recorder, "open");
        QDesktopServices::setUrlHandler("mailto", &m_recorder, "open");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
    }
    void init()
    {
        ResetMessageTable();
        m_recorder.opened.clear();
    }

    void skinNamesThePicture_data()
    {
        QTest::addColumn<QString>("skin");      // skin.ini's text; "-" for no file
        QTest::addColumn<QString>("pictures");  // files beside it, comma-separated
        QTest::addColumn<QString>("found");     // "" for none
        QTest::newRow("no skin file") << "-"
                                      << "splash.svg"
                                      << "";
        QTest::newRow("no SPLASH section") << "[MAINFORM]\nDefaultSkin=1\n"
                                           << "splash.svg"
                                           << "";
        QTest::newRow("NONE") << "[SPLASH]\nLeftImage=NONE\n"
                              << "NONE"
                              << "";
        QTest::newRow("none in lower case") << "[splash]\nleftimage=none\n"
                                            << "none"
                                            << "";
        QTest::newRow("named and there") << "[SPLASH]\nLeftImage=splash.svg\n"
                                         << "splash.svg"
                                         << "splash.svg";
        QTest::newRow("named in other case") << "[SPLASH]\nLeftImage=SPLASH.SVG\n"
                                             << "Splash.svg"
                                             << "Splash.svg";
        QTest::newRow("named but missing") << "[SPLASH]\nLeftImage=gone.png\n"
                                           << "splash.svg"
                                           << "";
        QTest::newRow("a folder of that name") << "[SPLASH]\nLeftImage=pictures\n"
                                               << ""
                                               << "";
    }

    void skinNamesThePicture()
    {
        QFETCH(QString, skin);
        QFETCH(QString, pictures);
        QFETCH(QString, found);
        QTemporaryDir dir;
        const QString skinFolder = dir.path() + "/skin/kelp/skin/";
        QVERIFY(QDir().mkpath(skinFolder + "pictures"));
        if (skin != "-") writeFile(skinFolder + "skin.ini", skin.toUtf8());
        for (const QString& name : pictures.split(',', Qt::SkipEmptyParts))
            writeFile(skinFolder + name, svg());

        QCOMPARE(AboutPictureFile(dir.path() + '/'),
                 found.isEmpty() ? QString() : skinFolder + found);
    }

    void showsItsTexts()
    {
        TfrmAbout about;
        auto text = [&](const char* name) { return about.findChild<QLabel*>(name)->text(); };
        QCOMPARE(about.windowTitle(), QString("About"));
        QCOMPARE(text("LabelTitle"), QString("Corvane Clipforge"));
        QCOMPARE(text("LabelVersion"), QString("version: 2.3"));
        QCOMPARE(text("LabelCopyright"), MsgDefault(MSG_COPYRIGHT));
        QCOMPARE(text("LabelWarning"), MsgDefault(MSG_COPYRIGHT_WARNING));
    }

    void pictureShownOnlyWhenThere_data()
    {
        QTest::addColumn<bool>("withPicture");
        QTest::newRow("picture") << true;
        QTest::newRow("none") << false;
    }

    void pictureShownOnlyWhenThere()
    {
        QFETCH(bool, withPicture);
        QTemporaryDir dir;
        const QString skinFolder = dir.path() + "/skin/kelp/skin/";
        writeFile(skinFolder + "skin.ini",
                  withPicture ? "[SPLASH]\nLeftImage=splash.svg\n" : "[SPLASH]\nLeftImage=NONE\n");
        writeFile(skinFolder + "splash.svg", svg());
        SetProgramFolder(dir.path() + '/');

        TfrmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* picture = about.findChild<QLabel*>("ImageLeft");
        QCOMPARE(picture->isVisible(), withPicture);
        QCOMPARE(!picture->pixmap().isNull(), withPicture);
        if (withPicture)
            QCOMPARE(picture->pixmap().deviceIndependentSize().toSize(), QSize(40, 60));
    }

    void linksOpenWebAndMail_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("opened");
        QTest::newRow("web site") << "LabelHomepage"
                                  << "https://www.corvane.example";
        QTest::newRow("support mail") << "LabelSupportMail"
                                      << "mailto:support@corvane.example";
    }

    void linksOpenWebAndMail()
    {
        QFETCH(QString, label);
        QFETCH(QString, opened);
        TfrmAbout about;
        auto* link = about.findChild<QLabel*>(label);
        QVERIFY(link);
        Q_EMIT link->linkActivated(link->text());
        QCOMPARE(m_recorder.opened, QStringList{opened});
    }
};

QTEST_MAIN(TestAboutWindow)
#include "tst_AboutWindow.moc"
