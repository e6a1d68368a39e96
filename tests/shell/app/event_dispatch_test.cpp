// Events reaching the program: command keys through the menus to the dispatcher, function
// keys, window closing, the system's quit, the quit request while idle work is gated, and
// the Apple event handlers.
#include "platform/events/apple_events.h"
#include "platform/events/classic_events.h"
#include "platform/quickdraw/regions.h"
#include "platform/windows/windows.h"
#include "shell/app/app_entry.h"
#include "shell/app/app_events.h"
#include "shell/app/apple_event_handlers.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/base/idle_flag.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/windows/app_windows.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

using EventDispatchTest = AppTest;

constexpr int32_t Command(int16_t menu, int16_t item) { return int32_t(uint32_t(menu) << 16 | uint16_t(item)); }

TEST_F(EventDispatchTest, CommandKeysReachTheDispatcherThroughTheMenus) {
  StartUpApplication(40);
  AppWindow* songs = GetWindowForKind(kSongListKind);
  ASSERT_FALSE(IsAppWindowVisible(songs));
  PostKey('2', 0x13, cmdKey);  // Window > Song List
  PostKey('q', 0x0C, cmdKey);  // File > Quit
  ASSERT_TRUE(RunUntilQuit());
  EXPECT_TRUE(IsAppWindowVisible(songs));
  EXPECT_EQ(GetAppWindowRef(songs), FrontNonFloatingWindow());
  EXPECT_EQ(Command(kFileMenuId, kFileQuitItem), gLastMenuCommand);
  EXPECT_EQ(1, gQuitFlag);
  QuitApplication(0);
}

TEST_F(EventDispatchTest, CommandsNobodyHandlesAnswerNotHandled) {
  StartUpApplication(40);
  for (int16_t menu : {int16_t(999), int16_t(0)}) EXPECT_EQ(-9874, DispatchMenuCommand(menu, 1)) << menu;
  EXPECT_EQ(noErr, DispatchMenuCommand(kEditMenuId, 1));  // nothing to undo: Undo does nothing
  EXPECT_EQ(-9874, DispatchMenuCommand(kOptionsMenuId, 6));
  EXPECT_EQ(noErr, DispatchMenuCommand(kWindowMenuId, 12));  // no window: nothing happens
  EXPECT_EQ(0, GetIdleFlag());  // the dispatcher gives the idle flag back
  QuitApplication(0);
}

TEST_F(EventDispatchTest, FunctionKeysOpenTheirWindowsAndOthersDoNothing) {
  StartUpApplication(40);
  HideWindow(GetAppWindowRef(GetWindowForKind(kMainEditorWindowKind)));
  HandleFunctionKey(0x76);  // F4: Window item 7, the main editor
  EXPECT_EQ(Command(kWindowMenuId, 7), gLastMenuCommand);
  EXPECT_TRUE(IsAppWindowVisible(GetWindowForKind(kMainEditorWindowKind)));
  uint32_t count = gMenuCommandCount;
  HandleFunctionKey(0x6A);  // F16: not in the table
  HandleFunctionKey(0x64);  // F8
  EXPECT_EQ(count, gMenuCommandCount);
  QuitApplication(0);
}

TEST_F(EventDispatchTest, ClosingAWindowHidesItAndKeepsItsRecord) {
  StartUpApplication(40);
  AppWindow* track = GetWindowForKind(kTrackWindowKind);
  WindowRef window = GetAppWindowRef(track);
  ASSERT_TRUE(IsWindowVisible(window));
  EventRef event = nullptr;
  ASSERT_EQ(noErr, CreateEvent(nullptr, kEventClassWindow, kEventWindowClose, 0, 0, &event));
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  EXPECT_EQ(noErr, SendEventToEventTarget(event, GetWindowEventTarget(window)));
  ReleaseEvent(event);
  EXPECT_TRUE(IsValidWindowPtr(window));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(track, FindAppWindow(window));
  QuitApplication(0);
}

TEST_F(EventDispatchTest, AnUpdateEventEmptiesTheUpdateRegion) {
  StartUpApplication(40);
  for (int16_t kind : {kTrackWindowKind, kMixerKind}) {  // one shown, one hidden
    SCOPED_TRACE(kind);
    WindowRef window = GetAppWindowRef(GetWindowForKind(kind));
    ShowWindow(window);
    Rect all;
    GetWindowPortBounds(window, &all);
    InvalWindowRect(window, &all);
    EventRecord update;
    update.what = updateEvt;
    update.message = EventMessageForWindow(window);
    EXPECT_EQ(1, DispatchEventRecord(&update));
    RgnHandle pending = NewRgn();
    GetWindowRegion(window, kWindowUpdateRgn, pending);
    EXPECT_TRUE(EmptyRgn(pending));
    DisposeRgn(pending);
  }
  QuitApplication(0);
}

bool gRanAfterReentry = false;

TEST_F(EventDispatchTest, SystemQuitReentersTheLoopUntilTheQuitFlagIsSet) {
  StartUpApplication(40);
  gRanAfterReentry = false;
  After(0.05, [] {
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassApplication, kEventAppQuit, 0, 0, &event);
    PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard);
    ReleaseEvent(event);
  });
  After(0.4, [] {
    gRanAfterReentry = gQuitFlag == 0;
    PostQuitAppleEvent();
  });
  ASSERT_TRUE(RunUntilQuit());
  EXPECT_TRUE(gRanAfterReentry);
  EXPECT_EQ(1, gQuitFlag);
  QuitApplication(0);
}

TEST_F(EventDispatchTest, QuitIsServedWhileTheIdleGatesAreClosed) {
  StartUpApplication(40);
  After(0.05, [] {
    SetIdleFlag(1);
    gAppState[1] |= kAppWord1DrawingSuppressed;
    gQuitFlag = 1;
  });
  EXPECT_TRUE(RunUntilQuit(10));
  gAppState[1] &= ~kAppWord1DrawingSuppressed;
  SetIdleFlag(0);
  QuitApplication(0);
}

TEST_F(EventDispatchTest, AppleEventsQuitAndRefuseDocumentsDuringAProgressDialog) {
  InstallAppleEventHandlers();
  ProcessSerialNumber self{0, kCurrentProcess};
  AEAddressDesc target;
  ASSERT_EQ(noErr, AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target));

  AppleEvent open;
  ASSERT_EQ(noErr, AECreateAppleEvent(kCoreEventClass, kAEOpenDocuments, &target,
                                      kAutoGenerateReturnID, kAnyTransactionID, &open));
  AEDescList list;
  AECreateList(nullptr, 0, false, &list);
  FSSpec fileSpec{};
  AEPutFSSpec(&list, 0, fileSpec);
  AEPutParamDesc(&open, keyDirectObject, &list);
  auto saved = gIsProgressDialogFront;
  gIsProgressDialogFront = [] { return true; };
  EXPECT_EQ(userCanceledErr, AEDispatchAppleEvent(&open));
  gIsProgressDialogFront = saved;

  AppleEvent quit;
  ASSERT_EQ(noErr, AECreateAppleEvent(kCoreEventClass, kAEQuitApplication, &target,
                                      kAutoGenerateReturnID, kAnyTransactionID, &quit));
  gQuitFlag = 0;
  EXPECT_EQ(noErr, AEDispatchAppleEvent(&quit));
  EXPECT_EQ(1, gQuitFlag);
  for (AEDesc* d : {&target, &open, &list, &quit}) AEDisposeDesc(d);
}

}  // namespace
}  // namespace app_test
