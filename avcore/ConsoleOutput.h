#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Process.h"

// What the converter reads from avcore: ffmpeg's header lines naming the files
// as the caller gave them, progress lines " time=<seconds> " ending in CR, and
// one line starting "Error" per failure.
namespace avcore {

enum class LogLevel { Info, Warning, Error };

struct LogLine {
    LogLevel level = LogLevel::Info;
    std::string text;  // without ffmpeg's level tag, names as the caller gave them
};

// A name fit for one console line: control characters become '?'.
std::string DisplayName(const std::string& name);

// The display name in single quotes, as ffmpeg quotes names.
std::string Quote(const std::string& name);

class ConsoleRewriter {
public:
    // Each URL ffmpeg was given is shown as the matching display name.
    void addName(const std::string& url, const std::string& name);

    // One line of ffmpeg's stderr, run with "-loglevel level+info".
    LogLine rewrite(const std::string& line) const;

    // ffmpeg's statistics and its closing failure line: avcore prints progress
    // with the time in seconds, and its own error line.
    static bool isReplacedByAvcore(const std::string& text);

    // ffmpeg logs a failed write of the output file but may still exit with 0.
    static bool reportsLostOutput(const std::vector<std::string>& errors);

    // A line of ffmpeg's stream listing that names a sound stream.
    static bool listsSoundStream(const std::string& text);

    // The input lacks the kind of stream a run asked for.
    static bool reportsNoStream(const std::vector<std::string>& errors);

    // The line for a problem that did not stop the conversion; it never reads as
    // an error line.
    static std::string asNotice(const std::string& text);

    // One "Error: ..." line naming the cause, from ffmpeg's error lines.
    std::string describeFailure(const std::vector<std::string>& errors,
                                const std::string& fallback) const;

private:
    std::string replaceNames(std::string text) const;
    std::vector<std::pair<std::string, std::string>> m_names;
};

// Tags of the media (titles, comments) are text of the file's author; shown
// on the console they could read as error, progress or header lines to the
// converter, so ffmpeg's "Metadata:" blocks are left out.
class MetadataFilter {
public:
    // True when the header line belongs to a metadata block.
    bool skips(const std::string& line);

private:
    size_t m_indent = std::string::npos;  // of the open block's "Metadata:" line
};

// Collects ffmpeg's "-progress" key=value lines; a finished block gives one
// progress line.
class ProgressReader {
public:
    // Returns the console line (ending in CR, CR LF for the last block) when
    // the line closes a block, else empty text.
    std::string feed(const std::string& line);

private:
    std::map<std::string, std::string> m_values;
};

// Splits a byte stream into lines at LF or CR; a line never grows beyond
// kMaxLine bytes, whatever the child writes.
class LineSplitter {
public:
    static constexpr size_t kMaxLine = 64 * 1024;

    template <typename Callback>
    void feed(const char* data, size_t size, Callback&& callback)
    {
        for (size_t i = 0; i < size; ++i) {
            const char c = data[i];
            if (c == '\n' || c == '\r') {
                if (!m_pending.empty()) callback(m_pending);
                m_pending.clear();
            } else {
                m_pending.push_back(c);
                if (m_pending.size() >= kMaxLine) {
                    callback(m_pending);
                    m_pending.clear();
                }
            }
        }
    }
    template <typename Callback>
    void finish(Callback&& callback)
    {
        if (!m_pending.empty()) callback(m_pending);
        m_pending.clear();
    }

private:
    std::string m_pending;
};

// Reads what fd has ready and passes on the lines it completes; at its end
// the last line follows and fd is closed.
void ReadLines(Fd& fd, LineSplitter& lines, const std::function<void(const std::string&)>& onLine);

}  // namespace avcore
