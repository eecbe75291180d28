// Profiles sit below the engine: the batch driver uses them, never the reverse.
#include "PowerActions.h"

void probe() { ShutdownSystem(0); }
