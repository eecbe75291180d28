#pragma once

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <functional>

// Runs the built avcore.dll and ffprobe for the conversion tests.
namespace harness {

inline QString avcorePath() { return QStringLiteral(AVCORE_PATH); }

struct Run {
    int exitCode = -1;
    QByteArray console;  // stdout and stderr together, as the converter reads them
    QStringList errorLines() const
    {
        QStringList lines;
        for (const QByteArray& line : console.split('\n'))
            for (const QByteArray& part : line.split('\r'))
                if (part.startsWith("Error")) lines << QString::fromUtf8(part);
        return lines;
    }
};

inline Run runAvcore(const QStringList& args,
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                     const std::function<void()>& childSetup = {},
                     const QString& workingDirectory = {})
{
    QProcess process;
    process.setProcessEnvironment(env);
    if (!workingDirectory.isEmpty()) process.setWorkingDirectory(workingDirectory);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (childSetup) process.setChildProcessModifier(childSetup);
    process.start(avcorePath(), args);
    Run run;
    if (!process.waitForFinished(120000)) return run;
    run.console = process.readAll();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

inline int runTool(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    if (!process.waitForFinished(120000)) return -1;
    if (out) *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A one-second 176x144 25 fps test picture with a stereo 44.1 kHz tone.
inline bool makeClip(const QString& path, const QString& size = QStringLiteral("176x144"),
                     const QString& seconds = QStringLiteral("1"))
{
    return runTool(QStringLiteral("ffmpeg"),
                   {"-nostdin",  "-v",
                    "error",     "-y",
                    "-f",        "lavfi",
                    "-i",        "testsrc=size=" + size + ":rate=25:duration=" + seconds,
                    "-f",        "lavfi",
                    "-i",        "sine=frequency=440:sample_rate=44100:duration=" + seconds,
                    "-ac",       "2",
                    "-c:v",      "mpeg4",
                    "-q:v",      "3",
                    "-c:a",      "aac",
                    "-shortest", "file:" + path}) == 0;
}

struct Probe {
    QJsonObject format;
    QJsonObject video;
    QJsonObject audio;
    bool ok = false;
};

inline Probe probe(const QString& path)
{
    QByteArray json;
    Probe result;
    if (runTool(QStringLiteral("ffprobe"),
                {"-v", "error", "-show_format", "-show_streams", "-of", "json", "file:" + path},
                &json) != 0)
        return result;
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    result.format = root.value("format").toObject();
    for (const QJsonValue& stream : root.value("streams").toArray()) {
        const QJsonObject s = stream.toObject();
        if (s.value("codec_type") == "video" && result.video.isEmpty()) result.video = s;
        if (s.value("codec_type") == "audio" && result.audio.isEmpty()) result.audio = s;
    }
    result.ok = true;
    return result;
}

// Frame rate "num/den" as a number.
inline double rate(const QJsonValue& value)
{
    const QStringList parts = value.toString().split('/');
    if (parts.size() != 2 || parts[1].toDouble() == 0) return 0;
    return parts[0].toDouble() / parts[1].toDouble();
}

// Names that a failed or finished run may have left in the folder.
inline QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({".avcore-*"}, QDir::Files | QDir::Hidden);
}

}  // namespace harness
