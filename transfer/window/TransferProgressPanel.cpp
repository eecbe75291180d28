#include "TransferProgressPanel.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// Bars count in thousandths: a byte count of several GiB does not fit an int.
constexpr int BarSteps = 1000;

int barValue(qint64 done, qint64 size)
{
    if (size <= 0) return done > 0 ? BarSteps : 0;
    return int(qBound(qint64(0), done * BarSteps / size, qint64(BarSteps)));
}

QProgressBar* makeBar(QWidget* parent, const QString& name)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, BarSteps);
    bar->setTextVisible(false);
    bar->setFixedHeight(11);
    return bar;
}

}  // namespace

TransferProgressPanel::TransferProgressPanel(QWidget* parent)
    : QFrame(parent),
      m_file(new QLabel(this)),
      m_fileBar(makeBar(this, u"FileProgress"_s)),
      m_totalBar(makeBar(this, u"TotalProgress"_s)),
      m_rate(new QLabel(this)),
      m_cancel(new QPushButton(u"Cancel"_s, this))
{
    setObjectName(u"TransferProgress"_s);
    // Drawn over the buttons it stands in for.
    setAutoFillBackground(true);
    m_file->setObjectName(u"ProgressFile"_s);
    m_file->setTextFormat(Qt::PlainText);
    m_rate->setObjectName(u"ProgressRate"_s);
    m_rate->setTextFormat(Qt::PlainText);
    m_cancel->setObjectName(u"ButtonCancel"_s);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    grid->addWidget(m_file, 0, 0, 1, 2);
    grid->addWidget(m_fileBar, 1, 0);
    grid->addWidget(m_totalBar, 2, 0);
    grid->addWidget(m_rate, 3, 0);
    grid->addWidget(m_cancel, 1, 1, 3, 1, Qt::AlignVCenter);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancel->setEnabled(false);
        m_rate->setText(u"Cancelling..."_s);
        Q_EMIT cancelClicked();
    });
}

void TransferProgressPanel::begin()
{
    m_fileBar->setValue(0);
    m_totalBar->setValue(0);
    m_file->setText(u"Preparing the transfer..."_s);
    m_rate->clear();
    m_cancel->setEnabled(true);
    m_elapsed.start();
}

QString TransferProgressPanel::sizeText(qint64 bytes) { return ByteSizeText(bytes); }

QString TransferProgressPanel::durationText(qint64 seconds)
{
    if (seconds >= 3600)
        return u"%1:%2:%3"_s.arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return u"%1:%2"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void TransferProgressPanel::showProgress(const TransferProgress& progress)
{
    if (!m_cancel->isEnabled()) return;  // "Cancelling..." stays
    const QString name = QFileInfo(progress.file).fileName();
    m_file->setText(m_file->fontMetrics().elidedText(
        u"Copying %1 of %2: %3"_s.arg(progress.fileIndex + 1).arg(progress.fileCount).arg(name),
        Qt::ElideMiddle, m_file->width()));
    m_file->setToolTip(progress.file);
    m_fileBar->setValue(barValue(progress.fileDone, progress.fileSize));
    m_totalBar->setValue(barValue(progress.totalDone, progress.totalSize));

    QString rate = sizeText(progress.totalDone) + u" of "_s + sizeText(progress.totalSize);
    const double seconds = double(m_elapsed.nsecsElapsed()) / 1e9;
    // Speed and time left once there is something to measure them by.
    if (seconds >= 0.5 && progress.totalDone > 0) {
        const double perSecond = double(progress.totalDone) / seconds;
        const qint64 left = qint64((progress.totalSize - progress.totalDone) / perSecond + 0.5);
        rate += u", "_s + sizeText(qint64(perSecond)) + u"/s, "_s +
                durationText(qMax<qint64>(0, left)) + u" left"_s;
    }
    m_rate->setText(rate);
}
