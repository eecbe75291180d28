#include "base/FileFunctions.h"
#include "base/TextFunctions.h"
#include "base/TimeText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestSharedFunctions : public QObject {
    Q_OBJECT

    static void touch(const QString& path, const QByteArray& bytes = {})
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private Q_SLOTS:
    void timeTextToMs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("seconds") << "90" << qint64(90000);
        QTest::newRow("m:s") << "1:30" << qint64(90000);
        QTest::newRow("h:m:s") << "1:02:03" << qint64(3723000);
        QTest::newRow("h:m:s.f") << "0:01:30.250" << qint64(90250);
        QTest::newRow("m:s.f") << "2:03.5" << qint64(123005);
        QTest::newRow("fraction is plain ms") << "1.5" << qint64(1005);
        QTest::newRow("empty parts count 0") << ":30" << qint64(30000);
        QTest::newRow("four fields") << "1:2:3:4" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("negative") << "-5" << qint64(-1);
        QTest::newRow("dot before colon") << "1.5:30" << qint64(-1);
        QTest::newRow("two dots") << "1.2.3" << qint64(-1);
        QTest::newRow("blank") << "1 :30" << qint64(-1);
        QTest::newRow("other digits") << QStringLiteral("\u0661") << qint64(-1);
        QTest::newRow("too long to hold") << "9223372036854775:00:00" << qint64(-1);
    }

    void timeTextToMs()
    {
        QFETCH(QString, text);
        QFETCH(qint64, ms);
        QCOMPARE(TimeTextToMs(text), ms);
    }

    void msToTimeText_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0:00:00.000";
        QTest::newRow("minute and a half") << qint64(90250) << "0:01:30.250";
        QTest::newRow("ten hours") << qint64(36000000) << "10:00:00.000";
        QTest::newRow("1.5 entered") << TimeTextToMs(QStringLiteral("1.5")) << "0:00:01.005";
    }

    void msToTimeText()
    {
        QFETCH(qint64, ms);
        QFETCH(QString, text);
        QCOMPARE(MsToTimeText(ms), text);
    }

    void encoderTimeToMs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("five seconds") << "00:00:05.00" << qint64(5000);
        QTest::newRow("fraction") << "00:01:02.50" << qint64(62500);
        QTest::newRow("hours") << "01:00:00.00" << qint64(3600000);
        QTest::newRow("rounded") << "00:00:00.0005" << qint64(1);
        QTest::newRow("bad part counts 0") << "xx:01:00.00" << qint64(60000);
        QTest::newRow("bad seconds count 0") << "00:01:zz" << qint64(60000);
        QTest::newRow("absurd hours saturate") << "9223372036854775807:00:00" << qint64(9.2e18);
    }

    void encoderTimeToMs()
    {
        QFETCH(QString, text);
        QFETCH(qint64, ms);
        QCOMPARE(EncoderTimeToMs(text), ms);
    }

    void textBetween_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("result");
        QTest::newRow("progress line") << "frame=  10 time=1.20 bitrate="
                                       << " time="
                                       << " "
                                       << "1.20";
        QTest::newRow("trimmed") << "a[  x  ]"
                                 << "["
                                 << "]"
                                 << "x";
        QTest::newRow("end marker missing") << "frame=1 time=1.20"
                                            << " time="
                                            << ";"
                                            << "";
        QTest::newRow("end only before start") << "] [x"
                                               << "["
                                               << "]"
                                               << "";
        // A missing start marker used to read from the text's first characters.
        QTest::newRow("start marker missing") << "Duration: 00:00:05.00, start"
                                              << "time="
                                              << ","
                                              << "";
        QTest::newRow("first occurrences") << "<a><b>"
                                           << "<"
                                           << ">"
                                           << "a";
    }

    void textBetween()
    {
        QFETCH(QString, text);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, result);
        QCOMPARE(TextBetween(text, start, end), result);
    }

    void splitText()
    {
        QCOMPARE(SplitText(QString(), QStringLiteral(",")), QStringList{QString()});
        QCOMPARE(SplitText(QStringLiteral("a,,b,"), QStringLiteral(",")),
                 (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()}));
        QCOMPARE(SplitText(QStringLiteral("a||b"), QStringLiteral("||")),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    }

    void isValidFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "My profile" << true;
        QTest::newRow("non-ASCII and dots") << QStringLiteral("Qualit\u00E9 v1.2") << true;
        QTest::newRow("empty") << "" << false;
        for (const char c : {'\\', '/', ':', '*', '?', '"', '<', '>', '|'})
            QTest::addRow("with %c", c) << (QStringLiteral("a") + QLatin1Char(c) + u'b') << false;
    }

    void isValidFileName()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(IsValidFileName(name), valid);
    }

    void paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("withSlash");
        QTest::addColumn<QString>("withoutSlash");
        QTest::addColumn<QString>("withoutExt");
        QTest::newRow("empty") << ""
                               << "/"
                               << ""
                               << "";
        QTest::newRow("folder") << "/a/b/"
                                << "/a/b/"
                                << "/a/b"
                                << "/a/b/";
        QTest::newRow("file") << "/a.d/clip.avi"
                              << "/a.d/clip.avi/"
                              << "/a.d/clip.avi"
                              << "/a.d/clip";
        QTest::newRow("dot only in folder") << "/a.d/clip"
                                            << "/a.d/clip/"
                                            << "/a.d/clip"
                                            << "/a.d/clip";
        QTest::newRow("two extensions") << "x.tar.gz"
                                        << "x.tar.gz/"
                                        << "x.tar.gz"
                                        << "x.tar";
    }

    void paths()
    {
        QFETCH(QString, path);
        QFETCH(QString, withSlash);
        QFETCH(QString, withoutSlash);
        QFETCH(QString, withoutExt);
        QCOMPARE(AddTrailingBackslash(path), withSlash);
        QCOMPARE(StripTrailingBackslash(path), withoutSlash);
        QCOMPARE(PathWithoutExt(path), withoutExt);
    }

    void uniqueOutputName_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("result");
        QTest::newRow("free") << QStringList{} << "clip.mp4"
                              << "clip.mp4";
        QTest::newRow("two taken") << QStringList{"clip.mp4", "clip(1).mp4"} << "clip.mp4"
                                   << "clip(2).mp4";
        QTest::newRow("gap is used") << QStringList{"clip.mp4", "clip(2).mp4"} << "clip.mp4"
                                     << "clip(1).mp4";
        QTest::newRow("no extension") << QStringList{"clip"} << "clip"
                                      << "clip(1)";
        QTest::newRow("percent stays literal") << QStringList{"100%d.mp3"} << "100%d.mp3"
                                               << "100%d(1).mp3";
        QTest::newRow("a folder takes the name") << QStringList{"dir.avi/"} << "dir.avi"
                                                 << "dir(1).avi";
        QTest::newRow("hostile name") << QStringList{"-a $`b\n.mp3"} << "-a $`b\n.mp3"
                                      << "-a $`b\n(1).mp3";
    }

    void uniqueOutputName()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, name);
        QFETCH(QString, result);
        QTemporaryDir dir;
        for (const QString& entry : existing) {
            if (entry.endsWith(u'/'))
                QVERIFY(QDir(dir.path()).mkdir(entry.chopped(1)));
            else
                touch(dir.filePath(entry));
        }
        QCOMPARE(UniqueOutputName(name, dir.path()), std::optional<QString>(result));
    }

    void uniqueOutputNameFailsWhenAllNamesAreTaken()
    {
        // Handing back a taken name would let the encoder overwrite that file.
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("a.mp3")));
        for (int i = 1; i <= 32768; ++i)
            touch(dir.filePath(QStringLiteral("a(%1).mp3").arg(i)));
        QCOMPARE(UniqueOutputName(QStringLiteral("a.mp3"), dir.path()), std::nullopt);
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("a(32768).mp3"))));
        QCOMPARE(UniqueOutputName(QStringLiteral("a.mp3"), dir.path()),
                 std::optional<QString>(QStringLiteral("a(32768).mp3")));
    }

    void fileSizeAndDeleteIfEmpty()
    {
        QTemporaryDir dir;
        const QString empty = dir.filePath(QStringLiteral("empty"));
        const QString full = dir.filePath(QStringLiteral("full"));
        touch(empty);
        touch(full, "12345");
        QCOMPARE(FileSizeOf(full), qint64(5));
        QCOMPARE(FileSizeOf(empty), qint64(0));
        QCOMPARE(FileSizeOf(dir.filePath(QStringLiteral("none"))), qint64(-1));
        QCOMPARE(FileSizeOf(dir.path()), qint64(-1));
        QVERIFY(!DeleteIfEmpty(full));
        QVERIFY(QFile::exists(full));
        QVERIFY(DeleteIfEmpty(empty));
        QVERIFY(!QFile::exists(empty));
        QVERIFY(!DeleteIfEmpty(empty));
    }

    void inputRefusal_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("refused");
        QTest::newRow("regular file") << "file" << false;
        QTest::newRow("link to a regular file") << "link" << false;
        QTest::newRow("missing, left to the encoder") << "missing" << false;
        QTest::newRow("fifo") << "fifo" << true;
        QTest::newRow("folder") << "folder" << true;
        QTest::newRow("device") << "device" << true;
    }

    void inputRefusal()
    {
        QFETCH(QString, kind);
        QFETCH(bool, refused);
        QTemporaryDir dir;
        QString path = dir.filePath("in.avi");
        if (kind == "file" || kind == "link") touch(dir.filePath("real.avi"), "data");
        if (kind == "file") path = dir.filePath("real.avi");
        if (kind == "link") QVERIFY(QFile::link(dir.filePath("real.avi"), path));
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (kind == "folder") QVERIFY(QDir().mkdir(path));
        if (kind == "device") path = "/dev/zero";
        QCOMPARE(InputRefusal(path), refused ? QString("not a regular file") : QString());
    }

    void namesLookedUpWithoutCase()
    {
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("french.ini")));
        QCOMPARE(ResolvePathNoCase(dir.filePath(QStringLiteral("FRENCH.ini"))),
                 dir.filePath(QStringLiteral("french.ini")));
        QCOMPARE(ResolvePathNoCase(dir.filePath(QStringLiteral("german.ini"))),
                 dir.filePath(QStringLiteral("german.ini")));
        touch(dir.filePath(QStringLiteral("FRENCH.ini")));
        QCOMPARE(FindFileNoCase(dir.path(), QStringLiteral("FRENCH.ini")),
                 QStringLiteral("FRENCH.ini"));
    }

    void randomDigits()
    {
        const QString digits = RandomDigits(5);
        QCOMPARE(digits.size(), 5);
        for (const QChar c : digits)
            QVERIFY(c >= u'0' && c <= u'9');
        QCOMPARE(RandomDigits(0), QString());
        // Re-seeding on every call must not repeat the previous call's digits.
        QVERIFY(RandomDigits(20) != RandomDigits(20));
        // Each digit value turns up: the digits are spread over 0..9.
        const QString many = RandomDigits(2000);
        for (char d = '0'; d <= '9'; ++d)
            QVERIFY(many.count(QLatin1Char(d)) > 100);
    }
};

QTEST_GUILESS_MAIN(TestSharedFunctions)
#include "tst_SharedFunctions.moc"
