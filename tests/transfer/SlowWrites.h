#pragma once

#include <QtGlobal>

#include <sys/syscall.h>
#include <unistd.h>
#include <atomic>

// Makes this program's large writes as slow as a USB 2.0 memory stick's:
// every write of 64 KiB or more first sleeps as long as that many bytes take
// at slowWriteBytesPerSecond (0: full speed). Small writes, such as the event
// loop's wake-ups, are left alone. Include in one source file of a program.
inline std::atomic<qint64> slowWriteBytesPerSecond = 0;

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    const qint64 rate = slowWriteBytesPerSecond;
    if (rate > 0 && size >= 65536) ::usleep(useconds_t(qint64(size) * 1000000 / rate));
    return ::syscall(SYS_write, fd, data, size);
}
