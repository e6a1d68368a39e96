// The routing of a track to its outputs: a track that plays an entry of the instrument table
// goes to the output slots of that instrument (port, device kind and channel per slot), any
// other track to its own port and device kind. And what played or chased controllers leave
// in the instrument they reach (volume, pan and bank select). Main thread.
#pragma once

#include <cstdint>

// Bit 0: controllers of the song are tracked into the instruments (a preference).
extern uint8_t gControllerTracking;

// True when the track plays through an entry of the instrument table (flags 0x20).
bool TrackUsesInstrumentSlots(const uint8_t* track);
// The routing of slot of the track's first instrument, or of the track's own output; the
// channel of a plain track is its first channel's (its instrument's slot 0). Answers true for
// an instrument slot.
bool GetTrackRouting(const uint8_t* track, int32_t slot, uint8_t* port, uint8_t* device,
                     uint8_t* channel);
// The same for the current track; the slot becomes the current instrument part, the current
// instrument is kept.
bool GetInstrumentRouting(int32_t slot, uint8_t* port, uint8_t* device, uint8_t* channel);
void GetInstrumentOutput(int32_t slot, uint8_t* port, uint8_t* device);
// A control change that reaches an instrument: with controller tracking on, its volume
// controller sets the fixed volume and its pan controller the remembered pan value; bank
// select MSB (0) and LSB (32) go into the bank word.
void TrackInstrumentController(int32_t instrument, uint8_t controller, uint8_t value);
// The bank word a track stores with a program change. Interim: the program's bank lists come
// with the instrument assignments; the old bank word stays.
uint16_t GetBankWordForProgram(int32_t program, uint16_t oldBank);
