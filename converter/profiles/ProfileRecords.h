#pragma once

#include <QString>
#include <QtGlobal>

// The settings records of the sixteen output formats. Each field bears the
// name of its profile-file key; a group field's key is its stem followed by
// the name of the group member holding it (VideoBitRatePreset in DivX is
// VideoBitRatePresetDivX). Flags are bools, indexes 8 bits, numbers 32 bits.
// Every field starts at zero, false or empty.

// The settings of one video codec.
struct TVideoGroup {
    bool VideoBitRateUsePresert{};
    qint32 VideoBitRatePreset{};
    qint32 VideoBitRateSpecify{};
    bool VideoSizeUseSource{};
    qint32 VideoWidth{};
    qint32 VideoHeight{};
    bool VideoKeepFrameRate{};
    quint8 VideoFrameRate{};
    quint8 VideoAspect{};
};

// H.263 has fixed picture sizes, so its groups always give one.
struct TH263VideoGroup {
    bool VideoBitRateUsePresert{};
    qint32 VideoBitRatePreset{};
    qint32 VideoBitRateSpecify{};
    qint32 VideoWidth{};
    qint32 VideoHeight{};
    bool VideoKeepFrameRate{};
    quint8 VideoFrameRate{};
    quint8 VideoAspect{};
};

// The settings of one compressed audio codec.
struct TAudioGroup {
    bool AudioBitRateUseAutoSet{};
    qint32 AudioBitRatePreset{};
    quint8 AudioSampleRate{};
    quint8 AudioChannels{};
};

// Uncompressed and A-law audio has no bit rate to choose.
struct TPcmAudioGroup {
    quint8 AudioSampleRate{};
    quint8 AudioChannels{};
};

struct TAVISettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 VideoCodec{};
    bool VideoSameQuality{};
    quint8 AudioCodec{};
    bool AudioDisableAudio{};
    TVideoGroup DivX, XviD, MsMpeg4, MsMpeg4v2;
    TH263VideoGroup H263;
    TVideoGroup H263P, H264, DV, huffYUV, Mjpeg, Mpeg1, Mpeg2, Svq1, Flv;
    TAudioGroup AC3, Mp2, Mp3;
    TPcmAudioGroup Pcm16le, Pcmu8;
};

struct TMP4Settings {
    QString Description;
    quint8 Format{};
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 VideoCodec{};
    bool VideoSameQuality{};
    quint8 AudioCodec{};
    bool AudioDisableAudio{};
    TVideoGroup DivX, XviD, H264;
    TAudioGroup AACMp4, AACPsp;
};

struct TTGPSettings {
    QString Description;
    quint8 TgpFormat{};
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 VideoCodecNokia{};
    quint8 VideoCodecSony{};
    bool VideoSameQuality{};
    quint8 AudioCodecNokia{};
    quint8 AudioCodecSony{};
    bool AudioDisableAudio{};
    TH263VideoGroup H263;
    TVideoGroup DivX, XviD;
    TAudioGroup AACMp4, Armnb, Armwb;
};

struct TMPEGSettings {
    QString Description;
    bool UsePresetFormats{};
    quint8 TargetFormat{};
    quint8 PresetType{};
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 VideoCodec{};
    bool VideoSameQuality{};
    quint8 AudioCodecMpeg1{};
    quint8 AudioCodecMpeg2{};
    bool AudioDisableAudio{};
    TVideoGroup Mpeg1, Mpeg2;
    TAudioGroup AC3, Mp2, Mp3;
    bool DVDVideoBitRateUsePresert{};
    qint32 DVDVideoBitRatePreset{};
    qint32 DVDVideoBitRateSpecify{};
    bool DVDVideoKeepAspect{};
    quint8 DVDVideoAspect{};
    bool DVDAudioBitRateUseAutoSet{};
    qint32 DVDAudioBitRatePreset{};
};

struct TMovSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 VideoCodec{};
    bool VideoSameQuality{};
    quint8 AudioCodec{};
    bool AudioDisableAudio{};
    TVideoGroup DivX, XviD;
    TH263VideoGroup H263;
    TVideoGroup H264, Svq1;
    TAudioGroup AACMp4;
    TPcmAudioGroup Alaw;
    TAudioGroup Armnb;
    TPcmAudioGroup Pcm16le, Pcm16be;
};

struct TWmvSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    bool AudioDisableAudio{};
    quint8 AudioCodec{};
    quint8 VideoCodec{};
    bool VideoSameQuality{};
    TVideoGroup MsMpeg4, MsMpeg4v2, Wmv7, Wmv8;
    TAudioGroup Mp3;
};

struct TRmSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 VideoCodec{};
    bool VideoSameQuality{};
    quint8 AudioCodec{};
    bool AudioDisableAudio{};
    TVideoGroup Rm10;
    TAudioGroup AC3;
};

struct TSwfSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    bool VideoSameQuality{};
    quint8 VideoCodec{};
    quint8 AudioCodec{};
    bool AudioDisableAudio{};
    TVideoGroup Flv;
    TAudioGroup Mp3;
};

struct TAsfSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 AudioCodec{};
    bool AudioDisableAudio{};
    quint8 VideoCodec{};
    bool VideoSameQuality{};
    TVideoGroup MsMpeg4, MsMpeg4v2;
    TAudioGroup Mp3;
};

struct TVobSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 AudioCodec{};
    bool AudioDisableAudio{};
    quint8 VideoCodec{};
    bool VideoSameQuality{};
    TVideoGroup Mpeg2;
    TAudioGroup AC3, Mp2;
};

struct TAacSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 AudioCodec{};
    TAudioGroup AACMp4;
};

struct TAc3Settings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 AudioCodec{};
    TAudioGroup AC3;
};

struct TMp2Settings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 AudioCodec{};
    TAudioGroup Mp2;
};

struct TMp3Settings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 AudioCodec{};
    TAudioGroup Mp3;
};

struct TAmrSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 AudioCodec{};
    TAudioGroup Armnb, Armwb;
};

struct TWavSettings {
    QString Description;
    bool EnableTimeControl{};
    QString Duration;
    QString StartTime;
    quint8 AudioCodec{};
    TPcmAudioGroup Pcm16le, Pcmu8;
};

// The one record of each format, shared by the catalogue, the editors and the
// argument builder for the life of the process.
extern TAVISettings AVISettings;
extern TMP4Settings MP4Settings;
extern TTGPSettings TGPSettings;
extern TMPEGSettings MPEGSettings;
extern TMovSettings MovSettings;
extern TWmvSettings WmvSettings;
extern TRmSettings RmSettings;
extern TSwfSettings SwfSettings;
extern TVobSettings VobSettings;
extern TAsfSettings AsfSettings;
extern TAacSettings AacSettings;
extern TAc3Settings Ac3Settings;
extern TMp2Settings Mp2Settings;
extern TMp3Settings Mp3Settings;
extern TAmrSettings AmrSettings;
extern TWavSettings WavSettings;

// Puts the defaults into the record of an output format (0 AVI ... 15 WAV);
// the description takes the current text of MSG_NO_DESCRIPTION. Any other
// format index changes nothing.
void ResetProfileSettings(int format);
