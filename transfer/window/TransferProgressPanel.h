#pragma once

#include <QElapsedTimer>
#include <QFrame>

#include "TransferJob.h"

class QLabel;
class QProgressBar;
class QPushButton;

// The sign of life of a running transfer: the video being copied, a bar for
// its bytes and one for the whole transfer, speed and time left, and Cancel.
class TransferProgressPanel : public QFrame {
    Q_OBJECT

public:
    explicit TransferProgressPanel(QWidget* parent = nullptr);

    // A new transfer starts: bars at zero, Cancel enabled.
    void begin();
    void showProgress(const TransferProgress& progress);
    QPushButton* cancelButton() const { return m_cancel; }

    // "12.5 MB" and the like.
    static QString sizeText(qint64 bytes);
    // "1:05" for 65 seconds.
    static QString durationText(qint64 seconds);

Q_SIGNALS:
    void cancelClicked();

private:
    QLabel* m_file;
    QProgressBar* m_fileBar;
    QProgressBar* m_totalBar;
    QLabel* m_rate;
    QPushButton* m_cancel;
    QElapsedTimer m_elapsed;
};
