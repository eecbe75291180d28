#pragma once

#include <sys/types.h>

#include <string>

#include "Process.h"

namespace avcore {

// Removes avcore's temporary files when avcore dies without cleaning up, as
// when the converter kills its whole process group with SIGKILL. A small
// process in a session of its own, so such a kill misses it, creates the files
// itself (so no moment exists in which a file is ours but unknown to it) and
// holds the other end of a socket that only avcore owns. End of file without
// release() means avcore is gone: it removes each file it made that still
// lies under its name, and exits.
class Watchdog {
public:
    Watchdog() = default;
    ~Watchdog();  // as avcore's death: what was made and not released goes
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Starts the watching process; false (and nothing watched) when the
    // system refuses a process or a socket.
    bool start();

    // Creates a fresh file from pattern, whose last "XXXXXX" is replaced as
    // mkostemps does (the text after it is kept), and returns its close-on-exec
    // descriptor, or -1 with errno set. Without a running watchdog the file is
    // created here, unwatched.
    int createTemporary(std::string& pattern);

    // The files are in place (renamed onto their targets): the watchdog exits
    // without touching anything.
    void release();

private:
    // Closes the channel (the watchdog removes what it made unless released)
    // and waits for the watchdog to end.
    void stop();

    Fd m_channel;
    pid_t m_pid = -1;
};

}  // namespace avcore
