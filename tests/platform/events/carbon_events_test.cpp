#include <atomic>
#include <cstring>
#include <thread>

#include "tests/platform/events/events_test_support.h"

namespace {

using namespace events_test;

TEST_F(EventsTest, ParametersAreStoredByNameAndReadWithConversion) {
  EventRef event = NewTestEvent(kTestClass, 1);
  UInt32 magnitude = 7;
  SInt32 negative = -1;
  Point where{12, -34};
  SetEventParameter(event, FourCC("magn"), typeUInt32, sizeof magnitude, &magnitude);
  SetEventParameter(event, FourCC("negv"), typeSInt32, sizeof negative, &negative);
  SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);

  struct Case {
    EventParamName name;
    EventParamType desired;
    OSStatus result;
    ByteCount size;
    int64_t value;  // read as an integer of `size` bytes when result is noErr
  };
  const Case cases[] = {
      {FourCC("magn"), typeUInt32, noErr, 4, 7},
      {FourCC("magn"), typeSInt16, noErr, 2, 7},
      {FourCC("magn"), typeWildCard, noErr, 4, 7},
      {FourCC("negv"), typeSInt16, noErr, 2, -1},
      {FourCC("negv"), typeUInt32, errAECoercionFail, 0, 0},  // never cut or reinterpreted
      {FourCC("none"), typeUInt32, eventParameterNotFoundErr, 0, 0},
      {kEventParamMouseLocation, typeUInt32, errAECoercionFail, 0, 0},
  };
  for (const Case& c : cases) {
    int64_t value = 0;
    ByteCount size = 0;
    OSStatus err = GetEventParameter(event, c.name, c.desired, nullptr, sizeof value, &size, &value);
    EXPECT_EQ(err, c.result) << std::hex << c.name << " as " << c.desired;
    if (err != noErr) continue;
    EXPECT_EQ(size, c.size);
    int64_t read = c.size == 2 ? int64_t(int16_t(value)) : int64_t(int32_t(value));
    EXPECT_EQ(read, c.value);
  }

  Point read;
  EXPECT_EQ(GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof read,
                              nullptr, &read),
            noErr);
  EXPECT_EQ(read, where);
  // A short buffer gets what fits; the size tells the whole.
  UInt16 half = 0;
  ByteCount whole = 0;
  EXPECT_EQ(GetEventParameter(event, FourCC("magn"), typeUInt32, nullptr, 2, &whole, &half), noErr);
  EXPECT_EQ(whole, 4u);

  EXPECT_EQ(GetEventRetainCount(event), 1u);
  EXPECT_EQ(RetainEvent(event), event);
  EventRef copy = CopyEvent(event);
  ReleaseEvent(event);
  EXPECT_EQ(GetEventRetainCount(event), 1u);
  ReleaseEvent(event);
  EXPECT_EQ(GetEventParameter(copy, FourCC("magn"), typeUInt32, nullptr, 4, nullptr, &magnitude), noErr);
  EXPECT_EQ(magnitude, 7u);
  ReleaseEvent(copy);
}

// --- Handler chains ---

struct ChainLog {
  std::vector<std::string> calls;
  std::vector<OSStatus> nextResults;
  std::string handles;      // the handler that answers noErr without calling next
  std::string callsNext;    // handlers (by first letter) that call the next handler
};

template <char kName>
OSStatus LoggingHandler(EventHandlerCallRef next, EventRef event, void* userData) {
  auto* log = static_cast<ChainLog*>(userData);
  std::string name(1, kName);
  log->calls.push_back(name);
  if (log->handles == name) return noErr;
  if (log->callsNext.find(kName) != std::string::npos) {
    OSStatus result = CallNextEventHandler(next, event);
    log->nextResults.push_back(result);
    return result;
  }
  return eventNotHandledErr;
}

