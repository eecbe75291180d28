#include "windows/StateImages.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace {

class StateIconEngine : public QIconEngine {
public:
    explicit StateIconEngine(RowState state) : m_state(state) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5);
        static const QColor Colours[] = {QColor(0x8a, 0x94, 0xa6), QColor(0x2f, 0x80, 0xed),
                                         QColor(0x27, 0xae, 0x60), QColor(0xe0, 0x3e, 0x3e)};
        const QColor colour = Colours[m_state];
        const qreal w = box.width();
        QPen pen(Qt::white, qMax(1.5, w / 7), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        if (m_state == rsQueued) {
            painter->setPen(QPen(colour, qMax(1.2, w / 9)));
            painter->setBrush(Qt::NoBrush);
            painter->drawEllipse(box);
            painter->setBrush(colour);
            painter->setPen(Qt::NoPen);
            painter->drawEllipse(box.center(), w / 7, w / 7);
        } else {
            painter->setPen(Qt::NoPen);
            painter->setBrush(colour);
            painter->drawEllipse(box);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            const QPointF c = box.center();
            const qreal r = w / 4.5;
            QPainterPath path;
            if (m_state == rsConverting) {
                // A play mark.
                painter->setBrush(Qt::white);
                painter->setPen(Qt::NoPen);
                path.moveTo(c.x() - r * 0.7, c.y() - r);
                path.lineTo(c.x() + r, c.y());
                path.lineTo(c.x() - r * 0.7, c.y() + r);
                path.closeSubpath();
            } else if (m_state == rsConverted) {
                path.moveTo(c.x() - r, c.y());
                path.lineTo(c.x() - r / 3, c.y() + r * 0.75);
                path.lineTo(c.x() + r, c.y() - r * 0.7);
            } else {
                path.moveTo(c.x() - r * 0.8, c.y() - r * 0.8);
                path.lineTo(c.x() + r * 0.8, c.y() + r * 0.8);
                path.moveTo(c.x() + r * 0.8, c.y() - r * 0.8);
                path.lineTo(c.x() - r * 0.8, c.y() + r * 0.8);
            }
            painter->drawPath(path);
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new StateIconEngine(m_state); }

private:
    RowState m_state;
};

}  // namespace

QIcon StateImage(RowState state)
{
    static const QIcon Images[] = {
        QIcon(new StateIconEngine(rsQueued)), QIcon(new StateIconEngine(rsConverting)),
        QIcon(new StateIconEngine(rsConverted)), QIcon(new StateIconEngine(rsFailed))};
    return Images[qBound(0, int(state), 3)];
}
