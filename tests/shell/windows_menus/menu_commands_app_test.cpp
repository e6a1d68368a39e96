// Every item of every menu of the application's resources reaches the command dispatcher
// after a headless start, and the commands of the track, processing, Window, notepad, tools
// and refresh menus act on the song and the windows.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "editors/editor_commands.h"
#include "editors/timeline/timeline_axis.h"
#include "song/conductor/timebase.h"
#include "platform/events/classic_events.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/windows/windows.h"
#include "plugins/plugin_host_commands.h"
#include "sequencer/transport/engine_options.h"
#include "shell/app/app_entry.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/menus/menu_items.h"
#include "shell/menus/menu_state.h"
#include "shell/menus/notepad_menu.h"
#include "shell/menus/option_toggles.h"
#include "shell/menus/track_menu_commands.h"
#include "shell/menus/track_menu_state.h"
#include "shell/menus/window_menu_items.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/context_help.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/quicktime_music_output.h"
#include "song/instruments/instrument_record.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

OSStatus IgnoreOpen(const char*) { return noErr; }

class MenuCommands : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    SetHelpOpenProc(IgnoreOpen);
  }
  void TearDown() override {
    SetHelpOpenProc(nullptr);
    ForgetAllPluginEditorWindows();
    QuitApplication(0);
    AppTest::TearDown();
  }
  static WindowRef Window(int16_t kind) { return GetAppWindowRef(GetWindowForKind(kind)); }
  static int16_t MarkOf(MenuRef menu, int16_t item) {
    int16_t mark = -1;
    GetItemMark(menu, MenuItemIndex(item), &mark);
    return mark;
  }
  // Three numbered tracks (0, 1, 2); tracks 0 and 2 selected.
  static void MakeTracks() {
    ASSERT_EQ(noErr, CreateSongTracks(3, 1));
    ClearTrackSelectionMask();
    SetTrackSelectionBounds(0, 47);
    SelectTrackSlot(0);
    SelectTrackSlot(2);
  }
  static uint8_t* Track(int32_t i) { return GetTrackEntryAt(i); }
  // A Return waits in the queue to answer an alert the command may show; unused, it goes.
  OSStatus DispatchAnsweringAlert(int16_t menu, int16_t item) {
    PostKey('\r', 0x24, 0);
    OSStatus result = DispatchMenuCommand(menu, item);
    FlushEvents(everyEvent, 0);
    return result;
  }
};

// The menus the program loads and, per menu, the items that answer -9874 (the rest answer
// 0). Items that open modal dialogs or file choosers are left to the dialog tests.
TEST_F(MenuCommands, EveryItemOfEveryMenuIsHandledOrPassedOn) {
  const int16_t menus[] = {427, 428, 429, 430, 433, 440, 445, 435, 498, 193, 77, 66, 67, 68, 69,
                           86,  91,  87,  88,  70,  72,  79,  73,  85,  95,  92,  93, 96, 184, 89};
  const std::set<int16_t> passedOnMenus = {88, 184};
  const std::map<int16_t, std::set<int16_t>> passedOn = {
      {428, {3, 5, 9, 11, 13, 15, 20, 22}},  // separators; no song exporter yet
      {445, {6}},                                                   // the system's item
  };
  const std::map<int16_t, std::set<int16_t>> modal = {
      {427, {1, 3}}, {428, {1, 2, 6, 7, 8, 12, 16, 17, 18, 19, 23}}, {430, {13, 14}}, {445, {8}}, {92, {1}}, {93, {1}}, {96, {1}}};
  int checked = 0;
  for (int16_t id : menus) {
    MenuRef menu = GetMenuHandle(id);
    ASSERT_NE(nullptr, menu) << id;
    int16_t items = int16_t(CountMenuItems(menu));
    for (int16_t item = 1; item <= items; ++item) {
      if (modal.count(id) && modal.at(id).count(item)) continue;
      bool passes = passedOnMenus.count(id) || (passedOn.count(id) && passedOn.at(id).count(item));
      EXPECT_EQ(passes ? -9874 : noErr, DispatchAnsweringAlert(id, item)) << "menu " << id << " item " << item;
      EXPECT_EQ(0, gQuitFlag) << id << "/" << item;
      ++checked;
    }
  }
  EXPECT_GT(checked, 150);
  EXPECT_EQ(-9874, DispatchMenuCommand(999, 1));
  EXPECT_EQ(noErr, DispatchMenuCommand(kWindowMenuId, 40)) << "beyond the menu: no window, nothing";
}

