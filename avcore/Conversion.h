#pragma once

#include <string>
#include <vector>

namespace avcore {

// Runs one conversion for the era's option list: checks the files, runs
// ffmpeg (and the AMR encoder), prints the console lines and puts the output
// in place only when everything succeeded. Returns the exit status.
int RunConversion(const std::vector<std::string>& legacy);

}  // namespace avcore
