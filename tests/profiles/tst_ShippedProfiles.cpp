#include "ShippedProfiles.h"
#include "base/OutputFormats.h"
#include "base/globals.h"
#include "engine/EncoderCall.h"
#include "profiles/EncoderArguments.h"
#include "profiles/ProfileFields.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileRecords.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString ShippedRoot = QStringLiteral(CLIPFORGE_SOURCE_DIR "/data/profile_en");
const QString AppDir = QStringLiteral(CLIPFORGE_APP_DIR);

// The files of the sixteen format folders; the root holds other data too.
QStringList profileFilesBelow(const QString& root)
{
    QStringList files;
    for (const TOutputFormat& format : OutputFormats()) {
        QDirIterator it(root + '/' + format.FolderWord, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(root).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

// The path of a format's default profile: its first shipped one.
QString defaultProfilePath(int format)
{
    for (const ShippedProfile& p : ShippedProfiles())
        if (p.format == format) return ShippedRoot + '/' + ShippedProfilePath(p);
    return {};
}

// Every field of a format's global record as the profile file spells it.
QStringList recordTexts(int format)
{
    const ProfileRecord& table = *ProfileRecordOf(format);
    QStringList texts;
    for (const ProfileField& field : table.fields)
        texts << field.key + '=' + FieldText(field, table.record);
    return texts;
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
            QVERIFY2(names.size() >= 2, qPrintable(OutputFormatOf(format)->FolderWord.toString()));
            QStringList sorted = names;
            sorted.sort(Qt::CaseInsensitive);
            QCOMPARE(sorted.first(), names.first());
        }
    }

    void defaultProfileArguments_data()
    {
        QTest::addColumn<int>("format");
        for (const TOutputFormat& format : OutputFormats())
            QTest::addRow("%s", qPrintable(format.CliName.toString())) << int(format.Index);
    }

    // Composing from a path gives what loading the format's record gives, and
    // neither reads nor changes the records or the current output format.
    void defaultProfileArguments()
    {
        QFETCH(int, format);
        const QString profile = defaultProfilePath(format);
        QVERIFY(QFile::exists(profile));
        ResetProfileSettings(format);
        const QStringList before = recordTexts(format);
        const quint8 otherFormat = quint8((format + 1) % OutputFormatCount);
        GlobalVars.OutputFormat = otherFormat;

        const QString arguments = BuildEncoderArguments(format, profile);
        QCOMPARE(recordTexts(format), before);
        QCOMPARE(int(GlobalVars.OutputFormat), int(otherFormat));

        // The same as loading the format's own record and composing from it.
        LoadProfileSettings(format, profile);
        QCOMPARE(arguments, EncoderArgumentsFromRecord(format));
        QVERIFY(recordTexts(format) != before);
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

        // A device format takes its extension from the device item; its
        // folder word names the container its profiles make.
        const TOutputFormat& facts = *OutputFormatOf(format);
        const QString extension = facts.OutputExt.isEmpty() ? '.' + facts.FolderWord.toString()
                                                            : facts.OutputExt.toString();
        const QString output = m_dir.filePath(QString("out %1").arg(format) + extension);
        QFile::remove(output);
        const TEncoderCall call =
            ComposeEncoderCall(encoder, m_clip, BuildEncoderArguments(format, profile), output);
        QByteArray log;
        const int code = run(call.Arguments.first(), call.Arguments.mid(1), &log, AppDir);
        QVERIFY2(code == 0, qPrintable(call.Text + "\n" + QString::fromUtf8(log)));
        QVERIFY2(QFileInfo(output).size() > 0, qPrintable(call.Text));

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
