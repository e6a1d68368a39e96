// Window events through the real event path: the wheel scrolls the front window's bar under
// the mouse, a click on a window behind the front one activates it or clicks through, and
// the program's own command ids are taken before the menus.
#include <algorithm>
#include <ios>

#include "performance/keyboard_capture.h"
#include "platform/controls/controls.h"
#include "platform/events/apple_events.h"
#include "platform/events/host_input.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/screen.h"
#include "platform/windows/windows.h"
#include "shell/app/app_entry.h"
#include "shell/app/app_events.h"
#include "shell/app/command_events.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/value_fields.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_clicks.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

class WindowEventsTest : public AppTest {
 protected:
  // Dispatches the posted events; true when there were any.
  static bool Serve() { return windows_test::DispatchQueuedEvents() > 0; }
};

WindowRef WindowOf(int16_t kind) { return GetAppWindowRef(GetWindowForKind(kind)); }

// The centre of a control in global coordinates.
Point GlobalCentre(WindowRef window, ControlRef control) {
  Rect r{};
  GetControlBounds(control, &r);
  Point p{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)};
  QDLocalToGlobalPoint(GetWindowPort(window), &p);
  return p;
}

Point GlobalContentPoint(WindowRef window, int16_t dv, int16_t dh) {
  Rect frame{};
  GetWindowBounds(window, kWindowContentRgn, &frame);
  return Point{int16_t(frame.top + dv), int16_t(frame.left + dh)};
}

}  // namespace

