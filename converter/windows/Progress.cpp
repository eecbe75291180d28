#include "windows/Progress.h"

#include "localisation/MessageTable.h"
#include "windows/ConvertAnimation.h"
#include "windows/MessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

const QString ZeroTime = u"0:00:00"_s;

// File names can be longer than the window is wide: the label shows the
// start and the end of its text and keeps the whole of it as its text and
// tool tip, so nothing widens the window.
class ElidingLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
        style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                              foregroundRole());
    }
};

QLabel* NewLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* NewValueLabel(QWidget* parent, const QString& name)
{
    QLabel* label = NewLabel(parent, name);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QProgressBar* NewBar(QWidget* parent, const QString& name)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setTextVisible(false);
    bar->setFixedHeight(12);
    return bar;
}

// At least the given width, and never narrower than its text: a fixed least
// width would let the layout squeeze a long translation.
void FitButton(QPushButton* button, int leastWidth)
{
    button->setMinimumWidth(0);
    button->setMinimumWidth(qMax(leastWidth, button->sizeHint().width()));
}

QFrame* NewSection(QWidget* parent, const QString& name)
{
    auto* section = new QFrame(parent);
    section->setObjectName(name);
    return section;
}

const QString StyleSheet =
    uR"(
QFrame#ProgressStrip {
    background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #16233f, stop:1 #2b5fb8);
}
QLabel#LabelCovnerting { color: white; }
QFrame#FileSection, QFrame#BatchSection {
    background: palette(base);
    border: 1px solid #d3d9e4;
    border-radius: 8px;
}
QFrame#FileSection QLabel, QFrame#BatchSection QLabel { background: transparent; }
QProgressBar {
    border: none;
    border-radius: 6px;
    background: #e3e8f0;
}
QProgressBar#ProgressBarStatus::chunk {
    border-radius: 6px;
    background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #2b6fd6, stop:1 #4a95f0);
}
QProgressBar#ProgressBarBatch::chunk {
    border-radius: 6px;
    background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #e7832a, stop:1 #f5a94a);
}
QLabel#LabelStopWhenDone { color: #b35a00; }
QLabel#LabelOutput { color: #5b6475; }
)"_s;

}  // namespace

TfrmProgress::TfrmProgress(TGlobalVars& vars, QWidget* parent) : QDialog(parent), m_vars(vars)
{
    setObjectName(u"frmProgress"_s);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(Msg(MSG_CONVERTING_IN));
    createControls();
    ResetProgress();
    resize(QSize(524, 348).expandedTo(minimumSizeHint()));
}

