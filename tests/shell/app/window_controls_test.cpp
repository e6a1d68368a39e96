// Clicks on the controls of the program's windows: a thumb dragged redraws its window at every
// value it passes, the track window's buttons step the row height and the overview's zoom
// within their ranges, the child-sequence button's face chooses nothing, and the controls of
// the jukebox and of plug-in editor windows are left alone.
#include <cstring>
#include <string>
#include <vector>

#include "editors/toolbar/child_sequence_button.h"
#include "editors/track_window_drawing.h"
#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "platform/events/apple_events.h"
#include "platform/menus/menus.h"
#include "platform/windows/windows.h"
#include "platform/system/sys_beep.h"
#include "plugins/plugin_host_commands.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/app_events.h"
#include "shell/app/child_sequence_menu.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/app/window_controls.h"
#include "shell/base/event_records.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/track_view_buttons.h"
#include "shell/windows/window_sizing.h"
#include "song/events/event_index.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/track_entries.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

using ui_test::Global;
using ui_test::MouseScript;

class WindowControlsTest : public AppTest {
 protected:
  // Start-up with a song of two tracks open.
  void StartWithSong() {
    StartUpApplication(40);
    ASSERT_EQ(noErr, PostOpenDocumentsEventForPaths({zarin_test::FixturePath("smf/tempo_track_notes.mid")}));
    PostQuitAppleEvent();
    ASSERT_TRUE(RunUntilQuit());
    ASSERT_EQ(2, GetSongTrackCount());
  }
  // A click at the local point of the window, handled as the content click hands it over.
  void ClickControl(AppWindow* w, ControlRef control, Point local, std::vector<MouseScript::Step> moves = {}) {
    SetPortWindowPort(w->window);
    ui_test::PostMouse(kEventMouseDown, Global(w->window, local));
    FlushEventQueue(GetMainEventQueue());
    if (moves.empty()) moves.push_back({kEventMouseUp, local});
    MouseScript script(w->window, moves);
    EventRecord event{};
    event.what = mouseDown;
    event.where = Global(w->window, local);
    ControlRef found = nullptr;
    ControlPartCode part = FindControl(local, w->window, &found);
    ASSERT_EQ(found, control);
    HandleWindowControlClick(w, part, control, local, &event);
  }
};

// What an idle task saw each time the live tracking ran it: the bar's value and whether the
// top row of the track list held a track's ink.
struct Seen {
  int32_t value;
  bool topRowInked;
};
std::vector<Seen> gSeen;

void RecordTopRow() {
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  LoadAppWindowContentRect(w);
  Rect band{int16_t(gScratchRect.top + kTrackListTop), gScratchRect.left,
            int16_t(gScratchRect.top + kTrackListTop + gTrackRowHeight), gTrackColumnWidth};
  gSeen.push_back({GetControlValue(gTrackVScroll), ui_test::CountDark(w->window, band) > 0});
}

TEST_F(WindowControlsTest, DraggingTheThumbRedrawsTheRowsAtEveryValueItPasses) {
  StartWithSong();
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  SetControlMaximum(gTrackVScroll, 2);
  SetControlValue(gTrackVScroll, 0);
  Rect bar;
  GetControlBounds(gTrackVScroll, &bar);
  int16_t h = int16_t((bar.left + bar.right) / 2);
  Point thumb{int16_t(bar.top + 16 + 8), h};
  // Down to the bottom end (value 2: past both tracks, the list is blank), back to the top.
  std::vector<MouseScript::Step> moves;
  for (int16_t v = thumb.v; v < bar.bottom - 16; v = int16_t(v + 4)) moves.push_back({kEventMouseDragged, {v, h}});
  for (int16_t v = int16_t(bar.bottom - 16); v >= thumb.v; v = int16_t(v - 4)) moves.push_back({kEventMouseDragged, {v, h}});
  moves.push_back({kEventMouseUp, thumb});
  gSeen.clear();
  PushIdleTask(RecordTopRow);
  ClickControl(w, gTrackVScroll, thumb, moves);
  PopIdleTask();
  EXPECT_EQ(GetControlValue(gTrackVScroll), 0);
  bool blankAtTwo = false, inkedAtOneOnTheWayBack = false, sawTwo = false;
  for (const Seen& s : gSeen) {
    if (s.value == 2) sawTwo = true, blankAtTwo |= !s.topRowInked;
    if (s.value == 1 && sawTwo) inkedAtOneOnTheWayBack |= s.topRowInked;
  }
  ASSERT_TRUE(sawTwo) << "the thumb reached the end";
  EXPECT_TRUE(blankAtTwo) << "the rows were drawn again while the thumb stood at 2";
  EXPECT_TRUE(inkedAtOneOnTheWayBack) << "and again at 1 on the way back";
  QuitApplication(0);
}

