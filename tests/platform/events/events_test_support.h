// Shared pieces of the event tests: a fixture that leaves the global event state clean, and
// a handler that removes itself.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/events/apple_events.h"
#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"

namespace events_test {

constexpr UInt32 kTestClass = FourCC("test");

inline void ResetEventState() {
  FlushEventQueue(GetMainEventQueue());
  ResetHostInputState();
  SetManualEventClock(false, 0);
  SetEventRouter(nullptr);
  SetUserFocusEventTarget(nullptr);
  SetGlobalToLocalHook(nullptr);
  SetHostEventPump(nullptr);
  SetAppModalLoopHooks(nullptr, nullptr);
}

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEventState(); }
  void TearDown() override { ResetEventState(); }
};

// An event handler installed for the scope of a test.
class ScopedHandler {
 public:
  ScopedHandler(EventTargetRef target, EventHandlerUPP proc, std::vector<EventTypeSpec> types,
                void* userData) {
    EXPECT_EQ(InstallEventHandler(target, proc, types.size(), types.data(), userData, &ref_), noErr);
  }
  ~ScopedHandler() { RemoveEventHandler(ref_); }
  ScopedHandler(const ScopedHandler&) = delete;
  ScopedHandler& operator=(const ScopedHandler&) = delete;
  EventHandlerRef ref() const { return ref_; }

 private:
  EventHandlerRef ref_ = nullptr;
};

inline EventRef NewTestEvent(UInt32 eventClass, UInt32 kind) {
  EventRef event = nullptr;
  EXPECT_EQ(CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event), noErr);
  return event;
}

// Posts a new event of the class and kind at the priority (the queue keeps the only reference).
inline void PostTestEvent(UInt32 eventClass, UInt32 kind,
                          EventPriority priority = kEventPriorityStandard) {
  EventRef event = NewTestEvent(eventClass, kind);
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), event, priority), noErr);
  ReleaseEvent(event);
}

// A window reference for events that only carry it (never dereferenced).
inline WindowRef FakeWindow(int n) {
  static char windows[8];
  return reinterpret_cast<WindowRef>(&windows[n]);
}

}  // namespace events_test
