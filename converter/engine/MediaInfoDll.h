#pragma once

#include "base/globals.h"
#include "localisation/MessageTable.h"

#include <QString>

#include <array>
#include <optional>

// The media library's complete text report of a file; nothing, with the
// reason in error, when the library cannot open it.
std::optional<QString> MediaInfoReport(const QString& path, QString& error);

// The library's stream kinds, numbered as its C interface numbers them.
enum class TStreamKind : int { General = 0, Video = 1, Audio = 2 };

// One fact of a queued file: where it is kept, what the library is asked
// for, and the label of its box in the information panel.
struct TFileFact {
    QString TFileItem::*Field;
    TStreamKind Kind;
    const char* Parameter;
    // Asked when Parameter is answered empty: today's library no longer
    // fills some of the names older ones did. Null when there is none.
    const char* Fallback;
    MsgKey Label;
};

// The sixteen facts, in the order of their fields and of the panel.
inline constexpr std::array<TFileFact, 16> FileFacts{{
    {&TFileItem::CompleteName, TStreamKind::General, "CompleteName", nullptr, MSG_COMPLETENAME},
    {&TFileItem::FileSize, TStreamKind::General, "FileSize", nullptr, MSG_FILESIZE},
    {&TFileItem::Format, TStreamKind::General, "Format", nullptr, MSG_FORMAT},
    {&TFileItem::PlayTime, TStreamKind::General, "PlayTime/String3", nullptr, MSG_PLAYTIME},
    {&TFileItem::AudioCount, TStreamKind::General, "AudioCount", nullptr, MSG_AUDIOCOUNT},
    {&TFileItem::VideoCount, TStreamKind::General, "VideoCount", nullptr, MSG_VIDEOCOUNT},
    {&TFileItem::VideoCodec, TStreamKind::Video, "Codec/String", "Format", MSG_VCODE},
    {&TFileItem::Width, TStreamKind::Video, "Width", nullptr, MSG_WIDTH},
    {&TFileItem::Height, TStreamKind::Video, "Height", nullptr, MSG_HEIGHT},
    {&TFileItem::VideoBitrate, TStreamKind::Video, "Bitrate", "BitRate", MSG_VBITRATE},
    {&TFileItem::AspectRatio, TStreamKind::Video, "AspectRatio", "DisplayAspectRatio",
     MSG_ADPECTRATIO},
    {&TFileItem::FrameRate, TStreamKind::Video, "FrameRate", nullptr, MSG_FRAMERATE},
    {&TFileItem::AudioCodec, TStreamKind::Audio, "Codec/String", "Format", MSG_ACODEC},
    {&TFileItem::AudioBitrate, TStreamKind::Audio, "BitRate", nullptr, MSG_ABITRATE},
    {&TFileItem::Channels, TStreamKind::Audio, "Channel(s)", nullptr, MSG_CHANNELS},
    {&TFileItem::SamplingRate, TStreamKind::Audio, "SamplingRate", nullptr, MSG_SAMPLINGRATE},
}};

// text, or placeholder when text is empty.
inline QString OrPlaceholder(const QString& text, const QString& placeholder)
{
    return text.isEmpty() ? placeholder : text;
}

// text, or the current MSG_EMPTY_STR text when it is empty. Reads the
// message table: call it on the thread that loads languages.
inline QString OrPlaceholder(const QString& text)
{
    return OrPlaceholder(text, Msg(MSG_EMPTY_STR));
}

// The file's name, its folder with a trailing separator and its sixteen
// facts, placeholder standing for every fact the library does not give. A
// file that cannot be opened, is no regular file or holds no format the
// library knows gets the placeholder for every fact. Safe to call from
// several threads at once; it never blocks on a FIFO or a device.
TFileItem ReadFileFacts(const QString& path, const QString& placeholder);
