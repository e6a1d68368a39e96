// Moving the selected strips to another display position: their records take the new places
// in the table's order, the others keep theirs, and hidden instruments stay beside the
// instruments they followed.
#include <gtest/gtest.h>

#include <string>

#include "mixer/destinations/destination_items.h"
#include "mixer/instrument_window/instrument_window_hooks.h"
#include "mixer/instrument_window/strip_order.h"
#include "platform/memory/memory.h"
#include "mixer/instrument_window/strip_values.h"
#include "tests/mixer/instrument_window/strip_fixture.h"

namespace {

using strip_test::StripTest;

// The table's order as the channels the instruments were made with (instrument i on i).
std::string Order() {
  std::string out;
  for (int32_t i = 0; i < gInstrumentCount; ++i) out += char('A' + GetInstrumentRecord(i)[kInstChannels]);
  return out;
}

void Select(const std::string& which) {
  DeselectOtherStrips(-1);
  for (int32_t i = 0; i < gInstrumentCount; ++i)
    SetStripSelected(i, which.find(char('A' + GetInstrumentRecord(i)[kInstChannels])) != std::string::npos);
}

TEST_F(StripTest, SelectedStripsMoveToTheDropPosition) {
  struct Case {
    const char* selected;
    int32_t position;
    const char* order;
  } cases[] = {
      {"B", 3, "ACDBE"},   // to the right: the strip ends at the place it was dropped on
      {"D", 0, "DABCE"},   // to the left
      {"BD", 0, "BDACE"},  // several, in their table order
      {"A", 9, "BCDEA"},   // past the last: to the end
      {"C", 2, "ABCDE"},   // its own place: nothing moves
  };
  for (const Case& c : cases) {
    MakeWindow(5, 0, 1000);
    Select(c.selected);
    MoveSelectedInstrumentsTo(c.position);
    EXPECT_EQ(Order(), c.order) << c.selected << " to " << c.position;
    EXPECT_TRUE(IsStripSelected(int32_t(std::string(c.order).find(c.selected[0])))) << "the moved strip stays selected";
    TearDown();
  }
}

TEST_F(StripTest, AHiddenInstrumentStaysWithTheOneBeforeIt) {
  MakeWindow(4, 0, 1000);
  GetInstrumentRecord(1)[kInstNoDisplayNumber] = 1;  // B hidden: A C D shown
  RebuildInstrumentState();
  Select("D");
  MoveSelectedInstrumentsTo(1);  // between A and C
  EXPECT_EQ(Order(), "ABDC");
}

}  // namespace

namespace {

// A go-to of an instrument from a destination menu shows its strip: unhidden and selected
// alone (the scroll into view needs the window's scroll bar, which this window lacks).
TEST_F(StripTest, AGoToShowsTheInstrumentsStripSelectedAlone) {
  MakeWindow(8, 0, 300);  // four instruments shown at a time
  InstallInstrumentWindow();
  GetInstrumentRecord(6)[kInstNoDisplayNumber] = 1;
  RebuildInstrumentState();
  SetStripSelected(1, true);
  const unsigned char name[] = "\004Keys";
  Handle items = AppendDestinationItem(Handle(), nullptr, kDestInstrument, 6, name, -1);
  ASSERT_TRUE(items);
  GoToDestinationItem(items, 1);
  DisposeHandle(items);
  EXPECT_EQ(GetInstrumentRecord(6)[kInstNoDisplayNumber], 0) << "unhidden";
  EXPECT_TRUE(IsStripSelected(6));
  EXPECT_FALSE(IsStripSelected(1)) << "selected alone";
  EXPECT_EQ(gCurrentInstrument, 6);
}

}  // namespace
