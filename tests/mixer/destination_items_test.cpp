// Destination items: their labels, the records kept beside the menu items, the go-to actions
// of a chosen item and the instrument window's go-to menus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mixer/instrument_window/instrument_window_hooks.h"
#include "mixer/window/mixer_selection.h"
#include "platform/text/pascal_strings.h"
#include "plugins/host/plugin_host_hooks.h"
#include "song/model/track_entries.h"
#include "tests/mixer/mixer_menu_fixture.h"

namespace {

const unsigned char* P(const char* text) {
  static Str255 buffer;
  CopyCStringToPascal(text, buffer);
  return buffer;
}

class DestinationItemsTest : public MixerMenuTest {};

TEST_F(DestinationItemsTest, LabelsNameTheKindTheNumberAndTheName) {
  struct Case {
    int32_t kind, index;
    const char* name;
    std::string label;
  } cases[] = {
      {kDestTrack, 256 + 3, "Bass", "Track 4:Bass"},         // track numbers are taken mod 256
      {kDestAuxBus, 1, "Aux 2", "Aux 2:Aux 2"},
      {kDestAuxBus, 2, "Master", "Output 1:Master"},        // at the bus count: rebased kind 7
      {kDestInstrumentInsert, 2, "Delay", "Insert :Instrument 3:Delay"},
      {kDestClickOutput, 0, "Click", "Click 1:Click"},
  };
  for (const Case& c : cases) {
    Str255 label;
    BuildDestinationLabel(label, c.kind, c.index, P(c.name));
    EXPECT_EQ(c.label, Text(label)) << c.kind;
  }
}

TEST_F(DestinationItemsTest, ThePlugInHostNamesADestinationByItsLabel) {
  char label[8];
  ASSERT_TRUE(BuildDestinationLabel(uint32_t(kDestTrack), 3u, P("Bassline"), label, int32_t(sizeof label)));
  EXPECT_STREQ("Track 4", label) << "cut to the room given";
}

TEST_F(DestinationItemsTest, ItemKIsRecordKLessOneAndTheRecordCutsTheNameAt63) {
  MenuRef menu = NewMenu(kDestinationSourcesMenuId, P(""));
  std::string longName(70, 'n');
  Handle items = AppendDestinationItem(Handle(), menu, kDestTrack, 0, P("First"), -1);
  items = AppendDestinationItem(items, menu, kDestInstrumentInsert, 1, P(longName.c_str()), 4);
  ASSERT_EQ(2, CountDestinationItems(items));
  const uint8_t* second = GetDestinationItem(items, 2);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(kDestInstrumentInsert, GetDestinationKind(second));
  EXPECT_EQ(1, GetDestinationIndex(second));
  EXPECT_EQ(4, GetDestinationExtra(second));
  EXPECT_EQ(63, second[kDestItemName]);
  EXPECT_EQ("Insert :Instrument 2:" + longName, ItemText(menu, 2)) << "the label keeps the whole name";
  EXPECT_EQ(nullptr, GetDestinationItem(items, 0));
  EXPECT_EQ(nullptr, GetDestinationItem(items, 3));
  DisposeHandle(items);
  DisposeMenu(menu);
}

TEST_F(DestinationItemsTest, AnItemTheHandleCannotTakeIsNotAddedToTheMenu) {
  MenuRef menu = NewMenu(kDestinationSourcesMenuId, P(""));
  Handle items = AppendDestinationItem(Handle(), menu, kDestTrack, 0, P("First"), -1);
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse());
  for (int32_t i = 0; i < 40; ++i) items = AppendDestinationItem(items, menu, kDestTrack, i, P("More"), -1);
  SetMemoryBudget(budget);
  EXPECT_LT(CountDestinationItems(items), 41);
  EXPECT_EQ(CountDestinationItems(items), int32_t(CountMenuItems(menu))) << "item k stays record k - 1";
  DisposeHandle(items);
  DisposeMenu(menu);
}

