#include "shell/dialogs/poll_events.h"

#include <algorithm>
#include <cstdlib>

#include "platform/dialogs/dialogs.h"
#include "platform/quickdraw/ports.h"
#include "shell/base/app_state.h"
#include "shell/base/event_records.h"
#include "shell/base/idle_flag.h"
#include "shell/dialogs/event_dispatch_hooks.h"
#include "shell/dialogs/progress_dialog.h"
#include "shell/dialogs/value_fields.h"

namespace {

constexpr int kMaxPolledEvents = 8;
constexpr EventMask kUpdateAndActivate = updateMask | activMask;
constexpr EventTimeout kTrackSlice = 0.05;
constexpr EventTime kMaxSilentHold = 120.0;
constexpr uint32_t kBackgroundSleep = 20;
constexpr int32_t kBorrowedByPolling = 1;

const EventTypeSpec kTrackedEvents[] = {
    {kEventClassMouse, kEventMouseDown},     {kEventClassMouse, kEventMouseUp},
    {kEventClassMouse, kEventMouseMoved},    {kEventClassMouse, kEventMouseDragged},
    {kEventClassMouse, kEventMouseEntered},  {kEventClassMouse, kEventMouseExited},
    {kEventClassKeyboard, kEventRawKeyDown}, {kEventClassKeyboard, kEventRawKeyRepeat},
};
constexpr ItemCount kMouseEventCount = 6;

uint16_t TrackResultOf(EventRef event) {
  if (GetEventClass(event) == kEventClassKeyboard) return kTrackKeyDown;
  switch (GetEventKind(event)) {
    case kEventMouseDown: return kTrackMouseDown;
    case kEventMouseUp: return kTrackMouseUp;
    case kEventMouseMoved: return kTrackMouseMoved;
    case kEventMouseDragged: return kTrackMouseDragged;
    case kEventMouseEntered: return kTrackMouseEntered;
    case kEventMouseExited: return kTrackMouseExited;
    default: return kTrackOther;
  }
}

void MakeLocal(CGrafPtr port, Point* point) {
  if (port == kTrackGlobalPort) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  if (port) SetPort(port);
  GlobalToLocal(point);
  if (port && saved) SetPort(saved);
}

bool ButtonIsDown() { return (GetCurrentButtonState() & 1) != 0; }

bool IsKeyEvent(const EventRecord& event) { return event.what == keyDown || event.what == autoKey; }

// The main dispatcher; not installed, the event is dropped.
void DispatchPolledEvent(EventRecord* event) {
  if (gEventDispatchHooks.dispatchEventRecord) gEventDispatchHooks.dispatchEventRecord(event);
}

}  // namespace

EventDispatchHooks gEventDispatchHooks;
DialogEventHandlerProc gDialogEventHandler = ServeDialogEvent;

uint32_t EventTicksNow() { return uint32_t(int64_t(GetCurrentEventTime() * 60.0)); }

void ServeDialogEvent(EventRecord* event) {
  if (IsKeyEvent(*event)) {
    uint8_t ch = uint8_t(event->message & charCodeMask);
    bool cancelKey = ch == 0x1B || (ch == '.' && (event->modifiers & cmdKey));
    if (cancelKey && IsProgressDialogUp()) {
      SetProgressStop(kProgressCancelItem);
      return;
    }
  }
  DialogRef dialog = nullptr;
  DialogItemIndex item = 0;
  if (DialogSelect(event, &dialog, &item) && dialog && IsProgressDialogWindow(GetDialogWindow(dialog)))
    SetProgressStop(item);
}

void PollEventsNow(EventMask eventMask) {
  uint8_t saved = TakeIdleFlag();
  for (int i = 0; i < kMaxPolledEvents; ++i) {
    if (!WaitNextEvent(eventMask, &gLastEvent, 0, nullptr)) break;
    if (IsDialogEvent(&gLastEvent))
      gDialogEventHandler(&gLastEvent);
    else
      DispatchPolledEvent(&gLastEvent);
  }
  SetIdleFlag(saved);
}

void PollEvents(EventMask eventMask) {
  EventRecord saved = gLastEvent;
  PollEventsNow(eventMask);
  gLastEvent = saved;
}