void TfrmProgress::createControls()
{
    setStyleSheet(StyleSheet);

    m_strip = new QFrame(this);
    m_strip->setObjectName(u"ProgressStrip"_s);
    m_strip->setFixedHeight(58);
    m_strip->installEventFilter(this);
    LabelCovnerting = NewLabel(m_strip, u"LabelCovnerting"_s);
    QFont heading = LabelCovnerting->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.5);
    heading.setBold(true);
    LabelCovnerting->setFont(heading);
    Animate_Convert = new TConvertAnimation(m_strip);
    auto* stripRow = new QHBoxLayout(m_strip);
    stripRow->setContentsMargins(20, 10, 16, 10);
    stripRow->addWidget(LabelCovnerting, 1);
    stripRow->addWidget(Animate_Convert);

    // The running file.
    QFrame* file = NewSection(this, u"FileSection"_s);
    ProgressBarStatus = NewBar(file, u"ProgressBarStatus"_s);
    LabelStatus = NewValueLabel(file, u"LabelStatus"_s);
    LabelStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelStatusRemainingSingle = NewLabel(file, u"LabelStatusRemainingSingle"_s);
    LabelStatusRemaining = NewValueLabel(file, u"LabelStatusRemaining"_s);
    LabelWorking = new ElidingLabel(file);
    LabelWorking->setObjectName(u"LabelWorking"_s);
    LabelWorking->setTextFormat(Qt::PlainText);
    LabelOutput = new ElidingLabel(file);
    LabelOutput->setObjectName(u"LabelOutput"_s);
    LabelOutput->setTextFormat(Qt::PlainText);
    auto* fileBar = new QHBoxLayout;
    fileBar->addWidget(ProgressBarStatus, 1);
    fileBar->addWidget(LabelStatus);
    auto* fileTime = new QHBoxLayout;
    fileTime->addWidget(LabelStatusRemainingSingle);
    fileTime->addWidget(LabelStatusRemaining);
    fileTime->addStretch(1);
    auto* fileColumn = new QVBoxLayout(file);
    fileColumn->setContentsMargins(14, 10, 14, 10);
    fileColumn->setSpacing(6);
    fileColumn->addWidget(LabelWorking);
    fileColumn->addLayout(fileBar);
    fileColumn->addLayout(fileTime);
    fileColumn->addWidget(LabelOutput);

    // The whole batch.
    QFrame* batch = NewSection(this, u"BatchSection"_s);
    ProgressBarBatch = NewBar(batch, u"ProgressBarBatch"_s);
    LabelBatch = NewValueLabel(batch, u"LabelBatch"_s);
    LabelBatch->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelRemaining = NewLabel(batch, u"LabelRemaining"_s);
    LabelBatchRemaining = NewValueLabel(batch, u"LabelBatchRemaining"_s);
    LabelElapsed = NewLabel(batch, u"LabelElapsed"_s);
    LabelBatchElapsed = NewValueLabel(batch, u"LabelBatchElapsed"_s);
    Labelestimated = NewLabel(batch, u"Labelestimated"_s);
    LabelBatchEstimated = NewValueLabel(batch, u"LabelBatchEstimated"_s);
    auto* batchBar = new QHBoxLayout;
    batchBar->addWidget(ProgressBarBatch, 1);
    batchBar->addWidget(LabelBatch);
    // Caption above value, three columns of equal width.
    auto* times = new QGridLayout;
    times->setHorizontalSpacing(12);
    times->setVerticalSpacing(2);
    const std::pair<QLabel*, QLabel*> columns[] = {{LabelElapsed, LabelBatchElapsed},
                                                   {LabelRemaining, LabelBatchRemaining},
                                                   {Labelestimated, LabelBatchEstimated}};
    for (int column = 0; column < 3; ++column) {
        times->addWidget(columns[column].first, 0, column);
        times->addWidget(columns[column].second, 1, column);
        times->setColumnStretch(column, 1);
    }
    auto* batchColumn = new QVBoxLayout(batch);
    batchColumn->setContentsMargins(14, 10, 14, 10);
    batchColumn->setSpacing(8);
    batchColumn->addLayout(batchBar);
    batchColumn->addLayout(times);

    // The percentages keep one width, so the bars do not jump as they grow.
    const QFontMetrics bold(LabelStatus->font());
    const int percentWidth = qMax(bold.horizontalAdvance(Msg(MSG_ID_STATUS) + u"100%"_s),
                                  bold.horizontalAdvance(Msg(MSG_ID_BATCH) + u"100%"_s)) +
                             4;
    LabelStatus->setMinimumWidth(percentWidth);
    LabelBatch->setMinimumWidth(percentWidth);

    LabelStopWhenDone = NewValueLabel(this, u"LabelStopWhenDone"_s);
    LabelStopWhenDone->setAlignment(Qt::AlignCenter);
    LabelStopWhenDone->setWordWrap(true);
    // Its line stays reserved, so showing it moves nothing.
    QSizePolicy keepPlace = LabelStopWhenDone->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    LabelStopWhenDone->setSizePolicy(keepPlace);

    CheckBoxDelSource = new QCheckBox(batch);
    CheckBoxDelSource->setObjectName(u"CheckBoxDelSource"_s);
    CheckBoxDelSource->hide();
    CheckBoxShutdown = new QCheckBox(batch);
    CheckBoxShutdown->setObjectName(u"CheckBoxShutdown"_s);
    connect(CheckBoxDelSource, &QCheckBox::toggled, this,
            [this](bool on) { m_vars.DeleteFileAfterProcessing = on; });
    connect(CheckBoxShutdown, &QCheckBox::toggled, this,
            [this](bool on) { m_vars.ShutdownWindowsWhenDone = on; });

    ButtonTray = new QPushButton(this);
    ButtonTray->setObjectName(u"ButtonTray"_s);
    ButtonTray->setAutoDefault(false);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(u"ButtonCancel"_s);
    ButtonCancel->setDefault(true);
    connect(ButtonTray, &QPushButton::clicked, this, &TfrmProgress::SendToTrayRequested);
    connect(ButtonCancel, &QPushButton::clicked, this, &TfrmProgress::RequestClose);

    // What happens when the batch is over belongs with the batch.
    auto* afterBatch = new QHBoxLayout;
    afterBatch->setSpacing(16);
    afterBatch->addWidget(CheckBoxDelSource);
    afterBatch->addWidget(CheckBoxShutdown);
    afterBatch->addStretch(1);
    batchColumn->addSpacing(2);
    batchColumn->addLayout(afterBatch);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    buttons->addWidget(ButtonTray);
    buttons->addWidget(ButtonCancel);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 12, 16, 12);
    body->setSpacing(8);
    body->addWidget(file);
    body->addWidget(batch);
    body->addWidget(LabelStopWhenDone);
    body->addStretch(1);
    body->addLayout(buttons);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(m_strip);
    window->addLayout(body, 1);
}

