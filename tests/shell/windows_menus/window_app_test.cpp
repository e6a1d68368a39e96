// The program's windows and menus after a headless start: the window list, commands by menu
// and item, activation and dragging by posted events, sizing and zooming, the Window menu's
// marks, help topics, and what a song switch, a locate or the song model's redraw requests
// refresh.
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "shell/app/locator_memories.h"
#include "song/model/utility_track_access.h"
#include "song/model/track_numbers.h"
#include "song/model/song_layout.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_record.h"
#include "shell/windows/target_pane.h"
#include "shell/app/idle_steps.h"
#include "song/model/song_context.h"
#include "platform/events/host_input.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/scrap.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/pascal_strings.h"
#include "plugins/plugin_host_commands.h"
#include "shell/app/app_events.h"
#include "shell/app/shutdown.h"
#include "shell/app/song_activation.h"
#include "editing/event_clipboard.h"
#include "shell/app/song_switch.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/row_metrics.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_commands.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/menus/menu_state.h"
#include "shell/menus/option_toggles.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/context_help.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_activation.h"
#include "shell/windows/window_sizing.h"
#include "song/conductor/markers.h"
#include "song/events/play_range.h"
#include "song/events/time_selection.h"
#include "song/model/songs.h"
#include "song/model/window_redraw.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

class WindowsMenus : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
  }
  void TearDown() override {
    gAppState[4] = 0;
    gDisplayWord = 0;
    SetHelpOpenProc(nullptr);
    SetPluginMenuQuery(nullptr);
    QuitApplication(0);
    AppTest::TearDown();
  }
  static WindowRef Window(int16_t kind) { return GetAppWindowRef(GetWindowForKind(kind)); }
  static Rect Frame(WindowRef w, WindowRegionCode code = kWindowStructureRgn) {
    Rect r{};
    GetWindowBounds(w, code, &r);
    return r;
  }
  static Rect Port(WindowRef w) {
    Rect r{};
    GetWindowPortBounds(w, &r);
    return r;
  }
  static bool HasUpdate(WindowRef w) {
    RgnHandle pending = NewRgn();
    GetWindowRegion(w, kWindowUpdateRgn, pending);
    bool any = !EmptyRgn(pending);
    DisposeRgn(pending);
    return any;
  }
  static void ValidateAll() {
    for (AppWindow* w = gAppWindowList; w; w = w->next)
      if (WindowRef window = GetAppWindowRef(w)) {
        Rect all = Port(window);
        all.bottom = int16_t(all.bottom + 1);
        ValidWindowRect(window, &all);
      }
  }
  static int Dispatch() { return windows_test::DispatchQueuedEvents(); }
  static void ClickPath(std::vector<Point> path, UInt32 modifiers = 0) { windows_test::PostClickPath(path, modifiers); }
  static void Front(int16_t kind) {
    ShowWindow(Window(kind));
    SelectWindow(Window(kind));
    Dispatch();
  }
};

TEST_F(WindowsMenus, EveryWindowIsListedOnceAndFoundFromItsToolboxWindow) {
  std::vector<int16_t> kinds;
  int count = 0;
  for (AppWindow* w = gAppWindowList; w && count < 64; w = w->next, ++count) {
    kinds.push_back(w->kind);
    EXPECT_EQ(w, FindAppWindow(GetAppWindowRef(w))) << w->kind;
    if (w->kind != kPopUpPortKind) {
      EXPECT_EQ(w, GetWindowForKind(w->kind)) << w->kind;
    }
  }
  ASSERT_GE(kinds.size(), 3u);
  EXPECT_EQ(kMainEditorWindowKind, kinds[0]) << "made first";
  EXPECT_EQ(kInfoPanelWindowKind, kinds[1]);
  EXPECT_EQ(kTrackWindowKind, kinds[2]);
  for (int16_t kind : {1, 24, 26, 0}) EXPECT_EQ(nullptr, GetWindowForKind(kind)) << kind;
  EXPECT_EQ(nullptr, FindAppWindow(nullptr));
}

TEST_F(WindowsMenus, CommandsGoByMenuAndItem) {
  struct Case { int16_t menu, item; OSStatus result; };
  const Case cases[] = {{999, 1, -9874},          {kEditMenuId, 3, noErr}, {kOptionsMenuId, 6, -9874},
                        {28150, 2, -9874},        {kViewMenuId, 13, noErr}, {70, 3, noErr},
                        {72, 5, noErr},           {79, 4, noErr},           {kWindowMenuId, 5, noErr},
                        {kAppMenuId, 2, noErr}};
  for (const Case& c : cases) EXPECT_EQ(c.result, DispatchMenuCommand(c.menu, c.item)) << c.menu << "/" << c.item;
  EXPECT_EQ(0x100, gViewOptionWord & 0x100);
  EXPECT_EQ(2, gEditorDisplayMode);
  EXPECT_EQ(5, gChosenValue);
  EXPECT_EQ(3, gDisplayChoiceByte);
  EXPECT_EQ(Window(kSongListKind), FrontNonFloatingWindow());
  UpdateMenuState();
  int16_t mark = 0;
  GetItemMark(gWindowMenu, 5, &mark);
  EXPECT_EQ(kFrontWindowMark, mark);
  EXPECT_TRUE(IsMenuItemEnabled(gOptionsMenu, 18));
  DispatchMenuCommand(kViewMenuId, 13);
  EXPECT_EQ(0, gViewOptionWord & 0x100);
}

