// Stands in for the encoder in batch tests. The first word of the input file
// says what to do: ok, error, tail (an error as the last, unterminated
// line), crash, exit3, empty, hang, or "replay FILE": print the recorded
// console FILE. Each call appends its process id and
// arguments to $FAKE_ENCODER_LOG, NUL-separated, closed by \x01, so tests
// can see exactly what it was given.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <unistd.h>

int main(int argc, char* argv[])
{
    std::string input;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "-i") input = argv[i + 1];
    const std::string output = argc > 1 ? argv[argc - 1] : "";

    if (const char* log = std::getenv("FAKE_ENCODER_LOG")) {
        std::ofstream out(log, std::ios::app | std::ios::binary);
        out << getpid() << '\0';
        for (int i = 0; i < argc; ++i)
            out << argv[i] << '\0';
        out << '\x01';
    }

    std::ifstream in(input, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    std::string mode;
    content.seekg(0);
    content >> mode;

    if (mode == "replay") {
        std::string recording;
        content >> recording;
        std::ifstream recorded(recording, std::ios::binary);
        // In pieces, as an encoder writes its console.
        char piece[512];
        while (recorded.read(piece, sizeof piece) || recorded.gcount() > 0) {
            std::fwrite(piece, 1, size_t(recorded.gcount()), stderr);
            std::fflush(stderr);
        }
        std::ofstream(output, std::ios::binary) << "converted:" + content.str();
        return 0;
    }

    std::fprintf(stderr, "Input #0, fake, from '%s':\n", input.c_str());
    std::fprintf(stderr, "  Duration: 00:00:02.00, start: 0.000000, bitrate: 1 kb/s\n");
    std::fprintf(stderr, "Output #0, fake, to '%s':\n", output.c_str());
    std::fprintf(stderr, "size=       1kB time=1.00 bitrate=   1kbits/s\r");
    std::fflush(stderr);

    if (mode == "hang") {
        std::fprintf(stderr, "size=       1kB time=1.50 bitrate=   1kbits/s\r");
        std::fflush(stderr);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (mode == "crash") {
        std::ofstream(output, std::ios::binary) << "partial";
        std::raise(SIGSEGV);
    }
    if (mode == "exit3") return 3;
    if (mode == "error") std::fprintf(stderr, "\nError: fake failure of %s\n", input.c_str());
    std::ofstream(output, std::ios::binary)
        << (mode == "empty" ? "" : "converted:" + content.str());
    std::fprintf(stderr, "size=       2kB time=2.00 bitrate=   1kbits/s\n");
    if (mode == "tail") std::fprintf(stderr, "Error: fake failure at the very end");
    return 0;
}
