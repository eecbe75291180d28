#include "CustomPanel.h"

#include <QPainter>

CCustomPanel::CCustomPanel(const QString& text, QWidget* parent) : QWidget(parent)
{
    setAccessibleName(text);
    setWindowTitle(text);
}

void CCustomPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    // A 2-pixel pen centred on the inner edge of a 1-pixel inset keeps the whole
    // outline inside the panel.
    QPen pen(QColor(217, 217, 223), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 2, 2);
}
