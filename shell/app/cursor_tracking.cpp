#include "shell/app/cursor_tracking.h"

#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_readout.h"
#include "editors/selection/event_hit_test.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/cursors.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/base/app_state.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/event_records.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/mouse_location.h"
#include "shell/windows/track_view_modes.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"

const int16_t kToolCursorTable[8] = {0, 502, 0, 0, 0, 506, 1053, 0};
EventRecord gLastMouseEvent{};
int32_t gMouseTick = 1, gMousePitch = -1;
uint8_t gEditorHoverZone = 0;
int32_t gHoverPaneIndex = 0;
uint32_t gAppearanceVersion = 0;
uint8_t gHandDragSetting = 0;

namespace {

constexpr int16_t kCrosshairCursor = 502, kVelocityCursor = 503, kPaneDividerCursor = 505,
                  kBarLineCursor = 506, kNoteStartCursor = 507, kNoteEndCursor = 509,
                  kEraseCursor = 510, kPaintCursor = 1053;
constexpr int16_t kIBeamCursor = 4, kOpenHandCursor = 9, kLastThemeCursor = 17;
constexpr uint32_t kThemeCursorAppearance = 0x10F;
constexpr int16_t kFirstPluginWindowItem = 20;
constexpr uint8_t kAudioViewMode = 9;

// Field by field: the record's padding bytes are no part of it.
bool SameEvent(const EventRecord& a, const EventRecord& b) {
  return a.what == b.what && a.message == b.message && a.when == b.when && a.where.h == b.where.h &&
         a.where.v == b.where.v && a.modifiers == b.modifiers;
}

bool SameMouseState(const EventRecord& a, const EventRecord& b) {
  return a.where.h == b.where.h && a.where.v == b.where.v && a.modifiers == b.modifiers;
}

// The song takes step input: song mode 1, or the step and record mode 3.
bool SongAllowsStepInput() {
  if (!gCurrentSong) return false;
  uint8_t mode = SongHeaderView(gCurrentSong).SongMode();
  return mode == 1 || mode == 3;
}

bool IsHandDragOn() {
  if (gLastEvent.modifiers & controlKey) return (gLastEvent.modifiers & optionKey) != 0;
  return gHandDragSetting != 0;
}

struct Keys {
  bool option, control, shift, command;
};

Keys ReadKeys() {
  EventModifiers m = gLastEvent.modifiers;
  return Keys{(m & optionKey) != 0, (m & controlKey) != 0, (m & shiftKey) != 0, (m & cmdKey) != 0};
}

// The note's handles under the mouse: its body, a sequence block's marks, a velocity handle.
int16_t EditHandleCursor(int16_t cursor, const Keys& k) {
  if ((k.command && gNoteTool != kPencilTool) || cursor == kPaintCursor ||
      gCurrentViewMode == kAudioViewMode)
    return cursor;
  // The hit test reads the click's x and leaves the hit event: the editor's own click state
  // is kept around it.
  int16_t keptClickX = gClickX;
  int32_t keptHit = gHitEventOffset;
  Rect keptNote = gNoteRect;
  gClickX = gLastMousePoint.h;
  int16_t part = 0;
  int16_t mask = gNoteTool == kVelocityTool ? (kHitNotes | kHitSequenceBlocks | kHitVelocityHandles)
                                            : (kHitNotes | kHitSequenceBlocks);
  int16_t hit = HitTestEditorEvents(mask, &part);
  gClickX = keptClickX;
  gHitEventOffset = keptHit;
  gNoteRect = keptNote;
  switch (hit) {
    case kHitNotes:
      if (gNoteTool == kPencilTool && !k.shift) return kEraseCursor;
      return k.shift ? kNoteStartCursor : kNoteEndCursor;
    case kHitSequenceBlocks:
      if (part == 2) return kNoteEndCursor;
      if (part == 3) return kNoteStartCursor;
      return cursor;
    case kHitVelocityHandles: return kVelocityCursor;
    default: return cursor;
  }
}

// The cursor over a pane of the main editor (the pane under the mouse is made current).
int16_t EditorPaneCursor(const Keys& k) {
  gEditorHoverZone = 0;  // Interim: the pane headers' zones are not hit-tested yet.
  // Selected for the tests only: the pane's scroll and the editor's redraw stay as they are.
  SelectPaneAtMouse();
  if (!IsDrumOrNoteMode(uint8_t(gCurrentViewMode))) {
    if (k.option && !k.control) return 0;
    if (gLaneTool == kArrowTool) return GetSelectionHandCursor(0);
    if (gLaneTool == kPencilTool || gLaneTool == kRectangleTool || gLaneTool == kVelocityTool)
      return kCrosshairCursor;
    return 0;
  }
  int16_t cursor = 0;
  if (!(k.option && !k.control)) cursor = GetEditorToolCursor(gNoteTool);
  return EditHandleCursor(cursor, k);
}

// The main editor's part of the pass; *result := 1 when nothing changed.
int16_t MainEditorCursor(bool changed, uint8_t moved, uint8_t* result) {
  SetPortWindowPort(gMainEditorRecord.window);
  if (!changed) {
    *result = 1;
    return 0;
  }
  GlobalToLocalEventMouse();
  if (!IsMouseInWindowContent(&gMainEditorRecord)) return 0;
  int16_t keptPane = gCurrentPaneIndex;
  int32_t keptTrackNumber = gCurrentTrackNumber, keptTrackIndex = GetCurrentTrackIndex();
  int16_t cursor = 0;
  if (IsMouseInPaneArea()) {
    cursor = EditorPaneCursor(ReadKeys());
    if (moved) {
      gMouseTick = XToTime(gLastMousePoint.h);
      gMousePitch = GetPitchAtY(gLastMousePoint.v);
      UpdateReadoutAtMouse();
    }
  }
  SelectEditorPaneIndex(keptPane);
  SetCurrentTrackIndex(keptTrackIndex);
  gCurrentTrackNumber = keptTrackNumber;
  return cursor;
}

// The I-beam over the notepad's text when the notepad is in front.
int16_t NotepadCursor(const AppWindow* notepad, int16_t cursor) {
  WindowRef w = GetAppWindowRef(notepad);
  if (!w) return cursor;
  SetPortWindowPort(w);
  GlobalToLocalEventMouse();
  Rect content{};
  GetWindowPortBounds(w, &content);
  return PtInRect(gLastMousePoint, &content) ? kIBeamCursor : cursor;
}

}  // namespace

