#include "windows/EditorTables.h"

#include "base/globals.h"
#include "profiles/Ladders.h"

#include <QRegularExpression>

#include <array>

using namespace Qt::StringLiterals;

namespace {

TVideoPageConfig Video(const QString& tag, MsgKey name, const QString& suffix = {})
{
    return {tag, suffix.isEmpty() ? tag : suffix, name, TSizeChoice::List};
}

const TVideoPageConfig DivX = Video(u"DivX"_s, MSG_DIVX);
const TVideoPageConfig XviD = Video(u"XviD"_s, MSG_XVID);
const TVideoPageConfig Msmpeg4 = Video(u"Msmpeg4"_s, MSG_MSMPEG4, u"MsMpeg4"_s);
const TVideoPageConfig Msmpeg4v2 = Video(u"Msmpeg4v2"_s, MSG_MSMPEG4v2, u"MsMpeg4v2"_s);
const TVideoPageConfig H263{u"H263"_s, u"H263"_s, MSG_H263, TSizeChoice::H263Radios};
const TVideoPageConfig H263P = Video(u"H263P"_s, MSG_H263P);
const TVideoPageConfig H264 = Video(u"H264"_s, MSG_H264);
const TVideoPageConfig HuffYUV = Video(u"huffYUV"_s, MSG_HUFFYUV);
const TVideoPageConfig Mjpeg = Video(u"Mjpeg"_s, MSG_MJPEG);
const TVideoPageConfig Svq1 = Video(u"Svq1"_s, MSG_SVQ1);
const TVideoPageConfig Flv = Video(u"Flv"_s, MSG_FLV);
const TVideoPageConfig Mpeg1 = Video(u"Mpeg1"_s, MSG_MPEG1);
const TVideoPageConfig Mpeg2 = Video(u"Mpeg2"_s, MSG_MPEG2);
const TVideoPageConfig DV = Video(u"DV"_s, MSG_DV);
const TVideoPageConfig Wmv7 = Video(u"Wmv7"_s, MSG_WMV7);
const TVideoPageConfig Wmv8 = Video(u"Wmv8"_s, MSG_WMV8);
const TVideoPageConfig Rm10 = Video(u"Rm10"_s, MSG_RV7);

const QStringList FourRates = {u"22050"_s, u"24000"_s, u"44100"_s, u"48000"_s};
const QStringList EightRates = {u"11025"_s, u"12000"_s, u"16000"_s, u"22050"_s,
                                u"24000"_s, u"32000"_s, u"44100"_s, u"48000"_s};

const TAudioPageConfig AC3{
    u"AC3"_s, u"AC3"_s, MSG_AC3, AC3Bitrates, 14, FourRates, {{1, 12}, {1, 12}, {2, 14}, {2, 14}},
    3,        {6, 14}};
const TAudioPageConfig Mp2{
    u"Mp2"_s, u"Mp2"_s, MSG_MP2, Mp2Bitrates, 13, FourRates, {{1, 8}, {1, 8}, {1, 13}, {1, 13}}};
const TAudioPageConfig Mp3{
    u"Mp3"_s, u"Mp3"_s, MSG_MP3, Mp3Bitrates, 12, FourRates, {{1, 8}, {1, 8}, {1, 12}, {1, 12}}};
const TAudioPageConfig SwfMp3{u"Mp3"_s,
                              u"Mp3"_s,
                              MSG_MP3,
                              Mp3Bitrates,
                              12,
                              {u"11025"_s, u"22050"_s, u"44100"_s},
                              {{1, 8}, {1, 8}, {1, 12}}};
const TAudioPageConfig AAC{u"AACMp4"_s,
                           u"AACMp4"_s,
                           MSG_AAC,
                           AACBitrates,
                           12,
                           EightRates,
                           {{1, 5}, {1, 5}, {1, 6}, {1, 8}, {1, 8}, {1, 10}, {1, 12}, {1, 12}}};
const TAudioPageConfig AACPsp{u"AACPsp"_s, u"AACPsp"_s,  MSG_AAC,  AACBitrates,
                              12,          {u"48000"_s}, {{1, 12}}};
const TAudioPageConfig Armnb{u"Armnb"_s, u"Armnb"_s,  MSG_AMRNB, AmrNbBitrates,
                             6,          {u"8000"_s}, {},        1};
const TAudioPageConfig Armwb{u"Armwb"_s, u"Armwb"_s,   MSG_AMRWB, AmrWbBitrates,
                             7,          {u"16000"_s}, {},        1};

TAudioPageConfig Pcm(const QString& tag, MsgKey name)
{
    return {tag, tag, name, {}, 0, EightRates, {}};
}
const TAudioPageConfig Pcm16le = Pcm(u"Pcm16le"_s, MSG_PCM16LE);
const TAudioPageConfig Pcm16be = Pcm(u"Pcm16be"_s, MSG_PCM16BE);
const TAudioPageConfig Pcmu8 = Pcm(u"Pcmu8"_s, MSG_PCMU8);
const TAudioPageConfig Alaw = Pcm(u"Alaw"_s, MSG_ALAW);

// Each list entry shows the page of the same position.
QList<TCodecEntry> Entries(std::initializer_list<MsgKey> texts)
{
    QList<TCodecEntry> entries;
    for (MsgKey text : texts)
        entries.append({text, int(entries.size())});
    return entries;
}

TEditorConfig AudioEditor(MsgKey name, QList<TAudioPageConfig> pages,
                          std::initializer_list<MsgKey> codecs)
{
    TEditorConfig config;
    config.Name = name;
    config.AudioPages = std::move(pages);
    config.AudioCodecs = Entries(codecs);
    return config;
}

// Most video editors use the standard ladder to its end.
TEditorConfig VideoEditor(MsgKey name, QList<TVideoPageConfig> videoPages,
                          std::initializer_list<MsgKey> videoCodecs,
                          QList<TAudioPageConfig> audioPages,
                          std::initializer_list<MsgKey> audioCodecs)
{
    TEditorConfig config = AudioEditor(name, std::move(audioPages), audioCodecs);
    config.VideoPages = std::move(videoPages);
    config.VideoCodecs = Entries(videoCodecs);
    config.VideoLadder = StandardVideoBitrates;
    config.VideoMaximum = int(StandardVideoBitrates.size());
    return config;
}

std::array<TEditorConfig, OutputFormatCount> BuildConfigs()
{
    std::array<TEditorConfig, OutputFormatCount> configs;

    // AVI's Mpeg1, Mpeg2 and DV pages are held but no entry shows them.
    configs[ofAVI] = VideoEditor(MSG_FORMAT_AVI,
                                 {DivX, XviD, Msmpeg4, Msmpeg4v2, H263, H263P, H264, HuffYUV, Mjpeg,
                                  Svq1, Flv, Mpeg1, Mpeg2, DV},
                                 {MSG_DIVX, MSG_XVID, MSG_MSMPEG4, MSG_MSMPEG4v2, MSG_H263,
                                  MSG_H263P, MSG_H264, MSG_HUFFYUV, MSG_MJPEG, MSG_SVQ1, MSG_FLV},
                                 {Mp2, Mp3, Pcm16le, Pcmu8, AC3},
                                 {MSG_MP2, MSG_MP3, MSG_PCM16LE, MSG_PCMU8, MSG_AC3});

    // The type list chooses between the two AAC pages; DivX and XviD are held.
    configs[ofMP4] =
        VideoEditor(MSG_FORMAT_MP4, {H264, DivX, XviD}, {MSG_H264}, {AAC, AACPsp}, {MSG_AAC});
    configs[ofMP4].Sizes = TSizeList::Handheld;

    // The handset type's own pairs of lists choose the pages.
    configs[of3GP] = VideoEditor(MSG_FORMAT_3GP, {H263, DivX, XviD}, {}, {Armnb, Armwb, AAC}, {});
    configs[of3GP].VideoMaximum = 10;
    configs[of3GP].Sizes = TSizeList::Phone;

    // One audio list per video codec, held by the editor itself.
    configs[ofMPEG] =
        VideoEditor(MSG_FORMAT_MPEG, {Mpeg1, Mpeg2}, {MSG_MPEG1, MSG_MPEG2}, {AC3, Mp2, Mp3}, {});
    configs[ofMPEG].Sizes = TSizeList::Mpeg;
    configs[ofMPEG].RaiseOddSizes = false;

    configs[ofMOV] = VideoEditor(MSG_FORMAT_MOV, {Svq1, DivX, XviD, H263, H264},
                                 {MSG_SVQ1, MSG_DIVX, MSG_XVID, MSG_H263, MSG_H264},
                                 {AAC, Alaw, Armnb, Pcm16le, Pcm16be},
                                 {MSG_AAC, MSG_ALAW, MSG_AMRNB, MSG_PCM16LE, MSG_PCM16BE});

    configs[ofWMV] =
        VideoEditor(MSG_FORMAT_WMV, {Msmpeg4, Msmpeg4v2, Wmv7, Wmv8},
                    {MSG_MSMPEG4, MSG_MSMPEG4v2, MSG_WMV7, MSG_WMV8}, {Mp3}, {MSG_MP3});
    configs[ofWMV].VideoLadder = WmvVideoBitrates;
    configs[ofWMV].VideoMaximum = int(WmvVideoBitrates.size());

    configs[ofRM] = VideoEditor(MSG_FORMAT_RM, {Rm10}, {MSG_RV7}, {AC3}, {MSG_AC3});
    configs[ofRM].Sizes = TSizeList::RM;

    configs[ofSWF] = VideoEditor(MSG_FORMAT_SWF, {Flv}, {MSG_FLV}, {SwfMp3}, {MSG_MP3});
    configs[ofSWF].VideoLadder = FlvVideoBitrates;
    configs[ofSWF].VideoMaximum = int(FlvVideoBitrates.size());

    configs[ofVOB] =
        VideoEditor(MSG_FORMAT_VOB, {Mpeg2}, {MSG_MPEG2}, {Mp2, AC3}, {MSG_MP2, MSG_AC3});
    configs[ofVOB].FrameRates = TFrameRateList::Nine;

    configs[ofASF] = VideoEditor(MSG_FORMAT_ASF, {Msmpeg4, Msmpeg4v2}, {MSG_MSMPEG4, MSG_MSMPEG4v2},
                                 {Mp3}, {MSG_MP3});
    configs[ofASF].VideoLadder = WmvVideoBitrates;
    configs[ofASF].VideoMaximum = int(WmvVideoBitrates.size());

    configs[ofAAC] = AudioEditor(MSG_FORMAT_AAC, {AAC}, {MSG_AAC});
    configs[ofAC3] = AudioEditor(MSG_FORMAT_AC3, {AC3}, {MSG_AC3});
    configs[ofMP2] = AudioEditor(MSG_FORMAT_MP2, {Mp2}, {MSG_MP2});
    configs[ofMP3] = AudioEditor(MSG_FORMAT_MP3, {Mp3}, {MSG_MP3});
    configs[ofAMR] = AudioEditor(MSG_FORMAT_AMR, {Armnb, Armwb}, {MSG_AMRNB, MSG_AMRWB});
    configs[ofWAV] = AudioEditor(MSG_FORMAT_WAV, {Pcm16le, Pcmu8}, {MSG_PCM16LE, MSG_PCMU8});
    return configs;
}

template <class Page>
int PageOf(const QList<Page>& pages, const QString& tag)
{
    for (int i = 0; i < pages.size(); ++i)
        if (pages[i].Tag == tag) return i;
    return -1;
}

}  // namespace

