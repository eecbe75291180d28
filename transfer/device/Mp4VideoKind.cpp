#include "Mp4VideoKind.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr quint32 fourCc(const char (&text)[5])
{
    return quint32(quint8(text[0])) << 24 | quint32(quint8(text[1])) << 16 |
           quint32(quint8(text[2])) << 8 | quint32(quint8(text[3]));
}

// A real file passes a few dozen boxes on the way to its sample description;
// one that makes the walk read more headers than this is not taken.
constexpr int MaxBoxes = 100000;
// Bounds on the small boxes read whole: a sample entry's extensions and esds.
constexpr qint64 MaxEntryExtensions = 64 * 1024;
constexpr qint64 MaxEsds = 64 * 1024;
// Width, height, resolutions, frame count, compressor name, depth: the fixed
// part of a visual sample entry before its extension boxes.
constexpr qint64 VisualSampleEntryFields = 78;
// MPEG-4 Visual in the object type of an esds decoder configuration.
constexpr int Mpeg4VisualObjectType = 0x20;

struct Box {
    quint32 type = 0;
    qint64 payload = 0;  // first byte after the header
    qint64 end = 0;      // first byte after the box
};

// Box headers and small boxes of an open file, every read checked against the
// file's end; any inconsistency marks the file damaged.
class BoxFile {
public:
    BoxFile(int fd, qint64 size) : m_fd(fd), m_size(size) {}

    qint64 size() const { return m_size; }
    int error() const { return m_error; }

    // Reads exactly length bytes at offset at; false (damaged) when the file
    // ends first.
    bool read(qint64 at, char* buffer, qint64 length)
    {
        if (at < 0 || length < 0 || at > m_size || length > m_size - at) return false;
        while (length > 0) {
            const ssize_t got = ::pread(m_fd, buffer, size_t(length), off_t(at));
            if (got < 0) {
                if (errno == EINTR) continue;
                m_error = errno;
                return false;
            }
            if (got == 0) return false;
            buffer += got;
            at += got;
            length -= got;
        }
        return true;
    }

    std::optional<QByteArray> readBytes(qint64 at, qint64 length)
    {
        QByteArray bytes(length, Qt::Uninitialized);
        if (!read(at, bytes.data(), length)) return std::nullopt;
        return bytes;
    }

    // The box starting at at inside a parent ending at end: 32-bit sizes,
    // 64-bit sizes (size 1) and "to the end of the parent" (size 0).
    std::optional<Box> boxAt(qint64 at, qint64 end)
    {
        if (++m_boxes > MaxBoxes || end - at < 8) return std::nullopt;
        uchar header[16];
        if (!read(at, reinterpret_cast<char*>(header), 8)) return std::nullopt;
        quint64 size = qFromBigEndian<quint32>(header);
        qint64 headerSize = 8;
        if (size == 1) {
            if (end - at < 16 || !read(at + 8, reinterpret_cast<char*>(header + 8), 8))
                return std::nullopt;
            size = qFromBigEndian<quint64>(header + 8);
            headerSize = 16;
        } else if (size == 0) {
            size = quint64(end - at);
        }
        if (size < quint64(headerSize) || size > quint64(end - at)) return std::nullopt;
        return Box{qFromBigEndian<quint32>(header + 4), at + headerSize, at + qint64(size)};
    }

    // The first box of that type among the boxes from at to end.
    std::optional<Box> find(qint64 at, qint64 end, quint32 type)
    {
        while (at < end) {
            const std::optional<Box> box = boxAt(at, end);
            if (!box) return std::nullopt;
            if (box->type == type) return box;
            at = box->end;
        }
        return std::nullopt;
    }

    std::optional<Box> child(const std::optional<Box>& parent, quint32 type)
    {
        if (!parent) return std::nullopt;
        return find(parent->payload, parent->end, type);
    }

private:
    int m_fd;
    qint64 m_size;
    int m_error = 0;
    int m_boxes = 0;
};

// The length of a descriptor: up to four bytes of seven bits each.
std::optional<qsizetype> descriptorLength(const QByteArray& bytes, qsizetype& at)
{
    qsizetype length = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= bytes.size()) return std::nullopt;
        const quint8 byte = quint8(bytes.at(at++));
        length = (length << 7) | (byte & 0x7f);
        if (!(byte & 0x80))
            return length <= bytes.size() - at ? std::optional(length) : std::nullopt;
    }
    return std::nullopt;
}

struct DecoderConfig {
    int objectType = 0;
    QByteArray specificInfo;  // the decoder specific info; empty when absent
};