struct Calls {
  static std::vector<std::string> log;
};
std::vector<std::string> Calls::log;

void InstallRecordingRoutes() {
  Calls::log.clear();
  gDestinationRoutes.setMixerSelection = [](int32_t kind, int32_t item, int32_t slot) {
    Calls::log.push_back("mixer " + std::to_string(kind) + " " + std::to_string(item) + " " + std::to_string(slot));
  };
  gDestinationRoutes.showInstrumentStrip = [](int32_t index) { Calls::log.push_back("strip " + std::to_string(index)); };
  gDestinationRoutes.refreshTrackList = [] { Calls::log.push_back("tracks"); };
  gDestinationRoutes.openClickSettingsWindow = [] { Calls::log.push_back("click"); };
  gDestinationRoutes.showJukeboxWindow = [] { Calls::log.push_back("jukebox"); };
  gDestinationRoutes.clearStripSelection = [] { Calls::log.push_back("clear strips"); };
}

TEST_F(DestinationItemsTest, AChosenItemRunsTheGoToOfItsOwnRecord) {
  InstallRecordingRoutes();
  Handle items;
  items = AppendDestinationItem(items, nullptr, kDestAuxBus, 1, P("Aux 2"), 3);
  items = AppendDestinationItem(items, nullptr, kDestAuxBus, 2, P("Master"), -1);
  items = AppendDestinationItem(items, nullptr, kDestInstrument, 2, P("Pad"), -1);
  items = AppendDestinationItem(items, nullptr, kDestInstrumentInsert, 1, P("Delay"), 0);
  items = AppendDestinationItem(items, nullptr, kDestClickOutput, 0, P("Click"), -1);
  for (int32_t item = 1; item <= 5; ++item) GoToDestinationItem(items, item);
  GoToDestinationItem(items, 6);
  GoToDestinationItem(Handle(), 1);
  std::vector<std::string> expected = {"mixer 2 2 3", "mixer 2 3 -1", "strip 2", "mixer 4 1 0", "click"};
  EXPECT_EQ(expected, Calls::log);
  DisposeHandle(items);
}

TEST_F(DestinationItemsTest, ATrackItemMakesTheTrackCurrentAndSelectsItAlone) {
  InstallRecordingRoutes();
  SelectAllTracks();
  SetCurrentTrackIndex(0);
  int32_t number = GetCurrentTrackIndex();
  SetCurrentTrackIndex(2);
  uint8_t target = gCurrentTrack[kTrackNumber];
  SetCurrentTrackIndex(number);
  Handle items = AppendDestinationItem(Handle(), nullptr, kDestTrack, target, P("T"), -1);
  GoToDestinationItem(items, 1);
  EXPECT_EQ(target, gCurrentTrack[kTrackNumber]);
  for (int32_t slot = 0; slot < 3; ++slot) EXPECT_EQ(slot == target, IsTrackSlotSelected(slot)) << slot;
  std::vector<std::string> expected = {"mixer 1 " + std::to_string(target) + " -1", "tracks"};
  EXPECT_EQ(expected, Calls::log);
  DisposeHandle(items);
}

TEST_F(DestinationItemsTest, TheProgramsRoutesPointTheMixerAtTheChosenBusOrTrack) {
  InstallInstrumentWindow();
  ASSERT_NE(gDestinationRoutes.setMixerSelection, nullptr);
  ASSERT_NE(gDestinationRoutes.refreshTrackList, nullptr);
  Handle items = AppendDestinationItem(Handle(), nullptr, kDestAuxBus, 1, P("Aux 2"), -1);
  GoToDestinationItem(items, 1);
  EXPECT_EQ(GetMixerSelectionKind(), kMixerSelectsAuxBus);
  EXPECT_EQ(GetMixerSelectionItem(), 2);
  SetCurrentTrackIndex(2);
  const uint8_t target = gCurrentTrack[kTrackNumber];
  SetCurrentTrackIndex(0);
  items = AppendDestinationItem(items, nullptr, kDestTrack, target, P("T"), -1);
  GoToDestinationItem(items, 2);
  EXPECT_EQ(GetMixerSelectionKind(), kMixerSelectsTrack);
  EXPECT_EQ(GetMixerSelectionItem(), target);
  EXPECT_EQ(target, gCurrentTrack[kTrackNumber]);
  DisposeHandle(items);
}