void TfrmProgress::ResetProgress()
{
    LabelCovnerting->setText(Msg(MSG_PREPARING));
    Animate_Convert->Stop();
    Animate_Convert->hide();
    LabelStatusRemainingSingle->setText(Msg(MSG_REMAINING_TIME));
    LabelStatusRemaining->setText(ZeroTime);
    LabelStatus->setText(Msg(MSG_ID_STATUS) + u"0%"_s);
    ProgressBarStatus->setValue(0);
    ProgressBarBatch->setValue(0);
    LabelBatch->setText(Msg(MSG_ID_BATCH) + u"0%"_s);
    LabelRemaining->setText(Msg(MSG_REMAINING_TIME));
    LabelBatchRemaining->setText(ZeroTime);
    LabelElapsed->setText(Msg(MSG_ELAPSED_TIME));
    LabelBatchElapsed->setText(ZeroTime);
    Labelestimated->setText(Msg(MSG_ESTIMATED_TIME));
    LabelBatchEstimated->setText(ZeroTime);
    SetLabel(TProgressLabel::LabelWorking, Msg(MSG_PLEASE_WAIT));
    SetLabel(TProgressLabel::LabelOutput, QString());
    LabelStopWhenDone->setText(Msg(MSG_STOP_WHEN_DONE));
    showStopWhenDone(false);
    CheckBoxDelSource->setText(Msg(MSG_DEL_AFTER));
    CheckBoxDelSource->setChecked(m_vars.DeleteFileAfterProcessing);
    CheckBoxShutdown->setText(Msg(MSG_SHUTDOWN_AFTER));
    CheckBoxShutdown->setChecked(m_vars.ShutdownWindowsWhenDone);
    ButtonTray->setText(Msg(MSG_SEND_TO_TRAY));
    ButtonCancel->setText(Msg(MSG_CANCEL));
    FitButton(ButtonTray, 110);
    FitButton(ButtonCancel, 90);
    m_finished = false;
}

