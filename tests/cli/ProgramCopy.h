#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

// A private copy of the built program folder, so that a test may change its
// data and settings without touching the build's.
class ProgramCopy {
public:
    // Copies the executables and the data folders; those in `without` stay
    // behind, so a test can put its own in their place.
    explicit ProgramCopy(const QStringList& without = {})
    {
        const QStringList entries = {"clipforge-cli", "avcore.dll", "skin", "profile_en", "cores"};
        for (const QString& entry : entries) {
            if (without.contains(entry)) continue;
            const QString from = QString(CLIPFORGE_APP_DIR) + "/" + entry;
            if (!QFileInfo::exists(from)) continue;
            QCOMPARE(QProcess::execute("cp", {"-a", "--", from, m_dir.path()}), 0);
        }
    }

    QString path() const { return m_dir.path(); }
    QString cli() const { return m_dir.path() + "/clipforge-cli"; }

    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // Runs clipforge-cli of the copy in a working folder.
    Result run(const QStringList& arguments, const QString& workingFolder,
               int timeoutMs = 120000) const
    {
        QProcess process;
        process.setWorkingDirectory(workingFolder);
        process.start(cli(), arguments);
        Result result;
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            result.err = "timed out";
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private:
    QTemporaryDir m_dir;
};
