// The single-line edit field: typing, deleting, moving and extending the selection, key
// filters, locked and password fields, the length limit, and clicks that place the caret.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "platform/windows/scrap.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

using namespace ui_test;

struct Key {
  SInt16 ch;
  EventModifiers modifiers = 0;
};

class EditText : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    window = NewTestWindow();
    Rect r{20, 20, 36, 220};
    ASSERT_EQ(CreateEditTextControl(window, &r, nullptr, false, false, nullptr, &field), noErr);
    SetKeyboardFocus(window, field, kControlFocusNextPart);
  }
  void Set(const std::string& text, SInt16 start, SInt16 end) {
    SetControlData(field, 0, kControlEditTextTextTag, Size(text.size()), text.data());
    ControlEditTextSelectionRec sel{start, end};
    SetControlData(field, 0, kControlEditTextSelectionTag, sizeof sel, &sel);
  }
  std::string Text() {
    std::string text(40000, '\0');
    Size size = 0;
    GetControlData(field, 0, kControlEditTextTextTag, Size(text.size()), text.data(), &size);
    text.resize(size_t(size));
    return text;
  }
  ControlEditTextSelectionRec Selection() {
    ControlEditTextSelectionRec sel{};
    GetControlData(field, 0, kControlEditTextSelectionTag, sizeof sel, &sel, nullptr);
    return sel;
  }
  void Type(const std::vector<Key>& keys) {
    for (const Key& k : keys) HandleControlKey(field, 0, k.ch, k.modifiers);
  }
  WindowRef window = nullptr;
  ControlRef field = nullptr;
};

TEST_F(EditText, KeysEditAndMoveTheSelection) {
  const SInt16 kLeft = kLeftArrowCharCode, kRight = kRightArrowCharCode;
  struct Case {
    const char* name;
    std::string text;
    SInt16 start, end;
    std::vector<Key> keys;
    std::string expect;
    SInt16 expectStart, expectEnd;
  } cases[] = {
      {"typing", "", 0, 0, {{'a'}, {'b'}, {'c'}}, "abc", 3, 3},
      {"backspace", "abc", 3, 3, {{kBackspaceCharCode}}, "ab", 2, 2},
      {"backspace at the start", "abc", 0, 0, {{kBackspaceCharCode}}, "abc", 0, 0},
      {"typing replaces the selection", "abc", 0, 3, {{'x'}}, "x", 1, 1},
      {"forward delete", "abc", 1, 1, {{kDeleteCharCode}}, "ac", 1, 1},
      {"arrows then typing", "abc", 3, 3, {{kLeft}, {kLeft}, {'X'}}, "aXbc", 2, 2},
      {"shift extends", "abcd", 4, 4, {{kLeft, shiftKey}, {kLeft, shiftKey}}, "abcd", 2, 4},
      {"shift extends, typing replaces", "abcd", 4, 4, {{kLeft, shiftKey}, {kLeft, shiftKey}, {'Z'}}, "abZ", 3, 3},
      {"right collapses a selection", "abc", 1, 2, {{kRight}}, "abc", 2, 2},
      {"command-A selects all", "abc", 1, 1, {{'a', cmdKey}}, "abc", 0, 3},
      {"option-left moves by word", "one two", 7, 7, {{kLeft, optionKey}}, "one two", 4, 4},
      {"home and end", "abc", 1, 1, {{kHomeCharCode}, {'>'}, {kEndCharCode}, {'<'}}, ">abc<", 5, 5},
      {"return is not typed", "abc", 3, 3, {{kReturnCharCode}, {kTabCharCode}}, "abc", 3, 3},
  };
  for (const Case& k : cases) {
    Set(k.text, k.start, k.end);
    Type(k.keys);
    EXPECT_EQ(Text(), k.expect) << k.name;
    ControlEditTextSelectionRec sel = Selection();
    EXPECT_EQ(sel.selStart, k.expectStart) << k.name;
    EXPECT_EQ(sel.selEnd, k.expectEnd) << k.name;
  }
}

ControlKeyFilterResult DigitsOnly(ControlRef, SInt16*, SInt16* charCode, EventModifiers*) {
  bool digit = *charCode >= '0' && *charCode <= '9';
  return digit || *charCode < 32 ? kControlKeyFilterPassKey : kControlKeyFilterBlockKey;
}

TEST_F(EditText, FiltersLocksAndTheLengthLimit) {
  ControlKeyFilterUPP filter = DigitsOnly;
  ASSERT_EQ(SetControlData(field, 0, kControlEditTextKeyFilterTag, sizeof filter, &filter), noErr);
  Set("", 0, 0);
  Type({{'1'}, {'a'}, {'2'}, {kBackspaceCharCode}, {'3'}});
  EXPECT_EQ(Text(), "13");
  filter = nullptr;
  SetControlData(field, 0, kControlEditTextKeyFilterTag, sizeof filter, &filter);

  Boolean locked = true;
  SetControlData(field, 0, kControlEditTextLockedTag, sizeof locked, &locked);
  Set("abc", 3, 3);
  Type({{'x'}, {kBackspaceCharCode}, {kLeftArrowCharCode}});
  EXPECT_EQ(Text(), "abc");
  EXPECT_EQ(Selection().selStart, 2);
  locked = false;
  SetControlData(field, 0, kControlEditTextLockedTag, sizeof locked, &locked);

  Set(std::string(32767, 'm'), 32767, 32767);
  Type({{'z'}});
  EXPECT_EQ(Text().size(), 32767u);
  Set(std::string(40000, 'm'), 0, 0);
  EXPECT_EQ(Text().size(), 32767u);
}