namespace {

TEST_F(WindowEventsTest, TheMainEditorHasItsPaneAndPaneScrollBarAfterStartUp) {
  StartUpApplication(40);
  WindowRef editor = WindowOf(kMainEditorWindowKind);
  ASSERT_EQ(1, gEditorPaneCount);
  ControlRef bar = gEditorPanes[0].scrollBar;
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ(editor, GetControlOwner(bar));
  EXPECT_TRUE(IsControlVisible(bar));
  Rect port{}, r{};
  GetWindowPortBounds(editor, &port);
  GetControlBounds(bar, &r);
  EXPECT_EQ(port.right - 15, r.left) << "along the right edge";
  EXPECT_EQ(0, FindEditorPaneAt(int16_t((r.top + r.bottom) / 2)));
  QuitApplication(0);
}

TEST_F(WindowEventsTest, TheWheelScrollsTheBarUnderTheMouseOfTheFrontWindowOnly) {
  StartUpApplication(40);
  WindowRef editor = WindowOf(kMainEditorWindowKind);
  WindowRef track = WindowOf(kTrackWindowKind);
  SelectWindow(editor);
  Serve();  // the activation events
  ControlRef pane = gEditorPanes[0].scrollBar;
  ASSERT_TRUE(IsControlActive(pane)) << "the front editor's pane bars are on";
  SetControlMaximum(pane, 120);
  SetControlValue(pane, 60);
  // An active bar of the track window behind: the wheel over it changes nothing.
  AppWindow* trackRecord = GetWindowForKind(kTrackWindowKind);
  ControlRef saved = trackRecord->vScrollBar;
  Rect r{40, 100, 200, 116};
  ControlRef trackBar = NewControl(track, &r, reinterpret_cast<const unsigned char*>(""), true, 5, 0, 10,
                                   scrollBarProc, 0);
  ASSERT_NE(nullptr, trackBar);
  trackRecord->vScrollBar = trackBar;
  ControlRef root = nullptr;
  GetRootControl(track, &root);
  ActivateControl(root);  // active although its window is not in front
  ASSERT_TRUE(IsControlActive(trackBar));
  PostHostWheelEvent(GlobalCentre(editor, pane), kEventMouseWheelAxisY, 3, 0);   // away: up
  PostHostWheelEvent(GlobalCentre(editor, pane), kEventMouseWheelAxisY, -1, 0);  // toward: down
  Point overTrack = GlobalCentre(track, trackBar);
  WindowRef hit = nullptr;
  FindWindow(overTrack, &hit);
  ASSERT_EQ(track, hit);
  PostHostWheelEvent(overTrack, kEventMouseWheelAxisY, 2, 0);
  ASSERT_TRUE(Serve());
  EXPECT_EQ(58, GetControlValue(pane));
  EXPECT_EQ(5, GetControlValue(trackBar)) << "not the front window";
  trackRecord->vScrollBar = saved;
  DisposeControl(trackBar);
  QuitApplication(0);
}

int gPanelClicks = 0;
int32_t gPanelAnswer = 0;
int gEditorClicks = 0;

int32_t CountPanelClick(AppWindow*, Point, EventRecord*) {
  ++gPanelClicks;
  return gPanelAnswer;
}

int32_t CountEditorClick(AppWindow*, Point, EventRecord*) {
  ++gEditorClicks;
  return 1;
}

void ClickAt(Point where) {
  PostHostMouseEvent(kEventMouseDown, where, 1, 0);
  PostHostMouseEvent(kEventMouseUp, where, 1, 0);
}

TEST_F(WindowEventsTest, AClickOnAWindowBehindActivatesItOrClicksThrough) {
  StartUpApplication(40);
  SetWindowClickProc(kInstrumentWindowKindId, CountPanelClick);
  SetWindowClickProc(kMainEditorWindowKind, CountEditorClick);
  WindowRef panel = WindowOf(kInstrumentWindowKindId);  // clicked through
  WindowRef editor = WindowOf(kMainEditorWindowKind);
  WindowRef track = WindowOf(kTrackWindowKind);
  // The instrument window second from the front, clear of the track window above it.
  Rect screen{}, trackFrame{};
  GetAvailableWindowPositioningBounds(GetMainDevice(), &screen);
  GetWindowBounds(track, kWindowStructureRgn, &trackFrame);
  MoveWindow(panel, int16_t(screen.left + 40), int16_t(std::max(trackFrame.bottom, screen.top) + 60), false);
  SizeWindow(panel, 300, 200, true);
  ShowWindow(panel);
  SelectWindow(panel);
  struct Case {
    int32_t answer;
    bool panelComesForward;
  } cases[] = {{0, false}, {1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    SelectWindow(track);
    ASSERT_NE(panel, FrontNonFloatingWindow());
    gPanelClicks = 0;
    gPanelAnswer = c.answer;
    ClickAt(GlobalContentPoint(panel, 100, 100));
    ASSERT_TRUE(Serve());
    EXPECT_EQ(1, gPanelClicks) << "the instrument window takes the click at once";
    EXPECT_EQ(c.panelComesForward, FrontNonFloatingWindow() == panel);
  }
  // The main editor is brought forward by a click that it does not act on.
  SelectWindow(track);
  gEditorClicks = 0;
  ClickAt(GlobalContentPoint(editor, 60, 30));
  ASSERT_TRUE(Serve());
  EXPECT_EQ(editor, FrontNonFloatingWindow());
  EXPECT_EQ(0, gEditorClicks);
  // Once in front, its clicks reach its handler.
  ClickAt(GlobalContentPoint(editor, 60, 30));
  ASSERT_TRUE(Serve());
  EXPECT_EQ(1, gEditorClicks);
  // The event list in front takes its clicks too.
  SetWindowClickProc(kEventListKind, CountEditorClick);
  WindowRef events = WindowOf(kEventListKind);
  ShowWindow(events);
  SelectWindow(events);
  Serve();
  gEditorClicks = 0;
  ClickAt(GlobalContentPoint(events, 60, 30));
  ASSERT_TRUE(Serve());
  EXPECT_EQ(1, gEditorClicks);
  SetWindowClickProc(kEventListKind, nullptr);
  SetWindowClickProc(kInstrumentWindowKindId, nullptr);
  SetWindowClickProc(kMainEditorWindowKind, nullptr);
  QuitApplication(0);
}

OSStatus SendCommand(UInt32 id) {
  HICommandExtended command{};
  command.commandID = id;
  EventRef event = nullptr;
  CreateCommandEvent(kEventCommandProcess, &command, &event);
  OSStatus status = HandleCommandEvent(event);
  ReleaseEvent(event);
  return status;
}

TEST_F(WindowEventsTest, TheProgramsCommandIdsAreTakenBeforeTheMenus) {
  StartUpApplication(40);
  struct Case {
    UInt32 id;
    OSStatus result;
  } cases[] = {{FourCC("OpFi"), noErr}, {FourCC("GltD"), noErr}, {FourCC("MxIP"), noErr},
               {FourCC("NewM"), noErr}, {FourCC("HjbP"), noErr}, {FourCC("PISD"), noErr},
               {FourCC("PISC"), noErr}, {kHICommandOK, -9874}, {kHICommandCancel, -9874},
               {FourCC("zzzz"), -9874}};
  for (const Case& c : cases) {
    uint32_t count = gMenuCommandCount;
    EXPECT_EQ(c.result, SendCommand(c.id)) << std::hex << c.id;
    EXPECT_EQ(count, gMenuCommandCount) << std::hex << c.id;
  }
  SendCommand(FourCC("PISD"));
  EXPECT_TRUE(gKeyboardCapture);
  SendCommand(FourCC("PISC"));
  EXPECT_FALSE(gKeyboardCapture);
  // An alert waiting for its answer takes OK and Cancel; Cancel answers -1.
  gCommandAlertPending = 1;
  gCommandAlertAnswer = 1;
  EXPECT_EQ(noErr, SendCommand(kHICommandOK));
  EXPECT_EQ(1, gCommandAlertAnswer);
  EXPECT_EQ(noErr, SendCommand(kHICommandCancel));
  EXPECT_EQ(-1, gCommandAlertAnswer);
  gCommandAlertPending = 0;
  // While a number is typed into a field, commands are left to the system; even Quit.
  ActivateValueField(nullptr, 0, 100, 5, nullptr);
  ASSERT_TRUE(IsValueFieldActive());
  EXPECT_EQ(-9874, SendCommand(kHICommandQuit));
  EXPECT_EQ(0, gQuitFlag);
  CommitValueFieldEdit();
  QuitApplication(0);
}

TEST_F(WindowEventsTest, SuspendAndResumeDeactivateAndActivateTheFrontWindow) {
  StartUpApplication(40);
  WindowRef editor = WindowOf(kMainEditorWindowKind);
  SelectWindow(editor);
  ControlRef pane = gEditorPanes[0].scrollBar;
  ASSERT_TRUE(IsControlActive(pane));
  EventRecord suspend{};
  suspend.what = osEvt;
  suspend.message = uint32_t(suspendResumeMessage) << 24;
  DispatchEventRecord(&suspend);
  EXPECT_TRUE(IsAppInBackground());
  EXPECT_FALSE(IsControlActive(pane));
  EventRecord resume = suspend;
  resume.message |= resumeFlag;
  DispatchEventRecord(&resume);
  EXPECT_FALSE(IsAppInBackground());
  EXPECT_TRUE(IsControlActive(pane));
  QuitApplication(0);
}

TEST_F(WindowEventsTest, HidingTheKeyboardWindowEndsKeyCaptureAndClearsItsShownBit) {
  StartUpApplication(40);
  WindowRef keyboard = WindowOf(kKeyboardWindowKind);
  ASSERT_NE(nullptr, keyboard);
  ShowWindow(keyboard);
  SetKeyboardCapture(true);
  gAppState[6] = kAppWord6KeyboardShown | kAppWord6InfoPanelShown;
  CloseAppWindow(keyboard);
  EXPECT_FALSE(IsWindowVisible(keyboard));
  EXPECT_FALSE(gKeyboardCapture);
  EXPECT_EQ(kAppWord6InfoPanelShown, gAppState[6]);
  gAppState[6] = 0;
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
