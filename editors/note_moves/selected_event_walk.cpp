#include "editors/note_moves/selected_event_walk.h"

#include <cstring>

#include "editors/note_entry/editor_clicks.h"
#include "editors/panes/pane_stack.h"
#include "platform/memory/memory.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/event_filter_slots.h"
#include "song/events/utility_event_selection.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int16_t kVelocityViewMode = 4;
constexpr int32_t kTrackSlots = 48;
constexpr int32_t kSelectionMaskOffset = 2;  // after the first and last slot bytes

bool IsWalkedView() { return IsNoteOrDrumView(gCurrentViewMode) || gCurrentViewMode == kVelocityViewMode; }

// The selected panes as a mask; the current pane alone when none is selected.
uint32_t SelectedPaneMask() {
  uint32_t mask = gPaneVisitMask & ((uint32_t(1) << kMaxEditorPanes) - 1);
  if (mask == 0 && gCurrentPaneIndex >= 0 && gCurrentPaneIndex < kMaxEditorPanes) mask = uint32_t(1) << gCurrentPaneIndex;
  return mask;
}

bool PaneShown(int16_t pane) { return pane >= 0 && pane < gEditorPaneCount; }

}  // namespace

uint8_t* CurrentTrackRecordAt(int32_t offset) {
  Handle list = GetCurrentTrackEventList();
  if (!list || offset < 0 || uint32_t(offset) + kLongEventSize > uint32_t(GetHandleSize(list))) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(list)) + offset;
}

bool IsSelectedEditableEvent(const uint8_t* event) {
  if (!(event[kEventFlags] & kEventSelected)) return false;
  return EventPassesFilter(gEditFilterProc, event);
}

void ForEachSelectedEventInRange(PerEventProcedure* state) {
  Handle list = GetCurrentTrackEventList();
  if (!state || !state->proc || !list || !IsWalkedView()) return;
  bool bounded = !state->wholeList && gTimeSelection.end.tick > gTimeSelection.start.tick;
  uint32_t size = uint32_t(GetHandleSize(list));
  bool started = false;
  for (uint32_t at = 0; at < size && !state->stop;) {
    // The list is read again at every step: the procedure may not move it, but it may be
    // dereferenced anew.
    uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(list)) + at;
    uint32_t length = SeqEventLengthWithin(e, size - at);
    if (length == 0 || SeqEventTime(e) == 0) break;
    if (started && bounded && SeqEventTime(e) >= gTimeSelection.end.tick) break;
    if (IsSelectedEditableEvent(e)) {
      started = true;
      state->proc(e, state);
      state->first = false;
    }
    at += length;
  }
  if (state->finish) state->finish(state);
}

void RunPerEventProcedure(PerEventProcedure* state) {
  int16_t current = gCurrentPaneIndex;
  bool done[kTrackSlots] = {};
  uint32_t mask = SelectedPaneMask();
  for (int16_t pane = 0; pane < gEditorPaneCount && !state->stop; ++pane) {
    if (!((mask >> pane) & 1)) continue;
    uint8_t track = gEditorPanes[pane].track;
    if (track >= kTrackSlots || done[track]) continue;  // each track once per operation
    done[track] = true;
    SelectPaneForDrawing(pane);
    state->first = true;
    ForEachSelectedEventInRange(state);
  }
  if (PaneShown(current)) SelectPaneForDrawing(current);
}

void GetSelectedPaneTracks(uint8_t* scope) {
  std::memset(scope, 0, kTrackSelectionBytes);
  uint32_t mask = SelectedPaneMask();
  for (int16_t pane = 0; pane < gEditorPaneCount; ++pane) {
    uint8_t track = gEditorPanes[pane].track;
    if (((mask >> pane) & 1) && track < kTrackSlots) scope[kSelectionMaskOffset + (track >> 3)] |= uint8_t(1 << (track & 7));
  }
  RecomputeSelectionBounds(scope, false);
}
