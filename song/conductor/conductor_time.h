// Converting between ticks and real time (subframes, 1/80 of a time-code frame) through the
// tempo changes of a song's conductor map.
//
// The table conversions (TickToTime, TimeToTick) use the sequencer's tempo increment table;
// the exact ones (TickToSubframesExact, SubframesToTickExact) compute from the tempo values
// and follow the song's repeat flag (header +48 bit 0): a repeating song's tempo map starts
// again every song end tick - 1 ticks.
//
// Each conversion looks up the segment it falls in by binary search in an index of the
// map's cumulative times, built once per change of the map (or of the header tempo, the
// transport's tempo factor, the tables or the resolution), so a conversion never walks the
// whole map.
#pragma once

#include <cstdint>

#include "song/conductor/conductor_map.h"

// Entry tempo - 120 of the increment table (16.16 subframes per tick); tempos below 120
// take entry 0 and tempos above 4500 the last entry.
uint32_t GetTempoTableEntry(int32_t tempo);
double SubframesPerTickAtTempo(int32_t tempo);
double TicksToSubframesAtTempo(int64_t ticks, int32_t tempo);
// ticks x (600 / (tempo x gTempoTableResolution)) x 1,000,000 / gMicrosecondsPerSubframe;
// 0 for 0 ticks (and for a tempo or resolution of 0).
double TicksToSubframesExact(int64_t ticks, int32_t tempo);

// Subframes from the song's start to tick, rounded; the tempo in force is left in
// gConductorState, and the tempo and master-volume records at exactly tick are applied.
uint32_t TickToTime(int32_t tick);
// The same; record receives the first record at or after tick.
uint32_t TickToTimeWithRecord(int32_t tick, uint8_t** record);
// The duration from tick from to tick to in subframes (0 when to lies before from).
uint32_t TickToTimeFrom(int32_t from, int32_t to);
// The tick at a time in subframes (1 without a song); the tempo in force is left in state.
int32_t TimeToTick(int32_t time);
int32_t TimeToTickInSong(int32_t time, ConductorState* state, uint8_t* song);

// Subframes of tick (at least 1) as a double, not rounded; 0 without a song or map.
double TickToSubframesExact(uint8_t* song, int64_t tick);
// The same for count consecutive ticks from firstTick, each value exactly the one above; the
// map's index is looked up once.
void TickRangeToSubframesExact(uint8_t* song, int64_t firstTick, int32_t count, double* out);
// The tick at a time in subframes as a 64-bit tick (1 without a song); the tempo in force
// is left in state. Follows the repeat flag as TickToSubframesExact does.
int64_t SubframesToTickExact(double subframes, ConductorState* state, uint8_t* song);

// Drops every cached index (for tests and after wholesale changes).
void ClearConductorTimeIndex();
