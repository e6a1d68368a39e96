// Event lists of the older 10-byte record form (documents, name lists and instrument
// assignments of versions below 784), converted to the current SeqEvent form.
//
// An old record is {u32 time, u8 flags, u8 status, u8 data 1, u8 data 2, u16 duration}; a
// time of 0 ends the list. Notes (status 0x90..0x9F) become 14-byte notes with their
// duration, 0xA0..0xEF events 8-byte events; records of any other status carry nothing the
// current form can hold and are left out. A list that is cut inside a record ends there.
#pragma once

#include "platform/memory/mac_types.h"

constexpr int32_t kOldEventSize = 10;
constexpr uint16_t kFirstCurrentEventListVersion = 784;

// Returns a new list (the old one is disposed), or null with *err set on a memory shortage
// (the old one is left as it was).
Handle ConvertOldEventList(Handle old, OSErr* err);
