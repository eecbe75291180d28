#include "profiles/EncoderArguments.h"

#include "base/globals.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <span>

namespace {

// Frame rates and sample rates by stored index; an index past the end adds
// nothing.
constexpr std::array<QStringView, 13> FrameRates = {
    u"10", u"12",    u"14.985", u"15", u"19.98", u"23.976", u"24",
    u"25", u"29.97", u"30",     u"50", u"59.94", u"60"};
constexpr std::array<QStringView, 9> VobFrameRates = {
    u"19.98", u"23.976", u"24", u"25", u"29.97", u"30", u"50", u"59.94", u"60"};
constexpr std::array<QStringView, 3> Aspects = {u"", u"4:3", u"16:9"};
// 1:1 and 11:9 have no option of their own.
constexpr std::array<QStringView, 5> H263Aspects = {u"", u"", u"4:3", u"", u"16:9"};
constexpr std::array<QStringView, 4> ShortSampleRates = {u"22050", u"24000", u"44100", u"48000"};
constexpr std::array<QStringView, 8> FullSampleRates = {u"11025", u"12000", u"16000", u"22050",
                                                        u"24000", u"32000", u"44100", u"48000"};
constexpr std::array<QStringView, 3> FlashSampleRates = {u"11025", u"22050", u"44100"};

using Table = std::span<const QStringView>;

// How a format shapes the video block.
struct VideoStyle {
    QStringView autoFrameRate = u"25";
    Table frameRates = FrameRates;
    bool hasAspect = true;
    Table aspects = Aspects;
    QStringView autoAspect{};  // the option value for aspect index 0, if any
    bool rateBeforeSize = false;
};

class Arguments {
public:
    QString take() { return std::move(m_text); }

    void add(QStringView fragment)
    {
        m_text += fragment;
        m_text += u' ';
    }
    void option(QStringView name, QStringView value)
    {
        add(name);
        add(value);
    }
    void option(QStringView name, qint32 value) { option(name, QString::number(value)); }
    // An option whose value comes from a table row; no row, no option.
    void option(QStringView name, Table table, quint8 index)
    {
        if (index < table.size() && !table[index].isEmpty()) option(name, table[index]);
    }

    void videoBitRate(qint32 kbits) { option(u"-b", QString(QString::number(kbits) + u'k')); }

    template <class Record>
    void timeControl(const Record& r)
    {
        if (!r.EnableTimeControl) return;
        m_text += u' ';
        option(u"-t", r.Duration);
        option(u"-ss", r.StartTime);
    }

    template <class Record>
    void sameQuality(const Record& r)
    {
        if (r.VideoSameQuality) add(u"-sameq");
    }

    template <class Group>
    void video(const Group& g, QStringView codec, const VideoStyle& style = {})
    {
        option(u"-vcodec", codec);
        if (style.rateBeforeSize) bitRate(g);
        size(g);
        if (!style.rateBeforeSize) bitRate(g);
        if (g.VideoKeepFrameRate)
            option(u"-r", style.autoFrameRate);
        else
            option(u"-r", style.frameRates, g.VideoFrameRate);
        if (!style.hasAspect) return;
        if (g.VideoAspect == 0 && !style.autoAspect.isEmpty())
            option(u"-aspect", style.autoAspect);
        else
            option(u"-aspect", style.aspects, g.VideoAspect);
    }

    // Codec, channels, bit rate, sample rate; MOV leaves out the codec.
    void plainAudio(const TAudioGroup& g, QStringView codec, Table sampleRates)
    {
        if (!codec.isEmpty()) option(u"-acodec", codec);
        channels(g.AudioChannels);
        audioBitRate(g);
        option(u"-ar", sampleRates, g.AudioSampleRate);
    }

    void handheldAac(const TAudioGroup& g)
    {
        option(u"-acodec", u"aac");
        channels(g.AudioChannels);
        audioBitRate(g);
        if (g.AudioSampleRate == 0) option(u"-ar", u"48000");
    }

    // Six channels always go with 48000 Hz; the bit rate comes last.
    void ac3Audio(const TAudioGroup& g)
    {
        option(u"-acodec", u"ac3");
        if (g.AudioChannels == 2) {
            option(u"-ac", u"5:1");
            option(u"-ar", u"48000");
        } else if (g.AudioChannels < 2) {
            channels(g.AudioChannels);
            option(u"-ar", ShortSampleRates, g.AudioSampleRate);
        }
        audioBitRate(g);
    }

    void amrAudio(const TAudioGroup& g, QStringView codec, QStringView sampleRate)
    {
        option(u"-acodec", codec);
        if (g.AudioChannels == 0) option(u"-ac", u"1");
        if (g.AudioSampleRate == 0) option(u"-ar", sampleRate);
        audioBitRate(g);
    }
    void amrNarrowBand(const TAudioGroup& g) { amrAudio(g, u"amr_nb", u"8000"); }
    void amrWideBand(const TAudioGroup& g) { amrAudio(g, u"amr_wb", u"16000"); }

