#include "windows/ConvertAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int FrameMs = 40;
constexpr int FrameWidth = 20;
constexpr int FrameGap = 6;
constexpr int Pitch = FrameWidth + FrameGap;

}  // namespace

TConvertAnimation::TConvertAnimation(QWidget* parent) : QWidget(parent)
{
    setObjectName(u"Animate_Convert"_s);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer = new QTimer(this);
    m_timer->setInterval(FrameMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_phase = (m_phase + 1) % Pitch;
        update();
    });
}

void TConvertAnimation::Start() { m_timer->start(); }

void TConvertAnimation::Stop() { m_timer->stop(); }

bool TConvertAnimation::Running() const { return m_timer->isActive(); }

QSize TConvertAnimation::sizeHint() const { return {132, 44}; }

void TConvertAnimation::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF band = QRectF(rect()).adjusted(1, 5, -1, -5);
    QPainterPath clip;
    clip.addRoundedRect(band, 5, 5);
    painter.setClipPath(clip);
    painter.fillRect(band, QColor(10, 20, 40, 120));

    // Sprocket holes along both edges, moving with the film.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 150));
    for (qreal x = band.left() - 8 + m_phase % 8; x < band.right(); x += 8) {
        painter.drawRoundedRect(QRectF(x, band.top() + 2.5, 4, 3.5), 1, 1);
        painter.drawRoundedRect(QRectF(x, band.bottom() - 6, 4, 3.5), 1, 1);
    }

    // The frames: raw on the left of the seam, converted on its right.
    const qreal seam = band.center().x();
    const QRectF left(band.left(), band.top(), seam - band.left(), band.height());
    const QRectF right(seam, band.top(), band.right() - seam, band.height());
    const QColor raw(170, 190, 215);
    const QColor converted(255, 170, 60);
    for (const auto& [part, colour] : {std::pair{left, raw}, std::pair{right, converted}}) {
        painter.save();
        painter.setClipRect(part, Qt::IntersectClip);
        QLinearGradient fill(0, band.top(), 0, band.bottom());
        fill.setColorAt(0, colour.lighter(125));
        fill.setColorAt(1, colour.darker(115));
        painter.setBrush(fill);
        for (qreal x = band.left() - Pitch + m_phase; x < band.right(); x += Pitch)
            painter.drawRoundedRect(QRectF(x, band.top() + 8, FrameWidth, band.height() - 16), 2,
                                    2);
        painter.restore();
    }

    // The seam glows brighter as each frame passes through it.
    const qreal passing = 1.0 - qAbs(qreal(m_phase) / Pitch - 0.5) * 2;
    QLinearGradient glow(seam - 6, 0, seam + 6, 0);
    QColor hot(255, 220, 120);
    hot.setAlphaF(0.35 + 0.5 * passing);
    QColor clear = hot;
    clear.setAlpha(0);
    glow.setColorAt(0, clear);
    glow.setColorAt(0.5, hot);
    glow.setColorAt(1, clear);
    painter.fillRect(QRectF(seam - 6, band.top(), 12, band.height()), glow);
    painter.fillRect(QRectF(seam - 0.75, band.top(), 1.5, band.height()), QColor(255, 245, 220));
}
