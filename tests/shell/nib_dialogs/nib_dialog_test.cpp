// Nib dialogs driven by posted input: OK, Cancel, typing into a field, focus moving into a
// hooked field, the hook table's bound, nested runs, a failed create, and the idle hook.
#include <gtest/gtest.h>

#include <string>

#include "shell/base/app_strings.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/windows/context_help.h"
#include "tests/shell/nib_dialogs/nib_dialog_fixture.h"

namespace nib_test {
namespace {

using namespace ui_test;

std::string FieldText(const TestDialog& d, int32_t id) {
  EXPECT_EQ(GetDialogText(d.base.window, id), noErr);
  return FromPString(gStringBuffer);
}

TEST_F(NibDialogTest, TypingIntoTheFocusFieldAndOkEndTheLoopWithOne) {
  TestDialog d;
  Create(&d);
  SetDialogFieldNumber(&d.base, 17, 3);
  gDialogBusy = 0;
  PostText("42");
  PostClick(Where(d, 1));
  EXPECT_EQ(Run(&d, 3), 1);
  EXPECT_EQ(GetDialogNumber(d.base.window, 3), 42);
  EXPECT_EQ(gDialogItemHit, int16_t(kHICommandOK & 0xFFFF));
  EXPECT_EQ(gDialogBusy, 0u);  // restored after the loop
  EXPECT_EQ(gCurrentNibDialog, &d.base);  // current until disposal
  // The handler sees OK as well: the toolkit ends the loop but leaves the command to it.
  EXPECT_EQ(d.commands.back(), kHICommandOK);
  DisposeNibDialog(&d.base);
  EXPECT_EQ(gCurrentNibDialog, nullptr);
  EXPECT_EQ(d.base.window, nullptr);
}

TEST_F(NibDialogTest, CancelByButtonOrEscapeAnswersZero) {
  for (bool escape : {false, true}) {
    TestDialog d;
    Create(&d);
    SetDialogFieldNumber(&d.base, 5, 3);
    if (escape) PostKey(kVK_Escape, kEscapeCharCode);
    else PostClick(Where(d, 2));
    EXPECT_EQ(Run(&d, 3), 0) << escape;
    EXPECT_EQ(d.commands.back(), kHICommandCancel);
    DisposeNibDialog(&d.base);
  }
}

TEST_F(NibDialogTest, FocusMovingIntoAHookedFieldArrivesAsItsCommand) {
  TestDialog d;
  Create(&d);
  d.endOnCommand = 4;
  SetDialogFieldNumber(&d.base, 1, 3);
  SetDialogFieldNumber(&d.base, 2, 4);
  SetDialogFieldNumber(&d.base, 3, 4);  // written twice, hooked once
  EXPECT_EQ(d.base.fieldCount, 2);
  EXPECT_TRUE(IsDialogFieldHooked(&d.base, 4));
  PostClick(Where(d, 4));
  EXPECT_EQ(Run(&d, 3), 0);
  EXPECT_EQ(gDialogFocusItem, 4u);
  EXPECT_EQ(d.commands, (std::vector<UInt32>{3, 4}));  // the first focus, then the click
  // Tab moves the focus back to field 3 the same way.
  d.commands.clear();
  d.endOnCommand = 3;
  PostKey(kVK_Tab, kTabCharCode);
  Run(&d, 0);
  EXPECT_EQ(gDialogFocusItem, 3u);
  EXPECT_EQ(d.commands, std::vector<UInt32>{3});
  DisposeNibDialog(&d.base);
}

TEST_F(NibDialogTest, FieldsWrittenWithoutTheFieldHandlerStayUnhooked) {
  TestDialog d;
  ASSERT_EQ(CreateNibDialog("tdlg", &d.base, HandleTestDialog, 0), noErr);
  SetDialogFieldNumber(&d.base, 9, 3);
  EXPECT_EQ(d.base.fieldCount, 0);
  EXPECT_EQ(FieldText(d, 3), "9");
  // A focus id that names no control: shown without a focus.
  PostKey(kVK_Escape, kEscapeCharCode);
  EXPECT_EQ(Run(&d, 99), 0);
  ControlRef focus = nullptr;
  GetKeyboardFocus(d.base.window, &focus);
  EXPECT_EQ(focus, nullptr);
  DisposeNibDialog(&d.base);
}

TEST_F(NibDialogTest, AClickedLabelSendsItsCommand) {
  TestDialog d;
  Create(&d);
  d.endOnCommand = 6;
  SetDialogFieldText(&d.base, PStr("Label"), 6);  // hooked: its clicks reach the handler
  EXPECT_TRUE(IsDialogFieldHooked(&d.base, 6));
  PostClick(Where(d, 6));
  Run(&d, 0);
  EXPECT_EQ(d.commands, std::vector<UInt32>{6});
  EXPECT_EQ(gDialogItemHit, 6);
  DisposeNibDialog(&d.base);
}

TEST_F(NibDialogTest, OkWithoutEndingLeavesTheDecisionToTheDialog) {
  TestDialog d;
  Create(&d);
  d.endOnOkCancel = 0;
  d.endOnCommand = 7;
  PostClick(Where(d, 1));  // OK: seen, the loop goes on
  PostClick(Where(d, 7));  // the dialog's own command ends it
  EXPECT_EQ(Run(&d, 0), 0);
  EXPECT_EQ(d.commands, (std::vector<UInt32>{kHICommandOK, 7}));
  EXPECT_EQ(GetDialogViewValue(d.base.window, 7), 1);
  DisposeNibDialog(&d.base);
}

TEST_F(NibDialogTest, HelpOpensTheDialogsTopicAndIsNotPassedOn) {
  static std::string opened;
  opened.clear();
  SetHelpOpenProc([](const char* target) -> OSStatus {
    opened = target;
    return noErr;
  });
  TestDialog d;
  Create(&d);  // help topic 77
  // Sent straight to the window: answered by the toolkit, not by the dialog's handler.
  EventRef event = nullptr;
  HICommandExtended extended;
  extended.commandID = kNibHelpCommand;
  ASSERT_EQ(CreateCommandEvent(kEventCommandProcess, &extended, &event), noErr);
  EXPECT_EQ(SendEventToEventTarget(event, GetWindowEventTarget(d.base.window)), noErr);
  ReleaseEvent(event);
  EXPECT_TRUE(d.commands.empty());
  EXPECT_EQ(gDialogItemHit, int16_t(kNibHelpCommand & 0xFFFF));
  EXPECT_NE(opened.find("77"), std::string::npos) << opened;
  SetHelpOpenProc(nullptr);
  DisposeNibDialog(&d.base);
}

TEST_F(NibDialogTest, TheHookTableStopsAtItsBound) {
  std::string nib = "resource 'NIBT' 601 \"many\" { nib { window \"many\" { frame 0 40 400 400\n";
  for (int i = 1; i <= kMaxHookedFields + 2; ++i)
    nib += "view editText { id 0 " + std::to_string(i) + " frame 4 " + std::to_string(4 + i * 5) +
           " 40 4 }\n";
  nib += "} } }\n";
  ScopedResources many(nib);
  TestDialog d;
  ASSERT_EQ(CreateNibDialog("many", &d.base, HandleTestDialog, 0), noErr);
  NewNibDialogEventUPP(&d.base);
  for (int i = 1; i <= kMaxHookedFields + 2; ++i) SetDialogFieldNumber(&d.base, i * 10, i);
  EXPECT_EQ(d.base.fieldCount, kMaxHookedFields);
  EXPECT_TRUE(IsDialogFieldHooked(&d.base, kMaxHookedFields));
  EXPECT_FALSE(IsDialogFieldHooked(&d.base, kMaxHookedFields + 1));
  // The fields past the bound still show their text.
  EXPECT_EQ(GetDialogNumber(d.base.window, kMaxHookedFields + 2), (kMaxHookedFields + 2) * 10);
  DisposeNibDialog(&d.base);
}

TEST_F(NibDialogTest, NestedRunsStackAndUnstackThroughTheRecords) {
  struct Outer {
    TestDialog outer;
    TestDialog inner;
    NibDialog* currentInside = nullptr;
    NibDialog* previousInside = nullptr;
  } s;
  Create(&s.outer);
  static Outer* self;
  self = &s;
  // Command 7 of the outer dialog runs the inner one, which ends with Cancel; then OK.
  EventTypeSpec type{kEventClassCommand, kEventCommandProcess};
  EventHandlerRef extra = nullptr;
  InstallEventHandler(
      GetWindowEventTarget(s.outer.base.window),
      [](EventHandlerCallRef, EventRef event, void*) -> OSStatus {
        HICommand c;
        GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof c,
                          nullptr, &c);
        if (c.commandID != 7) return eventNotHandledErr;
        EXPECT_EQ(CreateNibDialog("tdlg", &self->inner.base, HandleTestDialog, 0), noErr);
        PostKey(kVK_Escape, kEscapeCharCode);
        RunNibDialogModal(&self->inner.base, 0, nullptr);
        self->currentInside = gCurrentNibDialog;
        self->previousInside = self->inner.base.previous;
        DisposeNibDialog(&self->inner.base);
        ControlRef ok = nullptr;
        FindDialogView(self->outer.base.window, 1, &ok);
        PostClick(Global(self->outer.base.window, ControlCenter(ok)));
        return noErr;
      },
      1, &type, nullptr, &extra);
  s.outer.base.extraHandlerRef = extra;
  PostClick(Where(s.outer, 7));
  EXPECT_EQ(Run(&s.outer, 0), 1);
  EXPECT_EQ(s.currentInside, &s.inner.base);
  EXPECT_EQ(s.previousInside, &s.outer.base);
  EXPECT_EQ(gCurrentNibDialog, &s.outer.base);  // the inner disposal popped only itself
  DisposeNibDialog(&s.outer.base);
  EXPECT_EQ(gCurrentNibDialog, nullptr);
}

TEST_F(NibDialogTest, ARecordDisposedOutOfOrderLeavesTheStack) {
  TestDialog a, b, c;
  Create(&a);
  Create(&b);
  Create(&c);
  // The stack as three nested runs leave it: c on b on a.
  b.base.previous = &a.base;
  c.base.previous = &b.base;
  gCurrentNibDialog = &c.base;
  DisposeNibDialog(&b.base);
  EXPECT_EQ(c.base.previous, &a.base);
  DisposeNibDialog(&c.base);
  EXPECT_EQ(gCurrentNibDialog, &a.base);
  DisposeNibDialog(&a.base);
  EXPECT_EQ(gCurrentNibDialog, nullptr);
}

TEST_F(NibDialogTest, AFailedCreateIsReportedAndDisposalIsSafe) {
  TestDialog running;
  Create(&running);
  gCurrentNibDialog = &running.base;
  int32_t alerts = CountAlertsShown();
  TestDialog d;
  EXPECT_EQ(CreateNibDialog("absent", &d.base, HandleTestDialog, 0), -192);
  EXPECT_EQ(CountAlertsShown(), alerts + 1);
  EXPECT_EQ(d.base.window, nullptr);
  EXPECT_EQ(RunNibDialogModal(&d.base, 3, nullptr), paramErr);
  DisposeNibDialog(&d.base);  // never ran: the current dialog stays
  EXPECT_EQ(gCurrentNibDialog, &running.base);
  gCurrentNibDialog = nullptr;
  DisposeNibDialog(&running.base);
}

TEST_F(NibDialogTest, TheIdleTimerServesTheRunningDialog) {
  static int calls;
  calls = 0;
  EXPECT_FALSE(ServeNibDialogIdle());
  TestDialog d;
  Create(&d);
  d.endOnCommand = 7;
  // Clicked from a timer once the idle procedure has run a few times.
  EventLoopTimerRef timer = nullptr;
  static Point check;
  check = Where(d, 7);
  InstallEventLoopTimer(
      GetMainEventLoop(), 0.01, 0.01,
      [](EventLoopTimerRef, void*) {
        if (ServeNibDialogIdle() && calls == 3) {
          ++calls;
          PostClick(check);
        }
      },
      nullptr, &timer);
  Run(&d, 0, [](NibDialog*) {
    if (calls < 3) ++calls;
  });
  RemoveEventLoopTimer(timer);
  EXPECT_EQ(calls, 4);
  DisposeNibDialog(&d.base);
  EXPECT_FALSE(ServeNibDialogIdle());
}

}  // namespace
}  // namespace nib_test

namespace nib_test {
namespace {

TEST(NibDialogOkCancel, OnlyOkAndCancelAreAnswered) {
  struct Case {
    UInt32 command;
    OSStatus answer;
  } cases[] = {{kHICommandOK, noErr}, {kHICommandCancel, noErr}, {7, eventNotHandledErr}};
  for (const Case& c : cases) {
    HICommandExtended command;
    command.commandID = c.command;
    EventRef event = nullptr;
    ASSERT_EQ(CreateCommandEvent(kEventCommandProcess, &command, &event), noErr);
    EXPECT_EQ(HandleDialogOkCancel(event), c.answer) << c.command;
    ReleaseEvent(event);
  }
  EventRef wheel = nullptr;
  ASSERT_EQ(CreateEvent(nullptr, kEventClassMouse, kEventMouseWheelMoved, 0, 0, &wheel), noErr);
  EXPECT_EQ(HandleDialogOkCancel(wheel), eventNotHandledErr);
  EXPECT_EQ(HandleNibDialogEvent(nullptr, wheel, nullptr, 1), paramErr);
  ReleaseEvent(wheel);
}

}  // namespace
}  // namespace nib_test
