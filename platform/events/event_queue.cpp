// The main event queue, the inbox that other threads post into, and the wait that every
// loop and polling call goes through.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

#include "platform/events/events_internal.h"
#include "platform/threads/lock_free_queue.h"

struct OpaqueEventQueueRef {};

namespace {

constexpr size_t kInboxCapacity = 1024;
// Longest single sleep: a wait re-checks its state at least this often.
constexpr EventTime kWaitSlice = 0.1;
// Pump waits when the host cannot be woken from another thread.
constexpr EventTime kUnwakeablePumpSlice = 0.01;

const std::thread::id gMainThread = std::this_thread::get_id();
OpaqueEventQueueRef gMainQueueObject;
LockFreeQueue<events_internal::InboxItem, kInboxCapacity> gInbox;
std::atomic<uint32_t> gInboxPending{0};
std::atomic<uint32_t> gDropped{0};
std::atomic<bool> gMainWaiting{false};
// Never destroyed: events still queued when the program ends stay reachable.
std::deque<events_internal::QueueEntry>& gQueue = *new std::deque<events_internal::QueueEntry>;

bool MatchesList(EventRef event, ItemCount numTypes, const EventTypeSpec* list) {
  if (numTypes == 0) return true;
  for (ItemCount i = 0; i < numTypes; ++i)
    if (list[i].eventClass == event->eventClass && list[i].eventKind == event->kind) return true;
  return false;
}

void ClearWakeFd() {
  uint64_t value;
  while (read(events_internal::WakeFd(), &value, sizeof value) == sizeof value) {
  }
}

// Sleeps (or lets the host pump wait) up to `seconds`, returning early when something is
// posted from another thread.
void SleepOrPump(EventTime seconds) {
  using namespace events_internal;
  EventTime slice = HasHostPump() ? kUnwakeablePumpSlice : kWaitSlice;
  EventTime wait = std::min(seconds, slice);
  if (wait <= 0) {
    PumpHost(0);
    return;
  }
  // Sequentially consistent on both sides: either this load sees a post, or the poster sees
  // the flag and wakes us.
  gMainWaiting.store(true);
  if (gInboxPending.load() == 0) {
    if (HasHostPump()) {
      PumpHost(wait);
    } else {
      pollfd fd{WakeFd(), POLLIN, 0};
      poll(&fd, 1, int(std::ceil(wait * 1000)));
    }
  }
  gMainWaiting.store(false);
  ClearWakeFd();
}

}  // namespace

namespace events_internal {

bool IsMainThread() { return std::this_thread::get_id() == gMainThread; }

int WakeFd() {
  static const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  return fd;
}

void WakeMainThread() {
  uint64_t one = 1;
  ssize_t written = write(WakeFd(), &one, sizeof one);
  (void)written;
}

bool PushInbox(const InboxItem& item) {
  // Counted before the push, so that a waiting main thread that reads 0 cannot miss it.
  gInboxPending.fetch_add(1);
  bool pushed = gInbox.TryPush(item);
  if (!pushed && IsMainThread()) {
    DrainInbox();  // the main thread makes room itself
    pushed = gInbox.TryPush(item);
  }
  if (!pushed) {
    gInboxPending.fetch_sub(1);
    gDropped.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  if (gMainWaiting.load() && !IsMainThread()) {
    WakeMainThread();
    CallHostWake();
  }
  return true;
}

void DrainInbox() {
  if (!IsMainThread()) return;
  InboxItem item;
  while (gInbox.TryPop(&item)) {
    gInboxPending.fetch_sub(1);
    if (item.kind == InboxItem::kEvent) {
      InsertQueued(item.event, item.priority);
      continue;
    }
    EventRef event = MakeEventForInboxItem(item);
    if (event) {
      event->queued.store(true);
      InsertQueued(event, item.priority);
    }
  }
  PostPendingQuitRequest();
}

std::deque<QueueEntry>& MainQueue() { return gQueue; }

void InsertQueued(EventRef event, EventPriority priority) {
  size_t pos = gQueue.size();
  while (pos > 0 && gQueue[pos - 1].priority < priority) --pos;
  gQueue.insert(gQueue.begin() + ptrdiff_t(pos), QueueEntry{event, priority});
}

EventRef TakeQueuedAt(size_t index) {
  EventRef event = gQueue[index].event;
  gQueue.erase(gQueue.begin() + ptrdiff_t(index));
  event->queued.store(false);
  return event;
}

EventTime DeadlineAfter(EventTimeout timeout) {
  if (timeout < 0 || std::isnan(timeout)) return kEventDurationForever;
  return GetCurrentEventTime() + timeout;
}

WaitEnd WaitUntil(EventTime deadline, bool stopOnQuit, const std::function<bool()>& ready) {
  constexpr EventTime kNever = std::numeric_limits<EventTime>::infinity();
  for (;;) {
    // Host input that came meanwhile, then timers, so that a steady stream of events cannot
    // starve them.
    PumpHost(0);
    DrainInbox();
    if (FireDueEventLoopTimers() > 0) DrainInbox();
    if (stopOnQuit && InnermostLoopQuitRequested()) return WaitEnd::kQuit;
    if (ready()) return WaitEnd::kReady;
    EventTime now = GetCurrentEventTime();
    if (deadline >= 0 && now >= deadline) return WaitEnd::kTimedOut;
    EventTime until = deadline >= 0 ? deadline : kNever;
    EventTime nextTimer = NextTimerFireTime();
    if (nextTimer >= 0) until = std::min(until, nextTimer);
    if (IsManualEventClockOn() && until != kNever) {
      SetManualClockTime(std::max(now, until));
      continue;
    }
    SleepOrPump(until == kNever || IsManualEventClockOn() ? kWaitSlice : until - now);
  }
}

}  // namespace events_internal

using namespace events_internal;

EventQueueRef GetMainEventQueue() { return &gMainQueueObject; }
EventQueueRef GetCurrentEventQueue() { return &gMainQueueObject; }

OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority) {
  if (!event || queue != &gMainQueueObject) return paramErr;
  priority = std::clamp<EventPriority>(priority, kEventPriorityLow, kEventPriorityHigh);
  if (event->queued.exchange(true)) return eventAlreadyPostedErr;
  RetainEvent(event);
  if (IsMainThread()) {
    DrainInbox();
    InsertQueued(event, priority);
    return noErr;
  }
  InboxItem item;
  item.kind = InboxItem::kEvent;
  item.event = event;
  item.priority = priority;
  if (!PushInbox(item)) {
    event->queued.store(false);
    ReleaseEvent(event);
    return memFullErr;
  }
  return noErr;
}

