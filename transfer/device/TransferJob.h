#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QThread>

#include <atomic>

#include "VideoStore.h"

// Where a transfer is, as its worker last reported it.
struct TransferProgress {
    int fileIndex = 0;  // zero-based, of the file being copied
    int fileCount = 0;
    QString file;          // the MP4 being copied
    qint64 fileDone = 0;   // bytes of this video (MP4 and thumbnail) written
    qint64 fileSize = 0;   // bytes of this video
    qint64 totalDone = 0;  // bytes of the whole transfer written
    qint64 totalSize = 0;  // bytes of the whole transfer
};

// Copies videos onto the console on a thread of its own, so that the window
// stays responsive for the minute a large video takes on a USB 2.0 stick.
// Signals arrive on the thread that owns the job; each video is reported as
// it ends, then the whole transfer once.
class TransferJob : public QThread {
    Q_OBJECT

public:
    TransferJob(QStringList mp4Paths, QString deviceDrive, QObject* parent = nullptr);
    // Cancels and waits: a copy never outlives its window.
    ~TransferJob() override;

    const QStringList& paths() const { return m_paths; }
    // Stops at the next block; the file being copied leaves nothing behind,
    // earlier videos stay.
    void cancel() { m_cancel = true; }
    bool cancelRequested() const { return m_cancel; }

Q_SIGNALS:
    void progressed(const TransferProgress& progress);
    // result of video index of paths().
    void videoFinished(int index, const VideoCopyResult& result);
    // After the last video or after cancelling.
    void transferFinished(bool cancelled);

protected:
    void run() override;

private:
    class Monitor;

    const QStringList m_paths;
    const QString m_deviceDrive;
    std::atomic<bool> m_cancel = false;
};

Q_DECLARE_METATYPE(TransferProgress)
Q_DECLARE_METATYPE(VideoCopyResult)
