#pragma once

#include "base/globals.h"

#include <QIcon>

// The small picture of a queued file's state: queued, converting, converted
// or failed. Drawn as vectors so it stays sharp at any scale.
QIcon StateImage(RowState state);
