// The event clock (host or manual) and event-loop timers.
#include <cmath>
#include <vector>

#include "platform/events/events_internal.h"
#include "platform/system/host_time.h"

struct OpaqueEventLoopTimerRef {
  EventLoopTimerUPP proc = nullptr;
  void* userData = nullptr;
  EventTime nextFire = kEventDurationForever;  // absolute; negative: dormant
  EventTimerInterval interval = 0;
  uint64_t order = 0;
  bool removed = false;
  bool firing = false;
};

namespace {

// Firings per FireDueEventLoopTimers call, so that a timer that keeps asking to fire now
// cannot hold the loop.
constexpr int kMaxFiringsPerPass = 64;

std::atomic<bool> gManualClock{false};
std::atomic<double> gManualTime{0};
// Never destroyed: timers still installed when the program ends stay reachable.
std::vector<EventLoopTimerRef>& gTimers = *new std::vector<EventLoopTimerRef>;
uint64_t gTimerOrder = 0;

bool IsLiveTimer(EventLoopTimerRef timer) {
  for (EventLoopTimerRef t : gTimers)
    if (t == timer) return !t->removed;
  return false;
}

// A delay from now as an absolute fire time; negative, NaN or infinite delays mean never.
EventTime FireTimeAfter(EventTimerInterval delay) {
  if (!(delay >= 0) || std::isinf(delay)) return kEventDurationForever;
  return GetCurrentEventTime() + delay;
}

void EraseTimer(EventLoopTimerRef timer) {
  std::erase(gTimers, timer);
  delete timer;
}

EventLoopTimerRef NextDueTimer(EventTime now) {
  EventLoopTimerRef best = nullptr;
  for (EventLoopTimerRef t : gTimers) {
    if (t->removed || t->firing || t->nextFire < 0 || t->nextFire > now) continue;
    if (!best || t->nextFire < best->nextFire ||
        (t->nextFire == best->nextFire && t->order < best->order))
      best = t;
  }
  return best;
}

// Next due time of a periodic timer after `now`, keeping its phase.
EventTime NextPeriodicFire(const OpaqueEventLoopTimerRef* t, EventTime now) {
  EventTime next = t->nextFire + t->interval;
  if (next <= now) next = t->nextFire + (std::floor((now - t->nextFire) / t->interval) + 1) * t->interval;
  return next > now ? next : now + t->interval;
}

}  // namespace

namespace events_internal {

EventTime NextTimerFireTime() {
  EventTime next = kEventDurationForever;
  for (EventLoopTimerRef t : gTimers) {
    if (t->removed || t->firing || t->nextFire < 0) continue;
    if (next < 0 || t->nextFire < next) next = t->nextFire;
  }
  return next;
}

void SetManualClockTime(EventTime time) {
  if (time > gManualTime.load()) gManualTime.store(time);
}

}  // namespace events_internal

EventTime GetCurrentEventTime() {
  if (gManualClock.load(std::memory_order_relaxed)) return gManualTime.load();
  return double(HostTimeNanos()) / 1e9;
}

void SetManualEventClock(Boolean on, EventTime start) {
  gManualTime.store(start);
  gManualClock.store(on);
}

Boolean IsManualEventClockOn() { return gManualClock.load(std::memory_order_relaxed); }

void AdvanceManualEventClock(EventTime seconds) {
  if (seconds > 0) gManualTime.store(gManualTime.load() + seconds);
}

OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay,
                               EventTimerInterval interval, EventLoopTimerUPP proc,
                               void* userData, EventLoopTimerRef* outTimer) {
  if (loop != GetMainEventLoop() || !proc || !events_internal::IsMainThread()) return paramErr;
  EventLoopTimerRef t = new OpaqueEventLoopTimerRef;
  t->proc = proc;
  t->userData = userData;
  t->nextFire = FireTimeAfter(fireDelay);
  t->interval = interval > 0 && std::isfinite(interval) ? interval : 0;
  t->order = ++gTimerOrder;
  gTimers.push_back(t);
  if (outTimer) *outTimer = t;
  return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer) {
  if (!IsLiveTimer(timer)) return paramErr;
  if (timer->firing)
    timer->removed = true;  // freed when its call returns
  else
    EraseTimer(timer);
  return noErr;
}

OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef timer, EventTimerInterval nextFire) {
  if (!IsLiveTimer(timer)) return paramErr;
  timer->nextFire = FireTimeAfter(nextFire);
  return noErr;
}

ItemCount FireDueEventLoopTimers() {
  if (!events_internal::IsMainThread()) return 0;
  ItemCount fired = 0;
  for (int i = 0; i < kMaxFiringsPerPass; ++i) {
    EventTime now = GetCurrentEventTime();
    EventLoopTimerRef t = NextDueTimer(now);
    if (!t) break;
    // Re-arm before the call, so that the call may set its own next time or remove itself.
    t->nextFire = t->interval > 0 ? NextPeriodicFire(t, now) : kEventDurationForever;
    t->firing = true;
    t->proc(t, t->userData);
    t->firing = false;
    ++fired;
    if (t->removed) EraseTimer(t);
  }
  return fired;
}
