#include "ConsoleOutput.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace avcore {
namespace {

struct LevelTag {
    std::string_view tag;
    LogLevel level;
};

constexpr std::array kLevelTags{
    LevelTag{"[info] ", LogLevel::Info},       LevelTag{"[verbose] ", LogLevel::Info},
    LevelTag{"[debug] ", LogLevel::Info},      LevelTag{"[trace] ", LogLevel::Info},
    LevelTag{"[warning] ", LogLevel::Warning}, LevelTag{"[error] ", LogLevel::Error},
    LevelTag{"[fatal] ", LogLevel::Error},     LevelTag{"[panic] ", LogLevel::Error},
};

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// "[mp4 @ 0x55d0c1e2] " in front of a message names the component that spoke;
// nested components give several of them.
size_t ComponentPrefixLength(std::string_view text)
{
    size_t length = 0;
    while (StartsWith(text.substr(length), "[")) {
        const std::string_view rest = text.substr(length);
        const size_t close = rest.find("] ");
        if (close == std::string_view::npos ||
            rest.substr(0, close).find(" @ ") == std::string_view::npos)
            break;
        length += close + 2;
    }
    return length;
}

// "[rv10 @ 0x55d0c1e2] width ..." becomes "rv10: width ...": the component
// (encoder, muxer) tells the user which choice the message is about.
std::string NamedByComponent(const std::string& text)
{
    const size_t length = ComponentPrefixLength(text);
    if (length == 0) return text;
    const size_t open = text.rfind('[', length - 1);
    const size_t at = text.find(" @ ", open);
    return text.substr(open + 1, at - open - 1) + ": " + text.substr(length);
}

std::string Between(const std::string& text, std::string_view start, std::string_view stop)
{
    const size_t from = text.find(start);
    if (from == std::string::npos) return {};
    const size_t begin = from + start.size();
    const size_t to = text.find(stop, begin);
    return to == std::string::npos ? text.substr(begin) : text.substr(begin, to - begin);
}

struct Cause {
    std::string_view marker;
    std::string (*describe)(const std::string& line);
};

// ffmpeg's wording of the causes a user can act on, most specific first.
const std::array kCauses{
    Cause{"Unknown encoder '",
          [](const std::string& l) {
              return "Error: unknown codec '" + Between(l, "Unknown encoder '", "'") + "'";
          }},
    Cause{"is not valid for the H.263 codec",
          [](const std::string& l) {
              return "Error: picture size " + Between(l, "picture size of ", " is") +
                     " is not allowed for H.263 (allowed: 128x96, 176x144, 352x288, 704x576, "
                     "1408x1152)";
          }},
    Cause{"No space left on device",
          [](const std::string&) {
              return std::string(
                  "Error: the disk is full, the output could not be written "
                  "(No space left on device)");
          }},
    Cause{"File too large",
          [](const std::string&) {
              return std::string(
                  "Error: the output file grew beyond the size allowed, the disk "
                  "or quota is full (File too large)");
          }},
    Cause{"Invalid data found when processing input",
          [](const std::string& l) {
              return "Error: the input is not a media file that can be read: " + l;
          }},
    Cause{"Requested output format '",
          [](const std::string& l) {
              return "Error: unknown output format '" +
                     Between(l, "Requested output format '", "'") + "'";
          }},
    Cause{"Empty output",
          [](const std::string&) {
              return std::string(
                  "Error: nothing was converted: the input holds nothing from the start time "
                  "on for the duration asked for");
          }},
    Cause{"does not contain any stream",
          [](const std::string&) {
              return std::string(
                  "Error: the input has no stream of the kind asked for, "
                  "nothing to convert");
          }},
    Cause{"matches no streams",
          [](const std::string&) {
              return std::string(
                  "Error: the input has no stream of the kind asked for, "
                  "nothing to convert");
          }},
};

// Lines that only say that something before them went wrong.
constexpr std::array<std::string_view, 8> kConsequences{
    "Conversion failed!",          "Error initializing output stream",
    "Error while opening encoder", "Could not write header for output file",
    "Error opening output file",   "Error selecting an encoder",
    "Error while filtering",       "Error closing logfile",
};

std::string TwoDecimals(long long hundredths)
{
    std::string digits = std::to_string(hundredths / 100) + '.';
    const long long rest = hundredths % 100;
    if (rest < 10) digits += '0';
    return digits + std::to_string(rest);
}

}  // namespace

std::string DisplayName(const std::string& name)
{
    std::string shown = name;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return shown;
}

std::string Quote(const std::string& name) { return '\'' + DisplayName(name) + '\''; }

void ConsoleRewriter::addName(const std::string& url, const std::string& name)
{
    m_names.emplace_back(url, DisplayName(name));
}

