// The base layer must not see the message table.
#include "localisation/MessageTable.h"

int probe() { return MSG_KEY_COUNT; }
