// The note activity of the outputs: the velocity of the loudest note-on the clock played to
// each instrument of the table, and to each MIDI port a track plays straight to, since the
// instrument window's meters last took it. Each cell is one atomic byte: the clock only
// raises it, the meters take it and leave 0.
#pragma once

#include <cstdint>

constexpr int32_t kActivityInstruments = 256;
constexpr int32_t kActivityPorts = 256;

// Clock thread: never blocks nor allocates. Indexes outside the tables are ignored.
void ReportInstrumentActivity(int32_t instrument, uint8_t velocity);
void ReportPortActivity(uint8_t port, uint8_t velocity);
// Main thread: the level since the last take (0..127), and the cell back at 0.
uint8_t TakeInstrumentActivity(int32_t instrument);
uint8_t TakePortActivity(uint8_t port);
void ClearOutputActivity();
