// The suite installed into a prefix the user cannot write into, used by that
// user: a real conversion, two first starts at once, and a new installation
// over the old one that keeps what the user made.

#include "MediaTools.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

constexpr int WaitMs = 120000;
constexpr const char* Nobody = "65534";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

// Every name, size and time under a folder: any write into it changes this.
QStringList snapshot(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        entries << info.filePath() + ' ' + QString::number(info.size()) + ' ' +
                       QString::number(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

int run(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(WaitMs);
    if (output) *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

}  // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_prefix;
    QString m_clip;
    bool m_asNobody = false;

    QString programs() const { return m_prefix + "/libexec/clipforge"; }
    QString data() const { return m_prefix + "/share/clipforge"; }

    void install()
    {
        QString output;
        const int status =
            run("cmake", {"--install", CLIPFORGE_BINARY_DIR, "--prefix", m_prefix}, &output);
        QVERIFY2(status == 0, qPrintable(output));
    }

    void setWritable(bool writable)
    {
        QCOMPARE(run("chmod", {"-R", writable ? "u+w" : "a-w", "--", m_prefix}), 0);
    }

    // A user of their own: a home only they may write into.
    QString newHome(const QString& name)
    {
        const QString home = m_root.filePath(name);
        QDir().mkpath(home + "/out");
        giveToUser(home);
        return home;
    }

    void giveToUser(const QString& path)
    {
        if (m_asNobody)
            QCOMPARE(run("chown", {"-R", QString(Nobody) + ':' + Nobody, "--", path}), 0);
    }

    // Starts the installed clipforge-cli as the user of home. Root would be
    // let write into the read-only prefix, so root runs it as nobody.
    void start(QProcess& process, const QString& home, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        environment.insert("XDG_DATA_HOME", home + "/.local/share");
        environment.remove("XDG_RUNTIME_DIR");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(home);
        process.setProcessChannelMode(QProcess::MergedChannels);
        const QString cli = m_prefix + "/bin/clipforge-cli";
        if (m_asNobody)
            process.start("setpriv", QStringList{"--reuid", Nobody, "--regid", Nobody,
                                                 "--clear-groups", "--", cli} +
                                         arguments);
        else
            process.start(cli, arguments);
    }

    QString runCli(const QString& home, const QStringList& arguments, int* status)
    {
        QProcess process;
        start(process, home, arguments);
        process.waitForFinished(WaitMs);
        *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromUtf8(process.readAll());
    }

    QString userFolder(const QString& home) const { return home + "/.local/share/clipforge"; }

    void verifyConverted(const QString& home)
    {
        const QString video = home + "/out/clip.MP4";
        QVERIFY2(QFileInfo(home + "/out/clip.THM").size() > 0, qPrintable(home));
        const Probe result = probe(video);
        QVERIFY2(result.ok && result.video.size() == 1, qPrintable(video));
        QCOMPARE(result.video[0].value("codec_name").toString(), QString("mpeg4"));
        QCOMPARE(result.video[0].value("width").toInt(), 320);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_asNobody = geteuid() == 0;
        if (m_asNobody && QStandardPaths::findExecutable("setpriv").isEmpty())
            QFAIL("setpriv (util-linux) is needed to run the installation as a user");
        // Other users must be able to pass through to their homes.
        QVERIFY(QFile::setPermissions(m_root.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadOther |
                                                         QFile::ExeOther));
        m_prefix = m_root.filePath("prefix with 'quotes' $HOME");
        install();
        // An earlier version's data, to be upgraded later: a help text and a
        // profile that the user will change.
        writeAll(data() + "/skin/kelp/lang/english.ini", "[LANGRES]\nOLD=1\n");
        writeAll(data() + "/profile_en/mp3/Balanced 128 kbps.mpo", "[General]\nOld=1\n");
        setWritable(false);

        m_clip = m_root.filePath("clip.avi");
        makeClip(m_clip, "640x480", {"-c:v", "mpeg4", "-c:a", "mp3"}, "1");
        QVERIFY(QFile::setPermissions(m_clip, QFile::ReadOwner | QFile::ReadOther));
    }

    void cleanupTestCase() { setWritable(true); }

    void layout_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("linksTo");  // for launchers
        QTest::newRow("converter launcher") << "bin/clipforge"
                                            << "libexec/clipforge/clipforge";
        QTest::newRow("command-line launcher") << "bin/clipforge-cli"
                                               << "libexec/clipforge/clipforge-cli";
        QTest::newRow("transfer manager launcher") << "bin/ferrybox"
                                                   << "libexec/clipforge/Ferrybox";
        QTest::newRow("encoder front") << "libexec/clipforge/avcore.dll"
                                       << "";
        QTest::newRow("device script") << "libexec/clipforge/cores/psp.sh"
                                       << "";
        QTest::newRow("marker") << "libexec/clipforge/installed.txt"
                                << "";
        QTest::newRow("profiles") << "share/clipforge/profile_de/mp3/Balanced 128 kbps.mpo"
                                  << "";
        QTest::newRow("input script") << "share/clipforge/cores/DirectShow.avs"
                                      << "";
        QTest::newRow("language") << "share/clipforge/skin/kelp/lang/english.ini"
                                  << "";
        QTest::newRow("menu entry") << "share/applications/org.clipforge.Clipforge.desktop"
                                    << "";
        QTest::newRow("icon") << "share/icons/hicolor/scalable/apps/org.clipforge.Clipforge.svg"
                              << "";
        QTest::newRow("manual") << "share/man/man1/clipforge-cli.1.gz"
                                << "";
        QTest::newRow("completion") << "share/bash-completion/completions/clipforge-cli"
                                    << "";
        QTest::newRow("licence") << "share/doc/clipforge/copyright"
                                 << "";
    }

    void layout()
    {
        QFETCH(QString, path);
        QFETCH(QString, linksTo);
        const QFileInfo info(m_prefix + '/' + path);
        QVERIFY2(info.exists(), qPrintable(path));
        if (linksTo.isEmpty()) return;
        // Relative, so the prefix may move.
        QVERIFY(info.isSymLink());
        QVERIFY(!info.symLinkTarget().isEmpty());
        QVERIFY(QFile::symLinkTarget(info.filePath()).startsWith(m_prefix));
        QCOMPARE(info.canonicalFilePath(), QFileInfo(m_prefix + '/' + linksTo).canonicalFilePath());
        QVERIFY(QFileInfo(m_prefix + '/' + linksTo).isExecutable());
    }

    // Programs and data apart: no data among the programs, no program among
    // the data.
    void programsAndDataApart()
    {
        QVERIFY(!QFileInfo::exists(programs() + "/skin"));
        QVERIFY(!QFileInfo::exists(programs() + "/profile_en"));
        QDirIterator it(data(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info = it.nextFileInfo();
            QVERIFY2(!info.isExecutable(), qPrintable(info.filePath()));
        }
    }

    void convertsAsAUser()
    {
        const QStringList before = snapshot(m_prefix);
        const QString home = newHome("home");
        int status = -1;
        const QString output =
            runCli(home, {"--format", "mp4", "--output", "out", m_clip}, &status);
        QVERIFY2(status == 0, qPrintable(output));
        verifyConverted(home);
        QVERIFY(QFile::exists(userFolder(home) + "/info.ini"));
        QCOMPARE(snapshot(m_prefix), before);
    }

    // Two first starts of one user at once both seed and both convert.
    void twoFirstStartsAtOnce()
    {
        const QString home = newHome("second home");
        QDir().mkpath(home + "/out2");
        giveToUser(home);
        QProcess first, second;
        start(first, home, {"--format", "mp4", "--output", "out", m_clip});
        start(second, home, {"--format", "mp4", "--output", "out2", m_clip});
        QVERIFY(first.waitForFinished(WaitMs));
        QVERIFY(second.waitForFinished(WaitMs));
        QVERIFY2(first.exitCode() == 0, first.readAll().constData());
        QVERIFY2(second.exitCode() == 0, second.readAll().constData());
        verifyConverted(home);
        QVERIFY(QFileInfo(home + "/out2/clip.MP4").size() > 0);
        const QStringList siblings =
            QDir(home + "/.local/share").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(siblings, QStringList{"clipforge"});
    }

    void newInstallationKeepsTheUsersFiles()
    {
        const QString home = m_root.filePath("home");
        const QString folder = userFolder(home);
        QCOMPARE(readAll(folder + "/skin/kelp/lang/english.ini"), QByteArray("[LANGRES]\nOLD=1\n"));
        // The user's own profile, a shipped one changed, and a setting.
        const QByteArray mine =
            readAll(data() + "/profile_en/mp3/High Quality 320 kbps.mpo")
                .replace("AudioBitRatePresetMp3=320", "AudioBitRatePresetMp3=96");
        writeAll(folder + "/profile_en/mp3/Mine.mpo", mine);
        writeAll(folder + "/profile_en/mp3/Balanced 128 kbps.mpo", "[General]\nChanged=1\n");
        QString settings = QString::fromUtf8(readAll(folder + "/info.ini"));
        settings.replace(QRegularExpression("LastInputOpenDir=[^\r\n]*"),
                         "LastInputOpenDir=/my/videos");
        QVERIFY(settings.contains("/my/videos"));
        writeAll(folder + "/info.ini", settings.toUtf8());
        giveToUser(home);

        setWritable(true);
        install();
        setWritable(false);

        int status = -1;
        const QString output = runCli(
            home, {"--format", "mp3", "--profile", "Mine", "--print-command", m_clip}, &status);
        QVERIFY2(status == 0, qPrintable(output));
        QVERIFY2(output.contains("96"), qPrintable(output));
        QCOMPARE(readAll(folder + "/profile_en/mp3/Mine.mpo"), mine);
        QCOMPARE(readAll(folder + "/profile_en/mp3/Balanced 128 kbps.mpo"),
                 QByteArray("[General]\nChanged=1\n"));
        QVERIFY(readAll(folder + "/info.ini").contains("LastInputOpenDir=/my/videos"));
        // What the user left as shipped follows the new installation.
        QCOMPARE(readAll(folder + "/skin/kelp/lang/english.ini"),
                 readAll(data() + "/skin/kelp/lang/english.ini"));
        QVERIFY(!readAll(folder + "/skin/kelp/lang/english.ini").contains("OLD=1"));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_Install.moc"