TEST_F(EventsTest, HandlersChainFromControlToWindowToApplication) {
  EventTargetRef window = NewEventTarget(GetApplicationEventTarget(), kEventTargetKindWindow, FakeWindow(0));
  EventTargetRef control = NewEventTarget(window, kEventTargetKindControl, nullptr);
  ASSERT_EQ(GetEventTargetParent(control), window);
  EXPECT_EQ(GetEventTargetOwner(window), FakeWindow(0));

  ChainLog log;
  const std::vector<EventTypeSpec> types = {{kTestClass, 1}};
  ScopedHandler onApp(GetApplicationEventTarget(), LoggingHandler<'a'>, types, &log);
  ScopedHandler onWindow(window, LoggingHandler<'w'>, types, &log);
  ScopedHandler onControlOld(control, LoggingHandler<'o'>, types, &log);
  ScopedHandler onControlNew(control, LoggingHandler<'n'>, types, &log);
  ScopedHandler otherKind(control, LoggingHandler<'x'>, {{kTestClass, 2}}, &log);

  struct Case {
    const char* handles;
    const char* callsNext;
    OSStatus result;
    std::vector<std::string> calls;
    std::vector<OSStatus> nextResults;  // innermost call first
  };
  const Case cases[] = {
      // Nobody takes it: newest handler first, then older ones, then the parents.
      {"", "", eventNotHandledErr, {"n", "o", "w", "a"}, {}},
      {"w", "", noErr, {"n", "o", "w"}, {}},
      // Every handler passes it on itself: each runs once and the end answers -9874.
      {"", "nowa", eventNotHandledErr, {"n", "o", "w", "a"},
       {eventNotHandledErr, eventNotHandledErr, eventNotHandledErr, eventNotHandledErr}},
      // The window takes it inside a chain of explicit calls.
      {"w", "no", noErr, {"n", "o", "w"}, {noErr, noErr}},
  };
  for (const Case& c : cases) {
    log = ChainLog{};
    log.handles = c.handles;
    log.callsNext = c.callsNext;
    EventRef event = NewTestEvent(kTestClass, 1);
    EXPECT_EQ(SendEventToEventTarget(event, control), c.result) << c.handles << "/" << c.callsNext;
    EXPECT_EQ(log.calls, c.calls) << c.handles << "/" << c.callsNext;
    EXPECT_EQ(log.nextResults, c.nextResults) << c.handles << "/" << c.callsNext;
    ReleaseEvent(event);
  }

  // Disposing the window hands the control to the application.
  DisposeEventTarget(window);
  EXPECT_FALSE(IsValidEventTarget(window));
  EXPECT_EQ(GetEventTargetParent(control), GetApplicationEventTarget());
  log = ChainLog{};
  EventRef event = NewTestEvent(kTestClass, 1);
  EXPECT_EQ(SendEventToEventTarget(event, control), eventNotHandledErr);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"n", "o", "a"}));
  ReleaseEvent(event);
  DisposeEventTarget(control);
}

struct SelfRemoval {
  EventHandlerRef ref = nullptr;
  int calls = 0;
  EventTargetRef disposeDuring = nullptr;
};

OSStatus RemovesItself(EventHandlerCallRef next, EventRef event, void* userData) {
  auto* state = static_cast<SelfRemoval*>(userData);
  ++state->calls;
  EXPECT_EQ(RemoveEventHandler(state->ref), noErr);
  if (state->disposeDuring) DisposeEventTarget(state->disposeDuring);
  return CallNextEventHandler(next, event);
}

TEST_F(EventsTest, HandlersAndTargetsMayGoAwayWhileTheyRun) {
  EventTargetRef window = NewEventTarget(GetApplicationEventTarget(), kEventTargetKindWindow, nullptr);
  SelfRemoval state;
  state.disposeDuring = window;
  EventTypeSpec type{kTestClass, 1};
  ASSERT_EQ(InstallEventHandler(window, RemovesItself, 1, &type, &state, &state.ref), noErr);
  ChainLog log;
  ScopedHandler onApp(GetApplicationEventTarget(), LoggingHandler<'a'>, {type}, &log);

  for (int i = 0; i < 2; ++i) {
    EventRef event = NewTestEvent(kTestClass, 1);
    SendEventToEventTarget(event, i == 0 ? window : GetApplicationEventTarget());
    ReleaseEvent(event);
  }
  EXPECT_EQ(state.calls, 1);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"a", "a"}));  // the chain went on to the app
  EXPECT_FALSE(IsValidEventTarget(window));
  EXPECT_EQ(RemoveEventHandler(state.ref), paramErr);
}

