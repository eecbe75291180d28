#include "profiles/ProfileFields.h"

#include "base/IniFile.h"
#include "base/globals.h"
#include "localisation/MessageTable.h"
#include "profiles/EncoderArguments.h"
#include "profiles/ProfileRecords.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

const QString ZeroTime = u"0:00:00.000"_s;

// How a video group lists its keys: the RM files write the two bit rates
// before the preset switch.
enum class VideoKeyOrder { Plain, RatesFirst };

// Collects the fields of one record. Offsets are taken against the record
// the table describes, so they hold for any object of its type.
class TableBuilder {
public:
    template <class Record>
    explicit TableBuilder(Record& record) : m_base(reinterpret_cast<const char*>(&record))
    {
        m_table.record = &record;
        m_table.copy = [](const void* r) -> std::shared_ptr<void> {
            return std::make_shared<Record>(*static_cast<const Record*>(r));
        };
        m_table.arguments = [](const void* r) {
            return EncoderArguments(*static_cast<const Record*>(r));
        };
    }

    ProfileRecord take() { return std::move(m_table); }

    void description(const QString& field)
    {
        ProfileField f = make(u"Description"_s, FieldKind::Text, &field);
        f.defaultIsNoDescription = true;
        m_table.fields.append(f);
    }
    void text(const QString& key, const QString& field, const QString& defaultText)
    {
        ProfileField f = make(key, FieldKind::Text, &field);
        f.defaultText = defaultText;
        m_table.fields.append(f);
    }
    void flag(const QString& key, const bool& field, bool defaultValue)
    {
        add(key, FieldKind::Flag, &field, defaultValue ? 1 : 0);
    }
    void index(const QString& key, const quint8& field, quint8 defaultValue)
    {
        add(key, FieldKind::Index, &field, defaultValue);
    }
    void number(const QString& key, const qint32& field, qint32 defaultValue)
    {
        add(key, FieldKind::Number, &field, defaultValue);
    }

    template <class Record>
    void timeControl(const Record& r)
    {
        flag(u"EnableTimeControl"_s, r.EnableTimeControl, false);
        text(u"Duration"_s, r.Duration, ZeroTime);
        text(u"StartTime"_s, r.StartTime, ZeroTime);
    }

    // The codec choice of most video formats, in the order their files list it.
    template <class Record>
    void videoSelection(const Record& r, quint8 videoCodec, quint8 audioCodec)
    {
        index(u"VideoCodec"_s, r.VideoCodec, videoCodec);
        flag(u"VideoSameQuality"_s, r.VideoSameQuality, false);
        index(u"AudioCodec"_s, r.AudioCodec, audioCodec);
        flag(u"AudioDisableAudio"_s, r.AudioDisableAudio, false);
    }

    void video(const TVideoGroup& g, QStringView suffix, const TVideoGroup& d,
               VideoKeyOrder order = VideoKeyOrder::Plain)
    {
        if (order == VideoKeyOrder::Plain)
            flag(u"VideoBitRateUsePresert"_s + suffix, g.VideoBitRateUsePresert,
                 d.VideoBitRateUsePresert);
        number(u"VideoBitRatePreset"_s + suffix, g.VideoBitRatePreset, d.VideoBitRatePreset);
        number(u"VideoBitRateSpecify"_s + suffix, g.VideoBitRateSpecify, d.VideoBitRateSpecify);
        if (order == VideoKeyOrder::RatesFirst)
            flag(u"VideoBitRateUsePresert"_s + suffix, g.VideoBitRateUsePresert,
                 d.VideoBitRateUsePresert);
        flag(u"VideoSizeUseSource"_s + suffix, g.VideoSizeUseSource, d.VideoSizeUseSource);
        pictureAndRate(g, suffix, d);
    }

    void video(const TH263VideoGroup& g, QStringView suffix, const TH263VideoGroup& d)
    {
        flag(u"VideoBitRateUsePresert"_s + suffix, g.VideoBitRateUsePresert,
             d.VideoBitRateUsePresert);
        number(u"VideoBitRatePreset"_s + suffix, g.VideoBitRatePreset, d.VideoBitRatePreset);
        number(u"VideoBitRateSpecify"_s + suffix, g.VideoBitRateSpecify, d.VideoBitRateSpecify);
        pictureAndRate(g, suffix, d);
    }