// The decoder configuration in an esds payload.
std::optional<DecoderConfig> esdsDecoderConfig(const QByteArray& esds)
{
    qsizetype at = 4;  // version and flags
    if (at >= esds.size() || quint8(esds.at(at++)) != 0x03) return std::nullopt;
    const std::optional<qsizetype> esLength = descriptorLength(esds, at);
    if (!esLength || *esLength < 3) return std::nullopt;
    const qsizetype esEnd = at + *esLength;
    const quint8 flags = quint8(esds.at(at + 2));
    at += 3;
    if (flags & 0x80) at += 2;  // depends on another stream
    if (flags & 0x40) {         // URL
        if (at >= esEnd) return std::nullopt;
        at += 1 + quint8(esds.at(at));
    }
    if (flags & 0x20) at += 2;  // OCR stream
    while (at < esEnd) {
        const quint8 tag = quint8(esds.at(at++));
        const std::optional<qsizetype> length = descriptorLength(esds, at);
        if (!length || at + *length > esEnd) return std::nullopt;
        if (tag != 0x04) {
            at += *length;
            continue;
        }
        if (*length == 0) return std::nullopt;
        DecoderConfig config;
        config.objectType = quint8(esds.at(at));
        // Object type, stream type, buffer size, maximum and average bit
        // rate, then the decoder specific info; a damaged tail only loses it.
        const qsizetype configEnd = at + *length;
        qsizetype sub = at + 13;
        while (sub < configEnd) {
            const quint8 subTag = quint8(esds.at(sub++));
            const std::optional<qsizetype> subLength = descriptorLength(esds, sub);
            if (!subLength || sub + *subLength > configEnd) break;
            if (subTag == 0x05) {
                config.specificInfo = esds.mid(sub, *subLength);
                break;
            }
            sub += *subLength;
        }
        return config;
    }
    return std::nullopt;
}

// Profile and level of an MPEG-4 Visual decoder specific info: the
// visual object sequence header's indication, else the video object layer's
// object type.
void readMpeg4Headers(const QByteArray& info, Mp4VideoProbe& probe)
{
    for (qsizetype at = 0; at + 4 < info.size(); ++at) {
        if (info.at(at) != 0 || info.at(at + 1) != 0 || info.at(at + 2) != 1) continue;
        const quint8 code = quint8(info.at(at + 3));
        if (code == 0xb0 && probe.mpeg4ProfileLevel < 0) {
            probe.mpeg4ProfileLevel = quint8(info.at(at + 4));
        } else if (code >= 0x20 && code <= 0x2f && probe.mpeg4ObjectType < 0 &&
                   at + 5 < info.size()) {
            // random_accessible_vol (1 bit), then video_object_type_indication (8 bits).
            const quint16 bits = quint16(quint8(info.at(at + 4)) << 8 | quint8(info.at(at + 5)));
            probe.mpeg4ObjectType = (bits >> 7) & 0xff;
        }
    }
}

// Entries of a time-to-sample table read at most; real files have a handful.
constexpr qint64 MaxTimeToSampleEntries = 65536;

// The average frame rate of a track from its media time scale and its
// time-to-sample table; 0 when either is missing or says nothing.
double averageFrameRate(BoxFile& file, const std::optional<Box>& mdhd,
                        const std::optional<Box>& stts)
{
    if (!mdhd || !stts) return 0;
    uchar head[24];
    if (!file.read(mdhd->payload, reinterpret_cast<char*>(head), 4)) return 0;
    const qint64 scaleAt = head[0] == 1 ? 20 : 12;
    if (!file.read(mdhd->payload + scaleAt, reinterpret_cast<char*>(head), 4)) return 0;
    const quint32 timeScale = qFromBigEndian<quint32>(head);
    uchar counts[8];
    if (timeScale == 0 || !file.read(stts->payload, reinterpret_cast<char*>(counts), 8)) return 0;
    const qint64 entries =
        std::min<qint64>({qint64(qFromBigEndian<quint32>(counts + 4)), MaxTimeToSampleEntries,
                          (stts->end - stts->payload - 8) / 8});
    if (entries <= 0) return 0;
    const std::optional<QByteArray> table = file.readBytes(stts->payload + 8, entries * 8);
    if (!table) return 0;
    double samples = 0;
    double duration = 0;
    for (qint64 i = 0; i < entries; ++i) {
        const auto* entry = reinterpret_cast<const uchar*>(table->constData() + i * 8);
        const double count = qFromBigEndian<quint32>(entry);
        samples += count;
        duration += count * qFromBigEndian<quint32>(entry + 4);
    }
    return duration > 0 ? samples * timeScale / duration : 0;
}