bool TakeMouseStateChange(uint8_t* moved) {
  // While a menu is tracked the cursor is the menu's.
  if (gAppState[4] & kAppWord4MenuTracking) return false;
  *moved = SameMouseState(gLastEvent, gLastMouseEvent) && gMousePitch >= 0 ? 0 : 1;
  gLastMouseEvent.when = gLastEvent.when;
  if (SameEvent(gLastEvent, gLastMouseEvent)) return false;
  gLastMouseEvent = gLastEvent;
  return true;
}

int16_t GetEditorToolCursor(int16_t tool) {
  if (tool < 0 || tool > 7) return 0;
  if (SongAllowsStepInput() && gCurrentViewMode == kAudioViewMode) {
    if (int16_t c = GetAudioRegionCursor()) return c;
    if (tool == 1 || tool == 2 || tool == 3 || tool == 4 || tool == 6) tool = 0;
  } else if (tool == 0 || tool == 2 || tool == 3) {
    int16_t c = GetSelectionHandCursor(tool);
    if (c != tool) return c;
  }
  return kToolCursorTable[tool];
}

int16_t GetSelectionHandCursor(int16_t fallback) {
  int16_t pane = gCurrentPaneIndex;
  bool selected = pane >= 0 && pane < 32 && (gPaneVisitMask & (1u << pane));
  if (!selected || !IsHandDragOn()) return fallback;
  uint32_t t = uint32_t(XToTime(gLastMousePoint.h));
  return gTimeSelection.start.tick <= t && t <= gTimeSelection.end.tick ? kOpenHandCursor : fallback;
}

// Interim: the audio regions' edge and body tests are not built yet, so no region edge or
// body is found under the mouse and the answer is always the arrow.
int16_t GetAudioRegionCursor() { return 0; }

void ApplyCursorCode(int16_t c, int16_t item) {
  if (item == 0) return;
  if (c == 0) {
    if (item < kFirstPluginWindowItem) InitCursor();
  } else if (c > kLastThemeCursor) {
    SetCursorResource(c);
  } else if (c > 0 && gAppearanceVersion > kThemeCursorAppearance) {
    SetThemeCursor(ThemeCursor(c));
  }
}

uint8_t AdjustCursorForWindow(bool keepCursor, WindowRef* under) {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  uint8_t moved = 1, result = 0;
  bool changed = TakeMouseStateChange(&moved);
  int16_t cursor = 0;
  if (IsAppWindowVisible(&gMainEditorRecord)) cursor = MainEditorCursor(changed, moved, &result);
  AppWindow* front = GetFrontAppWindow();
  if (front && front->kind == kNotepadKind) cursor = NotepadCursor(front, cursor);
  // Interim: the other windows' own cursors (track list columns, chooser, jukebox, remote
  // control, on-screen keyboard) come with those windows.
  // The window under the event's global mouse location (gLastMousePoint is local to the
  // editor only when the editor's part ran).
  WindowRef win = nullptr;
  FindWindow(gLastEvent.where, &win);
  if (!keepCursor && win && changed) ApplyCursorCode(cursor, GetWindowMenuItem(win));
  if (under) *under = win;
  if (saved) SetPort(saved);
  return result;
}
