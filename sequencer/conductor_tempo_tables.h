// Interim: the tempo tables of the sequencer clock, as the conductor conversions read them.
// One entry per tempo 120..4500 (tenths of a beat per minute), index = tempo - 120. The
// tables are computed for gTempoTableResolution and the frame rate each time they are built;
// they are not yet cached as resources, and only the internal clock's exact periods are made.
#pragma once

#include <cstdint>

constexpr int32_t kTempoTableFirst = 120;
constexpr int32_t kTempoTableLast = 4500;
constexpr int32_t kTempoTableEntries = kTempoTableLast - kTempoTableFirst + 1;  // 4381

// 16.16 subframes per tick; null until the tables are first built.
extern uint32_t* gTempoIncrementTable;
// High 16 bits microseconds per tick (at most 65535), low 16 bits the fraction.
extern uint32_t* gTempoPeriodTable;
// Microseconds per subframe of the current frame rate.
extern double gMicrosecondsPerSubframe;
// Frame-rate code: 0 = 24, 1 = 25, 2 = 29.97 drop-frame, 3 = 30 frames per second.
extern uint8_t gSmpteRateCode;
// Counts the builds, so that caches of converted times know when the tables changed.
extern uint32_t gTempoTablesVersion;

// Subframes per second of a frame-rate code (codes above 3 count as 3).
double SubframesPerSecondForRate(uint8_t code);
// Rebuilds both tables for gTempoTableResolution and gSmpteRateCode.
void BuildTempoTables();
// Builds the tables when they have not been built yet.
void EnsureTempoTables();
