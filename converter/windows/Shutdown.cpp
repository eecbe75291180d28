#include "windows/Shutdown.h"

#include "engine/ProgressView.h"
#include "localisation/MessageTable.h"
#include "localisation/ShutdownActions.h"
#include "windows/DialogSeam.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int CountdownSeconds = 30;

}  // namespace

TfrmShutdown::TfrmShutdown(int action, QWidget* parent) : QDialog(parent)
{
    setObjectName(u"frmShutdown"_s);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    const QString caption = ShutdownActionCaption(action);
    setWindowTitle(caption.isEmpty() ? Msg(MSG_SHUTDOWN_TITLE) : caption);

    auto* icon = new QLabel(this);
    icon->setObjectName(u"ImageWarning"_s);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(40, 40));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    LabelWarning = new QLabel(Msg(MSG_WARNING), this);
    LabelWarning->setObjectName(u"LabelWarning"_s);
    LabelWarning->setTextFormat(Qt::PlainText);
    QFont warningFont = LabelWarning->font();
    warningFont.setPointSize(14);
    warningFont.setBold(true);
    LabelWarning->setFont(warningFont);

    LabelShutdownDescription =
        new QLabel(MsgFormat(MSG_WARNING_DETAIL, Msg(MSG_APPLICATION_TITLE), caption), this);
    LabelShutdownDescription->setObjectName(u"LabelShutdownDescription"_s);
    LabelShutdownDescription->setTextFormat(Qt::PlainText);
    LabelShutdownDescription->setWordWrap(true);

    LabelTimeOut = new QLabel(this);
    LabelTimeOut->setObjectName(u"LabelTimeOut"_s);
    LabelTimeOut->setTextFormat(Qt::PlainText);
    QFont timeFont = LabelTimeOut->font();
    timeFont.setBold(true);
    LabelTimeOut->setFont(timeFont);

    ButtonCancel = new QPushButton(Msg(MSG_CANCEL), this);
    ButtonCancel->setObjectName(u"ButtonCancel"_s);
    ButtonCancel->setDefault(true);
    ButtonCancel->setMinimumWidth(qMax(90, ButtonCancel->sizeHint().width()));
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addWidget(LabelWarning);
    texts->addWidget(LabelShutdownDescription);
    texts->addWidget(LabelTimeOut);
    auto* top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonCancel);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 16, 18, 14);
    column->setSpacing(14);
    column->addLayout(top);
    column->addLayout(buttons);
    setFixedWidth(340);
    setMinimumHeight(147);

    m_counter = CountdownSeconds;
    showCounter();
    TimerShutdown = new QTimer(this);
    TimerShutdown->setObjectName(u"TimerShutdown"_s);
    TimerShutdown->setInterval(1000);
    connect(TimerShutdown, &QTimer::timeout, this, &TfrmShutdown::Tick);
    TimerShutdown->start();
}

void TfrmShutdown::SetTickInterval(int milliseconds) { TimerShutdown->setInterval(milliseconds); }

void TfrmShutdown::StopClock() { TimerShutdown->stop(); }

void TfrmShutdown::Tick()
{
    --m_counter;
    if (m_counter < 0) {
        TimerShutdown->stop();
        accept();
        return;
    }
    showCounter();
}

void TfrmShutdown::showCounter() { LabelTimeOut->setText(MsgFormat(MSG_LABEL_TIMEOUT, m_counter)); }

void TfrmShutdown::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the screen, not on a main window that may be in the tray.
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

int RunShutdownCountdown(QWidget* owner, int action)
{
    TfrmShutdown dialog(action, owner);
    return ExecModal(dialog) == QDialog::Accepted ? mrOk : mrCancel;
}
