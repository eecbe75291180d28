#pragma once

#include "profiles/ProfileRecords.h"

#include <QStringView>

#include <array>
#include <span>
#include <variant>

// What each codec choice of a format's record stands for: the group of the
// record that holds its settings, the encoder's codec name and how its options
// are shaped. The argument builder composes from these tables and the editors
// find the group a codec index edits in them. A table is indexed by the
// record's codec field; an index past its end stands for no codec.

// Option values (frame rates, aspects, sample rates) by stored index; an index
// past the end adds nothing.
using ValueTable = std::span<const QStringView>;
inline constexpr std::array<QStringView, 13> FrameRates = {
    u"10", u"12",    u"14.985", u"15", u"19.98", u"23.976", u"24",
    u"25", u"29.97", u"30",     u"50", u"59.94", u"60"};
inline constexpr std::array<QStringView, 9> VobFrameRates = {
    u"19.98", u"23.976", u"24", u"25", u"29.97", u"30", u"50", u"59.94", u"60"};
inline constexpr std::array<QStringView, 3> Aspects = {u"", u"4:3", u"16:9"};
// 1:1 and 11:9 have no option of their own.
inline constexpr std::array<QStringView, 5> H263Aspects = {u"", u"", u"4:3", u"", u"16:9"};
inline constexpr std::array<QStringView, 4> ShortSampleRates = {u"22050", u"24000", u"44100",
                                                                u"48000"};
inline constexpr std::array<QStringView, 8> FullSampleRates = {
    u"11025", u"12000", u"16000", u"22050", u"24000", u"32000", u"44100", u"48000"};
inline constexpr std::array<QStringView, 3> FlashSampleRates = {u"11025", u"22050", u"44100"};

// How a codec shapes the video block.
struct VideoStyle {
    // "Auto": empty keeps the source's rate, which avcore.dll fits to what
    // the format takes; a value is a rate the codec's players need.
    QStringView autoFrameRate{};
    ValueTable frameRates = FrameRates;
    bool hasAspect = true;
    ValueTable aspects = Aspects;
    QStringView autoAspect{};  // the option value for aspect index 0, if any
    bool rateBeforeSize = false;
};

// How a compressed audio codec shapes the audio block; PCM groups always give
// codec, channels and sample rate.
enum class AudioBlock : quint8 {
    Plain,     // codec, channels, bit rate, sample rate
    Ac3,       // six channels always go with 48000 Hz; the bit rate comes last
    Amr,       // mono and autoSampleRate for index 0; the bit rate comes last
    Handheld,  // autoSampleRate for sample-rate index 0 only
};

struct AudioStyle {
    AudioBlock block = AudioBlock::Plain;
    ValueTable sampleRates = ShortSampleRates;  // Plain and PCM
    QStringView autoSampleRate{};               // Amr and Handheld
};

template <class Record>
struct VideoCodec {
    std::variant<TVideoGroup Record::*, TH263VideoGroup Record::*> group;
    QStringView name;
    VideoStyle style{};
};

template <class Record>
struct AudioCodec {
    std::variant<TAudioGroup Record::*, TPcmAudioGroup Record::*> group;
    QStringView name;  // empty: the container's own codec, no option
    AudioStyle style{};
};

// The entry of a codec index, or nullptr past the table's end.
template <class Table>
constexpr const typename Table::value_type* CodecAt(const Table& table, int index)
{
    return index >= 0 && index < int(table.size()) ? &table[index] : nullptr;
}

inline constexpr VideoStyle H263Style{.aspects = H263Aspects};
inline constexpr AudioStyle FullRates{.sampleRates = FullSampleRates};
inline constexpr AudioStyle Ac3Style{.block = AudioBlock::Ac3};
inline constexpr AudioStyle AmrNbStyle{.block = AudioBlock::Amr, .autoSampleRate = u"8000"};
inline constexpr AudioStyle AmrWbStyle{.block = AudioBlock::Amr, .autoSampleRate = u"16000"};