TEST_F(MenuCommands, TrackCommandsSilenceTheSelectionAsOneUndoStepAndGroupTracks) {
  MakeTracks();
  uint32_t redraws = gRedrawRequests[kTrackWindowKind];
  EXPECT_EQ(noErr, DispatchMenuCommand(86, 1));
  EXPECT_TRUE(Track(0)[kTrackFlags] & kTrackFlagSilent);
  EXPECT_FALSE(Track(1)[kTrackFlags] & kTrackFlagSilent);
  EXPECT_TRUE(Track(2)[kTrackFlags] & kTrackFlagSilent);
  EXPECT_GT(gRedrawRequests[kTrackWindowKind], redraws);

  UpdateMenuState();
  MenuRef commands = GetMenuHandle(86);
  EXPECT_FALSE(IsMenuItemEnabled(commands, 1)) << "every selected track is silent already";
  EXPECT_TRUE(IsMenuItemEnabled(commands, 2));
  EXPECT_TRUE(IsMenuItemEnabled(commands, 7)) << "two tracks selected";
  EXPECT_FALSE(IsMenuItemEnabled(commands, 8)) << "no group yet";

  EXPECT_TRUE(CanUndo());
  EXPECT_EQ(noErr, DispatchMenuCommand(kEditMenuId, 1));  // Undo
  EXPECT_FALSE(Track(0)[kTrackFlags] & kTrackFlagSilent);
  EXPECT_FALSE(Track(2)[kTrackFlags] & kTrackFlagSilent);
  EXPECT_EQ(noErr, DispatchMenuCommand(kEditMenuId, 2));  // Redo
  EXPECT_TRUE(Track(2)[kTrackFlags] & kTrackFlagSilent);
  DispatchMenuCommand(86, 2);
  EXPECT_FALSE(Track(0)[kTrackFlags] & kTrackFlagSilent);

  for (int i : {0, 1, 2}) Track(i)[kTrackType] = kGroupableTrackKind;
  Track(0)[kTrackFlags] = kTrackFlagMute;
  Track(2)[kTrackFlags] = kTrackFlagSolo | kTrackFlagAudible;
  uint8_t counter = SongHeaderView(gCurrentSong).GroupCounter();
  DispatchMenuCommand(86, 8);
  uint8_t group = Track(0)[kTrackGroup];
  EXPECT_EQ(uint8_t(counter + 1), group);
  EXPECT_EQ(group, Track(2)[kTrackGroup]);
  EXPECT_EQ(0, Track(1)[kTrackGroup]) << "not selected";
  EXPECT_EQ(kTrackFlagMute | kTrackFlagAudible, Track(2)[kTrackFlags]) << "the first track's low flag bits";
  DispatchMenuCommand(86, 7);
  EXPECT_EQ(uint8_t(group + 1), Track(2)[kTrackGroup]) << "linking groups the tracks anew";
}

TEST_F(MenuCommands, TrackDisplayMarksTheSelectedTracksOnly) {
  MakeTracks();
  DispatchMenuCommand(91, 2);
  EXPECT_EQ(kTrackDisplayHighlighted, Track(0)[kTrackDisplayByte] & kTrackDisplayHighlighted);
  EXPECT_EQ(0, Track(1)[kTrackDisplayByte] & kTrackDisplayHighlighted);
  EXPECT_EQ(kTrackDisplayHighlighted, Track(2)[kTrackDisplayByte] & kTrackDisplayHighlighted);
  DispatchMenuCommand(91, 1);
  EXPECT_EQ(0, Track(0)[kTrackDisplayByte] & kTrackDisplayHighlighted);
  EXPECT_EQ(0, Track(2)[kTrackDisplayByte] & kTrackDisplayHighlighted);
}

TEST_F(MenuCommands, ProcessingNeedsAQualifyingTrackAndATimeSelection) {
  MakeTracks();
  gTimeSelection = TimeSelection{};
  int32_t alerts = CountAlertsShown();
  DispatchAnsweringAlert(85, 1);
  EXPECT_EQ(alerts + 1, CountAlertsShown()) << "no selected track qualifies";
  UpdateMenuState();
  EXPECT_FALSE(IsMenuItemEnabled(GetMenuHandle(85), 0));

  Handle audio = NewHandle(16);
  WriteU32BE(Track(2) + kTrackRegionList, audio.id);
  SongHeaderView(gCurrentSong).SetSongMode(kSongModeStepInput);
  UpdateMenuState();
  EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(85), 0));
  EXPECT_TRUE(IsMenuItemEnabled(gTransformMenu, 3));
  EXPECT_FALSE(IsMenuItemEnabled(gTransformMenu, 1)) << "audio tracks: transpose, controllers, tempo";
  alerts = CountAlertsShown();
  DispatchAnsweringAlert(85, 1);
  EXPECT_EQ(alerts + 1, CountAlertsShown()) << "no time selection";
  SetTimeRange(480, 960);
  DispatchAnsweringAlert(85, 1);
  DispatchAnsweringAlert(85, 9);
  EXPECT_EQ(alerts + 1, CountAlertsShown());

  DispatchAnsweringAlert(95, 1);  // nothing to repeat yet
  EXPECT_EQ(alerts + 1, CountAlertsShown());
  WriteU32BE(Track(2) + kTrackRegionList, 0);
  SongHeaderView(gCurrentSong).SetSongMode(0);
  DisposeHandle(audio);
  EXPECT_EQ(kNoPluginCommand, gLastPluginItem);
}

