// The masks of the track commands and transform menus, which tracks qualify for the audio
// menus, the loop window's count, the plug-in editor windows' Window-menu items, the row
// font's derived heights and the bar header icon.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/text.h"
#include "platform/windows/windows.h"
#include "plugins/plugin_host_commands.h"
#include "sequencer/transport/engine_options.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/text_drawing.h"
#include "shell/drawing/track_row_font.h"
#include "shell/menus/track_menu_state.h"
#include "shell/menus/window_menu_items.h"
#include "song/model/song_layout.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/files_errors/resource_fixture.h"

namespace {

using windows_test::PStr;

TEST(TrackMenuMasks, TrackCommandsFollowTheCountsOverTheSelection) {
  struct Case {
    TrackMenuCounts counts;
    uint32_t mask;
  };
  // Items: 1 silence, 2 unsilence, 4/5 the audio pair, 7 link, 8 group.
  const Case cases[] = {
      {{0, 0, 0, 0, false, false}, 0b00100100},  // nothing selected: only the separators' bits
      {{1, 0, 0, 0, false, false}, 0b00101101},  // one plain track: silence, no group, no link
      {{3, 3, 1, 1, false, false}, 0b11111110},  // all silent: no silence; some audio
      {{3, 1, 3, 0, false, false}, 0b01110111},  // all with audio: item 4 off; no group yet
      {{3, 1, 1, 2, true, false}, 0b00111111},   // grouping not possible: 7 and 8 off
  };
  for (const Case& c : cases) EXPECT_EQ(c.mask, ComputeTrackCommandsMask(c.counts)) << c.counts.selected;
}

TEST(TrackMenuMasks, TransformItemsDependOnTheFrontWindowAndTheTracks) {
  struct Case {
    TransformMenuInputs in;
    uint32_t mask;
  };
  const Case cases[] = {
      {{true, 5, true, false}, 0x3044},   // the marker list wins
      {{false, 0, false, false}, 0x3000}, // no track: tempo and signature only
      {{false, 2, true, true}, 0x3000},   // the caller's flag
      {{false, 2, true, false}, 0x3084},  // a qualifying (audio) track
      {{false, 2, false, false}, 0xFFFFFFFF},
  };
  for (const Case& c : cases) EXPECT_EQ(c.mask, ComputeTransformMenuMask(c.in));
}

TEST(TrackMenuMasks, ATrackQualifiesBySongModeAndItsRegionLists) {
  struct Case {
    uint8_t flags, outputFlags;
    uint32_t regions, regions2;
    uint8_t songMode;
    bool qualifies;
  };
  const Case cases[] = {
      {0, 0x08, 0, 7, 0, true},              // second list on and present
      {0, 0x08, 0, 0, 0, false},             // switched on but missing
      {0, 0, 5, 0, kSongModeStepInput, true},
      {0, 0, 5, 0, 0, false},                // audio but no step input or recording
      {0, 0, 5, 0, kSongModeRecord, true},
      {0, 0x08, 5, 0, kSongModeRecord, false},  // recording into the empty second list
      {kTrackFlagSilent, 0x08, 5, 7, kSongModeRecord, false},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> entry(kTrackEntrySize, 0);
    entry[kTrackFlags] = c.flags;
    entry[kTrackOutputFlags] = c.outputFlags;
    WriteU32BE(&entry[kTrackRegionList], c.regions);
    WriteU32BE(&entry[kTrackRegionList2], c.regions2);
    EXPECT_EQ(c.qualifies, TrackQualifiesForMenus(entry.data(), c.songMode))
        << int(c.flags) << "/" << int(c.outputFlags) << "/" << c.regions << "/" << c.regions2 << "/" << int(c.songMode);
  }
  EXPECT_FALSE(TrackQualifiesForMenus(nullptr, kSongModeRecord));
}

TEST(LoopWindowCount, TheRepeatsLeftNeverGoBelowZero) {
  struct Case { int32_t target, played, shown; };
  for (const Case& c : {Case{5, 2, 3}, Case{2, 5, 0}, Case{0, 0, 0}, Case{INT32_MAX, -2, INT32_MAX}, Case{INT32_MIN, 0, 0}}) {
    gLoopRepeatTarget = c.target;
    gLoopPassesPlayed = c.played;
    EXPECT_EQ(c.shown, GetLoopWindowNumber()) << c.target << " " << c.played;
  }
  gLoopRepeatTarget = gLoopPassesPlayed = 0;
}

std::string ItemText(MenuRef menu, int16_t item) {
  Str255 text;
  GetMenuItemText(menu, MenuItemIndex(item), text);
  return std::string(reinterpret_cast<char*>(text + 1), text[0]);
}

WindowRef MakeWindow(const char* title) {
  WindowRef window = nullptr;
  Rect bounds{100, 100, 200, 300};
  EXPECT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window));
  SetWTitle(window, PStr(title));
  return window;
}