// AVI: VideoCodec, AudioCodec.
inline constexpr auto AviVideoCodecs = std::to_array<VideoCodec<TAVISettings>>({
    {&TAVISettings::DivX, u"msmpeg4"},
    {&TAVISettings::XviD, u"xvid"},
    {&TAVISettings::MsMpeg4, u"msmpeg4"},
    {&TAVISettings::MsMpeg4v2, u"msmpeg4v2"},
    {&TAVISettings::H263, u"h263", H263Style},
    {&TAVISettings::H263P, u"h263p"},
    {&TAVISettings::H264, u"h264"},
    {&TAVISettings::huffYUV, u"ffvhuff"},
    {&TAVISettings::Mjpeg, u"mjpeg"},
    {&TAVISettings::Svq1, u"svq1"},
    {&TAVISettings::Flv, u"flv"},
});
inline constexpr auto AviAudioCodecs = std::to_array<AudioCodec<TAVISettings>>({
    {&TAVISettings::Mp2, u"mp2"},
    {&TAVISettings::Mp3, u"mp3"},
    {&TAVISettings::Pcm16le, u"pcm_s16le", FullRates},
    {&TAVISettings::Pcmu8, u"pcm_u8", FullRates},
    {&TAVISettings::AC3, u"ac3", Ac3Style},
});

// MP4: VideoCodec, AudioCodec; the handheld type (Format 1) has its own AAC.
inline constexpr auto Mp4VideoCodecs = std::to_array<VideoCodec<TMP4Settings>>({
    {&TMP4Settings::H264, u"h264"},
});
inline constexpr auto Mp4AudioCodecs = std::to_array<AudioCodec<TMP4Settings>>({
    {&TMP4Settings::AACMp4, u"aac", FullRates},
});
inline constexpr auto Mp4HandheldAudioCodecs = std::to_array<AudioCodec<TMP4Settings>>({
    {&TMP4Settings::AACPsp, u"aac", {.block = AudioBlock::Handheld, .autoSampleRate = u"48000"}},
});

// 3GP: the Nokia type (TgpFormat 0) reads VideoCodecNokia and AudioCodecNokia,
// both Sony Ericsson types VideoCodecSony and AudioCodecSony.
inline constexpr VideoStyle TgpStyle{.autoAspect = u"11:9"};
inline constexpr auto TgpNokiaVideoCodecs = std::to_array<VideoCodec<TTGPSettings>>({
    // Phones' H.263 decoders (level 10) take at most 15 frames a second.
    {&TTGPSettings::H263,
     u"h263",
     {.autoFrameRate = u"12.5", .aspects = H263Aspects, .autoAspect = u"11:9"}},
    {&TTGPSettings::DivX, u"msmpeg4", TgpStyle},
});
inline constexpr auto TgpSonyVideoCodecs = std::to_array<VideoCodec<TTGPSettings>>({
    {&TTGPSettings::DivX, u"msmpeg4", TgpStyle},
    {&TTGPSettings::XviD, u"xvid", TgpStyle},
});
inline constexpr auto TgpNokiaAudioCodecs = std::to_array<AudioCodec<TTGPSettings>>({
    {&TTGPSettings::Armnb, u"amr_nb", AmrNbStyle},
    {&TTGPSettings::Armwb, u"amr_wb", AmrWbStyle},
    {&TTGPSettings::AACMp4, u"aac", FullRates},
});
inline constexpr auto TgpSonyAudioCodecs = std::to_array<AudioCodec<TTGPSettings>>({
    {&TTGPSettings::AACMp4, u"aac", FullRates},
});

// MPEG without preset formats: VideoCodec; MPEG-2 video (1) reads
// AudioCodecMpeg2, any other choice AudioCodecMpeg1.
inline constexpr auto MpegVideoCodecs = std::to_array<VideoCodec<TMPEGSettings>>({
    {&TMPEGSettings::Mpeg1, u"mpeg1video"},
    {&TMPEGSettings::Mpeg2, u"mpeg2video"},
});
inline constexpr auto Mpeg1AudioCodecs = std::to_array<AudioCodec<TMPEGSettings>>({
    {&TMPEGSettings::Mp2, u"mp2"},
    {&TMPEGSettings::Mp3, u"mp3"},
});
inline constexpr auto Mpeg2AudioCodecs = std::to_array<AudioCodec<TMPEGSettings>>({
    {&TMPEGSettings::AC3, u"ac3", Ac3Style},
    {&TMPEGSettings::Mp2, u"mp2"},
    {&TMPEGSettings::Mp3, u"mp3"},
});

