#include "editors/selection/selection_drag.h"

#include <algorithm>

#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_readout.h"
#include "editors/panes/pane_stack.h"
#include "editors/selection/selection_hooks.h"
#include "editors/selection/selection_tracker.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/key_codes.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/system/host_time.h"
#include "shell/base/event_records.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

uint16_t gEditorDragSettings = kDragSelectionOutBit;

namespace {

constexpr OSErr kDragSettingOffErr = -4;

// The drag the editor sent, while it runs: where it started and from which track.
struct OutgoingDrag {
  DragRef drag = nullptr;
  int32_t originTick = 1;
  int16_t sourcePane = 0;
  int16_t sourceTrack = 0;
  bool sourceAudio = false;
  Point lastMouse{-32768, -32768};  // the pointer at the last tracking step (global)
};
OutgoingDrag gOutgoing;
constexpr int32_t kDragReadoutPitch = 60;

void FollowDragTime(DragRef drag, Point mouse, Point local);

CGrafPtr EditorPort() { return GetWindowPort(gMainEditorRecord.window); }

bool IsPaneAudio(int16_t pane) {
  SelectPaneForDrawing(pane);
  return HasValidCurrentTrack() && ReadU32BE(gCurrentTrack + kTrackRegionList) != 0;
}

bool IsPaneSelected(int16_t pane) { return pane >= 0 && pane < 32 && (gPaneVisitMask >> pane) & 1; }

// The selected time range across a pane's content (window coordinates).
Rect PaneSelectionRect(int16_t pane) {
  Rect r;
  GetPaneContentRect(pane, &r);
  r.left = std::max<int16_t>(r.left, TickToClampedPixel(int32_t(gTimeSelection.start.tick)));
  r.right = std::min<int16_t>(r.right, TickToClampedPixel(int32_t(gTimeSelection.end.tick)));
  return r;
}

void AddPromisedFile(DragRef drag, DragItemRef item, OSType fileType, const Rect& bounds) {
  uint8_t promise[kPromiseBytes];
  WriteU32BE(promise, fileType);
  WriteU32BE(promise + 4, kProgramCreator);
  WriteU16BE(promise + 8, 0);
  WriteU32BE(promise + 10, kPromisedFileSpecFlavor);
  AddDragItemFlavor(drag, item, kPromisedFileFlavor, promise, kPromiseBytes, 0);
  AddDragItemFlavor(drag, item, kPromisedFileSpecFlavor, nullptr, 0, 0);
  SetDragItemBounds(drag, item, &bounds);
}

// One MIDI file for the MIDI panes (with the first of them), an audio file per audio pane.
void AddPaneItems(DragRef drag, const Rect& bounds) {
  bool midiPromised = false;
  for (int16_t pane = 0; pane < gEditorPaneCount; ++pane) {
    if (!IsPaneSelected(pane)) continue;
    bool audio = IsPaneAudio(pane);
    if (!audio && midiPromised) continue;
    AddPromisedFile(drag, DragItemRef(pane + 1), audio ? kAudioFileType : kMidiFileType, bounds);
    midiPromised = midiPromised || !audio;
  }
  SelectPaneForDrawing(gOutgoing.sourcePane);
}

OSErr TrackOverEditor(DragTrackingMessage message, WindowRef, void*, DragRef drag) {
  if (message == kDragTrackingInWindow) TrackEditorDrag(drag);
  return noErr;
}

OSErr ReceiveInEditor(WindowRef, void*, DragRef drag) {
  return drag == gOutgoing.drag ? DropSelectionInEditor(drag) : dragNotAcceptedErr;
}

Point PointInEditor(Point global) {
  QDGlobalToLocalPoint(EditorPort(), &global);
  return global;
}

OSErr RunDrag(DragRef drag, Point global, RgnHandle region) {
  InstallTrackingHandler(TrackOverEditor, gMainEditorRecord.window, nullptr);
  InstallReceiveHandler(ReceiveInEditor, gMainEditorRecord.window, nullptr);
  gOutgoing.drag = drag;
  EventRecord event;
  event.what = mouseDown;
  event.where = global;
  event.modifiers = EventModifiers(GetCurrentKeyModifiers());
  OSErr err = TrackDrag(drag, &event, region);
  gOutgoing.drag = nullptr;
  RemoveTrackingHandler(TrackOverEditor, gMainEditorRecord.window);
  RemoveReceiveHandler(ReceiveInEditor, gMainEditorRecord.window);
  return err;
}

}  // namespace

void GetSelectionDragRegion(RgnHandle region) {
  SetEmptyRgn(region);
  if (!gMainEditorRecord.window || gTimeSelection.end.tick <= gTimeSelection.start.tick) return;
  RgnHandle band = NewRgn();
  for (int16_t pane = 0; pane < gEditorPaneCount; ++pane) {
    if (!IsPaneSelected(pane)) continue;
    Rect r = PaneSelectionRect(pane);
    RectRgn(band, &r);
    UnionRgn(region, band, region);
  }
  DisposeRgn(band);
  Point origin{0, 0};
  QDLocalToGlobalPoint(EditorPort(), &origin);
  OffsetRgn(region, origin.h, origin.v);
}