TEST_F(WindowsMenus, PluginMenuIdsBecomeTheirGroupOrTheProcessingMenu) {
  EXPECT_EQ(kPluginMenuGroupId, MapDispatchMenuId(28000));
  EXPECT_EQ(kPluginMenuGroupId, MapDispatchMenuId(28300));
  EXPECT_EQ(28301, MapDispatchMenuId(28301));
  SetPluginMenuQuery([](int16_t id) { return id == kPluginMenuGroupId ? gFileMenu : MenuRef(nullptr); });
  EXPECT_EQ(kPluginProcessingMenuId, MapDispatchMenuId(28010));
  EXPECT_EQ(kFileMenuId, MapDispatchMenuId(kFileMenuId));
}

TEST_F(WindowsMenus, TheWindowMenuMarksShownFrontAndFloatingWindows) {
  Front(kEventListKind);
  HideWindow(Window(kMixerKind));
  ShowWindow(Window(kMarkerListKind));
  ShowWindow(Window(kInfoPanelWindowKind));
  SelectWindow(Window(kEventListKind));
  MarkWindowMenuItems();
  auto markOf = [](int16_t item) {
    int16_t mark = -1;
    GetItemMark(gWindowMenu, MenuItemIndex(item), &mark);
    return mark;
  };
  EXPECT_EQ(0, markOf(18));  // mixer hidden
  EXPECT_EQ(kShownWindowMark, markOf(11));
  EXPECT_EQ(kFloatingWindowMark, markOf(1));
  EXPECT_EQ(kFrontWindowMark, markOf(8)) << "the front document window, whatever floats above it";
}

TEST_F(WindowsMenus, ActivationKeepsTheDisplayBitsOfTheActiveWindow) {
  Front(kSongListKind);
  EXPECT_TRUE(gDisplayWord & kDisplaySongListActive);
  Front(kMarkerListKind);
  EXPECT_FALSE(gDisplayWord & kDisplaySongListActive);
  EXPECT_TRUE(gDisplayWord & kDisplayMarkerListActive);
  Front(kMixerKind);
  EXPECT_FALSE(gDisplayWord & kDisplayMarkerListActive);
  EXPECT_TRUE(gDisplayWord & kDisplayMixerActive);

  gAppState[4] |= kAppWord4PopUpUp;
  EXPECT_EQ(-9874, ActivateWindowByKind(nullptr, Window(kSongListKind), true));
  EXPECT_EQ(-9874, DeactivateWindowByKind(nullptr, Window(kMixerKind)));
  EXPECT_TRUE(gDisplayWord & kDisplayMixerActive);
  gAppState[4] &= ~kAppWord4PopUpUp;

  WindowRef stranger = nullptr;
  Rect bounds{100, 100, 200, 200};
  CreateNewWindow(kDocumentWindowClass, 0, &bounds, &stranger);
  EXPECT_EQ(-9874, ActivateWindowByKind(nullptr, stranger, true));
  DisposeWindow(stranger);
}

TEST_F(WindowsMenus, TheMainEditorKeepsItsScrollBarWhileTheDisplayBitAsks) {
  AppWindow* editor = GetWindowForKind(kMainEditorWindowKind);
  Rect r{0, 0, 100, 16};
  editor->hScrollBar = NewControl(editor->window, &r, reinterpret_cast<const unsigned char*>(""), true, 0, 0, 10,
                                  scrollBarProc, 0);
  ASSERT_NE(nullptr, editor->hScrollBar);
  ActivateWindowByKind(nullptr, editor->window, true);
  gDisplayWord |= kDisplayKeepEditorActive;
  EXPECT_EQ(noErr, DeactivateWindowByKind(nullptr, editor->window));
  EXPECT_TRUE(IsControlActive(editor->hScrollBar));
  gDisplayWord &= ~kDisplayKeepEditorActive;
  DeactivateWindowByKind(nullptr, editor->window);
  EXPECT_FALSE(IsControlActive(editor->hScrollBar));
  DisposeControl(editor->hScrollBar);
  editor->hScrollBar = nullptr;
}