void TfrmProgress::SetLabel(TProgressLabel label, const QString& text)
{
    switch (label) {
        case TProgressLabel::LabelCovnerting:
            LabelCovnerting->setText(text);
            return;
        case TProgressLabel::LabelStatus:
            LabelStatus->setText(text);
            return;
        case TProgressLabel::LabelStatusRemaining:
            LabelStatusRemaining->setText(text);
            return;
        case TProgressLabel::LabelBatch:
            LabelBatch->setText(text);
            return;
        case TProgressLabel::LabelBatchElapsed:
            LabelBatchElapsed->setText(text);
            return;
        case TProgressLabel::LabelBatchEstimated:
            LabelBatchEstimated->setText(text);
            return;
        case TProgressLabel::LabelBatchRemaining:
            LabelBatchRemaining->setText(text);
            return;
        case TProgressLabel::LabelWorking:
            LabelWorking->setText(text);
            LabelWorking->setToolTip(text);
            return;
        case TProgressLabel::LabelOutput:
            LabelOutput->setText(text);
            LabelOutput->setToolTip(text);
            return;
    }
}

void TfrmProgress::SetBar(TProgressBar bar, int percent)
{
    QProgressBar* shown =
        bar == TProgressBar::ProgressBarStatus ? ProgressBarStatus : ProgressBarBatch;
    shown->setValue(qBound(0, percent, 100));
}

bool TfrmProgress::AnimationRunning() const { return Animate_Convert->Running(); }

void TfrmProgress::StartAnimation()
{
    Animate_Convert->show();
    Animate_Convert->Start();
}

void TfrmProgress::SetStopWhenDoneText(const QString& text) { LabelStopWhenDone->setText(text); }

void TfrmProgress::SetFinished(bool finished) { m_finished = finished; }

void TfrmProgress::RequestClose()
{
    if (m_finished) {
        closeWithCancel();
        return;
    }
    // A second request (the tray's stop entry, say) while the question is
    // open is already being answered.
    if (m_asking) return;
    m_asking = true;
    const int answer = ShowLocalizedDialog(
        Msg(MSG_ABORTENCODING), Msg(MSG_QUESTION), TDialogType::Confirmation,
        {Msg(MSG_BTN_NOW), Msg(MSG_BTN_DONE), Msg(MSG_CANCEL)}, dbYes | dbNo | dbCancel);
    m_asking = false;
    if (answer == drYes) {
        Q_EMIT StopNowRequested();
    } else if (answer == drNo) {
        showStopWhenDone(true);
        Q_EMIT StopWhenDoneChanged(true);
    } else {
        showStopWhenDone(false);
        Q_EMIT StopWhenDoneChanged(false);
    }
    // The batch may have ended while the question was open.
    if (m_finished) closeWithCancel();
}

void TfrmProgress::reject() { RequestClose(); }

void TfrmProgress::closeWithCancel() { QDialog::done(QDialog::Rejected); }

void TfrmProgress::showStopWhenDone(bool shown) { LabelStopWhenDone->setVisible(shown); }

void TfrmProgress::closeEvent(QCloseEvent* event)
{
    // The close box asks like Cancel; close() from the program's own code
    // closes at once.
    if (event->spontaneous()) {
        event->ignore();
        RequestClose();
        return;
    }
    closeWithCancel();
    event->accept();
}

void TfrmProgress::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
    // A minimised progress window alone would leave the main window locked
    // behind it: the whole program goes down together.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window != this && window->isVisible() && !window->isMinimized())
            window->showMinimized();
}

bool TfrmProgress::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_strip) return QDialog::eventFilter(watched, event);
    // The strip is a handle for moving the window.
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() != Qt::LeftButton) return false;
        m_dragOffset.reset();
        if (windowHandle() && windowHandle()->startSystemMove()) return true;
        m_dragOffset = press->globalPosition().toPoint() - frameGeometry().topLeft();
        return true;
    }
    if (event->type() == QEvent::MouseMove && m_dragOffset) {
        auto* moveEvent = static_cast<QMouseEvent*>(event);
        if (moveEvent->buttons() & Qt::LeftButton) {
            move(moveEvent->globalPosition().toPoint() - *m_dragOffset);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) m_dragOffset.reset();
    return false;
}
