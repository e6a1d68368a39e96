// Tracking clicks from the event queue: live and ghost scroll bar thumbs, arrows and pages
// with their action procedures, buttons released inside and outside, toggling check boxes,
// and finding controls under the mouse.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "platform/menus/menus.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

using namespace ui_test;

struct ActionCall {
  ControlPartCode part;
  SInt32 value;
};
std::vector<ActionCall> gCalls;

void RecordAction(ControlRef control, ControlPartCode part) {
  gCalls.push_back({part, GetControl32BitValue(control)});
}

class ControlTracking : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    gCalls.clear();
    window = NewTestWindow(Rect{60, 60, 360, 460});
  }
  // The button goes down at start (the click itself already taken, as an event loop would),
  // then the mouse moves through the points and is released at the last.
  void Gesture(Point start, const std::vector<Point>& path) {
    PostMouse(kEventMouseDown, Global(window, start));
    FlushEventQueue(GetMainEventQueue());
    for (size_t i = 0; i < path.size(); ++i)
      PostMouse(i + 1 < path.size() ? kEventMouseDragged : kEventMouseUp, Global(window, path[i]));
  }
  WindowRef window = nullptr;
};

// A vertical bar 200 pixels long: arrows of 16, a track of 168, a thumb of 16, so the thumb
// travels 152 pixels for the range 0..100.
constexpr Rect kBar{20, 300, 220, 316};

TEST_F(ControlTracking, LiveThumbCallsTheActionAsItMovesAndTheValueFollows) {
  ControlRef bar = nullptr;
  ASSERT_EQ(CreateScrollBarControl(window, &kBar, 0, 0, 100, 0, true, nullptr, &bar), noErr);
  SetControlAction(bar, RecordAction);
  Point thumb{44, 308};  // the thumb's middle at value 0
  PostMouse(kEventMouseDown, Global(window, thumb));
  FlushEventQueue(GetMainEventQueue());
  std::vector<MouseScript::Step> steps;
  for (int step = 1; step <= 4; ++step)
    steps.push_back({step < 4 ? kEventMouseDragged : kEventMouseUp, Point{short(44 + 19 * step), 308}});
  MouseScript script(window, steps);
  EXPECT_EQ(TrackControl(bar, thumb, ControlOwnActionUPP()), kControlIndicatorPart);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(GetControl32BitValue(bar), 50);
  // The action ran at each of the moves, seeing the value of the thumb's place every time:
  // 19 of 152 pixels is 13. Whether it also ran while the mouse rested before the first move
  // (value 0) depends on how soon the first move arrives, so a leading 0 is not required.
  std::vector<SInt32> seen;
  for (const ActionCall& call : gCalls) {
    EXPECT_EQ(call.part, kControlIndicatorPart);
    if (seen.empty() || seen.back() != call.value) seen.push_back(call.value);
  }
  if (!seen.empty() && seen.front() == 0) seen.erase(seen.begin());
  EXPECT_EQ(seen, (std::vector<SInt32>{13, 25, 38, 50}));
}

TEST_F(ControlTracking, GhostThumbSetsTheValueOnlyAtRelease) {
  ControlRef bar = nullptr;
  ASSERT_EQ(CreateScrollBarControl(window, &kBar, 0, 0, 100, 0, false, RecordAction, &bar), noErr);
  Gesture(Point{44, 308}, {Point{80, 308}, Point{196, 308}});
  EXPECT_EQ(TrackControl(bar, Point{44, 308}, ControlOwnActionUPP()), kControlIndicatorPart);
  EXPECT_TRUE(gCalls.empty());
  EXPECT_EQ(GetControl32BitValue(bar), 100);
}

