// Classic events: records, conversion from Carbon events, and the classic queue calls.
#include <cmath>
#include <cstdlib>

#include "platform/events/classic_events.h"
#include "platform/events/events_internal.h"
#include "platform/memory/byte_order.h"
#include "platform/system/host_time.h"

using namespace events_internal;

namespace {

struct WindowMessage {
  WindowRef window;
  UInt32 id;
};

std::vector<WindowMessage> gWindowMessages;
UInt32 gLastWindowMessage = 0;
std::atomic<UInt32> gDblTime{30};
std::atomic<UInt32> gCaretTime{32};
GlobalToLocalHookProcPtr gGlobalToLocal = nullptr;

UInt32 TicksOfEventTime(EventTime time) {
  if (!(time > 0) || !std::isfinite(time)) return 0;
  return UInt32(TicksAtNanos(uint64_t(time * 1e9)));
}

EventMask MaskBitFor(EventKind what) {
  if (what == kHighLevelEvent) return highLevelEventMask;
  return what < 16 ? EventMask(1u << what) : 0;
}

// The classic code of a queued event that the classic calls hand out, false for the events
// that only Carbon handlers take (those are dispatched on the way).
bool QueueClassicKind(EventRef event, EventKind* what) {
  switch (event->eventClass) {
    case kEventClassMouse:
      if (event->kind != kEventMouseDown && event->kind != kEventMouseUp) return false;
      *what = event->kind == kEventMouseDown ? mouseDown : mouseUp;
      return true;
    case kEventClassKeyboard:
      if (event->kind == kEventRawKeyDown) *what = keyDown;
      else if (event->kind == kEventRawKeyRepeat) *what = autoKey;
      else if (event->kind == kEventRawKeyUp) *what = keyUp;
      else return false;
      return true;
    case kEventClassWindow:
      if (event->kind == kEventWindowUpdate) *what = updateEvt;
      else if (event->kind == kEventWindowActivated || event->kind == kEventWindowDeactivated)
        *what = activateEvt;
      else return false;
      return true;
    case kEventClassApplication:
      if (event->kind != kEventAppActivated && event->kind != kEventAppDeactivated) return false;
      *what = osEvt;
      return true;
    case kEventClassAppleEvent:
      *what = kHighLevelEvent;
      return event->kind == kEventAppleEvent;
    case kEventClassClassicEvent:
      *what = EventKind(event->kind);
      return true;
    default:
      return false;
  }
}

void FillNullRecord(EventRecord* record) {
  *record = EventRecord{};
  record->when = TickCount();
  record->where = CurrentMouse();
  record->modifiers = EventModifiers(CurrentModifiers() & 0xFF00);
  if (!(CurrentButtons() & 1)) record->modifiers |= btnState;
}

UInt32 WindowMessageOf(EventRef event) {
  WindowRef window = nullptr;
  if (GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window,
                        nullptr, &window) != noErr)
    return 0;
  return EventMessageForWindow(window);
}

// The classic form of the event's own fields; false when it has none.
bool ClassicFields(EventRef event, EventRecord* r, bool* buttonDown) {
  switch (event->eventClass) {
    case kEventClassMouse:
      switch (event->kind) {
        case kEventMouseDown: r->what = mouseDown; *buttonDown = true; return true;
        case kEventMouseUp: r->what = mouseUp; *buttonDown = false; return true;
        case kEventMouseMoved:
        case kEventMouseDragged:
          r->what = osEvt;
          r->message = UInt32(mouseMovedMessage) << 24;
          return true;
      }
      return false;
    case kEventClassKeyboard: {
      EventKind what;
      if (!QueueClassicKind(event, &what)) return false;
      UInt8 ch = 0;
      GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &ch);
      r->what = what;
      r->message = ch | ((ParamUInt32(event, kEventParamKeyCode, 0) & 0xFF) << 8);
      return true;
    }
    case kEventClassWindow:
      if (event->kind == kEventWindowDrawContent) {
        r->what = updateEvt;
      } else {
        EventKind what;
        if (!QueueClassicKind(event, &what)) return false;
        r->what = what;
        if (event->kind == kEventWindowActivated) r->modifiers |= activeFlag;
      }
      r->message = WindowMessageOf(event);
      return true;
    case kEventClassApplication:
      if (event->kind != kEventAppActivated && event->kind != kEventAppDeactivated) return false;
      r->what = osEvt;
      r->message = (UInt32(suspendResumeMessage) << 24) |
                   (event->kind == kEventAppActivated ? UInt32(resumeFlag) : 0u);
      return true;
    case kEventClassAppleEvent: {
      if (event->kind != kEventAppleEvent) return false;
      UInt32 id = ParamUInt32(event, kEventParamAEEventID, 0);
      r->what = kHighLevelEvent;
      r->message = ParamUInt32(event, kEventParamAEEventClass, 0);
      r->where = Point{int16_t(id >> 16), int16_t(id & 0xFFFF)};
      return true;
    }
    case kEventClassClassicEvent:
      r->what = EventKind(event->kind);
      return true;
  }
  return false;
}

