#include "windows/DialogSeam.h"
#include "windows/MessageBoxes.h"

#include "base/globals.h"
#include "localisation/MessageTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// What a box looked like when it came up.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMap<int, QString> captions;   // TDialogButton -> caption
    QMap<int, int> minimumWidths;  // TDialogButton -> least width
    QWidget* owner = nullptr;
};

class TestMessageBoxes : public QObject {
    Q_OBJECT

    static constexpr TDialogButton AllButtons[] = {dbYes,     dbNo,       dbOK,     dbCancel,
                                                   dbAbort,   dbRetry,    dbIgnore, dbAll,
                                                   dbNoToAll, dbYesToAll, dbHelp};

    // Notes the next box, then presses a button; 0 rejects it with none, -1
    // closes it by its frame, as the window manager would.
    static void queueLook(SeenBox& seen, int press = 0)
    {
        DialogSeam::Queue([&seen, press](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            seen.owner = box->parentWidget();
            for (TDialogButton button : AllButtons)
                if (QAbstractButton* shown = box->button(StandardButtonOf(button))) {
                    seen.captions[button] = shown->text();
                    seen.minimumWidths[button] = shown->minimumWidth();
                }
            if (press > 0) {
                box->button(StandardButtonOf(TDialogButton(press)))->click();
            } else if (press < 0) {
                box->show();
                box->close();
            } else {
                dialog.reject();
            }
        });
    }

    // The caption a button carries when none is given.
    static QString standardCaption(TDialogButton button)
    {
        if (button == dbAll) return "&All";
        QMessageBox box;
        return box.addButton(StandardButtonOf(button))->text();
    }

    // Dialog units of the message box font, a quarter of its average letter.
    static int unitsToPixels(int units)
    {
        const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        QMessageBox box;
        return qRound(units * box.fontMetrics().horizontalAdvance(letters) / 52.0 / 4.0);
    }

private Q_SLOTS:
    void init()
    {
        DialogSeam::Enable();
        GlobalVars.LanguageFile = "english.ini";
    }
    void cleanup() { DialogSeam::Disable(); }

