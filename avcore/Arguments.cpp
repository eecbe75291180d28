#include "Arguments.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "SourceAdaptation.h"

namespace avcore {
namespace {

struct NamePair {
    std::string_view legacy;
    std::string_view today;
};

// Encoder names of the era that today's ffmpeg spells differently; any other
// name is passed on as it is.
constexpr std::array kVideoEncoders{
    NamePair{"xvid", "libxvid"},      NamePair{"h264", "libx264"},
    NamePair{"x264", "libx264"},      NamePair{"divx", "mpeg4"},
    NamePair{"msmpeg4v3", "msmpeg4"}, NamePair{"wmv7", "wmv1"},
    NamePair{"wmv8", "wmv2"},         NamePair{"flv1", "flv"},
    NamePair{"mpeg1", "mpeg1video"},  NamePair{"mpeg2", "mpeg2video"},
    NamePair{"theora", "libtheora"},  NamePair{"vp8", "libvpx"},
};

constexpr std::array kAudioEncoders{
    NamePair{"mp3", "libmp3lame"}, NamePair{"lame", "libmp3lame"}, NamePair{"faac", "aac"},
    NamePair{"libfaac", "aac"},    NamePair{"a52", "ac3"},         NamePair{"vorbis", "libvorbis"},
};

struct AmrName {
    std::string_view name;
    AmrKind kind;
};

// ffmpeg here has no AMR encoder: these names select our own.
constexpr std::array kAmrEncoders{
    AmrName{"amr_nb", AmrKind::NarrowBand},
    AmrName{"amrnb", AmrKind::NarrowBand},
    AmrName{"libopencore_amrnb", AmrKind::NarrowBand},
    AmrName{"samr", AmrKind::NarrowBand},
    AmrName{"amr_wb", AmrKind::WideBand},
    AmrName{"amrwb", AmrKind::WideBand},
    AmrName{"libvo_amrwbenc", AmrKind::WideBand},
    AmrName{"sawb", AmrKind::WideBand},
};

constexpr std::array kFormats{
    NamePair{"aac", "adts"},  // raw AAC files carry ADTS headers
};

// Containers of the ISO family cannot store Microsoft's MPEG-4 variant; the
// same choice there means standard MPEG-4 video.
constexpr std::array<std::string_view, 8> kIsoContainers{"mp4", "psp", "ipod", "3gp",
                                                         "3g2", "m4v", "m4a",  "ismv"};
constexpr std::array kIsoVideoEncoders{NamePair{"msmpeg4", "mpeg4"}};

struct QualityRule {
    std::string_view encoder;
    std::string_view option;  // empty: the codec is lossless or has no such knob
    std::string_view value;
};

// "Same quality": a constant high quality instead of a bit rate.
constexpr std::array kQuality{
    QualityRule{"libx264", "-crf", "18"}, QualityRule{"libx264rgb", "-crf", "18"},
    QualityRule{"libx265", "-crf", "20"}, QualityRule{"libvpx", "-crf", "10"},
    QualityRule{"ffvhuff", "", ""},       QualityRule{"huffyuv", "", ""},
    QualityRule{"copy", "", ""},
};
constexpr QualityRule kDefaultQuality{"", "-q:v", "2"};

// WIDTHxHEIGHT rounded down to whole 16x16 macroblocks, at least one each way;
// anything else is left for ffmpeg to judge.
std::string MacroblockSize(const std::string& size)
{
    int width = 0;
    int height = 0;
    char end = 0;
    if (std::sscanf(size.c_str(), "%dx%d%c", &width, &height, &end) != 2 || width <= 0 ||
        height <= 0)
        return size;
    const auto round = [](int n) { return std::max(16, n / 16 * 16); };
    return std::to_string(round(width)) + "x" + std::to_string(round(height));
}

constexpr std::array<std::string_view, 5> kH263Sizes{"128x96", "176x144", "352x288", "704x576",
                                                     "1408x1152"};

enum class Opt {
    Overwrite,
    NoOverwrite,
    Format,
    VideoCodec,
    AudioCodec,
    VideoBitRate,
    AudioBitRate,
    Channels,
    SampleRate,
    Size,
    SameQuality,
    Start,
    Duration,
    Target,
    NoAudio,
    NoVideo,
    Map,
    PassOn,
};

struct OptionRule {
    std::string_view name;
    Opt opt;
    bool takesValue;
};

// The options avcore looks at; every other token is passed on unchanged.
constexpr std::array kOptions{
    OptionRule{"-y", Opt::Overwrite, false},       OptionRule{"-n", Opt::NoOverwrite, false},
    OptionRule{"-f", Opt::Format, true},           OptionRule{"-vcodec", Opt::VideoCodec, true},
    OptionRule{"-c:v", Opt::VideoCodec, true},     OptionRule{"-codec:v", Opt::VideoCodec, true},
    OptionRule{"-acodec", Opt::AudioCodec, true},  OptionRule{"-c:a", Opt::AudioCodec, true},
    OptionRule{"-codec:a", Opt::AudioCodec, true}, OptionRule{"-b", Opt::VideoBitRate, true},
    OptionRule{"-b:v", Opt::VideoBitRate, true},   OptionRule{"-ab", Opt::AudioBitRate, true},
    OptionRule{"-b:a", Opt::AudioBitRate, true},   OptionRule{"-ac", Opt::Channels, true},
    OptionRule{"-ar", Opt::SampleRate, true},      OptionRule{"-s", Opt::Size, true},
    OptionRule{"-sameq", Opt::SameQuality, false}, OptionRule{"-ss", Opt::Start, true},
    OptionRule{"-t", Opt::Duration, true},         OptionRule{"-target", Opt::Target, true},
    OptionRule{"-an", Opt::NoAudio, false},        OptionRule{"-vn", Opt::NoVideo, false},
};

// Passed on as they are; known so that their values are never read as options
// or as the output name.
constexpr std::array kPassedOptions{
    OptionRule{"-vf", Opt::PassOn, true},       OptionRule{"-af", Opt::PassOn, true},
    OptionRule{"-r", Opt::PassOn, true},        OptionRule{"-pix_fmt", Opt::PassOn, true},
    OptionRule{"-map", Opt::Map, true},         OptionRule{"-profile:v", Opt::PassOn, true},
    OptionRule{"-level", Opt::PassOn, true},    OptionRule{"-maxrate", Opt::PassOn, true},
    OptionRule{"-bufsize", Opt::PassOn, true},  OptionRule{"-vframes", Opt::PassOn, true},
    OptionRule{"-q:v", Opt::PassOn, true},      OptionRule{"-aspect", Opt::PassOn, true},
    OptionRule{"-metadata", Opt::PassOn, true},
};

const OptionRule* FindOption(const std::string& token)
{
    for (const auto& rule : kOptions)
        if (rule.name == token) return &rule;
    for (const auto& rule : kPassedOptions)
        if (rule.name == token) return &rule;
    return nullptr;
}

bool TakesValue(const std::string& token)
{
    const OptionRule* rule = FindOption(token);
    return token == "-i" || (rule && rule->takesValue);
}

template <typename Table>
std::string Rename(const Table& table, const std::string& name)
{
    for (const auto& pair : table)
        if (pair.legacy == name) return std::string(pair.today);
    return name;
}

AmrKind AmrKindOf(const std::string& codec)
{
    for (const auto& entry : kAmrEncoders)
        if (entry.name == codec) return entry.kind;
    return AmrKind::None;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Extension(const std::string& name)
{
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return Lower(name.substr(dot + 1));
}

bool IsPlainNumber(const std::string& value)
{
    return !value.empty() && std::all_of(value.begin(), value.end(),
                                         [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Sample rates today's AC-3 encoder takes. The era's also made streams at half
// and quarter rates; those ask for the lowest rate here that is not below them.
constexpr std::array<int, 3> kAc3SampleRates{32000, 44100, 48000};

std::string Ac3SampleRate(const std::string& value)
{
    if (!IsPlainNumber(value) || value.size() > 9) return value;
    const int rate = std::atoi(value.c_str());
    for (const int allowed : kAc3SampleRates)
        if (rate > 0 && rate <= allowed) return std::to_string(allowed);
    return value;
}

// Plain numbers were kbit/s in the era; values with a unit, or large enough to
// be bit/s already, stay as they are.
std::string BitRate(const std::string& value, long long plainLimit)
{
    if (IsPlainNumber(value) && value.size() < 12 && std::atoll(value.c_str()) < plainLimit)
        return value + 'k';
    return value;
}

// A bit rate option value in bit/s, read the way BitRate writes it.
long long BitsPerSecond(const std::string& value, long long plainLimit)
{
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    const std::string unit = end ? std::string(end) : std::string();
    if (unit == "k" || unit == "K") return static_cast<long long>(number * 1000);
    if (unit == "M") return static_cast<long long>(number * 1000000);
    if (!unit.empty()) return -1;
    return number < static_cast<double>(plainLimit) ? static_cast<long long>(number * 1000)
                                                    : static_cast<long long>(number);
}

constexpr long long kVideoPlainLimit = 100000;
constexpr long long kAudioPlainLimit = 1000;

constexpr std::array<int, 8> kAmrNbRates{4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};
constexpr std::array<int, 9> kAmrWbRates{6600,  8850,  12650, 14250, 15850,
                                         18250, 19850, 23050, 23850};

struct OutputChoices {
    std::string format;
    std::string videoCodec;
    std::string audioCodec;
    std::string start;
    std::string duration;
    std::string channels;
    std::string sampleRate;
    std::string audioBitRate;
    std::string size;
    bool hasStart = false;
    bool hasDuration = false;
    bool sameQuality = false;
    bool noAudio = false;
    bool noVideo = false;
    bool hasMap = false;

    // Derived once the options are read.
    std::string container;   // -f, else the output's extension
    bool iso = false;        // a container of the ISO family
    bool seekInput = false;  // -ss seeks the (only) input
};

// One option after the inputs: its rule (none for a token passed on unread)
// and its value.
struct OutputOption {
    const OptionRule* rule = nullptr;
    std::string token;
    std::string value;
};

// The command line cut at the last input: the input options as ffmpeg gets
// them, and the output options, each read once.
struct CommandLine {
    std::vector<std::string> inputSection;
    std::vector<OutputOption> options;
};

// Step 1: the output is the last argument and the last -i ends the input
// options. Sets the plan's inputs, output and overwrite flag; returns the
// error line, or empty text.
std::string SplitCommandLine(const std::vector<std::string>& legacy,
                             const std::vector<std::string>& inputUrls, EncodePlan& plan,
                             CommandLine& line)
{
    if (!legacy.empty() && TakesValue(legacy.back()))
        return "Error: option " + legacy.back() + " needs a value";
    size_t lastInput = std::string::npos;
    for (size_t i = 0; i + 1 < legacy.size(); ++i)
        if (legacy[i] == "-i") lastInput = i;
    if (lastInput == std::string::npos)
        return "Error: no input file given (usage: avcore.dll -i INPUT [OPTIONS] OUTPUT)";
    const size_t end = legacy.size() - 1;
    if (lastInput + 1 >= end) return "Error: no output file given after the input";
    plan.output = legacy[end];

    bool inputFormat = false;
    for (size_t i = 0; i < lastInput + 2; ++i) {
        const std::string& token = legacy[i];
        if (token == "-y") {
            plan.overwrite = true;
        } else if (token == "-n") {
            plan.overwrite = false;
        } else if (token == "-i") {
            ++i;
            const size_t n = plan.inputs.size();
            plan.inputs.push_back(legacy[i]);
            plan.inputIsFile.push_back(!inputFormat);
            line.inputSection.push_back(token);
            if (n < inputUrls.size())
                line.inputSection.push_back(inputUrls[n]);
            else
                line.inputSection.push_back(inputFormat ? legacy[i] : FileUrl(legacy[i]));
            inputFormat = false;
        } else {
            // lavfi inputs are filter graphs, not file names.
            if (token == "-f" && i + 1 < legacy.size() && legacy[i + 1] == "lavfi")
                inputFormat = true;
            line.inputSection.push_back(token);
        }
    }

    for (size_t i = lastInput + 2; i < end; ++i) {
        OutputOption option{FindOption(legacy[i]), legacy[i], {}};
        if (option.rule && option.rule->takesValue) {
            if (i + 1 >= end) return "Error: option " + legacy[i] + " needs a value";
            option.value = legacy[++i];
        }
        line.options.push_back(std::move(option));
    }
    return {};
}

// Step 2: which choices were made, wherever they stand; the last one counts.
OutputChoices ReadChoices(const std::vector<OutputOption>& options, EncodePlan& plan)
{
    OutputChoices choice;
    for (const OutputOption& option : options) {
        if (!option.rule) continue;
        const std::string& value = option.value;
        switch (option.rule->opt) {
            case Opt::Overwrite:
                plan.overwrite = true;
                break;
            case Opt::NoOverwrite:
                plan.overwrite = false;
                break;
            case Opt::Format:
                choice.format = value;
                break;
            case Opt::VideoCodec:
                choice.videoCodec = value;
                break;
            case Opt::AudioCodec:
                choice.audioCodec = value;
                break;
            case Opt::AudioBitRate:
                choice.audioBitRate = value;
                break;
            case Opt::Channels:
                choice.channels = value;
                break;
            case Opt::SampleRate:
                choice.sampleRate = value;
                break;
            case Opt::Size:
                choice.size = value;
                break;
            case Opt::SameQuality:
                choice.sameQuality = true;
                break;
            case Opt::Start:
                choice.start = value;
                choice.hasStart = true;
                break;
            case Opt::Duration:
                choice.duration = value;
                choice.hasDuration = true;
                break;
            case Opt::NoAudio:
                choice.noAudio = true;
                break;
            case Opt::NoVideo:
                choice.noVideo = true;
                break;
            case Opt::Map:
                choice.hasMap = true;
                break;
            case Opt::VideoBitRate:
            case Opt::Target:
            case Opt::PassOn:
                break;
        }
    }
    choice.container = choice.format.empty() ? Extension(plan.output) : choice.format;
    choice.iso = std::find(kIsoContainers.begin(), kIsoContainers.end(), choice.container) !=
                 kIsoContainers.end();
    // With one input a start position seeks the input: ffmpeg then decodes only
    // from the nearest key frame on, and still delivers the same frames.
    choice.seekInput = choice.hasStart && plan.inputs.size() == 1;
    return choice;
}

std::string VideoEncoderFor(const std::string& name, const OutputChoices& choice)
{
    const std::string today = Rename(kVideoEncoders, name);
    return choice.iso ? Rename(kIsoVideoEncoders, today) : today;
}

// The AMR track avcore encodes itself: its kind, mode and whether avcore
// writes a bare .amr file. Returns the error line, or empty text.
std::string PlanAmr(const OutputChoices& choice, EncodePlan& plan)
{
    if (choice.noAudio) return {};
    plan.amr = AmrKindOf(choice.audioCodec);
    // 3GP's own default audio codec is AMR, which only avcore can encode.
    if (choice.audioCodec.empty() &&
        (choice.container == "3gp" || choice.container == "3g2" || choice.container == "amr"))
        plan.amr = AmrKind::NarrowBand;
    if (plan.amr == AmrKind::None) return {};

    plan.audioEncoder = plan.amr == AmrKind::WideBand ? "amr_wb" : "amr_nb";
    plan.amrRawFile = choice.container == "amr";
    const std::string rate = std::to_string(AmrSampleRate(plan.amr));
    const std::string name = plan.amr == AmrKind::WideBand ? "AMR wide-band" : "AMR narrow-band";
    if (!choice.sampleRate.empty() && choice.sampleRate != rate)
        return "Error: " + name + " audio is " + rate + " Hz mono; a sample rate of " +
               choice.sampleRate + " Hz cannot be used";
    if (!choice.channels.empty() && choice.channels != "1")
        return "Error: " + name + " audio is " + rate + " Hz mono; " + choice.channels +
               " channels cannot be used";
    plan.amrMode = plan.amr == AmrKind::WideBand ? 8 : 7;
    if (!choice.audioBitRate.empty()) {
        const long long bits = BitsPerSecond(choice.audioBitRate, kAudioPlainLimit);
        if (bits < 0) return "Error: audio bit rate " + choice.audioBitRate + " is not a number";
        plan.amrMode = AmrModeFor(plan.amr, bits);
    }
    return {};
}

bool PositiveWholeNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return std::stol(text) > 0;
}

// A time as [[hh:]mm:]ss[.fff]; -1 when it is none, or below zero.
double Seconds(const std::string& text)
{
    double total = 0;
    size_t from = 0;
    for (int part = 0; part < 3; ++part) {
        const size_t colon = text.find(':', from);
        const std::string piece = text.substr(from, colon - from);
        if (piece.empty() || piece.find_first_not_of("0123456789.") != std::string::npos) return -1;
        total = total * 60 + std::strtod(piece.c_str(), nullptr);
        if (colon == std::string::npos) return total;
        from = colon + 1;
    }
    return -1;
}

// Step 2b: values no encoder can take are refused with one line, instead of
// an encode that "succeeds" with a zero bit rate or an empty picture.
std::string CheckValues(const std::vector<OutputOption>& options)
{
    for (const OutputOption& option : options) {
        if (!option.rule) continue;
        const std::string& value = option.value;
        switch (option.rule->opt) {
            case Opt::VideoBitRate:
                if (BitsPerSecond(value, kVideoPlainLimit) <= 0)
                    return "Error: video bit rate " + value + " is not above zero";
                break;
            case Opt::AudioBitRate:
                if (BitsPerSecond(value, kAudioPlainLimit) <= 0)
                    return "Error: audio bit rate " + value + " is not above zero";
                break;
            case Opt::SampleRate:
                if (!PositiveWholeNumber(value))
                    return "Error: sample rate " + value + " is not a number of Hz above zero";
                break;
            case Opt::Channels:
                if (value != "5:1" && !PositiveWholeNumber(value))
                    return "Error: channel count " + value + " is not a number above zero";
                break;
            case Opt::Size: {
                const size_t x = value.find('x');
                // Named sizes (vga, ...) pass on to ffmpeg.
                if (x != std::string::npos && (!PositiveWholeNumber(value.substr(0, x)) ||
                                               !PositiveWholeNumber(value.substr(x + 1))))
                    return "Error: picture size " + value + " is not WIDTHxHEIGHT above zero";
                break;
            }
            case Opt::Start:
                if (Seconds(value) < 0)
                    return "Error: start position " + value + " is not a time from zero on";
                break;
            case Opt::Duration:
                if (Seconds(value) <= 0)
                    return "Error: length " + value + " is not a time above zero";
                break;
            default:
                break;
        }
    }
    return {};
}

// Step 3: the encoders today's ffmpeg (or avcore) uses, and the choices no
// encoder can take. Returns the error line, or empty text.
std::string ChooseEncoders(const OutputChoices& choice, EncodePlan& plan)
{
    if (!choice.videoCodec.empty()) plan.videoEncoder = VideoEncoderFor(choice.videoCodec, choice);
    if (std::string error = PlanAmr(choice, plan); !error.empty()) return error;
    if (plan.amr == AmrKind::None && !choice.noAudio && !choice.audioCodec.empty())
        plan.audioEncoder = Rename(kAudioEncoders, choice.audioCodec);

    if (plan.videoEncoder == "h263" && !choice.size.empty() &&
        std::find(kH263Sizes.begin(), kH263Sizes.end(), choice.size) == kH263Sizes.end() &&
        choice.size.find('x') != std::string::npos)
        return "Error: picture size " + choice.size +
               " is not allowed for H.263 (allowed: 128x96, 176x144, 352x288, 704x576, "
               "1408x1152)";
    return {};
}

// Step 4, for one option: what today's ffmpeg gets for it, in its place.
void TranslateOption(const OutputOption& option, const OutputChoices& choice,
                     const EncodePlan& plan, std::vector<std::string>& out)
{
    if (!option.rule) {
        out.push_back(option.token);
        return;
    }
    const std::string& value = option.value;
    const bool amr = plan.amr != AmrKind::None;
    const auto add = [&out](std::string_view name, const std::string& v) {
        out.emplace_back(name);
        out.push_back(v);
    };
    switch (option.rule->opt) {
        case Opt::Overwrite:
        case Opt::NoOverwrite:
        case Opt::SameQuality:
            break;
        case Opt::Format:
            if (!plan.amrRawFile) add("-f", Rename(kFormats, value));
            break;
        case Opt::VideoCodec:
            add("-c:v", VideoEncoderFor(value, choice));
            break;
        case Opt::AudioCodec:
            if (!amr) add("-c:a", Rename(kAudioEncoders, value));
            break;
        case Opt::VideoBitRate:
            if (!choice.sameQuality) add("-b:v", BitRate(value, kVideoPlainLimit));
            break;
        case Opt::AudioBitRate:
            if (!amr) add("-b:a", BitRate(value, kAudioPlainLimit));
            break;
        case Opt::Channels:
            if (!amr) add("-ac", value == "5:1" ? std::string("6") : value);
            break;
        case Opt::SampleRate:
            if (amr) break;
            if (plan.audioEncoder == "ac3" || plan.audioEncoder == "ac3_fixed")
                add("-ar", Ac3SampleRate(value));
            else
                add("-ar", value);
            break;
        case Opt::Size:
            add("-s", plan.videoEncoder == "rv10" ? MacroblockSize(value) : value);
            break;
        case Opt::Start:
            if (!choice.seekInput) add("-ss", value);
            break;
        case Opt::Duration:
            add("-t", value);
            break;
        case Opt::Target:
            add("-target", value);
            break;
        case Opt::Map:
        case Opt::PassOn:
            add(option.rule->name, value);
            break;
        case Opt::NoAudio:
            out.emplace_back("-an");
            break;
        case Opt::NoVideo:
            out.emplace_back("-vn");
            break;
    }
}

// Step 4: the output options in today's words, and what the choices add.
std::vector<std::string> TranslateOptions(const std::vector<OutputOption>& options,
                                          const OutputChoices& choice, const EncodePlan& plan)
{
    std::vector<std::string> out;
    for (const OutputOption& option : options)
        TranslateOption(option, choice, plan, out);
    // Real Video 1 takes whole macroblocks only; keeping the source size means
    // the nearest size below it that it can take.
    if (plan.videoEncoder == "rv10" && choice.size.empty() && !choice.noVideo)
        out.insert(out.end(), {"-vf", "scale=trunc(iw/16)*16:trunc(ih/16)*16"});
    if (choice.sameQuality && !choice.noVideo) {
        QualityRule rule = kDefaultQuality;
        for (const auto& r : kQuality)
            if (r.encoder == plan.videoEncoder) rule = r;
        if (!rule.option.empty())
            out.insert(out.end(), {std::string(rule.option), std::string(rule.value)});
    }
    return out;
}

template <typename... Parts>
std::vector<std::string> Joined(const Parts&... parts)
{
    std::vector<std::string> all;
    (all.insert(all.end(), std::begin(parts), std::end(parts)), ...);
    return all;
}

// Step 5: the ffmpeg runs of the plan.
void AssembleRuns(const CommandLine& line, const std::vector<std::string>& options,
                  const std::vector<std::string>& soundFilter, const OutputChoices& choice,
                  const std::string& outputUrl, EncodePlan& plan)
{
    std::vector<std::string> inputs = line.inputSection;
    if (choice.seekInput)
        inputs.insert(std::find(inputs.begin(), inputs.end(), "-i"), {"-ss", choice.start});
    const std::vector<std::string> output{outputUrl.empty() ? FileUrl(plan.output) : outputUrl};

    if (plan.amr == AmrKind::None) {
        plan.arguments = Joined(inputs, options, output);
        if (choice.container == "psp" && !choice.noAudio && !choice.hasMap) {
            const std::string silence = std::to_string(plan.inputs.size()) + ":a:0";
            plan.withSilenceArguments = Joined(
                inputs, std::vector<std::string>{"-f", "lavfi", "-i", "anullsrc"}, options,
                std::vector<std::string>{"-map", "0:v:0", "-map", silence, "-shortest"}, output);
        }
        return;
    }

    const std::vector<std::string> pcm{"-vn",
                                       "-sn",
                                       "-dn",
                                       "-ac",
                                       "1",
                                       "-ar",
                                       std::to_string(AmrSampleRate(plan.amr)),
                                       "-c:a",
                                       "pcm_s16le",
                                       "-f",
                                       "s16le",
                                       "pipe:1"};
    if (plan.amrRawFile) {
        // The decoding run is the main run; avcore writes the .amr file itself.
        plan.arguments = Joined(inputs, options, pcm);
        return;
    }
    std::vector<std::string> duration;
    if (choice.hasDuration) duration = {"-t", choice.duration};
    plan.decoderArguments = Joined(inputs, duration, soundFilter, pcm);
    plan.silentArguments = Joined(inputs, options, std::vector<std::string>{"-an"}, output);

    std::vector<std::string> maps;
    if (!choice.noVideo) maps = {"-map", "0:v?"};
    const std::string amrInput = std::to_string(plan.inputs.size()) + ":a";
    maps.insert(maps.end(), {"-map", amrInput, "-c:a", "copy"});
    plan.arguments = Joined(
        inputs, std::vector<std::string>{"-thread_queue_size", "512", "-f", "amr", "-i", "pipe:3"},
        options, maps, output);
}

}  // namespace

std::string FileUrl(const std::string& name)
{
    if (name == "-" || name.rfind("pipe:", 0) == 0 || name.find("://") != std::string::npos)
        return name;
    return "file:" + name;
}

bool IsLocalName(const std::string& name) { return FileUrl(name).rfind("file:", 0) == 0; }

int AmrModeFor(AmrKind kind, long long bitsPerSecond)
{
    const auto pick = [bitsPerSecond](const auto& rates) {
        int mode = 0;
        for (int i = 0; i < static_cast<int>(rates.size()); ++i)
            if (rates[static_cast<size_t>(i)] <= bitsPerSecond) mode = i;
        return mode;
    };
    return kind == AmrKind::WideBand ? pick(kAmrWbRates) : pick(kAmrNbRates);
}

int AmrBitRate(AmrKind kind, int mode)
{
    const auto index = static_cast<size_t>(mode);
    return kind == AmrKind::WideBand ? kAmrWbRates.at(index) : kAmrNbRates.at(index);
}

int AmrSampleRate(AmrKind kind) { return kind == AmrKind::WideBand ? 16000 : 8000; }

EncodePlan TranslateArguments(const std::vector<std::string>& legacy,
                              const std::vector<std::string>& inputUrls,
                              const std::string& outputUrl, const SourceFacts& source)
{
    EncodePlan plan;
    CommandLine line;
    plan.error = SplitCommandLine(legacy, inputUrls, plan, line);
    if (!plan.error.empty()) return plan;
    plan.error = CheckValues(line.options);
    if (!plan.error.empty()) return plan;
    const OutputChoices choice = ReadChoices(line.options, plan);
    plan.error = ChooseEncoders(choice, plan);
    if (!plan.error.empty()) return plan;
    std::vector<std::string> options = TranslateOptions(line.options, choice, plan);
    std::vector<std::string> soundFilter;
    if (plan.inputs.size() == 1) {
        Adaptation adapted = AdaptToSource(options, choice.container, plan.inputs.front(), source,
                                           plan.amr != AmrKind::None, TimeInSeconds(choice.start));
        plan.error = adapted.error;
        if (!plan.error.empty()) return plan;
        options = std::move(adapted.options);
        soundFilter = std::move(adapted.soundFilter);
    }
    AssembleRuns(line, options, soundFilter, choice, outputUrl, plan);
    return plan;
}

}  // namespace avcore
