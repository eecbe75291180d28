#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QPoint>

#include "VideoStore.h"

// The rows of one video list; row i always shows entry i.
class CVideoListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const VideoEntry& entry(int row) const { return m_entries.at(row); }
    int count() const { return int(m_entries.size()); }
    void append(VideoEntry entry);
    // Removes the videos; the folders stay.
    void clear();
    void sort(VideoOrder order);

    // Folder rows carry the folder's path in mp4Path and the name shown in mp4Name.
    int folderCount() const { return int(m_folders.size()); }
    const VideoEntry& folder(int index) const { return m_folders.at(index); }
    void setFolders(QList<VideoEntry> folders);

private:
    QList<VideoEntry> m_folders;
    QList<VideoEntry> m_entries;
};

// An owner-drawn list of videos. Each click toggles a row, a Shift click
// selects every row from the row clicked last; pressing a selected
// row keeps the selection whole so that it can be dragged, and releasing
// without dragging deselects it. Dragging offers the selected MP4 paths under
// the transfer window's own MIME type; a drop from the other list (never from
// this one) is announced with videosDropped().
class CCustomListBox : public QListView, public VideoList {
    Q_OBJECT

public:
    // consoleSide names the list's side in the drag payload's source id.
    explicit CCustomListBox(bool consoleSide, QWidget* parent = nullptr);

    int count() const override;
    const VideoEntry& entry(int row) const override;
    void appendEntry(VideoEntry entry) override;
    void removeAllEntries() override;
    QList<int> selectedRows() const override;

    void setRowSelected(int row, bool selected);
    // The view's index of video row.
    QModelIndex entryIndex(int row) const;

    // Folder rows shown above the videos. They are never selected, dragged,
    // transferred or deleted: count(), entry() and selectedRows() know videos only.
    void setFolders(QList<VideoEntry> folders);
    int folderCount() const { return m_model->folderCount(); }
    const VideoEntry& folder(int index) const { return m_model->folder(index); }
    // Orders the rows; the selected videos stay selected.
    void sortEntries(VideoOrder order);

    // The id this list writes into its drag payloads.
    quint32 sourceId() const { return m_sourceId; }
    // The payload a drag of the selected rows carries.
    QMimeData* selectionMimeData() const;

Q_SIGNALS:
    // Videos were dropped on this list; text is the payload's text.
    void videosDropped(CCustomListBox* list, const QString& text);
    // A folder row was opened by a double click or Enter; path is its folder.
    void folderOpened(const QString& path);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // True when the drop carries a payload of another list.
    bool acceptsDrop(const QMimeData* mime) const;
    void forgetPress();
    // The folder a view row shows, or nothing for a video row.
    const VideoEntry* folderAt(const QModelIndex& index) const;

    CVideoListModel* m_model;
    quint32 m_sourceId;
    int m_dragRow = -1;
    int m_deselectRow = -1;
    int m_anchorRow = -1;  // where a Shift click extends the selection from
    QPoint m_pressPosition;
};
