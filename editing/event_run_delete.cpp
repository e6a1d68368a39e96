// The deletes at the editing cursor, and the child sequences that a deleted sequence
// reference leaves without a reference.
#include <cstring>

#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editing/paste_options.h"
#include "editing/time_range_clear.h"
#include "platform/memory/memory.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

namespace {

// The reference words of the children a run delete let go of, one slot per child.
struct FreedChildren {
  uint16_t reference[kMaxChildSequences];
  bool noted[kMaxChildSequences] = {};
};

uint8_t* ListEnd(Handle list) {
  return reinterpret_cast<uint8_t*>(HandleData(list)) + GetHandleSize(list);
}

// Whether the event at e belongs to the run: in the range, taken by the copy filter, and not
// a note whose end reaches past the range end while notes are split there.
bool EndsRun(uint8_t* e, uint32_t length, bool selectionOnly) {
  uint32_t t = SeqEventTime(e);
  if (length == 0 || t < gTimeSelection.start.tick || t >= gTimeSelection.end.tick) return true;
  if (selectionOnly ? !IsEventSelected(e) : !EventPassesFilter(gCopyFilterProc, e)) return true;
  return SplitsNotesAtEdges() && SeqEventKind(e) == kKindNote &&
         t + GetNoteDuration(e) > gTimeSelection.end.tick;
}

void NoteFreedReference(uint8_t* e, FreedChildren* freed) {
  uint16_t reference = ReadU16BE(e + kEventChildIndex);
  WriteU16BE(e + kEventChildIndex, kDeletedReference);
  if (reference == kDeletedReference || reference / 4 >= kMaxChildSequences) return;
  freed->noted[reference / 4] = true;
  freed->reference[reference / 4] = reference;
}

void DetachUnreferencedChildren(const FreedChildren& freed) {
  for (int32_t slot = 0; slot < kMaxChildSequences; ++slot)
    if (freed.noted[slot] && !IsChildSequenceReferenced(freed.reference[slot]))
      DetachChildSequence(freed.reference[slot]);
}

// Takes the event at the cursor out by moving the rest of the list down over it.
void CloseGapAtCursor(uint8_t* from, uint8_t* to, Handle list) {
  std::memmove(from, to, size_t(ListEnd(list) - to));
  uint32_t removed = uint32_t(to - from);
  gRemovedEventBytes += removed;
  gCursorAdvanceArmed = 0;
}

}  // namespace

uint32_t DeleteEventRunAtCursor() {
  Handle list = GetCurrentTrackEventList();
  if (!list || !gCurrentEvent) return 0;
  uint8_t* run = gCurrentEvent;
  uint8_t* end = ListEnd(list);
  uint8_t* p = run;
  FreedChildren freed;
  bool selectionOnly = IsSelectionFilter(gCopyFilterProc);
  while (p < end) {
    uint32_t length = SeqEventTime(p) == 0 ? 0 : SeqEventLengthWithin(p, uint32_t(end - p));
    if (EndsRun(p, length, selectionOnly)) break;
    if (SeqEventKind(p) == kKindSequenceRef) NoteFreedReference(p, &freed);
    p += length;
    if (gEventCriteriaFlags & kCriteriaOneEventPerStep) break;
  }
  if (p == run) return 0;
  uint32_t runOffset = uint32_t(run - reinterpret_cast<uint8_t*>(HandleData(list)));
  uint32_t runLength = uint32_t(p - run);
  DetachUnreferencedChildren(freed);
  uint8_t* base = reinterpret_cast<uint8_t*>(HandleData(list));
  gCurrentEvent = base + runOffset;
  CloseGapAtCursor(gCurrentEvent, gCurrentEvent + runLength, list);
  return runLength;
}

void DeleteCursorEvent(bool disposeChild) {
  Handle list = GetCurrentTrackEventList();
  if (!list || !gCurrentEvent || SeqEventTime(gCurrentEvent) == 0) return;
  uint32_t length = SeqEventLengthWithin(gCurrentEvent, uint32_t(ListEnd(list) - gCurrentEvent));
  if (length == 0) return;
  bool reference = SeqEventKind(gCurrentEvent) == kKindSequenceRef;
  uint16_t word = reference ? ReadU16BE(gCurrentEvent + kEventChildIndex) : kDeletedReference;
  int32_t offset = GetEventCursorOffset();
  CloseGapAtCursor(gCurrentEvent, gCurrentEvent + length, list);
  if (!disposeChild || !reference || word == kDeletedReference) return;
  // The removed record's bytes now lie beyond the list's end record: the walk below does not
  // see them.
  if (!IsChildSequenceReferenced(word)) DetachChildSequence(word);
  SetEventCursor(offset);
}

bool IsChildSequenceReferenced(uint16_t reference) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return false;
  uint8_t* base = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* end = ListEnd(list);
  for (uint8_t* p = base; p < end && SeqEventTime(p) != 0;) {
    uint32_t length = SeqEventLengthWithin(p, uint32_t(end - p));
    if (length == 0) break;
    if (SeqEventKind(p) == kKindSequenceRef && ReadU16BE(p + kEventChildIndex) == reference) return true;
    p += length;
  }
  return false;
}

void DetachChildSequence(uint16_t reference) {
  if (reference / 4 >= kMaxChildSequences) return;
  uint8_t* event = gCurrentEvent;
  uint32_t removed = gRemovedEventBytes;
  uint8_t armed = gCursorAdvanceArmed;
  gFollowSongLinks = 0;
  if (PushSongContext() == noErr) {
    if (SelectChildSequence(reference / 4)) DisposeChildSequence(nullptr);
    PopSongContext();
  }
  gFollowSongLinks = 1;
  gCurrentEvent = event;
  gRemovedEventBytes = removed;
  gCursorAdvanceArmed = armed;
}
