#include "editors/note_moves/note_body_clicks.h"

#include <algorithm>

#include "editors/note_drawing/event_labels.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_moves/note_drag.h"
#include "editors/note_moves/mouse_follow.h"
#include "editors/note_moves/note_durations.h"
#include "editors/note_moves/selected_event_walk.h"
#include "editors/selection/event_hit_test.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/key_codes.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/regions.h"
#include "platform/windows/windows.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/event_records.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"
#include "song/model/track_selection.h"

namespace {

struct LengthChange {
  int32_t offset;
  int32_t length;
  bool several;
};

int32_t ApplyLength(void* context) {
  auto* change = static_cast<LengthChange*>(context);
  SetCurrentUndoKind(kNoteEditUndoKind);
  uint8_t* note = CurrentTrackRecordAt(change->offset);
  if (!note) return 0;
  int32_t delta = change->length - GetNoteDuration(note);
  if (change->several) {
    ChangeSelectedDurations(delta, false);
  } else if (BeginTrackEdit() == noErr) {
    TrackLengthAtLeast(ChangeNoteDuration(note, delta));
    EndTrackEdit();
  }
  return 1;
}

bool ResizeClickedNote() {
  uint8_t* note = CurrentTrackRecordAt(gHitEventOffset);
  if (!note) return false;
  if (GetNoteDuration(note) == kLongNoteDuration) {
    ShowLongNoteReadout();
    return false;
  }
  LengthChange change{gHitEventOffset, 0, false};
  int16_t several = DragNoteLength(gSnapSwitch != 0, &change.length);
  if (several < 0) return false;
  change.several = several > 0;
  uint8_t scope[kTrackSelectionBytes];
  GetSelectedPaneTracks(scope);
  return RunUndoableEditInScope(ApplyLength, scope, &change) != 0;
}

// A sequence block's new start and length.
struct SequenceBlockChange {
  int32_t offset;
  uint32_t tick;
  uint32_t length;
};

int32_t ApplySequenceBlockChange(void* context) {
  auto* change = static_cast<SequenceBlockChange*>(context);
  SetCurrentUndoKind(kNoteEditUndoKind);
  uint8_t* block = CurrentTrackRecordAt(change->offset);
  if (!block || SeqEventKind(block) != kKindSequenceRef || BeginTrackEdit() != noErr) return 0;
  SetSeqEventTime(block, change->tick);
  SetEventLongDuration(block, change->length);
  SortTrackEvents();
  TrackLengthAtLeast(change->tick + change->length);
  EndTrackEdit();
  return 1;
}

// The block's outline dragged horizontally; its start (or, with end, its end) goes to the
// snapped time under the outline, the length at least one tick. One undoable step.
void DragSequenceBlock(int32_t offset, bool end) {
  const uint8_t* block = CurrentTrackRecordAt(offset);
  if (!block || SeqEventKind(block) != kKindSequenceRef) return;
  uint32_t start = SeqEventTime(block), length = GetEventLongDuration(block);
  Rect r = SequenceBlockRect(int32_t(std::min<uint32_t>(start, INT32_MAX / 2)), block);
  Rect limit;
  GetPaneContentRect(gCurrentPaneIndex, &limit);
  int16_t dh = DragOutlineHorizontally(r, limit, limit);
  if (dh == 0) return;
  auto snapped = [dh](int16_t x) { return uint32_t(SnapTimeToGrid(XToTime(x + dh), 0, gSnapSwitch != 0, true, nullptr)); };
  SequenceBlockChange change{offset, start, length};
  if (end) change.length = std::max<uint32_t>(snapped(r.right), start + 1) - start;
  else change.tick = snapped(r.left);
  if (change.tick == start && change.length == length) return;
  if (!RunUndoableEditForCurrentTrack(ApplySequenceBlockChange, &change)) return;
  SetSongModified();
  InvalidateEditorWindow();
  RedrawEventListWindow();
}

}  // namespace

void ClickNoteBody(uint32_t modifiers) {
  bool changed;
  if ((modifiers & shiftKey) && !(modifiers & optionKey)) {
    changed = ResizeClickedNote();
  } else {
    SetCursorResource(kNoteMoveCursor);
    changed = MoveSelectedNotes(modifiers);
    SetCursorResource(kArrowCursorId);
  }
  FlushEveryNoteOffOwner();
  RedrawEventListWindow();
  InvalidateEditorWindow();
  if (changed) SetSongModified();
}

void DragBlockLength(int32_t offset) { DragSequenceBlock(offset, true); }

void DragBlockEvent(int32_t offset) { DragSequenceBlock(offset, false); }
