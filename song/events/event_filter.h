// The event filter of the edit commands: keeps or leaves the current event (gCurrentEvent) by
// its duration, velocity, position in the bar, a pattern over the counted notes and random
// thinning. The settings are set by the filter dialog.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

enum : uint8_t {
  kFilterDuration = 0x01,
  kFilterVelocity = 0x02,
  kFilterPositions = 0x04,
  kFilterRandom = 0x10,
  kFilterPattern = 0x20,
};

extern uint8_t gEventFilterFlags;
extern uint32_t gFilterMinDuration;
extern uint32_t gFilterMaxDuration;
extern uint32_t gFilterMinVelocity;
extern uint32_t gFilterMaxVelocity;
// u32 entry count, then f32 positions from byte 36.
extern Handle gFilterPositionTable;
extern int32_t gFilterPositionTolerance;
extern uint8_t gFilterInvert;
extern int32_t gFilterPatternPeriod;  // 0 or less: no modulo
extern int32_t gFilterPatternLength;
extern uint8_t gFilterPercentage;
extern int32_t gFilterPositionScale;
extern uint8_t gEditNoteRange[2];     // low and high note of the edit

constexpr int32_t kFilterPositionsStart = 36;

// Position i of the table times the scale; 0 without a table or for an index past its entries.
double GetFilterPosition(int32_t i);
// 1 to keep the current event, 0 to leave it. Every test whose bit is set must pass; the
// position test is skipped without a position table (the others still apply).
int32_t PassesEventFilter();
// Counted notes (kind 0x90, in the time selection and the edit's note range) from the
// selection start up to and including event, counting from -1; -1 without an event list.
// Successive events of one list continue from the last count; the count is started again
// whenever the list, its length, the selection or the note range changed, or the event lies
// before the last one counted.
int32_t CountFilteredNotes(const uint8_t* event);
// Forgets the count kept by CountFilteredNotes; edits of an event list call it.
void InvalidateFilteredNoteCount();
// Note events whose key lies in the edit's note range go through PassesEventFilter; every
// other event gives 0.
int32_t PassesNoteRangeFilter();
