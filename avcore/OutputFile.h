#pragma once

#include <string>
#include <vector>

#include "Process.h"
#include "Watchdog.h"

namespace avcore {

// Where ffmpeg writes: a fresh hidden file beside the output, renamed onto the
// output only after success, so a failed run leaves neither a partial file
// nor a damaged earlier file behind. The watchdog removes the hidden file also
// when avcore is killed and cannot.
struct OutputFile {
    std::string target;
    std::string temporary;  // empty when ffmpeg writes the target directly
    // Something lay at the target when avcore started, and -y lets it be
    // replaced; a file that appears there later is another run's and stays.
    bool replaces = false;
    Fd fd;
    Watchdog watchdog;
    std::string error;

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Moves the finished file into place; fails when a file appeared at the
    // target meanwhile and is not to be replaced.
    bool commit();
};

// Checks the output name (exists without -y, is a folder, is the input) and
// creates the temporary file; out.error holds the error line on failure.
void PrepareOutput(OutputFile& out, const std::string& given, bool overwrite,
                   const std::vector<std::string>& inputUrls);

}  // namespace avcore