    void pcmAudio(const TPcmAudioGroup& g, QStringView codec)
    {
        option(u"-acodec", codec);
        channels(g.AudioChannels);
        option(u"-ar", FullSampleRates, g.AudioSampleRate);
    }

private:
    template <class Group>
    void size(const Group& g)
    {
        if constexpr (requires { g.VideoSizeUseSource; })
            if (g.VideoSizeUseSource) return;
        option(u"-s",
               QString(QString::number(g.VideoWidth) + u'x' + QString::number(g.VideoHeight)));
    }

    template <class Group>
    void bitRate(const Group& g)
    {
        videoBitRate(g.VideoBitRateUsePresert ? g.VideoBitRatePreset : g.VideoBitRateSpecify);
    }

    void channels(quint8 index)
    {
        if (index == 0) option(u"-ac", u"1");
        if (index == 1) option(u"-ac", u"2");
    }

    void audioBitRate(const TAudioGroup& g)
    {
        if (!g.AudioBitRateUseAutoSet) option(u"-ab", g.AudioBitRatePreset);
    }

    QString m_text;
};

const VideoStyle H263Style{.aspects = H263Aspects};

QString avi()
{
    const TAVISettings& r = AVISettings;
    Arguments a;
    a.add(u"-y -f avi");
    a.timeControl(r);
    a.sameQuality(r);
    switch (r.VideoCodec) {
        case 0:
            a.video(r.DivX, u"msmpeg4");
            break;
        case 1:
            a.video(r.XviD, u"xvid");
            break;
        case 2:
            a.video(r.MsMpeg4, u"msmpeg4");
            break;
        case 3:
            a.video(r.MsMpeg4v2, u"msmpeg4v2");
            break;
        case 4:
            a.video(r.H263, u"h263", H263Style);
            break;
        case 5:
            a.video(r.H263P, u"h263p");
            break;
        case 6:
            a.video(r.H264, u"h264");
            break;
        case 7:
            a.video(r.huffYUV, u"ffvhuff");
            break;
        case 8:
            a.video(r.Mjpeg, u"mjpeg");
            break;
        case 9:
            a.video(r.Svq1, u"svq1");
            break;
        case 10:
            a.video(r.Flv, u"flv");
            break;
    }
    if (r.AudioDisableAudio) {
        a.add(u"-an");
    } else {
        switch (r.AudioCodec) {
            case 0:
                a.plainAudio(r.Mp2, u"mp2", ShortSampleRates);
                break;
            case 1:
                a.plainAudio(r.Mp3, u"mp3", ShortSampleRates);
                break;
            case 2:
                a.pcmAudio(r.Pcm16le, u"pcm_s16le");
                break;
            case 3:
                a.pcmAudio(r.Pcmu8, u"pcm_u8");
                break;
            case 4:
                a.ac3Audio(r.AC3);
                break;
        }
    }
    return a.take();
}

QString mp4()
{
    const TMP4Settings& r = MP4Settings;
    const bool psp = r.Format == 1;
    Arguments a;
    a.add(u"-y");
    if (r.Format <= 3) a.add(psp ? u"-f psp" : u"-f mp4");
    a.timeControl(r);
    a.sameQuality(r);
    if (r.VideoCodec == 0) a.video(r.H264, u"h264");
    if (r.AudioDisableAudio)
        a.add(u"-an");
    else if (r.AudioCodec == 0 && psp)
        a.handheldAac(r.AACPsp);
    else if (r.AudioCodec == 0)
        a.plainAudio(r.AACMp4, u"aac", FullSampleRates);
    return a.take();
}

QString tgp()
{
    const TTGPSettings& r = TGPSettings;
    const VideoStyle style{.autoAspect = u"11:9"};
    Arguments a;
    a.add(u"-y -f 3gp");
    a.timeControl(r);
    a.sameQuality(r);
    // Both Sony Ericsson types use the Sony choices.
    const bool nokia = r.TgpFormat == 0;
    if (nokia) {
        switch (r.VideoCodecNokia) {
            case 0:
                a.video(r.H263, u"h263",
                        {.autoFrameRate = u"12.5", .aspects = H263Aspects, .autoAspect = u"11:9"});
                break;
            case 1:
                a.video(r.DivX, u"msmpeg4", style);
                break;
        }
    } else {
        switch (r.VideoCodecSony) {
            case 0:
                a.video(r.DivX, u"msmpeg4", style);
                break;
            case 1:
                a.video(r.XviD, u"xvid", style);
                break;
        }
    }
    if (r.AudioDisableAudio) {
        a.add(u"-an");
    } else if (!nokia) {
        if (r.AudioCodecSony == 0) a.plainAudio(r.AACMp4, u"aac", FullSampleRates);
    } else {
        switch (r.AudioCodecNokia) {
            case 0:
                a.amrNarrowBand(r.Armnb);
                break;
            case 1:
                a.amrWideBand(r.Armwb);
                break;
            case 2:
                a.plainAudio(r.AACMp4, u"aac", FullSampleRates);
                break;
        }
    }
    return a.take();
}

QString mpeg()
{
    const TMPEGSettings& r = MPEGSettings;
    Arguments a;
    a.timeControl(r);
    if (r.UsePresetFormats) {
        static constexpr std::array<QStringView, 3> Targets = {u"film-", u"ntsc-", u"pal-"};
        static constexpr std::array<QStringView, 3> Discs = {u"vcd", u"svcd", u"dvd"};
        if (r.PresetType < Discs.size() && r.TargetFormat < Targets.size())
            a.option(u"-target", QString(Targets[r.TargetFormat] + Discs[r.PresetType]));
        if (r.PresetType != 2) return a.take();
        a.videoBitRate(r.DVDVideoBitRateUsePresert ? r.DVDVideoBitRatePreset
                                                   : r.DVDVideoBitRateSpecify);
        static constexpr std::array<QStringView, 3> DvdAspects = {u"1:1", u"4:3", u"16:9"};
        if (!r.DVDVideoKeepAspect) a.option(u"-aspect", DvdAspects, r.DVDVideoAspect);
        if (!r.DVDAudioBitRateUseAutoSet) a.option(u"-ab", r.DVDAudioBitRatePreset);
        return a.take();
    }
    a.add(u"-y");
    a.sameQuality(r);
    if (r.VideoCodec == 0) a.video(r.Mpeg1, u"mpeg1video");
    if (r.VideoCodec == 1) a.video(r.Mpeg2, u"mpeg2video");
    if (r.AudioDisableAudio) {
        a.add(u"-an");
    } else if (r.VideoCodec == 1) {
        switch (r.AudioCodecMpeg2) {
            case 0:
                a.ac3Audio(r.AC3);
                break;
            case 1:
                a.plainAudio(r.Mp2, u"mp2", ShortSampleRates);
                break;
            case 2:
                a.plainAudio(r.Mp3, u"mp3", ShortSampleRates);
                break;
        }
    } else {
        switch (r.AudioCodecMpeg1) {
            case 0:
                a.plainAudio(r.Mp2, u"mp2", ShortSampleRates);
                break;
            case 1:
                a.plainAudio(r.Mp3, u"mp3", ShortSampleRates);
                break;
        }
    }
    return a.take();
}

QString mov()
{
    const TMovSettings& r = MovSettings;
    const VideoStyle noAspect{.hasAspect = false};
    Arguments a;
    a.add(u"-y -f mov");
    a.timeControl(r);
    a.sameQuality(r);
    switch (r.VideoCodec) {
        case 0:
            a.video(r.Svq1, u"svq1");
            break;
        case 1:
            a.video(r.DivX, u"msmpeg4");
            break;
        case 2:
            a.video(r.XviD, u"xvid");
            break;
        case 3:
            a.video(r.H263, u"h263", noAspect);
            break;
        case 4:
            a.video(r.H264, u"h264", noAspect);
            break;
    }
    if (r.AudioDisableAudio) {
        a.add(u"-an");
    } else {
        switch (r.AudioCodec) {
            case 0:
                a.plainAudio(r.AACMp4, {}, FullSampleRates);
                break;
            case 1:
                a.pcmAudio(r.Alaw, u"pcm_alaw");
                break;
            case 2:
                a.amrNarrowBand(r.Armnb);
                break;
            case 3:
                a.pcmAudio(r.Pcm16le, u"pcm_s16le");
                break;
            case 4:
                a.pcmAudio(r.Pcm16be, u"pcm_s16be");
                break;
        }
    }
    return a.take();
}

QString wmv()
{
    const TWmvSettings& r = WmvSettings;
    Arguments a;
    a.add(u"-y");
    a.timeControl(r);
    a.sameQuality(r);
    switch (r.VideoCodec) {
        case 0:
            a.video(r.MsMpeg4, u"msmpeg4");
            break;
        case 1:
            a.video(r.MsMpeg4v2, u"msmpeg4v2");
            break;
        case 2:
            a.video(r.Wmv7, u"wmv1");
            break;
        case 3:
            a.video(r.Wmv8, u"wmv2");
            break;
    }
    if (r.AudioDisableAudio)
        a.add(u"-an");
    else if (r.AudioCodec == 0)
        a.plainAudio(r.Mp3, u"mp3", ShortSampleRates);
    return a.take();
}

QString rm()
{
    const TRmSettings& r = RmSettings;
    Arguments a;
    a.add(u"-y -f rm");
    a.timeControl(r);
    a.sameQuality(r);
    if (r.VideoCodec == 0) a.video(r.Rm10, u"rv10", {.hasAspect = false, .rateBeforeSize = true});
    if (r.AudioDisableAudio)
        a.add(u"-an");
    else if (r.AudioCodec == 0)
        a.ac3Audio(r.AC3);
    return a.take();
}

QString swf()
{
    const TSwfSettings& r = SwfSettings;
    Arguments a;
    a.add(u"-y");
    a.timeControl(r);
    a.sameQuality(r);
    if (r.VideoCodec == 0) a.video(r.Flv, u"flv");
    if (r.AudioDisableAudio)
        a.add(u"-an");
    else if (r.AudioCodec == 0)
        a.plainAudio(r.Mp3, u"mp3", FlashSampleRates);
    return a.take();
}

QString vob()
{
    const TVobSettings& r = VobSettings;
    Arguments a;
    a.add(u"-y -f vob");
    a.timeControl(r);
    a.sameQuality(r);
    if (r.VideoCodec == 0)
        a.video(r.Mpeg2, u"mpeg2video", {.frameRates = VobFrameRates, .autoAspect = u"5:4"});
    if (r.AudioDisableAudio) {
        a.add(u"-an");
    } else {
        switch (r.AudioCodec) {
            case 0:
                a.plainAudio(r.Mp2, u"mp2", ShortSampleRates);
                break;
            case 1:
                a.ac3Audio(r.AC3);
                break;
        }
    }
    return a.take();
}

QString asf()
{
    const TAsfSettings& r = AsfSettings;
    Arguments a;
    a.add(u"-y -f asf");
    a.timeControl(r);
    a.sameQuality(r);
    switch (r.VideoCodec) {
        case 0:
            a.video(r.MsMpeg4, u"msmpeg4");
            break;
        case 1:
            a.video(r.MsMpeg4v2, u"msmpeg4v2");
            break;
    }
    if (r.AudioDisableAudio)
        a.add(u"-an");
    else if (r.AudioCodec == 0)
        a.plainAudio(r.Mp3, u"mp3", ShortSampleRates);
    return a.take();
}

// The audio formats: container, time control, no video, one audio block.
template <class Record>
Arguments audioHead(const Record& r, QStringView container)
{
    Arguments a;
    a.option(u"-y -f", container);
    a.timeControl(r);
    a.add(u"-vn");
    return a;
}

QString aac()
{
    Arguments a = audioHead(AacSettings, u"aac");
    if (AacSettings.AudioCodec == 0) a.plainAudio(AacSettings.AACMp4, u"aac", FullSampleRates);
    return a.take();
}

QString ac3()
{
    Arguments a = audioHead(Ac3Settings, u"ac3");
    if (Ac3Settings.AudioCodec == 0) a.ac3Audio(Ac3Settings.AC3);
    return a.take();
}

QString mp2()
{
    Arguments a = audioHead(Mp2Settings, u"mp2");
    if (Mp2Settings.AudioCodec == 0) a.plainAudio(Mp2Settings.Mp2, u"mp2", ShortSampleRates);
    return a.take();
}

QString mp3()
{
    Arguments a = audioHead(Mp3Settings, u"mp3");
    if (Mp3Settings.AudioCodec == 0) a.plainAudio(Mp3Settings.Mp3, u"mp3", ShortSampleRates);
    return a.take();
}

QString amr()
{
    Arguments a = audioHead(AmrSettings, u"amr");
    if (AmrSettings.AudioCodec == 0) a.amrNarrowBand(AmrSettings.Armnb);
    if (AmrSettings.AudioCodec == 1) a.amrWideBand(AmrSettings.Armwb);
    return a.take();
}

QString wav()
{
    Arguments a = audioHead(WavSettings, u"wav");
    if (WavSettings.AudioCodec == 0) a.pcmAudio(WavSettings.Pcm16le, u"pcm_s16le");
    if (WavSettings.AudioCodec == 1) a.pcmAudio(WavSettings.Pcmu8, u"pcm_u8");
    return a.take();
}

}  // namespace

QString EncoderArgumentsFromRecord(int format)
{
    using Builder = QString (*)();
    static constexpr std::array<Builder, 16> Builders = {avi, mp4, tgp, mpeg, mov, wmv, rm,  swf,
                                                         vob, asf, aac, ac3,  mp2, mp3, amr, wav};
    if (format < 0 || format >= int(Builders.size())) return {};
    return Builders[format]();
}

QString BuildEncoderArguments(const QString& profilePath)
{
    const int format = GlobalVars.OutputFormat;
    if (format >= OutputFormatCount) return {};
    LoadProfileSettings(format, profilePath);
    return EncoderArgumentsFromRecord(format);
}
