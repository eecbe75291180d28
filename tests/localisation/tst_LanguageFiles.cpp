#include "base/IniFile.h"
#include "localisation/MessageTable.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The shipped language files: complete, and safe to hand to the format routine.
class TestLanguageFiles : public QObject {
    Q_OBJECT

    static QString folder() { return QStringLiteral(CLIPFORGE_SOURCE_DIR "/data/skin/kelp/lang"); }

    static QStringList placeholders(const QString& text)
    {
        static const QRegularExpression pattern(QStringLiteral("%[sd%]"));
        QStringList found;
        for (auto it = pattern.globalMatch(text); it.hasNext();)
            found << it.next().captured();
        return found;
    }

private Q_SLOTS:
    void everyKeyOnce_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* file : {"english.ini", "french.ini", "deutsch.ini", "italian.ini"})
            QTest::newRow(file) << file;
    }

    void everyKeyOnce()
    {
        QFETCH(QString, file);
        QFile f(folder() + u'/' + file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QMap<QString, int> seen;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) ++seen[QString::fromUtf8(line.left(eq)).trimmed().toUpper()];
        }
        const IniFile ini(folder() + u'/' + file);
        for (int i = 0; i < MSG_KEY_COUNT; ++i) {
            const MsgKey key = MsgKey(i);
            const QString name = MsgKeyName(key);
            QVERIFY2(seen.value(name.toUpper()) == 1, qPrintable(name));
            seen.remove(name.toUpper());
            const auto text = ini.value(QStringLiteral("LANGRES"), name);
            QVERIFY2(text && !text->isEmpty(), qPrintable(name));
            QVERIFY2(placeholders(*text) == placeholders(MsgDefault(key)), qPrintable(name));
        }
        QVERIFY2(seen.isEmpty(), qPrintable(QStringList(seen.keys()).join(u' ')));
    }

    void englishFileHoldsTheBuiltInTexts()
    {
        ResetMessageTable();
        LoadLanguage(folder() + QStringLiteral("/english.ini"));
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n\r|\r|\n"));
        for (int i = 0; i < MSG_KEY_COUNT; ++i) {
            const MsgKey key = MsgKey(i);
            QString expected = MsgDefault(key);
            expected.replace(lineBreak, QStringLiteral("#13"));
            QCOMPARE(Msg(key), NormalizeLanguageText(expected));
        }
    }

    // Texts users read name this platform's things and are spelled right:
    // words that crept in from another system or by a slip stay out, in the
    // built-in English and in every file.
    void textsFitThisPlatform_data()
    {
        QTest::addColumn<QString>("file");  // empty: the built-in texts
        QTest::newRow("built-in") << QString();
        for (const char* file : {"english.ini", "french.ini", "deutsch.ini", "italian.ini"})
            QTest::newRow(file) << file;
    }

    void textsFitThisPlatform()
    {
        QFETCH(QString, file);
        ResetMessageTable();
        if (!file.isEmpty()) QVERIFY(LoadLanguage(folder() + u'/' + file));
        static const QRegularExpression wrong(QStringLiteral(
            "Windows|DirectShow|\\bARM-|Conveting|Convertion|quliaty|Faild|do not exist|"
            "Can not|can not|following character[^s]|Narrow-Wide|48000kHz|shutdown [A-Z]|"
            "on your photo|the try"));
        for (int i = 0; i < MSG_KEY_COUNT; ++i) {
            const QString text = Msg(MsgKey(i));
            const QRegularExpressionMatch match = wrong.match(text);
            QVERIFY2(!match.hasMatch(),
                     qPrintable(MsgKeyName(MsgKey(i)) + u": " + match.captured()));
        }
        ResetMessageTable();
    }

    void translationsReplaceTheEnglishTexts_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* file : {"french.ini", "deutsch.ini", "italian.ini"})
            QTest::newRow(file) << file;
    }

    void translationsReplaceTheEnglishTexts()
    {
        QFETCH(QString, file);
        ResetMessageTable();
        LoadLanguage(folder() + u'/' + file);
        for (const MsgKey key : {MSG_CONVERT, MSG_ADD_FILES, MSG_NOFILES, MSG_SETTINGS_TITLE,
                                 MSG_ABORTENCODING, MSG_ENTER_PROFILE_NAME})
            QVERIFY2(Msg(key) != NormalizeLanguageText(MsgDefault(key)),
                     qPrintable(MsgKeyName(key)));
    }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_LanguageFiles.moc"
