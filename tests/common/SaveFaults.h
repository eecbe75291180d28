#pragma once

#include "base/FileFunctions.h"

#include <QString>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

// Faults at the one write of a save, injected through the write probe.

// How many times the file at path was replaced while save ran.
inline int replacementsDuring(const QString& path, const std::function<void()>& save)
{
    int count = 0;
    SetWriteProbe([&](const QString& written, TWriteStep step) {
        if (written == path && step == TWriteStep::Replaced) ++count;
        return true;
    });
    save();
    SetWriteProbe({});
    return count;
}

// Runs save in a child process that dies at the given step of its first
// atomic write, as under SIGKILL: nothing cleans up after it. True when the
// child died there.
inline bool killedDuringSave(TWriteStep at, const std::function<void()>& save)
{
    const pid_t child = ::fork();
    if (child == 0) {
        SetWriteProbe([at](const QString&, TWriteStep step) {
            if (step == at) ::_exit(9);
            return true;
        });
        save();
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 9;
}
