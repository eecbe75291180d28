#include "VideoRowDelegate.h"

#include <QImage>
#include <QPainter>

namespace {

const QColor RowTextColour(101, 101, 101);

// Draws text with its top-left corner at (x, y) of the row, clipped to the
// row's right and bottom edges.
void drawRowText(QPainter* painter, const QRect& row, int x, int y, const QString& text)
{
    if (text.isEmpty()) return;
    const QRect box(row.left() + x, row.top() + y, row.width() - x, row.height() - y);
    if (box.width() <= 0 || box.height() <= 0) return;
    painter->drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

QColor VideoRowBackground(bool selected)
{
    // Selected rows must stand out at a glance, also on a dim laptop screen.
    return selected ? QColor(170, 205, 238) : QColor(246, 246, 247);
}

void CVideoRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    const QRect row = option.rect;
    painter->save();
    painter->setClipRect(row);
    painter->fillRect(row, Qt::white);

    const QColor background = VideoRowBackground(option.state & QStyle::State_Selected);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(background);
    painter->setBrush(background);
    painter->drawRoundedRect(
        QRectF(row.left() + 1.5, row.top() + 1.5, row.width() - 4.0, row.height() - 4.0), 1.5, 1.5);
    painter->setRenderHint(QPainter::Antialiasing, false);

    const QImage thumbnail = index.data(Qt::DecorationRole).value<QImage>();
    if (!thumbnail.isNull())
        painter->drawImage(QRect(row.left() + 2, row.top() + 2, 40, 40), thumbnail);

    painter->setFont(option.font);
    painter->setPen(RowTextColour);
    drawRowText(painter, row, 50, 2, index.data(Qt::DisplayRole).toString());
    drawRowText(painter, row, 50, 22, index.data(VideoSizeTextRole).toString());
    drawRowText(painter, row, 162, 12, index.data(VideoNoteRole).toString());

    if (option.state & QStyle::State_HasFocus) {
        // Keyboard users still need to see which row the space bar toggles.
        QPen focusPen(RowTextColour, 1, Qt::DotLine);
        painter->setPen(focusPen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(row.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize CVideoRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(option.rect.width(), VideoRowHeight);
}
