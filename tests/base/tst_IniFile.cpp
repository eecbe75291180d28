#include "base/IniFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "FullDisk.h"
#include "TestFiles.h"

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name = QStringLiteral("test.ini")) const
    {
        return m_dir.filePath(name);
    }

    QStringList folderEntries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void readRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("expected");

        const QString longText(3000, u'x');
        QTest::newRow("names without case") << QByteArray("[General]\nVideoCodec=3\n") << "GENERAL"
                                            << "videocodec" << true << "3";
        QTest::newRow("first key wins") << QByteArray("[S]\nK=1\nk=2\n") << "S"
                                        << "K" << true << "1";
        QTest::newRow("first section wins") << QByteArray("[S]\nK=1\n[s]\nK=2\nL=3\n") << "S"
                                            << "L" << false << "";
        QTest::newRow("value trimmed") << QByteArray("[S]\n  K  =   a  b \t\n") << "S"
                                       << "K" << true << "a  b";
        QTest::newRow("double quotes removed") << QByteArray("[S]\nK= \"a b\" \n") << "S"
                                               << "K" << true << "a b";
        QTest::newRow("single quotes removed") << QByteArray("[S]\nK='x'\n") << "S"
                                               << "K" << true << "x";
        QTest::newRow("only one pair removed") << QByteArray("[S]\nK=\"\"x\"\"\n") << "S"
                                               << "K" << true << "\"x\"";
        QTest::newRow("unmatched quotes kept") << QByteArray("[S]\nK=\"x'\n") << "S"
                                               << "K" << true << "\"x'";
        QTest::newRow("lone quote kept") << QByteArray("[S]\nK=\"\n") << "S"
                                         << "K" << true << "\"";
        QTest::newRow("empty value is present") << QByteArray("[S]\nK=\n") << "S"
                                                << "K" << true << "";
        QTest::newRow("value holds =") << QByteArray("[S]\nK=a=b\n") << "S"
                                       << "K" << true << "a=b";
        QTest::newRow("key of another section") << QByteArray("[A]\nK=1\n[S]\n") << "S"
                                                << "K" << false << "";
        QTest::newRow("key before any section") << QByteArray("K=1\n[S]\n") << "S"
                                                << "K" << false << "";
        QTest::newRow("line without =") << QByteArray("[S]\nK\n") << "S"
                                        << "K" << false << "";
        QTest::newRow("missing section") << QByteArray("[A]\nK=1\n") << "S"
                                         << "K" << false << "";
        QTest::newRow("CR LF lines") << QByteArray("[S]\r\nK=v\r\n") << "S"
                                     << "K" << true << "v";
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[S]\nK=v\n") << "S"
                                         << "K" << true << "v";
        QTest::newRow("UTF-8 text") << QByteArray(
                                           "[S]\nK=Fran\xC3\xA7"
                                           "ais\n")
                                    << "S"
                                    << "K" << true << QStringLiteral("Fran\u00E7ais");
        QTest::newRow("Latin-1 file") << QByteArray("[S]\nK=caf\xE9\n") << "S"
                                      << "K" << true << QStringLiteral("caf\u00E9");
        QTest::newRow("2047 characters") << ("[S]\nK=" + longText.toLatin1() + "\n") << "S"
                                         << "K" << true << QString(2047, u'x');
        QTest::newRow("quotes go before the cut")
            << ("[S]\nK=\"y" + longText.toLatin1() + "\"\n") << "S"
            << "K" << true << (u'y' + QString(2046, u'x'));
        QTest::newRow("binary garbage") << QByteArray("\x00\xFF[S\x01\n=\n[S]\nK=1\n", 16) << "S"
                                        << "K" << true << "1";
    }

    void readRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(bool, present);
        QFETCH(QString, expected);
        writeFile(path(), content);
        const auto value = IniFile(path()).value(section, key);
        QCOMPARE(value.has_value(), present);
        if (present) QCOMPARE(*value, expected);
    }

    void missingFileReadsEmpty()
    {
        const IniFile file(path(QStringLiteral("none.ini")));
        QVERIFY(!file.existed());
        QCOMPARE(file.readString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")),
                 QStringLiteral("d"));
    }

    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "10" << true << 10;
        QTest::newRow("leading zeros") << "0012" << true << 12;
        QTest::newRow("negative") << "-7" << true << -7;
        QTest::newRow("plus sign") << "+5" << true << 5;
        QTest::newRow("0x") << "0x0A" << true << 10;
        QTest::newRow("0X") << "0XfF" << true << 255;
        QTest::newRow("dollar") << "$A" << true << 10;
        QTest::newRow("32 bits of hex") << "$FFFFFFFF" << true << -1;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("0x alone") << "0x" << false << 0;
        QTest::newRow("dollar alone") << "$" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("word") << "abc" << false << 0;
        QTest::newRow("trailing letters") << "12abc" << false << 0;
        QTest::newRow("bad hex digit") << "0x1G" << false << 0;
        QTest::newRow("decimal point") << "1.5" << false << 0;
        QTest::newRow("too large") << "2147483648" << false << 0;
        QTest::newRow("hex too long") << "$100000000" << false << 0;
    }

    void integers()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, expected);
        const auto value = ParseIniInteger(text);
        QCOMPARE(value.has_value(), valid);
        if (valid) QCOMPARE(*value, expected);
    }

    void readTypedValues()
    {
        writeFile(path(), "[S]\nTwo=2\nMinus=-1\nZero=0\nWord=abc\nHex= 0x10 \n");
        const IniFile file(path());
        const QString s = QStringLiteral("S");
        QCOMPARE(file.readInteger(s, QStringLiteral("Hex"), 7), 16);
        QCOMPARE(file.readInteger(s, QStringLiteral("Word"), 7), 7);
        QCOMPARE(file.readInteger(s, QStringLiteral("Absent"), 7), 7);
        QCOMPARE(file.readBool(s, QStringLiteral("Two"), false), true);
        QCOMPARE(file.readBool(s, QStringLiteral("Minus"), false), true);
        QCOMPARE(file.readBool(s, QStringLiteral("Zero"), true), false);
        QCOMPARE(file.readBool(s, QStringLiteral("Word"), true), true);
        QCOMPARE(file.readBool(s, QStringLiteral("Word"), false), false);
    }

    void sectionValuesKeepFileOrder()
    {
        writeFile(path(), "[T]\nB Files=*.b\nA Files = \"*.a;*.aa\"\nnot a pair\n[U]\nC=*.c\n");
        const auto pairs = IniFile(path()).sectionValues(QStringLiteral("t"));
        QCOMPARE(pairs.size(), 2);
        QCOMPARE(pairs[0], std::make_pair(QStringLiteral("B Files"), QStringLiteral("*.b")));
        QCOMPARE(pairs[1], std::make_pair(QStringLiteral("A Files"), QStringLiteral("*.a;*.aa")));
    }

    void largeDeviceProfileReadsInLinearTime()
    {
        // Shaped like a device profile: one section per conversion, read the
        // way the device profile list reads it.
        const int items = 10000;
        QByteArray text = "[Info]\nTitleE=Many\n";
        for (int i = 1; i <= items; ++i) {
            const QByteArray n = QByteArray::number(i);
            text += "\n[Item" + n + "]\nTitleE=Title " + n + "\nEXT=mp4\nCommand1=first " + n +
                    "\nCommand2=second\nCommand3=third\n";
        }
        writeFile(path(), text);

        QElapsedTimer timer;
        timer.start();
        const IniFile file(path());
        const QStringList sections = file.sectionNames();
        QCOMPARE(sections.size(), items + 1);
        for (int i = 1; i <= items; ++i) {
            const QString section = sections[i];
            QCOMPARE(section, QStringLiteral("Item%1").arg(i));
            QCOMPARE(file.readString(section, QStringLiteral("titlee"), {}),
                     QStringLiteral("Title %1").arg(i));
            QCOMPARE(file.readString(section, QStringLiteral("EXT"), {}), QStringLiteral("mp4"));
            const auto pairs = file.sectionValues(section);
            QCOMPARE(pairs.size(), 5);
            QCOMPARE(pairs[2].second, QStringLiteral("first %1").arg(i));
        }
        // Scanning the file for every lookup took over five seconds here.
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed()) + " ms"));
    }

    void writeRules_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("new file") << QByteArray() << "S"
                                  << "K"
                                  << "v" << QByteArray("[S]\nK=v\n");
        QTest::newRow("update in place, spelling kept")
            << QByteArray("[System]\nPriority=1\nOther=x\n") << "system"
            << "PRIORITY"
            << "2" << QByteArray("[System]\nPriority=2\nOther=x\n");
        QTest::newRow("only the first occurrence") << QByteArray("[A]\nk=1\nk=2\n") << "A"
                                                   << "K"
                                                   << "3" << QByteArray("[A]\nk=3\nk=2\n");
        QTest::newRow("new key at the end of its section")
            << QByteArray("[A]\nk=1\n\n[B]\nm=2\n") << "a"
            << "n"
            << "5" << QByteArray("[A]\nk=1\nn=5\n\n[B]\nm=2\n");
        QTest::newRow("new key in an empty section") << QByteArray("[A]\n[B]\n") << "A"
                                                     << "k"
                                                     << "1" << QByteArray("[A]\nk=1\n[B]\n");
        QTest::newRow("new section at the end") << QByteArray("[A]\nk=1\n") << "B"
                                                << "x"
                                                << "y" << QByteArray("[A]\nk=1\n\n[B]\nx=y\n");
        QTest::newRow("other lines untouched")
            << QByteArray("; note\n[A]\n# c\n  k = 1 \n[B]\nk=1\n") << "B"
            << "k"
            << "2" << QByteArray("; note\n[A]\n# c\n  k = 1 \n[B]\nk=2\n");
        QTest::newRow("CR LF kept") << QByteArray("[A]\r\nk=1\r\n") << "A"
                                    << "j"
                                    << "2" << QByteArray("[A]\r\nk=1\r\nj=2\r\n");
        QTest::newRow("byte order mark kept") << QByteArray("\xEF\xBB\xBF[A]\n") << "A"
                                              << "k"
                                              << "1" << QByteArray("\xEF\xBB\xBF[A]\nk=1\n");
        QTest::newRow("text written as is") << QByteArray("[A]\n") << "A"
                                            << "k" << QStringLiteral("$HOME `x` 'q' \u00E9")
                                            << QByteArray("[A]\nk=$HOME `x` 'q' \xC3\xA9\n");
    }

    void writeRules()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isEmpty()) writeFile(path(), before);
        IniFile file(path());
        file.writeString(section, key, value);
        QCOMPARE(readFile(path()), after);
        QCOMPARE(file.readString(section, key, QString()), value.trimmed());
        // Every other key, including those the write moved, reads as from the file.
        const IniFile reread(path());
        QCOMPARE(file.sectionNames(), reread.sectionNames());
        for (const QString& name : reread.sectionNames())
            for (const auto& [k, v] : reread.sectionValues(name))
                QCOMPARE(file.value(name, k), reread.value(name, k));
        QCOMPARE(reread.readString(section, key, QString()), value.trimmed());
    }

    void writeReplacesTheFileWhole()
    {
        writeFile(path(), "[A]\nk=old\n");
        QFile reader(path());
        QVERIFY(reader.open(QIODevice::ReadOnly));
        IniFile(path()).writeString(QStringLiteral("A"), QStringLiteral("k"),
                                    QStringLiteral("new"));
        // A reader that opened the old file still sees it whole: the new file
        // was renamed into place, never written over the old one.
        QCOMPARE(reader.readAll(), QByteArray("[A]\nk=old\n"));
        QCOMPARE(readFile(path()), QByteArray("[A]\nk=new\n"));
        QCOMPARE(folderEntries(), QStringList{QStringLiteral("test.ini")});
    }

    void refusedWrite_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << "readonly";
        QTest::newRow("missing folder") << "nofolder";
        QTest::newRow("path is a folder") << "folder";
        QTest::newRow("disk full") << "full";
        // Smaller than the write buffer: the failure shows only when it is flushed.
        QTest::newRow("disk full by a few bytes") << "fullbyfew";
        QTest::newRow("value with a line break") << "linebreak";
    }

    void refusedWrite()
    {
        QFETCH(QString, kind);
        const QByteArray original("[A]\nk=1\n");
        QString target = path();
        QString value = QStringLiteral("2");
        if (kind == u"nofolder") {
            target = m_dir.filePath(QStringLiteral("missing/test.ini"));
        } else if (kind == u"folder") {
            QVERIFY(QDir().mkpath(target));
        } else {
            writeFile(target, original);
        }
        if (kind == u"readonly") QVERIFY(QFile::setPermissions(target, QFile::ReadOwner));
        if (kind == u"linebreak") value = QStringLiteral("2\n[B]\nx=injected");
        if (kind == u"full") value = QString(64 * 1024, u'x');
        if (kind == u"fullbyfew") value = QString(5000, u'x');

        IniFile file(target);
        const QStringList entriesBefore = folderEntries();
        QString error;
        try {
            std::optional<FullDisk> full;
            if (kind.startsWith(u"full")) full.emplace(4096);
            file.writeString(QStringLiteral("A"), QStringLiteral("k"), value);
        } catch (const IniWriteError& e) {
            error = e.text();
        }

        QCOMPARE(error, QStringLiteral("Unable to write to ") + target);
        QCOMPARE(folderEntries(), entriesBefore);
        if (QFileInfo(target).isFile()) {
            QCOMPARE(readFile(target), original);
            QCOMPARE(file.readString(QStringLiteral("A"), QStringLiteral("k"), QString()),
                     QStringLiteral("1"));
        }
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_IniFile.moc"
