// Control records: values and ranges, titles, data tags, ids and commands, embedding,
// properties, 'CNTL' resources and their refusal when damaged.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/controls/cntl_resources.h"
#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

using ui_test::UiTest;

class ControlRecords : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    window = NewTestWindow();
  }
  ControlRef Make(SInt16 procID, SInt16 value = 0, SInt16 min = 0, SInt16 max = 10,
                  const char* title = "\x05Title") {
    Rect r{10, 10, 30, 110};
    return NewControl(window, &r, reinterpret_cast<ConstStr255Param>(title), true, value, min, max,
                      procID, 7);
  }
  WindowRef window = nullptr;
};

TEST_F(ControlRecords, ValuesStayInsideTheRangeWhicheverOrderItIsSet) {
  ControlRef c = Make(scrollBarProc, 5, 0, 10);
  ASSERT_NE(c, nullptr);
  struct Case { SInt32 set; SInt32 expect; } cases[] = {{-3, 0}, {4, 4}, {11, 10}, {10, 10}};
  for (const Case& k : cases) {
    SetControl32BitValue(c, k.set);
    EXPECT_EQ(GetControl32BitValue(c), k.expect) << k.set;
  }
  // A new range above the old one, set minimum first, then maximum first.
  SetControl32BitMinimum(c, 100);
  SetControl32BitMaximum(c, 200);
  EXPECT_EQ(GetControl32BitMinimum(c), 100);
  EXPECT_EQ(GetControl32BitMaximum(c), 200);
  EXPECT_EQ(GetControl32BitValue(c), 100);
  SetControl32BitMaximum(c, -50);
  SetControl32BitMinimum(c, -60);
  EXPECT_EQ(GetControl32BitMinimum(c), -60);
  EXPECT_EQ(GetControl32BitMaximum(c), -50);
  // 32-bit values read through the 16-bit calls are clamped, not cut.
  SetControl32BitMaximum(c, 100000);
  SetControl32BitValue(c, 70000);
  EXPECT_EQ(GetControlValue(c), 32767);
  EXPECT_EQ(GetControl32BitValue(c), 70000);
}

TEST_F(ControlRecords, TitlesAndReferencesRoundTrip) {
  ControlRef c = Make(pushButProc);
  Str255 title;
  GetControlTitle(c, title);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title + 1), title[0]), "Title");
  SetControlTitleWithCFString(c, CFSTR("Caf\xC3\xA9"));
  GetControlTitle(c, title);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title + 1), title[0]), "Caf\x8E");  // Mac Roman
  CFStringRef copy = nullptr;
  ASSERT_EQ(CopyControlTitleAsCFString(c, &copy), noErr);
  EXPECT_EQ(CFStringToUTF8(copy), "Caf\xC3\xA9");
  CFRelease(copy);
  EXPECT_EQ(GetControlReference(c), reinterpret_cast<SRefCon>(7));
  int record = 0;
  SetControlReference(c, &record);
  EXPECT_EQ(GetControlReference(c), &record);
}

TEST_F(ControlRecords, KindsComeFromTheDefinitionProcedure) {
  struct Case { SInt16 proc; OSType kind; } cases[] = {
      {pushButProc, kControlKindPushButton},      {checkBoxProc + useWFont, kControlKindCheckBox},
      {radioButProc, kControlKindRadioButton},    {scrollBarProc, kControlKindScrollBar},
      {kControlScrollBarLiveProc, kControlKindScrollBar},
      {kControlPopupButtonProc, kControlKindPopupButton}, {popupMenuProc, kControlKindPopupButton},
      {kControlLittleArrowsProc, kControlKindLittleArrows},
      {kControlStaticTextProc, kControlKindStaticText}, {kControlEditTextProc, kControlKindEditText},
      {kControlProgressBarProc, kControlKindProgressBar}, {kControlUserPaneProc, kControlKindUserPane},
      {kControlBevelButtonNormalBevelProc, kControlKindBevelButton},
      {kControlGroupBoxTextTitleProc, kControlKindGroupBox},
      {kControlSeparatorLineProc, kControlKindSeparator}};
  for (const Case& k : cases) {
    ControlRef c = Make(k.proc, 0, 0, 1);
    ASSERT_NE(c, nullptr) << k.proc;
    ControlKind kind;
    ASSERT_EQ(GetControlKind(c, &kind), noErr);
    EXPECT_EQ(kind.kind, k.kind) << k.proc;
  }
  Rect r{0, 0, 10, 10};
  EXPECT_EQ(NewControl(window, &r, nullptr, true, 0, 0, 1, 12345, 0), nullptr);
  EXPECT_EQ(NewControl(nullptr, &r, nullptr, true, 0, 0, 1, pushButProc, 0), nullptr);
}