TEST_F(WindowsMenus, ActivatingTheMainEditorSwitchesTheBarsOfEveryPane) {
  ASSERT_EQ(1, gEditorPaneCount);
  ASSERT_EQ(noErr, CreateEditorPane(200, false, 1));
  ASSERT_EQ(noErr, CreateEditorPane(260, false, 2));
  ASSERT_EQ(noErr, CreateEditorPane(300, true, 3));
  gEditorPanes[2].viewMode = 4;                 // a controller lane: its bar stays off
  gEditorPanes[3].flags |= kPaneHidden;         // hidden: off
  for (int k = 0; k < 4; ++k) ShowControl(gEditorPanes[k].scrollBar);
  SelectEditorPaneIndex(1);
  Front(kMainEditorWindowKind);
  const bool wanted[] = {true, true, false, false};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(wanted[k], IsControlActive(gEditorPanes[k].scrollBar)) << k;
  EXPECT_EQ(1, gCurrentPaneIndex) << "the current pane stays";
  WindowRef editor = Window(kMainEditorWindowKind);
  gDisplayWord |= kDisplayKeepEditorActive;
  EXPECT_EQ(noErr, DeactivateWindowByKind(nullptr, editor));
  EXPECT_TRUE(IsControlActive(gEditorPanes[0].scrollBar)) << "the display bit keeps them";
  gDisplayWord &= ~kDisplayKeepEditorActive;
  EXPECT_EQ(noErr, DeactivateWindowByKind(nullptr, editor));
  for (int k = 0; k < 4; ++k) EXPECT_FALSE(IsControlActive(gEditorPanes[k].scrollBar)) << k;
}

TEST_F(WindowsMenus, ThePaneBarsFollowTheMainEditorsNewSize) {
  AppWindow* editor = GetWindowForKind(kMainEditorWindowKind);
  ASSERT_EQ(1, gEditorPaneCount);
  Rect port = Port(editor->window);
  for (int16_t width : {int16_t(port.right - port.left - 120), int16_t(port.right - port.left - 40)}) {
    SizeWindow(editor->window, width, int16_t(port.bottom - port.top), true);
    Dispatch();
    Rect bar{};
    GetControlBounds(gEditorPanes[0].scrollBar, &bar);
    EXPECT_EQ(Port(editor->window).right - 15, bar.left) << width;
  }
}

TEST_F(WindowsMenus, ActivatingTheMarkerListClearsTheMarkerSelection) {
  Str255 name;
  PLstrcpy(name, reinterpret_cast<ConstStr255Param>("\001A"));
  ASSERT_EQ(noErr, AddMarkerWithFlags(name, 1, 480, 0, 0, 0, nullptr, 0));
  ASSERT_EQ(noErr, AddMarkerWithFlags(name, 1, 960, 0, 0, 0, nullptr, 0));
  ASSERT_EQ(2, CountMarkers());
  ASSERT_TRUE(MarkerFlags(GetMarkerAt(0)) & kMarkerSelected);
  Front(kMarkerListKind);
  for (int32_t i = 0; i < CountMarkers(); ++i) EXPECT_FALSE(MarkerFlags(GetMarkerAt(i)) & kMarkerSelected) << i;
  EXPECT_EQ(2, CountMarkers());
}

TEST_F(WindowsMenus, APluginEditorWindowTakesTheFocusOnlyWhenAsked) {
  WindowRef editor = nullptr;
  Rect bounds{100, 100, 300, 300};
  ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &bounds, &editor));
  ASSERT_GE(RegisterPluginEditorWindow(editor), 0);
  uint32_t record = FindPluginWindowRecord(editor);
  ASSERT_NE(0u, record);
  EXPECT_EQ(noErr, ActivateWindowByKind(nullptr, editor, false));
  EXPECT_FALSE(IsPluginWindowViewActive(record));
  EXPECT_EQ(noErr, ActivateWindowByKind(nullptr, editor, true));
  EXPECT_TRUE(IsPluginWindowViewActive(record));
  EXPECT_EQ(noErr, DeactivateWindowByKind(nullptr, editor));
  EXPECT_FALSE(IsPluginWindowViewActive(record));
  ForgetPluginEditorWindow(editor);
  EXPECT_EQ(-9874, ActivateWindowByKind(nullptr, editor, true)) << "no longer a plug-in window";
  EXPECT_EQ(-9874, DeactivateWindowByKind(nullptr, editor));
  DisposeWindow(editor);
}

TEST_F(WindowsMenus, TheJukeboxsControlsFollowItsActivation) {
  WindowRef jukebox = Window(kJukeboxKind);
  Rect r{10, 10, 30, 90};
  ControlRef button = NewControl(jukebox, &r, reinterpret_cast<const unsigned char*>("\002Go"), true, 0, 0, 1,
                                 pushButProc, 0);
  ASSERT_NE(nullptr, button);
  EXPECT_EQ(noErr, DeactivateWindowByKind(nullptr, jukebox));
  EXPECT_FALSE(IsControlActive(button));
  EXPECT_EQ(noErr, ActivateWindowByKind(nullptr, jukebox, true));
  EXPECT_TRUE(IsControlActive(button));
  DisposeControl(button);
}

