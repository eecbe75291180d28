#include "OutputFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "Arguments.h"
#include "ConsoleOutput.h"

namespace avcore {
namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// rename() that fails with EEXIST instead of replacing a file at to.
int RenameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL) return -1;
    // The file system lacks the flag; a hard link refuses a taken name as well.
    if (::link(from, to) != 0) return -1;
    ::unlink(from);
    return 0;
}

}  // namespace

OutputFile::~OutputFile()
{
    if (!temporary.empty()) ::unlink(temporary.c_str());
}

bool OutputFile::commit()
{
    if (temporary.empty()) return true;
    const int moved = replaces ? ::rename(temporary.c_str(), target.c_str())
                               : RenameNoReplace(temporary.c_str(), target.c_str());
    if (moved != 0 && errno == EEXIST) {
        error = "Error: the output " + Quote(target) +
                " appeared during the conversion and was not replaced";
        return false;
    }
    if (moved != 0) {
        error =
            "Error: cannot put the output in place as " + Quote(target) + ": " + strerror(errno);
        return false;
    }
    temporary.clear();
    watchdog.release();
    return true;
}

void PrepareOutput(OutputFile& out, const std::string& given, bool overwrite,
                   const std::vector<std::string>& inputUrls)
{
    out.target = given;
    if (!IsLocalName(given)) return;
    struct stat info {};
    out.replaces = ::lstat(given.c_str(), &info) == 0;
    if (::stat(given.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            out.error = "Error: the output " + Quote(given) + " is a folder";
            return;
        }
        for (const auto& url : inputUrls) {
            struct stat input {};
            if (url.rfind("file:", 0) == 0 && ::stat(url.c_str() + 5, &input) == 0 &&
                input.st_dev == info.st_dev && input.st_ino == info.st_ino) {
                out.error = "Error: the output " + Quote(given) + " is the input file";
                return;
            }
        }
        if (!overwrite) {
            out.error = "Error: the output file " + Quote(given) +
                        " already exists (give -y to replace it)";
            return;
        }
        if (!S_ISREG(info.st_mode)) return;  // a device or pipe is written in place
    }
    // The temporary name keeps only the extension, from which ffmpeg picks the
    // container, so no odd character of the real name reaches ffmpeg's log.
    const std::string folder = FolderOf(given);
    const std::string base = BaseName(given);
    const size_t dot = base.find_last_of('.');
    std::string suffix = dot == std::string::npos ? std::string() : base.substr(dot);
    const bool plain = suffix.size() <= 12 && std::all_of(suffix.begin(), suffix.end(), [](char c) {
                           return c == '.' || std::isalnum(static_cast<unsigned char>(c));
                       });
    if (!plain) suffix.clear();
    std::string pattern = folder + "/.avcore-XXXXXX" + suffix;
    // Without a watchdog (no process to spare) the file is made all the same;
    // only a kill of avcore would leave it.
    out.watchdog.start();
    const int fd = out.watchdog.createTemporary(pattern);
    if (fd < 0) {
        const int code = errno;
        out.error = "Error: cannot write the output file " + Quote(given) + ": " +
                    (code == ENOENT ? "the folder " + Quote(folder) + " does not exist"
                                    : std::string(strerror(code)));
        return;
    }
    // mkstemp makes owner-only files; the output gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    out.temporary = pattern;
    out.fd = Fd(fd);
}

}  // namespace avcore
