#include "Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace avcore {

void Fd::reset()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool MakePipe(Pipe& pipe, std::string& error)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = strerror(errno);
        return false;
    }
    // Above the numbers handed to children, so dup2 never meets its own target.
    constexpr int kFirstFree = 10;
    pipe.read = Fd(fcntl(ends[0], F_DUPFD_CLOEXEC, kFirstFree));
    pipe.write = Fd(fcntl(ends[1], F_DUPFD_CLOEXEC, kFirstFree));
    ::close(ends[0]);
    ::close(ends[1]);
    if (!pipe.read.isOpen() || !pipe.write.isOpen()) {
        error = strerror(errno);
        return false;
    }
    return true;
}

pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::pair<int, int>>& fds, std::string& error)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    for (const auto& [child, parent] : fds)
        posix_spawn_file_actions_adddup2(&actions, parent, child);

    // avcore ignores SIGPIPE and handles SIGTERM itself; the child gets the
    // usual dispositions. SIGXFSZ stays ignored so that a full file size limit
    // shows as a write error ffmpeg reports instead of a silent kill.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGTERM, SIGINT, SIGHUP})
        sigaddset(&defaults, signal);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    const int result =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        error = strerror(result);
        return -1;
    }
    return pid;
}

std::string DescribeStatus(int status)
{
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
               ")";
    return "status " + std::to_string(status);
}

}  // namespace avcore
