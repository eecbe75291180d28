#pragma once

#include "MediaTools.h"

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

// A one-second 176x144 25 fps test picture with a stereo 44.1 kHz tone.
inline bool makeClip(const QString& path, const QString& size = QStringLiteral("176x144"),
                     const QString& seconds = QStringLiteral("1"))
{
    return ::makeClip(path, size, {"-c:v", "mpeg4", "-q:v", "3", "-c:a", "aac", "-shortest"},
                      seconds);
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