QString fourCcText(quint32 type)
{
    QString text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((type >> shift) & 0xff);
        if (c < 0x20 || c > 0x7e)
            return u"0x"_s + QString::number(type, 16).rightJustified(8, u'0');
        text += QLatin1Char(c);
    }
    return u'"' + text + u'"';
}

QString sampleEntryName(quint32 type)
{
    switch (type) {
        case fourCc("hvc1"):
        case fourCc("hev1"):
            return u"HEVC (H.265)"_s;
        case fourCc("av01"):
            return u"AV1"_s;
        case fourCc("vp08"):
            return u"VP8"_s;
        case fourCc("vp09"):
            return u"VP9"_s;
        case fourCc("s263"):
        case fourCc("h263"):
            return u"H.263"_s;
        case fourCc("jpeg"):
        case fourCc("mjpa"):
        case fourCc("mjpb"):
            return u"Motion JPEG"_s;
        case fourCc("encv"):
            return u"encrypted video"_s;
        default:
            return fourCcText(type);
    }
}

QString objectTypeName(int objectType)
{
    if (objectType >= 0x60 && objectType <= 0x65) return u"MPEG-2 video"_s;
    if (objectType == 0x6a) return u"MPEG-1 video"_s;
    if (objectType == 0x6c) return u"Motion JPEG"_s;
    return u"MPEG-4 system object type 0x"_s +
           QString::number(objectType, 16).rightJustified(2, u'0');
}

// The kind of a track: nothing for a track that is not video.
std::optional<Mp4VideoProbe> trackKind(BoxFile& file, const Box& trak, bool& damaged)
{
    damaged = true;
    const std::optional<Box> mdia = file.child(trak, fourCc("mdia"));
    const std::optional<Box> hdlr = file.child(mdia, fourCc("hdlr"));
    if (!hdlr) return std::nullopt;
    uchar handler[12];  // version and flags, pre_defined, handler_type
    if (!file.read(hdlr->payload, reinterpret_cast<char*>(handler), 12)) return std::nullopt;
    if (qFromBigEndian<quint32>(handler + 8) != fourCc("vide")) {
        damaged = false;
        return std::nullopt;
    }

    const std::optional<Box> stbl = file.child(file.child(mdia, fourCc("minf")), fourCc("stbl"));
    const std::optional<Box> stsd = file.child(stbl, fourCc("stsd"));
    if (!stsd) return std::nullopt;
    uchar counts[8];  // version and flags, entry_count
    if (!file.read(stsd->payload, reinterpret_cast<char*>(counts), 8) ||
        qFromBigEndian<quint32>(counts + 4) == 0)
        return std::nullopt;
    const std::optional<Box> entry = file.boxAt(stsd->payload + 8, stsd->end);
    if (!entry) return std::nullopt;

    Mp4VideoProbe probe;
    const qint64 extensions = entry->payload + VisualSampleEntryFields;
    const bool visual = extensions <= entry->end;
    if (visual) {
        uchar fields[VisualSampleEntryFields];
        if (!file.read(entry->payload, reinterpret_cast<char*>(fields), VisualSampleEntryFields))
            return std::nullopt;
        probe.width = qFromBigEndian<quint16>(fields + 24);
        probe.height = qFromBigEndian<quint16>(fields + 26);
    }
    switch (entry->type) {
        case fourCc("avc1"):
        case fourCc("avc3"): {
            probe.kind = Mp4VideoKind::Avc;
            if (!visual || entry->end - extensions > MaxEntryExtensions) break;
            const std::optional<Box> avcC = file.find(extensions, entry->end, fourCc("avcC"));
            uchar config[4];  // version, profile, compatibility, level
            if (avcC && avcC->end - avcC->payload >= 4 &&
                file.read(avcC->payload, reinterpret_cast<char*>(config), 4)) {
                probe.avcProfile = config[1];
                probe.avcLevel = config[3];
            }
            break;
        }
        case fourCc("mp4v"): {
            // mp4v also carries MPEG-1/2 video and Motion JPEG; its esds says which.
            if (!visual || entry->end - extensions > MaxEntryExtensions) return std::nullopt;
            const std::optional<Box> esds = file.find(extensions, entry->end, fourCc("esds"));
            if (!esds || esds->end - esds->payload > MaxEsds) return std::nullopt;
            const std::optional<QByteArray> bytes =
                file.readBytes(esds->payload, esds->end - esds->payload);
            const std::optional<DecoderConfig> config =
                bytes ? esdsDecoderConfig(*bytes) : std::nullopt;
            if (!config) return std::nullopt;
            if (config->objectType == Mpeg4VisualObjectType) {
                probe.kind = Mp4VideoKind::Mpeg4Part2;
                readMpeg4Headers(config->specificInfo, probe);
            } else {
                probe.kind = Mp4VideoKind::OtherCodec;
                probe.codecName = objectTypeName(config->objectType);
            }
            break;
        }
        default:
            probe.kind = Mp4VideoKind::OtherCodec;
            probe.codecName = sampleEntryName(entry->type);
    }
    probe.frameRate =
        averageFrameRate(file, file.child(mdia, fourCc("mdhd")), file.child(stbl, fourCc("stts")));
    damaged = false;
    return probe;
}

