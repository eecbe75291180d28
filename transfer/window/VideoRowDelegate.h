#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Roles under which a video list's model hands a row to the delegate; the
// MP4 name is the display text and the 40x40 thumbnail (QImage) the decoration.
enum VideoRowRole {
    VideoSizeTextRole = Qt::UserRole + 1,
    VideoNoteRole,
};

// Fixed height of every video row: a 40-pixel thumbnail with a 2-pixel margin.
inline constexpr int VideoRowHeight = 44;

// Colour of the rounded row background.
QColor VideoRowBackground(bool selected);

// Draws one video row: a rounded background, the thumbnail, the MP4 name,
// its size and the note, all clipped to the row.
class CVideoRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