TEST_F(WindowsMenus, AWindowBehindAModalDialogIsRedrawnAndSuspendIsServed) {
  WindowRef track = Window(kTrackWindowKind);
  ShowWindow(track);
  Dispatch();
  DialogRef dialog = GetNewDialog(1190, nullptr, reinterpret_cast<WindowRef>(-1));  // the tempo dialog
  ASSERT_NE(nullptr, dialog);
  gDialogFilterHook = SharedModalFilter;
  ValidateAll();
  Rect all = Port(track);
  InvalWindowRect(track, &all);
  ASSERT_TRUE(HasUpdate(track));
  EventRecord update{};
  update.what = updateEvt;
  update.message = EventMessageForWindow(track);
  DialogItemIndex hit = 0;
  EXPECT_FALSE(DialogModalFilterProc(dialog, &update, &hit));
  EXPECT_FALSE(HasUpdate(track)) << "the program's update handler drew it";
  ASSERT_TRUE(gAppState[0] & kAppWord0SuspendResume);
  EventRecord suspend{};
  suspend.what = osEvt;
  suspend.message = uint32_t(suspendResumeMessage) << 24;
  EXPECT_FALSE(DialogModalFilterProc(dialog, &suspend, &hit));
  EXPECT_TRUE(IsAppInBackground());
  suspend.message |= resumeFlag;
  DialogModalFilterProc(dialog, &suspend, &hit);
  EXPECT_FALSE(IsAppInBackground());
  gDialogFilterHook = nullptr;
  DisposeDialog(dialog);
}

TEST_F(WindowsMenus, AModalDialogIsDraggedByItsTitleBar) {
  DialogRef dialog = GetNewDialog(1190, nullptr, reinterpret_cast<WindowRef>(-1));  // the tempo dialog
  ASSERT_NE(nullptr, dialog);
  WindowRef window = GetDialogWindow(dialog);
  ShowWindow(window);
  SelectWindow(window);
  Dispatch();
  gDialogFilterHook = SharedModalFilter;
  Rect before = Frame(window);
  Rect title = Frame(window, kWindowTitleBarRgn);
  Point grab{int16_t(title.top + 5), int16_t((title.left + title.right) / 2)};
  ClickPath({grab, Point{int16_t(grab.v + 10), int16_t(grab.h + 10)}, Point{int16_t(grab.v + 30), int16_t(grab.h + 40)}});
  PostKey(13, 0x24, 0);  // Return ends the loop should the drag not
  DialogItemIndex hit = -1;
  ModalDialog(DialogModalFilterProc, &hit);
  EXPECT_EQ(0, hit) << "the drag reports no item";
  Rect after = Frame(window);
  EXPECT_EQ(before.left + 40, after.left);
  EXPECT_EQ(before.top + 30, after.top);
  gDialogFilterHook = nullptr;
  FlushEventQueue(GetMainEventQueue());
  DisposeDialog(dialog);
}

TEST_F(WindowsMenus, ADraggedWindowStaysOnTheScreenThatHoldsIt) {
  // The event list: the song list is dragged by the system itself.
  Front(kEventListKind);
  WindowRef list = Window(kEventListKind);
  MoveWindow(list, 300, 200, false);
  Rect before = Frame(list);
  Rect title = Frame(list, kWindowTitleBarRgn);
  Point grab{int16_t(title.top + 5), int16_t(title.right - 6)};
  WindowRef hit = nullptr;
  ASSERT_EQ(inDrag, FindWindow(grab, &hit));
  ASSERT_EQ(list, hit);
  Rect screen{};
  GetAvailableWindowPositioningBounds(GetMainDevice(), &screen);
  // Released at the screen's left edge: only the 6 pixels right of the grab would stay on it.
  ClickPath({grab, Point{int16_t(grab.v + 10), int16_t(grab.h - 100)}, Point{int16_t(grab.v + 20), screen.left}});
  Dispatch();
  Rect after = Frame(list);
  EXPECT_EQ(screen.left + 40, after.right) << "40 pixels of the title bar are left to grab";
  EXPECT_EQ(before.top + 20, after.top);
}

TEST_F(WindowsMenus, ACommandDragMovesABackgroundWindowWithoutRaisingIt) {
  Front(kMarkerListKind);
  Front(kSongListKind);
  WindowRef markers = Window(kMarkerListKind);
  Rect before = Frame(markers, kWindowContentRgn);
  Rect title = Frame(markers, kWindowTitleBarRgn);
  Point grab{int16_t(title.top + 5), int16_t(title.left + 12)};
  WindowRef songs = Window(kSongListKind);
  // Start the drag where the marker list's title bar is not covered by the song list.
  Rect cover = Frame(songs);
  if (grab.h >= cover.left && grab.h < cover.right && grab.v >= cover.top && grab.v < cover.bottom)
    MoveWindow(songs, int16_t(before.right + 40), 300, false);
  ClickPath({grab, Point{int16_t(grab.v + 30), int16_t(grab.h + 25)}}, cmdKey);
  Dispatch();
  Rect after = Frame(markers, kWindowContentRgn);
  EXPECT_EQ(before.top + 30, after.top);
  EXPECT_EQ(before.left + 25, after.left);
  EXPECT_EQ(songs, FrontNonFloatingWindow());
}