OSErr DragSelectionOut() {
  if (!(gEditorDragSettings & kDragSelectionOutBit)) return kDragSettingOffErr;
  if (!gMainEditorRecord.window) return paramErr;
  Point global = gLastMousePoint;
  QDLocalToGlobalPoint(EditorPort(), &global);
  RgnHandle region = NewRgn();
  GetSelectionDragRegion(region);
  Rect bounds;
  GetRegionBounds(region, &bounds);
  gClickX = int16_t(global.h - bounds.left);  // the grab offset
  OSErr err = userCanceledErr;
  if (WaitMouseMoved(global)) {
    gOutgoing.originTick = XToTime(gLastMousePoint.h);
    gOutgoing.sourcePane = gCurrentPaneIndex;
    gOutgoing.sourceTrack = GetCurrentPaneTrack();
    gOutgoing.sourceAudio = IsPaneAudio(gCurrentPaneIndex);
    gOutgoing.lastMouse = Point{-32768, -32768};
    DragRef drag = nullptr;
    err = NewDrag(&drag);
    if (err == noErr) {
      AddPaneItems(drag, bounds);
      err = RunDrag(drag, global, region);
      DisposeDrag(drag);
    }
  }
  DisposeRgn(region);
  return err;
}

int32_t TrackEditorDrag(DragRef drag) {
  Point mouse;
  if (GetDragMouse(drag, &mouse, nullptr) != noErr || !gMainEditorRecord.window) return 0;
  Point local = PointInEditor(mouse);
  FollowDragTime(drag, mouse, local);
  int32_t step = 0;
  if (local.h < gTimelineFrame.originX) step = -1;
  else if (local.h > GetMainWindowRight() - kAutoscrollRightInset) step = 1;
  step = ScrollTimelineBySteps(step);
  if (step != 0) {
    HideDragHilite(drag);
    InvalAppWindowPort(&gMainEditorRecord);
  }
  return step;
}

bool AcceptsDragFlavor(FlavorType flavor) {
  if (CallIsDropTimingSwitchOn()) return flavor != kPromisedFileFlavor;
  return flavor == kEditorSelectionFlavor && gSnapSwitch == 0;
}

namespace {

// The flavour of the drag's first item, or 0.
FlavorType FirstDragFlavor(DragRef drag) {
  DragItemRef item = 0;
  FlavorType type = 0;
  if (GetDragItemReferenceNumber(drag, 1, &item) != noErr || GetFlavorType(drag, item, 1, &type) != noErr) return 0;
  return type;
}

// Where the selection's start lands for a drop at x: moved by the pointer since the drag
// began, on the grid unless the drop is timed by its position (a drop where the drag began
// leaves the range where it is, on the grid or not).
uint32_t DroppedSelectionStart(int16_t x, bool byPosition) {
  uint32_t start = gTimeSelection.start.tick, length = gTimeSelection.end.tick - start;
  int64_t moved = int64_t(start) + XToTime(x) - gOutgoing.originTick;
  if (moved != int64_t(start) && !byPosition)
    moved = SnapTimeToGrid(int32_t(std::clamp<int64_t>(moved, 1, INT32_MAX)), 0, gSnapSwitch != 0, true, nullptr);
  return uint32_t(std::clamp<int64_t>(moved, 1, INT32_MAX - int64_t(length)));
}

// When the pointer moved: the readout shows the time the drag points at (pitch 60), and at
// the tick zoom levels the drag image's left edge is put on that time.
void FollowDragTime(DragRef drag, Point mouse, Point local) {
  if (mouse.h == gOutgoing.lastMouse.h && mouse.v == gOutgoing.lastMouse.v) return;
  gOutgoing.lastMouse = mouse;
  bool byPosition = AcceptsDragFlavor(FirstDragFlavor(drag));
  int32_t time = byPosition ? int32_t(DroppedSelectionStart(local.h, true)) : SnappedTimeAtMouse(gClickX);
  DrawNoteReadout(time, kDragReadoutPitch, kNoReadoutEnd, kNoReadoutVelocity);
  if (gZoomLevel < 0) return;
  int64_t left = int64_t(TimeToX(time, gTimelineLeftTick)) + (mouse.h - local.h);  // global
  SetDragMouse(drag, Point{mouse.v, ClampToQDRange(left + gClickX)});
}

}  // namespace

OSErr DropSelectionInEditor(DragRef drag) {
  Point mouse;
  if (GetDragMouse(drag, &mouse, nullptr) != noErr || !gMainEditorRecord.window) return dragNotAcceptedErr;
  if (gTimeSelection.end.tick <= gTimeSelection.start.tick) return dragNotAcceptedErr;
  Point local = PointInEditor(mouse);
  uint32_t start = gTimeSelection.start.tick, length = gTimeSelection.end.tick - start;
  uint32_t newStart = DroppedSelectionStart(local.h, AcceptsDragFlavor(FirstDragFlavor(drag)));
  int16_t target = gOutgoing.sourceTrack, targetPane = gOutgoing.sourcePane;
  int16_t pane = FindEditorPaneAt(local.v);
  if (pane >= 0 && gEditorPanes[pane].track != gOutgoing.sourceTrack && IsPaneAudio(pane) == gOutgoing.sourceAudio) {
    target = gEditorPanes[pane].track;
    targetPane = pane;
  }
  SelectPaneForDrawing(gOutgoing.sourcePane);
  if (newStart == start && target == gOutgoing.sourceTrack) return dragNotAcceptedErr;
  SInt16 modifiers = 0;
  GetDragModifiers(drag, &modifiers, nullptr, nullptr);
  OSErr err = CallTrackRangeClipboardOp(gOutgoing.sourceTrack, target, start, length, newStart, modifiers & optionKey);
  if (err != noErr) return err;
  SetTimeRange(newStart, newStart + length);
  gPaneVisitMask = uint32_t(1) << targetPane;
  SelectPaneForDrawing(targetPane);
  InvalAppWindowPort(&gMainEditorRecord);
  return noErr;
}

uint32_t WaitTicks(uint32_t n) {
  UInt32 final = 0;
  Delay(n, &final);
  return final;
}