std::string ConsoleRewriter::replaceNames(std::string text) const
{
    for (const auto& [url, name] : m_names) {
        if (url.empty()) continue;
        for (size_t at = text.find(url); at != std::string::npos;
             at = text.find(url, at + name.size()))
            text.replace(at, url.size(), name);
    }
    return text;
}

LogLine ConsoleRewriter::rewrite(const std::string& line) const
{
    LogLine result;
    const size_t component = ComponentPrefixLength(line);
    std::string_view rest = std::string_view(line).substr(component);
    for (const auto& entry : kLevelTags) {
        if (StartsWith(rest, entry.tag)) {
            result.level = entry.level;
            rest.remove_prefix(entry.tag.size());
            break;
        }
    }
    result.text = replaceNames(line.substr(0, component) + std::string(rest));
    return result;
}

bool ConsoleRewriter::reportsLostOutput(const std::vector<std::string>& errors)
{
    static constexpr std::array<std::string_view, 5> kMarkers{
        "No space left on device", "File too large", "Error writing trailer", "Error closing file",
        "Input/output error"};
    for (const auto& line : errors)
        for (const auto marker : kMarkers)
            if (line.find(marker) != std::string::npos) return true;
    return false;
}

bool ConsoleRewriter::reportsNoStream(const std::vector<std::string>& errors)
{
    for (const auto& line : errors)
        if (line.find("does not contain any stream") != std::string::npos ||
            line.find("matches no streams") != std::string::npos)
            return true;
    return false;
}

bool ConsoleRewriter::listsSoundStream(const std::string& text)
{
    const size_t indent = text.find_first_not_of(' ');
    return indent != std::string::npos && text.compare(indent, 8, "Stream #") == 0 &&
           text.find(": Audio: ") != std::string::npos;
}

bool ConsoleRewriter::isReplacedByAvcore(const std::string& text)
{
    return StartsWith(text, "frame=") || StartsWith(text, "size=") ||
           StartsWith(text, "ffmpeg stats and -progress period") || text == "Conversion failed!";
}

std::string ConsoleRewriter::asNotice(const std::string& text)
{
    return StartsWith(text, "Error") ? "Warning: " + text : text;
}

std::string ConsoleRewriter::describeFailure(const std::vector<std::string>& errors,
                                             const std::string& fallback) const
{
    std::vector<std::string> messages;
    for (const auto& line : errors) {
        if (ComponentPrefixLength(line) < line.size()) messages.push_back(NamedByComponent(line));
    }
    for (const auto& cause : kCauses)
        for (const auto& message : messages)
            if (message.find(cause.marker) != std::string::npos)
                return DisplayName(cause.describe(message));
    const auto isConsequence = [](const std::string& message) {
        for (const auto prefix : kConsequences)
            if (StartsWith(message, prefix)) return true;
        return false;
    };
    std::string chosen;
    for (const auto& message : messages) {
        if (!isConsequence(message)) {
            chosen = message;
            break;
        }
    }
    if (chosen.empty() && !messages.empty()) chosen = messages.front();
    if (chosen.empty()) return DisplayName(fallback);
    return DisplayName(StartsWith(chosen, "Error") ? chosen : "Error: " + chosen);
}

bool MetadataFilter::skips(const std::string& line)
{
    const size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos) return m_indent != std::string::npos;
    if (m_indent != std::string::npos && indent > m_indent) return true;
    m_indent = std::string::npos;
    if (line.compare(indent, std::string::npos, "Metadata:") != 0) return false;
    m_indent = indent;
    return true;
}

std::string ProgressReader::feed(const std::string& line)
{
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return {};
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key != "progress") {
        m_values[key] = value;
        return {};
    }
    const auto get = [this](const char* name) {
        const auto it = m_values.find(name);
        return it == m_values.end() || it->second.empty() ? std::string("N/A") : it->second;
    };
    std::string time = "N/A";
    const std::string micro = get("out_time_us");
    if (micro != "N/A") {
        const long long us = std::atoll(micro.c_str());
        time = TwoDecimals(us > 0 ? (us + 5000) / 10000 : 0);
    }
    std::string size = get("total_size");
    if (size != "N/A") size = std::to_string(std::atoll(size.c_str()) / 1024) + "kB";
    return "frame=" + get("frame") + " fps=" + get("fps") + " size=" + size + " time=" + time +
           " bitrate=" + get("bitrate") + " speed=" + get("speed") +
           (value == "end" ? "\r\n" : "\r");
}

void ReadLines(Fd& fd, LineSplitter& lines, const std::function<void(const std::string&)>& onLine)
{
    char buffer[65536];
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return;
    if (n <= 0) {
        lines.finish(onLine);
        fd.reset();
        return;
    }
    lines.feed(buffer, static_cast<size_t>(n), onLine);
}

}  // namespace avcore
