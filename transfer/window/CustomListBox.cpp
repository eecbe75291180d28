#include "CustomListBox.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>

#include "ListDragPayload.h"
#include "VideoRowDelegate.h"

using namespace Qt::StringLiterals;

int CVideoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant CVideoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size()) return {};
    const VideoEntry& e = m_entries.at(index.row());
    switch (role) {
        // A titled video shows as the console shows it, its file as detail.
        case Qt::DisplayRole:
            return e.title.isEmpty() ? e.mp4Name : e.title;
        case Qt::DecorationRole:
            return e.thumbnail;
        case Qt::ToolTipRole:
            return e.mp4Path;
        case VideoSizeTextRole:
            return e.title.isEmpty() ? e.sizeText : e.mp4Name + u"  "_s + e.sizeText;
        case VideoNoteRole:
            return e.note;
        default:
            return {};
    }
}

void CVideoListModel::append(VideoEntry entry)
{
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append(std::move(entry));
    endInsertRows();
}

void CVideoListModel::sort(VideoOrder order)
{
    beginResetModel();
    SortVideoEntries(m_entries, order);
    endResetModel();
}

void CVideoListModel::clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

CCustomListBox::CCustomListBox(bool consoleSide, QWidget* parent)
    : QListView(parent),
      m_model(new CVideoListModel(this)),
      m_sourceId(ListDragSourceId(consoleSide))
{
    setModel(m_model);
    setItemDelegate(new CVideoRowDelegate(this));
    setSelectionMode(QAbstractItemView::MultiSelection);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    // Drags are started and taken by hand: the payload is our own.
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
}

int CCustomListBox::count() const { return m_model->count(); }

const VideoEntry& CCustomListBox::entry(int row) const { return m_model->entry(row); }

void CCustomListBox::appendEntry(VideoEntry entry) { m_model->append(std::move(entry)); }

void CCustomListBox::removeAllEntries()
{
    forgetPress();
    m_anchorRow = -1;
    m_model->clear();
}

QList<int> CCustomListBox::selectedRows() const
{
    QList<int> rows;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    for (const QModelIndex& index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CCustomListBox::sortEntries(VideoOrder order)
{
    QStringList selected;
    for (const int row : selectedRows())
        selected.append(entry(row).mp4Path);
    forgetPress();
    m_anchorRow = -1;
    m_model->sort(order);
    for (int row = 0; row < count(); ++row)
        if (selected.contains(entry(row).mp4Path)) setRowSelected(row, true);
}

void CCustomListBox::setRowSelected(int row, bool selected)
{
    const QModelIndex index = m_model->index(row);
    if (!index.isValid()) return;
    selectionModel()->select(
        index, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

QMimeData* CCustomListBox::selectionMimeData() const
{
    QStringList paths;
    const QList<int> rows = selectedRows();
    for (int row : rows)
        paths.append(entry(row).mp4Path);
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(ListDragMimeType), EncodeListDragPayload(m_sourceId, paths));
    return mime;
}

void CCustomListBox::forgetPress()
{
    m_dragRow = -1;
    m_deselectRow = -1;
}

void CCustomListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_pressPosition = event->position().toPoint();
    const QModelIndex index = indexAt(m_pressPosition);
    m_dragRow = index.isValid() ? index.row() : -1;
    m_deselectRow = -1;
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    // Shift extends the selection from the row clicked last to this one.
    if ((event->modifiers() & Qt::ShiftModifier) && m_anchorRow >= 0 && m_anchorRow < count()) {
        const QItemSelection range(m_model->index(qMin(m_anchorRow, index.row())),
                                   m_model->index(qMax(m_anchorRow, index.row())));
        selectionModel()->select(range, QItemSelectionModel::Select);
        return;
    }
    m_anchorRow = index.row();
    if (selectionModel()->isSelected(index))
        m_deselectRow = index.row();  // decided on release: this may start a drag
    else
        selectionModel()->select(index, QItemSelectionModel::Select);
}

void CCustomListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click toggles like any other.
    mousePressEvent(event);
}

void CCustomListBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_dragRow < 0) return;
    if ((event->position().toPoint() - m_pressPosition).manhattanLength() <
        QApplication::startDragDistance())
        return;
    if (selectedRows().isEmpty()) {
        forgetPress();
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(selectionMimeData());
    const QImage thumbnail = entry(m_dragRow).thumbnail;
    if (!thumbnail.isNull()) drag->setPixmap(QPixmap::fromImage(thumbnail));
    // The drag loop swallows the button release; nothing is left to deselect.
    forgetPress();
    drag->exec(Qt::CopyAction);
}

void CCustomListBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_deselectRow >= 0) setRowSelected(m_deselectRow, false);
    forgetPress();
}

bool CCustomListBox::acceptsDrop(const QMimeData* mime) const
{
    if (!mime || !mime->hasFormat(QLatin1String(ListDragMimeType))) return false;
    const std::optional<ListDragPayload> payload =
        DecodeListDragPayload(mime->data(QLatin1String(ListDragMimeType)));
    return payload && payload->sourceList != m_sourceId;
}

void CCustomListBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CCustomListBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CCustomListBox::dragLeaveEvent(QDragLeaveEvent* event) { event->accept(); }

void CCustomListBox::dropEvent(QDropEvent* event)
{
    if (!acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    const std::optional<ListDragPayload> payload =
        DecodeListDragPayload(event->mimeData()->data(QLatin1String(ListDragMimeType)));
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT videosDropped(this, payload->text);
}
