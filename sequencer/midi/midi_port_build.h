// Building the MIDI port table from the MIDI destinations: one entry per destination, with a
// 16-bit port id that stays the same between runs and across set-up changes, so that songs
// and instruments keep pointing at the same device. Absent devices keep their entries, their
// names in square brackets.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Builds the table (or, with a table, refreshes it against the present destinations).
void BuildPortTable(bool refresh);
// Scans the MIDI destinations and applies the port set-up of gPortTable to them: 0 builds
// or refreshes the table as it is (start-up, a document without a table), 1 after a
// document's table was taken.
void ScanMidiPorts(int32_t flag);
// Takes the first count 64-byte entries of a document's port table as the port table; the
// table ends at the first entry without a destination ID. Their endpoints are stale until
// ScanMidiPorts resolves them again. False (nothing changes) without memory.
bool AdoptPortTable(Handle table, int32_t count);
// Puts a length-prefixed name in square brackets unless it already starts with one; the
// result never exceeds size bytes.
void BracketName(uint8_t* name, int32_t size);
// The number of entries that have a destination.
int32_t CountPresentPorts();
