#include "engine/FactsReader.h"
#include "engine/MediaInfoDll.h"
#include "localisation/MessageTable.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <clocale>

#include <sys/stat.h>

#include "MediaTools.h"

namespace {

constexpr int WaitMs = 20000;

// Expected facts in field order: "" is the placeholder, "?" any real value.
using Facts = QStringList;

const Facts Unreadable(16, QString());

QStringList factValues(const TFileItem& item)
{
    QStringList values;
    for (const TFileFact& fact : FileFacts)
        values << item.*fact.Field;
    return values;
}

// What each delivery carried, in arrival order.
struct Deliveries {
    QStringList paths;
    QList<TFileItem> items;
    QList<bool> readable;
    QList<QPair<int, int>> progress;

    explicit Deliveries(TFactsReader& reader)
    {
        QObject::connect(&reader, &TFactsReader::FactsRead, &reader,
                         [this](const QString& path, const TFileItem& item, bool isReadable) {
                             paths << path;
                             items << item;
                             readable << isReadable;
                         });
        QObject::connect(&reader, &TFactsReader::Progress, &reader,
                         [this](int done, int total) { progress << qMakePair(done, total); });
    }
};

QStringList names(const QString& stem, int count)
{
    QStringList result;
    for (int i = 0; i < count; ++i)
        result << stem + QString::number(i);
    return result;
}

}  // namespace

