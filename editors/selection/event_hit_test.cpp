#include "editors/selection/event_hit_test.h"

#include <algorithm>

#include "editors/note_drawing/event_labels.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_stack.h"
#include "editors/sections/section_dialog.h"
#include "editors/sections/section_markers.h"
#include "editors/selection/note_rectangle_selection.h"
#include "editors/selection/selection_hooks.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/key_codes.h"
#include "platform/quickdraw/geometry.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/model/utility_track_access.h"
#include "platform/memory/memory.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

int32_t gHitEventOffset = -1;

namespace {

constexpr int16_t kScrollBarInset = 15;
constexpr int16_t kNoteLeftSlack = 2;

Point gLastNoteClicked{-32768, -32768};

uint8_t* CurrentEvents(uint32_t* bytes) {
  Handle list = GetCurrentTrackEventList();
  *bytes = list ? uint32_t(GetHandleSize(list)) : 0;
  return list && *bytes >= kEndRecordSize ? reinterpret_cast<uint8_t*>(HandleData(list)) : nullptr;
}

// The note's rectangle as the hit test takes it: its left not left of the origin x less 2, its
// bottom one pixel lower.
Rect NoteHitRect(const uint8_t* event) {
  ComputeNoteRect(event);
  Rect r = gNoteRect;
  r.left = std::max<int16_t>(r.left, int16_t(gTimelineFrame.originX - kNoteLeftSlack));
  r.right = std::max<int16_t>(r.right, int16_t(r.left + 1));
  r.bottom = int16_t(r.bottom + 1);
  return r;
}

Rect VelocityHandleRect(const Rect& note) {
  return Rect{int16_t(note.top - kVelocityHandleHeight), int16_t(note.left - 2), note.top, int16_t(note.left + 2)};
}

// 1 or 8 when event (a note) is under the mouse, 0 when not.
int16_t HitTestNote(const uint8_t* event, int16_t flags, bool drum) {
  Rect r = NoteHitRect(event);
  if (PtInRect(gLastMousePoint, &r)) return drum && (flags & kHitVelocityHandles) ? kHitVelocityHandles : kHitNotes;
  if (drum || !(flags & kHitVelocityHandles)) return 0;
  Rect handle = VelocityHandleRect(r);
  return PtInRect(gLastMousePoint, &handle) ? kHitVelocityHandles : 0;
}

// A sequence block (2, its part in *part) or a system-exclusive label (4, its dialog run) under
// the mouse; 0 when not.
int16_t HitTestLabelOrBlock(uint8_t* e, int32_t offset, int16_t flags, int16_t* part) {
  int32_t tick = ClampToTickRange(SeqEventTime(e));
  if (SeqEventKind(e) == kKindSequenceRef) {
    int16_t hit = HitTestSequenceBlock(flags & kHitActOnBlock, SequenceBlockRect(tick, e));
    if (hit && part) *part = hit;
    return hit ? kHitSequenceBlocks : 0;
  }
  Rect foot, label;
  GetSysExLabelRects(tick, &foot, &label);
  if (!PtInRect(gLastMousePoint, &foot) && !PtInRect(gLastMousePoint, &label)) return 0;
  CallOpenSysExEventDialog(offset);
  InvalAppWindowPort(&gMainEditorRecord);
  return kHitSysExLabels;
}

// What one event answers: its hit, 0 to walk on, -1 to end the walk.
int16_t HitTestOneEvent(uint8_t* e, int32_t offset, int16_t flags, bool drum, int16_t* part) {
  uint8_t kind = SeqEventKind(e);
  if (kind >= kKindPolyPressure && kind <= kKindPitchBend) return 0;
  if (kind == kKindNote) return HitTestNote(e, flags, drum);
  if ((kind == kKindSequenceRef && (flags & kHitSequenceBlocks)) ||
      (kind == kKindVariable && (flags & kHitSysExLabels) && gShowSysExLabels))
    return HitTestLabelOrBlock(e, offset, flags, part);
  return -1;
}

// Backwards from the first event at or after the test time, so that of overlapping notes the
// one starting last is found first.
int16_t WalkBackForHit(uint8_t* head, uint32_t bytes, int16_t flags, bool drum, int16_t* part) {
  uint8_t* at = SeekEventListWithin(head, bytes, HitTestTime(gClickX));
  if (!at) return 0;
  while (at > head) {
    uint8_t* e = PrevEventStartWithin(at, head);
    if (!e || e >= at) return 0;
    at = e;
    int16_t hit = HitTestOneEvent(e, int32_t(e - head), flags, drum, part);
    if (hit < 0) return 0;
    if (hit) {
      gHitEventOffset = int32_t(e - head);
      return hit;
    }
  }
  return 0;
}

struct ToggleRequest {
  int32_t offset;
};

int32_t ToggleNoteSelection(void* context) {
  uint32_t bytes = 0;
  uint8_t* head = CurrentEvents(&bytes);
  int32_t offset = static_cast<ToggleRequest*>(context)->offset;
  if (!head || offset < 0 || uint32_t(offset) + kLongEventSize > bytes) return 0;
  SetCurrentUndoKind(kSelectionUndoKind);
  head[offset + kEventFlags] ^= kEventSelected;
  InvalAppWindowPort(&gMainEditorRecord);
  return 1;
}

}  // namespace

