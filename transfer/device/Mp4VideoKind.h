#pragma once

#include <QString>

// The console shows MPEG-4 Part 2 video from one folder and AVC from another,
// and nothing else: a video's kind decides where it goes or whether it goes.
enum class Mp4VideoKind {
    Mpeg4Part2,    // sample entry mp4v with MPEG-4 Visual as its object type
    Avc,           // sample entry avc1 or avc3
    OtherCodec,    // a video track of any other kind
    NoVideoTrack,  // a readable MP4 without a video track
    NotMp4,        // no readable box tree: another format, truncated or damaged
};

struct Mp4VideoProbe {
    // The errno of a file that could not be opened or read; kind is then NotMp4.
    int error = 0;
    Mp4VideoKind kind = Mp4VideoKind::NotMp4;
    // For OtherCodec, what the video is, for messages: "HEVC (H.265)", or the
    // sample entry's four characters when they name nothing known.
    QString codecName;

    // What the console's decoder cares about, for Mpeg4Part2 and Avc; each
    // stays at its "unknown" value when the file does not say.
    int width = 0;   // of the visual sample entry; 0 unknown
    int height = 0;  // of the visual sample entry; 0 unknown
    // Average frames per second over the track (mdhd time scale, stts); 0 unknown.
    double frameRate = 0;
    int avcProfile = -1;  // profile_idc of avcC
    int avcLevel = -1;    // level_idc of avcC: 30 is level 3.0
    // profile_and_level_indication of the visual object sequence header in
    // the decoder configuration; -1 unknown.
    int mpeg4ProfileLevel = -1;
    // video_object_type_indication of the video object layer header, for
    // streams without a visual object sequence header; -1 unknown.
    int mpeg4ObjectType = -1;
};

// The title in the PSP header of the MP4 at path (the USMT uuid box of its
// movie, which the console shows as the video's name); empty when it has none
// or cannot be read.
QString ReadPspTitle(const QString& path);

// Reads the sample description of the first video track of the MP4 at path
// (moov/trak/mdia/minf/stbl/stsd), moov anywhere at the top level, with the
// picture size, the frame rate and the codec's profile and level. Only box
// headers and the small boxes on that path are read, each checked against its
// parent and the file's end, so damaged or hostile files cost little and can
// never make it read past what they are. Anything but a regular file is
// refused before a byte is read (EISDIR for a folder, EINVAL else).
Mp4VideoProbe ProbeMp4Video(const QString& path);
