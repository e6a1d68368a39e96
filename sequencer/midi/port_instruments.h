// Instruments made from the MIDI port table: one for every enabled channel of every port.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Nothing to make: no enabled channel and, when appending, no instrument already there.
constexpr OSErr kNoPortChannelsErr = -2079;

// One instrument for every channel bit of every used port entry, at most 254 in all: each
// gets the channel, deviceKind, subKind + the entry's index as its port and the entry's port
// id as its port value. With rebuild the new ones replace the table's instruments, otherwise
// they follow them. The aux buses and the master are kept. Returns kNoPortChannelsErr or the
// resize's result.
OSErr CreateInstrumentsForPorts(uint8_t deviceKind, uint8_t subKind, bool rebuild);
// Every instrument given the reset of the mode, the master volume at 127, then the
// instruments' derived state rebuilt.
void ResetInstrumentsForMode(int16_t mode);
