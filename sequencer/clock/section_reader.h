// The section reader of looping tracks: a track whose section list holds entries plays its
// sections in turn, each its repeat count of times, instead of looping its whole length.
//
// Section list (a handle of the track, big-endian): a 16-byte header {u32 entry count, two
// spare words, u32 the editors' pending word} and 48-byte SectionEntry records {u32 start:
// the event time of the section's first tick, u32 length in ticks (a section of length L
// plays its ticks 1 to L - 1, as a looping track does), u16 repeat count (0 plays once), u16
// spare, u32 start event and u32 end event (byte offsets into the event list, kept by the
// editors; the reader finds its events by time), spare to 48}. The reader's own state
// (which section, how many repeats) lives in the track's play state, so the clock task never
// writes the list.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kSectionListHeader = 16;
constexpr int32_t kSectionEntrySize = 48;
constexpr int32_t kSectionCount = 0;
constexpr int32_t kSectionStart = 0;
constexpr int32_t kSectionLength = 4;
constexpr int32_t kSectionRepeats = 8;
constexpr int32_t kSectionStartEvent = 12;
constexpr int32_t kSectionEndEvent = 16;

// What the reader needs of one section.
struct SectionSpan {
  uint32_t start = 1;   // event time of track tick 1
  uint32_t length = 0;  // 0: the track does not loop by sections
  uint16_t repeats = 1;
};

// Number of entries a section list holds (0 for none or a list too short for its count).
int32_t CountSections(Handle sections);
// Entry n (n taken modulo the count); false without entries.
bool GetSection(Handle sections, int32_t n, SectionSpan* span);
// The reader's step at the end of a section: counts the repeat and, when the section has
// played its repeat count, moves to the next section (after the
// last, the first). stay keeps the current section (pattern mode 3). Answers the section now
// playing.
int32_t AdvanceSectionIndex(Handle sections, int32_t section, uint16_t* repeatsDone, bool stay);
