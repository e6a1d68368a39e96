// Classic events: the 16-byte event record, event codes and masks, and the calls that read
// the one event queue the classic way (WaitNextEvent, GetNextEvent, EventAvail, PostEvent,
// FlushEvents) and the mouse and keyboard as they are now (Button, StillDown, GetMouse,
// GetKeys). Main thread only, except GetKeys, GetCurrentKeyModifiers and
// GetCurrentButtonState (any thread, they read atomic state) and PostEvent.
#pragma once

#include "platform/events/carbon_events.h"
#include "platform/events/key_codes.h"

using EventKind = UInt16;
using EventMask = UInt16;
using EventModifiers = UInt16;

enum : EventKind {
  nullEvent = 0,
  mouseDown = 1,
  mouseUp = 2,
  keyDown = 3,
  keyUp = 4,
  autoKey = 5,
  updateEvt = 6,
  diskEvt = 7,
  activateEvt = 8,
  osEvt = 15,
  kHighLevelEvent = 23,
};

enum : EventMask {
  mDownMask = 1 << mouseDown,
  mUpMask = 1 << mouseUp,
  keyDownMask = 1 << keyDown,
  keyUpMask = 1 << keyUp,
  autoKeyMask = 1 << autoKey,
  updateMask = 1 << updateEvt,
  diskMask = 1 << diskEvt,
  activMask = 1 << activateEvt,
  highLevelEventMask = 0x0400,
  osMask = 1 << osEvt,
  everyEvent = 0xFFFF,
};

// Message fields.
enum : UInt32 {
  charCodeMask = 0x000000FF,
  keyCodeMask = 0x0000FF00,
  adbAddrMask = 0x00FF0000,
  osEvtMessageMask = 0xFF000000,
};
enum : UInt8 {
  mouseMovedMessage = 0xFA,
  suspendResumeMessage = 0x01,
};
enum : UInt32 {
  resumeFlag = 1,
  convertClipboardFlag = 2,
};

enum : OSErr { evtNotEnb = 1 };

// A plain record; the 16-byte image (what u16, message u32, when u32, where v/h i16,
// modifiers u16, big-endian) is made and read by the two helpers below.
struct EventRecord {
  EventKind what = nullEvent;
  UInt32 message = 0;
  UInt32 when = 0;
  Point where;
  EventModifiers modifiers = 0;
  friend bool operator==(const EventRecord&, const EventRecord&) = default;
};

constexpr size_t kEventRecordImageSize = 16;
void EventRecordToBytes(const EventRecord& record, UInt8* image16);
void EventRecordFromBytes(const UInt8* image16, EventRecord* record);

// --- Conversion ---------------------------------------------------------------------------

// Fills the record from a Carbon event and answers whether the event has a classic form:
//   'mous' down/up -> mouseDown/mouseUp; moved/dragged -> osEvt with mouseMovedMessage;
//   'keyb' raw down/repeat/up -> keyDown/autoKey/keyUp, message = char | key code << 8;
//   'wind' update and draw content -> updateEvt, activated/deactivated -> activateEvt (with
//     activeFlag when activated), message = the window's event message id (see below);
//   'appl' activated/deactivated -> osEvt resume/suspend;
//   'eppc' -> kHighLevelEvent, message = event class, where = event id (v high half);
//   events posted with PostEvent -> exactly what was posted.
// For anything else the record is a null event (false). when is the event's time in ticks;
// where is the global mouse location ('mloc', else the current one); modifiers are 'kmod'
// (else the current ones) plus btnState when the button was up.
Boolean ConvertEventRefToEventRecord(EventRef event, EventRecord* record);

// A 64-bit window pointer does not fit the record's 32-bit message, so update and activate
// records carry a 32-bit id that stands for the window. Ids are issued on first use and never
// reused; ForgetEventMessageWindow (called by the Window Manager when it disposes a window)
// makes the window's id answer null.
UInt32 EventMessageForWindow(WindowRef window);
WindowRef WindowForEventMessage(UInt32 message);
void ForgetEventMessageWindow(WindowRef window);

// --- The queue, the classic way -------------------------------------------------------------

// Waits up to sleep ticks (at most kMaxWaitNextEventSleep: the call returns a null event then
// and callers call again) for an event of the mask. Events with a classic form that the mask
// does not take stay queued; events without one (commands, menu and window-manager events,
// mouse movement, timers) are sent to the dispatcher target on the way, as the event loop
// would. False with a null event (current mouse, modifiers and tick count) when none came.
// The mouse region is not used (pass null).
constexpr UInt32 kMaxWaitNextEventSleep = 60;
Boolean WaitNextEvent(EventMask eventMask, EventRecord* theEvent, UInt32 sleep,
                      const void* mouseRgn);
// WaitNextEvent without waiting.
Boolean GetNextEvent(EventMask eventMask, EventRecord* theEvent);
// Whether an event of the mask is queued, without taking it or sending anything.
Boolean EventAvail(EventMask eventMask, EventRecord* theEvent);
// Queues a classic event with the current mouse, modifiers and time. Mouse and key events
// become Carbon 'mous' and 'keyb' events (key code from the message's second byte), others
// are kept as posted. evtNotEnb for null and high-level events and unknown codes. Any thread.
OSErr PostEvent(EventKind eventNum, UInt32 eventMsg);
// Removes the queued events of whichMask that have a classic form, up to the first event of
// stopMask.
void FlushEvents(EventMask whichMask, EventMask stopMask);

// --- Mouse and keyboard now -----------------------------------------------------------------

// The primary button is down.
Boolean Button();
// The button is down and no mouse-up is queued.
Boolean StillDown();
// StillDown; when false, a queued mouse-up is taken out.
Boolean WaitMouseUp();
// Waits until the mouse moves more than kDragSlop pixels from initialGlobal (true) or the
// button is released (false), at most kMaxWaitMouseMovedSeconds.
constexpr int kDragSlop = 2;
constexpr EventTime kMaxWaitMouseMovedSeconds = 30.0;
Boolean WaitMouseMoved(Point initialGlobal);

// The mouse in global coordinates.
void GetGlobalMouse(Point* globalMouse);
// The mouse in the current port's coordinates: global, made local by the hook that
// QuickDraw or the Window Manager installs (none: global).
void GetMouse(Point* mouseLoc);
using GlobalToLocalHookProcPtr = void (*)(Point* point);
void SetGlobalToLocalHook(GlobalToLocalHookProcPtr hook);

// The keys held down now. Any thread (the sequencer clock polls it).
void GetKeys(UInt8* theKeys);
UInt32 GetCurrentKeyModifiers();
// Bit n-1 set while button n is down.
UInt32 GetCurrentButtonState();
// The modifiers of the event being handled ('kmod' of GetCurrentEvent), else the current ones.
UInt32 GetCurrentEventKeyModifiers();

// Ticks: the longest gap between the clicks of a double click, and the caret's blink time.
UInt32 GetDblTime();
UInt32 GetCaretTime();
void SetDblTime(UInt32 ticks);
void SetCaretTime(UInt32 ticks);