    void audio(const TAudioGroup& g, QStringView suffix, const TAudioGroup& d)
    {
        flag(u"AudioBitRateUseAutoSet"_s + suffix, g.AudioBitRateUseAutoSet,
             d.AudioBitRateUseAutoSet);
        number(u"AudioBitRatePreset"_s + suffix, g.AudioBitRatePreset, d.AudioBitRatePreset);
        index(u"AudioSampleRate"_s + suffix, g.AudioSampleRate, d.AudioSampleRate);
        index(u"AudioChannels"_s + suffix, g.AudioChannels, d.AudioChannels);
    }

    void audio(const TPcmAudioGroup& g, QStringView suffix, const TPcmAudioGroup& d)
    {
        index(u"AudioSampleRate"_s + suffix, g.AudioSampleRate, d.AudioSampleRate);
        index(u"AudioChannels"_s + suffix, g.AudioChannels, d.AudioChannels);
    }

private:
    template <class Group>
    void pictureAndRate(const Group& g, QStringView suffix, const Group& d)
    {
        number(u"VideoWidth"_s + suffix, g.VideoWidth, d.VideoWidth);
        number(u"VideoHeight"_s + suffix, g.VideoHeight, d.VideoHeight);
        flag(u"VideoKeepFrameRate"_s + suffix, g.VideoKeepFrameRate, d.VideoKeepFrameRate);
        index(u"VideoFrameRate"_s + suffix, g.VideoFrameRate, d.VideoFrameRate);
        index(u"VideoAspect"_s + suffix, g.VideoAspect, d.VideoAspect);
    }

    ProfileField make(const QString& key, FieldKind kind, const void* field) const
    {
        ProfileField f;
        f.key = key;
        f.kind = kind;
        f.offset = reinterpret_cast<const char*>(field) - m_base;
        return f;
    }
    void add(const QString& key, FieldKind kind, const void* field, qint32 defaultValue)
    {
        ProfileField f = make(key, kind, field);
        f.defaultValue = defaultValue;
        m_table.fields.append(f);
    }

    const char* m_base;
    ProfileRecord m_table;
};

// Group defaults: bit-rate switch, preset, specified, [size from source],
// width, height, keep frame rate, frame rate, aspect.
constexpr TVideoGroup videoDefaults(qint32 rate, bool sizeUseSource, qint32 width, qint32 height,
                                    quint8 frameRate = 7)
{
    return {true, rate, rate, sizeUseSource, width, height, true, frameRate, 0};
}
constexpr TH263VideoGroup h263Defaults(qint32 rate, qint32 width, qint32 height,
                                       quint8 frameRate = 7)
{
    return {true, rate, rate, width, height, true, frameRate, 0};
}
constexpr TAudioGroup audioDefaults(bool autoSet, qint32 rate, quint8 sampleRate,
                                    quint8 channels = 1)
{
    return {autoSet, rate, sampleRate, channels};
}
constexpr TPcmAudioGroup pcmDefaults(quint8 sampleRate) { return {sampleRate, 1}; }

ProfileRecord aviTable()
{
    auto& r = AVISettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.timeControl(r);
    b.videoSelection(r, 0, 1);
    const TVideoGroup v = videoDefaults(1080, true, 640, 480);
    b.video(r.DivX, u"DivX", v);
    b.video(r.XviD, u"XviD", v);
    b.video(r.MsMpeg4, u"MsMpeg4", v);
    b.video(r.MsMpeg4v2, u"MsMpeg4v2", v);
    b.video(r.H263, u"H263", h263Defaults(1080, 352, 288));
    b.video(r.H263P, u"H263P", v);
    b.video(r.H264, u"H264", v);
    b.video(r.DV, u"DV", v);
    b.video(r.huffYUV, u"huffYUV", v);
    b.video(r.Mjpeg, u"Mjpeg", v);
    b.video(r.Mpeg1, u"Mpeg1", v);
    b.video(r.Mpeg2, u"Mpeg2", v);
    b.video(r.Svq1, u"Svq1", v);
    b.video(r.Flv, u"Flv", v);
    const TAudioGroup a = audioDefaults(false, 96, 0);
    b.audio(r.AC3, u"AC3", a);
    b.audio(r.Mp2, u"Mp2", a);
    b.audio(r.Mp3, u"Mp3", a);
    b.audio(r.Pcm16le, u"Pcm16le", pcmDefaults(3));
    b.audio(r.Pcmu8, u"Pcmu8", pcmDefaults(3));
    return b.take();
}