TEST_F(ControlRecords, TextDataTagsAndTheirErrors) {
  ControlRef edit = Make(kControlEditTextProc, 0, 0, 0, "\x05Hello");
  char buffer[16] = {};
  Size size = 0;
  ASSERT_EQ(GetControlData(edit, 0, kControlEditTextTextTag, sizeof buffer, buffer, &size), noErr);
  EXPECT_EQ(std::string(buffer, size_t(size)), "Hello");
  ControlEditTextSelectionRec sel{1, 3};
  ASSERT_EQ(SetControlData(edit, 0, kControlEditTextSelectionTag, sizeof sel, &sel), noErr);
  ControlEditTextSelectionRec back{};
  ASSERT_EQ(GetControlData(edit, 0, kControlEditTextSelectionTag, sizeof back, &back, nullptr), noErr);
  EXPECT_EQ(back.selStart, 1);
  EXPECT_EQ(back.selEnd, 3);
  // The whole text selected with the usual 0..32767.
  sel = ControlEditTextSelectionRec{0, 32767};
  SetControlData(edit, 0, kControlEditTextSelectionTag, sizeof sel, &sel);
  GetControlData(edit, 0, kControlEditTextSelectionTag, sizeof back, &back, nullptr);
  EXPECT_EQ(back.selEnd, 5);
  CFStringRef s = CFSTR("Zw\xC3\xB6lf");
  ASSERT_EQ(SetControlData(edit, 0, kControlEditTextCFStringTag, sizeof s, &s), noErr);
  CFStringRef out = nullptr;
  ASSERT_EQ(GetControlData(edit, 0, kControlEditTextCFStringTag, sizeof out, &out, nullptr), noErr);
  EXPECT_EQ(CFStringToUTF8(out), "Zw\xC3\xB6lf");
  CFRelease(out);
  EXPECT_EQ(SetControlData(edit, 0, kControlEditTextSelectionTag, 2, &sel), errDataSizeMismatch);
  EXPECT_EQ(SetControlData(edit, 0, kControlProgressBarIndeterminateTag, 1, "\1"), errDataNotSupported);

  ControlRef progress = Make(kControlProgressBarProc);
  Boolean on = true, got = false;
  ASSERT_EQ(SetControlData(progress, 0, kControlProgressBarIndeterminateTag, sizeof on, &on), noErr);
  ASSERT_EQ(GetControlData(progress, 0, kControlProgressBarIndeterminateTag, sizeof got, &got, nullptr), noErr);
  EXPECT_TRUE(got);
  EXPECT_EQ(GetControlData(progress, 0, kControlEditTextTextTag, 0, nullptr, nullptr), errDataNotSupported);
}

TEST_F(ControlRecords, IdsCommandsAndViewLookup) {
  ControlRef group = nullptr, inner = nullptr;
  Rect gr{10, 10, 100, 200}, ir{30, 20, 50, 120};
  ASSERT_EQ(CreateGroupBoxControl(window, &gr, CFSTR("Group"), true, &group), noErr);
  ASSERT_EQ(CreatePushButtonControl(window, &ir, CFSTR("Go"), &inner), noErr);
  ASSERT_EQ(EmbedControl(inner, group), noErr);
  ControlID id{FourCC("zarn"), 42};
  SetControlID(inner, &id);
  SetControlCommandID(inner, FourCC("go  "));
  HIViewRef found = nullptr;
  ASSERT_EQ(HIViewFindByID(HIViewGetRoot(window), id, &found), noErr);
  EXPECT_EQ(found, inner);
  UInt32 command = 0;
  GetControlCommandID(found, &command);
  EXPECT_EQ(command, FourCC("go  "));
  EXPECT_EQ(HIViewFindByID(HIViewGetRoot(window), ControlID{FourCC("zarn"), 43}, &found), errUnknownControl);
  EXPECT_EQ(found, nullptr);
  ASSERT_EQ(HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &found), noErr);
  EXPECT_EQ(found, HIViewGetRoot(window));
  // View coordinates convert through the views' rectangles.
  Point p{5, 5};
  HIViewConvertPoint(&p, inner, group);
  EXPECT_EQ(p.h, 5 + 20 - 10);
  EXPECT_EQ(p.v, 5 + 30 - 10);
}

TEST_F(ControlRecords, EmbeddingPassesStateDownAndRefusesLoops) {
  ControlRef pane = nullptr, button = nullptr, other = nullptr;
  Rect r{10, 10, 100, 200};
  ASSERT_EQ(CreateUserPaneControl(window, &r, kControlSupportsEmbedding, &pane), noErr);
  ASSERT_EQ(CreatePushButtonControl(window, &r, CFSTR("A"), &button), noErr);
  ASSERT_EQ(CreatePushButtonControl(window, &r, CFSTR("B"), &other), noErr);
  ASSERT_EQ(EmbedControl(button, pane), noErr);
  EXPECT_EQ(EmbedControl(pane, button), errCantEmbedIntoSelf);
  EXPECT_EQ(EmbedControl(other, button), errControlIsNotEmbedder);
  EXPECT_EQ(EmbedControl(HIViewGetRoot(window), pane), errCantEmbedRoot);

  DeactivateControl(pane);
  EXPECT_FALSE(IsControlActive(button));
  ActivateControl(pane);
  EXPECT_TRUE(IsControlActive(button));
  HideControl(pane);
  EXPECT_FALSE(IsControlVisible(button));
  ShowControl(pane);
  EXPECT_TRUE(IsControlVisible(button));
  // A control deactivated on its own stays so when its embedder comes back.
  DeactivateControl(button);
  DeactivateControl(pane);
  ActivateControl(pane);
  EXPECT_FALSE(IsControlActive(button));

  // Moving the embedder moves what it holds.
  MoveControl(pane, 50, 60);
  Rect b;
  GetControlBounds(button, &b);
  EXPECT_EQ(b.left, 50);
  EXPECT_EQ(b.top, 60);

  DisposeControl(pane);
  EXPECT_FALSE(IsValidControlHandle(button));
  EXPECT_TRUE(IsValidControlHandle(other));
}

