// Looking up an audio driver of the static driver table by its id byte.
#pragma once

#include <cstdint>

struct AudioDriverRecord;

// The driver whose id is id, or null.
const AudioDriverRecord* FindAudioDriverById(uint8_t id);
// True when the output device kind has an audio-driver entry (such outputs take 64
// channels and are not MIDI outputs).
bool HasAudioDriverEntry(uint8_t deviceKind);
