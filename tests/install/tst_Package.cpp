// The Debian package built from this build folder, unpacked into a folder of
// its own as dpkg would lay it out, converts a clip.

#include "MediaTools.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int WaitMs = 240000;

int run(const QString& program, const QStringList& arguments, QString* output,
        const QString& workingFolder = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty()) process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    if (!process.waitForFinished(WaitMs)) {
        process.kill();
        process.waitForFinished();
    }
    *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

}  // namespace

class TestPackage : public QObject {
    Q_OBJECT

    QTemporaryDir m_work;
    QString m_package;
    QString m_root;

    QString field(const QString& name)
    {
        QString value;
        run("dpkg-deb", {"--field", m_package, name}, &value);
        return value.trimmed();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        QString output;
        const int status = run("cpack",
                               {"-G", "DEB", "--config", CLIPFORGE_BINARY_DIR "/CPackConfig.cmake",
                                "-B", m_work.filePath("out")},
                               &output);
        QVERIFY2(status == 0, qPrintable(output));
        const QStringList debs = QDir(m_work.filePath("out")).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        m_package = m_work.filePath("out/" + debs.first());
        m_root = m_work.filePath("root");
        QVERIFY2(run("dpkg-deb", {"-x", m_package, m_root}, &output) == 0, qPrintable(output));
    }

    void nameAndFields()
    {
        QString arch;
        run("dpkg", {"--print-architecture"}, &arch);
        QCOMPARE(QFileInfo(m_package).fileName(),
                 "clipforge_" + field("Version") + '_' + arch.trimmed() + ".deb");
        QCOMPARE(field("Package"), QString("clipforge"));
        QCOMPARE(field("Version"), QString(CLIPFORGE_VERSION));
    }

    // The libraries come from the binaries; the tools they run are added.
    void dependencies_data()
    {
        QTest::addColumn<QString>("package");
        QTest::newRow("the transcoder") << "ffmpeg";
        QTest::newRow("the windows") << "libqt6widgets6";
        QTest::newRow("the media library") << "libmediainfo0v5";
        QTest::newRow("AMR-NB") << "libopencore-amrnb0";
        QTest::newRow("AMR-WB") << "libvo-amrwbenc0";
    }
    void dependencies()
    {
        QFETCH(QString, package);
        const QStringList depends = field("Depends").split(QRegularExpression(",\\s*"));
        bool found = false;
        for (const QString& entry : depends)
            found = found || entry == package || entry.startsWith(package + ' ');
        QVERIFY2(found, qPrintable(field("Depends")));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("converter") << "usr/bin/clipforge";
        QTest::newRow("command line") << "usr/bin/clipforge-cli";
        QTest::newRow("transfer manager") << "usr/bin/ferrybox";
        QTest::newRow("encoder front") << "usr/libexec/clipforge/avcore.dll";
        QTest::newRow("data") << "usr/share/clipforge/profile_en/mp3/Balanced 128 kbps.mpo";
        QTest::newRow("manual") << "usr/share/man/man1/clipforge-cli.1.gz";
        QTest::newRow("completion") << "usr/share/bash-completion/completions/clipforge-cli";
        QTest::newRow("copyright") << "usr/share/doc/clipforge/copyright";
        QTest::newRow("menu entry") << "usr/share/applications/org.clipforge.Clipforge.desktop";
    }
    void layout()
    {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo(m_root + '/' + path).isReadable(), qPrintable(path));
    }

    void unpackedConverts()
    {
        const QString home = m_work.filePath("home");
        QVERIFY(QDir().mkpath(home + "/out"));
        const QString clip = m_work.filePath("clip.avi");
        QVERIFY(makeClip(clip, "640x480", {"-c:v", "mpeg4", "-c:a", "mp3"}, "1"));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        environment.insert("XDG_DATA_HOME", home + "/.local/share");
        environment.remove("XDG_RUNTIME_DIR");
        QString output;
        const int status =
            run(m_root + "/usr/bin/clipforge-cli", {"--format", "mp4", "--output", "out", clip},
                &output, home, environment);
        QVERIFY2(status == 0, qPrintable(output));
        const Probe result = probe(home + "/out/clip.MP4");
        QVERIFY2(result.ok && result.video.size() == 1, qPrintable(output));
        QCOMPARE(result.video[0].value("width").toInt(), 320);
        QVERIFY(QFileInfo(home + "/out/clip.THM").size() > 0);
        // The user's copy was seeded from the package's data.
        QVERIFY(QFileInfo::exists(home + "/.local/share/clipforge/profile_en/mp3"));
        QVERIFY(!QFileInfo::exists(m_root + "/usr/libexec/clipforge/info.ini"));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_Package.moc"