TEST_F(DestinationItemsTest, AStripListsTheTracksThatPlayItAndTheBussesItFeeds) {
  PlayInstrument(0, 1);
  SetTrackName(P("Lead"));
  PlayInstrument(2, 1);
  SetTrackName(P("Echo"));
  int32_t echo = gCurrentTrack[kTrackNumber];
  PlayInstrument(1, 0);
  SendLevel(1, 1, 20000);  // instrument 1 sends to aux bus 2
  MenuRef menu = NewMenu(kDestinationSourcesMenuId, P(""));
  Handle sources = AppendStripSourceItems(menu, 1);
  ASSERT_EQ(2, CountDestinationItems(sources));
  EXPECT_EQ("Track " + std::to_string(echo + 1) + ":Echo", ItemText(menu, 2));
  MenuRef targetMenu = NewMenu(kDestinationTargetsMenuId, P(""));
  Handle targets = AppendStripTargetItems(targetMenu, 1);
  ASSERT_EQ(2, CountDestinationItems(targets));
  EXPECT_EQ(kDestAuxBus, GetDestinationKind(GetDestinationItem(targets, 1)));
  EXPECT_EQ(1, GetDestinationIndex(GetDestinationItem(targets, 1)));
  EXPECT_EQ(gInstrumentCount + 1, GetDestinationIndex(GetDestinationItem(targets, 2)));
  // The bus's own menu lists the instrument that feeds it.
  Handle busSources = AppendStripSourceItems(nullptr, gInstrumentCount + 1);
  ASSERT_EQ(2, CountDestinationItems(busSources));
  EXPECT_EQ(kDestInstrument, GetDestinationKind(GetDestinationItem(busSources, 1)));
  EXPECT_EQ(1, GetDestinationIndex(GetDestinationItem(busSources, 1)));
  for (Handle h : {sources, targets, busSources}) DisposeHandle(h);
  DisposeMenu(menu);
  DisposeMenu(targetMenu);
}

TEST_F(DestinationItemsTest, TheStripMenuHidesAndShowsStripsByWhetherTheyPlayAPlugIn) {
  for (int32_t i = 0; i < gInstrumentCount; ++i) GetInstrumentRecord(i)[kInstDeviceKinds] = i == 0 ? kDeviceKindPlugin : 1;
  MenuRef menu = NewShowStripsMenu(0);
  EXPECT_FALSE(IsMenuItemEnabled(menu, 1)) << "all shown";
  EXPECT_EQ("Hide Strips With Plug-ins", ItemText(menu, 3));
  DisposeMenu(menu);
  HandleShowStripsChoice(3);
  EXPECT_NE(0, GetInstrumentRecord(0)[kInstNoDisplayNumber]);
  EXPECT_EQ(0, GetInstrumentRecord(1)[kInstNoDisplayNumber]);
  menu = NewShowStripsMenu(gInstrumentCount);
  EXPECT_EQ("Show Strips With Plug-ins", ItemText(menu, 3));
  EXPECT_FALSE(IsMenuItemEnabled(menu, 5)) << "hiding the selection is for instruments";
  DisposeMenu(menu);
  HandleShowStripsChoice(3);
  EXPECT_EQ(0, GetInstrumentRecord(0)[kInstNoDisplayNumber]);
  GetInstrumentRecord(2)[kInstFlags] |= kInstFlagSelected;
  HandleShowStripsChoice(5);
  EXPECT_NE(0, GetInstrumentRecord(2)[kInstNoDisplayNumber]);
  HandleShowStripsChoice(1);
  EXPECT_EQ(0, GetInstrumentRecord(2)[kInstNoDisplayNumber]);
}

}  // namespace
