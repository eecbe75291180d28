#pragma once

#include <csignal>

#include <sys/resource.h>

// A file-size limit stands in for a full disk: every write past it fails, as
// on a disk with that much room left.
//
// In this process, while the object lives; writes fail with EFBIG instead of
// raising SIGXFSZ.
class FullDisk {
public:
    explicit FullDisk(rlim_t roomLeft)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
        rlimit limit = m_oldLimit;
        limit.rlim_cur = roomLeft;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // In a child about to run a program (QProcess::setChildProcessModifier).
    // SIGXFSZ is left as it is: how the program deals with it is under test.
    static void inChild(rlim_t roomLeft)
    {
        const rlimit limit{roomLeft, roomLeft};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

private:
    rlimit m_oldLimit{};
    void (*m_oldHandler)(int) = nullptr;
};