TEST_F(ControlRecords, DisposingTheWindowDisposesItsControls) {
  WindowRef w = NewTestWindow();
  ControlRef c = nullptr;
  Rect r{0, 0, 20, 20};
  ASSERT_EQ(CreatePushButtonControl(w, &r, CFSTR("x"), &c), noErr);
  DisposeWindow(w);
  EXPECT_FALSE(IsValidControlHandle(c));
  ControlRef root = nullptr;
  EXPECT_EQ(GetRootControl(w, &root), errNoRootControl);
}

TEST_F(ControlRecords, PropertiesKeepTheirBytes) {
  ControlRef c = Make(pushButProc);
  UInt32 value = 0x12345678, back = 0, size = 0;
  ASSERT_EQ(SetControlProperty(c, FourCC("zarn"), FourCC("mDat"), sizeof value, &value), noErr);
  ASSERT_EQ(GetControlProperty(c, FourCC("zarn"), FourCC("mDat"), sizeof back, &size, &back), noErr);
  EXPECT_EQ(back, value);
  EXPECT_EQ(GetControlProperty(c, FourCC("zarn"), FourCC("mDat"), 2, &size, &back), errDataSizeMismatch);
  EXPECT_EQ(RemoveControlProperty(c, FourCC("zarn"), FourCC("mDat")), noErr);
  EXPECT_EQ(GetControlProperty(c, FourCC("zarn"), FourCC("mDat"), sizeof back, &size, &back),
            errControlPropertyNotFound);
}

TEST_F(ControlRecords, ControlsFromCNTLResources) {
  ui_test::ScopedResources resources(R"(
    resource 'CNTL' 128 { i16 10 i16 20 i16 26 i16 220 i16 3 u8 1 u8 0 i16 50 i16 0 i16 386
                          i32 99 pstring "" }
    resource 'CNTL' 129 { i16 0 i16 0 i16 20 i16 80 i16 0 u8 0 u8 0 i16 1 i16 0 i16 369
                          i32 0 pstring "Loop" }
    resource 'CNTL' 130 { i16 0 i16 0 i16 20 i16 80 i16 0 u8 1 u8 0 i16 1 i16 0 i16 0 i32 0 }
    resource 'CNTL' 131 { i16 0 i16 0 i16 20 i16 80 i16 0 u8 1 u8 0 i16 1 i16 0 i16 0
                          i32 0 u8 10 text "abc" }
  )");
  ControlRef bar = GetNewControl(128, window);
  ASSERT_NE(bar, nullptr);
  Rect b;
  GetControlBounds(bar, &b);
  EXPECT_EQ(b, (Rect{10, 20, 26, 220}));
  EXPECT_EQ(GetControl32BitValue(bar), 3);
  EXPECT_EQ(GetControl32BitMaximum(bar), 50);
  EXPECT_EQ(GetControlProcID(bar), kControlScrollBarLiveProc);
  EXPECT_EQ(GetControlReference(bar), reinterpret_cast<SRefCon>(99));
  ControlRef check = GetNewControl(129, window);
  ASSERT_NE(check, nullptr);
  EXPECT_FALSE(IsControlVisible(check));
  Str255 title;
  GetControlTitle(check, title);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title + 1), title[0]), "Loop");
  // No title byte, and a title longer than the resource: both refused.
  EXPECT_EQ(GetNewControl(130, window), nullptr);
  EXPECT_EQ(GetNewControl(131, window), nullptr);
  EXPECT_EQ(GetNewControl(999, window), nullptr);
}

TEST(ControlTemplates, DamagedTemplatesAreRefused) {
  UInt8 good[23 + 3] = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 1, 0, 0, 9, 0, 1, 0, 16, 0, 0, 0, 0, 3, 'a', 'b', 'c'};
  ControlTemplate t;
  ASSERT_TRUE(ParseControlTemplate(good, sizeof good, &t));
  EXPECT_EQ(t.bounds, (Rect{1, 2, 3, 4}));
  EXPECT_EQ(t.value, 5);
  EXPECT_EQ(t.maximum, 9);
  EXPECT_EQ(t.minimum, 1);
  EXPECT_EQ(t.procID, 16);
  EXPECT_EQ(t.title, "abc");
  for (size_t n = 0; n < sizeof good; ++n) EXPECT_FALSE(ParseControlTemplate(good, n, &t)) << n;
  EXPECT_FALSE(ParseControlTemplate(nullptr, 40, &t));
}

}  // namespace
