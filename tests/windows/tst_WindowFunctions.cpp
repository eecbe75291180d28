#include "windows/WindowFunctions.h"

#include "base/IniFile.h"

#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>

// Stands in for the desktop's handlers: notes what would have been opened and
// whether the busy cursor was up meanwhile.
class OpenRecorder : public QObject {
    Q_OBJECT

public:
    QStringList opened;
    bool busyWhileOpening = false;

public Q_SLOTS:
    void open(const QUrl& url)
    {
        opened << url.toString();
        busyWhileOpening = QGuiApplication::overrideCursor() != nullptr;
    }
};

class TestWindowFunctions : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    OpenRecorder m_recorder;
    const QStringList m_schemes = {"file", "https", "mailto"};

    // The shape of the override cursor, -1 when there is none.
    static int overrideShape()
    {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor ? int(cursor->shape()) : -1;
    }

    static QRect availableScreen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    static QRect normalBounds(const QWidget& window)
    {
        return window.isMaximized() ? window.normalGeometry() : window.geometry();
    }

    void writeSettings(const QString& text)
    {
        QFile file(m_dir.filePath("info.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QGuiApplication::primaryScreen());
        for (const QString& scheme : m_schemes)
            QDesktopServices::setUrlHandler(scheme, &m_recorder, "open");
    }

    void cleanupTestCase()
    {
        for (const QString& scheme : m_schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void waitCursorNests()
    {
        QCOMPARE(overrideShape(), -1);
        WaitCursor::begin();
        QCOMPARE(overrideShape(), int(Qt::WaitCursor));
        WaitCursor::begin();
        WaitCursor::end();
        QCOMPARE(overrideShape(), int(Qt::WaitCursor));
        WaitCursor::end();
        QCOMPARE(overrideShape(), -1);

        // An end without a begin must not take away a cursor someone else set.
        QGuiApplication::setOverrideCursor(Qt::CrossCursor);
        WaitCursor::end();
        const int shape = overrideShape();
        QGuiApplication::restoreOverrideCursor();
        QCOMPARE(shape, int(Qt::CrossCursor));

        {
            const WaitCursorScope scope;
            QCOMPARE(overrideShape(), int(Qt::WaitCursor));
        }
        QCOMPARE(overrideShape(), -1);
    }

    void restorePlacement_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<bool>("maximized");

        const QRect screen = availableScreen();
        QTest::newRow("off the right edge")
            << "x=1500\ny=20\nwidth=800\nheight=300\n"
            << QRect(screen.x() + screen.width() - 800, 20, 800, 300) << false;
        QTest::newRow("larger than the screen") << QString("x=-50\ny=-50\nwidth=%1\nheight=%2\n")
                                                       .arg(screen.width() + 400)
                                                       .arg(screen.height() + 400)
                                                << screen << false;
        QTest::newRow("maximized") << "x=10\ny=20\nwidth=300\nheight=200\nmaximized=1\n"
                                   << QRect(10, 20, 300, 200) << true;
        QTest::newRow("missing keys keep the current bounds") << "x=30\n"
                                                              << QRect(30, 50, 320, 240) << false;
    }

    void restorePlacement()
    {
        QFETCH(QString, saved);
        QFETCH(QRect, bounds);
        QFETCH(bool, maximized);
        writeSettings("[Main]\n" + saved);

        QWidget window;
        window.setGeometry(40, 50, 320, 240);
        RestoreWindowPlacement(m_dir.filePath("info.ini"), "Main", &window);

        QCOMPARE(normalBounds(window), bounds);
        QCOMPARE(window.isMaximized(), maximized);
        QVERIFY(!window.isVisible());
    }

    void saveThenRestore_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("normal") << false;
        QTest::newRow("maximized") << true;
    }

    void saveThenRestore()
    {
        QFETCH(bool, maximized);
        const QString settings = m_dir.filePath("info.ini");
        writeSettings("[System]\nLanguageFile=english.ini\n");
        const QRect bounds(60, 70, 400, 300);

        // Shown, so that maximizing really moves it and only its normal
        // bounds are the ones to keep.
        QWidget saved;
        saved.setGeometry(bounds);
        saved.show();
        QVERIFY(QTest::qWaitForWindowExposed(&saved));
        if (maximized) {
            saved.setWindowState(Qt::WindowMaximized);
            QTRY_VERIFY(saved.geometry() != bounds);
        }
        SaveWindowPlacement(settings, "Main", &saved);

        QWidget restored;
        restored.setGeometry(10, 10, 200, 100);
        if (!maximized) restored.setWindowState(Qt::WindowMaximized);
        RestoreWindowPlacement(settings, "Main", &restored);

        QCOMPARE(normalBounds(restored), bounds);
        QCOMPARE(restored.isMaximized(), maximized);
        QCOMPARE(IniFile(settings).readString("System", "LanguageFile", {}), "english.ini");
    }

    void saveRefusedThrows()
    {
        QWidget window;
        QVERIFY_THROWS_EXCEPTION(
            IniWriteError,
            SaveWindowPlacement(m_dir.filePath("missing/info.ini"), "Main", &window));
    }

    void shellOpen_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("opened");

        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("blanks") << " \t \n" << QStringList{};
        QTest::newRow("path") << "/srv/clips/first clip.mp4"
                              << QStringList{"file:///srv/clips/first clip.mp4"};
        QTest::newRow("padded folder") << "  /srv/clips/ " << QStringList{"file:///srv/clips/"};
        QTest::newRow("relative path")
            << "clips/first.mp4"
            << QStringList{"file://" + QDir::current().absoluteFilePath("clips/first.mp4")};
        QTest::newRow("web address") << "https://www.corvane.example/help"
                                     << QStringList{"https://www.corvane.example/help"};
        QTest::newRow("mail address")
            << "mailto:support@corvane.example" << QStringList{"mailto:support@corvane.example"};
        QTest::newRow("host name")
            << "www.corvane.example" << QStringList{"https://www.corvane.example"};
        QTest::newRow("host name with port")
            << "www.corvane.example:8080/help"
            << QStringList{"https://www.corvane.example:8080/help"};
    }

    void shellOpen()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, opened);
        m_recorder.opened.clear();
        m_recorder.busyWhileOpening = false;

        ShellOpen(target);

        QCOMPARE(m_recorder.opened, opened);
        QCOMPARE(m_recorder.busyWhileOpening, !opened.isEmpty());
        QCOMPARE(overrideShape(), -1);
    }
};

QTEST_MAIN(TestWindowFunctions)
#include "tst_WindowFunctions.moc"