// --- Queue ---

TEST_F(EventsTest, QueueOrdersByPriorityAndFiltersByType) {
  PostTestEvent(kTestClass, 1, kEventPriorityLow);
  PostTestEvent(kTestClass, 2, kEventPriorityStandard);
  PostTestEvent(kTestClass, 3, kEventPriorityHigh);
  PostTestEvent(kTestClass, 4, kEventPriorityStandard);
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 4u);

  EventTypeSpec only4{kTestClass, 4};
  EventRef event = nullptr;
  ASSERT_EQ(ReceiveNextEvent(1, &only4, kEventDurationNoWait, true, &event), noErr);
  EXPECT_EQ(GetEventKind(event), 4u);
  ReleaseEvent(event);

  std::vector<UInt32> order;
  while (ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &event) == noErr) {
    order.push_back(GetEventKind(event));
    ReleaseEvent(event);
  }
  EXPECT_EQ(order, (std::vector<UInt32>{3, 2, 1}));

  EventRef twice = NewTestEvent(kTestClass, 5);
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), twice, kEventPriorityStandard), noErr);
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), twice, kEventPriorityStandard), eventAlreadyPostedErr);
  EXPECT_TRUE(IsEventInQueue(GetMainEventQueue(), twice));
  EventTypeSpec kind5{kTestClass, 5};
  EXPECT_EQ(FlushEventsMatchingListFromQueue(GetMainEventQueue(), 1, &kind5), noErr);
  EXPECT_FALSE(IsEventInQueue(GetMainEventQueue(), twice));
  EXPECT_EQ(GetEventRetainCount(twice), 1u);
  ReleaseEvent(twice);

  // An empty queue times out after the timeout, not before.
  EventTime start = GetCurrentEventTime();
  EXPECT_EQ(ReceiveNextEvent(0, nullptr, 0.05, true, &event), eventLoopTimedOutErr);
  EXPECT_GE(GetCurrentEventTime() - start, 0.05);
  EXPECT_EQ(event, nullptr);
}

// --- Loops ---

struct LoopCounter {
  int handled = 0;
  int quitAt = 1;
};

OSStatus CountAndQuit(EventHandlerCallRef, EventRef, void* userData) {
  auto* counter = static_cast<LoopCounter*>(userData);
  if (++counter->handled >= counter->quitAt) QuitApplicationEventLoop();
  return noErr;
}

TEST_F(EventsTest, ApplicationLoopReturnsOnQuitAndRunsAgain) {
  LoopCounter counter;
  ScopedHandler handler(GetApplicationEventTarget(), CountAndQuit, {{kTestClass, 1}}, &counter);

  QuitApplicationEventLoop();  // no loop runs: nothing is remembered
  PostTestEvent(kTestClass, 1);
  PostTestEvent(kTestClass, 1);
  RunApplicationEventLoop();
  EXPECT_EQ(counter.handled, 1);
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 1u);  // the loop stopped after the quit

  RunApplicationEventLoop();
  EXPECT_EQ(counter.handled, 2);

  counter.quitAt = 4;
  PostTestEvent(kTestClass, 1);
  PostTestEvent(kTestClass, 1);
  RunApplicationEventLoop();
  EXPECT_EQ(counter.handled, 4);
}

struct ModalState {
  WindowRef window = nullptr;
  std::vector<std::string> log;
};
ModalState* gModal = nullptr;

OSStatus OpensModalLoop(EventHandlerCallRef, EventRef event, void*) {
  if (GetEventKind(event) == 1) {
    gModal->log.push_back("open");
    PostTestEvent(kTestClass, 2);
    EXPECT_EQ(RunAppModalLoopForWindow(gModal->window), noErr);
    gModal->log.push_back("closed");
  } else {
    gModal->log.push_back("inside");
    EXPECT_EQ(GetAppModalLoopWindow(), gModal->window);
    QuitApplicationEventLoop();  // ends the outer loop, after the modal one
    EXPECT_EQ(QuitAppModalLoopForWindow(gModal->window), noErr);
  }
  return noErr;
}

