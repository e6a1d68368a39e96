// The system alert sound: a BEL character on standard error, counted for tests.
#pragma once

#include "platform/memory/mac_types.h"

// Writes BEL to standard error when it can take a byte at once (never waits on a full pipe
// or a stopped terminal) and counts the beep either way. The duration is not used.
void SysBeep(short duration);
// Beeps since the program started (or since ResetSysBeepCountForTesting).
UInt32 GetSysBeepCount();
void ResetSysBeepCountForTesting();
