#include "Watchdog.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace avcore {
namespace {

// Requests are one message each: 'C' and a pattern to create, or 'D' when
// the files are in place. A reply is the errno (0 on success) and the name,
// with the new file's descriptor attached.
constexpr char kCreate = 'C';
constexpr char kDone = 'D';
constexpr int kChannel = 3;  // the watchdog's end of the socket

int SuffixLength(const std::string& pattern)
{
    const size_t x = pattern.rfind("XXXXXX");
    return x == std::string::npos ? -1 : static_cast<int>(pattern.size() - x - 6);
}

int CreateFrom(std::string& pattern)
{
    const int suffix = SuffixLength(pattern);
    if (suffix < 0) {
        errno = EINVAL;
        return -1;
    }
    return ::mkostemps(pattern.data(), suffix, O_CLOEXEC);
}

void CloseFrom(int first)
{
    if (::close_range(static_cast<unsigned>(first), ~0U, 0) == 0) return;
    long limit = ::sysconf(_SC_OPEN_MAX);
    if (limit < 0 || limit > 65536) limit = 65536;
    for (int fd = first; fd < limit; ++fd)
        ::close(fd);
}

void Reply(int code, const std::string& name, int fd)
{
    iovec parts[2] = {{&code, sizeof code}, {const_cast<char*>(name.data()), name.size()}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        memcpy(CMSG_DATA(header), &fd, sizeof fd);
    }
    // A failed reply means avcore is gone; the next read says so.
    while (::sendmsg(kChannel, &message, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

struct Made {
    std::string path;
    int fd;  // kept open so the identity of the file stays comparable
};

[[noreturn]] void Watch(int channel)
{
    // A session of its own: a kill of avcore's process group or session
    // misses this process, and it has no terminal to lose.
    ::setsid();
    ::prctl(PR_SET_NAME, "avcore-watch");
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::signal(signal, SIG_DFL);
    // Nothing but the channel stays open, above all none of the pipes the
    // converter reads: they must end when avcore and ffmpeg end.
    if (channel != kChannel) ::dup2(channel, kChannel);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < kChannel; ++fd) {
        if (null < 0)
            ::close(fd);
        else if (null != fd)
            ::dup2(null, fd);
    }
    CloseFrom(kChannel + 1);

    std::vector<Made> made;
    std::vector<char> message(PATH_MAX + 1);
    for (;;) {
        const ssize_t n = ::recv(kChannel, message.data(), message.size(), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // avcore is gone
        if (message[0] == kDone) ::_exit(0);
        if (message[0] != kCreate) continue;
        std::string pattern(message.data() + 1, static_cast<size_t>(n - 1));
        const int fd = CreateFrom(pattern);
        const int code = fd < 0 ? errno : 0;
        if (fd >= 0) made.push_back({pattern, fd});
        Reply(code, pattern, fd);
    }
    // Only the very file made here goes: after a rename onto the output the
    // name is free (or names another file) and is left alone.
    for (const Made& file : made) {
        struct stat held {};
        struct stat now {};
        if (::fstat(file.fd, &held) == 0 && ::lstat(file.path.c_str(), &now) == 0 &&
            held.st_dev == now.st_dev && held.st_ino == now.st_ino)
            ::unlink(file.path.c_str());
    }
    ::_exit(0);
}

}  // namespace

Watchdog::~Watchdog() { stop(); }

bool Watchdog::start()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return false;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return false;
    }
    if (pid == 0) {
        ::close(ends[0]);
        Watch(ends[1]);
    }
    ::close(ends[1]);
    m_channel = Fd(ends[0]);
    m_pid = pid;
    return true;
}

int Watchdog::createTemporary(std::string& pattern)
{
    if (pattern.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    if (m_channel.isOpen()) {
        const std::string request = kCreate + pattern;
        ssize_t sent;
        while ((sent = ::send(m_channel.get(), request.data(), request.size(), MSG_NOSIGNAL)) < 0 &&
               errno == EINTR) {
        }
        int code = 0;
        std::vector<char> name(PATH_MAX + 1);
        iovec parts[2] = {{&code, sizeof code}, {name.data(), name.size()}};
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = 2;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        ssize_t n = -1;
        if (sent == static_cast<ssize_t>(request.size()))
            while ((n = ::recvmsg(m_channel.get(), &message, MSG_CMSG_CLOEXEC)) < 0 &&
                   errno == EINTR) {
            }
        if (n >= static_cast<ssize_t>(sizeof code)) {
            const cmsghdr* header = CMSG_FIRSTHDR(&message);
            int fd = -1;
            if (header && header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS)
                memcpy(&fd, CMSG_DATA(header), sizeof fd);
            if (code != 0) {
                errno = code;
                return -1;
            }
            if (fd >= 0) {
                pattern.assign(name.data(), static_cast<size_t>(n) - sizeof code);
                return fd;
            }
        }
        // The watchdog is gone: go on without one, as when none could start.
        stop();
    }
    return CreateFrom(pattern);
}

void Watchdog::release()
{
    if (m_channel.isOpen())
        while (::send(m_channel.get(), &kDone, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {
        }
    stop();
}

void Watchdog::stop()
{
    m_channel.reset();
    if (m_pid > 0)
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    m_pid = -1;
}

}  // namespace avcore