bool IsMouseInPaneArea() {
  if (!gMainEditorRecord.window) return false;
  Rect bounds;
  GetWindowPortBounds(gMainEditorRecord.window, &bounds);
  bounds.right = int16_t(bounds.right - kScrollBarInset);
  bounds.bottom = int16_t(bounds.bottom - kScrollBarInset);
  bounds.top = std::max<int16_t>(bounds.top, gPaneTopMargin);
  return PtInRect(gLastMousePoint, &bounds);
}

bool SelectPaneAtMouse() {
  int16_t pane = FindEditorPaneAt(gLastMousePoint.v);
  if (pane < 0 || pane >= gEditorPaneCount) return false;
  SelectPaneForDrawing(pane);
  return true;
}

bool IsCurrentPaneDrumView() { return gCurrentViewMode == 1 || gCurrentViewMode == 16; }

int32_t HitTestTime(int32_t clickX) { return ClampToTickRange(int64_t(XToTime(clickX + 2)) + 1); }

int16_t HitTestEditorEvents(int16_t flags, int16_t* part) {
  if (part) *part = 0;
  gHitEventOffset = -1;
  if (!IsMouseInPaneArea() || !SelectPaneAtMouse()) return 0;
  if (flags & kHitSections) {
    int32_t section = HitTestSectionMarkers(gLastMousePoint);
    if (section >= 0) {
      RunSectionDialog(false, section);
      return kHitSections;
    }
  }
  bool drum = IsCurrentPaneDrumView();
  if (drum) flags = int16_t(flags & ~kHitSequenceBlocks);
  uint32_t bytes = 0;
  uint8_t* head = CurrentEvents(&bytes);
  if (!(flags & kHitNotes) || !head || SeqEventTime(head) == 0) return 0;
  return WalkBackForHit(head, bytes, flags, drum, part);
}

bool HandleNoteAreaClick() {
  int16_t hit = HitTestEditorEvents(kHitNotes | kHitVelocityHandles, nullptr);
  return hit == kHitVelocityHandles && !IsCurrentPaneDrumView();
}

void ForEachCurrentTrackNote(NoteVisit visit, void* context) {
  uint32_t bytes = 0;
  uint8_t* head = CurrentEvents(&bytes);
  for (uint8_t* e = head; e && SeqEventTime(e) != 0;) {
    uint32_t length = SeqEventLengthWithin(e, uint32_t(head + bytes - e));
    if (length == 0) break;
    if (SeqEventKind(e) == kKindNote) visit(e, context);
    e += length;
  }
}

int16_t FindNoteAtTickAndPitch(int32_t tick, int32_t pitch) {
  struct Search {
    int32_t tick, pitch;
    int16_t found;
  } search{tick, pitch, 0};
  ForEachCurrentTrackNote(
      [](uint8_t* e, void* c) {
        auto* s = static_cast<Search*>(c);
        if (int32_t(SeqEventTime(e)) == s->tick && e[kEventData1] == s->pitch) s->found = 1;
      },
      &search);
  return search.found;
}

void SetVelocityOfNotesAt(int32_t velocity, int32_t tick) {
  struct Change {
    int32_t tick, loudest;
  } change{tick, -1};
  ForEachCurrentTrackNote(
      [](uint8_t* e, void* c) {
        auto* ch = static_cast<Change*>(c);
        if (int32_t(SeqEventTime(e)) == ch->tick) ch->loudest = std::max<int32_t>(ch->loudest, e[kEventData2] & 0x7F);
      },
      &change);
  if (change.loudest < 0) return;
  change.loudest -= velocity;  // from here: how much each note comes down
  ForEachCurrentTrackNote(
      [](uint8_t* e, void* c) {
        auto* ch = static_cast<Change*>(c);
        if (int32_t(SeqEventTime(e)) == ch->tick)
          e[kEventData2] = uint8_t(std::clamp<int32_t>((e[kEventData2] & 0x7F) - ch->loudest, 0, 127));
      },
      &change);
}

int16_t ClickOnNote(int16_t flags, uint32_t modifiers, bool doubleClick) {
  if (!(flags & kHitNotes)) return 0;
  if (HitTestEditorEvents(kHitNotes, nullptr) != kHitNotes) return 0;
  Point corner{gNoteRect.top, gNoteRect.left};
  bool sameNote = corner.v == gLastNoteClicked.v && corner.h == gLastNoteClicked.h;
  gLastNoteClicked = corner;
  if ((doubleClick && sameNote) || (modifiers & controlKey)) {
    CallOpenNoteEventDialog(gHitEventOffset);
    InvalAppWindowPort(&gMainEditorRecord);
    return 2;
  }
  if ((modifiers & cmdKey) && !(modifiers & (optionKey | shiftKey))) {
    ToggleRequest request{gHitEventOffset};
    RunUndoableEditForCurrentTrack(ToggleNoteSelection, &request);
  }
  return 1;
}
