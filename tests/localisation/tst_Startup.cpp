#include "base/FileFunctions.h"
#include "localisation/LanguageChoice.h"
#include "localisation/MessageTable.h"
#include "localisation/Startup.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// Start-up of the converter's state on a program folder holding the shipped
// language and type files.
class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_program;

    QString langFolder() const { return LanguageFolder(m_program.path()); }

    void writeSettings(const QByteArray& content)
    {
        QFile f(m_program.filePath("info.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private Q_SLOTS:
    void init()
    {
        ResetMessageTable();
        QDir(m_program.path()).removeRecursively();
        QVERIFY(QDir().mkpath(langFolder()));
        const QDir shipped(CLIPFORGE_SOURCE_DIR "/data/skin/kelp/lang");
        for (const QString& file : shipped.entryList(QDir::Files))
            QVERIFY(QFile::copy(shipped.filePath(file), langFolder() + u'/' + file));
    }

    void firstStartThenLaterStart()
    {
        TGlobalVars vars;
        QVERIFY(LoadStartupSettings(vars, m_program.path(), "/home/u/Documents"));
        QCOMPARE(vars.OutputFormat, quint8(ofAVI));
        QCOMPARE(vars.EncoderPath, QStringLiteral("avcore.dll"));
        QCOMPARE(vars.LastOutputOpenDir, QStringLiteral("/home/u/Documents"));
        QVERIFY(QFile::exists(m_program.filePath("info.ini")));
        QCOMPARE(ApplyLanguage(vars, m_program.path()), QString());
        QCOMPARE(Msg(MSG_CONVERT), QStringLiteral("Convert"));
        QVERIFY(!vars.InputFileTypes.isEmpty());

        TGlobalVars later;
        QVERIFY(!LoadStartupSettings(later, m_program.path(), "/elsewhere"));
        QCOMPARE(later.OutputFormat, quint8(ofMP4));
        QCOMPARE(later.LastOutputOpenDir, QStringLiteral("/home/u/Documents"));
    }

    // The videos folder is the first output folder, and is made when missing;
    // a folder the user chose is never made behind their back.
    void videosFolderIsTheFirstOutputFolder()
    {
        const QString videos = m_program.filePath("home/Videos");
        TGlobalVars vars;
        QVERIFY(LoadStartupSettings(vars, m_program.path(), "/home/u/Documents", videos));
        QCOMPARE(vars.LastOutputOpenDir, videos);
        QCOMPARE(vars.LastInputOpenDir, QStringLiteral("/home/u/Documents"));
        QVERIFY(!QFileInfo::exists(videos));
        QVERIFY(PrepareDefaultOutputFolder(vars.LastOutputOpenDir, videos));
        QVERIFY(QFileInfo(videos).isDir());
        QVERIFY(PrepareDefaultOutputFolder(videos + u'/', videos));

        const QString chosen = m_program.filePath("home/chosen");
        QVERIFY(!PrepareDefaultOutputFolder(chosen, videos));
        QVERIFY(!QFileInfo::exists(chosen));
        // A folder that cannot be made is reported, not taken for made.
        QFile blocker(m_program.filePath("home/file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!PrepareDefaultOutputFolder(blocker.fileName() + "/Videos",
                                            blocker.fileName() + "/Videos"));

        TGlobalVars later;
        writeSettings("[System]\nLastOutputOpenDir=/media/clips\n");
        LoadStartupSettings(later, m_program.path(), "/home/u/Documents", videos);
        QCOMPARE(later.LastOutputOpenDir, QStringLiteral("/media/clips"));
    }

    void storedLanguageIsLoadedWithoutCase()
    {
        writeSettings("[System]\nLanguageFile=FRENCH.ini\n");
        TGlobalVars vars;
        LoadStartupSettings(vars, m_program.path(), QString());
        QCOMPARE(ApplyLanguage(vars, m_program.path()), QString());
        QCOMPARE(vars.LanguageFile, QStringLiteral("FRENCH.ini"));
        QVERIFY(Msg(MSG_CONVERT) != QStringLiteral("Convert"));
        TGlobalVars english;
        english.LanguageFile = "english.ini";
        ApplyLanguage(english, m_program.path());
        // Same patterns, French captions.
        QCOMPARE(vars.InputFileTypes.size(), english.InputFileTypes.size());
        QVERIFY(vars.InputFileTypes[0].first != english.InputFileTypes[0].first);
        QCOMPARE(vars.InputFileTypes[0].second, english.InputFileTypes[0].second);
    }

    void missingTypeFileIsReportedWithItsPath()
    {
        QFile f(langFolder() + "/klingon.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[LANGRES]\nMSG_CONVERT=Qagh\n");
        f.close();
        TGlobalVars vars;
        vars.LanguageFile = "klingon.ini";
        const QString expectedPath = langFolder() + "/type_klingon.dat";
        QCOMPARE(ApplyLanguage(vars, m_program.path()),
                 "Cannot find \"" + expectedPath +
                     "\".\r\n\r\nPlease re-install this program and try again.");
        QCOMPARE(Msg(MSG_CONVERT), QStringLiteral("Qagh"));
    }

    void unreadableLanguageFileFallsBackToEnglish_data()
    {
        QTest::addColumn<QString>("languageFile");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("fallsBack");
        QTest::newRow("missing, its type file present") << "italian.ini"
                                                        << "missing" << true;
        QTest::newRow("missing, no type file either") << "klingon.ini"
                                                      << "missing" << true;
        QTest::newRow("a folder in its place") << "klingon.ini"
                                               << "folder" << true;
        QTest::newRow("a link to itself") << "klingon.ini"
                                          << "loop" << true;
        QTest::newRow("no read permission") << "klingon.ini"
                                            << "locked" << true;
        QTest::newRow("valid French, named without case") << "FRENCH.ini"
                                                          << "valid" << false;
    }

    void unreadableLanguageFileFallsBackToEnglish()
    {
        QFETCH(QString, languageFile);
        QFETCH(QString, kind);
        QFETCH(bool, fallsBack);
        const QString path = langFolder() + u'/' + languageFile;
        QFile::remove(path);
        if (kind == u"folder") QVERIFY(QDir().mkpath(path));
        if (kind == u"loop") QVERIFY(QFile::link(path, path));
        if (kind == u"locked") {
            if (geteuid() == 0) QSKIP("the superuser reads any file");
            writeFile(path, "[LANGRES]\nMSG_CONVERT=Qagh\n");
            QVERIFY(QFile::setPermissions(path, {}));
        }
        TGlobalVars english;
        english.LanguageFile = "english.ini";
        QCOMPARE(ApplyLanguage(english, m_program.path()), QString());
        // The texts of the language used before must not stay.
        LoadLanguage(langFolder() + "/deutsch.ini");

        TGlobalVars vars;
        vars.LanguageFile = languageFile;
        QString notice = "stale";
        QCOMPARE(ApplyLanguage(vars, m_program.path(), &notice), QString());
        // The state names the language in use, so its profiles are English
        // too and a saved setting says so only once.
        QCOMPARE(vars.LanguageFile, fallsBack ? QString("english.ini") : languageFile);
        if (!fallsBack) {
            QCOMPARE(notice, QString());
            QVERIFY(Msg(MSG_CONVERT) != QStringLiteral("Convert"));
            QVERIFY(vars.InputFileTypes[0].first != english.InputFileTypes[0].first);
            return;
        }
        QCOMPARE(notice,
                 "Cannot read the language file \"" + path + "\"; English is used instead.");
        QCOMPARE(Msg(MSG_CONVERT), QStringLiteral("Convert"));
        QCOMPARE(vars.InputFileTypes, english.InputFileTypes);
    }

    void fallbackWithoutItsTypeFileIsAnError()
    {
        QVERIFY(QFile::remove(langFolder() + "/type_english.dat"));
        TGlobalVars vars;
        vars.LanguageFile = "klingon.ini";
        QString notice;
        QCOMPARE(ApplyLanguage(vars, m_program.path(), &notice),
                 "Cannot find \"" + langFolder() +
                     "/type_english.dat\".\r\n\r\nPlease re-install this program and try again.");
        QVERIFY(notice.contains(langFolder() + "/klingon.ini"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_Startup.moc"
