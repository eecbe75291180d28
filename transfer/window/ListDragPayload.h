#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// The MIME type under which a video list offers its selected rows; only the
// two lists of the transfer window accept it.
inline constexpr char ListDragMimeType[] = "application/x-ferrybox-videos";

// One block, little-endian: the 32-bit id of the source list, the 32-bit
// length of the text counting its terminating zero, then the UTF-8 text: one
// MP4 path per line, each ending in a line feed, and a zero byte.
struct ListDragPayload {
    quint32 sourceList = 0;
    QString text;
};

// An id for a list that no other list of this or another running transfer
// window shares: the process id with the list's side in the lowest bit.
quint32 ListDragSourceId(bool consoleSide);

QByteArray EncodeListDragPayload(quint32 sourceList, const QStringList& mp4Paths);

// Nothing when the block is too short or its length field does not fit.
std::optional<ListDragPayload> DecodeListDragPayload(const QByteArray& block);

// The paths of a payload text in order, up to the first empty line or the end.
// A line feed or backslash inside a path is carried as "\n" or "\\", so every
// name the file system allows survives the trip.
QStringList DroppedPaths(const QString& text);