int TEditorConfig::VideoPageOf(const QString& tag) const { return PageOf(VideoPages, tag); }

int TEditorConfig::AudioPageOf(const QString& tag) const { return PageOf(AudioPages, tag); }

const TEditorConfig& EditorConfigOf(int format)
{
    static const std::array<TEditorConfig, OutputFormatCount> configs = BuildConfigs();
    Q_ASSERT(format >= 0 && format < OutputFormatCount);
    return configs[format];
}

QStringList SizeListEntries(TSizeList list)
{
    const QStringList standard = {u"320x240"_s, u"352x240"_s, u"352x288"_s, u"384x288"_s,
                                  u"480x480"_s, u"480x576"_s, u"640x368"_s, u"640x480"_s,
                                  u"704x480"_s, u"704x576"_s, u"720x480"_s, u"720x576"_s};
    const QString more = u"..."_s;
    switch (list) {
        case TSizeList::Standard:
            return standard + QStringList{u"1280x720"_s, more};
        case TSizeList::RM:
            return standard + QStringList{more};
        case TSizeList::Handheld:
            return {u"176x120"_s,
                    u"176x144 ("_s + Msg(MSG_MOBILE) + u')',
                    u"240x176"_s,
                    u"320x176"_s,
                    u"320x240 ("_s + Msg(MSG_IPOD_PSP) + u')',
                    u"368x208 ("_s + Msg(MSG_PSP_FULLSCR) + u')',
                    u"384x160"_s,
                    u"400x192"_s,
                    u"416x176"_s,
                    u"480x160"_s,
                    u"480x272"_s,
                    more};
        case TSizeList::Phone:
            return {u"128x96"_s,  u"176x144"_s, u"220x176"_s, u"240x192"_s,
                    u"320x240"_s, u"352x288"_s, more};
        case TSizeList::Mpeg:
            return {u"80 x 60"_s,
                    u"96 x 72"_s,
                    u"128 x 96"_s,
                    u"160 x 320"_s,
                    u"176 x 120"_s,
                    u"176 x 144"_s,
                    u"192 x 144"_s,
                    u"240 x 180"_s,
                    u"320 x 200"_s,
                    u"320 x 240"_s,
                    u"352 x 240 (VCD NTSC)"_s,
                    u"352 x 288 (VCD PAL)"_s,
                    u"480 x 480 (SVCD NTSC)"_s,
                    u"480 x 576 (SVCD PAL)"_s,
                    u"720 x 480 (DVD NTSC)"_s,
                    u"720 x 576 (DVD PAL)"_s,
                    more};
    }
    return {more};
}

bool SizeOfEntry(const QString& entry, int& width, int& height)
{
    static const QRegularExpression size(u"^(\\d+) ?x ?(\\d+)"_s);
    const QRegularExpressionMatch match = size.match(entry);
    if (!match.hasMatch()) return false;
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    return true;
}

QStringList FrameRateEntries(TFrameRateList list)
{
    const QStringList nine = {u"19.98"_s, u"23.976"_s, u"24"_s,    u"25"_s, u"29.97"_s,
                              u"30"_s,    u"50"_s,     u"59.94"_s, u"60"_s};
    if (list == TFrameRateList::Nine) return nine;
    // The first entry keeps its trailing blank, as stored lists show it.
    return QStringList{u"10 "_s, u"12"_s, u"14.985"_s, u"15"_s} + nine;
}

QString BitrateText(qint32 kbps) { return MsgFormat(MSG_BITTATE_FORMAT, QString::number(kbps)); }
