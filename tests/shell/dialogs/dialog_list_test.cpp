// The dialog list's scrolling stays within its scroll bar's range, so that the note map's
// top row is always one of its 128 entries, and typed targets outside the map are refused.
#include <gtest/gtest.h>

#include "shell/dialogs/dialog_list.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

class DialogList : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    WindowRef w = NewTestWindow();
    Rect bounds{10, 200, 250, 216};
    gDialogList = DialogListState();
    gDialogList.scrollBar = NewControl(w, &bounds, nullptr, true, 0, 0, kNoteMapSize - kNoteMapPageRows,
                                       scrollBarProc, 0);
    ASSERT_NE(nullptr, gDialogList.scrollBar);
  }
  void TearDown() override {
    gDialogList = DialogListState();
    UiTest::TearDown();
  }
};

TEST_F(DialogList, ScrollingStaysWithinTheMap) {
  const int16_t maximum = kNoteMapSize - kNoteMapPageRows;
  struct Step {
    ControlPartCode part;
    bool noteMap;  // the note map's own steps, else the list's with 15 visible rows
    int16_t expect;
  } steps[] = {
      {kControlUpButtonPart, true, 0},     {kControlPageUpPart, true, 0},
      {kControlPageUpPart, false, 0},      {kControlDownButtonPart, true, 1},
      {kControlPageDownPart, true, 16},    {kControlPageDownPart, false, 30},
      {kControlPageUpPart, true, 15},      {kControlPageUpPart, false, 1},
      {kControlPageUpPart, false, 0},      {601, true, 0},
      {600, true, 1},
  };
  for (const Step& s : steps) {
    if (s.noteMap)
      HandleNoteMapScroll(s.part);
    else
      HandleListScrollPart(s.part, kNoteMapPageRows);
    EXPECT_EQ(s.expect, GetListScrollValue()) << s.part;
    EXPECT_EQ(s.expect, GetControlValue(gDialogList.scrollBar));
    EXPECT_EQ(127 - s.expect, GetListTopRowFromEnd());
  }
  for (int i = 0; i < 20; ++i) HandleNoteMapScroll(kControlPageDownPart);
  EXPECT_EQ(maximum, GetListScrollValue());
  HandleNoteMapScroll(kControlDownButtonPart);  // at the maximum: nothing
  EXPECT_EQ(maximum, GetListScrollValue());
  EXPECT_GE(GetListTopRowFromEnd(), 0);

  SetControlValue(gDialogList.scrollBar, 40);  // the thumb was dragged
  HandleNoteMapScroll(kControlIndicatorPart);
  EXPECT_EQ(40, GetListScrollValue());
  SetListScrollValue(-50);
  EXPECT_EQ(0, GetListScrollValue());
}

TEST_F(DialogList, TypedTargetsOutsideTheMapAreRefused) {
  ResetNoteMap();
  EXPECT_TRUE(StoreNoteMapValue(60, 72));
  EXPECT_EQ(72, gNoteMap[60]);
  struct Case {
    int32_t row, target;
  } refused[] = {{60, 128}, {60, -1}, {128, 5}, {-1, 5}};
  for (const Case& c : refused) EXPECT_FALSE(StoreNoteMapValue(c.row, c.target)) << c.row << " " << c.target;
  EXPECT_EQ(72, gNoteMap[60]);
  EXPECT_EQ(127, gNoteMap[127]);
}

}  // namespace
