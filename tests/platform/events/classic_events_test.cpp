#include <cstring>
#include <functional>
#include <thread>

#include "platform/memory/byte_order.h"
#include "tests/platform/events/events_test_support.h"

namespace {

using namespace events_test;

TEST(EventRecordTest, ImageIsSixteenBigEndianBytes) {
  EventRecord record;
  record.what = keyDown;
  record.message = 0x00007E1E;
  record.when = 0x01020304;
  record.where = Point{-2, 300};
  record.modifiers = cmdKey | btnState;
  UInt8 image[kEventRecordImageSize];
  EventRecordToBytes(record, image);
  const UInt8 expected[16] = {0x00, 0x03, 0x00, 0x00, 0x7E, 0x1E, 0x01, 0x02,
                              0x03, 0x04, 0xFF, 0xFE, 0x01, 0x2C, 0x01, 0x80};
  EXPECT_EQ(0, std::memcmp(image, expected, 16));
  EventRecord back;
  EventRecordFromBytes(image, &back);
  EXPECT_EQ(back, record);
}

EventRecord TakeNext(EventMask mask) {
  EventRecord record;
  EXPECT_TRUE(GetNextEvent(mask, &record));
  return record;
}

TEST_F(EventsTest, HostMouseAndKeyEventsConvertToClassicRecords) {
  struct Case {
    const char* name;
    std::function<void()> post;
    EventKind what;
    UInt32 message;
    Point where;
    UInt16 modifiers;
  };
  const Point at{40, 70};
  const Case cases[] = {
      {"mouse down with shift", [&] { PostHostMouseEvent(kEventMouseDown, at, 1, shiftKey); },
       mouseDown, 0, at, shiftKey},
      {"mouse up", [&] { PostHostMouseEvent(kEventMouseUp, Point{41, 72}, 1, 0); },
       mouseUp, 0, Point{41, 72}, btnState},
      {"key down B with shift", [] { PostHostKeyEvent(kEventRawKeyDown, kVK_ANSI_B, shiftKey, -1); },
       keyDown, 'B' | (kVK_ANSI_B << 8), Point{41, 72}, shiftKey | btnState},
      {"auto key with command", [] { PostHostKeyEvent(kEventRawKeyRepeat, kVK_ANSI_Q, cmdKey, -1); },
       autoKey, 'q' | (kVK_ANSI_Q << 8), Point{41, 72}, cmdKey | btnState},
      {"key up", [] { PostHostKeyEvent(kEventRawKeyUp, kVK_ANSI_Q, 0, -1); },
       keyUp, 'q' | (kVK_ANSI_Q << 8), Point{41, 72}, btnState},
      {"up arrow", [] { PostHostKeyEvent(kEventRawKeyDown, kVK_UpArrow, 0, -1); },
       keyDown, kUpArrowCharCode | (kVK_UpArrow << 8), Point{41, 72}, btnState},
      {"F1", [] { PostHostKeyEvent(kEventRawKeyDown, kVK_F1, 0, -1); },
       keyDown, kFunctionKeyCharCode | (kVK_F1 << 8), Point{41, 72}, btnState},
      {"host character", [] { PostHostKeyEvent(kEventRawKeyDown, kVK_ANSI_E, optionKey, 0x8E); },
       keyDown, 0x8E | (kVK_ANSI_E << 8), Point{41, 72}, optionKey | btnState},
      // The dialog wheel step: a posted key-down keeps its exact message.
      {"posted 32286", [] { PostEvent(keyDown, 32286); }, keyDown, 32286, Point{41, 72},
       optionKey | btnState},  // the modifiers held now
  };
  for (const Case& c : cases) {
    c.post();
    // Modifier changes queue their own (Carbon-only) event first; GetNextEvent sends it on.
    EventRecord record = TakeNext(everyEvent);
    EXPECT_EQ(record.what, c.what) << c.name;
    EXPECT_EQ(record.message, c.message) << c.name;
    EXPECT_EQ(record.where, c.where) << c.name;
    EXPECT_EQ(record.modifiers, c.modifiers) << c.name;
    EXPECT_FALSE(EventAvail(everyEvent, &record)) << c.name;
  }
}

TEST_F(EventsTest, WindowAndApplicationEventsConvertWithWindowIds) {
  WindowRef window = FakeWindow(2);
  struct Case {
    UInt32 eventClass;
    UInt32 kind;
    EventKind what;
    bool windowMessage;
    UInt32 message;
    UInt16 flags;
  };
  const Case cases[] = {
      {kEventClassWindow, kEventWindowActivated, activateEvt, true, 0, activeFlag},
      {kEventClassWindow, kEventWindowDeactivated, activateEvt, true, 0, 0},
      {kEventClassWindow, kEventWindowUpdate, updateEvt, true, 0, 0},
      {kEventClassApplication, kEventAppActivated, osEvt, false, 0x01000001, 0},
      {kEventClassApplication, kEventAppDeactivated, osEvt, false, 0x01000000, 0},
  };
  for (const Case& c : cases) {
    EventRef event = NewTestEvent(c.eventClass, c.kind);
    SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
    EventRecord record;
    EXPECT_TRUE(ConvertEventRefToEventRecord(event, &record));
    EXPECT_EQ(record.what, c.what);
    UInt32 message = c.windowMessage ? EventMessageForWindow(window) : c.message;
    EXPECT_EQ(record.message, message);
    EXPECT_EQ(record.modifiers & activeFlag, c.flags);
    ReleaseEvent(event);
  }
  UInt32 id = EventMessageForWindow(window);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(WindowForEventMessage(id), window);
  EXPECT_NE(EventMessageForWindow(FakeWindow(3)), id);
  ForgetEventMessageWindow(window);
  EXPECT_EQ(WindowForEventMessage(id), nullptr);
  EXPECT_NE(EventMessageForWindow(window), id);  // ids are never reused

  EventRef wheel = NewTestEvent(kEventClassMouse, kEventMouseWheelMoved);
  EventRecord record;
  EXPECT_FALSE(ConvertEventRefToEventRecord(wheel, &record));
  EXPECT_EQ(record.what, nullEvent);
  ReleaseEvent(wheel);
}

int gCommandsDispatched = 0;

OSStatus CountCommands(EventHandlerCallRef, EventRef, void*) {
  ++gCommandsDispatched;
  return noErr;
}

TEST_F(EventsTest, WaitNextEventTakesOnlyMaskedEventsAndSendsCarbonOnlyOnes) {
  gCommandsDispatched = 0;
  ScopedHandler commands(GetApplicationEventTarget(), CountCommands,
                         {{kEventClassCommand, kEventCommandProcess}}, nullptr);
  PostEvent(mouseDown, 0);
  PostTestEvent(kEventClassCommand, kEventCommandProcess);
  PostEvent(keyDown, 'x');
  PostEvent(updateEvt, 5);

  EventRecord record;
  EXPECT_TRUE(EventAvail(keyDownMask, &record));  // looks without taking or sending
  EXPECT_EQ(record.what, keyDown);
  EXPECT_EQ(gCommandsDispatched, 0);

  EXPECT_TRUE(WaitNextEvent(keyDownMask, &record, 0, nullptr));
  EXPECT_EQ(record.what, keyDown);
  EXPECT_EQ(record.message, UInt32('x'));
  EXPECT_EQ(gCommandsDispatched, 1);  // the command was sent on the way

  EXPECT_FALSE(WaitNextEvent(activMask, &record, 0, nullptr));
  EXPECT_EQ(record.what, nullEvent);
  EXPECT_EQ(TakeNext(everyEvent).what, mouseDown);
  record = TakeNext(updateMask);
  EXPECT_EQ(record.what, updateEvt);
  EXPECT_EQ(record.message, 5u);
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 0u);

