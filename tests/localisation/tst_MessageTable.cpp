#include "localisation/LanguageChoice.h"
#include "localisation/MessageTable.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

class TestMessageTable : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString languageFile(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
        f.write(content);
        return path;
    }

private Q_SLOTS:
    void init() { ResetMessageTable(); }

    void builtInTextsMatchTheList()
    {
        QFile f(CLIPFORGE_TESTS_DIR "/localisation/builtin_texts.json");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonArray list = QJsonDocument::fromJson(f.readAll()).array();
        QCOMPARE(list.size(), 320);
        QCOMPARE(int(MSG_KEY_COUNT), 320);
        for (int i = 0; i < MSG_KEY_COUNT; ++i) {
            const QJsonArray entry = list[i].toArray();
            QCOMPARE(MsgKeyName(MsgKey(i)), entry[0].toString());
            QCOMPARE(Msg(MsgKey(i)), entry[1].toString());
        }
    }

    void normalizeLanguageText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("only blanks") << "   \t "
                                     << "";
        QTest::newRow("control characters at the ends") << "\x01\t a b \r\n"
                                                        << "a b";
        QTest::newRow("runs of spaces fold") << "a    b  c"
                                             << "a b c";
        QTest::newRow("tab stays") << "a\tb"
                                   << "a\tb";
        QTest::newRow("space after tab stays") << "a\t b"
                                               << "a\t b";
        QTest::newRow("#13 twice") << "one#13#13two"
                                   << "one\r\n\r\ntwo";
        QTest::newRow("#1 and # 13 stay") << "#1 # 13"
                                          << "#1 # 13";
        QTest::newRow("#13 at the end") << "x#13"
                                        << "x\r\n";
        QTest::newRow("non-ASCII kept") << QStringLiteral("Qualit\u00E9  \u00FCber")
                                        << QStringLiteral("Qualit\u00E9 \u00FCber");
    }

    void normalizeLanguageText()
    {
        QFETCH(QString, text);
        QFETCH(QString, normalized);
        QCOMPARE(NormalizeLanguageText(text), normalized);
    }

    void formatText_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("result");
        QTest::newRow("tray hint")
            << "%s: %d%%" << QStringList{"clip.avi", "42"} << "clip.avi: 42%";
        QTest::newRow("arguments are not patterns")
            << "File \"%s\"" << QStringList{"100%s %d.avi"} << "File \"100%s %d.avi\"";
        QTest::newRow("missing argument") << "%d of %d" << QStringList{"1"} << "1 of ";
        QTest::newRow("other specifiers stay") << "%x %5 %" << QStringList{"a"} << "%x %5 %";
    }

    void formatText()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, args);
        QFETCH(QString, result);
        QCOMPARE(FormatText(pattern, args), result);
    }

    void msgFormatFillsTheCurrentText()
    {
        QCOMPARE(MsgFormat(MSG_ID_WORKING, 2, 5, "a.avi"),
                 QStringLiteral("Working on file 2 of 5: a.avi"));
    }

    void loadLanguage()
    {
        const QString longValue = u'a' + QString(100, u' ') + QString(3000, u'b');
        const QString path = languageFile("test.ini",
                                          "[other]\nMSG_EXIT=Not this\n[langres]\n"
                                          "msg_convert=Convertir  maintenant\n"
                                          "MSG_EXIT=   \n"
                                          "MSG_OK=\"  Bien  \"\n"
                                          "not a pair\n"
                                          "MSG_NO_SUCH_KEY=ignored\n"
                                          "MSG_CANCEL=" +
                                              longValue.toLatin1() +
                                              "\n"
                                              "MSG_CONVERT=second occurrence\n");
        LoadLanguage(path);
        QCOMPARE(Msg(MSG_CONVERT), QStringLiteral("Convertir maintenant"));
        QCOMPARE(Msg(MSG_EXIT), QString());
        QCOMPARE(Msg(MSG_OK), QStringLiteral("Bien"));
        // Cut to 2047 characters before the blanks are folded.
        QCOMPARE(Msg(MSG_CANCEL), QStringLiteral("a ") + QString(1946, u'b'));
        // Keys the file lacks keep their text, normalised.
        QCOMPARE(Msg(MSG_APPLICATION_TITLE), QStringLiteral("Corvane Clipforge"));
        QCOMPARE(Msg(MSG_FORMAT_ERROR),
                 QStringLiteral("An error occurred while adding file:\r\n\r\nThe file \"%s\" is "
                                "damaged or the format is not supported."));
    }

    void defaultsStayUnnormalisedUntilALoad()
    {
        QVERIFY(Msg(MSG_INVALID_FILE_NAME).contains(QStringLiteral("\n\r\n\r\\ /")));
        const QString withoutSection = languageFile("empty.ini", "[Other]\nMSG_OK=x\n");
        LoadLanguage(withoutSection);
        QCOMPARE(Msg(MSG_OK), QStringLiteral("OK"));
        QCOMPARE(Msg(MSG_HIGH_Q), QStringLiteral("High quality,\nlarge size"));
        // A file without the section still normalises every text.
        const QString padded = languageFile("padded.ini", "[LANGRES]\nMSG_OK=  O  K  \n");
        LoadLanguage(padded);
        QCOMPARE(Msg(MSG_OK), QStringLiteral("O K"));
    }

    void missingFileChangesNothing()
    {
        const QString path = languageFile("a.ini", "[LANGRES]\nMSG_OK=D'accord\n");
        QVERIFY(LoadLanguage(path));
        QVERIFY(!LoadLanguage(m_dir.filePath("missing.ini")));
        QVERIFY(!LoadLanguage(m_dir.path()));
        QCOMPARE(Msg(MSG_OK), QStringLiteral("D'accord"));
    }

    void switchingKeepsTextsTheNewFileLacks()
    {
        const QString french =
            languageFile("french.ini", "[LANGRES]\nMSG_CONVERT=Convertir\nMSG_EXIT=Quitter\n");
        const QString partial = languageFile("partial.ini", "[LANGRES]\nMSG_EXIT=Beenden\n");
        LoadLanguage(french);
        LoadLanguage(partial);
        QCOMPARE(Msg(MSG_CONVERT), QStringLiteral("Convertir"));
        QCOMPARE(Msg(MSG_EXIT), QStringLiteral("Beenden"));
    }

    void fileNameMatchedWithoutCase()
    {
        QTemporaryDir program;
        const QString folder = LanguageFolder(program.path());
        QVERIFY(QDir().mkpath(folder));
        QFile f(folder + "/french.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[LANGRES]\nMSG_CONVERT=Convertir\n");
        f.close();
        // The menu stores FRENCH.ini; the file on disk is french.ini.
        LoadLanguage(LanguageFilePath(program.path(), LanguageFileForCaption("&FRENCH")));
        QCOMPARE(Msg(MSG_CONVERT), QStringLiteral("Convertir"));
    }

    void languageMenu()
    {
        QTemporaryDir program;
        const QString folder = LanguageFolder(program.path());
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(LanguageMenuEntries(folder, "english.ini").isEmpty());
        for (const char* name : {"english.ini", "french.ini", "type_english.dat", "help.txt"}) {
            QFile f(folder + u'/' + QLatin1String(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        auto entries = LanguageMenuEntries(folder, "FRENCH.ini");
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.caption < b.caption; });
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].caption, QStringLiteral("ENGLISH"));
        QVERIFY(!entries[0].checked);
        QCOMPARE(entries[1].caption, QStringLiteral("FRENCH"));
        QVERIFY(entries[1].checked);
        for (const auto& entry : LanguageMenuEntries(folder, "klingon.ini"))
            QVERIFY(!entry.checked);
        QCOMPARE(LanguageFileForCaption("F&RENCH"), QStringLiteral("FRENCH.ini"));
    }
};

QTEST_GUILESS_MAIN(TestMessageTable)
#include "tst_MessageTable.moc"
