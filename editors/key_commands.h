// The key commands of the main windows that are not menu keys.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"

// 0 when the key was used, -9874 when nobody took it (the system then has it). Interim until
// the editors' own key commands exist: only an active number field takes the key.
OSStatus HandleKeyCommand(uint8_t ch, EventRecord* event);