TEST_F(EditText, PasswordFieldsKeepTheTextAndShowBullets) {
  ControlRef secret = nullptr, plain = nullptr;
  Rect r1{60, 20, 76, 220}, r2{90, 20, 106, 220};
  ASSERT_EQ(CreateEditTextControl(window, &r1, CFSTR("swordfish"), true, false, nullptr, &secret), noErr);
  ASSERT_EQ(CreateEditTextControl(window, &r2, CFSTR("swordfish"), false, false, nullptr, &plain), noErr);
  char buffer[32] = {};
  Size size = 0;
  GetControlData(secret, 0, kControlEditTextPasswordTag, sizeof buffer, buffer, &size);
  EXPECT_EQ(std::string(buffer, size_t(size)), "swordfish");
  DrawControls(window);
  int bullets = CountDark(window, r1), letters = CountDark(window, r2);
  EXPECT_GT(bullets, 10);
  EXPECT_NE(bullets, letters);
}

TEST_F(EditText, ClicksPlaceTheCaretAndDragsSelect) {
  Set("abcdef", 0, 0);
  Point start{28, 21}, past{28, 200};
  PostMouse(kEventMouseDown, Global(window, past));
  PostMouse(kEventMouseUp, Global(window, past));
  EXPECT_EQ(HandleControlClick(field, past, 0, nullptr), kControlEditTextPart);
  EXPECT_EQ(Selection().selStart, 6);
  EXPECT_EQ(Selection().selEnd, 6);
  FlushEventQueue(GetMainEventQueue());
  PostMouse(kEventMouseDown, Global(window, start));
  FlushEventQueue(GetMainEventQueue());
  MouseScript drag(window, {{kEventMouseDragged, Point{28, 60}}, {kEventMouseUp, past}});
  EXPECT_EQ(HandleControlClick(field, start, 0, nullptr), kControlEditTextPart);
  EXPECT_EQ(Selection().selStart, 0);
  EXPECT_EQ(Selection().selEnd, 6);
}

TEST_F(EditText, CutCopyAndPasteGoThroughTheClipboard) {
  Set("hello world", 0, 5);
  Type({{'x', cmdKey}});
  EXPECT_EQ(Text(), " world");
  Type({{kEndCharCode}, {'v', cmdKey}, {'v', cmdKey}});
  EXPECT_EQ(Text(), " worldhellohello");
  // Only the first line of clipboard text goes into the field.
  ScrapRef scrap = nullptr;
  ClearCurrentScrap();
  GetCurrentScrap(&scrap);
  PutScrapFlavor(scrap, kScrapFlavorTypeText, 0, 7, "one\rtwo");
  Set("", 0, 0);
  Type({{'v', cmdKey}});
  EXPECT_EQ(Text(), "one");
  // A password field does not give its text away.
  ControlRef secret = nullptr;
  Rect r{60, 20, 76, 220};
  ASSERT_EQ(CreateEditTextControl(window, &r, CFSTR("pin"), true, false, nullptr, &secret), noErr);
  SetKeyboardFocus(window, secret, kControlEditTextPart);
  HandleControlKey(secret, 0, 'a', cmdKey);
  HandleControlKey(secret, 0, 'c', cmdKey);
  SetKeyboardFocus(window, field, kControlEditTextPart);
  Set("", 0, 0);
  Type({{'v', cmdKey}});
  EXPECT_EQ(Text(), "one");
}

TEST_F(EditText, TheCaretBlinksAtIdleTime) {
  Set("ab", 1, 1);
  UInt32 caretTime = GetCaretTime();
  SetCaretTime(0);  // every idle call is due
  Rect r{20, 20, 36, 220};
  int on = CountDark(window, r);
  IdleControls(window);
  int off = CountDark(window, r);
  IdleControls(window);
  EXPECT_GT(on, off);
  EXPECT_EQ(CountDark(window, r), on);
  SetCaretTime(caretTime);
}

OSStatus CountTextChanges(EventHandlerCallRef, EventRef, void* count) {
  ++*static_cast<int*>(count);
  return eventNotHandledErr;
}

TEST_F(EditText, TypingTellsTheControlsTarget) {
  int changes = 0;
  EventTypeSpec type{kEventClassTextField, kEventTextDidChange};
  EventHandlerRef handler = nullptr;
  InstallEventHandler(GetControlEventTarget(field), CountTextChanges, 1, &type, &changes, &handler);
  Set("", 0, 0);
  Type({{'a'}, {'b'}, {kLeftArrowCharCode}, {kBackspaceCharCode}});
  EXPECT_EQ(changes, 3);
  RemoveEventHandler(handler);
}

}  // namespace