ProfileRecord mp4Table()
{
    auto& r = MP4Settings;
    TableBuilder b(r);
    b.description(r.Description);
    b.index(u"Format"_s, r.Format, 3);
    b.timeControl(r);
    b.videoSelection(r, 0, 0);
    const TVideoGroup v = videoDefaults(1200, false, 320, 240);
    b.video(r.DivX, u"DivX", v);
    b.video(r.XviD, u"XviD", v);
    b.video(r.H264, u"H264", v);
    b.audio(r.AACMp4, u"AACMp4", audioDefaults(false, 64, 3));
    b.audio(r.AACPsp, u"AACPsp", audioDefaults(false, 64, 0));
    return b.take();
}

ProfileRecord tgpTable()
{
    auto& r = TGPSettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.index(u"TgpFormat"_s, r.TgpFormat, 0);
    b.timeControl(r);
    b.index(u"VideoCodecNokia"_s, r.VideoCodecNokia, 0);
    b.index(u"VideoCodecSony"_s, r.VideoCodecSony, 0);
    b.flag(u"VideoSameQuality"_s, r.VideoSameQuality, false);
    b.index(u"AudioCodecNokia"_s, r.AudioCodecNokia, 0);
    b.index(u"AudioCodecSony"_s, r.AudioCodecSony, 0);
    b.flag(u"AudioDisableAudio"_s, r.AudioDisableAudio, false);
    // The files list H263 last, unlike the record.
    b.video(r.DivX, u"DivX", videoDefaults(144, false, 176, 144));
    b.video(r.XviD, u"XviD", videoDefaults(96, false, 176, 144));
    b.video(r.H263, u"H263", h263Defaults(144, 176, 144, 1));
    b.audio(r.AACMp4, u"AACMp4", audioDefaults(false, 56, 3));
    const TAudioGroup amr = audioDefaults(false, 13, 0, 0);
    b.audio(r.Armnb, u"Armnb", amr);
    b.audio(r.Armwb, u"Armwb", amr);
    return b.take();
}

ProfileRecord mpegTable()
{
    auto& r = MPEGSettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.index(u"TargetFormat"_s, r.TargetFormat, 0);
    b.index(u"PresetType"_s, r.PresetType, 0);
    b.flag(u"UsePresetFormats"_s, r.UsePresetFormats, false);
    b.timeControl(r);
    b.index(u"VideoCodec"_s, r.VideoCodec, 1);
    b.flag(u"VideoSameQuality"_s, r.VideoSameQuality, false);
    b.index(u"AudioCodecMpeg1"_s, r.AudioCodecMpeg1, 0);
    b.index(u"AudioCodecMpeg2"_s, r.AudioCodecMpeg2, 0);
    b.flag(u"AudioDisableAudio"_s, r.AudioDisableAudio, false);
    b.video(r.Mpeg1, u"Mpeg1", videoDefaults(1152, true, 640, 480));
    b.video(r.Mpeg2, u"Mpeg2", videoDefaults(2496, true, 640, 480, 8));
    b.audio(r.AC3, u"AC3", audioDefaults(false, 256, 3));
    b.audio(r.Mp2, u"Mp2", audioDefaults(false, 160, 2));
    b.audio(r.Mp3, u"Mp3", audioDefaults(false, 160, 2));
    b.flag(u"DVDVideoBitRateUsePresert"_s, r.DVDVideoBitRateUsePresert, true);
    b.number(u"DVDVideoBitRatePreset"_s, r.DVDVideoBitRatePreset, 6000);
    b.number(u"DVDVideoBitRateSpecify"_s, r.DVDVideoBitRateSpecify, 6000);
    b.flag(u"DVDVideoKeepAspect"_s, r.DVDVideoKeepAspect, true);
    b.index(u"DVDVideoAspect"_s, r.DVDVideoAspect, 1);
    b.flag(u"DVDAudioBitRateUseAutoSet"_s, r.DVDAudioBitRateUseAutoSet, false);
    b.number(u"DVDAudioBitRatePreset"_s, r.DVDAudioBitRatePreset, 384);
    return b.take();
}

