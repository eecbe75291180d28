#include "Process.h"

#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
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

namespace {

// The forked child: descriptors and signals as Spawn promises, then the
// program. A failed exec sends its errno through report.
[[noreturn]] void ExecChild(const char* program, char* const* argv,
                            const std::vector<std::pair<int, int>>& fds, pid_t parent, int report)
{
    // ffmpeg dies with avcore, even when avcore is killed, so no orphan goes
    // on writing; avcore may have died before the request took effect.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
    // avcore ignores SIGPIPE and handles SIGTERM itself; the child gets the
    // usual dispositions. SIGXFSZ stays ignored so that a full file size limit
    // shows as a write error ffmpeg reports instead of a silent kill.
    for (int signal : {SIGPIPE, SIGTERM, SIGINT, SIGHUP})
        ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    int code = 0;
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null < 0 || (null == 0 ? ::fcntl(0, F_SETFD, 0) : ::dup2(null, 0)) < 0) code = errno;
    for (const auto& [child, source] : fds)
        if (code == 0 && ::dup2(source, child) < 0) code = errno;
    if (code == 0) {
        ::execve(program, argv, environ);
        code = errno;
    }
    while (::write(report, &code, sizeof code) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}

}  // namespace

pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::pair<int, int>>& fds, std::string& error)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // Closed by a successful exec; a failure arrives as the errno.
    Pipe report;
    if (!MakePipe(report, error)) return -1;
    // No signal handler of avcore's may run in the child before exec.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    ::sigprocmask(SIG_SETMASK, &all, &before);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) ExecChild(program.c_str(), argv.data(), fds, parent, report.write.get());
    const int forkError = errno;
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    if (pid < 0) {
        error = strerror(forkError);
        return -1;
    }
    report.write.reset();
    int code = 0;
    ssize_t n;
    while ((n = ::read(report.read.get(), &code, sizeof code)) < 0 && errno == EINTR) {
    }
    if (n == static_cast<ssize_t>(sizeof code)) {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        error = strerror(code);
        return -1;
    }
    return pid;
}

int PollSet::add(const Fd& fd, short events)
{
    if (!fd.isOpen() || m_count == m_fds.size()) return -1;
    m_fds[m_count] = pollfd{fd.get(), events, 0};
    return static_cast<int>(m_count++);
}

bool PollSet::wait() { return ::poll(m_fds.data(), m_count, -1) >= 0; }

bool PollSet::ready(int index) const
{
    return index >= 0 && (m_fds[static_cast<size_t>(index)].revents &
                          (POLLIN | POLLOUT | POLLHUP | POLLERR)) != 0;
}

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

int WaitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
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
