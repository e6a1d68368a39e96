// Values the engine's automation changed on a strip's channels, brought back to the strip on
// the meter pass: a changed pan is parked in Instrument +87 (with bit 7), a changed volume in
// +4 (with +6 bit 2); the pass then applies them through the strip setters, gives a parked
// volume to the strips of its link chain that take the linked value (+6 bit 4), takes a
// program that arrived (+88 bit 7: +89 becomes the program) and redraws what changed.
//
// Main thread.
#pragma once

#include <cstdint>

struct EngineChannel;

// Parks what differs between a channel that plays automation and its strip; a send level or
// pan the automation moved goes straight into the strip's send slot for that bus.
void ParkEngineValues(uint8_t* record, EngineChannel* channel);
// Applies every strip's parked values.
void ApplyParkedValues();
