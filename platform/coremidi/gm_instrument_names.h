// The General MIDI instrument and drum kit names (private to platform/coremidi).
#pragma once

// program 0-127.
const char* GeneralMidiProgramName(int program);
// kit program 0-127; kits without a name of their own are "Drum Kit n" (n = program + 1),
// written into buffer.
const char* GeneralMidiKitName(int program, char* buffer, int size);
