#include "CustomListBox.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "ListDragPayload.h"
#include "VideoRowDelegate.h"

using namespace Qt::StringLiterals;

namespace {

// Drawn rather than taken from the icon theme, which a desktop may lack.
QImage folderPicture()
{
    QImage image(ThumbnailSide, ThumbnailSide, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(160, 120, 30));
    painter.setBrush(QColor(240, 200, 90));
    painter.drawRect(4, 9, 14, 6);
    painter.drawRect(4, 12, 32, 22);
    return image;
}

}  // namespace

int CVideoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_folders.size() + m_entries.size());
}

QVariant CVideoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (index.row() < m_folders.size()) {
        const VideoEntry& f = m_folders.at(index.row());
        switch (role) {
            case Qt::DisplayRole:
                return f.mp4Name;
            case Qt::DecorationRole: {
                static const QImage picture = folderPicture();
                return picture;
            }
            case Qt::ToolTipRole:
                return f.mp4Path;
            default:
                return {};
        }
    }
    const VideoEntry& e = m_entries.at(index.row() - m_folders.size());
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
    const int row = rowCount();
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

void CVideoListModel::setFolders(QList<VideoEntry> folders)
{
    beginResetModel();
    m_folders = std::move(folders);
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
        if (index.row() >= folderCount()) rows.append(index.row() - folderCount());
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

QModelIndex CCustomListBox::entryIndex(int row) const
{
    if (row < 0 || row >= count()) return {};
    return m_model->index(row + folderCount());
}

void CCustomListBox::setFolders(QList<VideoEntry> folders)
{
    // The selection is of videos and survives the reset.
    const QList<int> selected = selectedRows();
    forgetPress();
    m_anchorRow = -1;
    m_model->setFolders(std::move(folders));
    for (const int row : selected)
        setRowSelected(row, true);
}

const VideoEntry* CCustomListBox::folderAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= folderCount()) return nullptr;
    return &folder(index.row());
}

void CCustomListBox::setRowSelected(int row, bool selected)
{
    const QModelIndex index = entryIndex(row);
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
    // A folder is opened, never selected.
    if (folderAt(index)) {
        forgetPress();
        return;
    }
    // Shift extends the selection from the row clicked last to this one.
    if ((event->modifiers() & Qt::ShiftModifier) && m_anchorRow >= folderCount() &&
        m_anchorRow < m_model->rowCount()) {
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
    if (event->button() == Qt::LeftButton) {
        if (const VideoEntry* f = folderAt(indexAt(event->position().toPoint()))) {
            forgetPress();
            // Opening replaces the rows; the path is copied first.
            const QString path = f->mp4Path;
            Q_EMIT folderOpened(path);
            return;
        }
    }
    // The second click of a double click toggles like any other.
    mousePressEvent(event);
}

void CCustomListBox::focusInEvent(QFocusEvent* event)
{
    // Focus alone chooses no row: Enter then still ends the window instead
    // of opening the folder row at the top.
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    if (!hadCurrent)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void CCustomListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (const VideoEntry* f = folderAt(currentIndex())) {
            const QString path = f->mp4Path;
            Q_EMIT folderOpened(path);
            return;
        }
    }
    QListView::keyPressEvent(event);
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
    const QImage thumbnail = entry(m_dragRow - folderCount()).thumbnail;
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
    if (m_deselectRow >= 0)
        selectionModel()->select(m_model->index(m_deselectRow), QItemSelectionModel::Deselect);
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
