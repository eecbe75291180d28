#include "windows/DialogSeam.h"
#include "windows/EnterValue.h"

#include "localisation/MessageTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>

#include <limits>

namespace {

constexpr qint32 Lowest = std::numeric_limits<qint32>::min();
constexpr qint32 Highest = std::numeric_limits<qint32>::max();
// Never typed in the cases below, so a returned default is told apart.
constexpr qint32 Default = 777;

QLineEdit* field(QDialog& dialog) { return dialog.findChild<QLineEdit*>("EditValue"); }

void press(QDialog& dialog, const char* name)
{
    dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
}

QString positionWarning(int position)
{
    return "Invalid Value | The value you entered is not valid. Error in position " +
           QString::number(position) + ".";
}

QString rangeWarning(qint32 minimum, qint32 maximum)
{
    return "Invalid Value | The value you entered is not valid. Please make sure the value is "
           "between " +
           QString::number(minimum) + " and " + QString::number(maximum) + "!";
}

}  // namespace

class TestEnterValue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        ResetMessageTable();
        DialogSeam::Enable();
    }
    void cleanup() { DialogSeam::Disable(); }

    void readsIntegers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<int>("errorPosition");

        QTest::newRow("decimal") << "42" << 42 << 0;
        QTest::newRow("zero") << "0" << 0 << 0;
        QTest::newRow("leading zeros") << "000000000000042" << 42 << 0;
        QTest::newRow("minus") << "-5" << -5 << 0;
        QTest::newRow("plus") << "+7" << 7 << 0;
        QTest::newRow("leading blanks") << "  42" << 42 << 0;
        QTest::newRow("leading tab") << "\t 9" << 9 << 0;
        QTest::newRow("dollar hex") << "$FF" << 255 << 0;
        QTest::newRow("0x hex") << "0x10" << 16 << 0;
        QTest::newRow("0X hex, mixed case") << "0X1f" << 31 << 0;
        QTest::newRow("x hex") << "x1A" << 26 << 0;
        QTest::newRow("X hex") << "Xff" << 255 << 0;
        QTest::newRow("negative hex") << "-$10" << -16 << 0;
        QTest::newRow("highest") << "2147483647" << Highest << 0;
        QTest::newRow("lowest") << "-2147483648" << Lowest << 0;
        QTest::newRow("highest hex") << "$7FFFFFFF" << Highest << 0;
        QTest::newRow("lowest hex") << "-$80000000" << Lowest << 0;

        QTest::newRow("empty") << "" << 0 << 1;
        QTest::newRow("only blanks") << "  " << 0 << 3;
        QTest::newRow("only a sign") << "-" << 0 << 2;
        QTest::newRow("only a dollar") << "$" << 0 << 2;
        QTest::newRow("only 0x") << "0x" << 0 << 3;
        QTest::newRow("letter after digits") << "12a" << 0 << 3;
        QTest::newRow("position counts the blanks") << "  12a" << 0 << 5;
        QTest::newRow("trailing blank") << "1 " << 0 << 2;
        QTest::newRow("blank after the sign") << "- 5" << 0 << 2;
        QTest::newRow("sign after the prefix") << "$-1" << 0 << 2;
        QTest::newRow("two signs") << "--1" << 0 << 2;
        QTest::newRow("hex digit without prefix") << "1F" << 0 << 2;
        QTest::newRow("not a hex digit") << "$FG" << 0 << 3;
        QTest::newRow("two prefixes") << "$0x1" << 0 << 3;
        QTest::newRow("decimal point") << "1.5" << 0 << 2;
        QTest::newRow("digit of another script") << QStringLiteral("1\u0662") << 0 << 2;
        QTest::newRow("one past highest") << "2147483648" << 0 << 10;
        QTest::newRow("one past lowest") << "-2147483649" << 0 << 11;
        QTest::newRow("overflow before the end") << "99999999999" << 0 << 10;
        QTest::newRow("hex past the signed range") << "$80000000" << 0 << 9;
        QTest::newRow("hex far past 32 bits") << "$100000000" << 0 << 10;
    }

    void readsIntegers()
    {
        QFETCH(QString, text);
        QFETCH(qint32, value);
        QFETCH(int, errorPosition);

        const TIntegerReading reading = ReadInteger(text);
        QCOMPARE(reading.ErrorPosition, errorPosition);
        if (errorPosition == 0) QCOMPARE(reading.Value, value);
    }

    void showsItsTexts()
    {
        TfrmEnterValue dialog(nullptr, "Audio Bitrate", "Enter the bitrate:", 8, 320);
        QCOMPARE(dialog.objectName(), QString("frmEnterValue"));
        QCOMPARE(dialog.windowTitle(), QString("Audio Bitrate"));
        QCOMPARE(dialog.findChild<QLabel*>("LabelDisplayMessage")->text(),
                 QString("Enter the bitrate:"));
        QVERIFY(field(dialog)->text().isEmpty());
        QCOMPARE(dialog.findChild<QPushButton*>("btnOK")->text(), QString("OK"));
        QCOMPARE(dialog.findChild<QPushButton*>("btnCancel")->text(), QString("Cancel"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    }

    void messageIsNeverCut_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("short") << "Value:";
        QTest::newRow("long translation")
            << "Geben Sie die gewünschte Bitrate für die Tonspur in Kilobit pro Sekunde ein. "
               "Höhere Werte verbessern die Klangqualität, vergrößern aber die Ausgabedatei "
               "entsprechend, was bei tragbaren Abspielgeräten mit wenig Speicher zu beachten "
               "ist.";
    }

    void messageIsNeverCut()
    {
        QFETCH(QString, message);
        TfrmEnterValue dialog(nullptr, "Bitrate", message, 0, 10);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        const QLabel* label = dialog.findChild<QLabel*>("LabelDisplayMessage");
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
        QVERIFY(dialog.width() <= dialog.screen()->availableGeometry().width());
    }

    void okChecksTheValue_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint32>("minimum");
        QTest::addColumn<qint32>("maximum");
        QTest::addColumn<qint32>("result");
        QTest::addColumn<QString>("warning");

        QTest::newRow("hex in range") << "$FF" << 64 << 9600 << 255 << QString();
        QTest::newRow("minimum") << "64" << 64 << 9600 << 64 << QString();
        QTest::newRow("maximum") << "9600" << 64 << 9600 << 9600 << QString();
        QTest::newRow("leading blanks") << "  500" << 64 << 9600 << 500 << QString();
        QTest::newRow("negative range") << "-10" << -100 << -5 << -10 << QString();
        QTest::newRow("whole range") << "-2147483648" << Lowest << Highest << Lowest << QString();

        QTest::newRow("letter") << "12a" << 64 << 9600 << Default << positionWarning(3);
        QTest::newRow("empty") << "" << 64 << 9600 << Default << positionWarning(1);
        QTest::newRow("overflow, not range")
            << "99999999999" << 64 << 9600 << Default << positionWarning(10);
        QTest::newRow("below") << "50" << 64 << 9600 << Default << rangeWarning(64, 9600);
        QTest::newRow("above") << "9601" << 64 << 9600 << Default << rangeWarning(64, 9600);
        QTest::newRow("above negative range")
            << "-4" << -100 << -5 << Default << rangeWarning(-100, -5);
    }

    void okChecksTheValue()
    {
        QFETCH(QString, typed);
        QFETCH(qint32, minimum);
        QFETCH(qint32, maximum);
        QFETCH(qint32, result);
        QFETCH(QString, warning);

        bool stillOpen = false;
        bool focused = false;
        QString selected;
        DialogSeam::Queue([&](QDialog& dialog) {
            dialog.show();
            field(dialog)->setText(typed);
            field(dialog)->deselect();
            dialog.findChild<QPushButton*>("btnCancel")->setFocus();
            DialogSeam::QueuePress(QMessageBox::Ok);
            press(dialog, "btnOK");
            stillOpen = dialog.isVisible();
            focused = dialog.focusWidget() == field(dialog);
            selected = field(dialog)->selectedText();
            if (stillOpen) press(dialog, "btnCancel");
        });
        QCOMPARE(EnterValue(nullptr, "Bitrate", "Value:", Default, maximum, minimum), result);

        if (warning.isEmpty()) {
            QCOMPARE(DialogSeam::Log(), QStringList{"Bitrate"});
            return;
        }
        QCOMPARE(DialogSeam::Log(), (QStringList{"Bitrate", warning}));
        QVERIFY(stillOpen);
        QVERIFY(focused);
        QCOMPARE(selected, typed);
    }

    void correctedAfterTheWarning()
    {
        DialogSeam::Queue([&](QDialog& dialog) {
            field(dialog)->setText("12a");
            DialogSeam::QueuePress(QMessageBox::Ok);
            press(dialog, "btnOK");
            field(dialog)->setText("12");
            press(dialog, "btnOK");
        });
        QCOMPARE(EnterValue(nullptr, "Bitrate", "Value:", Default, 100, 0), 12);
    }

    void endingTheDialog_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<qint32>("result");
        QTest::newRow("Return submits") << "Return" << 255;
        QTest::newRow("Esc") << "Escape" << Default;
        QTest::newRow("Cancel") << "Cancel" << Default;
        QTest::newRow("closed") << "close" << Default;
    }

    void endingTheDialog()
    {
        QFETCH(QString, how);
        QFETCH(qint32, result);
        DialogSeam::Queue([&](QDialog& dialog) {
            dialog.show();
            field(dialog)->setFocus();
            field(dialog)->setText("$FF");
            if (how == "Return")
                QTest::keyClick(field(dialog), Qt::Key_Return);
            else if (how == "Escape")
                QTest::keyClick(field(dialog), Qt::Key_Escape);
            else if (how == "Cancel")
                press(dialog, "btnCancel");
            else
                dialog.close();
        });
        QCOMPARE(EnterValue(nullptr, "Bitrate", "Value:", Default, 1000, 0), result);
        QCOMPARE(DialogSeam::Log().size(), 1);
    }

    void centredOverTheOwnersWindow_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<bool>("centred");
        QTest::newRow("middle of the screen") << QRect(60, 40, 600, 400) << true;
        QTest::newRow("hanging off the right edge") << QRect(500, 40, 600, 400) << false;
    }

    void centredOverTheOwnersWindow()
    {
        QFETCH(QRect, window);
        QFETCH(bool, centred);

        // The owner is a button inside the window, as when a form asks.
        QWidget owner;
        auto* button = new QPushButton("Bitrate...", &owner);
        (new QVBoxLayout(&owner))->addWidget(button);
        owner.setGeometry(window);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));

        QRect frame;
        QWidget* parent = nullptr;
        DialogSeam::Queue([&](QDialog& dialog) {
            parent = dialog.parentWidget();
            frame = dialog.frameGeometry();
            dialog.reject();
        });
        EnterValue(button, "Bitrate", "Value:", Default, 1000, 0);

        QCOMPARE(parent, button);
        QVERIFY(owner.screen()->availableGeometry().contains(frame));
        if (centred) {
            const QPoint offset = frame.center() - owner.frameGeometry().center();
            QVERIFY2(offset.manhattanLength() <= 2,
                     qPrintable(QString("off by %1, %2").arg(offset.x()).arg(offset.y())));
        }
    }
};

QTEST_MAIN(TestEnterValue)
#include "tst_EnterValue.moc"
