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

struct SequenceBlockMove {
  int32_t offset;
  uint32_t tick;
};

struct SequenceBlockLength {
  int32_t offset;
  uint32_t length;
};

int32_t ApplySequenceBlockLength(void* context) {
  auto* change = static_cast<SequenceBlockLength*>(context);
  SetCurrentUndoKind(kNoteEditUndoKind);
  uint8_t* block = CurrentTrackRecordAt(change->offset);
  if (!block || SeqEventKind(block) != kKindSequenceRef || BeginTrackEdit() != noErr) return 0;
  SetEventLongDuration(block, change->length);
  TrackLengthAtLeast(SeqEventTime(block) + change->length);
  EndTrackEdit();
  return 1;
}

int32_t ApplySequenceBlockMove(void* context) {
  auto* move = static_cast<SequenceBlockMove*>(context);
  SetCurrentUndoKind(kNoteEditUndoKind);
  uint8_t* block = CurrentTrackRecordAt(move->offset);
  if (!block || SeqEventKind(block) != kKindSequenceRef || BeginTrackEdit() != noErr) return 0;
  SetSeqEventTime(block, move->tick);
  uint32_t end = move->tick + GetEventLongDuration(block);
  SortTrackEvents();
  TrackLengthAtLeast(end);
  EndTrackEdit();
  return 1;
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

void DragBlockLength(int32_t offset) {
  const uint8_t* block = CurrentTrackRecordAt(offset);
  if (!block || SeqEventKind(block) != kKindSequenceRef) return;
  uint32_t start = SeqEventTime(block);
  Rect r = SequenceBlockRect(int32_t(std::min<uint32_t>(start, INT32_MAX / 2)), block);
  Rect limit;
  GetPaneContentRect(gCurrentPaneIndex, &limit);
  int16_t dh = DragOutlineHorizontally(r, limit, limit);
  if (dh == 0) return;
  uint32_t end = uint32_t(SnapTimeToGrid(XToTime(r.right + dh), 0, gSnapSwitch != 0, true, nullptr));
  SequenceBlockLength change{offset, end > start ? end - start : 1};
  if (change.length == GetEventLongDuration(block)) return;
  if (!RunUndoableEditForCurrentTrack(ApplySequenceBlockLength, &change)) return;
  SetSongModified();
  InvalidateEditorWindow();
  RedrawEventListWindow();
}

void DragBlockEvent(int32_t offset) {
  const uint8_t* block = CurrentTrackRecordAt(offset);
  if (!block || SeqEventKind(block) != kKindSequenceRef) return;
  int32_t tick = int32_t(std::min<uint32_t>(SeqEventTime(block), INT32_MAX / 2));
  Rect r = SequenceBlockRect(tick, block);
  Rect limit;
  GetPaneContentRect(gCurrentPaneIndex, &limit);
  int16_t dh = DragOutlineHorizontally(r, limit, limit);
  if (dh == 0) return;
  SequenceBlockMove move{offset, uint32_t(SnapTimeToGrid(XToTime(r.left + dh), 0, gSnapSwitch != 0, true, nullptr))};
  if (move.tick == SeqEventTime(block)) return;
  if (!RunUndoableEditForCurrentTrack(ApplySequenceBlockMove, &move)) return;
  SetSongModified();
  InvalidateEditorWindow();
  RedrawEventListWindow();
}
