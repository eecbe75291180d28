#pragma once

#include <string>

#include "Process.h"

namespace avcore {

// The media file behind one input as ffmpeg is to read it, or an error line.
struct InputCheck {
    std::string url;
    std::string error;
    Fd open{};  // kept open for the children when they read it by descriptor
};

// Checks that a local input can be read; a script stands for the file it
// names. Inputs that are no files (filter graphs, URLs) pass unchecked.
InputCheck CheckInput(const std::string& given, bool isFile);

}  // namespace avcore