TEST_F(EventsTest, AppModalLoopNestsInsideTheApplicationLoop) {
  ModalState state;
  state.window = FakeWindow(1);
  gModal = &state;
  SetAppModalLoopHooks([](WindowRef w) { gModal->log.push_back(w == gModal->window ? "begin" : "?"); },
                       [](WindowRef w) { gModal->log.push_back(w == gModal->window ? "end" : "?"); });
  ScopedHandler handler(GetApplicationEventTarget(), OpensModalLoop,
                        {{kTestClass, 1}, {kTestClass, 2}}, nullptr);
  PostTestEvent(kTestClass, 1);
  RunApplicationEventLoop();
  EXPECT_EQ(state.log,
            (std::vector<std::string>{"open", "begin", "inside", "end", "closed"}));
  EXPECT_EQ(QuitAppModalLoopForWindow(state.window), paramErr);
  EXPECT_EQ(RunAppModalLoopForWindow(nullptr), paramErr);
  gModal = nullptr;
}

// --- Commands and routing ---

struct CommandSeen {
  HICommand command;
  UInt32 modifiers = 0;
  int count = 0;
};

OSStatus TakesCommand(EventHandlerCallRef, EventRef event, void* userData) {
  auto* seen = static_cast<CommandSeen*>(userData);
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof seen->command,
                    nullptr, &seen->command);
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof seen->modifiers,
                    nullptr, &seen->modifiers);
  ++seen->count;
  return seen->command.commandID == FourCC("mine") ? OSStatus(noErr) : OSStatus(eventNotHandledErr);
}

TEST_F(EventsTest, ProcessHICommandGoesThroughTheFocusToTheApplication) {
  EventTargetRef window = NewEventTarget(GetApplicationEventTarget(), kEventTargetKindWindow, nullptr);
  SetUserFocusEventTarget(window);
  CommandSeen onWindow, onApp;
  ScopedHandler w(window, TakesCommand, {{kEventClassCommand, kEventCommandProcess}}, &onWindow);
  ScopedHandler a(GetApplicationEventTarget(), TakesCommand, {{kEventClassCommand, kEventCommandProcess}}, &onApp);

  PostHostModifiersEvent(cmdKey);
  HICommand command;
  command.attributes = kHICommandFromMenu;
  command.commandID = FourCC("mine");
  command.menu.menuItemIndex = 3;
  EXPECT_EQ(ProcessHICommand(&command), noErr);
  EXPECT_EQ(onWindow.count, 1);
  EXPECT_EQ(onApp.count, 0);
  EXPECT_EQ(onWindow.command.menu.menuItemIndex, 3);
  EXPECT_EQ(onWindow.command.attributes, kHICommandFromMenu);
  EXPECT_EQ(onWindow.modifiers, UInt32(cmdKey));

  command.commandID = FourCC("othr");
  EXPECT_EQ(ProcessHICommand(&command), eventNotHandledErr);
  EXPECT_EQ(onApp.count, 1);
  EXPECT_EQ(onApp.command.commandID, FourCC("othr"));
  DisposeEventTarget(window);
  EXPECT_EQ(GetUserFocusEventTarget(), GetApplicationEventTarget());
  EXPECT_EQ(ProcessHICommand(nullptr), paramErr);
}

TEST_F(EventsTest, UnhandledQuitCommandEndsTheLoop) {
  HICommandExtended quit;
  quit.commandID = kHICommandQuit;
  EventRef event = nullptr;
  ASSERT_EQ(CreateCommandEvent(kEventCommandProcess, &quit, &event), noErr);
  ASSERT_EQ(PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard), noErr);
  ReleaseEvent(event);
  RunApplicationEventLoop();  // returns: quit command -> 'quit' Apple event -> kEventAppQuit
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 0u);
}

EventTargetRef gRoutedTarget = nullptr;