TEST(PluginEditorWindows, TheyAreNumberedFromItem20AndDropOutWhenDisposed) {
  ForgetAllPluginEditorWindows();
  MenuRef menu = NewMenu(435, PStr("Window"));
  for (int i = 0; i < 18; ++i) AppendMenu(menu, PStr("w"));
  WindowRef a = MakeWindow("Reverb"), b = MakeWindow("Delay"), other = MakeWindow("Other");
  EXPECT_EQ(0, RegisterPluginEditorWindow(a));
  EXPECT_EQ(1, RegisterPluginEditorWindow(b));
  EXPECT_EQ(1, RegisterPluginEditorWindow(b)) << "a window is listed once";
  EXPECT_EQ(-1, RegisterPluginEditorWindow(nullptr));
  EXPECT_LT(GetPluginEditorWindowIndex(other), 0);

  UpdatePluginWindowMenu(menu, 18);
  ASSERT_EQ(21, CountMenuItems(menu));
  EXPECT_EQ("Reverb", ItemText(menu, 20));
  EXPECT_EQ("Delay", ItemText(menu, 21));

  HideWindow(b);
  SelectWindow(a);
  EXPECT_EQ(noErr, HandlePluginWindowMenuItem(21));
  EXPECT_TRUE(IsWindowVisible(b));
  EXPECT_EQ(b, FrontNonFloatingWindow());
  EXPECT_EQ(noErr, HandlePluginWindowMenuItem(22)) << "an item without a window does nothing";
  EXPECT_EQ(noErr, HandlePluginWindowMenuItem(4));

  DisposeWindow(a);  // its plug-in went away without telling the list
  EXPECT_EQ(0, GetPluginEditorWindowIndex(b));
  UpdatePluginWindowMenu(menu, 18);
  ASSERT_EQ(20, CountMenuItems(menu));
  EXPECT_EQ("Delay", ItemText(menu, 20));
  ForgetPluginEditorWindow(b);
  UpdatePluginWindowMenu(menu, 18);
  EXPECT_EQ(18, CountMenuItems(menu)) << "no editor windows: no separator either";
  DisposeWindow(b);
  DisposeWindow(other);
  DisposeMenu(menu);
}

class NamedResources : public ResourceFixture {
 protected:
  void AddNamed(int16_t id, const char* name) {
    UseResFile(refNum_);
    Handle h = NewHandle(4);
    AddResource(h, FourCC("MSTL"), id, PStr(name));
    ASSERT_EQ(noErr, ResError());
  }
};

TEST_F(NamedResources, OnlyTheItemsNamingAListedResourceAreChecked) {
  AddNamed(130, "Graphite");
  AddNamed(131, "Slate");
  MenuRef menu = NewMenu(31000, PStr("Styles"));
  for (const char* text : {"Slate", "Graphite", "Slate Blue", "Missing"}) AppendMenuItemTextLiteral(menu, PStr(text));
  CheckMenuItem(menu, 4, true);  // a stale check goes
  const int16_t inUse[] = {131, 999};
  MarkMenuItemsForOpenWindows(menu, FourCC("MSTL"), inUse, 2);
  std::vector<bool> checked;
  for (int16_t item = 1; item <= 4; ++item) {
    int16_t mark = 0;
    GetItemMark(menu, MenuItemIndex(item), &mark);
    checked.push_back(mark != 0);
  }
  EXPECT_EQ((std::vector<bool>{true, false, false, false}), checked);
  DisposeMenu(menu);
}