EventRef NewClassicCarbonEvent(EventKind what, UInt32 message) {
  UInt32 eventClass = kEventClassClassicEvent;
  UInt32 kind = what;
  if (what == mouseDown || what == mouseUp) {
    eventClass = kEventClassMouse;
    kind = what == mouseDown ? kEventMouseDown : kEventMouseUp;
  } else if (what == keyDown || what == keyUp || what == autoKey) {
    eventClass = kEventClassKeyboard;
    kind = what == keyDown ? kEventRawKeyDown : what == keyUp ? kEventRawKeyUp : kEventRawKeyRepeat;
  }
  EventRef event = nullptr;
  CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event);
  UInt32 modifiers = CurrentModifiers();
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  SetEventParameter(event, kEventParamClassicMessage, typeUInt32, sizeof message, &message);
  if (eventClass == kEventClassMouse) {
    Point where = CurrentMouse();
    UInt16 button = kEventMouseButtonPrimary;
    UInt32 clicks = 1;
    SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
    SetEventParameter(event, kEventParamMouseButton, typeMouseButton, sizeof button, &button);
    SetEventParameter(event, kEventParamClickCount, typeUInt32, sizeof clicks, &clicks);
  } else if (eventClass == kEventClassKeyboard) {
    UInt32 keyCode = (message >> 8) & 0xFF;
    UInt8 ch = UInt8(message & 0xFF);
    SetEventParameter(event, kEventParamKeyCode, typeUInt32, sizeof keyCode, &keyCode);
    SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &ch);
  }
  return event;
}

// Index of the first queued event with a classic form in the mask; with dispatchOthers,
// events that only Carbon handlers take are sent on their way first.
bool FindClassicEvent(EventMask mask, bool dispatchOthers, size_t* index) {
  auto& queue = MainQueue();
  for (size_t i = 0; i < queue.size();) {
    EventKind what;
    if (!QueueClassicKind(queue[i].event, &what)) {
      if (!dispatchOthers) {
        ++i;
        continue;
      }
      EventRef event = TakeQueuedAt(i);
      DispatchQueuedEvent(event);
      ReleaseEvent(event);
      i = 0;  // the handler may have changed the queue
      continue;
    }
    if (mask & MaskBitFor(what)) {
      *index = i;
      return true;
    }
    ++i;
  }
  return false;
}

bool MouseUpQueued(size_t* index) {
  if (!IsMainThread()) return false;
  DrainInbox();
  auto& queue = MainQueue();
  for (size_t i = 0; i < queue.size(); ++i) {
    EventRef e = queue[i].event;
    if (e->eventClass == kEventClassMouse && e->kind == kEventMouseUp) {
      if (index) *index = i;
      return true;
    }
  }
  return false;
}

}  // namespace

void EventRecordToBytes(const EventRecord& record, UInt8* image) {
  WriteU16BE(image, record.what);
  WriteU32BE(image + 2, record.message);
  WriteU32BE(image + 6, record.when);
  WriteI16BE(image + 10, record.where.v);
  WriteI16BE(image + 12, record.where.h);
  WriteU16BE(image + 14, record.modifiers);
}

void EventRecordFromBytes(const UInt8* image, EventRecord* record) {
  record->what = ReadU16BE(image);
  record->message = ReadU32BE(image + 2);
  record->when = ReadU32BE(image + 6);
  record->where.v = ReadI16BE(image + 10);
  record->where.h = ReadI16BE(image + 12);
  record->modifiers = ReadU16BE(image + 14);
}

Boolean ConvertEventRefToEventRecord(EventRef event, EventRecord* record) {
  if (!record) return false;
  FillNullRecord(record);
  if (!event) return false;
  record->when = TicksOfEventTime(event->time);
  ParamPoint(event, kEventParamMouseLocation, &record->where);
  UInt32 modifiers = ParamUInt32(event, kEventParamKeyModifiers, CurrentModifiers());
  record->modifiers = EventModifiers(modifiers & 0xFF00);
  bool buttonDown = CurrentButtons() & 1;
  bool converted = ClassicFields(event, record, &buttonDown);
  if (!converted) record->what = nullEvent;
  const EventParam* posted = FindParam(event, kEventParamClassicMessage);
  if (converted && posted) record->message = ParamUInt32(event, kEventParamClassicMessage, 0);
  if (!buttonDown) record->modifiers |= btnState;
  return converted;
}

UInt32 EventMessageForWindow(WindowRef window) {
  if (!window) return 0;
  for (const WindowMessage& m : gWindowMessages)
    if (m.window == window) return m.id;
  if (++gLastWindowMessage == 0) ++gLastWindowMessage;
  gWindowMessages.push_back(WindowMessage{window, gLastWindowMessage});
  return gLastWindowMessage;
}

