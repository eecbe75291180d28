#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// ffmpeg and ffprobe for the end-to-end tests: clips to convert, and what
// became of them.

// Runs a tool to its end: its exit code, or -1 when it did not end normally.
inline int runTool(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (out) *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A generated clip with test picture and a tone, encoded with the given options.
inline bool makeClip(const QString& path, const QString& size, const QStringList& codecs,
                     const QString& seconds = "0.6")
{
    return runTool("ffmpeg", QStringList{"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                         "testsrc=size=" + size + ":rate=25:duration=" + seconds,
                                         "-f", "lavfi", "-i",
                                         "sine=frequency=440:sample_rate=44100:duration=" + seconds,
                                         "-ac", "2"} +
                                 codecs + QStringList{"file:" + path}) == 0;
}

struct Probe {
    bool ok = false;
    QJsonObject format;
    QList<QJsonObject> video;
    QList<QJsonObject> audio;
};

// What ffprobe reads of a file; ok is false when it reads nothing.
inline Probe probe(const QString& path)
{
    QByteArray json;
    Probe result;
    if (runTool("ffprobe",
                {"-v", "error", "-show_format", "-show_streams", "-of", "json", "file:" + path},
                &json) != 0)
        return result;
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    result.format = root.value("format").toObject();
    for (const QJsonValue& value : root.value("streams").toArray()) {
        const QJsonObject stream = value.toObject();
        if (stream.value("codec_type") == "video") result.video << stream;
        if (stream.value("codec_type") == "audio") result.audio << stream;
    }
    result.ok = !result.format.isEmpty();
    return result;
}
