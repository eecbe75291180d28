#pragma once

#include <string>
#include <vector>

#include "SourceFacts.h"

// Turns the option list of the converter's era into today's ffmpeg call. Pure:
// no file is looked at, so every translation can be checked from a table.
namespace avcore {

enum class AmrKind { None, NarrowBand, WideBand };

struct EncodePlan {
    std::vector<std::string> inputs;  // as given on the command line
    std::vector<bool> inputIsFile;    // false for lavfi graphs
    std::string output;               // as given on the command line
    bool overwrite = false;           // -y was given

    // The ffmpeg run whose console output is shown. Inputs and the output
    // appear in it as the URLs passed to TranslateArguments.
    std::vector<std::string> arguments;

    // AMR is encoded by avcore: a decoding run delivers mono s16 PCM on its
    // standard output. With a container the main run muxes our AMR stream,
    // read from pipe:3; for a bare .amr file the main run is the decoder itself
    // and avcore writes the file.
    AmrKind amr = AmrKind::None;
    int amrMode = 0;  // codec mode index of the chosen bit rate
    bool amrRawFile = false;
    std::vector<std::string> decoderArguments;
    // The main run for an input without sound: no AMR track.
    std::vector<std::string> silentArguments;

    // The psp container takes no video without a sound track: for an input
    // without sound the main run is made again with this call, which adds a
    // silent one. Empty when the output needs none or sound was switched off.
    std::vector<std::string> withSilenceArguments;

    std::string videoEncoder;  // today's encoder names, empty when not chosen
    std::string audioEncoder;

    // A complete "Error..." line when the options cannot work.
    std::string error;
};

// inputUrls (one per -i, in order) and outputUrl replace the names given on
// the command line; when empty, FileUrl of each given name is used. The steps:
// split the command line, read the choices made, pick the encoders (and plan
// the AMR track), translate each option, adapt them to the source when its
// facts are known (one input only), and put the runs together.
EncodePlan TranslateArguments(const std::vector<std::string>& legacy,
                              const std::vector<std::string>& inputUrls = {},
                              const std::string& outputUrl = {}, const SourceFacts& source = {});

// The URL under which ffmpeg reads or writes a local name: "file:" keeps a
// leading dash or a colon in a name from being read as an option or protocol.
std::string FileUrl(const std::string& name);

// A name of the local file system rather than a protocol URL or a pipe.
bool IsLocalName(const std::string& name);

// Highest AMR mode whose bit rate does not exceed the one asked for (the
// lowest mode when all do), for a bit rate in bit/s.
int AmrModeFor(AmrKind kind, long long bitsPerSecond);
int AmrBitRate(AmrKind kind, int mode);
int AmrSampleRate(AmrKind kind);

}  // namespace avcore
