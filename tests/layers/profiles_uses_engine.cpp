// Profiles sit below the engine: the batch driver uses them, never the reverse.
#include "engine/PowerActions.h"

void probe() { ShutdownSystem(0); }