TEST_F(WindowControlsTest, EachBarHasItsCodeAndAThumbOnAControlWithoutOneOnlyBeeps) {
  StartWithSong();
  ControlRef loose = nullptr;
  Rect bounds{10, 10, 110, 26};
  ASSERT_EQ(noErr, CreateScrollBarControl(gTrackWindowRecord.window, &bounds, 0, 0, 10, 0, true, nullptr, &loose));
  struct Case {
    ControlRef control;
    int16_t code;
  } cases[] = {{gTrackVScroll, kControlCodeTrackVertical}, {gTrackHScroll, kControlCodeTrackHorizontal},
               {gSongListRecord.vScrollBar, kControlCodeSongList}, {gEventListRecord.vScrollBar, kControlCodeEventList},
               {gMarkerListRecord.vScrollBar, kControlCodeMarkerList}, {loose, kControlCodeNone}, {nullptr, kControlCodeNone}};
  for (const Case& c : cases) EXPECT_EQ(GetControlCommandCode(c.control), c.code) << "code " << c.code;
  ResetSysBeepCountForTesting();
  DispatchControlCommand(kControlDownButtonPart, loose, true);
  EXPECT_EQ(GetSysBeepCount(), 0u) << "only the thumb dispatches";
  DispatchControlCommand(kControlIndicatorPart, loose, true);
  EXPECT_EQ(GetSysBeepCount(), 1u);
  DispatchControlCommand(kControlIndicatorPart, gTrackVScroll, true);
  EXPECT_EQ(GetSysBeepCount(), 1u);
  DisposeControl(loose);
  QuitApplication(0);
}

TEST_F(WindowControlsTest, TheTrackWindowButtonsStepWithinTheirRanges) {
  StartWithSong();
  struct Case {
    int16_t index;
    bool option;
    int16_t height, shift;
    int16_t heightAfter, shiftAfter;
  } cases[] = {
      {0, false, 40, 3, 32, 3},  {1, false, 40, 3, 48, 3},  {1, true, 40, 3, 41, 3},   {0, true, 40, 3, 39, 3},
      {0, false, 11, 3, 11, 3},  {1, false, 146, 3, 146, 3}, {0, false, 19, 3, 11, 3},
      {3, false, 40, 1, 40, 1},  {3, false, 40, 5, 40, 4},  {2, false, 40, 1, 40, 2},  {2, false, 40, 10, 40, 10},
  };
  for (const Case& c : cases) {
    SetTrackRowHeight(c.height);
    gOverviewZoomShift = c.shift;
    gLastEvent.modifiers = c.option ? optionKey : 0;
    gSongModified = 0;
    StepTrackViewButton(c.index, kControlButtonPart);
    EXPECT_EQ(gTrackRowHeight, c.heightAfter) << "button " << c.index << " from " << c.height;
    EXPECT_EQ(gOverviewZoomShift, c.shiftAfter) << "button " << c.index << " from " << c.shift;
    EXPECT_NE(gSongModified, 0) << "button " << c.index;
  }
  gLastEvent.modifiers = 0;
  QuitApplication(0);
}