TEST_F(MenuCommands, PluginEditorWindowsJoinTheWindowMenuAndItsMarks) {
  WindowRef editor = nullptr;
  Rect bounds{200, 200, 300, 400};
  ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &bounds, &editor));
  SetWTitle(editor, windows_test::PStr("EQ"));
  ASSERT_EQ(0, RegisterPluginEditorWindow(editor));
  EXPECT_EQ(20, GetWindowMenuItem(editor));
  ShowWindow(Window(kSongListKind));
  SelectWindow(Window(kSongListKind));
  UpdateMenuState();
  ASSERT_EQ(20, CountMenuItems(gWindowMenu));
  EXPECT_EQ(0, MarkOf(gWindowMenu, 20)) << "hidden";
  EXPECT_EQ(noErr, DispatchMenuCommand(kWindowMenuId, 20));
  EXPECT_EQ(editor, FrontNonFloatingWindow());
  UpdateMenuState();
  EXPECT_EQ(kFrontWindowMark, MarkOf(gWindowMenu, 20));
  EXPECT_EQ(kShownWindowMark, MarkOf(gWindowMenu, 5));
  DisposeWindow(editor);
  UpdateMenuState();
  EXPECT_EQ(18, CountMenuItems(gWindowMenu));
}

TEST_F(MenuCommands, AWindowItemBringsItsWindowForwardAndMarksItAtOnce) {
  HideWindow(Window(kMarkerListKind));
  ShowWindow(Window(kSongListKind));
  SelectWindow(Window(kSongListKind));
  UpdateMenuState();
  EXPECT_EQ(noErr, DispatchMenuCommand(kWindowMenuId, 11));  // the marker list
  EXPECT_EQ(Window(kMarkerListKind), FrontNonFloatingWindow());
  EXPECT_EQ(kFrontWindowMark, MarkOf(gWindowMenu, 11)) << "marked without another menu update";
  EXPECT_EQ(kShownWindowMark, MarkOf(gWindowMenu, 5));
}

TEST_F(MenuCommands, AStaleMarkGoesWhenItsWindowIsHidden) {
  ShowWindow(Window(kMixerKind));
  SelectWindow(Window(kMixerKind));
  UpdateMenuState();
  EXPECT_EQ(kFrontWindowMark, MarkOf(gWindowMenu, 18));
  HideWindow(Window(kMixerKind));
  HideWindow(Window(kConductorListKind));
  SetMenuItemMark(gWindowMenu, 9, kShownWindowMark);  // the conductor list's item, window hidden
  CheckWindowsMenuItems();
  EXPECT_EQ(0, MarkOf(gWindowMenu, 18));
  EXPECT_EQ(0, MarkOf(gWindowMenu, 9));
}

TEST_F(MenuCommands, TheLoopItemShowsTheRepeatsLeftAndTheEngineHidesIt) {
  gLoopRepeatTarget = 5;
  gLoopPassesPlayed = 2;
  DisableMenuItem(gWindowMenu, kLoopWindowItem);
  EXPECT_EQ(noErr, DispatchMenuCommand(kWindowMenuId, kLoopWindowItem));
  EXPECT_TRUE(IsMenuItemEnabled(gWindowMenu, kLoopWindowItem));
  EXPECT_EQ(3, gLoopWindowNumber);
  EXPECT_TRUE(IsWindowVisible(Window(kLoopWindowKind)));
  gLoopPassesPlayed = 9;
  DispatchMenuCommand(kWindowMenuId, kLoopWindowItem);
  EXPECT_EQ(0, gLoopWindowNumber);
  HideLoopWindowItem();
  EXPECT_FALSE(IsWindowVisible(Window(kLoopWindowKind)));
  EXPECT_FALSE(IsMenuItemEnabled(gWindowMenu, kLoopWindowItem));
  gLoopRepeatTarget = gLoopPassesPlayed = 0;

  uint16_t before = gViewOptionWord;
  ToggleViewMarkOption();  // the engine's other companion command
  EXPECT_EQ(before ^ kViewMarkBit, gViewOptionWord);
  EXPECT_EQ((gViewOptionWord & kViewMarkBit) ? checkMark : 0, MarkOf(gViewMenu, 13));
  ToggleViewMarkOption();
}