OSStatus RemoveEventFromQueue(EventQueueRef queue, EventRef event) {
  if (!event || queue != &gMainQueueObject || !IsMainThread()) return paramErr;
  DrainInbox();
  for (size_t i = 0; i < gQueue.size(); ++i) {
    if (gQueue[i].event == event) {
      ReleaseEvent(TakeQueuedAt(i));
      return noErr;
    }
  }
  return eventNotInQueueErr;
}

Boolean IsEventInQueue(EventQueueRef queue, EventRef event) {
  if (!event || queue != &gMainQueueObject || !IsMainThread()) return false;
  DrainInbox();
  for (const QueueEntry& e : gQueue)
    if (e.event == event) return true;
  return false;
}

ItemCount GetNumEventsInQueue(EventQueueRef queue) {
  if (queue != &gMainQueueObject || !IsMainThread()) return 0;
  DrainInbox();
  return ItemCount(gQueue.size());
}

namespace {

template <typename Pred>
OSStatus FlushQueueWhere(EventQueueRef queue, Pred pred) {
  if (queue != &gMainQueueObject || !IsMainThread()) return paramErr;
  DrainInbox();
  for (size_t i = 0; i < gQueue.size();) {
    if (pred(gQueue[i].event))
      ReleaseEvent(TakeQueuedAt(i));
    else
      ++i;
  }
  return noErr;
}

}  // namespace

OSStatus FlushEventsMatchingListFromQueue(EventQueueRef queue, ItemCount numTypes,
                                          const EventTypeSpec* list) {
  if (numTypes && !list) return paramErr;
  if (numTypes == 0) return noErr;
  return FlushQueueWhere(queue, [&](EventRef e) { return MatchesList(e, numTypes, list); });
}

OSStatus FlushEventQueue(EventQueueRef queue) {
  return FlushQueueWhere(queue, [](EventRef) { return true; });
}

UInt32 GetDroppedEventCount() { return gDropped.load(std::memory_order_relaxed); }

OSStatus ReceiveNextEvent(ItemCount numTypes, const EventTypeSpec* list, EventTimeout timeout,
                          Boolean pullEvent, EventRef* outEvent) {
  if (!outEvent || (numTypes && !list) || !IsMainThread()) return paramErr;
  *outEvent = nullptr;
  size_t found = 0;
  auto ready = [&] {
    for (size_t i = 0; i < gQueue.size(); ++i) {
      if (MatchesList(gQueue[i].event, numTypes, list)) {
        found = i;
        return true;
      }
    }
    return false;
  };
  if (WaitUntil(DeadlineAfter(timeout), false, ready) != WaitEnd::kReady)
    return eventLoopTimedOutErr;
  *outEvent = pullEvent ? TakeQueuedAt(found) : gQueue[found].event;
  return noErr;
}