TEST_F(WindowsMenus, TheTrackWindowAlwaysHoldsWholeRows) {
  AppWindow* track = GetWindowForKind(kTrackWindowKind);
  SetTrackRowHeight(16);
  for (int16_t height : {int16_t(100), int16_t(203), int16_t(250), int16_t(47), int16_t(20)}) {
    SetAppWindowSize(track, 400, height);
    int16_t got = int16_t(Port(track->window).bottom - Port(track->window).top);
    EXPECT_EQ(0, (got - 47) % 16) << height;
    EXPECT_GE(got, 47) << height;
    EXPECT_LE(std::abs(got - height), 47 + 8) << height;
  }
  SetAppWindowSize(track, 30, 200);  // narrower than the name column
  EXPECT_EQ(gTrackColumnWidth + 61, Port(track->window).right - Port(track->window).left);
  int16_t saved = gTrackRowHeight;
  gTrackRowHeight = 0;  // before the window's set-up
  SetAppWindowSize(track, 400, 180);
  EXPECT_EQ(180, Port(track->window).bottom - Port(track->window).top);
  gTrackRowHeight = saved;
}

TEST_F(WindowsMenus, GrowingByTheBoxKeepsTheLimitsAndTheRows) {
  Front(kTrackWindowKind);
  AppWindow* track = GetWindowForKind(kTrackWindowKind);
  SetAppWindowSize(track, 500, 207);
  Rect grow = Frame(track->window, kWindowGrowRgn);
  Point from{int16_t((grow.top + grow.bottom) / 2), int16_t((grow.left + grow.right) / 2)};
  ClickPath({from, Point{int16_t(from.v + 40), int16_t(from.h - 20)}, Point{int16_t(from.v + 61), int16_t(from.h - 30)}});
  Dispatch();
  Rect port = Port(track->window);
  EXPECT_EQ(0, (port.bottom - port.top - 47) % gTrackRowHeight);
  EXPECT_EQ(271, port.bottom - port.top);  // 207 + 61, snapped to 47 + 14 rows
  EXPECT_EQ(470, port.right - port.left);

  Front(kMarkerListKind);
  AppWindow* markers = GetWindowForKind(kMarkerListKind);
  grow = Frame(markers->window, kWindowGrowRgn);
  from = Point{int16_t((grow.top + grow.bottom) / 2), int16_t((grow.left + grow.right) / 2)};
  ClickPath({from, Point{int16_t(from.v + 10), int16_t(from.h + 300)}, Point{int16_t(from.v + 20), int16_t(from.h + 900)}});
  Dispatch();
  EXPECT_EQ(400, Port(markers->window).right - Port(markers->window).left) << "the marker list's widest";
}

TEST_F(WindowsMenus, TheSongModelSeesTheKindOfTheFrontWindow) {
  for (int16_t kind : {int16_t(kTrackWindowKind), int16_t(kMarkerListKind), int16_t(kSongListKind)}) {
    Front(kind);
    EXPECT_EQ(kind, GetFrontWindowKind());
  }
}

int32_t gCommittedNumber = -1;
void RecordCommittedNumber(int32_t value) { gCommittedNumber = value; }

TEST_F(WindowsMenus, GrowingTheFrontWindowFirstKeepsTheNumberBeingTyped) {
  Front(kTrackWindowKind);
  AppWindow* track = GetWindowForKind(kTrackWindowKind);
  SetPortWindowPort(track->window);
  gScratchRect = Rect{4, 4, 20, 60};
  gCommittedNumber = -1;
  ActivateValueField(RecordCommittedNumber, 0, 999, 10, nullptr);
  gValueField.maxTextLength = 3;
  for (uint8_t ch : {uint8_t('4'), uint8_t('2')}) HandleValueFieldKey(ch);
  Rect grow = Frame(track->window, kWindowGrowRgn);
  Point from{int16_t((grow.top + grow.bottom) / 2), int16_t((grow.left + grow.right) / 2)};
  ClickPath({from, Point{int16_t(from.v + 20), int16_t(from.h + 10)}});
  Dispatch();
  EXPECT_EQ(42, gCommittedNumber);
  EXPECT_FALSE(IsValueFieldActive());
}

TEST_F(WindowsMenus, ZoomingTwiceComesBackToTheUserSize) {
  Front(kEventListKind);
  AppWindow* events = GetWindowForKind(kEventListKind);
  MoveWindow(events->window, 50, 100, false);
  Rect before = Frame(events->window, kWindowContentRgn);
  ZoomAppWindow(events, inZoomOut);
  EXPECT_EQ(1, events->zoomed);
  Rect zoomed = Frame(events->window, kWindowContentRgn);
  EXPECT_NE(before, zoomed);
  EXPECT_EQ(gEventListWidth, zoomed.right - zoomed.left);
  EXPECT_EQ(before.left, zoomed.left) << "the list keeps its left edge";
  Rect screen{};
  GetAvailableWindowPositioningBounds(GetMainDevice(), &screen);
  EXPECT_LE(zoomed.bottom, screen.bottom);
  ZoomAppWindow(events, inZoomIn);
  EXPECT_EQ(0, events->zoomed);
  EXPECT_EQ(before, Frame(events->window, kWindowContentRgn));
}

