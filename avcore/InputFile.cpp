#include "InputFile.h"

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "Arguments.h"
#include "ConsoleOutput.h"
#include "ScriptInput.h"

namespace avcore {
namespace {

bool HasControlCharacters(const std::string& name)
{
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

InputCheck Refused(std::string error) { return {{}, std::move(error), Fd()}; }
InputCheck Accepted(std::string url) { return {std::move(url), {}, Fd()}; }

}  // namespace

InputCheck CheckInput(const std::string& given, bool isFile)
{
    if (!isFile || !IsLocalName(given)) return Accepted(isFile ? FileUrl(given) : given);
    std::string media = given;
    if (IsScriptName(given)) {
        const int fd = ::open(given.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Refused("Error: cannot open input " + Quote(given) + ": " + strerror(errno));
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < (1 << 20))
            text.append(buffer, static_cast<size_t>(n));
        ::close(fd);
        media = ScriptSource(text, given);
        if (media.empty())
            return Refused("Error: the script " + Quote(given) +
                           " names no input file (DirectShowSource(\"...\") is missing)");
    }
    struct stat info {};
    if (::stat(media.c_str(), &info) != 0)
        return Refused("Error: cannot open input " + Quote(media) + ": " + strerror(errno));
    if (S_ISDIR(info.st_mode))
        return Refused("Error: the input " + Quote(media) + " is a folder, not a media file");
    const int fd = ::open(media.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Refused("Error: cannot open input " + Quote(media) + ": " + strerror(errno));
    if (!HasControlCharacters(media)) {
        ::close(fd);
        return Accepted(FileUrl(media));
    }
    // A line break in the name would split ffmpeg's log lines: ffmpeg reads
    // the file through the descriptor it inherits instead.
    InputCheck check;
    check.open = Fd(::fcntl(fd, F_DUPFD, 10));
    ::close(fd);
    check.url = "file:/proc/self/fd/" + std::to_string(check.open.get());
    return check;
}

}  // namespace avcore
