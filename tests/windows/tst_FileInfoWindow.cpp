#include "windows/DialogSeam.h"
#include "windows/FileInfo.h"

#include "localisation/MessageTable.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "FullDisk.h"
#include "MediaTools.h"
#include "TestFiles.h"

class TestFileInfoWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;

    static QPlainTextEdit* memo(QDialog& dialog)
    {
        return dialog.findChild<QPlainTextEdit*>(QStringLiteral("MemoInfo"));
    }

    // Opens the window on the clip; inside, the answer plays the user.
    static void showClip(const QString& path, const std::function<void(QDialog&)>& answer)
    {
        DialogSeam::Queue([answer](QDialog& dialog) {
            answer(dialog);
            dialog.accept();
        });
        ShowFileInformation(nullptr, path);
    }

    static QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A non-ASCII name shows that the saved text is UTF-8.
        m_clip = m_dir.filePath("clip \u00e9t\u00e9.mp4");
        QVERIFY2(makeClip(m_clip, "160x120", {"-c:v", "mpeg4", "-c:a", "aac"}), "ffmpeg failed");
    }

    void init()
    {
        ResetMessageTable();
        DialogSeam::Enable();
    }
    void cleanup() { DialogSeam::Disable(); }

    void showsTheLibrarysReport()
    {
        QString caption, report;
        bool readOnly = false;
        showClip(m_clip, [&](QDialog& dialog) {
            caption = dialog.windowTitle();
            report = memo(dialog)->toPlainText();
            readOnly = memo(dialog)->isReadOnly();
        });
        QCOMPARE(caption, QString("File Information - clip \u00e9t\u00e9.mp4"));
        QVERIFY(readOnly);
        QVERIFY2(report.contains(m_clip), qPrintable(report));
        QVERIFY(report.contains("MPEG-4"));
        QVERIFY(report.contains("AAC"));
        QVERIFY(report.contains("160 pixels"));
    }

    void vanishedFileLeavesItEmpty()
    {
        QString report = "not filled";
        showClip(m_dir.filePath("gone.mp4"),
                 [&](QDialog& dialog) { report = memo(dialog)->toPlainText(); });
        QVERIFY(report.isEmpty());
    }

    void buttonsStayCentredAsAPair()
    {
        TfrmFileInfo window;
        QCOMPARE(window.minimumSize(), QSize(400, 250));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int width : {400, 777}) {
            window.resize(width, 300);
            QCoreApplication::processEvents();
            auto* ok = window.findChild<QPushButton*>("btnOK");
            auto* save = window.findChild<QPushButton*>("btnSave");
            QWidget* panel = ok->parentWidget();
            const int pairCentre = (ok->geometry().left() + save->geometry().right() + 1) / 2;
            QVERIFY(qAbs(pairCentre - panel->width() / 2) <= 1);
            QVERIFY(ok->geometry().right() < save->geometry().left());
            QVERIFY(ok->width() >= 90 && save->width() >= 90);
        }
    }

    void savesTextWithLineFeeds()
    {
        const QString chosen = m_dir.filePath("report");  // no extension
        QString report;
        showClip(m_clip, [&](QDialog& dialog) {
            report = memo(dialog)->toPlainText();
            DialogSeam::QueueFiles({chosen});
            dialog.findChild<QPushButton*>("btnSave")->click();
        });

        const QByteArray bytes = readFile(chosen + ".txt");
        QVERIFY(!bytes.isEmpty());
        QVERIFY(!QFile::exists(chosen));
        QVERIFY(bytes.endsWith("\n"));
        QVERIFY(!bytes.endsWith("\n\n"));
        QVERIFY(!bytes.contains('\r'));
        QCOMPARE(QString::fromUtf8(bytes).trimmed(), report.trimmed());
        QVERIFY(bytes.contains("clip \xc3\xa9t\xc3\xa9.mp4"));
        QCOMPARE(DialogSeam::Log().size(), 1);  // no error box
    }

    // The save dialog offers the media file's name.
    void suggestedName_data()
    {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<QString>("media");
        QTest::addColumn<QString>("suggested");
        QTest::newRow("named after the clip") << "/home/u/Documents"
                                              << "/media/clip \u00e9t\u00e9.mp4"
                                              << "/home/u/Documents/clip \u00e9t\u00e9.txt";
        QTest::newRow("last dot only") << "/d"
                                       << "/m/holiday.2024.avi"
                                       << "/d/holiday.2024.txt";
        QTest::newRow("no documents folder") << ""
                                             << "/m/clip.avi"
                                             << "clip.txt";
        QTest::newRow("no file") << "/d"
                                 << ""
                                 << "/d/File Info.txt";
    }

    void suggestedName()
    {
        QFETCH(QString, documents);
        QFETCH(QString, media);
        QFETCH(QString, suggested);
        QCOMPARE(SuggestedReportPath(documents, media), suggested);
    }

    void cancelledSaveWritesNothing()
    {
        const QStringList before = entries(m_dir.path());
        showClip(m_clip, [&](QDialog& dialog) {
            DialogSeam::QueueFiles({});
            dialog.findChild<QPushButton*>("btnSave")->click();
        });
        QCOMPARE(DialogSeam::Log().size(), 1);
        QCOMPARE(entries(m_dir.path()), before);
    }

    void refusedSaveIsReported_data()
    {
        QTest::addColumn<QString>("why");
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("full disk") << "full";
        QTest::newRow("folder gone") << "gone";
    }

    void refusedSaveIsReported()
    {
        QFETCH(QString, why);
        if (why == "read-only" && ::geteuid() == 0)
            QSKIP("root writes into read-only folders; the full disk stands in");
        QTemporaryDir folder;
        QString target = folder.filePath("info.txt");
        if (why == "read-only")
            QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (why == "gone") target = folder.filePath("missing/info.txt");

        showClip(m_clip, [&](QDialog& dialog) {
            DialogSeam::QueueFiles({target});
            std::optional<FullDisk> full;
            if (why == "full") full.emplace(0);
            dialog.findChild<QPushButton*>("btnSave")->click();
        });
        QFile::setPermissions(folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(DialogSeam::Log().value(1), "Error | Unable to write to " + target);
        QVERIFY(entries(folder.path()).isEmpty());
    }
};

QTEST_MAIN(TestFileInfoWindow)
#include "tst_FileInfoWindow.moc"