// Makes n child sequences of the current track, named as given.
void AddChildren(const std::vector<std::string>& names) {
  ASSERT_EQ(0, SetChildCount(int32_t(names.size())));
  for (size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(noErr, PushSongContext());
    GetChildSequence(int32_t(i));
    ASSERT_EQ(noErr, AddChildSequence(false, SongBlockSize(0)));
    uint8_t* name = gCurrentSong + kSongName;
    name[0] = uint8_t(names[i].size());
    std::memcpy(name + 1, names[i].data(), names[i].size());
    PopSongContext();
  }
}

TEST_F(WindowControlsTest, TheChildSequenceButtonListsTheChildrenAndItsFaceChoosesNothing) {
  StartWithSong();
  ControlRef button = gEditorChildSequenceButton;
  ASSERT_NE(button, nullptr) << "made at start-up in the main editor";
  ASSERT_FALSE(IsControlVisible(button)) << "no child sequences yet";
  AddChildren({"Verse", "Chorus"});
  ASSERT_EQ(2, CountChildSequences());
  ShowWindow(gMainEditorRecord.window);
  ShowOrHideChildSequenceButton(true);
  ASSERT_TRUE(IsControlVisible(button));

  BuildChildSequenceMenu(button);
  MenuRef menu = nullptr;
  ASSERT_EQ(noErr, GetBevelButtonMenuHandle(button, &menu));
  ASSERT_EQ(2, CountMenuItems(menu));
  Str255 text;
  GetMenuItemText(menu, 1, text);
  EXPECT_EQ("Verse", ui_test::FromPString(text));
  GetMenuItemText(menu, 2, text);
  EXPECT_EQ("Chorus", ui_test::FromPString(text));
  BuildChildSequenceMenu(button);
  EXPECT_EQ(2, CountMenuItems(menu)) << "built again, not appended to";

  Rect r;
  GetControlBounds(button, &r);
  Point face{int16_t((r.top + r.bottom) / 2), int16_t(r.left + 6)};
  SetPortWindowPort(gMainEditorRecord.window);
  ui_test::PostMouse(kEventMouseUp, Global(gMainEditorRecord.window, face));
  int16_t pane = -7;
  EXPECT_TRUE(TrackChildSequenceButton(button, face, &pane));
  EXPECT_EQ(pane, -7) << "the face chose nothing";
  EXPECT_FALSE(TrackChildSequenceButton(gTrackVScroll, face, &pane)) << "other controls are not the buttons'";
  QuitApplication(0);
}

// Clicks on a control's down arrow: moved for the track window's own bar, not for a bar of
// the jukebox or of a plug-in editor window.
TEST_F(WindowControlsTest, JukeboxAndPluginWindowControlsAreLeftAlone) {
  StartWithSong();
  AppWindow* plugin = &gMixerRecord;
  ASSERT_GE(RegisterPluginEditorWindow(plugin->window), 0);
  struct Case {
    AppWindow* w;
    bool moves;
  } cases[] = {{&gJukeboxRecord, false}, {plugin, false}, {&gTrackWindowRecord, true}};
  for (const Case& c : cases) {
    ASSERT_NE(c.w->window, nullptr);
    ShowWindow(c.w->window);
    SelectWindow(c.w->window);
    ControlRef bar = c.w == &gTrackWindowRecord ? gTrackVScroll : nullptr;
    if (!bar) {
      Rect bounds{10, 10, 110, 26};
      ASSERT_EQ(noErr, CreateScrollBarControl(c.w->window, &bounds, 0, 0, 10, 0, true, nullptr, &bar));
    }
    SetControlMaximum(bar, 10);
    SetControlValue(bar, 0);
    Rect r;
    GetControlBounds(bar, &r);
    ClickControl(c.w, bar, Point{int16_t(r.bottom - 6), int16_t((r.left + r.right) / 2)});
    EXPECT_EQ(GetControlValue(bar) > 0, c.moves) << "window kind " << c.w->kind;
  }
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
