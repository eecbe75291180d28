// The engine runs under either front and must not know the windows.
#include "windows/WindowFunctions.h"

void probe() { WaitCursor::begin(); }