ProfileRecord movTable()
{
    auto& r = MovSettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.timeControl(r);
    b.videoSelection(r, 4, 0);
    const TVideoGroup v = videoDefaults(1200, true, 640, 480);
    b.video(r.DivX, u"DivX", v);
    b.video(r.XviD, u"XviD", v);
    b.video(r.H263, u"H263", h263Defaults(1200, 352, 288));
    b.video(r.H264, u"H264", v);
    b.video(r.Svq1, u"Svq1", v);
    b.audio(r.AACMp4, u"AACMp4", audioDefaults(false, 64, 3));
    b.audio(r.Alaw, u"Alaw", pcmDefaults(3));
    b.audio(r.Armnb, u"Armnb", audioDefaults(false, 8, 0, 0));
    b.audio(r.Pcm16le, u"Pcm16le", pcmDefaults(3));
    b.audio(r.Pcm16be, u"Pcm16be", pcmDefaults(3));
    return b.take();
}

ProfileRecord wmvTable()
{
    auto& r = WmvSettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.timeControl(r);
    b.videoSelection(r, 3, 0);
    const TVideoGroup v = videoDefaults(768, true, 640, 480);
    b.video(r.MsMpeg4, u"MsMpeg4", v);
    b.video(r.MsMpeg4v2, u"MsMpeg4v2", v);
    b.video(r.Wmv7, u"Wmv7", v);
    b.video(r.Wmv8, u"Wmv8", v);
    b.audio(r.Mp3, u"Mp3", audioDefaults(true, 64, 0));
    return b.take();
}

ProfileRecord rmTable()
{
    auto& r = RmSettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.timeControl(r);
    // RM files list the audio choice first.
    b.index(u"AudioCodec"_s, r.AudioCodec, 0);
    b.flag(u"AudioDisableAudio"_s, r.AudioDisableAudio, false);
    b.index(u"VideoCodec"_s, r.VideoCodec, 0);
    b.flag(u"VideoSameQuality"_s, r.VideoSameQuality, false);
    b.video(r.Rm10, u"Rm10", videoDefaults(768, true, 320, 240), VideoKeyOrder::RatesFirst);
    b.audio(r.AC3, u"AC3", audioDefaults(false, 256, 3));
    return b.take();
}

ProfileRecord swfTable()
{
    auto& r = SwfSettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.timeControl(r);
    b.videoSelection(r, 0, 0);
    b.video(r.Flv, u"Flv", videoDefaults(768, true, 640, 480));
    b.audio(r.Mp3, u"Mp3", audioDefaults(true, 64, 1));
    return b.take();
}

ProfileRecord vobTable()
{
    auto& r = VobSettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.timeControl(r);
    b.videoSelection(r, 0, 1);
    b.video(r.Mpeg2, u"Mpeg2", videoDefaults(6000, false, 720, 576, 3));
    b.audio(r.AC3, u"AC3", audioDefaults(false, 384, 3));
    b.audio(r.Mp2, u"Mp2", audioDefaults(false, 320, 3));
    return b.take();
}

ProfileRecord asfTable()
{
    auto& r = AsfSettings;
    TableBuilder b(r);
    b.description(r.Description);
    b.timeControl(r);
    b.videoSelection(r, 0, 0);
    const TVideoGroup v = videoDefaults(768, true, 640, 480);
    b.video(r.MsMpeg4, u"MsMpeg4", v);
    b.video(r.MsMpeg4v2, u"MsMpeg4v2", v);
    b.audio(r.Mp3, u"Mp3", audioDefaults(false, 64, 0));
    return b.take();
}

// The head of the audio formats, up to their codec choice.
template <class Record>
TableBuilder audioHead(Record& r)
{
    TableBuilder b(r);
    b.description(r.Description);
    b.timeControl(r);
    b.index(u"AudioCodec"_s, r.AudioCodec, 0);
    return b;
}

ProfileRecord aacTable()
{
    TableBuilder b = audioHead(AacSettings);
    b.audio(AacSettings.AACMp4, u"AACMp4", audioDefaults(false, 128, 6));
    return b.take();
}

