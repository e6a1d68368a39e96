// Drawn pop-ups chosen with the mouse: the item under the release, columns, the window
// kept on the screen, disabled items, cancelling, and the masks.
#include <string>
#include <vector>

#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/menus/menus.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_items.h"
#include "shell/windows/menu_building.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/dialogs/meter_popup.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "tests/shell/fields/fields_fixture.h"

namespace fields_test {
namespace {

class DrawnPopUpTest : public FieldsTest {
 protected:
  void Build(int count, uint32_t rows = 0) {
    BeginPopUpMenu();
    if (rows) gPopUp.rowsPerColumn = rows;
    for (int i = 0; i < count; ++i) {
      Str255 text;
      CopyCStringToPascal(("Item " + std::to_string(i)).c_str(), text);
      AddPopUpItem(text);
    }
  }
};

TEST_F(DrawnPopUpTest, ReleaseOverAnItemChoosesItAndTheCurrentItemLiesUnderThePoint) {
  Build(5);
  Point at = At(300, 400);
  PressAt(at);
  int lh = gPopUp.lineHeight;
  // Item 2 is placed under the point, so item 4 lies two rows lower.
  RunScript({Move(At(at.v + 2 * lh + lh / 2, at.h + 5)), Up(At(at.v + 2 * lh + lh / 2, at.h + 5))});
  EXPECT_EQ(PopUpMenuAtPoint(at.v, at.h, 2), 1);
  EXPECT_EQ(gPopUpChoice, 4);
  EXPECT_EQ(gPopUp.window.top, at.v - 2 * lh);
  EXPECT_EQ(gPopUp.window.left, at.h);
  EXPECT_EQ(gPopUp.itemText, nullptr);  // the texts are given back after showing
}

TEST_F(DrawnPopUpTest, NothingChosenLeavesNoChoice) {
  struct Case {
    const char* name;
    int disabled;
    int dv;  // rows below the point for the release
    bool cancel;
  } cases[] = {
      {"release on a disabled item", 3, 3, false},
      {"release outside every cell", -1, 40, false},
      {"Escape cancels", -1, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build(5);
    if (c.disabled >= 0) DisablePopUpItem(c.disabled);
    Point at = At(300, 400);
    int lh = gPopUp.lineHeight;
    Point release = At(at.v + c.dv * lh + lh / 2, at.h + 5);
    PressAt(at);
    if (c.cancel)
      RunScript({Move(release), Key(0x1B, kVK_Escape), Hold(10), Up(release)});
    else
      RunScript({Move(release), Up(release)});
    EXPECT_EQ(PopUpMenuAtPoint(at.v, at.h, 0), 0);
    EXPECT_EQ(gPopUpChoice, -1);
    RunScript({});
    PostHostMouseEvent(kEventMouseUp, release, 1, 0);
    FlushEventQueue(GetMainEventQueue());
  }
}

TEST_F(DrawnPopUpTest, LongListsShowInColumns) {
  Build(40, 10);
  Point at = At(200, 100);
  PressAt(at);
  int lh = gPopUp.lineHeight, cw = gPopUp.widest;
  // Item 25: column 2, row 5, from item 0 under the point.
  Point target = At(at.v + 5 * lh + lh / 2, at.h + 2 * cw + cw / 2);
  RunScript({Move(target), Up(target)});
  EXPECT_EQ(PopUpMenuAtPoint(at.v, at.h, 0), 1);
  EXPECT_EQ(gPopUpChoice, 25);
  EXPECT_EQ(gPopUp.window.right - gPopUp.window.left, 4 * cw);
  EXPECT_EQ(gPopUp.window.bottom - gPopUp.window.top, 10 * lh);
}

TEST_F(DrawnPopUpTest, ThePopUpStaysOnTheScreen) {
  Build(40, 10);
  Point at = At(740, 1000);  // near the bottom right corner of the 1024 x 768 screen
  PressAt(at);
  RunScript({Hold(2), Up(at)});
  PopUpMenuAtPoint(at.v, at.h, 39);
  EXPECT_LE(gPopUp.window.right, 1024);
  EXPECT_LE(gPopUp.window.bottom, 768);
  EXPECT_GE(gPopUp.window.left, 0);
  EXPECT_GE(gPopUp.window.top, 20);
}

TEST_F(DrawnPopUpTest, ColumnsBeyondTheScreenScrollOutOfView) {
  Build(400, 4);  // 100 columns: far wider than the screen
  Point at = At(300, 500);
  PressAt(at);
  RunScript({Hold(2), Up(at)});
  PopUpMenuAtPoint(at.v, at.h, 301);
  EXPECT_EQ(gPopUp.firstShown % 4, 0);
  EXPECT_LE(gPopUp.firstShown, 301);
  EXPECT_GT(int32_t(gPopUp.firstShown + gPopUp.fitCount), 301);
  EXPECT_LE(gPopUp.window.right, 1024);
  EXPECT_GE(gPopUp.window.left, 0);
}

TEST_F(DrawnPopUpTest, ThePreferenceAsksForAStandardMenu) {
  gPopUpPreferences = kPrefStandardPopUps;
  static const unsigned char kNoTitle[] = {0};
  for (int target : {2, 1}) {  // item 1 is disabled
    Build(4);
    DisablePopUpItem(1);
    // The same items in a menu of our own give the geometry the standard pop-up will have.
    MenuRef probe = NewMenu(1234, kNoTitle);
    SetMenuFont(probe, gDefaultFontId, uint16_t(gDefaultFontSize));
    for (int i = 0; i < 4; ++i) {
      Str255 text;
      GetPopUpItemText(i, text);
      AppendMenuItemLiteral(probe, text);
    }
    Point at = At(300, 400);
    Rect bounds{}, first{}, item{};
    GetMenuBoundsAt(probe, at, &bounds);
    GetMenuItemBoundsAt(probe, at, 1, &first);
    Point top = At(at.v - (first.top - bounds.top), at.h);
    GetMenuItemBoundsAt(probe, top, MenuItemIndex(target + 1), &item);
    DisposeMenu(probe);
    Point centre = At((item.top + item.bottom) / 2, (item.left + item.right) / 2);
    PressAt(at);
    RunScript({Move(centre), Up(centre)});
    int32_t result = PopUpMenuAtPoint(at.v, at.h, 0);
    EXPECT_EQ(result, target == 2 ? 3 : 0) << target;
    EXPECT_EQ(gPopUpChoice, target == 2 ? 2 : -1) << target;
    EXPECT_EQ(GetMenuHandle(kTempMenuId), nullptr);
  }
}

TEST_F(DrawnPopUpTest, MasksCoverTheFirst1024Items) {
  Build(3);
  DisablePopUpItem(1);
  MarkPopUpItem(2);
  SetPopUpItemFlag(0);
  EXPECT_TRUE(IsPopUpItemEnabled(0));
  EXPECT_FALSE(IsPopUpItemEnabled(1));
  EXPECT_TRUE(IsPopUpItemMarked(2));
  EXPECT_TRUE(IsPopUpItemFlagged(0));
  DisablePopUpItem(1023);
  EXPECT_FALSE(IsPopUpItemEnabled(1023));
  DisablePopUpItem(1024);
  MarkPopUpItem(1024);
  SetPopUpItemFlag(5000);
  EXPECT_TRUE(IsPopUpItemEnabled(1024));
  EXPECT_FALSE(IsPopUpItemMarked(1024));
  EXPECT_FALSE(IsPopUpItemFlagged(5000));
  BeginPopUpMenu();
  EXPECT_TRUE(IsPopUpItemEnabled(1));
  EXPECT_FALSE(IsPopUpItemMarked(2));
}

TEST_F(DrawnPopUpTest, RowsPerColumnFitTheListToTheScreen) {
  BeginPopUpMenu();
  struct { int n; uint32_t rows; } cases[] = {{5, 25}, {19, 25}, {20, 10}, {50, 25}, {51, 25}, {100, 25}};
  for (auto c : cases) {
    FitPopUpToScreen(c.n);
    EXPECT_EQ(gPopUp.rowsPerColumn, c.rows) << c.n;
  }
  // 101 items: the screen's rows less two, halved when one column would hold them all.
  gPopUp.lineHeight = 16;
  FitPopUpToScreen(101);
  EXPECT_EQ(gPopUp.rowsPerColumn, 768u / 16 - 2);
  gPopUp.lineHeight = 7;
  FitPopUpToScreen(101);
  EXPECT_EQ(gPopUp.rowsPerColumn, (768u / 7 - 2) / 2);
}

TEST_F(DrawnPopUpTest, AFailedOrEmptyPopUpShowsNothing) {
  BeginPopUpMenu();
  EXPECT_EQ(PopUpMenuAtPoint(300, 300, 0), 0);
  EXPECT_EQ(gPopUpChoice, -1);
  EXPECT_EQ(CountStrListItems(-12345), 0);
  BuildPopUpFromStrList(-12345, 0, 0);
  EXPECT_EQ(gPopUp.itemCount, 0u);
}

TEST_F(DrawnPopUpTest, StringListPopUpsSkipTheFirstString) {
  int32_t count = CountStrListItems(506);
  ASSERT_GT(count, 3);
  BuildPopUpFromAllStrings(506, 0);
  EXPECT_EQ(int32_t(gPopUp.itemCount), count - 1);
  Str255 first, second;
  GetPopUpItemText(0, first);
  GetIndString(second, 506, 2);
  EXPECT_EQ(PLstrcmp(first, second), 0);
}

TEST_F(DrawnPopUpTest, StringListAndNumberPopUpsGiveTheirValue) {
  BeginPopUpMenu();
  int lh = gPopUp.lineHeight;
  // The list's item 4 under the field's corner; the release one row lower chooses item 5.
  SetPortWindowPort(window_);
  SetScratchRect(40, 40, 30, 16);
  Point corner = Global(At(40, 40));
  Point below = At(corner.v + lh + lh / 2, corner.h + 3);
  PressAt(corner);
  RunScript({Move(below), Up(below)});
  EXPECT_NE(ShowStrListPopUp(4, 506, -1), 0);
  EXPECT_EQ(gPopUpChoice, 5);
  EXPECT_EQ(gValueField.value, 6);

  // Numbers 10..14 (11 disabled by the mask), then the extra numbers 101..103; the current
  // number 14 lies under the mouse.
  Point mouse = At(300, 300);
  struct { int rows; int32_t number; } cases[] = {{1, 101}, {-3, 11}, {2, 102}};
  for (auto c : cases) {
    PostHostMouseEvent(kEventMouseMoved, mouse, 0, 0);
    PressAt(mouse);
    Point release = At(mouse.v + c.rows * lh + lh / 2, mouse.h + 3);
    RunScript({Move(release), Up(release)});
    int32_t number = -1;
    bool chosen = ShowNumberRangePopUp(~0b10u, 14, 10, 14, 100, 103, 0, &number);
    EXPECT_EQ(chosen, c.number != 11) << c.number;
    EXPECT_EQ(number, chosen ? c.number : -1);
  }
}

std::vector<int32_t> gLiveItems;
void RecordLiveItem(int32_t item) { gLiveItems.push_back(item); }

TEST_F(DrawnPopUpTest, ALiveNumberPopUpReportsEachEnabledItemTheMouseCrosses) {
  // Numbers 10..14, 12 disabled; 10 lies under the mouse. The mouse goes down over 11 and 12
  // to 13 and the pop-up is cancelled: 11 and 13 were reported, nothing was chosen.
  gLiveItems.clear();
  BeginPopUpMenu();
  int lh = gPopUp.lineHeight;
  Point mouse = At(300, 300);
  PostHostMouseEvent(kEventMouseMoved, mouse, 0, 0);
  PressAt(mouse);
  auto row = [&](int r) { return At(mouse.v + r * lh + lh / 2, mouse.h + 3); };
  RunScript({Move(row(1)), Move(row(2)), Move(row(3)), Key(0x1B, kVK_Escape), Hold(10), Up(row(3))});
  int32_t number = -1;
  EXPECT_FALSE(ShowNumberRangePopUp(~0b100u, 10, 10, 14, 0, 0, 0, &number, RecordLiveItem));
  EXPECT_EQ(gLiveItems, (std::vector<int32_t>{1, 3}));
  RunScript({});
  PostHostMouseEvent(kEventMouseUp, row(3), 1, 0);
  FlushEventQueue(GetMainEventQueue());
  // A later pop-up without a live hook reports nothing.
  gLiveItems.clear();
  PressAt(mouse);
  RunScript({Move(row(1)), Up(row(1))});
  EXPECT_TRUE(ShowNumberRangePopUp(~0u, 10, 10, 14, 0, 0, 0, &number));
  EXPECT_EQ(number, 11);
  EXPECT_TRUE(gLiveItems.empty());
}

TEST_F(DrawnPopUpTest, GlyphGridsReturnTheValueOrToggleItsBit) {
  SetScratchRect(40, 40, 30, 16);
  Point corner = Global(At(40, 40));
  // Step 1: 17 values in columns of 3 rows; value 0 is placed under the corner.
  BeginPopUpMenu();  // for the line height only
  int lh = gPopUp.lineHeight;
  SetPortWindowPort(window_);  // gScratchRect is local to the field's window
  uint32_t result = 0;
  // The row below the corner, in the first column: value 1 (with step 4: value 4).
  Point target = At(corner.v + 1 * lh + lh / 2, corner.h + 3);
  PressAt(corner);
  RunScript({Move(target), Up(target)});
  ASSERT_TRUE(PopUpMenuWithRect(&result, 0, false, 1));
  EXPECT_EQ(result, 1u);

  uint32_t mask = 0b101;
  SetPortWindowPort(window_);
  PressAt(corner);
  RunScript({Move(target), Up(target)});
  ASSERT_TRUE(PopUpMenuWithRect(&mask, 0, true, 1));
  EXPECT_EQ(mask, 0b111u);
  SetPortWindowPort(window_);
  PressAt(corner);
  RunScript({Move(target), Up(target)});
  ASSERT_TRUE(PopUpMenuWithRect(&mask, 0, true, 1));
  EXPECT_EQ(mask, 0b101u);

  // Step 4: values 0, 4, 8, 12, 16 and the glyph after them; two rows per column.
  result = 0;
  SetPortWindowPort(window_);
  PressAt(corner);
  RunScript({Move(target), Up(target)});
  ASSERT_TRUE(PopUpMenuWithRect(&result, 0, false, 4));
  EXPECT_EQ(result, 4u);
}

}  // namespace
}  // namespace fields_test

namespace fields_test {
namespace {

// The meter pop-up over a song of ten 4/4 bars at 480 ticks per quarter: 4/4 lies under the
// point, and the release two rows lower chooses 6/8 for the selection, as one undo step.
class MeterPopUpTest : public FieldsTest {
 protected:
  void SetUp() override {
    FieldsTest::SetUp();
    gResolutionBeforeChange = gTicksPerQuarter = 480;
    gConductorState = ConductorState();
    gConductorState.ticksPerBeat = 0;
    gConductorState.tempo = 1200;
    ApplyTimebase();
    ResetSongDatabase();
    WriteU32BE(gCurrentSong + kSongEndTick, 19201);
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
  }
  void TearDown() override {
    DisposeUndoRing();
    FieldsTest::TearDown();
  }
};

TEST_F(MeterPopUpTest, AChosenMeterIsWrittenOverTheSelection) {
  gTimeSelection.start.tick = 1 + 2 * 1920;
  gTimeSelection.end.tick = 1 + 4 * 1920;
  Point at = At(300, 400);
  BuildMeterPopup();
  int lh = gPopUp.lineHeight;
  Point release = At(at.v + 2 * lh + lh / 2, at.h + 5);
  PressAt(at);
  RunScript({Move(release), Up(release)});
  EXPECT_EQ(6, RunMeterPopup(at.h, at.v));
  uint8_t* map = GetConductorMap();
  ASSERT_EQ(kConductorMeter, ConductorKind(map));
  ConductorRecordView meter(map);
  EXPECT_EQ(3841, meter.Tick());
  EXPECT_EQ(6, meter.BeatsPerBar());
  EXPECT_EQ(240, meter.TicksPerBeat());
  EXPECT_TRUE(CanUndo());
  EXPECT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(kConductorEnd, ConductorKind(GetConductorMap()));
}

}  // namespace
}  // namespace fields_test
