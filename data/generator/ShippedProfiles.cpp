#include "ShippedProfiles.h"

#include "base/IniFile.h"
#include "base/OutputFormats.h"
#include "profiles/ProfileFields.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileRecords.h"

#include <QDir>
#include <QFile>

namespace {

using Values = QList<std::pair<QString, QString>>;

const QList<ShippedProfile> Profiles = {
    // AVI
    {0,
     "Balanced MPEG-4",
     "MPEG-4 video at 1080 kbit/s in the source size with 128 kbit/s MP3 sound. Plays on most "
     "computers and players.",
     {{"AudioBitRatePresetMp3", "128"}, {"AudioSampleRateMp3", "2"}}},
    {0,
     "Compact XviD 320x240",
     "Small XviD files for portable players: 320x240 at 512 kbit/s, 96 kbit/s MP3.",
     {{"VideoCodec", "1"},
      {"VideoBitRatePresetXviD", "512"},
      {"VideoSizeUseSourceXviD", "0"},
      {"VideoWidthXviD", "320"},
      {"VideoHeightXviD", "240"},
      {"AudioSampleRateMp3", "2"}}},
    {0,
     "High Quality XviD",
     "XviD at 2496 kbit/s in the source size with 192 kbit/s MP3 sound, for archiving.",
     {{"VideoCodec", "1"},
      {"VideoBitRatePresetXviD", "2496"},
      {"AudioBitRatePresetMp3", "192"},
      {"AudioSampleRateMp3", "2"}}},
    // MP4
    {1,
     "Balanced H.264",
     "H.264 video at 1200 kbit/s in the source size with 128 kbit/s AAC sound.",
     {{"VideoSizeUseSourceH264", "1"},
      {"AudioBitRatePresetAACMp4", "128"},
      {"AudioSampleRateAACMp4", "6"}}},
    {1,
     "Compact Mobile 320x240",
     "Small H.264 files for phones and portable players: 320x240 at 512 kbit/s, 64 kbit/s AAC.",
     {{"Format", "2"}, {"VideoBitRatePresetH264", "512"}}},
    {1,
     "Handheld Console 320x240",
     "H.264 in the handheld console's MP4 flavour: 320x240 at 768 kbit/s, AAC at 48000 Hz.",
     {{"Format", "1"}, {"VideoBitRatePresetH264", "768"}, {"AudioBitRatePresetAACPsp", "96"}}},
    // 3GP
    {2,
     "Basic Phone 176x144",
     "H.263 video with AMR speech audio at 176x144, for older mobile phones.",
     {}},
    {2,
     "Modern Phone 320x240",
     "MPEG-4 (XviD) video at 320x240 and 512 kbit/s with 96 kbit/s AAC, for newer phones.",
     {{"TgpFormat", "1"},
      {"VideoCodecSony", "1"},
      {"VideoBitRatePresetXviD", "512"},
      {"VideoWidthXviD", "320"},
      {"VideoHeightXviD", "240"},
      {"VideoAspectXviD", "1"},
      {"AudioBitRatePresetAACMp4", "96"},
      {"AudioSampleRateAACMp4", "6"}}},
    // MPEG
    {3,
     "Balanced MPEG-2",
     "MPEG-2 video at 2496 kbit/s in the source size with 192 kbit/s MP2 sound.",
     {{"AudioCodecMpeg2", "1"}, {"AudioBitRatePresetMp2", "192"}}},
    {3,
     "DVD Video PAL",
     "A DVD-compliant PAL stream at 6000 kbit/s, 720x576 at 25 frames per second.",
     {{"UsePresetFormats", "1"},
      {"PresetType", "2"},
      {"TargetFormat", "2"},
      {"DVDAudioBitRatePreset", "192"}}},
    {3,
     "Video CD PAL",
     "A Video CD-compliant PAL stream: MPEG-1 at 352x288.",
     {{"UsePresetFormats", "1"}, {"PresetType", "0"}, {"TargetFormat", "2"}}},
    // MOV
    {4,
     "Balanced H.264",
     "H.264 video at 1200 kbit/s in the source size with 128 kbit/s AAC sound.",
     {{"AudioBitRatePresetAACMp4", "128"}, {"AudioSampleRateAACMp4", "6"}}},
    {4,
     "Compact H.264 320x240",
     "Small H.264 files: 320x240 at 512 kbit/s with 64 kbit/s AAC sound.",
     {{"VideoBitRatePresetH264", "512"},
      {"VideoSizeUseSourceH264", "0"},
      {"VideoWidthH264", "320"},
      {"VideoHeightH264", "240"}}},
    // WMV
    {5,
     "Balanced WMV8",
     "WMV8 video at 768 kbit/s in the source size with 128 kbit/s MP3 sound.",
     {{"AudioBitRateUseAutoSetMp3", "0"},
      {"AudioBitRatePresetMp3", "128"},
      {"AudioSampleRateMp3", "2"}}},
    {5,
     "High Quality WMV8",
     "WMV8 video at 2496 kbit/s in the source size with 192 kbit/s MP3 sound.",
     {{"VideoBitRatePresetWmv8", "2496"},
      {"AudioBitRateUseAutoSetMp3", "0"},
      {"AudioBitRatePresetMp3", "192"},
      {"AudioSampleRateMp3", "2"}}},
    // RM
    {6,
     "Balanced 320x240",
     "RM video at 320x240 and 768 kbit/s with 128 kbit/s AC3 sound.",
     {{"VideoSizeUseSourceRm10", "0"},
      {"AudioBitRatePresetAC3", "128"},
      {"AudioSampleRateAC3", "2"}}},
    {6,
     "Compact 176x144",
     "Small RM files: 176x144 at 256 kbit/s with 64 kbit/s mono AC3.",
     {{"VideoBitRatePresetRm10", "256"},
      {"VideoSizeUseSourceRm10", "0"},
      {"VideoWidthRm10", "176"},
      {"VideoHeightRm10", "144"},
      {"AudioBitRatePresetAC3", "64"},
      {"AudioSampleRateAC3", "2"},
      {"AudioChannelsAC3", "0"}}},
    // SWF
    {7,
     "Balanced Flash Video",
     "Flash video at 768 kbit/s in the source size with 96 kbit/s MP3 sound at 22050 Hz.",
     {{"AudioBitRateUseAutoSetMp3", "0"}, {"AudioBitRatePresetMp3", "96"}}},
    {7,
     "Compact 320x240",
     "Small Flash video files: 320x240 at 256 kbit/s with 64 kbit/s MP3 sound.",
     {{"VideoBitRatePresetFlv", "256"},
      {"VideoSizeUseSourceFlv", "0"},
      {"VideoWidthFlv", "320"},
      {"VideoHeightFlv", "240"},
      {"AudioBitRateUseAutoSetMp3", "0"},
      {"AudioBitRatePresetMp3", "64"}}},
    // VOB
    {8,
     "Balanced PAL 4-3",
     "DVD-style MPEG-2 at 720x576 and 6000 kbit/s, 4:3 picture, 384 kbit/s AC3 sound.",
     {{"VideoAspectMpeg2", "1"}}},
    {8,
     "Widescreen PAL 16-9",
     "DVD-style MPEG-2 at 720x576 and 6000 kbit/s, 16:9 picture, 256 kbit/s MP2 sound.",
     {{"VideoAspectMpeg2", "2"}, {"AudioCodec", "0"}, {"AudioBitRatePresetMp2", "256"}}},
    // ASF
    {9,
     "Balanced MS-MPEG4",
     "MS-MPEG4 video at 768 kbit/s in the source size with 128 kbit/s MP3 sound.",
     {{"AudioBitRatePresetMp3", "128"}, {"AudioSampleRateMp3", "2"}}},
    {9,
     "Compact 320x240",
     "Small MS-MPEG4 files: 320x240 at 256 kbit/s with 64 kbit/s MP3 at 22050 Hz.",
     {{"VideoBitRatePresetMsMpeg4", "256"},
      {"VideoSizeUseSourceMsMpeg4", "0"},
      {"VideoWidthMsMpeg4", "320"},
      {"VideoHeightMsMpeg4", "240"}}},
    // AAC
    {10, "Balanced 128 kbps", "AAC stereo at 128 kbit/s and 44100 Hz.", {}},
    {10,
     "Compact 64 kbps",
     "AAC stereo at 64 kbit/s and 22050 Hz, for speech and podcasts.",
     {{"AudioBitRatePresetAACMp4", "64"}, {"AudioSampleRateAACMp4", "3"}}},
    {10,
     "High Quality 256 kbps",
     "AAC stereo at 256 kbit/s and 48000 Hz.",
     {{"AudioBitRatePresetAACMp4", "256"}, {"AudioSampleRateAACMp4", "7"}}},
    // AC3
    {11,
     "Balanced Stereo 192 kbps",
     "AC3 stereo at 192 kbit/s and 48000 Hz.",
     {{"AudioBitRatePresetAC3", "192"}}},
    {11,
     "Surround 5.1 448 kbps",
     "AC3 with six channels (5.1) at 448 kbit/s and 48000 Hz.",
     {{"AudioBitRatePresetAC3", "448"}, {"AudioChannelsAC3", "2"}}},
    // MP2
    {12,
     "Balanced 192 kbps",
     "MP2 stereo at 192 kbit/s and 44100 Hz.",
     {{"AudioBitRatePresetMp2", "192"}}},
    {12,
     "Compact 96 kbps Mono",
     "MP2 mono at 96 kbit/s and 44100 Hz, for speech.",
     {{"AudioBitRatePresetMp2", "96"}, {"AudioChannelsMp2", "0"}}},
    // MP3
    {13, "Balanced 128 kbps", "MP3 stereo at 128 kbit/s and 44100 Hz.", {}},
    {13,
     "Compact 64 kbps Mono",
     "MP3 mono at 64 kbit/s and 22050 Hz, for speech.",
     {{"AudioBitRatePresetMp3", "64"}, {"AudioSampleRateMp3", "0"}, {"AudioChannelsMp3", "0"}}},
    {13,
     "High Quality 320 kbps",
     "MP3 stereo at 320 kbit/s and 44100 Hz.",
     {{"AudioBitRatePresetMp3", "320"}}},
    // AMR
    {14, "Narrow-Band Speech", "AMR narrow-band mono speech at 8000 Hz, the phone standard.", {}},
    {14,
     "Wide-Band Speech",
     "AMR wide-band mono speech at 16000 Hz, clearer voices.",
     {{"AudioCodec", "1"}, {"AudioBitRatePresetArmwb", "24"}}},
    // WAV
    {15, "CD Quality 16-bit", "Uncompressed 16-bit stereo at 44100 Hz.", {}},
    {15,
     "Compact 8-bit Mono",
     "Uncompressed 8-bit mono at 22050 Hz, for speech.",
     {{"AudioCodec", "1"}, {"AudioSampleRatePcmu8", "3"}, {"AudioChannelsPcmu8", "0"}}},
};

}  // namespace

const QList<ShippedProfile>& ShippedProfiles() { return Profiles; }

QString ShippedProfilePath(const ShippedProfile& profile)
{
    const TOutputFormat& format = *OutputFormatOf(profile.format);
    return format.FolderWord + '/' + profile.name + '.' + format.ProfileExt;
}

QString WriteShippedProfiles(const QString& root)
{
    for (const ShippedProfile& profile : Profiles) {
        const ProfileRecord* table = ProfileRecordOf(profile.format);
        ResetProfileSettings(profile.format);
        for (const auto& [key, value] : profile.values) {
            const ProfileField* field = FindProfileField(*table, key);
            if (!field || !SetFieldFromText(*field, table->record, value))
                return "bad value " + key + "=" + value + " in " + profile.name;
        }
        const ProfileField* description = FindProfileField(*table, "Description");
        SetFieldFromText(*description, table->record, profile.description);
        const QString path = root + '/' + ShippedProfilePath(profile);
        QDir().mkpath(path.section('/', 0, -2));
        QFile::remove(path);
        try {
            SaveProfileSettings(profile.format, path);
        } catch (const IniWriteError& e) {
            return e.text();
        }
    }
    return {};
}
