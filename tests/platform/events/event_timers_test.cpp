#include <deque>
#include <string>
#include <vector>

#include "tests/platform/events/events_test_support.h"

namespace {

using namespace events_test;

std::vector<std::string> gFired;

struct NamedTimer {
  std::string name;
  EventLoopTimerRef ref = nullptr;
};

void LogFiring(EventLoopTimerRef timer, void* userData) {
  auto* t = static_cast<NamedTimer*>(userData);
  EXPECT_EQ(timer, t->ref);
  gFired.push_back(t->name);
}

class TimersTest : public EventsTest {
 protected:
  void SetUp() override {
    EventsTest::SetUp();
    gFired.clear();
    SetManualEventClock(true, 10.0);
  }
  void TearDown() override {
    for (NamedTimer& t : timers_)
      if (t.ref) RemoveEventLoopTimer(t.ref);
    EventsTest::TearDown();
  }
  NamedTimer* Install(const std::string& name, EventTime delay, EventTime interval) {
    timers_.push_back(NamedTimer{name});
    NamedTimer* t = &timers_.back();
    EXPECT_EQ(InstallEventLoopTimer(GetMainEventLoop(), delay, interval, LogFiring, t, &t->ref), noErr);
    return t;
  }
  std::vector<std::string> Step(EventTime seconds) {
    gFired.clear();
    AdvanceManualEventClock(seconds);
    FireDueEventLoopTimers();
    return gFired;
  }

 private:
  std::deque<NamedTimer> timers_;
};

TEST_F(TimersTest, TimersFireInTheOrderOfTheirTimes) {
  Install("late", 0.75, 0);
  Install("tick", 0.25, 0.25);
  Install("half", 0.5, 0);
  Install("never", kEventDurationForever, 0.125);

  struct StepCase {
    EventTime advance;
    std::vector<std::string> fired;
  };
  const StepCase steps[] = {
      {0.125, {}},
      {0.125, {"tick"}},
      {0.25, {"tick", "half"}},  // same time: installed first fires first
      {0.25, {"late", "tick"}},
      {1.0, {"tick"}},           // missed firings are not made up
      {0.125, {}},               // ... and the phase is kept: next at 12.0
      {0.125, {"tick"}},
  };
  for (const StepCase& s : steps) EXPECT_EQ(Step(s.advance), s.fired) << GetCurrentEventTime();
}

TEST_F(TimersTest, NextFireTimeAndRemovalFromInsideACall) {
  NamedTimer* tick = Install("tick", 0.5, 0.5);
  EXPECT_EQ(SetEventLoopTimerNextFireTime(tick->ref, kEventDurationForever), noErr);
  EXPECT_EQ(Step(2.0), std::vector<std::string>{});
  EXPECT_EQ(SetEventLoopTimerNextFireTime(tick->ref, 0.25), noErr);
  EXPECT_EQ(Step(0.25), std::vector<std::string>{"tick"});
  EXPECT_EQ(Step(0.5), std::vector<std::string>{"tick"});  // periodic again from there

  // The idle timer's pattern: a timer that removes itself and installs a faster one.
  EXPECT_EQ(RemoveEventLoopTimer(tick->ref), noErr);
  tick->ref = nullptr;
  static NamedTimer replaced{"fast"};
  auto reinstall = [](EventLoopTimerRef timer, void*) {
    gFired.push_back("reinstall");
    EXPECT_EQ(RemoveEventLoopTimer(timer), noErr);
    EXPECT_EQ(RemoveEventLoopTimer(timer), paramErr);
    InstallEventLoopTimer(GetMainEventLoop(), 0.125, 0.125, LogFiring, &replaced, &replaced.ref);
  };
  EventLoopTimerRef once = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.25, 1.0, reinstall, nullptr, &once);
  EXPECT_EQ(Step(0.25), std::vector<std::string>{"reinstall"});
  EXPECT_EQ(Step(0.25), std::vector<std::string>{"fast"});
  EXPECT_EQ(RemoveEventLoopTimer(replaced.ref), noErr);
}

TEST_F(TimersTest, WaitsJumpTheManualClockToTheNextTimer) {
  Install("one", 1.0, 0);
  Install("two", 2.0, 0);
  EXPECT_EQ(RunCurrentEventLoop(1.5), eventLoopTimedOutErr);
  EXPECT_EQ(gFired, std::vector<std::string>{"one"});
  EXPECT_EQ(GetCurrentEventTime(), 11.5);

  EventRecord record;
  EXPECT_FALSE(WaitNextEvent(everyEvent, &record, 60, nullptr));  // one second: "two" fires
  EXPECT_EQ(gFired, (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(GetCurrentEventTime(), 12.5);
}

void PostFromTimer(EventLoopTimerRef, void*) { PostTestEvent(kTestClass, 3); }

TEST_F(EventsTest, TimersFireWhileReceiveNextEventWaits) {
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0, PostFromTimer, nullptr, &timer), noErr);
  EventRef event = nullptr;
  EventTypeSpec type{kTestClass, 3};
  EXPECT_EQ(ReceiveNextEvent(1, &type, 5.0, true, &event), noErr);
  EXPECT_EQ(GetEventKind(event), 3u);
  ReleaseEvent(event);
  EXPECT_EQ(RemoveEventLoopTimer(timer), noErr);
  EXPECT_EQ(InstallEventLoopTimer(nullptr, 1, 0, PostFromTimer, nullptr, &timer), paramErr);
}

}  // namespace

namespace {

using namespace events_test;

int gStreamed = 0;

OSStatus KeepsTheQueueBusy(EventHandlerCallRef, EventRef, void*) {
  if (++gStreamed >= 1000) QuitApplicationEventLoop();  // only if the timer was starved
  PostTestEvent(kTestClass, 9);
  return noErr;
}

TEST_F(EventsTest, AStreamOfEventsDoesNotStarveTimers) {
  gStreamed = 0;
  ScopedHandler busy(GetApplicationEventTarget(), KeepsTheQueueBusy, {{kTestClass, 9}}, nullptr);
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.0, 0, [](EventLoopTimerRef, void*) { QuitApplicationEventLoop(); },
                        nullptr, &timer);
  PostTestEvent(kTestClass, 9);
  RunApplicationEventLoop();
  EXPECT_LT(gStreamed, 3);
  RemoveEventLoopTimer(timer);
  FlushEventQueue(GetMainEventQueue());
}

}  // namespace