Mp4VideoProbe probeBoxes(BoxFile& file)
{
    const std::optional<Box> moov = file.find(0, file.size(), fourCc("moov"));
    if (!moov) return {};
    for (qint64 at = moov->payload; at < moov->end;) {
        const std::optional<Box> box = file.boxAt(at, moov->end);
        if (!box) return {};
        at = box->end;
        if (box->type != fourCc("trak")) continue;
        bool damaged = false;
        std::optional<Mp4VideoProbe> video = trackKind(file, *box, damaged);
        if (damaged) return {};
        if (video) return *video;
    }
    Mp4VideoProbe probe;
    probe.kind = Mp4VideoKind::NoVideoTrack;
    return probe;
}

}  // namespace

Mp4VideoProbe ProbeMp4Video(const QString& path)
{
    Mp4VideoProbe probe;
    // Without blocking: a pipe under a video's name must not hang the window.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        probe.error = errno;
        return probe;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        probe.error = errno;
    else if (S_ISDIR(st.st_mode))
        probe.error = EISDIR;
    else if (!S_ISREG(st.st_mode))
        probe.error = EINVAL;
    if (probe.error) {
        ::close(fd);
        return probe;
    }
    BoxFile file(fd, qint64(st.st_size));
    probe = probeBoxes(file);
    if (file.error()) {
        probe = {};
        probe.error = file.error();
    }
    ::close(fd);
    return probe;
}

namespace {

// The PSP header's box: uuid "USMT" 21d24fce-bb88-695c-fac9-c740.
const char PspHeaderUuid[16] = {'U',    'S',    'M',    'T',    '\x21', '\xd2', '\x4f', '\xce',
                                '\xbb', '\x88', '\x69', '\x5c', '\xfa', '\xc9', '\xc7', '\x40'};
constexpr qint64 MaxPspHeader = 64 * 1024;
constexpr quint32 PspTitleType = 1;

// The title entry of an MTDT box's payload: a count, then entries of size
// (16 bits, itself included), type (32), language (16), a 16-bit field and
// zero-terminated UTF-16 text.
QString mtdtTitle(const QByteArray& mtdt)
{
    if (mtdt.size() < 2) return {};
    const auto* bytes = reinterpret_cast<const uchar*>(mtdt.constData());
    const int count = qFromBigEndian<quint16>(bytes);
    qsizetype at = 2;
    for (int i = 0; i < count && at + 10 <= mtdt.size(); ++i) {
        const qsizetype size = qFromBigEndian<quint16>(bytes + at);
        if (size < 10 || at + size > mtdt.size()) return {};
        if (qFromBigEndian<quint32>(bytes + at + 2) == PspTitleType) {
            QString title;
            for (qsizetype c = at + 10; c + 1 < at + size; c += 2) {
                const char16_t unit = qFromBigEndian<quint16>(bytes + c);
                if (unit == 0) break;
                title += QChar(unit);
            }
            return title.trimmed();
        }
        at += size;
    }
    return {};
}

}  // namespace

QString ReadPspTitle(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat st {};
    QString title;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        BoxFile file(fd, qint64(st.st_size));
        const std::optional<Box> moov = file.find(0, file.size(), fourCc("moov"));
        for (qint64 at = moov ? moov->payload : 0; moov && at < moov->end;) {
            const std::optional<Box> box = file.boxAt(at, moov->end);
            if (!box) break;
            at = box->end;
            if (box->type != fourCc("uuid") || box->end - box->payload > MaxPspHeader) continue;
            const std::optional<QByteArray> bytes =
                file.readBytes(box->payload, box->end - box->payload);
            if (!bytes || !bytes->startsWith(QByteArray(PspHeaderUuid, 16))) continue;
            // The MTDT box right after the uuid. The movie carries more than
            // one such header; the one with a title counts.
            if (bytes->size() < 24 || bytes->mid(20, 4) != "MTDT") continue;
            const qsizetype size =
                qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(bytes->constData()) + 16);
            if (size < 8 || 16 + size > bytes->size()) continue;
            title = mtdtTitle(bytes->mid(24, size - 8));
            if (!title.isEmpty()) break;
        }
    }
    ::close(fd);
    return title;
}
