#pragma once

#include <string>

namespace avcore {

// What the source holds, as far as the conversion adapts to it. known is
// false when no prober ran or it could not read the file; nothing is then
// adapted.
struct SourceFacts {
    bool known = false;
    bool hasVideo = false;  // a moving picture; cover art does not count
    bool hasAudio = false;
    std::string videoCodec;
    std::string pixelFormat;
    std::string fieldOrder;  // progressive, tt, bb, tb, bt, unknown or empty
    int width = 0;
    int height = 0;
    double frameRate = 0;    // the stream's base rate, 0 when unknown
    double averageRate = 0;  // frames over duration, 0 when unknown
    double videoStart = -1;  // seconds, -1 when unknown
    double audioStart = -1;
    int sampleRate = 0;  // of the first sound stream
};

}  // namespace avcore