TEST_F(EventsTest, LoopRoutesKeysToTheFocusAndOtherEventsByTheRouter) {
  EventTargetRef focus = NewEventTarget(GetApplicationEventTarget(), kEventTargetKindWindow, nullptr);
  EventTargetRef routed = NewEventTarget(GetApplicationEventTarget(), kEventTargetKindWindow, nullptr);
  SetUserFocusEventTarget(focus);
  gRoutedTarget = routed;
  SetEventRouter([](EventRef e) {
    return GetEventClass(e) == kEventClassMouse ? gRoutedTarget : nullptr;
  });
  ChainLog log;
  ScopedHandler onFocus(focus, LoggingHandler<'f'>, {{kEventClassKeyboard, kEventRawKeyDown}}, &log);
  ScopedHandler onRouted(routed, LoggingHandler<'r'>, {{kEventClassMouse, kEventMouseDown}}, &log);
  LoopCounter counter;
  ScopedHandler quitter(GetApplicationEventTarget(), CountAndQuit, {{kTestClass, 1}}, &counter);

  PostHostKeyEvent(kEventRawKeyDown, kVK_ANSI_A, 0, -1);
  PostHostMouseEvent(kEventMouseDown, Point{5, 5}, 1, 0);
  PostTestEvent(kTestClass, 1);
  RunApplicationEventLoop();
  EXPECT_EQ(log.calls, (std::vector<std::string>{"f", "r"}));
  DisposeEventTarget(focus);
  DisposeEventTarget(routed);
}

// --- Threads ---

struct ThreadCount {
  std::atomic<int> handled{0};
  int expected = 0;
};

OSStatus CountsPosted(EventHandlerCallRef, EventRef, void* userData) {
  auto* count = static_cast<ThreadCount*>(userData);
  if (++count->handled == count->expected) QuitApplicationEventLoop();
  return noErr;
}

void QuitAfterTimeout(EventLoopTimerRef, void*) { QuitApplicationEventLoop(); }

TEST_F(EventsTest, OtherThreadsPostWhileTheLoopRuns) {
  constexpr int kPerKind = 300;
  ThreadCount count;
  count.expected = 2 * kPerKind;
  ScopedHandler custom(GetApplicationEventTarget(), CountsPosted,
                       {{kTestClass, 7}, {kEventClassKeyboard, kEventRawKeyDown}}, &count);
  EventLoopTimerRef safety = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 20.0, 0, QuitAfterTimeout, nullptr, &safety);
  UInt32 droppedBefore = GetDroppedEventCount();

  std::thread poster([] {
    for (int i = 0; i < kPerKind; ++i) {
      PostTestEvent(kTestClass, 7);
      EXPECT_EQ(PostHostKeyEvent(kEventRawKeyDown, kVK_ANSI_K, 0, -1), noErr);
      if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  RunApplicationEventLoop();
  poster.join();
  RemoveEventLoopTimer(safety);
  EXPECT_EQ(count.handled.load(), 2 * kPerKind);
  EXPECT_EQ(GetDroppedEventCount(), droppedBefore);
}

TEST_F(EventsTest, AFullInboxDropsAndCountsWithoutBlocking) {
  constexpr int kPosts = 1500;  // more than the inbox holds while the main thread looks away
  std::vector<EventRef> events;
  for (int i = 0; i < kPosts; ++i) events.push_back(NewTestEvent(kTestClass, 8));
  UInt32 droppedBefore = GetDroppedEventCount();
  int refused = 0;
  std::thread poster([&] {
    for (EventRef e : events)
      if (PostEventToQueue(GetMainEventQueue(), e, kEventPriorityStandard) == memFullErr) ++refused;
  });
  poster.join();
  EXPECT_GT(refused, 0);
  EXPECT_EQ(GetDroppedEventCount() - droppedBefore, UInt32(refused));
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), UInt32(kPosts - refused));
  for (EventRef e : events) {
    bool queued = IsEventInQueue(GetMainEventQueue(), e);
    EXPECT_EQ(GetEventRetainCount(e), queued ? 2u : 1u);  // refused events keep no extra reference
  }
  FlushEventQueue(GetMainEventQueue());
  for (EventRef e : events) ReleaseEvent(e);
}

}  // namespace