TEST_F(WindowsMenus, ASongSwitchRedrawsTheShownWindowsOnly) {
  ShowWindow(Window(kTrackWindowKind));
  ShowWindow(Window(kSongListKind));
  HideWindow(Window(kMixerKind));
  SetTimeRange(480, 960);
  ValidateAll();
  RefreshAfterSongSwitch(0);
  EXPECT_TRUE(HasUpdate(Window(kTrackWindowKind)));
  EXPECT_TRUE(HasUpdate(Window(kSongListKind)));
  EXPECT_FALSE(HasUpdate(Window(kMixerKind)));
  EXPECT_EQ(1u, gLocatePoint.tick);
  EXPECT_EQ(1u, gCounterPosition);
}

TEST_F(WindowsMenus, AModelRedrawRequestInvalidatesTheOpenWindowOfThatKind) {
  ShowWindow(Window(kTrackWindowKind));
  ShowWindow(Window(kInstrumentWindowKindId));
  ValidateAll();
  uint32_t counted = gRedrawRequests[kTrackWindowKind];
  InvalidateTrackWindow();
  EXPECT_TRUE(HasUpdate(Window(kTrackWindowKind)));
  EXPECT_FALSE(HasUpdate(Window(kInstrumentWindowKindId)));
  EXPECT_EQ(counted + 1, gRedrawRequests[kTrackWindowKind]);
}

// The song model's request brings a hidden or background window forward and shown; a window
// already in front stays as it is.
TEST_F(WindowsMenus, AModelRequestBringsTheWindowOfThatKindToTheFront) {
  HideWindow(Window(kTrackWindowKind));
  Front(kEventListKind);
  BringWindowOfKindToFront(kTrackWindowKind);
  Dispatch();
  EXPECT_TRUE(IsWindowVisible(Window(kTrackWindowKind)));
  EXPECT_EQ(Window(kTrackWindowKind), GetFrontDocWindow());
  BringWindowOfKindToFront(kTrackWindowKind);
  Dispatch();
  EXPECT_EQ(Window(kTrackWindowKind), GetFrontDocWindow());
}

TEST_F(WindowsMenus, LocatingToZeroTakesTheSelectionsStart) {
  SetTimeRange(960, 1920);
  gLocateDisplayFlags = 0x10;
  LocateToPosition(0);
  EXPECT_EQ(960u, gLocatePoint.tick);
  EXPECT_EQ(960u, gClockPlayRange[0].tick);
  EXPECT_EQ(1920u, gClockPlayRange[1].tick);
  EXPECT_EQ(960u, gCounterPosition);
  EXPECT_EQ(0, gLocateDisplayFlags & 0x10);
  gSectionMode = 1;
  LocateToPosition(2000);
  gSectionMode = 0;
  EXPECT_EQ(2000u, gLastLocatedPosition);
  EXPECT_EQ(960u, gCounterPosition) << "section mode leaves the counters";
  // While stopped the clock's bar, beat and tick follow the locate (4/4 at 384 ticks a beat).
  LocateToPosition(1 + 2 * 1536 + 384 + 100);
  EXPECT_EQ(3u, gTransportClock.bar);
  EXPECT_EQ(1u, gTransportClock.beatInBar);
  EXPECT_EQ(100u, gTransportClock.tickInBeat);
}

