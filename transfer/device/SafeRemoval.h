#pragma once

#include <QString>

// Ejects the console's memory stick through the desktop's disk service
// (UDisks2 on the system bus): the data written is flushed, the file system
// unmounted and the drive powered off, as the desktop's own "Safely remove"
// does. The system bus is DBUS_SYSTEM_BUS_ADDRESS when set.
struct EjectOutcome {
    enum class Result {
        Done,         // unmounted and powered off: the stick may be pulled out
        Unmounted,    // unmounted, but the drive could not be powered off
        Busy,         // a program still uses a file on the stick
        Refused,      // the desktop did not allow it
        NotFound,     // the disk service knows no file system mounted there
        Unavailable,  // no system bus, or no disk service on it
        Failed,       // any other error of the disk service
    };
    Result result = Result::Failed;
    // What to tell the user; the service's own text of an error within.
    QString message;
};

// Blocks until the disk service answers (an authentication dialog may stand
// in between): call it off the window's thread.
EjectOutcome EjectConsole(const QString& mountPoint);
