#include "editors/note_moves/mouse_follow.h"

#include "platform/quickdraw/regions.h"
#include "platform/windows/mouse_tracking.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/windows/app_windows.h"

MouseFollowStep FollowEditorMouse(Point* where, uint32_t* modifiers) {
  CGrafPtr port = gMainEditorRecord.window ? GetWindowPort(gMainEditorRecord.window) : nullptr;
  MouseTrackingResult result = kMouseTrackingMouseUp;
  UInt32 mods = 0;
  if (TrackMouseLocationWithOptions(port, 0, kEventDurationForever, where, &mods, &result) != noErr)
    return kPointerReleased;
  if (modifiers) *modifiers = mods;
  if (result == kMouseTrackingUserCancelled) return kPointerCancelled;
  return result == kMouseTrackingMouseUp ? kPointerReleased : kPointerMoved;
}

int16_t DragOutlineHorizontally(const Rect& shape, const Rect& limit, const Rect& slop) {
  constexpr SInt32 kReleasedOutside = SInt32(0x80008000);
  constexpr int16_t kHorizontalOnly = 1;
  RgnHandle outline = NewRgn();
  RectRgn(outline, &shape);
  SInt32 offset = DragGrayRgn(outline, gLastMousePoint, &limit, &slop, kHorizontalOnly, nullptr);
  DisposeRgn(outline);
  return offset == kReleasedOutside ? int16_t(0) : int16_t(offset & 0xFFFF);
}
