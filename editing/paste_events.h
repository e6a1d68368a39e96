// The paste of one clipboard range into the current track: the repeats, the merge of the
// events into the track's list, and the per-note step of repeated pastes.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int16_t kDroppedReferencesError = 18;  // pasted sequence references were dropped
constexpr uint32_t kNoteRangeWordSet = 0x80000000;

// The clipboard track's event list (or the clipboard song's conductor map) during the paste of
// one track.
extern Handle gPasteSourceEvents;

// What PasteEventsWithMode takes from the clipboard track besides gPasteSourceEvents.
struct PasteSource {
  Handle drumData;
  Handle audio;
  uint8_t outputKind = 0;
  bool ownChannel = false;
  bool laneOrConductor = false;  // conductor data or a data lane: PasteLaneOrConductor
};

// One clipboard range into the current track at the time selection's start, with the
// repeats of gPasteOptions; the first error (0 when none).
OSErr PasteEventsWithMode(const PasteSource& source);
// The source events sourceStart..sourceEnd moved in at the selection start S (the range
// S .. S + length cleared first with replace); each note goes through the per-note step when
// perNote (ending at destinationEnd). 0, the memory error, or kDroppedReferencesError.
OSErr MergeEventsIntoTrack(uint32_t sourceStart, uint32_t sourceEnd, bool replace,
                           uint32_t noteRangeWord, uint32_t destinationEnd, bool perNote);
// A pasted note while repeating: cut at destinationEnd, transposed (gPasteOptions bit 1),
// its velocity randomised (bit 6).
void PasteNoteStep(uint8_t* note, uint32_t destinationEnd);

// The pattern tools' transposition of the cursor event: time tick, note moved by delta
// (options bit 0 wraps by 128, else folds by octaves; bit 1 deselects it).
void TransposeCursorEvent(int32_t options, uint32_t tick, int32_t delta);
struct TransposeRequest {
  int32_t options = 0;
  uint32_t tick = 0;
  int32_t delta = 0;
  uint32_t latestEnd = 0;
};
// A transposed copy of the cursor event appended to gPasteSourceEvents (in place without one).
OSErr AppendTransposedEvent(TransposeRequest* request);