class tst_FileFacts : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        ResetMessageTable();
        QVERIFY(m_dir.isValid());
        QVERIFY(makeClip(path("clip.mp4"), "320x240", {"-c:v", "libx264", "-c:a", "aac"}));
        QCOMPARE(runTool("ffmpeg", {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                    "sine=frequency=440:sample_rate=44100:duration=0.6", "-c:a",
                                    "libmp3lame", "file:" + path("tone.mp3")}),
                 0);
        QFile text(path("letter.avi"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Dear reader,\nthis is no video.\n");
        text.close();
        QVERIFY(QFile::copy(path("clip.mp4"), path("é \"q\" $HOME `x`;\nline.mp4")));
        QVERIFY(QFile::copy(path("clip.mp4"), path("-dash.mp4")));
        QVERIFY(QDir(m_dir.path()).mkdir("folder.mp4"));
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.mp4")).constData(), 0600), 0);
    }

    void facts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Facts>("expected");
        QTest::addColumn<bool>("asciiLocale");

        const Facts clip{"?",   "?", "MPEG-4", "?",      "1",   "1", "AVC", "320",
                         "240", "?", "1.333",  "25.000", "AAC", "?", "2",   "44100"};
        const QString odd = "é \"q\" $HOME `x`;\nline.mp4";
        QTest::newRow("video and audio") << "clip.mp4" << clip << false;
        QTest::newRow("shell characters and a line break") << odd << clip << false;
        QTest::newRow("non-ASCII name, C locale") << odd << clip << true;
        QTest::newRow("leading dash") << "-dash.mp4" << clip << false;
        QTest::newRow("audio only")
            << "tone.mp3" << Facts{"?", "?", "MPEG Audio", "?", "1",          "",  "",  "",
                                   "",  "",  "",           "",  "MPEG Audio", "?", "1", "44100"}
            << false;
        QTest::newRow("text named .avi") << "letter.avi" << Unreadable << false;
        QTest::newRow("missing") << "gone.mp4" << Unreadable << false;
        QTest::newRow("folder") << "folder.mp4" << Unreadable << false;
        QTest::newRow("fifo") << "pipe.mp4" << Unreadable << false;
    }

    void facts()
    {
        QFETCH(QString, name);
        QFETCH(Facts, expected);
        QFETCH(bool, asciiLocale);
        const QString placeholder = "<none>";
        // As when started with LANG=C and nothing switched to UTF-8.
        const QByteArray locale = std::setlocale(LC_CTYPE, nullptr);
        if (asciiLocale) QVERIFY(std::setlocale(LC_CTYPE, "C"));
        const TFileItem item = ReadFileFacts(path(name), placeholder);
        std::setlocale(LC_CTYPE, locale.constData());

        QCOMPARE(item.FileName, name);
        QCOMPARE(item.FilePath, QFileInfo(m_dir.path()).absoluteFilePath() + '/');
        const QStringList actual = factValues(item);
        for (int i = 0; i < 16; ++i) {
            const QByteArray what = QByteArray(FileFacts[i].Parameter) + ": " + actual[i].toUtf8();
            if (expected[i].isEmpty())
                QVERIFY2(actual[i] == placeholder, what.constData());
            else if (expected[i] == "?")
                QVERIFY2(!actual[i].isEmpty() && actual[i] != placeholder, what.constData());
            else
                QVERIFY2(actual[i] == expected[i], what.constData());
        }
        if (expected[0] == "?") {
            QCOMPARE(item.CompleteName, path(name));
            QCOMPARE(item.FileSize, QString::number(QFileInfo(path(name)).size()));
        }
    }

    // Real files through the default reader: each arrives under its own
    // path, and the unreadable one is told apart by its placeholders.
    void readerDeliversRealFiles()
    {
        ResetMessageTable();
        TFactsReader reader;
        Deliveries got(reader);
        QSignalSpy finished(&reader, &TFactsReader::Finished);
        const QStringList files{path("clip.mp4"), path("letter.avi"), path("tone.mp3"),
                                path("é \"q\" $HOME `x`;\nline.mp4")};
        reader.Add(files);
        QVERIFY(reader.Busy());
        QVERIFY(finished.wait(WaitMs));

        QCOMPARE(got.paths, files);
        const QString empty = Msg(MSG_EMPTY_STR);
        const QList<bool> damaged{false, true, false, false};
        for (int i = 0; i < files.size(); ++i) {
            QCOMPARE(got.items[i].CompleteName == empty, damaged[i]);
            QCOMPARE(got.items[i].FileSize == empty, damaged[i]);
            QCOMPARE(got.readable[i], !damaged[i]);
            QCOMPARE(got.items[i].FileName, QFileInfo(files[i]).fileName());
        }
        QCOMPARE(got.items[2].Width, empty);
        QCOMPARE(got.progress.last(), qMakePair(4, 4));
        QVERIFY(!reader.Busy());
        QCOMPARE(reader.Pending(), 0);
    }

    // The first file is read last; it still comes first.
    void orderKeptWhenLaterFilesFinishFirst()
    {
        const QStringList files = names("file", 8);
        QSemaphore othersRead;
        QMutex mutex;
        QStringList readOrder;
        TFactsReader reader([&](const QString& file, const QString&) {
            // The others record their read before releasing the first one.
            if (file == files.first()) othersRead.tryAcquire(files.size() - 1, WaitMs);
            {
                QMutexLocker lock(&mutex);
                readOrder << file;
            }
            if (file != files.first()) othersRead.release();
            TFileItem item;
            item.FileName = file;
            return item;
        });
        Deliveries got(reader);
        QSignalSpy finished(&reader, &TFactsReader::Finished);
        reader.Add(files, "-");
        QVERIFY(finished.wait(WaitMs));

        QCOMPARE(readOrder.last(), files.first());
        QCOMPARE(got.paths, files);
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(got.items[i].FileName, files[i]);
    }

    void cancelDropsWhatIsPending()
    {
        QSemaphore gate;
        std::atomic<int> inFlight{0};
        TFactsReader reader([&](const QString& file, const QString&) {
            ++inFlight;
            if (file.startsWith("slow")) gate.tryAcquire(1, WaitMs);
            --inFlight;
            return TFileItem{};
        });
        Deliveries got(reader);
        QSignalSpy finished(&reader, &TFactsReader::Finished);
        QSignalSpy read(&reader, &TFactsReader::FactsRead);
        reader.Add(QStringList{"fast"} + names("slow", 6), "-");
        QVERIFY(read.wait(WaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(inFlight > 0, WaitMs);
        QCOMPARE(reader.Pending(), 6);

        reader.Cancel();
        QCOMPARE(finished.size(), 1);
        QVERIFY(!reader.Busy());
        QCOMPARE(reader.Pending(), 0);

        // The reads already running finish, and are not delivered.
        gate.release(6);
        QTRY_COMPARE_WITH_TIMEOUT(inFlight.load(), 0, WaitMs);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(got.paths, QStringList{"fast"});
        QCOMPARE(finished.size(), 1);

        // The reader goes on with what is added afterwards.
        reader.Add({"next", "last"}, "-");
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(got.paths, (QStringList{"fast", "next", "last"}));
        QCOMPARE(got.progress.last(), qMakePair(2, 2));
    }

    void reusedAfterFinished()
    {
        TFactsReader reader([](const QString&, const QString&) { return TFileItem{}; });
        Deliveries got(reader);
        QSignalSpy finished(&reader, &TFactsReader::Finished);
        reader.Add(names("a", 3), "-");
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(got.progress.last(), qMakePair(3, 3));

        reader.Add(names("b", 2), "-");
        QCOMPARE(reader.Pending(), 2);
        QCOMPARE(got.progress.last(), qMakePair(0, 2));
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(finished.size(), 2);
        QCOMPARE(got.paths, names("a", 3) + names("b", 2));
        QCOMPARE(got.progress.last(), qMakePair(2, 2));
    }

    // With every file read before the first delivery, the event loop still
    // gets turns while they are handed out.
    void deliveryLeavesTheEventLoopTurns()
    {
        constexpr int Files = 500;
        std::atomic<int> reads{0};
        TFactsReader reader([&](const QString&, const QString&) {
            ++reads;
            return TFileItem{};
        });
        int deliveredWhenLoopRan = -1;
        int delivered = 0;
        QObject guard;
        connect(&reader, &TFactsReader::FactsRead, &guard, [&] {
            if (++delivered == 1)
                QTimer::singleShot(0, &guard, [&] { deliveredWhenLoopRan = delivered; });
        });
        QSignalSpy finished(&reader, &TFactsReader::Finished);
        reader.Add(names("f", Files), "-");
        for (int waited = 0; reads < Files && waited < WaitMs; waited += 5)
            QThread::msleep(5);
        QCOMPARE(reads.load(), Files);

        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(delivered, Files);
        QVERIFY2(deliveredWhenLoopRan > 0 && deliveredWhenLoopRan < Files,
                 QByteArray::number(deliveredWhenLoopRan).constData());
    }

    // A receiver showing a modal box for one file does not get the next one
    // inside that box's loop.
    void noDeliveryInsideAReceiversLoop()
    {
        QSemaphore gate;
        std::atomic<bool> secondRead{false};
        TFactsReader reader([&](const QString& file, const QString&) {
            if (file == "second") {
                gate.tryAcquire(1, WaitMs);
                secondRead = true;
            }
            return TFileItem{};
        });
        int depth = 0;
        int deepest = 0;
        QStringList got;
        QObject guard;
        connect(&reader, &TFactsReader::FactsRead, &guard, [&](const QString& file) {
            deepest = std::max(deepest, ++depth);
            got << file;
            if (file == "first") {
                gate.release();
                QDeadlineTimer deadline(1000);
                while (depth == deepest && !(secondRead && deadline.hasExpired()))
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            }
            --depth;
        });
        QSignalSpy finished(&reader, &TFactsReader::Finished);
        reader.Add({"first", "second"}, "-");
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(deepest, 1);
        QCOMPARE(got, (QStringList{"first", "second"}));
    }

    // Facts keep the placeholder of the language current when they were
    // added, even when the language changes before they are read.
    void placeholderFixedWhenAdded()
    {
        QTemporaryDir languages;
        QFile language(languages.filePath("test.ini"));
        QVERIFY(language.open(QIODevice::WriteOnly));
        language.write("[LANGRES]\nMSG_EMPTY_STR=n/a\n");
        language.close();
        QVERIFY(LoadLanguage(language.fileName()));

        QSemaphore gate;
        TFactsReader reader([&](const QString& file, const QString& placeholder) {
            gate.tryAcquire(1, WaitMs);
            return ReadFileFacts(file, placeholder);
        });
        Deliveries got(reader);
        QSignalSpy finished(&reader, &TFactsReader::Finished);
        reader.Add({path("letter.avi")});
        ResetMessageTable();
        reader.Add({path("gone.mp4")});
        gate.release(2);
        QVERIFY(finished.wait(WaitMs));

        QCOMPARE(got.items.size(), 2);
        QCOMPARE(got.items[0].CompleteName, "n/a");
        QCOMPARE(got.items[1].CompleteName, MsgDefault(MSG_EMPTY_STR));
        // Told apart by the placeholder each was added with.
        QCOMPARE(got.readable, (QList<bool>{false, false}));
    }
};

QTEST_GUILESS_MAIN(tst_FileFacts)
#include "tst_FileFacts.moc"
