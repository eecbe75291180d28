#include "RecordingFront.h"
#include "engine/OutputParser.h"
#include "localisation/MessageTable.h"

#include <QFile>
#include <QTest>

#include <limits>

namespace {

constexpr double Minute = 1.0 / (24 * 60);
constexpr qint64 GiB = qint64(1) << 30;
constexpr qint32 MaxMs = std::numeric_limits<qint32>::max();

const QString HostileName = QStringLiteral(u"Café ': time=99 Could not open");

class CountingFront : public RecordingFront {
public:
    void StartAnimation() override
    {
        ++animationStarts;
        RecordingFront::StartAnimation();
    }
    int animationStarts = 0;
};

// A parser over a fresh state with an open progress window and a clock the
// test moves.
struct Harness {
    TBatchState batch;
    TFileState file;
    CountingFront front;
    TOutputParser parser{front.Front()};
    double now = 46000.25;

    Harness()
    {
        front.progressOpen = true;
        front.rows = {{QStringLiteral("/v/a.avi"), {}, rsQueued, {}}};
        parser.Now = [this] { return now; };
        batch.StartTime = now;
        batch.TotalCount = 1;
        nextFile();
    }

    // A new file of the batch, started now.
    void nextFile(const QString& options = {})
    {
        file = TFileState();
        file.Row = 0;
        file.StartTime = now;
        parser.StartFile(batch, file, options);
    }

    void feed(const QByteArray& text, bool processEnded = false,
              TChannel channel = TChannel::Output)
    {
        parser.Feed(channel, text.constData(), int(text.size()), processEnded);
    }

    QString pending() const { return parser.PendingLine(TChannel::Output); }

    void feedInChunks(const QByteArray& text, int chunkSize)
    {
        for (qsizetype at = 0; at < text.size(); at += chunkSize)
            feed(text.mid(at, chunkSize));
    }

    // The runner's last delivery may carry no bytes at all.
    void finalDrain() { parser.Drain(); }

    QStringList errorLines() const
    {
        QStringList lines;
        for (const QStringList& box : front.errorBoxes)
            lines += box;
        return lines;
    }

