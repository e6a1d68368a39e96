// Shared insides of the event layer: the event object, the main queue and its inbox, the
// waiting primitive, and the links between the Carbon, classic and Apple event files.
// Not for use outside platform/events.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <vector>

#include "platform/events/apple_events.h"
#include "platform/events/carbon_events.h"

struct EventParam {
  EventParamName name = 0;
  EventParamType type = 0;
  std::vector<UInt8> data;
};

struct OpaqueEventRef {
  std::atomic<int32_t> refCount{1};
  std::atomic<bool> queued{false};
  UInt32 eventClass = 0;
  UInt32 kind = 0;
  EventTime time = 0;
  EventAttributes attributes = 0;
  std::vector<EventParam> params;
  AppleEvent appleEvent;  // owned: the Apple event of an 'eppc' event
  bool appleEventProcessed = false;
  ~OpaqueEventRef();
};

namespace events_internal {

// --- Parameters (event_objects.cpp) ---
const EventParam* FindParam(EventRef event, EventParamName name);
// A parameter read as a UInt32 / Point, or fallback when absent or not convertible.
UInt32 ParamUInt32(EventRef event, EventParamName name, UInt32 fallback);
bool ParamPoint(EventRef event, EventParamName name, Point* point);
void SetParamUInt32(EventRef event, EventParamName name, EventParamType type, UInt32 value);

// --- Queue (event_queue.cpp) ---
struct QueueEntry {
  EventRef event = nullptr;
  EventPriority priority = kEventPriorityStandard;
};

// What other threads post: a ready event, or host input made into an event on the main
// thread (so that posting never allocates).
struct InboxItem {
  enum Kind : UInt8 { kEvent, kMouse, kWheel, kKey, kModifiers, kActivation };
  Kind kind = kEvent;
  EventPriority priority = kEventPriorityStandard;
  EventRef event = nullptr;
  UInt32 eventKind = 0;
  Point where;
  UInt16 button = 0;
  UInt16 keyCode = 0;
  UInt16 axis = 0;
  SInt16 charCode = -1;
  UInt32 modifiers = 0;
  SInt32 delta = 0;
  EventTime time = 0;
};

bool IsMainThread();
bool PushInbox(const InboxItem& item);  // false when full (counted as dropped)
void DrainInbox();                      // main thread: inbox -> main queue
std::deque<QueueEntry>& MainQueue();    // main thread
void InsertQueued(EventRef event, EventPriority priority);  // takes the reference
// Removes the entry at index; returns its event (the queue's reference passes to the caller).
EventRef TakeQueuedAt(size_t index);
void WakeMainThread();  // any thread, async-signal-safe
int WakeFd();

enum class WaitEnd { kReady, kTimedOut, kQuit };
// Runs the wait machinery (inbox, timers, host pump, sleep) until ready() answers true, the
// deadline passes (kEventDurationForever: none) or, with stopOnQuit, the innermost loop was
// asked to quit. ready() runs on the main thread with the inbox drained.
WaitEnd WaitUntil(EventTime deadline, bool stopOnQuit, const std::function<bool()>& ready);
// Deadline of a timeout from now on the event clock.
EventTime DeadlineAfter(EventTimeout timeout);

// --- Loops and timers (event_loop.cpp, event_timers.cpp) ---
bool InnermostLoopQuitRequested();
EventTime NextTimerFireTime();  // kEventDurationForever when none
void SetManualClockTime(EventTime time);

// --- Dispatch (event_targets.cpp) ---
// Sends an event taken from the queue to the dispatcher target.
void DispatchQueuedEvent(EventRef event);
// Events being sent, innermost last.
const std::vector<EventRef>& DispatchStack();

// --- Host input (host_input.cpp) ---
EventRef MakeEventForInboxItem(const InboxItem& item);  // main thread; may merge (null)
void PumpHost(EventTime maxWait);                      // main thread; no-op without pump
bool HasHostPump();
void CallHostWake();
Point CurrentMouse();
UInt32 CurrentModifiers();
UInt32 CurrentButtons();

// --- Apple events (apple_event_dispatch.cpp) ---
// The quit request of PostQuitAppleEvent made into a queued event (main thread).
void PostPendingQuitRequest();
// An 'eppc' event taken out by the classic calls: its Apple event waits for
// AEProcessAppleEvent.
void KeepAppleEventForProcessing(EventRef event);
// The standard application handler's answer to an 'eppc' event.
OSStatus ProcessAppleEventOfEvent(EventRef event);
// A new 'eppc' Carbon event holding a copy of the Apple event.
OSStatus NewAppleEventCarbonEvent(const AppleEvent* appleEvent, EventRef* outEvent);

}  // namespace events_internal