  // A sleep is a wait of that many ticks, at most one second, then a null event.
  SetManualEventClock(true, 50.0);
  EXPECT_FALSE(WaitNextEvent(everyEvent, &record, 3, nullptr));
  EXPECT_EQ(GetCurrentEventTime(), 50.0 + 3 / 60.0);
  EXPECT_FALSE(WaitNextEvent(everyEvent, &record, 0xFFFFFFFF, nullptr));
  EXPECT_EQ(GetCurrentEventTime(), 50.0 + 3 / 60.0 + kMaxWaitNextEventSleep / 60.0);
  EXPECT_EQ(record.what, nullEvent);
}

TEST_F(EventsTest, PostEventAndFlushEvents) {
  EXPECT_EQ(PostEvent(nullEvent, 0), evtNotEnb);
  EXPECT_EQ(PostEvent(kHighLevelEvent, 0), evtNotEnb);
  EXPECT_EQ(PostEvent(16, 0), evtNotEnb);

  const EventKind posted[] = {mouseDown, keyDown, keyUp, diskEvt, mouseUp, keyDown};
  for (EventKind what : posted) ASSERT_EQ(PostEvent(what, what), noErr);
  PostTestEvent(kEventClassCommand, kEventCommandProcess);  // no classic form: never flushed

  FlushEvents(mDownMask | keyDownMask | mUpMask, diskMask);  // stops at the disk event
  std::vector<EventKind> left;
  EventRecord record;
  while (EventAvail(everyEvent, &record)) {
    left.push_back(record.what);
    EXPECT_EQ(record.message, record.what);
    FlushEvents(EventMask(1u << record.what), 0);
  }
  EXPECT_EQ(left, (std::vector<EventKind>{keyUp, diskEvt, mouseUp, keyDown}));
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 1u);  // the command
}

