#pragma once

#include "base/globals.h"

#include <QStringList>
#include <QTreeWidget>

// The queue: one row per file, its caption the full path, its state image
// the row's conversion state, its facts kept with it. Files dropped from a
// file manager are handed on; a row dragged within the list moves there.
class TFileListView : public QTreeWidget {
    Q_OBJECT

public:
    explicit TFileListView(QWidget* parent = nullptr);

    // New rows at the end, queued.
    void AppendRows(const QList<TFileItem>& files);
    static TFileItem Facts(const QTreeWidgetItem* row);
    QString Caption(int row) const;
    void SetState(int row, RowState state, const QStringList& outputs = {});
    RowState State(int row) const;
    // Rows by position, first to last.
    QList<int> SelectedRows() const;
    // Deselects all, then selects, focuses and shows row n (the last one
    // when n is beyond it).
    void SelectRow(int n);
    // Moves a row to another position; the moved row is selected.
    void MoveRow(int from, int to);
    // A row dragged within the list: the current row goes before the target
    // row, or to the end when dropped below the last row (no target).
    void DropCurrentRowOn(QTreeWidgetItem* target);
    // What to do, shown in the list while it is empty.
    void SetEmptyHint(const QString& hint);
    QString EmptyHint() const { return m_emptyHint; }

Q_SIGNALS:
    void FilesDropped(const QStringList& paths);
    void RowsChanged();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool acceptsDrag(const QDropEvent* event) const;

    QString m_emptyHint;
};