    void captionsLandOnTheirButtons_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QStringList>("captions");
        // One entry per button present, in the set's order; "" expects the
        // button's own caption.
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("stop question")
            << int(dbYes | dbNo | dbCancel) << QStringList{"Stop now", "When done", "Cancel it"}
            << QStringList{"Stop now", "When done", "Cancel it"};
        QTest::newRow("set order, not bit order of the call")
            << int(dbCancel | dbOK) << QStringList{"first", "second"}
            << QStringList{"first", "second"};
        QTest::newRow("empty entry keeps the standard caption")
            << int(dbOK | dbCancel) << QStringList{"", "Annuler"} << QStringList{"", "Annuler"};
        QTest::newRow("short list leaves the rest standard")
            << int(dbYes | dbNo | dbCancel) << QStringList{"Ja"} << QStringList{"Ja", "", ""};
        QTest::newRow("longer list ignores the surplus")
            << int(dbOK) << QStringList{"Bene", "extra"} << QStringList{"Bene"};
        QTest::newRow("rare buttons")
            << int(dbAbort | dbAll | dbNoToAll | dbYesToAll | dbHelp)
            << QStringList{"a", "b", "c", "d", "e"} << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("no captions at all")
            << int(dbRetry | dbIgnore | dbAll) << QStringList{} << QStringList{"", "", ""};
    }

    void captionsLandOnTheirButtons()
    {
        QFETCH(int, buttons);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, expected);

        SeenBox seen;
        queueLook(seen);
        ShowLocalizedDialog("text", "caption", TDialogType::Confirmation, captions, buttons);

        QStringList got;
        for (TDialogButton button : AllButtons) {
            if (!(buttons & button)) {
                QVERIFY2(!seen.captions.contains(button), "a button nobody asked for");
                continue;
            }
            QVERIFY(seen.captions.contains(button));
            const QString wanted = expected.value(got.size());
            got << seen.captions[button];
            QCOMPARE(seen.captions[button], wanted.isEmpty() ? standardCaption(button) : wanted);
        }
        QCOMPARE(got.size(), expected.size());
        QCOMPARE(seen.title, QString("caption"));
    }

    void typeGivesIcon_data()
    {
        QTest::addColumn<TDialogType>("type");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::newRow("warning") << TDialogType::Warning << QMessageBox::Warning;
        QTest::newRow("error") << TDialogType::Error << QMessageBox::Critical;
        QTest::newRow("information") << TDialogType::Information << QMessageBox::Information;
        QTest::newRow("confirmation") << TDialogType::Confirmation << QMessageBox::Question;
        QTest::newRow("custom") << TDialogType::Custom << QMessageBox::NoIcon;
    }

    void typeGivesIcon()
    {
        QFETCH(TDialogType, type);
        QFETCH(QMessageBox::Icon, icon);
        SeenBox seen;
        queueLook(seen);
        ShowLocalizedDialog("text", "caption", type, {}, dbOK);
        QCOMPARE(seen.icon, icon);
    }

    void buttonWidthFollowsLanguage_data()
    {
        QTest::addColumn<QString>("languageFile");
        QTest::addColumn<int>("units");
        QTest::newRow("french") << "french.ini" << 110;
        QTest::newRow("french as the menu stores it") << "FRENCH.ini" << 110;
        QTest::newRow("english") << "english.ini" << 70;
        QTest::newRow("german") << "deutsch.ini" << 70;
        QTest::newRow("none yet") << "" << 70;
    }

    void buttonWidthFollowsLanguage()
    {
        QFETCH(QString, languageFile);
        QFETCH(int, units);
        GlobalVars.LanguageFile = languageFile;
        SeenBox seen;
        queueLook(seen);
        ShowLocalizedDialog("text", "caption", TDialogType::Warning, {"OK", "Annuler"},
                            dbOK | dbCancel);
        QCOMPARE(seen.minimumWidths.size(), 2);
        for (int width : std::as_const(seen.minimumWidths))
            QCOMPARE(width, unitsToPixels(units));
    }

    void localizedResults_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("press");  // 0: closed without a button
        QTest::addColumn<int>("result");
        const int every = dbYes | dbNo | dbOK | dbCancel | dbAbort | dbRetry | dbIgnore | dbAll |
                          dbNoToAll | dbYesToAll;
        QTest::newRow("OK") << every << int(dbOK) << 1;
        QTest::newRow("Cancel") << every << int(dbCancel) << 2;
        QTest::newRow("Abort") << every << int(dbAbort) << 3;
        QTest::newRow("Retry") << every << int(dbRetry) << 4;
        QTest::newRow("Ignore") << every << int(dbIgnore) << 5;
        QTest::newRow("Yes") << every << int(dbYes) << 6;
        QTest::newRow("No") << every << int(dbNo) << 7;
        QTest::newRow("All") << every << int(dbAll) << 8;
        QTest::newRow("No to all") << every << int(dbNoToAll) << 9;
        QTest::newRow("Yes to all") << every << int(dbYesToAll) << 10;
        QTest::newRow("closed with Cancel present") << every << 0 << 2;
        QTest::newRow("closed without Cancel") << int(dbYes | dbNo) << 0 << 2;
        QTest::newRow("frame closed with Cancel present") << every << -1 << 2;
        QTest::newRow("frame closed without Cancel") << int(dbYes | dbNo) << -1 << 2;
    }

    void localizedResults()
    {
        QFETCH(int, buttons);
        QFETCH(int, press);
        QFETCH(int, result);
        SeenBox seen;
        queueLook(seen, press);
        QCOMPARE(ShowLocalizedDialog("text", "caption", TDialogType::Confirmation, {}, buttons),
                 result);
    }

    void messageBoxFlags_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("result");
        QTest::newRow("information")
            << 64 << QMessageBox::Information << QList<int>{dbOK} << int(dbOK) << 1;
        QTest::newRow("warning") << 48 << QMessageBox::Warning << QList<int>{dbOK} << int(dbOK)
                                 << 1;
        QTest::newRow("error") << 16 << QMessageBox::Critical << QList<int>{dbOK} << int(dbOK) << 1;
        QTest::newRow("question, yes")
            << 36 << QMessageBox::Question << QList<int>{dbYes, dbNo} << int(dbYes) << 6;
        QTest::newRow("question, no")
            << 36 << QMessageBox::Question << QList<int>{dbYes, dbNo} << int(dbNo) << 7;
        QTest::newRow("question, closed")
            << 36 << QMessageBox::Question << QList<int>{dbYes, dbNo} << 0 << 2;
        QTest::newRow("OK and Cancel")
            << (48 | 1) << QMessageBox::Warning << QList<int>{dbOK, dbCancel} << int(dbCancel) << 2;
        QTest::newRow("yes, no, cancel") << (32 | 3) << QMessageBox::Question
                                         << QList<int>{dbYes, dbNo, dbCancel} << int(dbNo) << 7;
        QTest::newRow("abort, retry, ignore")
            << (16 | 2) << QMessageBox::Critical << QList<int>{dbAbort, dbRetry, dbIgnore}
            << int(dbIgnore) << 5;
        QTest::newRow("retry, cancel") << (48 | 5) << QMessageBox::Warning
                                       << QList<int>{dbRetry, dbCancel} << int(dbRetry) << 4;
        QTest::newRow("no icon") << 0 << QMessageBox::NoIcon << QList<int>{dbOK} << 0 << 2;
        QTest::newRow("question, frame closed")
            << 36 << QMessageBox::Question << QList<int>{dbYes, dbNo} << -1 << 2;
    }

    void messageBoxFlags()
    {
        QFETCH(int, flags);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QList<int>, buttons);
        QFETCH(int, press);
        QFETCH(int, result);
        SeenBox seen;
        queueLook(seen, press);
        QCOMPARE(ShowMessageBox("text", "caption", flags), result);
        QCOMPARE(seen.icon, icon);
        std::sort(buttons.begin(), buttons.end());
        QCOMPARE(seen.captions.keys(), buttons);
    }

    void messageBoxSpeaksTheCurrentLanguage()
    {
        // What a language file would have put there.
        QTemporaryDir dir;
        QFile file(dir.filePath("french.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[LANGRES]\nMSG_YES=Oui\nMSG_NO=Non\nMSG_Error=Erreur\nMSG_OK=D'accord\n");
        file.close();
        QVERIFY(LoadLanguage(file.fileName()));

        SeenBox question;
        queueLook(question, dbNo);
        QCOMPARE(ShowMessageBox("text", "caption", 36), 7);
        QCOMPARE(question.captions.value(dbYes), QString("Oui"));
        QCOMPARE(question.captions.value(dbNo), QString("Non"));

        SeenBox error;
        queueLook(error);
        ShowErrorBox("Unable to write to /x");
        QCOMPARE(error.title, QString("Erreur"));
        QCOMPARE(error.text, QString("Unable to write to /x"));
        QCOMPARE(error.icon, QMessageBox::Critical);
        QCOMPARE(error.captions.value(dbOK), QString("D'accord"));
        ResetMessageTable();
    }

    void lineBreaksOfTheTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF") << "a\r\n\r\nb"
                               << "a\n\nb";
        QTest::newRow("LF CR") << "a\n\r\n\rb"
                               << "a\n\nb";
        QTest::newRow("lone CR") << "a\rb"
                                 << "a\nb";
        QTest::newRow("none") << "a < b & c"
                              << "a < b & c";
    }

    void lineBreaksOfTheTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        SeenBox seen;
        queueLook(seen);
        ShowLocalizedDialog(text, "caption", TDialogType::Information, {}, dbOK);
        QCOMPARE(seen.text, shown);
    }

    void ownedByTheActiveWindow()
    {
        QWidget window;
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        SeenBox seen;
        queueLook(seen);
        ShowMessageBox("text", "caption", 64);
        QCOMPARE(seen.owner, &window);
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "tst_MessageBoxes.moc"