TEST_F(ControlTracking, ArrowsAndPagesRepeatTheirActionInsideThePart) {
  ControlRef bar = nullptr;
  ASSERT_EQ(CreateScrollBarControl(window, &kBar, 50, 0, 100, 0, true, nullptr, &bar), noErr);
  struct Case {
    Point at;
    ControlPartCode part;
  } cases[] = {{Point{212, 308}, kControlDownButtonPart},
               {Point{28, 308}, kControlUpButtonPart},
               {Point{40, 308}, kControlPageUpPart},
               {Point{200, 308}, kControlPageDownPart}};
  for (const Case& k : cases) {
    gCalls.clear();
    EXPECT_EQ(TestControl(bar, k.at), k.part);
    Gesture(k.at, {k.at, k.at});
    EXPECT_EQ(TrackControl(bar, k.at, RecordAction), k.part);
    ASSERT_GE(gCalls.size(), 2u);
    for (const ActionCall& call : gCalls) EXPECT_EQ(call.part, k.part);
  }
  // Leaving the arrow stops the action, and releasing outside gives no part.
  gCalls.clear();
  Gesture(Point{212, 308}, {Point{150, 200}, Point{150, 200}});
  EXPECT_EQ(TrackControl(bar, Point{212, 308}, RecordAction), kControlNoPart);
  EXPECT_EQ(gCalls.size(), 1u);  // the first call, at the click
}

TEST_F(ControlTracking, ButtonsReportOnlyAReleaseInside) {
  ControlRef button = nullptr, check = nullptr, classic = nullptr;
  Rect br{10, 10, 30, 90}, cr{40, 10, 58, 120}, kr{60, 10, 78, 120};
  ASSERT_EQ(CreatePushButtonControl(window, &br, CFSTR("Go"), &button), noErr);
  ASSERT_EQ(CreateCheckBoxControl(window, &cr, CFSTR("Auto"), 0, true, &check), noErr);
  classic = NewControl(window, &kr, PStr("Classic"), true, 0, 0, 1, checkBoxProc, 0);
  Gesture(Point{20, 50}, {Point{20, 60}});
  EXPECT_EQ(TrackControl(button, Point{20, 50}, nullptr), kControlButtonPart);
  Gesture(Point{20, 50}, {Point{100, 50}, Point{100, 200}});
  EXPECT_EQ(TrackControl(button, Point{20, 50}, nullptr), kControlNoPart);
  EXPECT_EQ(GetControlHilite(button), kControlNoPart);

  Gesture(Point{49, 20}, {Point{49, 20}});
  EXPECT_EQ(TrackControl(check, Point{49, 20}, nullptr), kControlCheckBoxPart);
  EXPECT_EQ(GetControl32BitValue(check), 1);
  Gesture(Point{69, 20}, {Point{69, 20}});
  EXPECT_EQ(TrackControl(classic, Point{69, 20}, nullptr), kControlCheckBoxPart);
  EXPECT_EQ(GetControl32BitValue(classic), 0);  // the program toggles classic check boxes

  // Inactive controls do not track.
  DeactivateControl(button);
  Gesture(Point{20, 50}, {Point{20, 50}});
  EXPECT_EQ(TrackControl(button, Point{20, 50}, nullptr), kControlNoPart);
}

TEST_F(ControlTracking, FindControlAnswersTheFrontmostControlAndItsPart) {
  ControlRef group = nullptr, button = nullptr, bar = nullptr;
  Rect gr{10, 10, 120, 200}, br{40, 20, 60, 100};
  ASSERT_EQ(CreateGroupBoxControl(window, &gr, CFSTR("G"), true, &group), noErr);
  ASSERT_EQ(CreatePushButtonControl(window, &br, CFSTR("In"), &button), noErr);
  ASSERT_EQ(EmbedControl(button, group), noErr);
  ASSERT_EQ(CreateScrollBarControl(window, &kBar, 0, 0, 100, 0, true, nullptr, &bar), noErr);
  ControlRef found = nullptr;
  EXPECT_EQ(FindControl(Point{50, 50}, window, &found), kControlButtonPart);
  EXPECT_EQ(found, button);
  EXPECT_EQ(FindControl(Point{44, 308}, window, &found), kControlIndicatorPart);
  EXPECT_EQ(found, bar);
  EXPECT_EQ(FindControl(Point{250, 50}, window, &found), kControlNoPart);
  EXPECT_EQ(found, nullptr);
  DeactivateControl(button);
  EXPECT_EQ(FindControl(Point{50, 50}, window, &found), kControlNoPart);
  EXPECT_EQ(found, button);
  HideControl(button);
  FindControl(Point{50, 50}, window, &found);
  EXPECT_NE(found, button);
}

