// The saved MIDI connection set-up: the chosen inputs, the sync input, the sync outputs and
// the inputs' names, kept as 'BMID' 135 "OSXM" in the preferences resource file (a
// big-endian image of 472 bytes; an older form holds the first 184). Endpoint references in
// the image are not trusted: they are looked up again by unique ID.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int16_t kMidiSetupResId = 135;
constexpr int32_t kMidiSetupSize = 472;
constexpr int32_t kMidiSetupOldSize = 184;

// Writes the driver state's set-up into image (kMidiSetupSize bytes).
void WriteMidiSetupImage(uint8_t* image);
// Takes the set-up from an image of size bytes (472 or 184; any other size changes nothing
// and answers false). The notification bits are cleared.
bool ReadMidiSetupImage(const uint8_t* image, int32_t size);
// From and to the preferences resource file.
bool LoadMidiSetup();
OSErr SaveMidiSetup();
// Inputs whose source has gone are matched again by their saved names; true when any moved.
bool FindMovedSources();
