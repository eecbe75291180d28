// The transfer manager ships on its own and shares no code with the converter.
#include "base/globals.h"

void probe() { SetStartupDefaults(GlobalVars, {}); }
