#include "base/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProgramFolder : public QObject {
    Q_OBJECT

    static void write(const QString& path, const QByteArray& bytes, bool executable = false)
    {
        QDir().mkpath(path.left(path.lastIndexOf(u'/')));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        if (executable) f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
    }

    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void writableExecutableFolderIsPortable()
    {
        QTemporaryDir installed;
        const auto choice = ResolveProgramFolder(installed.path(), installed.filePath("user"));
        QCOMPARE(choice.folder, installed.path() + u'/');
        QVERIFY(choice.error.isEmpty());
        QVERIFY(!QFile::exists(installed.filePath("user")));
    }

    void seedingCopiesDataButNotPrograms()
    {
        QTemporaryDir root;
        const QString installed = root.filePath("installed");
        write(installed + "/clipforge", "program", true);
        write(installed + "/avcore.dll", "encoder", true);
        write(installed + "/skin/kelp/lang/english.ini", "[LANGRES]\n");
        write(installed + "/profile_en/mp3/Standard.mp3p", "[General]\n");
        const QString user = root.filePath("share/clipforge");

        QCOMPARE(SeedProgramFolder(installed, user), QString());
        QCOMPARE(read(user + "/skin/kelp/lang/english.ini"), QByteArray("[LANGRES]\n"));
        QCOMPARE(read(user + "/profile_en/mp3/Standard.mp3p"), QByteArray("[General]\n"));
        QVERIFY(!QFile::exists(user + "/clipforge"));
        QVERIFY(!QFile::exists(user + "/avcore.dll"));
        QVERIFY(!QFile::exists(user + ".partial"));

        // Later starts use the user's folder as it is: nothing is copied over it.
        write(user + "/skin/kelp/lang/english.ini", "changed by the user");
        const auto choice = ResolveProgramFolder(user, user);
        QCOMPARE(read(user + "/skin/kelp/lang/english.ini"), QByteArray("changed by the user"));
        QCOMPARE(choice.folder, user + u'/');
    }

    void failedSeedingLeavesNoHalfFolder()
    {
        QTemporaryDir root;
        const QString installed = root.filePath("installed");
        write(installed + "/skin/a.ini", "a");
        // A file where the user folder's parent should be makes every copy fail.
        write(root.filePath("blocked"), "not a folder");
        const QString user = root.filePath("blocked/clipforge");
        QVERIFY(!SeedProgramFolder(installed, user).isEmpty());
        QVERIFY(!QFile::exists(user));
        QVERIFY(!QFile::exists(user + ".partial"));
    }

    void settingsFileInProgramFolder()
    {
        SetProgramFolder("/opt/app");
        QCOMPARE(ProgramFolder(), QStringLiteral("/opt/app/"));
        QCOMPARE(SettingsFilePath(), QStringLiteral("/opt/app/info.ini"));
        QCOMPARE(ShellFolderPath("Nothing"), QString());
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_ProgramFolder.moc"