ProfileRecord ac3Table()
{
    TableBuilder b = audioHead(Ac3Settings);
    b.audio(Ac3Settings.AC3, u"AC3", audioDefaults(false, 384, 3));
    return b.take();
}

ProfileRecord mp2Table()
{
    TableBuilder b = audioHead(Mp2Settings);
    b.audio(Mp2Settings.Mp2, u"Mp2", audioDefaults(false, 160, 2));
    return b.take();
}

ProfileRecord mp3Table()
{
    TableBuilder b = audioHead(Mp3Settings);
    b.audio(Mp3Settings.Mp3, u"Mp3", audioDefaults(false, 128, 2));
    return b.take();
}

ProfileRecord amrTable()
{
    TableBuilder b = audioHead(AmrSettings);
    const TAudioGroup amr = audioDefaults(false, 13, 0, 0);
    b.audio(AmrSettings.Armnb, u"Armnb", amr);
    b.audio(AmrSettings.Armwb, u"Armwb", amr);
    return b.take();
}

ProfileRecord wavTable()
{
    TableBuilder b = audioHead(WavSettings);
    b.audio(WavSettings.Pcm16le, u"Pcm16le", pcmDefaults(6));
    b.audio(WavSettings.Pcmu8, u"Pcmu8", pcmDefaults(6));
    return b.take();
}

// The records of the output formats, indexed by OutputFormatIndex.
const auto& tables()
{
    static const std::array all = {
        aviTable(), mp4Table(), tgpTable(), mpegTable(), movTable(), wmvTable(),
        rmTable(),  swfTable(), vobTable(), asfTable(),  aacTable(), ac3Table(),
        mp2Table(), mp3Table(), amrTable(), wavTable(),
    };
    static_assert(all.size() == OutputFormatCount, "one record per output format");
    return all;
}

template <class T>
T& at(void* record, std::ptrdiff_t offset)
{
    return *reinterpret_cast<T*>(static_cast<char*>(record) + offset);
}

template <class T>
const T& at(const void* record, std::ptrdiff_t offset)
{
    return *reinterpret_cast<const T*>(static_cast<const char*>(record) + offset);
}

}  // namespace

const ProfileRecord* ProfileRecordOf(int format)
{
    if (format < 0 || format >= int(tables().size())) return nullptr;
    return &tables()[format];
}

const ProfileField* FindProfileField(const ProfileRecord& table, const QString& key)
{
    for (const ProfileField& field : table.fields)
        if (field.key.compare(key, Qt::CaseInsensitive) == 0) return &field;
    return nullptr;
}

QString FieldText(const ProfileField& field, const void* record)
{
    switch (field.kind) {
        case FieldKind::Text:
            return at<QString>(record, field.offset);
        case FieldKind::Flag:
            return at<bool>(record, field.offset) ? u"1"_s : u"0"_s;
        case FieldKind::Index:
            return QString::number(at<quint8>(record, field.offset));
        case FieldKind::Number:
            return QString::number(at<qint32>(record, field.offset));
    }
    return {};
}

bool SetFieldFromText(const ProfileField& field, void* record, const QString& text)
{
    if (field.kind == FieldKind::Text) {
        at<QString>(record, field.offset) = text;
        return true;
    }
    const auto number = ParseIniInteger(text);
    if (!number) return false;
    switch (field.kind) {
        case FieldKind::Flag:
            at<bool>(record, field.offset) = *number != 0;
            break;
        case FieldKind::Index:
            at<quint8>(record, field.offset) = quint8(*number & 0xFF);
            break;
        default:
            at<qint32>(record, field.offset) = *number;
            break;
    }
    return true;
}

void ResetField(const ProfileField& field, void* record)
{
    switch (field.kind) {
        case FieldKind::Text:
            at<QString>(record, field.offset) =
                field.defaultIsNoDescription ? Msg(MSG_NO_DESCRIPTION) : field.defaultText;
            break;
        case FieldKind::Flag:
            at<bool>(record, field.offset) = field.defaultValue != 0;
            break;
        case FieldKind::Index:
            at<quint8>(record, field.offset) = quint8(field.defaultValue);
            break;
        case FieldKind::Number:
            at<qint32>(record, field.offset) = field.defaultValue;
            break;
    }
}