class RowFont : public ResourceFixture {
 protected:
  void TearDown() override {
    ReleaseBarHeaderIcon();
    gDefaultFontSize = savedSize_;
    gStandardLineHeight = savedLine_;
    gPaneTopMargin = savedMargin_;
    UpdateDefaultFontInfo();
    ResourceFixture::TearDown();
  }
  static int16_t LineAt(int16_t size) {
    FontInfo info{};
    GetFontInfoFor(gDefaultFontId, size, 0, &info);
    return int16_t(info.ascent + info.descent + info.leading);
  }
  int16_t savedSize_ = gDefaultFontSize, savedLine_ = gStandardLineHeight, savedMargin_ = gPaneTopMargin;
};

TEST_F(RowFont, TheFontStepsIntoTheRowRangeAndTheHeightsFollow) {
  gDefaultFontSize = 72;
  int16_t line = SetTrackRowFont(3);
  EXPECT_LE(line, kMaxRowLineHeight);
  EXPECT_GT(LineAt(int16_t(gDefaultFontSize + 1)), kMaxRowLineHeight) << "the largest size that fits";
  EXPECT_EQ(line, LineAt(gDefaultFontSize));
  EXPECT_EQ(line + 3, gStandardLineHeight);
  EXPECT_EQ(2 * line + 13, gMarkerListHeaderHeight);
  EXPECT_EQ(3 * line + 21, gRemoteHeaderHeight);
  EXPECT_EQ(3 * line + 19, gEventListHeaderHeight);
  EXPECT_EQ(gPaneRulerHeight + 2 * line + 7, gPaneTopMargin);

  gDefaultFontSize = 1;
  line = SetTrackRowFont(0);
  EXPECT_GE(line, kMinRowLineHeight);
  EXPECT_LE(line, kMaxRowLineHeight);
  gDefaultFontSize = 12;
  int16_t before = LineAt(12);
  if (before >= kMinRowLineHeight && before <= kMaxRowLineHeight) {
    SetTrackRowFont(0);
    EXPECT_EQ(12, gDefaultFontSize) << "a size that fits stays";
  }
}

TEST_F(RowFont, TheBarHeaderIconFollowsTheRowHeight) {
  AddBytes(FourCC("icns"), kSmallBarHeaderIcon, "small");
  AddBytes(FourCC("icns"), kLargeBarHeaderIcon, "large!");
  struct Case { int16_t rowHeight, id, variant; };
  for (const Case& c : {Case{11, 3115, 0}, Case{14, 3115, 3}, Case{15, 3118, 4}, Case{40, 3118, 8}, Case{5, 3115, 0}}) {
    SetBarHeaderIcon(c.rowHeight);
    EXPECT_EQ(c.id, gBarHeaderIcon.id) << c.rowHeight;
    EXPECT_EQ(c.variant, gBarHeaderIcon.variant) << c.rowHeight;
    EXPECT_EQ(kBarHeaderIconType, gBarHeaderIcon.type);
    ASSERT_TRUE(gBarHeaderIcon.family) << c.rowHeight;
    EXPECT_EQ(c.id == 3115 ? 5 : 6, GetHandleSize(gBarHeaderIcon.family));
  }
  Handle kept = gBarHeaderIcon.family;
  RemoveResource(GetResource(FourCC("icns"), kSmallBarHeaderIcon));
  SetBarHeaderIcon(12);
  EXPECT_FALSE(gBarHeaderIcon.family) << "a missing icon leaves the slot empty";
  EXPECT_FALSE(IsValidHandle(kept)) << "the previous icon is released";
}

}  // namespace
