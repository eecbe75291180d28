#include "windows/DialogSeam.h"
#include "windows/Name.h"

#include "localisation/MessageTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestNameDialog : public QObject {
    Q_OBJECT

    static QLineEdit* field(QDialog& dialog)
    {
        return dialog.findChild<QLineEdit*>(QStringLiteral("EditFileName"));
    }
    static void press(QDialog& dialog, const char* name)
    {
        dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
    }

private Q_SLOTS:
    void init()
    {
        ResetMessageTable();
        DialogSeam::Enable();
    }
    void cleanup() { DialogSeam::Disable(); }

    void showsItsTexts()
    {
        TfrmName dialog;
        dialog.SetName("High Quality");
        QCOMPARE(dialog.windowTitle(), QString("Profile Name"));
        QCOMPARE(dialog.findChild<QLabel*>("LabelName")->text(),
                 QString("Enter the profile name:"));
        QCOMPARE(dialog.findChild<QPushButton*>("btnOK")->text(), QString("OK"));
        QVERIFY(dialog.findChild<QPushButton*>("btnOK")->isDefault());
        QCOMPARE(dialog.findChild<QPushButton*>("btnCancel")->text(), QString("Cancel"));
        // The preset name is selected, so typing replaces it.
        QCOMPARE(field(dialog)->selectedText(), QString("High Quality"));
    }

    void okChecksTheName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "My profile" << true;
        QTest::newRow("blanks around") << "  PSP small  " << true;
        QTest::newRow("question mark") << "a?b" << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("quote") << "say \"hi\"" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("only blanks") << "   " << false;
    }

    void okChecksTheName()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);

        bool stillOpen = false;
        QString selected;
        bool focused = false;
        DialogSeam::Queue([&](QDialog& dialog) {
            dialog.show();
            field(dialog)->setText(typed);
            field(dialog)->deselect();
            dialog.findChild<QPushButton*>("btnCancel")->setFocus();
            // The warning, if one comes, is answered with OK.
            DialogSeam::QueuePress(QMessageBox::Ok);
            press(dialog, "btnOK");
            stillOpen = dialog.isVisible();
            selected = field(dialog)->selectedText();
            focused = dialog.focusWidget() == field(dialog);
            if (stillOpen) dialog.reject();
        });
        const std::optional<QString> name = AskProfileName(nullptr, "initial");

        QCOMPARE(name.has_value(), accepted);
        if (accepted) {
            QCOMPARE(*name, typed);
            QCOMPARE(DialogSeam::Log().size(), 1);
            return;
        }
        QVERIFY(stillOpen);
        QCOMPARE(DialogSeam::Log().value(1).section(" | ", 0, 0), QString("Invalid File Name"));
        QVERIFY(DialogSeam::Log().value(1).contains("The name you entered is not valid"));
        QCOMPARE(selected, typed);
        QVERIFY(focused);
    }

    void correctedAfterTheWarning()
    {
        DialogSeam::Queue([&](QDialog& dialog) {
            field(dialog)->setText("bad:name");
            DialogSeam::QueuePress(QMessageBox::Cancel);
            press(dialog, "btnOK");
            field(dialog)->setText("good name");
            press(dialog, "btnOK");
        });
        QCOMPARE(AskProfileName(nullptr, {}), std::optional<QString>("good name"));
    }

    void cancelOrCloseGivesNothing_data()
    {
        QTest::addColumn<bool>("viaButton");
        QTest::newRow("Cancel") << true;
        QTest::newRow("closed") << false;
    }

    void cancelOrCloseGivesNothing()
    {
        QFETCH(bool, viaButton);
        DialogSeam::Queue([&](QDialog& dialog) {
            field(dialog)->setText("fine name");
            if (viaButton)
                press(dialog, "btnCancel");
            else
                dialog.reject();
        });
        QCOMPARE(AskProfileName(nullptr, "x"), std::nullopt);
    }

    void presetReachesTheField()
    {
        QString seen;
        DialogSeam::Queue([&](QDialog& dialog) {
            seen = field(dialog)->text();
            press(dialog, "btnOK");
        });
        QCOMPARE(AskProfileName(nullptr, "Old name"), std::optional<QString>("Old name"));
        QCOMPARE(seen, QString("Old name"));
    }
};

QTEST_MAIN(TestNameDialog)
#include "tst_NameDialog.moc"
