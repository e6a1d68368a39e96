// The section reader of looping tracks: a track whose section list holds entries plays its
// sections in turn, each its repeat count of times, instead of looping its whole length.
//
// The list is the song model's (song/model/track_sections.h): each entry's start and end,
// the section playing its ticks start..end - 1, and its repeat count (0: endlessly). The
// reader's own state (which section, how many repeats) lives in the track's play state, so
// the clock task never writes the list.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// What the reader needs of one section.
struct SectionSpan {
  uint32_t start = 1;   // event time of track tick 1
  uint32_t length = 0;  // 0: the track does not loop by sections
  uint16_t repeats = 1;  // kEndlessSectionRepeats: the section plays on for ever
};
constexpr uint16_t kEndlessSectionRepeats = 0;

// Number of entries a section list holds (0 for none).
int32_t CountSections(Handle sections);
// Entry n (n taken modulo the count); false without entries.
bool GetSection(Handle sections, int32_t n, SectionSpan* span);
// The reader's step at the end of a section: counts the repeat and, when the section has
// played its repeat count, moves to the next section (after the last, the first); an endless
// section stays. stay keeps the current section (pattern mode 3). Answers the section now
// playing.
int32_t AdvanceSectionIndex(Handle sections, int32_t section, uint16_t* repeatsDone, bool stay);

// Where the reader stands once `played` ticks of the track have played from the first
// section's start: the section, the repeats it has done and the track tick inside it (the
// next tick plays the section's tick trackTick + 1), as playing from the start would leave
// it. Sections follow each other their repeat count of times, after the last the first
// again; an endless section keeps every later tick; with stay (pattern mode 3) the first
// section repeats for ever. A section of length 0 does not loop: the track plays on straight
// from its start, so it too keeps every later tick.
struct SectionPlace {
  int32_t section = 0;
  uint16_t repeatsDone = 0;
  uint32_t trackTick = 0;
};
SectionPlace PlaceInSections(Handle sections, uint32_t played, bool stay);