TEST_F(MenuCommands, JustificationActsOnTheNotepadInFrontOnly) {
  gNotepadJustification = kJustLeft;
  ShowWindow(Window(kSongListKind));
  SelectWindow(Window(kSongListKind));
  DispatchMenuCommand(193, 2);
  EXPECT_EQ(kJustLeft, gNotepadJustification);
  ShowWindow(Window(kNotepadKind));
  SelectWindow(Window(kNotepadKind));
  for (auto [item, just] : {std::pair{2, kJustCentre}, {3, kJustRight}, {4, kJustRight}, {1, kJustLeft}}) {
    EXPECT_EQ(noErr, DispatchMenuCommand(193, int16_t(item)));
    EXPECT_EQ(just, gNotepadJustification) << item;
  }
}

TEST_F(MenuCommands, ZoomStepsStayWithinTheLevelsAndRefreshFollowsTheShownWindows) {
  int32_t savedResolution = gTicksPerQuarter;
  gTicksPerQuarter = 96;  // levels 0..9
  gZoomLevel = 0;
  DispatchMenuCommand(kToolsMenuId, 15);
  EXPECT_EQ(0, gZoomLevel) << "already in as far as ticks go, and no pane shows audio";
  for (int i = 0; i < 12; ++i) DispatchMenuCommand(kToolsMenuId, 16);
  EXPECT_EQ(9, gZoomLevel);
  DispatchMenuCommand(kToolsMenuId, 15);
  EXPECT_EQ(8, gZoomLevel);
  gZoomLevel = kInitialZoomLevel;
  gTicksPerQuarter = savedResolution;

  HideWindow(Window(kMainEditorWindowKind));
  ShowWindow(Window(kTrackWindowKind));
  DispatchMenuCommand(87, 2);
  EXPECT_EQ(kTrackWindowKind, gRefreshWindowKind);
  ShowWindow(Window(kMainEditorWindowKind));
  SelectWindow(Window(kMainEditorWindowKind));  // the front-most shown one is chosen
  DispatchMenuCommand(87, 1);
  EXPECT_EQ(kMainEditorWindowKind, gRefreshWindowKind);
}

}  // namespace
// Before a menu opens: the commands not built yet are disabled, built ones are not, and the
// View menu's placeholder rows show as one separator.
TEST_F(MenuCommands, UnbuiltCommandsAreDisabledAndPlaceholderRowsCollapse) {
  UpdateMenuState();
  struct Case {
    MenuID menu;
    MenuItemIndex item;
    bool enabled;
  } cases[] = {{428, 1, true},  {428, 2, true},  {428, 7, true},  {428, 9, false}, {428, 21, false},
               {430, 13, true}, {440, 3, false}, {440, 20, true}, {445, 8, true},
               {445, 16, false}};
  for (const Case& c : cases)
    EXPECT_EQ(IsMenuItemEnabled(GetMenuHandle(c.menu), c.item), c.enabled) << c.menu << " " << c.item;
  MenuRef view = GetMenuHandle(433);
  std::vector<std::string> shown;
  for (MenuItemIndex item = 1; item <= CountMenuItems(view); ++item) {
    MenuItemAttributes attributes = 0;
    GetMenuItemAttributes(view, item, &attributes);
    Str255 text;
    GetMenuItemText(view, item, text);
    if (!(attributes & kMenuItemAttrHidden)) shown.emplace_back(reinterpret_cast<const char*>(text + 1), text[0]);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"List Display", "-", "Show Track Colours", "-", "Show Chosen Value"}));
}

// Tools item 18 names the selected tracks after the instrument the built-in synth plays on
// their channel (after a program change on it); a track on another output and an unselected
// track keep their names, and one undo puts the names back.
TEST_F(MenuCommands, SelectedTracksAreNamedAfterTheSynthsInstrument) {
  MakeTracks();
  ASSERT_EQ(0, OpenQuickTimeMusicPorts());
  uint8_t record[kMidiMessageHeader + 2] = {0, kMidiMessageHeader + 2};
  record[kMidiMessageHeader] = 0xC0;
  record[kMidiMessageHeader + 1] = 40;  // Violin
  QuickTimeMusicSend(record, 0);
  for (int32_t i : {0, 1}) Track(i)[kTrackType] = kDeviceKindQuickTimeMusic;
  Track(2)[kTrackType] = 0;
  auto name = [](int32_t i) { return std::string(reinterpret_cast<char*>(Track(i) + kTrackName), 32); };
  std::string before[3] = {name(0), name(1), name(2)};
  EXPECT_EQ(noErr, DispatchMenuCommand(kToolsMenuId, 18));
  EXPECT_EQ("Violin", name(0).substr(0, 6));
  EXPECT_EQ(before[1], name(1)) << "not selected";
  EXPECT_EQ(before[2], name(2)) << "a MIDI output";
  EXPECT_EQ(noErr, DispatchMenuCommand(kEditMenuId, 1));  // Undo
  EXPECT_EQ(before[0], name(0));
  CloseQuickTimeMusicPorts();
}

}  // namespace app_test
