#include "TransferJob.h"

namespace {

// Progress is sent at most this often: a fast copy must not flood the
// window's event loop with updates nobody could read.
constexpr qint64 ProgressIntervalNs = 40'000'000;

}  // namespace

class TransferJob::Monitor : public CopyMonitor {
public:
    Monitor(TransferJob& job, TransferProgress& progress) : m_job(job), m_progress(progress)
    {
        m_sinceReport.start();
    }

    bool cancelRequested() const override { return m_job.cancelRequested(); }

    void bytesCopied(qint64 bytes) override
    {
        m_progress.fileDone += bytes;
        m_progress.totalDone += bytes;
        if (m_sinceReport.nsecsElapsed() < ProgressIntervalNs) return;
        report();
    }

    void report()
    {
        m_sinceReport.restart();
        Q_EMIT m_job.progressed(m_progress);
    }

private:
    TransferJob& m_job;
    TransferProgress& m_progress;
    QElapsedTimer m_sinceReport;
};

TransferJob::TransferJob(QStringList mp4Paths, QString deviceDrive, QObject* parent)
    : QThread(parent), m_paths(std::move(mp4Paths)), m_deviceDrive(std::move(deviceDrive))
{
    qRegisterMetaType<TransferProgress>();
    qRegisterMetaType<VideoCopyResult>();
}

TransferJob::~TransferJob()
{
    cancel();
    wait();
}

void TransferJob::run()
{
    TransferProgress progress;
    progress.fileCount = int(m_paths.size());
    QList<qint64> sizes;
    for (const QString& path : m_paths) {
        sizes.append(VideoTransferSize(path));
        progress.totalSize += sizes.last();
    }
    Monitor monitor(*this, progress);
    bool cancelled = false;
    for (int index = 0; index < m_paths.size() && !cancelled; ++index) {
        if (m_cancel) {
            cancelled = true;
            break;
        }
        const qint64 doneBefore = progress.totalDone;
        progress.fileIndex = index;
        progress.file = m_paths.at(index);
        progress.fileDone = 0;
        progress.fileSize = sizes.at(index);
        monitor.report();
        const VideoCopyResult result =
            CopyVideoToConsole(m_paths.at(index), m_deviceDrive, &monitor);
        cancelled = result.cancelled;
        // A failed or refused video counts as done for the whole bar.
        progress.totalDone = doneBefore + sizes.at(index);
        progress.fileDone = progress.fileSize;
        Q_EMIT videoFinished(index, result);
    }
    monitor.report();
    Q_EMIT transferFinished(cancelled);
}
