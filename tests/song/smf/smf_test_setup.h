// The program state a Standard MIDI File import runs in, for the tests and the dump tool:
// a fresh song database at the given resolution, 4/4 and 120 beats per minute, 30 frames
// per second.
#pragma once

#include <cstdint>

void SetUpSmfImportState(int32_t ticksPerQuarter);