TEST_F(ControlTracking, LittleArrowsStepThroughTheirActionByClickAndKey) {
  ControlRef arrows = nullptr;
  Rect r{10, 10, 32, 23};
  ASSERT_EQ(CreateLittleArrowsControl(window, &r, 5, 0, 10, 1, &arrows), noErr);
  SetControlAction(arrows, RecordAction);
  Gesture(Point{14, 16}, {Point{14, 16}});
  EXPECT_EQ(TrackControl(arrows, Point{14, 16}, ControlOwnActionUPP()), kControlUpButtonPart);
  Gesture(Point{28, 16}, {Point{28, 16}});
  EXPECT_EQ(TrackControl(arrows, Point{28, 16}, ControlOwnActionUPP()), kControlDownButtonPart);
  EXPECT_EQ(HandleControlKey(arrows, kVK_UpArrow, kUpArrowCharCode, 0), kControlUpButtonPart);
  ASSERT_FALSE(gCalls.empty());
  EXPECT_EQ(gCalls.front().part, kControlUpButtonPart);
  EXPECT_EQ(gCalls.back().part, kControlUpButtonPart);
}

TEST_F(ControlTracking, PopUpButtonsChooseFromTheirMenu) {
  MenuRef menu = NewMenu(310, PStr("Sync"));
  AppendMenu(menu, PStr("Internal;MIDI Clock;Timecode"));
  ControlRef popup = nullptr, bevel = nullptr;
  Rect pr{100, 20, 120, 200}, br{140, 20, 170, 120};
  ASSERT_EQ(CreatePopupButtonControl(window, &pr, nullptr, -12345, false, 0, 0, 0, &popup), noErr);
  SetControlPopupMenuHandle(popup, menu);
  EXPECT_EQ(GetControl32BitValue(popup), 1);
  // The menu opens with the current item over the button: item 3 lies two items below.
  short third = short(pr.top + GetMenuItemHeight(menu, 1) + GetMenuItemHeight(menu, 2) +
                      GetMenuItemHeight(menu, 3) / 2);
  Point start{110, 60}, choice{third, 60};
  PostMouse(kEventMouseDown, Global(window, start));
  FlushEventQueue(GetMainEventQueue());
  {
    MouseScript script(window, {{kEventMouseDragged, choice}, {kEventMouseUp, choice}});
    EXPECT_EQ(TrackControl(popup, start, nullptr), kControlMenuPart);
  }
  EXPECT_EQ(GetControl32BitValue(popup), 3);

  ASSERT_EQ(CreateBevelButtonControl(window, &br, CFSTR("Seq"), kControlBevelButtonNormalBevel,
                                     kControlBehaviorPushbutton, nullptr, 0, 0,
                                     kControlBevelButtonMenuOnRightPlacement, &bevel), noErr);
  SetControlData(bevel, 0, kControlBevelButtonMenuRefTag, sizeof menu, &menu);
  // The face of the button is part 10 and chooses nothing.
  Gesture(Point{155, 40}, {Point{155, 40}});
  EXPECT_EQ(TrackControl(bevel, Point{155, 40}, nullptr), kControlButtonPart);
  SInt16 chosen = -1;
  GetBevelButtonMenuValue(bevel, &chosen);
  EXPECT_EQ(chosen, 0);
  DisposeMenu(menu);
}

}  // namespace
