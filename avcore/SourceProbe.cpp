#include "SourceProbe.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>

#include "Process.h"

namespace avcore {
namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// "num/den" or a plain number; 0 for anything else (ffprobe writes 0/0 when
// it does not know).
double Rate(const std::string& text)
{
    char* end = nullptr;
    const double num = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return 0;
    if (*end == '\0') return num;
    if (*end != '/') return 0;
    const double den = std::strtod(end + 1, nullptr);
    return den > 0 && num > 0 ? num / den : 0;
}

double Seconds(const std::string& text)
{
    if (text.empty() || text == "N/A") return -1;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() ? -1 : value;
}

std::map<std::string, std::string> Fields(const std::string& line)
{
    std::map<std::string, std::string> fields;
    size_t start = 0;
    while (start < line.size()) {
        size_t bar = line.find('|', start);
        if (bar == std::string::npos) bar = line.size();
        const std::string field = line.substr(start, bar - start);
        const size_t equals = field.find('=');
        if (equals != std::string::npos) fields[field.substr(0, equals)] = field.substr(equals + 1);
        start = bar + 1;
    }
    return fields;
}

}  // namespace

std::string FindFfprobe(const std::string& ffmpeg, const char* path)
{
    const size_t slash = ffmpeg.find_last_of('/');
    if (slash != std::string::npos && IsExecutableFile(ffmpeg.substr(0, slash) + "/ffprobe"))
        return ffmpeg.substr(0, slash) + "/ffprobe";
    const std::string list = path ? path : "";
    size_t start = 0;
    while (!list.empty() && start <= list.size()) {
        size_t colon = list.find(':', start);
        if (colon == std::string::npos) colon = list.size();
        const std::string folder = list.substr(start, colon - start);
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/ffprobe";
        if (IsExecutableFile(candidate)) return candidate;
        start = colon + 1;
    }
    return {};
}

SourceFacts ParseProbeOutput(const std::string& text)
{
    SourceFacts facts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const auto fields = Fields(text.substr(start, end - start));
        start = end + 1;
        const auto value = [&fields](const char* key) {
            const auto it = fields.find(key);
            return it == fields.end() ? std::string() : it->second;
        };
        const std::string type = value("codec_type");
        if (type.empty()) continue;
        facts.known = true;
        if (type == "audio" && !facts.hasAudio) {
            facts.hasAudio = true;
            facts.audioStart = Seconds(value("start_time"));
            facts.sampleRate = std::atoi(value("sample_rate").c_str());
        } else if (type == "video" && !facts.hasVideo && value("disposition:attached_pic") != "1") {
            // Cover art is a still in a sound file, not a picture to convert.
            facts.hasVideo = true;
            facts.videoCodec = value("codec_name");
            facts.pixelFormat = value("pix_fmt");
            facts.fieldOrder = value("field_order");
            facts.width = std::atoi(value("width").c_str());
            facts.height = std::atoi(value("height").c_str());
            facts.frameRate = Rate(value("r_frame_rate"));
            facts.averageRate = Rate(value("avg_frame_rate"));
            facts.videoStart = Seconds(value("start_time"));
        }
    }
    return facts;
}

SourceFacts ProbeSource(const std::string& ffprobe, const std::string& url)
{
    if (ffprobe.empty()) return {};
    std::string error;
    Pipe out;
    if (!MakePipe(out, error)) return {};
    const std::vector<std::string> args{
        "-v",
        "quiet",
        "-show_entries",
        "stream=codec_type,codec_name,sample_rate,pix_fmt,field_order,width,height,r_frame_rate,"
        "avg_frame_rate,start_time:stream_disposition=attached_pic",
        "-of",
        "compact=p=0",
        url};
    const pid_t child = Spawn(ffprobe, args, {{1, out.write.get()}}, error);
    out.write.reset();
    if (child < 0) return {};
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(out.read.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (text.size() < (1 << 20)) text.append(buffer, static_cast<size_t>(n));
    }
    const int status = WaitFor(child);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return ParseProbeOutput(text);
}

}  // namespace avcore
