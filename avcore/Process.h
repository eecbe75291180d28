#pragma once

#include <poll.h>
#include <sys/types.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace avcore {

// One end of a pipe, closed when it goes out of scope.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset();

private:
    int m_fd = -1;
};

struct Pipe {
    Fd read;
    Fd write;
};

// A close-on-exec pipe whose ends lie above the descriptors a child is given.
bool MakePipe(Pipe& pipe, std::string& error);

// Starts program with args (no shell), standard input from /dev/null and
// childFd <- parentFd for each entry of fds. The child is killed when avcore
// ends, however it ends. Returns the pid, or -1 with error.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::pair<int, int>>& fds, std::string& error);

// The descriptors of one wait: add those to watch, wait, then ask which are ready.
class PollSet {
public:
    // The entry's index, or -1 (never ready) when fd is closed.
    int add(const Fd& fd, short events);
    // Waits until one is ready; false when interrupted or failed.
    bool wait();
    bool ready(int index) const;
    bool empty() const { return m_count == 0; }

private:
    std::array<pollfd, 8> m_fds{};
    nfds_t m_count = 0;
};

void SetNonBlocking(int fd);

// Waits for the child to end and gives its waitpid status.
int WaitFor(pid_t pid);

// "exit status N" or "signal N (name)" for a waitpid status.
std::string DescribeStatus(int status);

}  // namespace avcore
