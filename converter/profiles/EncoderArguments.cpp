#include "profiles/EncoderArguments.h"

#include "base/globals.h"
#include "profiles/CodecTables.h"
#include "profiles/ProfileFields.h"
#include "profiles/ProfileFile.h"

#include <array>
#include <memory>

namespace {

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
    void option(QStringView name, ValueTable table, quint8 index)
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

    // The video block of a codec table entry; no entry, no block.
    template <class Record>
    void video(const Record& r, const VideoCodec<Record>* codec)
    {
        if (codec)
            std::visit([&](auto group) { video(r.*group, codec->name, codec->style); },
                       codec->group);
    }

    // The audio block of a codec table entry; no entry, no block.
    template <class Record>
    void audio(const Record& r, const AudioCodec<Record>* codec)
    {
        if (codec)
            std::visit([&](auto group) { audio(r.*group, codec->name, codec->style); },
                       codec->group);
    }

private:
    template <class Group>
    void video(const Group& g, QStringView codec, const VideoStyle& style)
    {
        option(u"-vcodec", codec);
        if (style.rateBeforeSize) bitRate(g);
        size(g);
        if (!style.rateBeforeSize) bitRate(g);
        if (g.VideoKeepFrameRate) {
            if (!style.autoFrameRate.isEmpty()) option(u"-r", style.autoFrameRate);
        } else {
            option(u"-r", style.frameRates, g.VideoFrameRate);
        }
        if (!style.hasAspect) return;
        if (g.VideoAspect == 0 && !style.autoAspect.isEmpty())
            option(u"-aspect", style.autoAspect);
        else
            option(u"-aspect", style.aspects, g.VideoAspect);
    }

    void audio(const TPcmAudioGroup& g, QStringView codec, const AudioStyle& style)
    {
        option(u"-acodec", codec);
        channels(g.AudioChannels);
        option(u"-ar", style.sampleRates, g.AudioSampleRate);
    }

    void audio(const TAudioGroup& g, QStringView codec, const AudioStyle& style)
    {
        if (!codec.isEmpty()) option(u"-acodec", codec);
        switch (style.block) {
            case AudioBlock::Plain:
                channels(g.AudioChannels);
                audioBitRate(g);
                option(u"-ar", style.sampleRates, g.AudioSampleRate);
                break;
            case AudioBlock::Handheld:
                channels(g.AudioChannels);
                audioBitRate(g);
                if (g.AudioSampleRate == 0) option(u"-ar", style.autoSampleRate);
                break;
            case AudioBlock::Ac3:
                if (g.AudioChannels == 2) {
                    option(u"-ac", u"5:1");
                    option(u"-ar", u"48000");
                } else if (g.AudioChannels < 2) {
                    channels(g.AudioChannels);
                    option(u"-ar", style.sampleRates, g.AudioSampleRate);
                }
                audioBitRate(g);
                break;
            case AudioBlock::Amr:
                if (g.AudioChannels == 0) option(u"-ac", u"1");
                if (g.AudioSampleRate == 0) option(u"-ar", style.autoSampleRate);
                audioBitRate(g);
                break;
        }
    }

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

// The head of the video formats: the fixed options, time control and same
// quality.
template <class Record>
Arguments videoHead(const Record& r, QStringView fixed)
{
    Arguments a;
    a.add(fixed);
    a.timeControl(r);
    a.sameQuality(r);
    return a;
}

// The audio block, or -an when the record turns the sound off.
template <class Record, class Table>
void soundOrNone(Arguments& a, const Record& r, const Table& codecs, int index)
{
    if (r.AudioDisableAudio)
        a.add(u"-an");
    else
        a.audio(r, CodecAt(codecs, index));
}

// The video formats with one video and one audio codec choice.
template <class Record, class VideoTable, class AudioTable>
QString videoFormat(const Record& r, QStringView fixed, const VideoTable& videoCodecs,
                    const AudioTable& audioCodecs)
{
    Arguments a = videoHead(r, fixed);
    a.video(r, CodecAt(videoCodecs, r.VideoCodec));
    soundOrNone(a, r, audioCodecs, r.AudioCodec);
    return a.take();
}

// The audio formats: container, time control, no video, one audio block.
template <class Record, class Table>
QString audioOnly(const Record& r, QStringView container, const Table& codecs)
{
    Arguments a;
    a.option(u"-y -f", container);
    a.timeControl(r);
    a.add(u"-vn");
    a.audio(r, CodecAt(codecs, r.AudioCodec));
    return a.take();
}

}  // namespace

