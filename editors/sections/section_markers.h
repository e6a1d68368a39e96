// The markers of a looping track's sections along the top of its pane in the main editor:
// a start and an end picture per entry with the repeat count between them, the repeat now
// playing beside the start, and the hit test of the markers.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"
#include "song/model/track_sections.h"

constexpr int16_t kSectionStartPicture = 456;
constexpr int16_t kSectionEndPicture = 457;
constexpr int16_t kSectionMarkerWidth = 18;
constexpr int16_t kSectionMarkerHeight = 14;
constexpr uint8_t kEndlessRepeatChar = 0xB0;

struct SectionMarkerRects {
  Rect start;
  Rect end;
};

// Where an entry's markers lie in a pane whose top line is paneTop.
SectionMarkerRects GetSectionMarkerRects(const SectionFields& fields, int16_t paneTop);
// Draws the markers of the current track into the current pane (after its content). Nothing
// for a track that does not loop or has no list.
void DrawSectionMarkers();
// The entry whose start or end marker holds point (the last entry first), or -1; only for a
// looping track.
int32_t HitTestSectionMarkers(Point point);
// The repeat of the first entry that the counters show for position, counted from 1: 0
// unless the track has a list, loops, is active and position lies in the first entry's
// start..repeats end. Leaves the list alone (the sequencer may be mapping it).
uint32_t GetDisplayedSectionRepeat(const uint8_t* track, uint32_t position);
