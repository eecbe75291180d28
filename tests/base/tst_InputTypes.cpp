#include "base/InputTypes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestInputTypes : public QObject {
    Q_OBJECT

    static QList<NameValue> sampleTypes()
    {
        return {{"Video Files", "*.avi;*.MPG"}, {"Audio Files", "*.mp3"}};
    }

private Q_SLOTS:
    void loadInputTypes()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("type_french.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            "[AVSExt]\n1=.rmvb\n2= .RM \n4=.wtv\n"
            "[InputFileTypes]\nFichiers vid\xC3\xA9o=*.avi;*.mpg\nAudio=*.mp3\n");
        f.close();

        TGlobalVars vars;
        vars.AVSExt = QStringList{"stale"};
        vars.InputFileTypes = {{"stale", "*.x"}};
        // The language file name is upper case after a menu choice; the type
        // file is found all the same.
        const QString typeFile = TypeFilePath(dir.path(), "FRENCH.ini");
        QCOMPARE(typeFile, dir.filePath("type_french.dat"));
        LoadInputTypes(vars, typeFile);
        // The numbered list ends at the first missing number.
        QCOMPARE(vars.AVSExt, (QStringList{".rmvb", ".RM"}));
        QCOMPARE(vars.InputFileTypes,
                 (QList<NameValue>{{QStringLiteral("Fichiers vid\u00E9o"), "*.avi;*.mpg"},
                                   {"Audio", "*.mp3"}}));

        LoadInputTypes(vars, dir.filePath("missing.dat"));
        QVERIFY(vars.AVSExt.isEmpty());
        QVERIFY(vars.InputFileTypes.isEmpty());
    }

    void buildOpenFilter()
    {
        QCOMPARE(BuildOpenFilter(sampleTypes(), "All Files"),
                 QStringLiteral("Video Files|*.avi;*.MPG|Audio Files|*.mp3|All Files|*.*"));
        QCOMPARE(BuildOpenFilter({}, "Tous"), QStringLiteral("Tous|*.*"));
    }

    void isAcceptedInput_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("listed") << ".avi" << true;
        QTest::newRow("other case") << ".mpg" << true;
        QTest::newRow("upper case extension") << ".MP3" << true;
        QTest::newRow("part of a pattern") << ".mp" << true;
        QTest::newRow("not listed") << ".txt" << false;
        QTest::newRow("no extension") << "" << false;
    }

    void isAcceptedInput()
    {
        QFETCH(QString, extension);
        QFETCH(bool, accepted);
        QCOMPARE(IsAcceptedInput(sampleTypes(), extension), accepted);
    }

    void shippedTypeFiles_data()
    {
        QTest::addColumn<QString>("language");
        for (const char* language : {"english", "french", "deutsch", "italian"})
            QTest::newRow(language) << language;
    }

    void shippedTypeFiles()
    {
        QFETCH(QString, language);
        const QString folder = CLIPFORGE_SOURCE_DIR "/data/skin/kelp/lang";
        TGlobalVars english;
        LoadInputTypes(english, TypeFilePath(folder, "english.ini"));
        TGlobalVars vars;
        LoadInputTypes(vars, TypeFilePath(folder, language + ".ini"));
        // Every language offers the same files; only the captions differ.
        QCOMPARE(vars.AVSExt, english.AVSExt);
        QCOMPARE(vars.InputFileTypes.size(), english.InputFileTypes.size());
        for (qsizetype i = 0; i < vars.InputFileTypes.size(); ++i) {
            QVERIFY(!vars.InputFileTypes[i].first.isEmpty());
            QCOMPARE(vars.InputFileTypes[i].second, english.InputFileTypes[i].second);
        }
        for (const char* ext : {".avi", ".mp4", ".mkv", ".mp3", ".wav", ".flac", ".3gp", ".wmv"})
            QVERIFY2(IsAcceptedInput(vars.InputFileTypes, QString::fromLatin1(ext)), ext);
    }
};

QTEST_GUILESS_MAIN(TestInputTypes)
#include "tst_InputTypes.moc"
