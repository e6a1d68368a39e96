// Controls in windows with the standard handler, driven by posted events through the event
// loop: clicks become hits and commands, Return and Escape press the default and cancel
// buttons, Tab moves the focus (announced to the fields), typing goes to the focused field,
// and window activation reaches the controls.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

using namespace ui_test;

struct Seen {
  std::vector<UInt32> commands;
  std::vector<ControlPartCode> focusParts;
  std::vector<ControlPartCode> hits;
  WindowRef window = nullptr;
};

OSStatus OnCommand(EventHandlerCallRef, EventRef event, void* data) {
  Seen* seen = static_cast<Seen*>(data);
  HICommand command;
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  seen->commands.push_back(command.commandID);
  if (command.commandID == kHICommandOK || command.commandID == kHICommandCancel)
    QuitAppModalLoopForWindow(seen->window);
  return noErr;
}

OSStatus OnControl(EventHandlerCallRef, EventRef event, void* data) {
  Seen* seen = static_cast<Seen*>(data);
  ControlPartCode part = 0;
  GetEventParameter(event, kEventParamControlPart, typeControlPartCode, nullptr, sizeof part, nullptr, &part);
  (GetEventKind(event) == kEventControlHit ? seen->hits : seen->focusParts).push_back(part);
  return eventNotHandledErr;
}

class ControlEvents : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    window = NewTestWindow(Rect{100, 100, 260, 420}, kMovableModalWindowClass,
                           kWindowStandardHandlerAttribute);
    seen.window = window;
    Rect okr{120, 230, 140, 300}, cr{120, 140, 140, 210}, f1{20, 20, 36, 150}, f2{50, 20, 66, 150};
    ASSERT_EQ(CreatePushButtonControl(window, &okr, CFSTR("OK"), &ok), noErr);
    ASSERT_EQ(CreatePushButtonControl(window, &cr, CFSTR("Cancel"), &cancel), noErr);
    ASSERT_EQ(CreateEditTextControl(window, &f1, nullptr, false, false, nullptr, &first), noErr);
    ASSERT_EQ(CreateEditTextControl(window, &f2, nullptr, false, false, nullptr, &second), noErr);
    SetControlCommandID(ok, kHICommandOK);
    SetControlCommandID(cancel, kHICommandCancel);
    Boolean yes = true;
    SetControlData(ok, 0, kControlPushButtonDefaultTag, sizeof yes, &yes);
    SetControlData(cancel, 0, kControlPushButtonCancelTag, sizeof yes, &yes);
    EventTypeSpec command{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetWindowEventTarget(window), OnCommand, 1, &command, &seen, nullptr);
    EventTypeSpec controlTypes[] = {{kEventClassControl, kEventControlSetFocusPart},
                                    {kEventClassControl, kEventControlHit}};
    for (ControlRef c : {first, second, ok})
      InstallEventHandler(GetControlEventTarget(c), OnControl, 2, controlTypes, &seen, nullptr);
  }
  void RunModal() {
    ModalGuard guard;
    RunAppModalLoopForWindow(window);
  }
  std::string Text(ControlRef c) {
    char buffer[64] = {};
    Size size = 0;
    GetControlData(c, 0, kControlEditTextTextTag, sizeof buffer, buffer, &size);
    return std::string(buffer, size_t(size));
  }
  WindowRef window = nullptr;
  ControlRef ok = nullptr, cancel = nullptr, first = nullptr, second = nullptr;
  Seen seen;
};

TEST_F(ControlEvents, AClickOnAButtonSendsItsHitAndCommand) {
  PostClick(Global(window, ControlCenter(ok)));
  RunModal();
  EXPECT_EQ(seen.commands, std::vector<UInt32>{kHICommandOK});
  EXPECT_EQ(seen.hits, std::vector<ControlPartCode>{kControlButtonPart});
}

TEST_F(ControlEvents, ReturnAndEscapePressTheDefaultAndCancelButtons) {
  struct Case {
    UInt16 key;
    SInt16 ch;
    UInt32 modifiers;
    UInt32 command;
  } cases[] = {{kVK_Return, kReturnCharCode, 0, kHICommandOK},
               {kVK_ANSI_KeypadEnter, kEnterCharCode, 0, kHICommandOK},
               {kVK_Escape, kEscapeCharCode, 0, kHICommandCancel},
               {kVK_ANSI_Period, '.', cmdKey, kHICommandCancel}};
  for (const Case& k : cases) {
    seen.commands.clear();
    PostKey(k.key, k.ch, k.modifiers);
    RunModal();
    EXPECT_EQ(seen.commands, std::vector<UInt32>{k.command}) << k.key;
  }
}

TEST_F(ControlEvents, TabMovesTheFocusAndTypingFillsTheFocusedField) {
  SetKeyboardFocus(window, first, kControlFocusNextPart);
  seen.focusParts.clear();
  PostText("12");
  PostKey(kVK_Tab, kTabCharCode);
  PostText("ab");
  PostKey(kVK_Tab, kTabCharCode, shiftKey);
  PostText("3");
  PostKey(kVK_Return, kReturnCharCode);
  RunModal();
  EXPECT_EQ(Text(first), "3");  // the whole text was selected when the focus came back
  EXPECT_EQ(Text(second), "ab");
  // first loses (0), second gains (5), second loses, first gains.
  EXPECT_EQ(seen.focusParts, (std::vector<ControlPartCode>{0, kControlEditTextPart, 0, kControlEditTextPart}));
}

TEST_F(ControlEvents, AClickInAFieldFocusesIt) {
  PostClick(Global(window, ControlCenter(second)));
  PostText("x");
  PostKey(kVK_Return, kReturnCharCode);
  RunModal();
  ControlRef focus = nullptr;
  GetKeyboardFocus(window, &focus);
  EXPECT_EQ(focus, second);
  EXPECT_EQ(Text(second), "x");
}

TEST_F(ControlEvents, WindowActivationReachesTheControls) {
  EXPECT_TRUE(IsControlActive(ok));
  WindowRef front = NewTestWindow(Rect{300, 300, 400, 400}, kMovableModalWindowClass);
  RunCurrentEventLoop(0.05);  // the activation events
  EXPECT_FALSE(IsControlActive(ok));
  DisposeWindow(front);
  SelectWindow(window);
  RunCurrentEventLoop(0.05);
  EXPECT_TRUE(IsControlActive(ok));
}

}  // namespace
