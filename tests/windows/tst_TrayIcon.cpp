#include "windows/TrayIcon.h"

#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

class TestTrayIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { TTrayIcon::SetAvailableForTests(std::nullopt); }

    void available_data()
    {
        QTest::addColumn<int>("overridden");  // -1: no override
        QTest::addColumn<bool>("available");
        QTest::newRow("desktop with a tray") << 1 << true;
        QTest::newRow("desktop without") << 0 << false;
        QTest::newRow("the desktop's own answer") << -1 << QSystemTrayIcon::isSystemTrayAvailable();
    }

    void available()
    {
        QFETCH(int, overridden);
        QFETCH(bool, available);
        // An earlier, contrary answer must not stick.
        TTrayIcon::SetAvailableForTests(!available);
        TTrayIcon::SetAvailableForTests(overridden < 0 ? std::nullopt
                                                       : std::optional<bool>(overridden == 1));
        QCOMPARE(TTrayIcon::Available(), available);
    }

    void remembersHintAndBalloon_data()
    {
        QTest::addColumn<bool>("available");
        QTest::newRow("with a tray") << true;
        QTest::newRow("without") << false;
    }

    void remembersHintAndBalloon()
    {
        QFETCH(bool, available);
        TTrayIcon::SetAvailableForTests(available);
        TTrayIcon tray;
        tray.SetHint("Corvane Clipforge: 40%");
        tray.Show();
        tray.ShowBalloon("Corvane Clipforge Information", "Conversion complete!",
                         TMessageIcon::Information, 10);
        tray.ShowBalloon("Later", "Second balloon", TMessageIcon::Warning, 5);
        QCOMPARE(tray.Hint(), "Corvane Clipforge: 40%");
        QCOMPARE(tray.LastBalloonTitle(), "Later");
        QCOMPARE(tray.LastBalloonText(), "Second balloon");
        QVERIFY(tray.Visible());
        const auto* icon = tray.findChild<QSystemTrayIcon*>();
        QVERIFY(icon);
        QCOMPARE(icon->toolTip(), "Corvane Clipforge: 40%");
        tray.Hide();
        QVERIFY(!tray.Visible());
        QVERIFY(!icon->isVisible());
    }

    void clicks_data()
    {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<int>("doubleClicks");
        QTest::addColumn<int>("clicks");
        QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << 1 << 0;
        QTest::newRow("click") << QSystemTrayIcon::Trigger << 0 << 1;
        QTest::newRow("menu") << QSystemTrayIcon::Context << 0 << 0;
    }

    void clicks()
    {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(int, doubleClicks);
        QFETCH(int, clicks);
        TTrayIcon tray;
        QSignalSpy doubled(&tray, &TTrayIcon::DoubleClicked);
        QSignalSpy clicked(&tray, &TTrayIcon::Clicked);
        Q_EMIT tray.findChild<QSystemTrayIcon*>()->activated(reason);
        QCOMPARE(doubled.size(), doubleClicks);
        QCOMPARE(clicked.size(), clicks);
    }

    void menu()
    {
        TTrayIcon tray;
        QMenu menu;
        tray.SetMenu(&menu);
        QCOMPARE(tray.findChild<QSystemTrayIcon*>()->contextMenu(), &menu);
    }

    void programIcon()
    {
        const QIcon icon = TTrayIcon::ProgramIcon();
        QVERIFY(!icon.isNull());
        const QImage picture = icon.pixmap(32, 32).toImage();
        QVERIFY(!picture.isNull());
        // Drawn, not blank: the centre is opaque.
        QCOMPARE(qAlpha(picture.pixel(16, 16)), 255);
        QVERIFY(!TTrayIcon().findChild<QSystemTrayIcon*>()->icon().isNull());
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_TrayIcon.moc"
