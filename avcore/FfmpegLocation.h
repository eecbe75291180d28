#pragma once

#include <string>

namespace avcore {

// ffmpeg to run: $CLIPFORGE_FFMPEG, else "ffmpeg" beside avcore itself, else
// the first "ffmpeg" on PATH. Empty when none of them is an executable file.
std::string FindFfmpeg(const char* override, const std::string& ownFolder, const char* path);

// The folder of the running executable, without trailing slash.
std::string OwnFolder();

}  // namespace avcore
