// The idle flag: while it is non-zero the idle pass does nothing. Event handlers, modal loops
// and dialog filters hold it (TakeIdleFlag) for as long as they run and give the old value
// back (SetIdleFlag) afterwards. Main thread only.
#pragma once

#include <cstdint>

void SetIdleFlag(uint8_t value);
// Returns the stored value and sets it to 1.
uint8_t TakeIdleFlag();
uint8_t GetIdleFlag();
