#pragma once

#include <QByteArray>
#include <QtEndian>

// Minimal MP4 box trees: what a reader of a video's sample description needs,
// nothing a player would.
namespace mp4 {

inline QByteArray be16(quint16 value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 2);
}

inline QByteArray be32(quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

inline QByteArray be64(quint64 value)
{
    char bytes[8];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 8);
}

inline QByteArray box(const QByteArray& type, const QByteArray& payload)
{
    return be32(quint32(8 + payload.size())) + type + payload;
}

// The same box with its size in the 64-bit field.
inline QByteArray largeBox(const QByteArray& type, const QByteArray& payload)
{
    return be32(1) + type + be64(quint64(16 + payload.size())) + payload;
}

inline QByteArray fullBox(const QByteArray& type, const QByteArray& payload)
{
    return box(type, QByteArray(4, '\0') + payload);
}

// An esds whose decoder configuration names objectType; esFlags adds the
// optional ES descriptor fields (0x80 depends-on, 0x40 URL, 0x20 OCR).
inline QByteArray esds(quint8 objectType, quint8 esFlags = 0)
{
    QByteArray es = be16(1) + char(esFlags);
    if (esFlags & 0x80) es += be16(2);
    if (esFlags & 0x40) es += QByteArray("\x03url", 4);
    if (esFlags & 0x20) es += be16(3);
    const QByteArray config = char(objectType) + QByteArray("\x11\0\0\0", 5) + be32(0) + be32(0);
    es += char(0x04) + QByteArray(1, char(config.size())) + config;
    es += QByteArray("\x06\x01\x02", 3);
    return fullBox("esds", char(0x03) + QByteArray(1, char(es.size())) + es);
}

// A visual sample entry: its fixed fields, then its extension boxes.
inline QByteArray visualEntry(const QByteArray& type, const QByteArray& extensions = {})
{
    return box(type, QByteArray(78, '\0') + extensions);
}

inline QByteArray mpeg4Entry() { return visualEntry("mp4v", esds(0x20)); }
inline QByteArray avcEntry() { return visualEntry("avc1", box("avcC", "\x01\x4d\x40\x15")); }

inline QByteArray stsd(const QByteArray& entry, quint32 count = 1)
{
    return fullBox("stsd", be32(count) + entry);
}

inline QByteArray track(const QByteArray& handler, const QByteArray& stsdBox)
{
    const QByteArray hdlr = fullBox("hdlr", be32(0) + handler + QByteArray(13, '\0'));
    return box("trak",
               box("tkhd", QByteArray(84, '\0')) +
                   box("mdia", box("mdhd", QByteArray(24, '\0')) + hdlr +
                                   box("minf", box("stbl", stsdBox + box("stts", be64(0))))));
}

inline QByteArray ftyp() { return box("ftyp", "isom" + be32(512) + "isommp41"); }

// A whole file: ftyp, moov with one video track of that sample entry, mdat.
inline QByteArray file(const QByteArray& entry, const QByteArray& media = {})
{
    return ftyp() + box("moov", track("vide", stsd(entry))) + box("mdat", media);
}

// The same file made exactly size bytes long by filling its media with fill.
inline QByteArray fileOfSize(const QByteArray& entry, qsizetype size, char fill = 'v')
{
    const qsizetype header = file(entry).size();
    return file(entry, QByteArray(qMax<qsizetype>(0, size - header), fill));
}

}  // namespace mp4
