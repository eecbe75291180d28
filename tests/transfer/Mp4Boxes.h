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
// optional ES descriptor fields (0x80 depends-on, 0x40 URL, 0x20 OCR);
// specificInfo is the decoder specific info (the stream's headers).
inline QByteArray esds(quint8 objectType, quint8 esFlags = 0, const QByteArray& specificInfo = {})
{
    QByteArray es = be16(1) + char(esFlags);
    if (esFlags & 0x80) es += be16(2);
    if (esFlags & 0x40) es += QByteArray("\x03url", 4);
    if (esFlags & 0x20) es += be16(3);
    QByteArray config = char(objectType) + QByteArray("\x11\0\0\0", 4) + be32(0) + be32(0);
    if (!specificInfo.isEmpty())
        config += char(0x05) + QByteArray(1, char(specificInfo.size())) + specificInfo;
    es += char(0x04) + QByteArray(1, char(config.size())) + config;
    es += QByteArray("\x06\x01\x02", 3);
    return fullBox("esds", char(0x03) + QByteArray(1, char(es.size())) + es);
}

// A visual sample entry: its fixed fields (the picture size among them),
// then its extension boxes.
inline QByteArray visualEntry(const QByteArray& type, const QByteArray& extensions = {},
                              quint16 width = 320, quint16 height = 240)
{
    return box(type, QByteArray(24, '\0') + be16(width) + be16(height) + QByteArray(50, '\0') +
                         extensions);
}

// MPEG-4 Visual headers: a visual object sequence with that profile and
// level indication (none when negative), then a video object layer of that
// object type (1 Simple, 17 Advanced Simple).
inline QByteArray mpeg4Headers(int profileLevel, quint8 objectType = 1)
{
    QByteArray headers;
    if (profileLevel >= 0) headers += QByteArray("\0\0\1\xb0", 4) + char(profileLevel);
    headers += QByteArray("\0\0\1\xb5\x09", 5) + QByteArray("\0\0\1\0", 4);
    // random_accessible_vol 0, then the object type over the next byte boundary.
    headers += QByteArray("\0\0\1\x20", 4) + char(objectType >> 1) + char((objectType & 1) << 7);
    return headers;
}

inline QByteArray mpeg4Entry(quint16 width = 320, quint16 height = 240,
                             const QByteArray& headers = mpeg4Headers(0x03))
{
    return visualEntry("mp4v", esds(0x20, 0, headers), width, height);
}

// profile 77 is Main, level 21 is 2.1.
inline QByteArray avcEntry(quint8 profile = 77, quint8 level = 21, quint16 width = 320,
                           quint16 height = 240)
{
    return visualEntry("avc1",
                       box("avcC", QByteArray("\x01", 1) + char(profile) + char(0x40) +
                                       char(level) + QByteArray("\xff\xe1", 2)),
                       width, height);
}

inline QByteArray stsd(const QByteArray& entry, quint32 count = 1)
{
    return fullBox("stsd", be32(count) + entry);
}

// A track; with a time scale, its samples last frameTicks each (frames of
// timeScale / frameTicks per second), else it has no timing.
inline QByteArray track(const QByteArray& handler, const QByteArray& stsdBox, quint32 timeScale = 0,
                        quint32 frameTicks = 0)
{
    const QByteArray hdlr = fullBox("hdlr", be32(0) + handler + QByteArray(13, '\0'));
    const QByteArray mdhd =
        fullBox("mdhd", be32(0) + be32(0) + be32(timeScale) + be32(0) + be32(0));
    const QByteArray stts = timeScale ? fullBox("stts", be32(1) + be32(50) + be32(frameTicks))
                                      : fullBox("stts", be32(0));
    return box("trak", box("tkhd", QByteArray(84, '\0')) +
                           box("mdia", mdhd + hdlr + box("minf", box("stbl", stsdBox + stts))));
}

inline QByteArray ftyp() { return box("ftyp", "isom" + be32(512) + "isommp41"); }

// A whole file: ftyp, moov with one video track of that sample entry, mdat;
// timed as track() says.
inline QByteArray file(const QByteArray& entry, const QByteArray& media = {}, quint32 timeScale = 0,
                       quint32 frameTicks = 0)
{
    return ftyp() + box("moov", track("vide", stsd(entry), timeScale, frameTicks)) +
           box("mdat", media);
}

// The same file made exactly size bytes long by filling its media with fill.
inline QByteArray fileOfSize(const QByteArray& entry, qsizetype size, char fill = 'v')
{
    const qsizetype header = file(entry).size();
    return file(entry, QByteArray(qMax<qsizetype>(0, size - header), fill));
}

// The PSP header of a movie: a uuid box "USMT..." holding an MTDT box with
// a title entry (type 1, UTF-16); entrySize overrides the entry's own size.
inline QByteArray pspHeader(const QString& title, int entrySize = -1)
{
    QByteArray text;
    for (const QChar c : title)
        text += be16(c.unicode());
    text += be16(0);
    const QByteArray entry = be16(quint16(entrySize >= 0 ? entrySize : 10 + text.size())) +
                             be32(1) + be16(0x15c7) + be16(1) + text;
    const QByteArray mtdt = box("MTDT", be16(1) + entry);
    return box("uuid",
               QByteArray("USMT\x21\xd2\x4f\xce\xbb\x88\x69\x5c\xfa\xc9\xc7\x40", 16) + mtdt);
}

}  // namespace mp4