TEST_F(EventsTest, ButtonStillDownAndWaitMouseUp) {
  EXPECT_FALSE(Button());
  PostHostMouseEvent(kEventMouseDown, Point{1, 1}, 1, 0);
  EXPECT_TRUE(Button());
  EXPECT_TRUE(StillDown());
  EXPECT_TRUE(WaitMouseUp());
  PostEvent(mouseUp, 0);  // a mouse-up in the queue ends StillDown before Button changes
  EXPECT_TRUE(Button());
  EXPECT_FALSE(StillDown());
  EXPECT_FALSE(WaitMouseUp());
  EXPECT_EQ(TakeNext(everyEvent).what, mouseDown);
  EventRecord record;
  EXPECT_FALSE(EventAvail(everyEvent, &record));

  PostHostMouseEvent(kEventMouseDown, Point{1, 2}, 2, 0);  // the secondary button
  EXPECT_EQ(GetCurrentButtonState(), 3u);
  PostHostMouseEvent(kEventMouseUp, Point{1, 2}, 1, 0);
  EXPECT_FALSE(Button());
  EXPECT_EQ(GetCurrentButtonState(), 2u);
  EXPECT_EQ(PostHostMouseEvent(kEventMouseDown, Point{}, 0, 0), paramErr);
}

TEST_F(EventsTest, MouseLocationWithAndWithoutThePortHook) {
  PostHostMouseEvent(kEventMouseMoved, Point{100, 200}, 0, 0);
  Point global, local;
  GetGlobalMouse(&global);
  GetMouse(&local);
  EXPECT_EQ(global, (Point{100, 200}));
  EXPECT_EQ(local, global);
  SetGlobalToLocalHook([](Point* p) {
    p->v -= 10;
    p->h -= 20;
  });
  GetMouse(&local);
  EXPECT_EQ(local, (Point{90, 180}));
  GetGlobalMouse(&global);
  EXPECT_EQ(global, (Point{100, 200}));
}

TEST_F(EventsTest, MovesMergeAndBecomeDragsWhileAButtonIsDown) {
  PostHostMouseEvent(kEventMouseMoved, Point{1, 1}, 0, 0);
  PostHostMouseEvent(kEventMouseMoved, Point{2, 2}, 0, 0);
  PostHostMouseEvent(kEventMouseMoved, Point{3, 3}, 0, 0);
  PostHostMouseEvent(kEventMouseDown, Point{3, 3}, 1, 0);
  PostHostMouseEvent(kEventMouseMoved, Point{4, 4}, 0, 0);
  PostHostMouseEvent(kEventMouseMoved, Point{5, 6}, 0, 0);
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 3u);
  std::vector<std::pair<UInt32, Point>> seen;
  EventRef event = nullptr;
  while (ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &event) == noErr) {
    Point where;
    GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
    seen.push_back({GetEventKind(event), where});
    ReleaseEvent(event);
  }
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], std::make_pair(UInt32(kEventMouseMoved), Point{3, 3}));
  EXPECT_EQ(seen[1].first, UInt32(kEventMouseDown));
  EXPECT_EQ(seen[2], std::make_pair(UInt32(kEventMouseDragged), Point{5, 6}));
}

UInt32 ClickCountOf(EventRef event) {
  UInt32 count = 0;
  GetEventParameter(event, kEventParamClickCount, typeUInt32, nullptr, sizeof count, nullptr, &count);
  return count;
}

