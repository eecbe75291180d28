#pragma once

// Carries out the end-of-batch action as the Settings list numbers it:
// 0 ends the program, 1 powers off, 2 logs off (ends the user's own session),
// 3 restarts, 4 hibernates, 5 suspends; the system ones go through logind.
// True when the action was carried out or logind accepted it; false for any
// other value and when logind is unreachable or refuses.
bool ShutdownSystem(int action);
