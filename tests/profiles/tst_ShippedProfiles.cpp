#include "ShippedProfiles.h"
#include "base/globals.h"
#include "profiles/EncoderArguments.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {

const QString ShippedRoot = QStringLiteral(CLIPFORGE_SOURCE_DIR "/data/profile_en");
const QString AppDir = QStringLiteral(CLIPFORGE_APP_DIR);

constexpr std::array<const char*, 16> OutputExtensions = {"avi", "mp4", "3gp", "mpg", "mov", "wmv",
                                                          "rm",  "swf", "vob", "asf", "aac", "ac3",
                                                          "mp2", "mp3", "amr", "wav"};

// The files of the sixteen format folders; the root holds other data too.
QStringList profileFilesBelow(const QString& root)
{
    QStringList files;
    for (int format = 0; format < OutputFormatCount; ++format) {
        QDirIterator it(root + '/' + FolderWord(format), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(root).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

QByteArray readBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString ffmpegProgram()
{
    const QString fromEnv = qEnvironmentVariable("CLIPFORGE_FFMPEG");
    return fromEnv.isEmpty() ? QStringLiteral("ffmpeg") : fromEnv;
}

// Runs a program to its end; gives its exit code, or -1 when it did not run.
int run(const QString& program, const QStringList& args, QByteArray* output = nullptr,
        const QString& workingDir = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingDir.isEmpty()) process.setWorkingDirectory(workingDir);
    process.start(program, args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output) *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

}  // namespace

class TestShippedProfiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;

private Q_SLOTS:
    // The installed files are exactly what the table writes, in the file form.
    void filesMatchTheTable()
    {
        const QString root = m_dir.filePath("generated");
        QCOMPARE(WriteShippedProfiles(root), QString());
        const QStringList generated = profileFilesBelow(root);
        QCOMPARE(profileFilesBelow(ShippedRoot), generated);
        for (const QString& file : generated)
            QVERIFY2(readBytes(root + '/' + file) == readBytes(ShippedRoot + '/' + file),
                     qPrintable(file + " differs; run write_shipped_profiles data/profile_en"));
    }

    void everyFormatHasADefaultFirst()
    {
        for (int format = 0; format < OutputFormatCount; ++format) {
            QStringList names;
            for (const ShippedProfile& p : ShippedProfiles())
                if (p.format == format) names << p.name;
            QVERIFY2(names.size() >= 2, qPrintable(FolderWord(format)));
            QStringList sorted = names;
            sorted.sort(Qt::CaseInsensitive);
            QCOMPARE(sorted.first(), names.first());
        }
    }

    void convert_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("profile");
        for (const ShippedProfile& p : ShippedProfiles())
            QTest::addRow("%s", qPrintable(ShippedProfilePath(p)))
                << p.format << ShippedRoot + '/' + ShippedProfilePath(p);
    }

    // Each installed profile converts a short clip through the encoder front
    // into valid media of its kind.
    void convert()
    {
        QFETCH(int, format);
        QFETCH(QString, profile);
        const QString encoder = AppDir + "/avcore.dll";
        if (!QFile::exists(encoder)) QFAIL(qPrintable("the encoder front is missing: " + encoder));
        if (m_clip.isEmpty()) {
            const QString clip = m_dir.filePath("clip.avi");
            QByteArray log;
            const int code =
                run(ffmpegProgram(),
                    {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=1",
                     "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1", "-ac",
                     "2", "-c:v", "mjpeg", "-c:a", "pcm_s16le", "-shortest", clip},
                    &log);
            QVERIFY2(code == 0, log.constData());
            m_clip = clip;
        }

        GlobalVars.OutputFormat = quint8(format);
        QString arguments = " " + BuildEncoderArguments(profile);
        // The batch driver's two rewrites of the finished command line.
        if (arguments.contains(" -ac 5:1 ") && !arguments.contains(" -ab "))
            arguments.replace(arguments.indexOf(" -ac "), 5, " -ab 256 -ac ");
        arguments.replace(" -vcodec ffvhuff ", " -vcodec ffvhuff -strict -2 ");

        const QString output =
            m_dir.filePath(QString("out %1.%2").arg(format).arg(OutputExtensions.at(format)));
        QFile::remove(output);
        const QStringList args = QStringList{"-i", m_clip} +
                                 arguments.split(' ', Qt::SkipEmptyParts) + QStringList{output};
        QByteArray log;
        const int code = run(encoder, args, &log, AppDir);
        QVERIFY2(code == 0, qPrintable(args.join(' ') + "\n" + QString::fromUtf8(log)));
        QVERIFY2(QFileInfo(output).size() > 0, qPrintable(args.join(' ')));

        QByteArray probe;
        QCOMPARE(run("ffprobe",
                     {"-v", "error", "-show_entries", "stream=codec_type", "-of", "json", output},
                     &probe),
                 0);
        QStringList kinds;
        for (const QJsonValue stream : QJsonDocument::fromJson(probe)["streams"].toArray())
            kinds << stream["codec_type"].toString();
        QVERIFY2(kinds.contains("audio"), probe.constData());
        QCOMPARE(kinds.contains("video"), format < ofAAC);
    }

    void cleanupTestCase() { GlobalVars.OutputFormat = ofAVI; }
};

QTEST_GUILESS_MAIN(TestShippedProfiles)
#include "tst_ShippedProfiles.moc"