TEST_F(EventsTest, ClickCountsFollowTheDoubleClickTimeAndDistance) {
  SetManualEventClock(true, 1000.0);
  struct Click {
    EventTime after;
    Point where;
    UInt32 count;
  };
  const Click clicks[] = {
      {0.0, {500, 500}, 1},
      {0.25, {501, 502}, 2},
      {0.25, {500, 500}, 3},
      {0.25, {520, 500}, 1},  // too far
      {1.0, {520, 500}, 1},   // too late (GetDblTime is 30 ticks)
  };
  for (const Click& c : clicks) {
    AdvanceManualEventClock(c.after);
    PostHostMouseEvent(kEventMouseDown, c.where, 1, 0);
    PostHostMouseEvent(kEventMouseUp, c.where, 1, 0);
    EventRef down = nullptr;
    ASSERT_EQ(ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &down), noErr);
    EXPECT_EQ(ClickCountOf(down), c.count) << c.where.h;
    ReleaseEvent(down);
    FlushEventQueue(GetMainEventQueue());
  }
}

TEST_F(EventsTest, KeyMapAndModifiersFollowTheKeys) {
  PostHostKeyEvent(kEventRawKeyDown, kVK_ANSI_A, 0, -1);
  PostHostKeyEvent(kEventRawKeyDown, kVK_Option, 0, -1);
  PostHostKeyEvent(kEventRawKeyDown, kVK_RightShift, 0, -1);
  KeyMap keys;
  UInt8 fromThread[16];
  GetKeys(keys);
  std::thread([&] { GetKeys(fromThread); }).join();
  EXPECT_EQ(0, std::memcmp(keys, fromThread, 16));
  EXPECT_TRUE(IsKeyCodeInKeyMap(keys, kVK_ANSI_A));
  EXPECT_TRUE(IsKeyCodeInKeyMap(keys, kVK_Option));
  EXPECT_TRUE(IsKeyCodeInKeyMap(keys, kVK_RightShift));
  EXPECT_FALSE(IsKeyCodeInKeyMap(keys, kVK_Shift));
  EXPECT_EQ(KeyMapWord(keys, 0), 0x01000000u);  // key 0 is bit 0 of byte 0
  EXPECT_EQ(GetCurrentKeyModifiers(), UInt32(optionKey | shiftKey | rightShiftKey));

  // Modifier keys queue modifier changes, not key-downs.
  std::vector<UInt32> kinds;
  EventRef event = nullptr;
  while (ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &event) == noErr) {
    kinds.push_back(GetEventKind(event));
    ReleaseEvent(event);
  }
  EXPECT_EQ(kinds, (std::vector<UInt32>{kEventRawKeyDown, kEventRawKeyModifiersChanged,
                                        kEventRawKeyModifiersChanged}));

  // The host's word on held modifiers wins for the next key: Option is up now.
  PostHostKeyEvent(kEventRawKeyUp, kVK_ANSI_A, shiftKey | rightShiftKey, -1);
  GetKeys(keys);
  EXPECT_FALSE(IsKeyCodeInKeyMap(keys, kVK_ANSI_A));
  EXPECT_FALSE(IsKeyCodeInKeyMap(keys, kVK_Option));
  EXPECT_TRUE(IsKeyCodeInKeyMap(keys, kVK_RightShift));
  PostHostModifiersEvent(cmdKey | alphaLock);
  GetKeys(keys);
  EXPECT_TRUE(IsKeyCodeInKeyMap(keys, kVK_Command));
  EXPECT_TRUE(IsKeyCodeInKeyMap(keys, kVK_CapsLock));
  EXPECT_FALSE(IsKeyCodeInKeyMap(keys, kVK_RightShift));
  ResetHostInputState();
  EXPECT_EQ(GetCurrentKeyModifiers(), UInt32(alphaLock));
  EXPECT_EQ(PostHostKeyEvent(kEventRawKeyDown, 128, 0, -1), paramErr);
}

}  // namespace

namespace {

using namespace events_test;

int gPumpCalls = 0;

TEST_F(EventsTest, PollingWithoutWaitStillPumpsTheHost) {
  gPumpCalls = 0;
  SetHostEventPump([](EventTime maxWait) {
    EXPECT_GE(maxWait, 0);
    if (++gPumpCalls == 1) PostHostKeyEvent(kEventRawKeyDown, kVK_Space, 0, -1);
  });
  EventRecord record;
  ASSERT_TRUE(GetNextEvent(keyDownMask, &record));  // the pump's key, with no sleep at all
  EXPECT_EQ(record.message, UInt32(' ' | (kVK_Space << 8)));
  EXPECT_GE(gPumpCalls, 1);
}

}  // namespace
