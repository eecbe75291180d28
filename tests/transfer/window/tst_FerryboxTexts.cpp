#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "FerryboxDlg.h"
#include "FerryboxFixture.h"

// The transfer window's texts fit their controls in each state the window
// shows, and its message boxes keep their title whole.
class TestFerryboxTexts : public QObject {
    Q_OBJECT

    // Records what the window would ask, so it never blocks.
    class SilentPrompts : public StorePrompts {
    public:
        void showMessage(const QString&, Icon) override {}
        bool askYesNo(const QString&, const QString&) override { return true; }
    };

    static void verifyFits(QWidget& window)
    {
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&window)) continue;
            QString text;
            int needed = 0;
            if (auto* label = qobject_cast<QLabel*>(w)) {
                // The folder is shortened in its middle on purpose, its tool
                // tip holding it whole.
                if (label->text().isEmpty() || label->text().contains(QChar(0x2026))) continue;
                if (label->wordWrap()) {
                    QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                             qPrintable(label->objectName() + " is cut: " + label->text()));
                    continue;
                }
                text = label->text();
                needed = label->sizeHint().width();
            } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                // The text and the button's own margins; the style's least
                // width of a button is no text of it.
                text = button->text().remove('&');
                if (text.isEmpty()) continue;
                needed = button->fontMetrics().horizontalAdvance(text) + 8;
            } else {
                continue;
            }
            QVERIFY2(w->width() >= needed, qPrintable(w->objectName() + " is cut: " + text));
            QVERIFY2(window.rect().contains(QRect(w->mapTo(&window, QPoint()), w->size())),
                     qPrintable(w->objectName() + " lies outside the window"));
        }
    }

private Q_SLOTS:
    void textsFit_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("waiting for the console") << 0;
        QTest::newRow("console connected") << 1;
        QTest::newRow("detection failed") << 2;
    }

    void textsFit()
    {
        QFETCH(int, state);
        Fixture fx;
        fx.addPcVideo("holiday");
        if (state == 1) fx.setConsoleMounted(true);
        SysfsDeviceDetector detector(fx.usbDevices(),
                                     state == 2 ? fx.root() + "/no-mount-table" : fx.mountInfo());
        SilentPrompts prompts;
        CFerryboxDlg dlg(detector, fx.pcFolder(), &prompts);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.deviceConnected(), state == 1);
        verifyFits(dlg);
    }

    // A short message must not squeeze the title of its box into an ellipsis.
    void messageBoxTitleIsWhole()
    {
        Fixture fx;
        SysfsDeviceDetector detector(fx.usbDevices(), fx.root() + "/no-mount-table");
        QString title;
        int width = 0;
        int needed = 0;
        QTimer watch;
        watch.setInterval(10);
        connect(&watch, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            watch.stop();
            title = box->windowTitle();
            width = box->width();
            // The title in the title bar's font, beside the frame's buttons.
            needed =
                QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(title) +
                100;
            box->accept();
        });
        watch.start();
        CFerryboxDlg dlg(detector, fx.pcFolder());
        QVERIFY(!watch.isActive());
        QVERIFY(!title.isEmpty());
        QVERIFY2(width >= needed, qPrintable(QString("%1 < %2").arg(width).arg(needed)));
    }
};

QTEST_MAIN(TestFerryboxTexts)
#include "tst_FerryboxTexts.moc"