WindowRef WindowForEventMessage(UInt32 message) {
  if (message == 0) return nullptr;
  for (const WindowMessage& m : gWindowMessages)
    if (m.id == message) return m.window;
  return nullptr;
}

void ForgetEventMessageWindow(WindowRef window) {
  std::erase_if(gWindowMessages, [&](const WindowMessage& m) { return m.window == window; });
}

Boolean WaitNextEvent(EventMask eventMask, EventRecord* theEvent, UInt32 sleep, const void*) {
  if (!theEvent) return false;
  if (!IsMainThread()) {
    FillNullRecord(theEvent);
    return false;
  }
  sleep = std::min(sleep, kMaxWaitNextEventSleep);
  size_t index = 0;
  auto ready = [&] { return FindClassicEvent(eventMask, true, &index); };
  if (WaitUntil(DeadlineAfter(sleep / 60.0), false, ready) != WaitEnd::kReady) {
    FillNullRecord(theEvent);
    return false;
  }
  EventRef event = TakeQueuedAt(index);
  ConvertEventRefToEventRecord(event, theEvent);
  if (event->eventClass == kEventClassAppleEvent) KeepAppleEventForProcessing(event);
  ReleaseEvent(event);
  return true;
}

Boolean GetNextEvent(EventMask eventMask, EventRecord* theEvent) {
  return WaitNextEvent(eventMask, theEvent, 0, nullptr);
}

Boolean EventAvail(EventMask eventMask, EventRecord* theEvent) {
  if (!theEvent) return false;
  FillNullRecord(theEvent);
  if (!IsMainThread()) return false;
  DrainInbox();
  PumpHost(0);
  DrainInbox();
  size_t index = 0;
  if (!FindClassicEvent(eventMask, false, &index)) return false;
  return ConvertEventRefToEventRecord(MainQueue()[index].event, theEvent);
}

OSErr PostEvent(EventKind eventNum, UInt32 eventMsg) {
  if (eventNum == nullEvent || eventNum > osEvt) return evtNotEnb;
  EventRef event = NewClassicCarbonEvent(eventNum, eventMsg);
  OSStatus err = PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard);
  ReleaseEvent(event);
  return err == noErr ? OSErr(noErr) : OSErr(memFullErr);
}

void FlushEvents(EventMask whichMask, EventMask stopMask) {
  if (!IsMainThread()) return;
  DrainInbox();
  auto& queue = MainQueue();
  for (size_t i = 0; i < queue.size();) {
    EventKind what;
    if (!QueueClassicKind(queue[i].event, &what)) {
      ++i;
      continue;
    }
    EventMask bit = MaskBitFor(what);
    if (stopMask & bit) break;
    if (whichMask & bit)
      ReleaseEvent(TakeQueuedAt(i));
    else
      ++i;
  }
}

Boolean Button() {
  PumpHost(0);
  return CurrentButtons() & 1;
}

Boolean StillDown() { return Button() && !MouseUpQueued(nullptr); }

Boolean WaitMouseUp() {
  if (StillDown()) return true;
  size_t index = 0;
  if (IsMainThread() && MouseUpQueued(&index)) ReleaseEvent(TakeQueuedAt(index));
  return false;
}

Boolean WaitMouseMoved(Point initialGlobal) {
  if (!IsMainThread()) return false;
  bool moved = false;
  auto ready = [&] {
    PumpHost(0);
    Point now = CurrentMouse();
    moved = std::abs(now.h - initialGlobal.h) > kDragSlop ||
            std::abs(now.v - initialGlobal.v) > kDragSlop;
    return moved || !(CurrentButtons() & 1);
  };
  WaitUntil(DeadlineAfter(kMaxWaitMouseMovedSeconds), false, ready);
  return moved;
}

void GetGlobalMouse(Point* globalMouse) {
  if (!globalMouse) return;
  PumpHost(0);
  *globalMouse = CurrentMouse();
}

void GetMouse(Point* mouseLoc) {
  if (!mouseLoc) return;
  GetGlobalMouse(mouseLoc);
  if (gGlobalToLocal) gGlobalToLocal(mouseLoc);
}

void SetGlobalToLocalHook(GlobalToLocalHookProcPtr hook) { gGlobalToLocal = hook; }

UInt32 GetCurrentEventKeyModifiers() {
  EventRef event = GetCurrentEvent();
  return event ? ParamUInt32(event, kEventParamKeyModifiers, CurrentModifiers())
               : CurrentModifiers();
}

UInt32 GetDblTime() { return gDblTime.load(); }
UInt32 GetCaretTime() { return gCaretTime.load(); }
void SetDblTime(UInt32 ticks) { gDblTime.store(ticks); }
void SetCaretTime(UInt32 ticks) { gCaretTime.store(ticks); }