// The locator memories through the Store and Recall Memory menus: storing memory 3 (n = 2)
// lights bit 2, drops the armed store bit, keeps the locators in the song header at
// 220 + 48 and 232 + 48, and redraws the panel's buttons; recalling it brings the range back;
// an empty memory only clears its bit; items outside 1..4 touch nothing.
TEST_F(WindowsMenus, LocatorMemoriesAreStoredInTheSongAndRecalled) {
  ASSERT_TRUE(gCurrentSong);
  for (LocatorMemory& m : gLocatorMemories) m = LocatorMemory();
  SetTimeRange(480, 960);
  CommitTimeSelection();
  gLocatorMatchMask = kLocatorStoreArmed;
  uint32_t panelRedraws = gRedrawRequests[kInfoPanelWindowKind];
  EXPECT_EQ(noErr, DispatchMenuCommand(kStoreMemoryMenuId, 3));
  EXPECT_EQ(0x04, gLocatorMatchMask);
  EXPECT_GT(gRedrawRequests[kInfoPanelWindowKind], panelRedraws);
  const uint8_t* left = gCurrentSong + 220 + 48;
  EXPECT_EQ(480u, ReadU32BE(left));
  EXPECT_EQ(uint32_t(gClockPlayRange[0].sample), ReadU32BE(left + 4));
  EXPECT_EQ(gClockPlayRange[0].rate, ReadF32BE(left + 8));
  EXPECT_EQ(960u, ReadU32BE(gCurrentSong + 232 + 48));
  EXPECT_EQ(0u, ReadU32BE(gCurrentSong + 220 + 24)) << "memory 1 untouched";

  SetTimeRange(10, 20);
  CommitTimeSelection();
  EXPECT_EQ(noErr, DispatchMenuCommand(kRecallMemoryMenuId, 3));
  EXPECT_EQ(480u, gTimeSelection.start.tick);
  EXPECT_EQ(960u, gTimeSelection.end.tick);
  EXPECT_EQ(480u, gLocatePoint.tick);
  EXPECT_EQ(960u, gClockPlayRange[1].tick);
  EXPECT_EQ(0x04, gLocatorMatchMask) << "the recalled range matches memory 2 of the song";

  gLocatorMatchMask |= 0x02;
  DispatchMenuCommand(kRecallMemoryMenuId, 2);
  EXPECT_EQ(0x04, gLocatorMatchMask) << "an empty memory clears its bit";
  EXPECT_EQ(480u, gTimeSelection.start.tick) << "and moves nothing";
  EXPECT_EQ(480u, gLocatePoint.tick);

  std::vector<uint8_t> header(gCurrentSong + 220, gCurrentSong + 220 + 8 * 24);
  for (int16_t item : {int16_t(0), int16_t(5), int16_t(8), int16_t(9)}) {
    DispatchMenuCommand(kStoreMemoryMenuId, item);
    DispatchMenuCommand(kRecallMemoryMenuId, item);
  }
  EXPECT_EQ(0x04, gLocatorMatchMask);
  EXPECT_TRUE(std::equal(header.begin(), header.end(), gCurrentSong + 220)) << "no header bytes past the four memories";
  gLocatorMatchMask = 0;
}

// Activating a song replaces the memories with the ones its header keeps: a memory the
// previous song had filled is empty again, and a stored one can be recalled at once.
TEST_F(WindowsMenus, SongActivationBringsBackItsLocatorMemories) {
  ASSERT_TRUE(gCurrentSong);
  std::vector<uint8_t> saved(gCurrentSong + 220, gCurrentSong + 220 + 8 * 12);
  std::fill(gCurrentSong + 220, gCurrentSong + 220 + 8 * 12, 0);
  uint8_t* left = gCurrentSong + 220 + 24;
  WriteU32BE(left, 300);
  WriteU32BE(left + 4, 0x9ABCDEF0u);
  WriteF32BE(left + 8, 44100.0f);
  WriteU32BE(left + 12, 700);
  WriteF32BE(left + 20, 48000.0f);
  gLocatorMemories[0] = LocatorMemory{{50, 7, 1.0f}, {90, 8, 1.0f}};
  gLocatorMemories[1] = LocatorMemory();

  ActivateCurrentSong(false);
  EXPECT_EQ(0u, gLocatorMemories[0].left.tick) << "the previous song's memory is gone";
  EXPECT_EQ(300u, gLocatorMemories[1].left.tick);
  EXPECT_EQ(0x9ABCDEF0u, gLocatorMemories[1].left.sample) << "high word of the sample position 0";
  EXPECT_EQ(44100.0f, gLocatorMemories[1].left.rate);
  EXPECT_EQ(700u, gLocatorMemories[1].right.tick);
  EXPECT_EQ(48000.0f, gLocatorMemories[1].right.rate);

  DispatchMenuCommand(kRecallMemoryMenuId, 2);
  EXPECT_EQ(300u, gTimeSelection.start.tick);
  EXPECT_EQ(700u, gTimeSelection.end.tick);
  std::copy(saved.begin(), saved.end(), gCurrentSong + 220);
  for (LocatorMemory& m : gLocatorMemories) m = LocatorMemory();
  gLocatorMatchMask = 0;
}

// The idle step follows the target pane's track: a track that plays through its instrument
// shows the instrument's program byte and takes a waiting program once (both waiting bits
// cleared); a track that plays no instrument keeps its own; the current instrument stays.
TEST_F(WindowsMenus, TheInstrumentDisplayFollowsTheTargetTracksInstrument) {
  ASSERT_TRUE(gCurrentSong);
  uint8_t blank[kInstrumentSize] = {};
  if (gInstrumentCount == 0) ASSERT_EQ(noErr, AddInstrumentRecord(blank));
  ASSERT_GT(gEditorPaneCount, 0);
  uint8_t* te = GetTrackEntryAt(gTrackNumberMap[gEditorPanes[FindTargetPane(false)].track]);
  ASSERT_TRUE(te);
  uint8_t* instrument = GetInstrumentRecord(0);
  te[kTrackFlags] |= kTrackFlagPlaysInstrument;
  WriteU16BE(te + kTrackInstruments, 0);
  te[kTrackProgram] = 3;
  WriteU16BE(te + kTrackLastProgram, 0xFFFF);
  instrument[kInstTrackByte71] = 17;
  instrument[kInstMixerFlags] = 0x08 | 0x20 | 0x40;
  WriteU32BE(instrument + kInstTakeProgram, 33);
  gCurrentInstrument = -1;

  UpdateEditorInstrumentDisplay();
  EXPECT_EQ(17, te[kTrackProgram]);
  EXPECT_EQ(33, ReadI16BE(te + kTrackLastProgram));
  EXPECT_EQ(0x08, instrument[kInstMixerFlags]) << "both waiting bits go, the others stay";
  EXPECT_EQ(17, gShownTrackProgram);
  EXPECT_EQ(-1, gCurrentInstrument);

  WriteU16BE(te + kTrackLastProgram, 5);
  UpdateEditorInstrumentDisplay();
  EXPECT_EQ(5, ReadI16BE(te + kTrackLastProgram)) << "a program is taken once";

  te[kTrackFlags] &= uint8_t(~kTrackFlagPlaysInstrument);
  te[kTrackProgram] = 9;
  UpdateEditorInstrumentDisplay();
  EXPECT_EQ(9, te[kTrackProgram]);
  EXPECT_EQ(9, gShownTrackProgram);
}

