// Writing the preferences data fork: u16 version 932, the two option bytes, the settings
// record, the window layout block with its pane table, the 96-byte drawing block, the
// instrument table with each record's plug-in data and the instrument assignments.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Which timer drives the sequencer clock (0..3), as the preferences keep it.
extern uint8_t gClockMode;

// Writes the data fork's contents to the current stream; returns the stream's error.
OSErr WritePreferencesStream();

// The preferences writer. The data fork is written to a temporary file beside the
// preferences file and renamed over the old data fork only when it is complete, so a failed
// write leaves both forks as they were (the resource fork, with the user's drum sets, chord
// types and presets, is never touched). On success the port table is stored as 'BMID' 133
// and the outputs file written; a failure is reported. Then clockMode is applied.
OSErr WritePreferencesFile(int32_t clockMode);

// Clock mode 0..3 after the preferences were written or read: 2 counts as 1, and 0 as 1
// when the hardware does not allow it; a change shuts the clock's timer down (marking it for
// modes 0 and 1 on a Time Manager above version 2), stores the mode, reinstalls the idle
// timer when the transport uses it and applies the timebase again. Other values count as 1.
void ApplyClockMode(int32_t flag);