inline constexpr VideoStyle NoAspect{.hasAspect = false};
inline constexpr auto MovVideoCodecs = std::to_array<VideoCodec<TMovSettings>>({
    {&TMovSettings::Svq1, u"svq1"},
    {&TMovSettings::DivX, u"msmpeg4"},
    {&TMovSettings::XviD, u"xvid"},
    {&TMovSettings::H263, u"h263", NoAspect},
    {&TMovSettings::H264, u"h264", NoAspect},
});
inline constexpr auto MovAudioCodecs = std::to_array<AudioCodec<TMovSettings>>({
    {&TMovSettings::AACMp4, u"", FullRates},
    {&TMovSettings::Alaw, u"pcm_alaw", FullRates},
    {&TMovSettings::Armnb, u"amr_nb", AmrNbStyle},
    {&TMovSettings::Pcm16le, u"pcm_s16le", FullRates},
    {&TMovSettings::Pcm16be, u"pcm_s16be", FullRates},
});

inline constexpr auto WmvVideoCodecs = std::to_array<VideoCodec<TWmvSettings>>({
    {&TWmvSettings::MsMpeg4, u"msmpeg4"},
    {&TWmvSettings::MsMpeg4v2, u"msmpeg4v2"},
    {&TWmvSettings::Wmv7, u"wmv1"},
    {&TWmvSettings::Wmv8, u"wmv2"},
});
inline constexpr auto WmvAudioCodecs = std::to_array<AudioCodec<TWmvSettings>>({
    {&TWmvSettings::Mp3, u"mp3"},
});

inline constexpr auto RmVideoCodecs = std::to_array<VideoCodec<TRmSettings>>({
    {&TRmSettings::Rm10, u"rv10", {.hasAspect = false, .rateBeforeSize = true}},
});
inline constexpr auto RmAudioCodecs = std::to_array<AudioCodec<TRmSettings>>({
    {&TRmSettings::AC3, u"ac3", Ac3Style},
});

inline constexpr auto SwfVideoCodecs = std::to_array<VideoCodec<TSwfSettings>>({
    {&TSwfSettings::Flv, u"flv"},
});
inline constexpr auto SwfAudioCodecs = std::to_array<AudioCodec<TSwfSettings>>({
    {&TSwfSettings::Mp3, u"mp3", {.sampleRates = FlashSampleRates}},
});

inline constexpr auto VobVideoCodecs = std::to_array<VideoCodec<TVobSettings>>({
    {&TVobSettings::Mpeg2, u"mpeg2video", {.frameRates = VobFrameRates, .autoAspect = u"5:4"}},
});
inline constexpr auto VobAudioCodecs = std::to_array<AudioCodec<TVobSettings>>({
    {&TVobSettings::Mp2, u"mp2"},
    {&TVobSettings::AC3, u"ac3", Ac3Style},
});

inline constexpr auto AsfVideoCodecs = std::to_array<VideoCodec<TAsfSettings>>({
    {&TAsfSettings::MsMpeg4, u"msmpeg4"},
    {&TAsfSettings::MsMpeg4v2, u"msmpeg4v2"},
});
inline constexpr auto AsfAudioCodecs = std::to_array<AudioCodec<TAsfSettings>>({
    {&TAsfSettings::Mp3, u"mp3"},
});

// The audio formats: AudioCodec only.
inline constexpr auto AacAudioCodecs = std::to_array<AudioCodec<TAacSettings>>({
    {&TAacSettings::AACMp4, u"aac", FullRates},
});
inline constexpr auto Ac3AudioCodecs = std::to_array<AudioCodec<TAc3Settings>>({
    {&TAc3Settings::AC3, u"ac3", Ac3Style},
});
inline constexpr auto Mp2AudioCodecs = std::to_array<AudioCodec<TMp2Settings>>({
    {&TMp2Settings::Mp2, u"mp2"},
});
inline constexpr auto Mp3AudioCodecs = std::to_array<AudioCodec<TMp3Settings>>({
    {&TMp3Settings::Mp3, u"mp3"},
});
inline constexpr auto AmrAudioCodecs = std::to_array<AudioCodec<TAmrSettings>>({
    {&TAmrSettings::Armnb, u"amr_nb", AmrNbStyle},
    {&TAmrSettings::Armwb, u"amr_wb", AmrWbStyle},
});
inline constexpr auto WavAudioCodecs = std::to_array<AudioCodec<TWavSettings>>({
    {&TWavSettings::Pcm16le, u"pcm_s16le", FullRates},
    {&TWavSettings::Pcmu8, u"pcm_u8", FullRates},
});
