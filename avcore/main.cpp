#include <string>
#include <vector>

#include "Conversion.h"

// avcore.dll: the converter's encoder, driving ffmpeg behind the option set
// the converter speaks.
int main(int argc, char** argv)
{
    return avcore::RunConversion(std::vector<std::string>(argv + 1, argv + argc));
}
