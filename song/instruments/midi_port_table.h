// The MIDI port table: the ports the instruments' outputs name, built by the sequencer's MIDI
// set-up and kept in the preferences. One 64-byte entry per port, the port id (u16) at +0
// and a second u16 at +2; gPortCount entries are in use. Registering a port again goes
// through the MIDI hooks (midi_hooks.h).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kPortEntrySize = 64;
constexpr int16_t kPortTableResId = 133;

extern Handle gPortTable;
extern uint8_t gPortCount;

// The entry's second u16 for a port whose destination is gone, and the entry's name: a
// length byte and up to 31 characters at +6 (an absent port's name is bracketed).
constexpr uint16_t kPortStateAbsentValue = 0xFFFF;
constexpr int32_t kPortEntryName = 6;
constexpr int32_t kPortEntryNameSize = 32;
// The name of port n's entry (empty past the table).
void GetPortEntryName(int32_t port, Str255 name);

// 0-based index of the entry whose port id is id; *found says whether there is one.
int32_t FindPortIndexById(uint16_t id, bool* found);
// The two u16 values of port n's entry (zeros past the table).
void GetPortEntry(int32_t port, uint16_t* first, uint16_t* second);
// Stores the port table as 'BMID' 133 "OMS" in the preferences resource file.
OSErr SavePortTable();
