#pragma once

#include <string>

#include "SourceFacts.h"

namespace avcore {

// ffprobe beside the ffmpeg that runs the conversion, else the first one on
// PATH; empty when there is none.
std::string FindFfprobe(const std::string& ffmpeg, const char* path);

// Reads the facts of the input at url (a "file:" URL) with ffprobe. Facts stay
// unknown when ffprobe fails: the conversion then goes on as asked.
SourceFacts ProbeSource(const std::string& ffprobe, const std::string& url);

// Parses ffprobe's compact stream listing (one "key=value|..." line per
// stream); kept apart so the reading can be checked from text.
SourceFacts ParseProbeOutput(const std::string& text);

}  // namespace avcore