TEST_F(WindowsMenus, ResettingWindowPositionsPutsThemBackWithinTheirLimits) {
  Handle wind = GetResource(FourCC("WIND"), 354);  // the song list's own frame
  ASSERT_TRUE(wind);
  Rect home{ReadI16BE(*wind), ReadI16BE(*wind + 2), ReadI16BE(*wind + 4), ReadI16BE(*wind + 6)};
  WindowRef songs = Window(kSongListKind);
  MoveWindow(songs, 20, 400, false);
  SizeWindow(songs, 900, 90, false);
  EXPECT_EQ(noErr, DispatchMenuCommand(kToolsMenuId, 20));
  Rect reset = Frame(songs, kWindowContentRgn);
  EXPECT_EQ(home.left, reset.left);
  EXPECT_EQ(home.top, reset.top);
  EXPECT_EQ(std::min<int>(home.right - home.left, gSongListWidth), reset.right - reset.left);
  Rect limits;
  GetWindowSizeLimits(GetWindowForKind(kSongListKind), &limits);
  int height = reset.bottom - reset.top;
  EXPECT_EQ(SnapWindowHeight(kSongListKind, std::clamp<int16_t>(int16_t(home.bottom - home.top), limits.top, limits.bottom)),
            height);
  EXPECT_EQ(0, (height - 44) % gSongListRowHeight);
}

TEST_F(WindowsMenus, AScrapChangedInTheBackgroundClearsTheClipboardStateOnReturn) {
  gAppState[0] |= 0x10;  // suspend and resume events
  auto switchTo = [](bool foreground) {
    EventRecord event{};
    event.what = osEvt;
    event.message = (UInt32(suspendResumeMessage) << 24) | (foreground ? UInt32(resumeFlag) : 0u);
    DispatchEventRecord(&event);
  };
  gClipboardOwned = 1;
  switchTo(false);
  switchTo(true);
  EXPECT_EQ(1, gClipboardOwned) << "nobody touched the clipboard";
  switchTo(false);
  ClearCurrentScrap();  // another program takes the clipboard
  switchTo(true);
  EXPECT_EQ(0, gClipboardOwned);
  EXPECT_FALSE(IsAppInBackground());
}

std::vector<std::string> gOpened;
OSStatus RecordOpen(const char* target) {
  gOpened.push_back(target);
  return noErr;
}

TEST_F(WindowsMenus, HelpOpensTheTopicOfTheFrontWindowOrOfTheItem) {
  gOpened.clear();
  SetHelpOpenProc(RecordOpen);
  Front(kTrackWindowKind);
  EXPECT_EQ(5004, GetContextHelpTopic());
  for (auto [kind, topic] : {std::pair{2, 5003}, {21, 5023}, {17, 0}, {23, 0}, {-1, 0}}) EXPECT_EQ(topic, GetKindHelpTopic(int16_t(kind))) << kind;
  ShowContextHelp();
  ASSERT_EQ(1u, gOpened.size());
  EXPECT_EQ(HelpPageAddress(5004), gOpened[0]);
  EXPECT_EQ("5004", gOpened[0].substr(gOpened[0].size() - 4));

  uint16_t prefs = 0;
  EXPECT_EQ(noErr, DispatchMenuCommand(kHelpMenuId, 5));
  EXPECT_EQ(kHelpPrefLocalManual, gHelpPrefs);
  HandleHelpMenu(4, 0, &prefs);
  EXPECT_EQ(kHelpPrefToggle, prefs);
  gHelpPrefs = 0;
  gOpened.clear();
  DispatchMenuCommand(kHelpMenuId, 1);  // "Zarin Help": the page without a topic
  ASSERT_EQ(1u, gOpened.size());
  EXPECT_EQ(HelpPageAddress(0), gOpened[0]);
  EXPECT_EQ(std::string::npos, LocalHelpPath(2).find("Help2")) << LocalHelpPath(2);
  EXPECT_NE(std::string::npos, LocalHelpPath(5004).find("/Manual/Manual/Help5004.shtml"));
}

}  // namespace
}  // namespace app_test
