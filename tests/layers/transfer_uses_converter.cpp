// The transfer manager ships on its own and shares no code with the converter.
#include "globals.h"

void probe() { SetStartupDefaults(GlobalVars, {}); }
