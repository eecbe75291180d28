#include "FfmpegLocation.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace avcore {
namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindFfmpeg(const char* override, const std::string& ownFolder, const char* path)
{
    if (override && *override && IsExecutableFile(override)) return override;
    if (!ownFolder.empty() && IsExecutableFile(ownFolder + "/ffmpeg")) return ownFolder + "/ffmpeg";
    const std::string list = path ? path : "";
    size_t start = 0;
    while (start <= list.size()) {
        size_t colon = list.find(':', start);
        if (colon == std::string::npos) colon = list.size();
        const std::string folder = list.substr(start, colon - start);
        // An empty PATH entry means the current folder.
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/ffmpeg";
        if (!list.empty() && IsExecutableFile(candidate)) return candidate;
        start = colon + 1;
    }
    return {};
}

std::string OwnFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    const std::string self(buffer, static_cast<size_t>(n));
    const size_t slash = self.find_last_of('/');
    return slash == std::string::npos ? std::string() : self.substr(0, slash);
}

}  // namespace avcore
