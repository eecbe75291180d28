#pragma once

// How an end-of-batch action went.
enum class TPowerResult {
    Done,         // carried out, or logind took the request
    Unavailable,  // logind says this machine cannot do it now; nothing was asked
    Failed,       // logind refused the request or could not be reached
};

// Carries out the end-of-batch action as the Settings list numbers it:
// 0 ends the program, 1 powers off, 2 logs off (ends the user's own session),
// 3 restarts, 4 hibernates, 5 suspends; the system ones go through logind,
// which is first asked whether the action is possible at all. A value outside
// the list does nothing and is Unavailable.
TPowerResult ShutdownSystem(int action);