QString EncoderArguments(const TAVISettings& r)
{
    return videoFormat(r, u"-y -f avi", AviVideoCodecs, AviAudioCodecs);
}

QString EncoderArguments(const TMP4Settings& r)
{
    const bool handheld = r.Format == 1;
    Arguments a = videoHead(r, r.Format > 3 ? u"-y" : handheld ? u"-y -f psp" : u"-y -f mp4");
    a.video(r, CodecAt(Mp4VideoCodecs, r.VideoCodec));
    if (handheld)
        soundOrNone(a, r, Mp4HandheldAudioCodecs, r.AudioCodec);
    else
        soundOrNone(a, r, Mp4AudioCodecs, r.AudioCodec);
    return a.take();
}

QString EncoderArguments(const TTGPSettings& r)
{
    Arguments a = videoHead(r, u"-y -f 3gp");
    // Both Sony Ericsson types use the Sony choices.
    if (r.TgpFormat == 0) {
        a.video(r, CodecAt(TgpNokiaVideoCodecs, r.VideoCodecNokia));
        soundOrNone(a, r, TgpNokiaAudioCodecs, r.AudioCodecNokia);
    } else {
        a.video(r, CodecAt(TgpSonyVideoCodecs, r.VideoCodecSony));
        soundOrNone(a, r, TgpSonyAudioCodecs, r.AudioCodecSony);
    }
    return a.take();
}

QString EncoderArguments(const TMPEGSettings& r)
{
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
    a.video(r, CodecAt(MpegVideoCodecs, r.VideoCodec));
    if (r.VideoCodec == 1)
        soundOrNone(a, r, Mpeg2AudioCodecs, r.AudioCodecMpeg2);
    else
        soundOrNone(a, r, Mpeg1AudioCodecs, r.AudioCodecMpeg1);
    return a.take();
}

QString EncoderArguments(const TMovSettings& r)
{
    return videoFormat(r, u"-y -f mov", MovVideoCodecs, MovAudioCodecs);
}

QString EncoderArguments(const TWmvSettings& r)
{
    return videoFormat(r, u"-y", WmvVideoCodecs, WmvAudioCodecs);
}

QString EncoderArguments(const TRmSettings& r)
{
    return videoFormat(r, u"-y -f rm", RmVideoCodecs, RmAudioCodecs);
}

QString EncoderArguments(const TSwfSettings& r)
{
    return videoFormat(r, u"-y", SwfVideoCodecs, SwfAudioCodecs);
}

QString EncoderArguments(const TVobSettings& r)
{
    return videoFormat(r, u"-y -f vob", VobVideoCodecs, VobAudioCodecs);
}

QString EncoderArguments(const TAsfSettings& r)
{
    return videoFormat(r, u"-y -f asf", AsfVideoCodecs, AsfAudioCodecs);
}

QString EncoderArguments(const TAacSettings& r) { return audioOnly(r, u"aac", AacAudioCodecs); }
QString EncoderArguments(const TAc3Settings& r) { return audioOnly(r, u"ac3", Ac3AudioCodecs); }
QString EncoderArguments(const TMp2Settings& r) { return audioOnly(r, u"mp2", Mp2AudioCodecs); }
QString EncoderArguments(const TMp3Settings& r) { return audioOnly(r, u"mp3", Mp3AudioCodecs); }
QString EncoderArguments(const TAmrSettings& r) { return audioOnly(r, u"amr", AmrAudioCodecs); }
QString EncoderArguments(const TWavSettings& r) { return audioOnly(r, u"wav", WavAudioCodecs); }

QString EncoderArgumentsFromRecord(int format)
{
    const ProfileRecord* table = ProfileRecordOf(format);
    return table ? table->arguments(table->record) : QString();
}

QString BuildEncoderArguments(int format, const QString& profilePath)
{
    const ProfileRecord* table = ProfileRecordOf(format);
    if (!table) return {};
    const std::shared_ptr<void> local = table->copy(table->record);
    LoadProfileSettings(format, profilePath, local.get());
    return table->arguments(local.get());
}
