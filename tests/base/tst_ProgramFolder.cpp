#include "FullDisk.h"

#include "base/InstalledData.h"
#include "base/ProgramFolder.h"

#include <QDateTime>
#include <thread>

#include <sys/time.h>

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

    // An installation: executables, data and the marker.
    static QString install(const QString& root)
    {
        const QString installed = root + "/installed";
        write(installed + "/clipforge", "program", true);
        write(installed + "/avcore.dll", "encoder", true);
        write(installed + "/installed.txt", "marker");
        write(installed + "/skin/kelp/lang/english.ini", "[LANGRES]\n");
        write(installed + "/profile_en/mp3/Standard.mp3p", "[General]\n");
        return installed;
    }

    // Changes a file of the installation as a new version would: other bytes
    // and a later time.
    static void ship(const QString& path, const QByteArray& bytes)
    {
        write(path, bytes);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
    }

    static QStringList partials(const QString& parent)
    {
        return QDir(parent).entryList({"*.partial*"}, QDir::AllEntries | QDir::Hidden);
    }

private Q_SLOTS:
    void whereTheProgramFolderIs_data()
    {
        QTest::addColumn<bool>("marker");
        QTest::addColumn<bool>("installed");
        QTest::newRow("a build or a copy the user may write into") << false << false;
        // An installation the user may write into (root's) is still installed.
        QTest::newRow("an installation") << true << true;
    }

    void whereTheProgramFolderIs()
    {
        QFETCH(bool, marker);
        QFETCH(bool, installed);
        QTemporaryDir root;
        const QString executables = root.filePath("app");
        write(executables + "/clipforge", "program", true);
        if (marker) write(executables + "/installed.txt", "marker");
        const QString user = root.filePath("user");
        const auto choice = ResolveProgramFolder(executables, user);
        QCOMPARE(choice.folder, (installed ? user : executables) + u'/');
        QCOMPARE(IsInstalledCopy(executables), installed);
        QVERIFY(choice.error.isEmpty());
        QCOMPARE(QFile::exists(user), installed);
    }

    void seedingCopiesDataButNotPrograms()
    {
        QTemporaryDir root;
        const QString installed = install(root.path());
        // An installation the user may only read still gives copies the user
        // may change.
        QFile::setPermissions(installed + "/profile_en/mp3/Standard.mp3p", QFile::ReadOwner);
        const QString user = root.filePath("share/clipforge");

        const auto choice = ResolveProgramFolder(installed, user);
        QCOMPARE(choice.folder, user + u'/');
        QCOMPARE(choice.error, QString());
        QCOMPARE(read(user + "/skin/kelp/lang/english.ini"), QByteArray("[LANGRES]\n"));
        QCOMPARE(read(user + "/profile_en/mp3/Standard.mp3p"), QByteArray("[General]\n"));
        QVERIFY(QFileInfo(user + "/profile_en/mp3/Standard.mp3p").permissions() &
                QFile::WriteOwner);
        for (const char* program : {"/clipforge", "/avcore.dll", "/installed.txt"})
            QVERIFY2(!QFile::exists(user + program), program);
        QCOMPARE(partials(root.filePath("share")), QStringList());
    }

    void failedSeedingLeavesNoHalfFolder()
    {
        QTemporaryDir root;
        const QString installed = install(root.path());
        // A file where the user folder's parent should be makes every copy fail.
        write(root.filePath("blocked"), "not a folder");
        const QString user = root.filePath("blocked/clipforge");
        QVERIFY(!SeedProgramFolder(installed, user).isEmpty());
        QVERIFY(!QFile::exists(user));
        QCOMPARE(partials(root.path()), QStringList());
    }

    void abandonedCopiesAreRemoved()
    {
        QTemporaryDir root;
        const QString installed = install(root.path());
        // A start killed an hour ago while seeding, and one seeding now.
        const QString share = root.filePath("share");
        for (const char* name : {"/clipforge.partial-old", "/clipforge.partial-now"})
            write(share + name + "/skin/a.ini", "a");
        const timeval old[2] = {{time(nullptr) - 7200, 0}, {time(nullptr) - 7200, 0}};
        QCOMPARE(utimes(QFile::encodeName(share + "/clipforge.partial-old").constData(), old), 0);
        QCOMPARE(SeedProgramFolder(installed, share + "/clipforge"), QString());
        QCOMPARE(partials(share), QStringList{"clipforge.partial-now"});
    }

    void twoFirstStartsAtOnce()
    {
        QTemporaryDir root;
        const QString installed = install(root.path());
        for (int i = 0; i < 50; ++i)
            write(installed + "/profile_en/avi/" + QString::number(i) + ".avip", "[General]\n");
        const QString user = root.filePath("share/clipforge");
        QString first, second;
        std::thread other([&] { second = SeedProgramFolder(installed, user); });
        first = SeedProgramFolder(installed, user);
        other.join();
        QCOMPARE(first, QString());
        QCOMPARE(second, QString());
        QCOMPARE(QDir(user + "/profile_en/avi").count(), 52u);  // with . and ..
        QCOMPARE(partials(root.filePath("share")), QStringList());
    }

    // What a new installation does to each file of a user's folder.
    void newInstallation_data()
    {
        QTest::addColumn<QByteArray>("shipped");  // by the first installation; "" none
        QTest::addColumn<QByteArray>("user");     // the user's file then; "" none
        QTest::addColumn<QByteArray>("reshipped");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("unchanged, left as shipped")
            << QByteArray("v1") << QByteArray("v1") << QByteArray("v1") << QByteArray("v1");
        QTest::newRow("unchanged, changed by the user")
            << QByteArray("v1") << QByteArray("mine") << QByteArray("v1") << QByteArray("mine");
        QTest::newRow("updated, left as shipped")
            << QByteArray("v1") << QByteArray("v1") << QByteArray("v2 longer")
            << QByteArray("v2 longer");
        QTest::newRow("updated, changed by the user")
            << QByteArray("v1") << QByteArray("mine") << QByteArray("v2 longer")
            << QByteArray("mine");
        QTest::newRow("updated, deleted by the user")
            << QByteArray("v1") << QByteArray() << QByteArray("v2 longer") << QByteArray();
        QTest::newRow("new, user has none")
            << QByteArray() << QByteArray() << QByteArray("v2") << QByteArray("v2");
        QTest::newRow("new, user has one of that name")
            << QByteArray() << QByteArray("mine") << QByteArray("v2") << QByteArray("mine");
    }

    void newInstallation()
    {
        QFETCH(QByteArray, shipped);
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, reshipped);
        QFETCH(QByteArray, expected);
        QTemporaryDir root;
        const QString installed = install(root.path());
        const QString name = "/profile_en/mp4/Standard.mp4p";
        if (!shipped.isEmpty()) write(installed + name, shipped);
        const QString folder = root.filePath("user");
        QCOMPARE(ResolveProgramFolder(installed, folder).error, QString());
        QFile::remove(folder + name);
        if (!user.isEmpty()) write(folder + name, user);
        write(folder + "/info.ini", "[System]\nLanguageFile=deutsch.ini\n");

        ship(installed + name, reshipped);
        const auto choice = ResolveProgramFolder(installed, folder);
        QCOMPARE(choice.notice, QString());
        QCOMPARE(read(folder + name), expected);
        QCOMPARE(QFile::exists(folder + name), !expected.isEmpty());
        QCOMPARE(read(folder + "/info.ini"), QByteArray("[System]\nLanguageFile=deutsch.ini\n"));
        // The next start finds nothing new to do, and undoes nothing.
        write(folder + "/skin/kelp/lang/english.ini", "changed later");
        QCOMPARE(ResolveProgramFolder(installed, folder).notice, QString());
        QCOMPARE(read(folder + "/skin/kelp/lang/english.ini"), QByteArray("changed later"));
    }

    // A full disk: a first start says so and leaves nothing; a new
    // installation says so, leaves every file of the user whole, and is done
    // at the next start that has room.
    void fullDisk()
    {
        QTemporaryDir root;
        const QString installed = install(root.path());
        const QString name = "/skin/kelp/lang/help.html";
        write(installed + name, QByteArray(3000, 'a'));
        const QString folder = root.filePath("user");
        {
            const FullDisk full(2000);
            QVERIFY(!ResolveProgramFolder(installed, folder).error.isEmpty());
        }
        QVERIFY(!QFile::exists(folder));
        QCOMPARE(partials(root.path()), QStringList());
        QCOMPARE(ResolveProgramFolder(installed, folder).error, QString());

        ship(installed + name, QByteArray(5000, 'b'));
        {
            const FullDisk full(4000);
            QVERIFY(!ResolveProgramFolder(installed, folder).notice.isEmpty());
        }
        QCOMPARE(read(folder + name), QByteArray(3000, 'a'));
        QCOMPARE(ResolveProgramFolder(installed, folder).notice, QString());
        QCOMPARE(read(folder + name), QByteArray(5000, 'b'));
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
