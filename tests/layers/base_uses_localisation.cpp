// The base layer must not see the message table.
#include "MessageTable.h"

int probe() { return MSG_KEY_COUNT; }
