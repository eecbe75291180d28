// A scripted child for the runner's tests. Each argument is one step, run in
// order; the process exits with 0 after the last one.
//   out:TEXT  err:TEXT   write TEXT to standard output / error, unbuffered
//   big:N  bigerr:N      write N pattern bytes (byte i is i % 251)
//   sleep:MS             pause
//   exit:N  signal:N     end now with exit status N / by signal N
//   stdin                read standard input to its end, print "stdin <bytes>"
//   status               print "nice <n> pgid <g> sid <s> pid <p>"
//   ignored:N            print "ignored" or "default" for signal N
//   grandchild           start a process that never ends, print "grandchild <pid>"
//   never                wait forever
//   args                 print every later argument followed by a zero byte

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

void writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            std::_Exit(120);
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void writeText(int fd, const std::string& text) { writeAll(fd, text.data(), text.size()); }

void writePattern(int fd, long count)
{
    std::string block;
    for (long i = 0; i < count; ++i) {
        block.push_back(static_cast<char>(i % 251));
        if (block.size() == 4096) {
            writeText(fd, block);
            block.clear();
        }
    }
    writeText(fd, block);
}

[[noreturn]] void waitForever()
{
    for (;;)
        ::pause();
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        const std::string value = step.substr(step.find(':') + 1);
        if (startsWith(step, "out:")) {
            writeText(1, value);
        } else if (startsWith(step, "err:")) {
            writeText(2, value);
        } else if (startsWith(step, "big:")) {
            writePattern(1, std::atol(value.c_str()));
        } else if (startsWith(step, "bigerr:")) {
            writePattern(2, std::atol(value.c_str()));
        } else if (startsWith(step, "sleep:")) {
            ::usleep(static_cast<useconds_t>(std::atol(value.c_str()) * 1000));
        } else if (startsWith(step, "exit:")) {
            std::_Exit(std::atoi(value.c_str()));
        } else if (startsWith(step, "signal:")) {
            ::raise(std::atoi(value.c_str()));
        } else if (step == "stdin") {
            char buffer[4096];
            long total = 0;
            ssize_t got;
            while ((got = ::read(0, buffer, sizeof buffer)) != 0) {
                if (got < 0 && errno != EINTR) break;
                if (got > 0) total += got;
            }
            writeText(1, "stdin " + std::to_string(total) + "\n");
        } else if (step == "status") {
            errno = 0;
            const int nice = ::getpriority(PRIO_PROCESS, 0);
            writeText(1, "nice " + std::to_string(nice) + " pgid " + std::to_string(::getpgrp()) +
                             " sid " + std::to_string(::getsid(0)) + " pid " +
                             std::to_string(::getpid()) + "\n");
        } else if (startsWith(step, "ignored:")) {
            struct sigaction current = {};
            ::sigaction(std::atoi(value.c_str()), nullptr, &current);
            writeText(1, current.sa_handler == SIG_IGN ? "ignored\n" : "default\n");
        } else if (step == "grandchild") {
            const pid_t pid = ::fork();
            if (pid == 0) waitForever();
            writeText(1, "grandchild " + std::to_string(pid) + "\n");
        } else if (step == "never") {
            waitForever();
        } else if (step == "args") {
            for (int j = i + 1; j < argc; ++j)
                writeAll(1, argv[j], std::strlen(argv[j]) + 1);
            return 0;
        } else {
            writeText(2, "chatter: unknown step " + step + "\n");
            return 99;
        }
    }
    return 0;
}
