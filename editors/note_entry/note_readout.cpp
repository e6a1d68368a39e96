#include "editors/note_entry/note_readout.h"

#include <algorithm>
#include <cstring>

#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/panes/pane_content.h"
#include "editors/panes/pane_stack.h"
#include "platform/events/classic_events.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/windows/windows.h"
#include "shell/base/position_formats.h"
#include "shell/dialogs/note_names.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"

Rect gNoteReadoutBox = {0, 0, 0, 0};
int32_t gReadoutLastValue = -1;
int32_t gReadoutLastTime = 0;
int32_t gReadoutLastEnd = kNoReadoutEnd;
int16_t gReadoutMode = 0;

namespace {

constexpr int16_t kReadoutLine = 10;
constexpr int16_t kReadoutLeft = 4;
constexpr int16_t kVelocityLeft = 24;
constexpr int32_t kNoNoteValue = 128;

void SetText(StringPtr text, const char* c) {
  size_t n = std::min<size_t>(std::strlen(c), 255);
  text[0] = uint8_t(n);
  std::memcpy(text + 1, c, n);
}

void DrawAt(const Rect& box, int16_t h, int16_t v, ConstStr255Param text) {
  if (text[0] == 0) return;
  MoveTo(int16_t(box.left + h), int16_t(box.top + v));
  DrawString(text);
}

LaneReadoutProc gLaneReadoutProc = nullptr;

bool SamePoint(Point a, Point b) { return a.h == b.h && a.v == b.v; }

// The time and value the readout mode takes from the pointer at mouse in pane.
void ReadoutValuesAt(Point mouse, int16_t pane, int32_t* time, int32_t* value) {
  int16_t savedPane = gCurrentPaneIndex;
  SelectPaneForDrawing(pane);
  *time = SnappedTimeAtX(mouse.h);
  *value = IsNoteOrDrumView(gCurrentViewMode) ? PitchAtPaneY(mouse.v) : kNoNoteValue;
  if (savedPane >= 0 && savedPane < gEditorPaneCount) SelectPaneForDrawing(savedPane);
  if (gReadoutMode == 1 || gReadoutMode == 5) {
    if (*value < kNoNoteValue) *value = gEventTemplate[kEventData1];
  } else if (gReadoutMode == 2) {
    *time = int32_t(SeqEventTime(gEventTemplate));
  }
}

// The lane value under the pointer when pane is a data lane.
void ShowLaneReadoutAt(Point mouse, int16_t pane) {
  if (!gLaneReadoutProc) return;
  int16_t savedPane = gCurrentPaneIndex;
  SelectPaneForDrawing(pane);
  if (GetPaneDrawingClass() == kLaneClass) gLaneReadoutProc(mouse.v);
  if (savedPane >= 0 && savedPane < gEditorPaneCount) SelectPaneForDrawing(savedPane);
}

}  // namespace

void SetLaneReadoutProc(LaneReadoutProc proc) { gLaneReadoutProc = proc; }

void FormatReadoutLength(int32_t time, int32_t end, StringPtr text) {
  int32_t length = std::max(end - time, 1);
  int32_t bar = 0, beat = 0, tick = 0;
  TickToBarBeatTick(std::max(time, 1), &bar, &beat, &tick);  // the meter in force at time
  int32_t barLength = std::max(gConductorState.ticksPerBar, 1);
  int32_t beatLength = std::max(gConductorState.ticksPerBeat, 1);
  int32_t rest = length % barLength;
  FormatBarBeatTick(text, length / barLength - 1, rest / beatLength - 1, rest % beatLength);
}

void ComposeNoteReadout(int32_t time, int32_t value, int32_t end, int32_t velocity, NoteReadoutText* out) {
  std::memset(out, 0, sizeof *out);
  if (velocity >= 0) FormatNumberZeroPadded(out->velocity, velocity, 3);
  if (end < 0) {
    SetText(out->position, end == kReadoutLongNote ? "Long note!" : "Frozen!");
    return;
  }
  if (end > 0) FormatReadoutLength(time, end, out->length);
  if (value >= 0 && value < kNoNoteValue) MakeNoteName(out->noteName, value, 0);
  int32_t shown = end > 0 ? end : time;
  if (shown <= 0) return;
  int32_t bar = 0, beat = 0, tick = 0;
  TickToBarBeatTick(shown, &bar, &beat, &tick);
  FormatBarBeatTick(out->position, bar, beat, tick);
}

void DrawNoteReadout(int32_t time, int32_t value, int32_t end, int32_t velocity) {
  gReadoutLastEnd = end;
  if (end >= 0) {
    gReadoutLastValue = value;
    gReadoutLastTime = time;
  }
  if (EmptyRect(&gNoteReadoutBox) || !gMainEditorRecord.window) return;
  NoteReadoutText text;
  ComposeNoteReadout(time, value, end, velocity, &text);
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(gMainEditorRecord.window);
  const Rect& box = gNoteReadoutBox;
  int16_t line = int16_t((box.bottom - box.top) / 3);
  EraseRect(&box);
  DrawAt(box, kReadoutLeft, kReadoutLine, text.position);
  DrawAt(box, kReadoutLeft, int16_t(2 * line + 8), text.length);
  DrawAt(box, kVelocityLeft, int16_t(2 * line + 8), text.velocity);
  int16_t nameLeft = int16_t((box.right - box.left - StringWidth(text.noteName)) / 2);
  DrawAt(box, nameLeft, int16_t(line + 9), text.noteName);
  SetPort(saved);
}

void ShowFrozenReadout() { DrawNoteReadout(0, kNoNoteValue, kReadoutFrozen, kNoReadoutVelocity); }

void ShowLongNoteReadout() { DrawNoteReadout(0, kNoNoteValue, kReadoutLongNote, kNoReadoutVelocity); }

int32_t UpdateReadoutAtMouse() {
  static Point last{-32768, -32768};
  if (!gMainEditorRecord.window) return gReadoutLastValue;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(gMainEditorRecord.window);
  Point mouse{};
  GetMouse(&mouse);
  SetPort(saved);
  if (SamePoint(mouse, last)) return gReadoutLastValue;
  last = mouse;
  int16_t pane = FindEditorPaneAt(mouse.v);
  if (pane < 0 || pane >= gEditorPaneCount) return gReadoutLastValue;
  int32_t time = 0, value = kNoNoteValue;
  ReadoutValuesAt(mouse, pane, &time, &value);
  DrawNoteReadout(time, value, kNoReadoutEnd, kNoReadoutVelocity);
  ShowLaneReadoutAt(mouse, pane);
  return value;
}
