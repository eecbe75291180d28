#pragma once

// Pieces shared by the queue benchmarks: real small media files by the
// thousand, a probe for how long the event loop was held, and the
// command-line reader they are measured against.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

#include "EventLoopProbe.h"

namespace queuebench {

using namespace Qt::StringLiterals;

// Runs a program to its end without a shell; true when it exited with 0.
inline bool runQuietly(const QString& program, const QStringList& args, int timeoutMs = 600000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A handful of short clips in the kinds people queue, made with ffmpeg and
// copied under count distinct names in folder. The copies are the real
// files, so the library opens and parses each one. Empty, with the reason
// in error, when ffmpeg fails.
inline QStringList makeMediaFiles(const QString& folder, int count, QString& error)
{
    struct Kind {
        QString name;
        QStringList codecs;
        bool video;
    };
    const QList<Kind> kinds{
        {u"clip.mp4"_s, {u"-c:v"_s, u"libx264"_s, u"-c:a"_s, u"aac"_s}, true},
        {u"clip.avi"_s, {u"-c:v"_s, u"mpeg4"_s, u"-c:a"_s, u"libmp3lame"_s}, true},
        {u"clip.mpg"_s, {u"-c:v"_s, u"mpeg1video"_s, u"-c:a"_s, u"mp2"_s}, true},
        {u"clip.3gp"_s,
         {u"-c:v"_s, u"h263"_s, u"-s"_s, u"176x144"_s, u"-c:a"_s, u"aac"_s, u"-ar"_s, u"8000"_s,
          u"-ac"_s, u"1"_s},
         true},
        {u"tone.mp3"_s, {u"-c:a"_s, u"libmp3lame"_s}, false},
        {u"tone.wav"_s, {u"-c:a"_s, u"pcm_s16le"_s}, false},
    };
    const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    if (ffmpeg.isEmpty()) {
        error = u"ffmpeg is not installed"_s;
        return {};
    }
    const QString seeds = folder + u"/.seeds"_s;
    QDir().mkpath(seeds);
    QStringList seedFiles;
    for (const Kind& kind : kinds) {
        QStringList args{u"-nostdin"_s, u"-v"_s, u"error"_s, u"-y"_s};
        if (kind.video)
            args << u"-f"_s << u"lavfi"_s << u"-i"_s
                 << u"testsrc=size=320x240:rate=25:duration=1"_s;
        args << u"-f"_s << u"lavfi"_s << u"-i"_s
             << u"sine=frequency=440:sample_rate=44100:duration=1"_s;
        const QString seed = seeds + u'/' + kind.name;
        if (!runQuietly(ffmpeg, args + kind.codecs + QStringList{u"file:"_s + seed})) {
            error = u"ffmpeg could not make "_s + kind.name;
            return {};
        }
        seedFiles << seed;
    }
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString seed = seedFiles.at(i % seedFiles.size());
        const QString file =
            folder + u'/' + QString::asprintf("%04d-", i + 1) + QFileInfo(seed).fileName();
        if (!QFile::copy(seed, file)) {
            error = u"cannot write "_s + file;
            return {};
        }
        files << file;
    }
    return files;
}

// The command-line reader of the same library, installed from Debian when
// missing (through sudo unless we are root). Empty when it cannot be had.
inline QString mediainfoTool()
{
    QString tool = QStandardPaths::findExecutable(u"mediainfo"_s);
    if (!tool.isEmpty()) return tool;
    std::printf("mediainfo is missing; installing the Debian package...\n");
    std::fflush(stdout);
    QString program = u"apt-get"_s;
    QStringList prefix;
    if (::geteuid() != 0) {
        program = u"sudo"_s;
        prefix << u"apt-get"_s;
    }
    const QStringList install = prefix + QStringList{u"install"_s, u"-y"_s, u"-qq"_s,
                                                     u"--no-install-recommends"_s, u"mediainfo"_s};
    if (!runQuietly(program, install)) {
        runQuietly(program, prefix + QStringList{u"update"_s, u"-qq"_s});
        runQuietly(program, install);
    }
    return QStandardPaths::findExecutable(u"mediainfo"_s);
}

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

}  // namespace queuebench