    QString label(TProgressLabel which) const { return front.labels.value(which); }
};

QByteArray fixture(const QString& name)
{
    QFile file(QStringLiteral(CLIPFORGE_SOURCE_DIR "/tests/engine/fixtures/") + name);
    if (!file.open(QIODevice::ReadOnly)) qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

}  // namespace

class TestOutputParser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ResetMessageTable(); }

    // Captured avcore output, fed in chunks of several sizes, always gives
    // the same end state.
    void capturedOutput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("chunkSize");
        QTest::addColumn<QString>("inputFile");
        QTest::addColumn<QString>("reportedInput");
        QTest::addColumn<QString>("reportedOutput");
        QTest::addColumn<int>("durationMs");
        QTest::addColumn<int>("positionMs");
        QTest::addColumn<int>("filePercent");
        QTest::addColumn<QStringList>("errorBoxes");

        const QString videos = QStringLiteral("/home/ann/Videos/");
        const QString out = QStringLiteral("/home/ann/out/");
        struct Case {
            const char* file;
            QString inputFile, reportedInput, reportedOutput;
            int duration, position, percent;
            QStringList boxes;
        };
        const Case cases[] = {
            // The name holds an end marker, a progress text and an error text.
            {"success_h264.txt",
             videos + HostileName + ".avi",
             videos + HostileName + ".avi",
             out + HostileName + ".mp4",
             2040,
             2040,
             100,
             {}},
            {"directshow_mp3.txt",
             videos + "clip.avi",
             videos + "clip.avi",
             out + "clip.mp3",
             2040,
             2040,
             100,
             {}},
            {"fail_not_media.txt",
             videos + "notes.avi",
             "",
             "",
             0,
             0,
             0,
             {"Error: the input is not a media file that can be read: "
              "/home/ann/Videos/notes.avi: Invalid data found when processing input"}},
            {"fail_missing.txt",
             videos + "missing.avi",
             "",
             "",
             0,
             0,
             0,
             {"Error: cannot open input '/home/ann/Videos/missing.avi': No such file or "
              "directory"}},
        };
        for (const Case& c : cases) {
            for (const int size : {1, 7, 4096, 1 << 20}) {
                QTest::addRow("%s/%d", c.file, size)
                    << QString::fromLatin1(c.file) << size << c.inputFile << c.reportedInput
                    << c.reportedOutput << c.duration << c.position << c.percent << c.boxes;
            }
        }
    }

    void capturedOutput()
    {
        QFETCH(QString, file);
        QFETCH(int, chunkSize);
        QFETCH(QString, inputFile);

        Harness h;
        h.file.InputFile = inputFile;
        h.front.rows = {{QStringLiteral("/other.avi"), {}, rsQueued, {}},
                        {inputFile, {}, rsQueued, {}}};
        h.file.Row = 1;
        h.feedInChunks(fixture(file), chunkSize);
        h.finalDrain();

        QTEST(h.file.ReportedInput, "reportedInput");
        QTEST(h.file.ReportedOutput, "reportedOutput");
        QTEST(int(h.file.DurationMs), "durationMs");
        QTEST(int(h.file.PositionMs), "positionMs");
        QTEST(int(h.file.Percent), "filePercent");
        QFETCH(QStringList, errorBoxes);
        QCOMPARE(h.file.Failed, !errorBoxes.isEmpty());
        QStringList boxes;
        for (const QStringList& box : h.front.errorBoxes)
            boxes.append(box.join(u'|'));
        QCOMPARE(boxes, errorBoxes);
        QCOMPARE(h.pending(), QString());
        QCOMPARE(h.front.rows[0].state, rsQueued);
        QCOMPARE(h.front.rows[1].state, rsConverting);
    }

    // Lines are told apart by the error lines they make; the state between
    // the last chunk and the final drain shows what was held back.
    void lineAssembly_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QStringList>("beforeDrain");
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QStringList>("afterDrain");

        const QByteArray full(TOutputParser::MaxPendingLine - 5, 'x');
        QTest::newRow("line split across chunks")
            << QByteArrayList{"Error one\r\nErr", "or two\r\n"}
            << QStringList{"Error one", "Error two"} << "" << QStringList{"Error one", "Error two"};
        QTest::newRow("no break: held until the drain")
            << QByteArrayList{"Error ", "held"} << QStringList{} << "Error held"
            << QStringList{"Error held"};
        QTest::newRow("lone CR") << QByteArrayList{"Error a\rError b\r"}
                                 << QStringList{"Error a", "Error b"} << ""
                                 << QStringList{"Error a", "Error b"};
        QTest::newRow("lone LF") << QByteArrayList{"Error a\nError b\n"}
                                 << QStringList{"Error a", "Error b"} << ""
                                 << QStringList{"Error a", "Error b"};
        QTest::newRow("LF CR") << QByteArrayList{"Error a\n\rError b\n\r"}
                               << QStringList{"Error a", "Error b"} << ""
                               << QStringList{"Error a", "Error b"};
        QTest::newRow("CR and LF in separate chunks")
            << QByteArrayList{"Error a\r", "\nError b\r\n"} << QStringList{"Error a", "Error b"}
            << "" << QStringList{"Error a", "Error b"};
        QTest::newRow("zero byte ends the chunk")
            << QByteArrayList{QByteArray("Error a\0Error hidden\r\n", 22), "\r\nError b\r\n"}
            << QStringList{"Error a", "Error b"} << "" << QStringList{"Error a", "Error b"};
        QTest::newRow("character cut between chunks")
            << QByteArrayList{"Error caf\xc3", "\xa9\r\n"} << QStringList{"Error café"} << ""
            << QStringList{"Error café"};
        QTest::newRow("longest held line")
            << QByteArrayList{"Error" + full.left(4000), full.mid(4000)} << QStringList{}
            << QString::fromLatin1("Error" + full)
            << QStringList{QString::fromLatin1("Error" + full)};
        QTest::newRow("longer text taken as a line")
            << QByteArrayList{"Error" + full.left(4000), full.mid(4000) + "y"}
            << QStringList{QString::fromLatin1("Error" + full + "y")} << ""
            << QStringList{QString::fromLatin1("Error" + full + "y")};
    }

    void lineAssembly()
    {
        QFETCH(QByteArrayList, chunks);
        Harness h;
        for (const QByteArray& chunk : std::as_const(chunks))
            h.feed(chunk);
        QTEST(h.errorLines(), "beforeDrain");
        QTEST(h.pending(), "pending");
        h.finalDrain();
        QTEST(h.errorLines(), "afterDrain");
        QCOMPARE(h.pending(), QString());
    }

    // Each row starts from a 10-minute input at 50 % (time=300) after two
    // minutes, then feeds its own lines with the given encoder options. A
    // file's percentage never falls.
    void progress_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("durationMs");
        QTest::addColumn<int>("positionMs");
        QTest::addColumn<int>("filePercent");
        QTest::addColumn<QString>("remaining");

        QTest::newRow("half way") << "" << QByteArray() << 600000 << 300000 << 50 << "0:02:00";
        QTest::newRow("clip limit")
            << " -t 0:00:30.000 -ss 0:01:00.000 " << QByteArray("size=1kB time=15.00 bitrate=1\r")
            << 30000 << 15000 << 50 << "0:02:00";
        QTest::newRow("clip reaching the end keeps the duration")
            << " -t 0:00:30.000 -ss 0:09:50.000 " << QByteArray("frame=1 time=18.00 bitrate=1\r")
            << 600000 << 18000 << 50 << "0:02:00";
        QTest::newRow("clip length without start")
            << "-acodec mp3 -t 0:00:30.000 -y" << QByteArray("frame=1 time=15.00 bitrate=1\r")
            << 30000 << 15000 << 50 << "0:02:00";
        QTest::newRow("placeholder time")
            << "" << QByteArray("frame=1 time=10000000000.0 bitrate=1\r") << 600000 << 0 << 50
            << "0:02:00";
        QTest::newRow("N/A values") << ""
                                    << QByteArray(
                                           "  Duration: N/A, bitrate: N/A\r\n"
                                           "frame=1 time=N/A bitrate=N/A\r")
                                    << 600000 << 300000 << 50 << "0:02:00";
        QTest::newRow("past the end") << "" << QByteArray("frame=1 time=700.00 bitrate=1\r")
                                      << 600000 << 700000 << 100 << "0:00:00";
        QTest::newRow("huge position saturates")
            << "" << QByteArray("frame=1 time=99999999.9 bitrate=1\r") << 600000 << MaxMs << 100
            << "0:00:00";
        // A longer length read later never takes the file back.
        QTest::newRow("huge duration saturates")
            << "" << QByteArray("  Duration: 99999:00:00.00, start: 0\r\n") << MaxMs << 300000 << 50
            << "0:02:00";
        QTest::newRow("time at the line's end")
            << "" << QByteArray("size=2kB time=150.00\r") << 600000 << 150000 << 50 << "0:02:00";
        QTest::newRow("time in an input name")
            << "" << QByteArray("Input #0, avi, from '/v/a time=500 .avi':\r\n") << 600000 << 300000
            << 50 << "0:02:00";
        QTest::newRow("time in an output name")
            << "" << QByteArray("Output #0, avi, to '/v/a time=500 .avi':\r\n") << 600000 << 300000
            << 50 << "0:02:00";
    }

    void progress()
    {
        QFETCH(QString, options);
        QFETCH(QByteArray, lines);

        Harness h;
        h.now += 2 * Minute;
        h.feed(
            "  Duration: 00:10:00.00, start: 0.000000, bitrate: 64 kb/s\r\n"
            "frame=10 fps=0.00 size=1kB time=300.00 bitrate=1.0kbits/s speed=1x\r");
        h.parser.StartFile(h.batch, h.file, options);
        h.feed(lines);

        QTEST(int(h.file.DurationMs), "durationMs");
        QTEST(int(h.file.PositionMs), "positionMs");
        QFETCH(int, filePercent);
        QCOMPARE(int(h.file.Percent), filePercent);
        QCOMPARE(h.label(TProgressLabel::LabelStatus),
                 "Status=" + QString::number(filePercent) + "%");
        QCOMPARE(h.front.bars.value(TProgressBar::ProgressBarStatus), filePercent);
        QTEST(h.label(TProgressLabel::LabelStatusRemaining), "remaining");
    }

    // A file's first figures, two minutes after its start.
    void firstFigures_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("filePercent");
        QTest::addColumn<QString>("remaining");

        QTest::newRow("half rounds to even, down")
            << QByteArray("  Duration: 00:00:08.00, start: 0\r\nframe=1 time=1.00 x\r") << 12
            << "0:14:00";
        QTest::newRow("half rounds to even, up")
            << QByteArray("  Duration: 00:00:08.00, start: 0\r\nframe=1 time=3.00 x\r") << 38
            << "0:03:20";
        QTest::newRow("huge duration")
            << QByteArray("  Duration: 99999:00:00.00, start: 0\r\nframe=1 time=300.00 x\r") << 0
            << "22:34:33";
    }

    void firstFigures()
    {
        QFETCH(QByteArray, lines);
        Harness h;
        h.now += 2 * Minute;
        h.feed(lines);
        QTEST(int(h.file.Percent), "filePercent");
        QTEST(h.label(TProgressLabel::LabelStatusRemaining), "remaining");
    }

    // The streams are read in turns: a line that one has not finished does
    // not take the other's next line in.
    void pendingLinePerStream()
    {
        Harness h;
        h.feed("frame=1 time=1.00 bitr", false, TChannel::Output);
        h.feed("Error: the disk is full\n", false, TChannel::Error);
        h.feed("ate=1\r", false, TChannel::Output);
        QCOMPARE(h.errorLines(), QStringList{"Error: the disk is full"});
        QCOMPARE(h.pending(), QString());
        h.feed("Error: cut", false, TChannel::Error);
        h.feed("frame=2 time=2.00\r", false, TChannel::Output);
        QCOMPARE(h.parser.PendingLine(TChannel::Error), "Error: cut");
        h.finalDrain();
        QCOMPARE(h.errorLines(), (QStringList{"Error: the disk is full", "Error: cut"}));
        QCOMPARE(h.file.PositionMs, 2000);
    }

    // A device item's later steps (here a thumbnail of the finished video)
    // read and write intermediate files: the file's names, length and
    // progress stay those of its first step.
    void laterStepsBelongToTheirFile()
    {
        Harness h;
        h.file.InputFile = "/v/long.avi";
        h.now += 2 * Minute;
        h.feed(
            "Input #0, avi, from '/v/long.avi':\r\n"
            "  Duration: 00:10:00.00, start: 0\r\n"
            "Output #0, psp, to '/out/.~clipforge.1/long.MP4':\r\n"
            "frame=1 time=600.00 x\r\n");
        QCOMPARE(h.file.Percent, 100);
        h.now += Minute;
        h.feed(
            "Input #0, mov, from '/out/.~clipforge.1/long.MP4':\r\n"
            "  Duration: 00:10:00.00, start: 0\r\n"
            "Output #0, image2, to '/out/.~clipforge.1/long.THM':\r\n"
            "frame=1 time=0.04 x\r\n");
        QCOMPARE(h.file.Percent, 100);
        QCOMPARE(h.file.PositionMs, 600000);
        QCOMPARE(h.label(TProgressLabel::LabelStatus), "Status=100%");
        QCOMPARE(h.label(TProgressLabel::LabelStatusRemaining), "0:00:00");
        QCOMPARE(h.label(TProgressLabel::LabelWorking), "Working on file 1 of 1: long.avi");
        QCOMPARE(h.label(TProgressLabel::LabelOutput), "Output file: long.MP4");
    }

    void batch_data()
    {
        QTest::addColumn<qint64>("totalBytes");
        QTest::addColumn<qint64>("finishedBytes");
        QTest::addColumn<qint64>("currentBytes");
        QTest::addColumn<qint64>("doneBytes");
        QTest::addColumn<QString>("batchLabel");
        QTest::addColumn<QString>("estimated");
        QTest::addColumn<QString>("remaining");

        // The file is at 50 % after 10 minutes of batch.
        QTest::newRow("sizes above 4 GiB")
            << 12 * GiB << 4 * GiB << 8 * GiB << 8 * GiB << "Batch=67%"
            << "0:15:00"
            << "0:05:00";
        QTest::newRow("first file")
            << 10 * GiB << qint64(0) << 5 * GiB << qint64(2.5 * GiB) << "Batch=25%"
            << "0:40:00"
            << "0:30:00";
        QTest::newRow("odd byte rounds down")
            << qint64(100) << qint64(0) << qint64(3) << qint64(1) << "Batch=1%"
            << "16:40:00"
            << "16:30:00";
        QTest::newRow("no total") << qint64(0) << qint64(0) << 5 * GiB << qint64(2.5 * GiB) << ""
                                  << ""
                                  << "";
    }

    void batch()
    {
        Harness h;
        QFETCH(qint64, totalBytes);
        h.batch.TotalBytes = totalBytes;
        QFETCH(qint64, finishedBytes);
        h.batch.FinishedBytes = finishedBytes;
        QFETCH(qint64, currentBytes);
        h.file.Bytes = currentBytes;
        h.file.StartTime = h.now + 5 * Minute;
        h.now += 10 * Minute;
        h.feed("  Duration: 00:10:00.00, start: 0\r\nframe=1 time=300.00 bitrate=1\r");

        QTEST(h.batch.DoneBytes, "doneBytes");
        QFETCH(QString, batchLabel);
        QCOMPARE(h.label(TProgressLabel::LabelBatch), batchLabel);
        if (!batchLabel.isEmpty())
            QCOMPARE(h.front.bars.value(TProgressBar::ProgressBarBatch),
                     batchLabel.mid(6).chopped(1).toInt());
        QTEST(h.label(TProgressLabel::LabelBatchEstimated), "estimated");
        QTEST(h.label(TProgressLabel::LabelBatchRemaining), "remaining");
        QCOMPARE(h.label(TProgressLabel::LabelBatchElapsed), "0:10:00");
        QCOMPARE(h.label(TProgressLabel::LabelStatusRemaining), "0:05:00");
    }

    void labels()
    {
        Harness h;
        h.batch.DoneCount = 1;
        h.batch.TotalCount = 3;
        h.feed(
            "Input #0, avi, from '/v/clip.avi':\r\n"
            "  Duration: 00:10:00.00, start: 0\r\n"
            "Output #0, mp4, to '/out/clip.mp4':\r\n");
        QCOMPARE(h.label(TProgressLabel::LabelWorking), "Working on file 2 of 3: clip.avi");
        QCOMPARE(h.label(TProgressLabel::LabelOutput), "Output file: clip.mp4");
        QCOMPARE(h.label(TProgressLabel::LabelCovnerting), Msg(MSG_CONVERTING));
        QCOMPARE(h.front.trayHint, "/v/clip.avi: 0%");

        h.batch.FailedCount = 1;
        h.feed("frame=1 time=300.00 bitrate=1\r");
        QCOMPARE(h.label(TProgressLabel::LabelWorking), "Working on file 3 of 3: clip.avi");
        QCOMPARE(h.front.trayHint, "/v/clip.avi: 50%");
        QCOMPARE(h.front.animationStarts, 1);
    }

    void errorLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("error");

        QTest::newRow("decoding error")
            << "Error while decoding stream #0:0: Invalid data" << false;
        QTest::newRow("Error:") << "Error: cannot open input 'a.avi'" << true;
        QTest::newRow("Error and more") << "Errors were found" << true;
        QTest::newRow("lower case") << "error: x" << false;
        QTest::newRow("indented") << " Error: x" << false;
        QTest::newRow("component error") << "[h264 @ 0x1] error while decoding MB 3 4" << false;
        QTest::newRow("component cannot open") << "[h264 @ 0x1] Could not open codec" << true;
        QTest::newRow("I/O") << "[avi @ 0x1] I/O error occured" << true;
        QTest::newRow("no streams") << "x: No audio or video streams available" << true;
        QTest::newRow("input name") << "Input #0, avi, from '/v/Could not open.avi':" << false;
        QTest::newRow("output name")
            << "Output #0, mp4, to '/v/No audio or video streams available.mp4':" << false;
    }

    void errorLine()
    {
        QFETCH(QString, line);
        QTEST(IsErrorLine(line), "error");
    }

    // One box per file; the parser goes on after an error line.
    void errorBoxesPerFile()
    {
        Harness h;
        h.feed("  Duration: 00:10:00.00, start: 0\r\nError a\r\nframe=1 time=60.00 x\rError b\r\n");
        QVERIFY(h.file.Failed);
        QCOMPARE(h.file.Percent, 10);
        h.nextFile();
        h.feed("Error c\n");
        QCOMPARE(h.front.errorBoxes, (QList<QStringList>{{"Error a", "Error b"}, {"Error c"}}));
    }

    void endOfHeaderLine_data()
    {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("end");

        const QString mapping = QStringLiteral("  Stream #0:0 -> #0:0 (mpeg4 -> h264)");
        QTest::newRow("end") << mapping << "Go back to the last frame" << true;
        QTest::newRow("previous not a mapping") << "  Stream #0:0: Video"
                                                << "Go back to the last frame" << false;
        QTest::newRow("another stream") << mapping << "Stream back last" << false;
        QTest::newRow("statistics") << mapping << "size=1 back last" << false;
        QTest::newRow("component") << mapping << "[x @ 0x1] back last" << false;
        QTest::newRow("without last") << mapping << "Go back" << false;
    }

    void endOfHeaderLine()
    {
        QFETCH(QString, previous);
        QFETCH(QString, line);
        QTEST(IsEndOfHeaderLine(previous, line), "end");
    }

    void endOfHeaderSkipsRestOfChunk()
    {
        Harness h;
        h.feed("  Stream #0:0 -> #0:0 (x)\r\n\r\nback to last\r\nError skipped\r\n");
        QVERIFY(h.front.errorBoxes.isEmpty());
        // The previous line belongs to the same chunk.
        h.feed("back to last\r\nError seen\r\n");
        QCOMPARE(h.errorLines(), QStringList{"Error seen"});
    }

    void closedWindowSkipsLines()
    {
        Harness h;
        h.front.progressOpen = false;
        h.file.InputFile = QStringLiteral("/v/a.avi");
        h.front.rows = {{h.file.InputFile, {}, rsQueued, {}}};
        h.feed("  Duration: 00:10:00.00, start: 0\r\nError x\r\n");
        QCOMPARE(h.file.DurationMs, 0);
        QVERIFY(!h.file.Failed);
        QVERIFY(h.front.labels.isEmpty());
        QCOMPARE(h.front.rows[0].state, rsConverting);
    }

    void clockText_data()
    {
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("text");

        QTest::newRow("zero") << 0.0 << "0:00:00";
        QTest::newRow("ten hours") << (10 * 60 + 5) * Minute + 7.0 / 86400 << "10:05:07";
        QTest::newRow("wraps at a day") << 1.0 + 60 * Minute << "1:00:00";
        QTest::newRow("rounds to the millisecond") << 59.9996 / 86400 << "0:01:00";
        QTest::newRow("negative") << -Minute << "0:00:00";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "0:00:00";
    }

    void clockText()
    {
        QFETCH(double, days);
        QTEST(ClockText(days), "text");
    }
};

QTEST_GUILESS_MAIN(TestOutputParser)
#include "tst_OutputParser.moc"
