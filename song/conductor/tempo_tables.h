// The time base and the tempo tables the conductor map and the sequencer clock count with.
//
// Every tempo the clock can play, 120..4500 tenths of a beat per minute, has one entry in each
// of two tables (index = tempo - 120):
//   gTempoPeriodTable     16.16 microseconds of one tick (high half at most 65535);
//   gTempoIncrementTable  16.16 time-code subframes (1/80 frame) of one tick.
// They are built for the resolution (gTempoTableResolution), the sync mode and the frame rate,
// and cached in the preferences file as 'TDAT' and 'MSTT' resources of 17,524 bytes each
// (4381 big-endian u32).
//
// Our timer has no quantum, so the period table always holds the exact period of a tick (the
// unquantised form); a song then plays at its true tempo at every resolution. A period longer
// than 65535 microseconds (very low resolutions at slow tempos) saturates in the table; the
// clock takes such periods from GetExactTickPeriod instead.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kTempoTableFirst = 120;
constexpr int32_t kTempoTableLast = 4500;
constexpr int32_t kTempoTableEntries = kTempoTableLast - kTempoTableFirst + 1;  // 4381
constexpr int32_t kTempoTableBytes = kTempoTableEntries * 4;                  // 17,524

constexpr ResType kTempoPeriodResType = 0x54444154;     // 'TDAT'
constexpr ResType kTempoIncrementResType = 0x4D535454;  // 'MSTT'

constexpr double kMicrosecondsPerMinute = 60000000.0;
constexpr double kTimerQuantum = 20.42483658;
constexpr double kLegacyTimerUnit = 1.2766;
constexpr double kLegacyNumerator = 46999843.33;

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
// The sync mode the tables are built for (1: the internal Time Manager clock).
extern uint8_t gTempoSyncMode;
// The tempo the table builders are working on (tenths of a beat per minute).
extern int32_t gTableTempo;

// Subframes per second of a frame-rate code (codes above 3 count as 3).
double SubframesPerSecondForRate(uint8_t code);

// For gTableTempo at gTempoTableResolution: T x resolution / 10 (at least 1), twice that, and
// 60,000,000 / ticks per minute.
uint32_t GetTicksPerMinute();
uint32_t GetTicksPerTwoMinutes();
double GetMicrosecondsPerTick();
double GetSubframesPerTickFixed();
void SetMicrosecondsPerSubframe(double subframesPerSecond);
double GetLegacyPeriod();
double LegacyUnitsToMicroseconds(double x);
double GetEffectiveMicrosecondsPerTick();
double GetEffectiveSubframesPerTickFixed();
// floor(microseconds / quantum) x quantum, or the value itself when unquantised.
double QuantisePeriod(double microseconds, bool unquantised);

// The resource ids of the two tables for the current settings.
int16_t GetTempoPeriodResourceId();
int16_t GetTempoIncrementResourceId();
// Copies a cached table from the preferences file; false when there is none (or it is not
// exactly 17,524 bytes).
bool LoadTempoTableResource(ResType type, int16_t id, uint32_t* table);
// Caches a table in the preferences file unless it was found there.
void WriteTempoTableResource(ResType type, int16_t id, const uint32_t* table, bool found);

void BuildTempoPeriodTable();
void BuildTempoIncrementTable(double subframesPerSecond, uint32_t* table);
// Sets the clock's frame rate for gSmpteRateCode (SetClockFrameRate) and builds the increment
// table for it.
void UpdateSubframeRates();
// Applies a frame-rate code (at most 3): stores it, sets the clock's frame rate and rebuilds
// the increment table for it. The song reader applies the document's code with it.
void SetSmpteFrameRate(uint8_t code);
// Rebuilds both tables for gTempoTableResolution and gSmpteRateCode.
void BuildTempoTables();
// Builds the tables when they have not been built yet.
void EnsureTempoTables();

// The exact period of one tick at a tempo: whole microseconds and the 1/65536 fraction, not
// limited to 16 bits. Tempos are clamped to 120..4500.
void GetExactTickPeriod(int32_t tempo, uint32_t* wholeMicroseconds, uint16_t* fraction);