void PollUpdateEvents() {
  int32_t saved = gValueField.nested;
  gValueField.nested = kBorrowedByPolling;
  PollEvents(kUpdateAndActivate);
  gValueField.nested = saved;
}

uint32_t GetEventSleepTicks() {
  static const uint32_t kCaret = std::min<uint32_t>(GetCaretTime(), 2);
  if (gAppState[3] != 0) return kBackgroundSleep;
  if (IsValueFieldActive()) return 1;
  return kCaret;
}

Boolean WaitNextEventWithSleep(EventMask eventMask, EventRecord* event) {
  return WaitNextEvent(eventMask, event, GetEventSleepTicks(), nullptr);
}

OSStatus TrackMouseEvent(CGrafPtr port, Point* point, uint16_t* result, bool withKeys) {
  ItemCount count = withKeys ? std::size(kTrackedEvents) : kMouseEventCount;
  EventTime silentSince = GetCurrentEventTime();
  for (;;) {
    EventRef event = nullptr;
    if (ReceiveNextEvent(count, kTrackedEvents, kTrackSlice, true, &event) == noErr) {
      Point where{};
      if (IsUserCancelEventRef(event)) {
        ReleaseEvent(event);
        if (result) *result = kTrackCancelled;
        return noErr;
      }
      if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                            nullptr, &where) != noErr)
        GetGlobalMouse(&where);
      uint16_t kind = TrackResultOf(event);
      ReleaseEvent(event);
      MakeLocal(port, &where);
      if (point) *point = where;
      if (result) *result = kind;
      return noErr;
    }
    bool silentTooLong = GetCurrentEventTime() - silentSince > kMaxSilentHold;
    if (!ButtonIsDown() || silentTooLong) {
      Point where{};
      GetGlobalMouse(&where);
      MakeLocal(port, &where);
      if (point) *point = where;
      if (result) *result = kTrackMouseUp;
      return noErr;
    }
  }
}

bool TrackMouseUntilRelease(bool withKeys) {
  GrafPtr port = nullptr;
  GetPort(&port);
  Point where{};
  uint16_t result = 0;
  TrackMouseEvent(port, &where, &result, withKeys);
  if (port) SetPort(port);
  gLastMousePoint = where;
  return result != kTrackMouseUp && result != kTrackCancelled;
}

bool TrackMouseInPort() { return TrackMouseUntilRelease(false); }

bool IsButtonStillDown() { return Button() && TrackMouseInPort(); }

bool WaitForMouseMoveOrTimeout(uint32_t deadlineTicks, int16_t radius, bool checkButton) {
  Point start{};
  GetGlobalMouse(&start);
  bool down = ButtonIsDown();
  for (;;) {
    uint32_t now = EventTicksNow();
    if (int32_t(deadlineTicks - now) <= 0) return down;
    if (checkButton && !down) return down;
    EventRef event = nullptr;
    EventTimeout wait = std::min(double(deadlineTicks - now) / 60.0, kTrackSlice);
    if (ReceiveNextEvent(kMouseEventCount, kTrackedEvents, wait, true, &event) == noErr) {
      if (GetEventKind(event) == kEventMouseUp) down = false;
      if (GetEventKind(event) == kEventMouseDown) down = true;
      ReleaseEvent(event);
    } else {
      down = ButtonIsDown();
    }
    Point now2{};
    GetGlobalMouse(&now2);
    if (std::abs(now2.h - start.h) > radius || std::abs(now2.v - start.v) > radius) return down;
  }
}

bool WaitTicksOrMove(uint32_t ticks) {
  return WaitForMouseMoveOrTimeout(EventTicksNow() + ticks, 10, true);
}

bool TakeQueuedCancelKey() {
  static const EventTypeSpec kKeyDown[] = {{kEventClassKeyboard, kEventRawKeyDown}};
  EventRef event = nullptr;
  if (ReceiveNextEvent(1, kKeyDown, kEventDurationNoWait, false, &event) != noErr) return false;
  if (!IsUserCancelEventRef(event)) return false;
  RemoveEventFromQueue(GetMainEventQueue(), event);
  return true;
}

uint32_t GetGlobalMouseAndTicks(Point* where) {
  if (where) GetGlobalMouse(where);
  return EventTicksNow();
}
