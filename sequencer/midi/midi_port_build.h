// Building the MIDI port table from the MIDI destinations: one entry per destination, with a
// 16-bit port id that stays the same between runs and across set-up changes, so that songs
// and instruments keep pointing at the same device. Absent devices keep their entries, their
// names in square brackets.
#pragma once

#include <cstdint>

// Builds the table (or, with a table, refreshes it against the present destinations).
void BuildPortTable(bool refresh);
// Puts a length-prefixed name in square brackets unless it already starts with one; the
// result never exceeds size bytes.
void BracketName(uint8_t* name, int32_t size);
// The number of entries that have a destination.
int32_t CountPresentPorts();
