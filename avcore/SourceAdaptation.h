#pragma once

#include <string>
#include <vector>

#include "SourceFacts.h"

// What every conversion adds for its source, whichever front composed the
// options: deinterlacing, a frame rate the format takes, a pixel format common
// decoders play, sound kept in step when it starts after the picture, and a
// clear refusal when a video format gets a file without picture. Pure, so it
// can be checked from a table.
namespace avcore {

struct Adaptation {
    std::vector<std::string> options;  // the output options, adapted
    // Filter options for a run that decodes the sound apart (the AMR track).
    std::vector<std::string> soundFilter;
    std::string error;  // a complete "Error..." line, or empty
};

// options: the output options in today's words (as TranslateArguments gives
// them to ffmpeg); container: -f or the output's extension; inputName: the
// input as the user named it, for the error line; soundApart: the sound is
// decoded by a run of its own, which alone gets sound filters; start: the
// seconds skipped at the input's start.
Adaptation AdaptToSource(const std::vector<std::string>& options, const std::string& container,
                         const std::string& inputName, const SourceFacts& facts,
                         bool soundApart = false, double start = 0);

// "h:mm:ss.ff", "mm:ss" or seconds as seconds; 0 for anything else.
double TimeInSeconds(const std::string& text);

// The frame rate to write for a source rate when none is asked for, as an
// ffmpeg rate ("30000/1001"); empty when the source's own rate is fine.
std::string RateFor(const std::string& encoder, const std::string& container,
                    const SourceFacts& facts);

}  // namespace avcore
