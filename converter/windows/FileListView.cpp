#include "windows/FileListView.h"

#include "windows/StateImages.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TFileItem)

namespace {

constexpr int FactsRole = Qt::UserRole;
constexpr int StateRole = Qt::UserRole + 1;

// A row's state image, and what it wrote in its tool tip.
void showState(QTreeWidgetItem* row, RowState state, const QStringList& outputs)
{
    row->setData(0, StateRole, int(state));
    row->setIcon(0, StateImage(state));
    const QString caption = row->text(0);
    row->setToolTip(0, outputs.isEmpty() ? caption : caption + u"\n→ "_s + outputs.join(u"\n→ "_s));
}

}  // namespace

TFileListView::TFileListView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(u"ListViewFiles"_s);
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setIconSize(QSize(16, 16));
}

void TFileListView::AppendRows(const QList<TFileItem>& files)
{
    if (files.isEmpty()) return;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(files.size());
    for (const TFileItem& facts : files) {
        auto* row = new QTreeWidgetItem;
        const QString caption = facts.FilePath + facts.FileName;
        row->setText(0, caption);
        row->setData(0, FactsRole, QVariant::fromValue(facts));
        showState(row, rsQueued, {});
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        rows << row;
    }
    addTopLevelItems(rows);
    Q_EMIT RowsChanged();
}

TFileItem TFileListView::Facts(const QTreeWidgetItem* row)
{
    return row ? row->data(0, FactsRole).value<TFileItem>() : TFileItem();
}

QString TFileListView::Caption(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(0) : QString();
}

void TFileListView::SetState(int row, RowState state, const QStringList& outputs)
{
    if (QTreeWidgetItem* item = topLevelItem(row)) showState(item, state, outputs);
}

RowState TFileListView::State(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? RowState(item->data(0, StateRole).toInt()) : rsQueued;
}

QList<int> TFileListView::SelectedRows() const
{
    QList<int> rows;
    for (int row = 0; row < topLevelItemCount(); ++row)
        if (topLevelItem(row)->isSelected()) rows << row;
    return rows;
}

void TFileListView::SelectRow(int n)
{
    if (topLevelItemCount() == 0) return;
    clearSelection();
    QTreeWidgetItem* item = topLevelItem(qBound(0, n, topLevelItemCount() - 1));
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
}

void TFileListView::MoveRow(int from, int to)
{
    if (from < 0 || from >= topLevelItemCount() || to < 0 || to >= topLevelItemCount() ||
        from == to)
        return;
    QTreeWidgetItem* item = takeTopLevelItem(from);
    insertTopLevelItem(to, item);
    SelectRow(to);
    Q_EMIT RowsChanged();
}

bool TFileListView::acceptsDrag(const QDropEvent* event) const
{
    if (event->source() == this) return true;
    return event->mimeData()->hasUrls();
}

void TFileListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!acceptsDrag(event)) return event->ignore();
    event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void TFileListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!acceptsDrag(event)) return event->ignore();
    QTreeWidget::dragMoveEvent(event);
    event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void TFileListView::dropEvent(QDropEvent* event)
{
    if (event->source() != this) {
        QStringList paths;
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (!paths.isEmpty()) Q_EMIT FilesDropped(paths);
        return;
    }
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    DropCurrentRowOn(itemAt(event->position().toPoint()));
}

void TFileListView::DropCurrentRowOn(QTreeWidgetItem* target)
{
    QTreeWidgetItem* moving = currentItem();
    if (!moving) return;
    const int from = indexOfTopLevelItem(moving);
    int to = target ? indexOfTopLevelItem(target) : topLevelItemCount() - 1;
    if (target && to > from) --to;  // the taken row no longer counts
    MoveRow(from, to);
}

void TFileListView::SetEmptyHint(const QString& hint)
{
    m_emptyHint = hint;
    viewport()->update();
}

void TFileListView::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (topLevelItemCount() > 0 || m_emptyHint.isEmpty()) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect().adjusted(8, 4, -8, -4), Qt::AlignCenter | Qt::TextWordWrap,
                     m_emptyHint);
}
