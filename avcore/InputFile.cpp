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

const char* KindOf(mode_t mode)
{
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "no file";
}

// Opens a regular file for reading, or gives the error line. A named pipe
// would block open() until a writer comes, and a device may never end, so
// anything else is refused before and after the non-blocking open.
std::string OpenRegular(const std::string& name, Fd& fd)
{
    struct stat info {};
    const auto refusal = [&name, &info]() -> std::string {
        if (S_ISREG(info.st_mode)) return {};
        if (S_ISDIR(info.st_mode))
            return "Error: the input " + Quote(name) + " is a folder, not a media file";
        return "Error: the input " + Quote(name) + " is not a regular file (" +
               KindOf(info.st_mode) + ")";
    };
    if (::stat(name.c_str(), &info) != 0)
        return "Error: cannot open input " + Quote(name) + ": " + strerror(errno);
    if (std::string error = refusal(); !error.empty()) return error;
    fd = Fd(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen() || ::fstat(fd.get(), &info) != 0)
        return "Error: cannot open input " + Quote(name) + ": " + strerror(errno);
    return refusal();
}

}  // namespace

InputCheck CheckInput(const std::string& given, bool isFile)
{
    if (!isFile || !IsLocalName(given)) return Accepted(isFile ? FileUrl(given) : given);
    std::string media = given;
    Fd fd;
    if (IsScriptName(given)) {
        if (std::string error = OpenRegular(given, fd); !error.empty()) return Refused(error);
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd.get(), buffer, sizeof buffer)) > 0 && text.size() < (1 << 20))
            text.append(buffer, static_cast<size_t>(n));
        media = ScriptSource(text, given);
        if (media.empty())
            return Refused("Error: the script " + Quote(given) +
                           " names no input file (DirectShowSource(\"...\") is missing)");
    }
    if (std::string error = OpenRegular(media, fd); !error.empty()) return Refused(error);
    if (!HasControlCharacters(media)) return Accepted(FileUrl(media));
    // A line break in the name would split ffmpeg's log lines: ffmpeg reads
    // the file through the descriptor it inherits instead.
    InputCheck check;
    check.open = Fd(::fcntl(fd.get(), F_DUPFD, 10));
    check.url = "file:/proc/self/fd/" + std::to_string(check.open.get());
    return check;
}

}  // namespace avcore
