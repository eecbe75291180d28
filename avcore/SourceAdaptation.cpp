#include "SourceAdaptation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ConsoleOutput.h"

namespace avcore {
namespace {

struct StandardRate {
    double value;
    std::string_view text;
};

// The rates MPEG-1 and MPEG-2 players take (frame_rate_code 1 to 8).
constexpr std::array kMpegRates{
    StandardRate{24000.0 / 1001, "24000/1001"}, StandardRate{24, "24"}, StandardRate{25, "25"},
    StandardRate{30000.0 / 1001, "30000/1001"}, StandardRate{30, "30"}, StandardRate{50, "50"},
    StandardRate{60000.0 / 1001, "60000/1001"}, StandardRate{60, "60"},
};

constexpr double kHighestRate = 60;
constexpr double kPspRate = 30000.0 / 1001;

// Containers that hold only video formats; a file without picture cannot
// become one of them.
constexpr std::array<std::string_view, 18> kVideoContainers{
    "avi", "mp4",  "psp", "3gp", "3g2", "mov", "mpeg", "mpg", "vob",
    "dvd", "svcd", "vcd", "asf", "wmv", "rm",  "swf",  "flv", "m4v"};

struct DefaultEncoder {
    std::string_view container;
    std::string_view encoder;
};

// What ffmpeg picks when no video codec is named.
constexpr std::array kDefaultEncoders{
    DefaultEncoder{"mp4", "libx264"},      DefaultEncoder{"mov", "libx264"},
    DefaultEncoder{"m4v", "libx264"},      DefaultEncoder{"mkv", "libx264"},
    DefaultEncoder{"matroska", "libx264"}, DefaultEncoder{"webm", "libvpx-vp9"},
    DefaultEncoder{"avi", "mpeg4"},        DefaultEncoder{"psp", "mpeg4"},
    DefaultEncoder{"mpg", "mpeg1video"},   DefaultEncoder{"mpeg", "mpeg1video"},
    DefaultEncoder{"vob", "mpeg2video"},   DefaultEncoder{"dvd", "mpeg2video"},
};

// Encoders that would keep a 10-bit, 4:2:2 or 4:4:4 source as it is, which
// most players cannot decode; they get 8-bit 4:2:0. Encoders of 4:2:0 only
// need nothing, and a few (Sorenson, MJPEG, GIF) need their own formats.
constexpr std::array<std::string_view, 9> kWideFormatEncoders{
    "libx264", "libx265",   "libvpx", "libvpx-vp9", "mpeg2video",
    "ffvhuff", "libtheora", "h264",   "libxvid"};

constexpr std::array<std::string_view, 4> kPlayablePixelFormats{"yuv420p", "yuvj420p", "nv12", ""};

// Codecs that cannot carry interlaced pictures: no detection needed.
constexpr std::array<std::string_view, 12> kProgressiveCodecs{
    "vp8", "vp9", "av1", "gif", "png", "apng", "webp", "mjpeg", "bmp", "theora", "svq1", "flv1"};

// Containers that store a constant rate only: a variable-rate source gets
// its average rate there rather than its time base's.
constexpr std::array<std::string_view, 12> kConstantRateContainers{
    "avi", "asf", "wmv", "rm", "swf", "flv", "mpg", "mpeg", "vob", "dvd", "svcd", "vcd"};

template <size_t N>
bool Contains(const std::array<std::string_view, N>& list, const std::string& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The last value of an option, or nullptr.
const std::string* ValueOf(const std::vector<std::string>& options, std::string_view name)
{
    const std::string* found = nullptr;
    for (size_t i = 0; i + 1 < options.size(); ++i)
        if (options[i] == name) found = &options[i + 1];
    return found;
}

bool Has(const std::vector<std::string>& options, std::string_view name)
{
    return std::find(options.begin(), options.end(), name) != options.end();
}

// Puts filter in front of the chain of option name, or adds the option.
void PrependFilter(std::vector<std::string>& options, std::string_view name,
                   const std::string& filter)
{
    std::string* chain = nullptr;
    for (size_t i = 0; i + 1 < options.size(); ++i)
        if (options[i] == name) chain = &options[i + 1];
    if (!chain) {
        options.emplace_back(name);
        options.push_back(filter);
    } else if (chain->empty()) {
        *chain = filter;
    } else {
        *chain = filter + "," + *chain;
    }
}

std::string RateText(double rate)
{
    for (const auto& standard : kMpegRates)
        if (std::fabs(rate - standard.value) < standard.value * 0.0005)
            return std::string(standard.text);
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", rate);
    std::string result = text;
    while (result.back() == '0')
        result.pop_back();
    if (result.back() == '.') result.pop_back();
    return result;
}

// The rate the source really plays at: its base rate, unless that is only a
// fine time base of a variable-rate file (phones), where the average counts.
double PlayingRate(const SourceFacts& facts)
{
    const double base = facts.frameRate;
    const double average = facts.averageRate;
    if (average > 0 && (base <= 0 || base > average * 1.5)) return average;
    return base;
}

// A standard MPEG rate for the source: the same, an even fraction, an even
// multiple, else the highest below it.
std::string MpegRate(double source)
{
    const auto standard = [](double rate) -> const StandardRate* {
        for (const auto& s : kMpegRates)
            if (std::fabs(rate - s.value) < s.value * 0.0005) return &s;
        return nullptr;
    };
    for (int n = 1; n <= 4; ++n)
        if (const StandardRate* s = standard(source / n)) return std::string(s->text);
    for (int n = 2; n <= 4; ++n)
        if (const StandardRate* s = standard(source * n)) return std::string(s->text);
    const StandardRate* below = &kMpegRates.front();
    for (const auto& s : kMpegRates)
        if (s.value <= source) below = &s;
    return std::string(below->text);
}

bool IsMpegVideo(const std::string& encoder)
{
    return encoder == "mpeg1video" || encoder == "mpeg2video";
}

struct Target {
    int width = 0;
    int height = 0;
    double rate = 0;
    bool dvd = false;
};

Target TargetOf(const std::string& name)
{
    Target t;
    const bool pal = name.rfind("pal-", 0) == 0;
    const bool film = name.rfind("film-", 0) == 0;
    t.rate = pal ? 25 : film ? 24000.0 / 1001 : 30000.0 / 1001;
    t.dvd = name.find("dvd") != std::string::npos;
    if (t.dvd) {
        t.width = 720;
        t.height = pal ? 576 : 480;
    }
    return t;
}

// The samples an audio encoder puts before the sound, in seconds.
double PrimingSeconds(const std::string& encoder, int outRate)
{
    if (outRate <= 0) return 0;
    if (encoder == "libmp3lame") return 1105.0 / outRate;
    if (encoder == "ac3" || encoder == "ac3_fixed") return 256.0 / outRate;
    return 0;
}

}  // namespace

double TimeInSeconds(const std::string& text)
{
    double seconds = 0;
    size_t start = 0;
    for (int part = 0; part < 3; ++part) {
        const size_t colon = text.find(':', start);
        char* end = nullptr;
        const std::string field = text.substr(start, colon - start);
        const double value = std::strtod(field.c_str(), &end);
        if (field.empty() || *end != '\0' || value < 0) return 0;
        seconds = seconds * 60 + value;
        if (colon == std::string::npos) return seconds;
        start = colon + 1;
    }
    return 0;
}

std::string RateFor(const std::string& encoder, const std::string& container,
                    const SourceFacts& facts)
{
    const double base = facts.frameRate;
    const double playing = PlayingRate(facts);
    if (playing <= 0) return {};
    if (IsMpegVideo(encoder)) {
        const std::string rate = MpegRate(playing);
        return base > 0 && RateText(base) == rate ? std::string() : rate;
    }
    if (container == "psp" && playing > kPspRate + 0.01) {
        // The console plays at most 29.97 frames a second.
        const double even = playing / std::ceil(playing / (kPspRate + 0.05));
        return even > kPspRate + 0.01 ? RateText(kPspRate) : RateText(even);
    }
    if (playing > kHighestRate + 0.5) {
        // An even fraction keeps the motion regular (120 -> 60, 90 -> 45).
        return RateText(playing / std::ceil(playing / (kHighestRate + 0.5)));
    }
    if (playing != base && Contains(kConstantRateContainers, container)) return RateText(playing);
    return {};
}

Adaptation AdaptToSource(const std::vector<std::string>& options, const std::string& container,
                         const std::string& inputName, const SourceFacts& facts, bool soundApart,
                         double start)
{
    Adaptation out{options, {}, {}};
    if (!facts.known) return out;
    std::vector<std::string>& o = out.options;
    const bool noVideo = Has(o, "-vn");
    const bool noAudio = Has(o, "-an");
    const std::string* target = ValueOf(o, "-target");
    std::string encoder;
    if (target) {
        const std::string kind = target->substr(target->find_last_of('-') + 1);
        encoder = kind == "vcd" ? "mpeg1video" : "mpeg2video";
    }
    if (const std::string* chosen = ValueOf(o, "-c:v")) encoder = *chosen;
    if (encoder.empty())
        for (const auto& entry : kDefaultEncoders)
            if (entry.container == container) encoder = entry.encoder;

    if (!facts.hasVideo && !noVideo && (Contains(kVideoContainers, container) || target)) {
        out.error = "Error: " + Quote(inputName) +
                    " has no picture, so it cannot become a video; AAC, AC3, MP2, MP3, AMR and "
                    "WAV take sound alone";
        return out;
    }

    // Sound that starts after the picture gets silence in front: containers
    // without start times (AVI) and raw AMR would otherwise play it early.
    const double offset = facts.audioStart - facts.videoStart;
    if (facts.hasVideo && facts.hasAudio && !noVideo && !noAudio && facts.videoStart >= 0 &&
        offset - start > 0.02) {
        // AVI keeps no time stamps: the encoder's priming plays as a delay, so
        // the silence is that much shorter. The pad starts at first_pts,
        // counted in samples of the source.
        long long firstPts = 0;
        if (container == "avi" && facts.sampleRate > 0) {
            const std::string* codec = ValueOf(o, "-c:a");
            const std::string* rate = ValueOf(o, "-ar");
            const int outRate = rate ? std::atoi(rate->c_str()) : facts.sampleRate;
            const double priming = PrimingSeconds(codec ? *codec : "libmp3lame", outRate);
            firstPts = std::llround(std::min(priming, offset) * facts.sampleRate);
        }
        const std::string pad = "aresample=async=1:first_pts=" + std::to_string(firstPts);
        if (!soundApart) PrependFilter(o, "-af", pad);
        // The track decoded apart loses its time stamps in raw PCM, and
        // ffmpeg starts a transport stream's sound at 0 once its picture is
        // left out: the silence is put in front by count.
        const long long delay = std::llround((offset - start) * facts.sampleRate);
        if (soundApart && delay > 0)
            out.soundFilter = {"-af", "adelay=delays=" + std::to_string(delay) + "S:all=1"};
    }

    if (!facts.hasVideo || noVideo || encoder == "copy" || Has(o, "-filter_complex")) return out;

    std::string chain;
    const std::string& order = facts.fieldOrder;
    const bool interlaced = order == "tt" || order == "bb" || order == "tb" || order == "bt";
    const bool unknown =
        (order.empty() || order == "unknown") && !Contains(kProgressiveCodecs, facts.videoCodec);
    bool keepFields = false;
    if (interlaced && target && encoder == "mpeg2video") {
        // A DVD at the source's size and rate keeps its fields, flagged as such.
        const Target t = TargetOf(*target);
        const std::string* size = ValueOf(o, "-s");
        const bool sameSize =
            size ? *size == std::to_string(facts.width) + "x" + std::to_string(facts.height)
                 : t.width == facts.width && t.height == facts.height;
        keepFields = t.dvd && sameSize && std::fabs(PlayingRate(facts) - t.rate) < 0.01 &&
                     !ValueOf(o, "-vf");
    }
    if (keepFields) {
        o.insert(o.end(), {"-flags", "+ildct+ilme", "-top", order[0] == 't' ? "1" : "0"});
    } else if (interlaced) {
        // Only the frames the decoder marks as interlaced are deinterlaced.
        chain = "bwdif=mode=send_frame:parity=auto:deint=interlaced";
    } else if (unknown) {
        chain = "idet,bwdif=mode=send_frame:parity=auto:deint=interlaced";
    }
    if (!chain.empty()) PrependFilter(o, "-vf", chain);

    if (!target && !ValueOf(o, "-r")) {
        const std::string rate = RateFor(encoder, container, facts);
        if (!rate.empty()) o.insert(o.end(), {"-r", rate});
    }

    if (!ValueOf(o, "-pix_fmt") && Contains(kWideFormatEncoders, encoder) &&
        !Contains(kPlayablePixelFormats, facts.pixelFormat))
        o.insert(o.end(), {"-pix_fmt", "yuv420p"});
    return out;
}

}  // namespace avcore
