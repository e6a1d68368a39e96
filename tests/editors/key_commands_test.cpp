// The key commands of the main windows: which key reaches which command in which window, the
// keys that are not used, and the keys that drive the transport.
#include "editors/key_commands.h"

#include <algorithm>
#include <string>
#include <vector>

#include "editors/editor_key_routes.h"
#include "editors/follow/step_input.h"
#include "editors/key_command_hooks.h"
#include "editors/transport_keys.h"
#include "platform/events/key_codes.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/editors/pane_fixture.h"
#include "editors/editor_hooks.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_values.h"
#include "shell/base/arithmetic.h"
#include "song/conductor/timebase.h"

namespace editors_test {
namespace {

std::vector<std::string> gCalls;

void Record(const std::string& s) { gCalls.push_back(s); }

void InstallRecordingHooks() {
  KeyCommandHooks& h = gKeyCommandHooks;
  h = KeyCommandHooks();
  h.locateToPosition = [](uint32_t t) { SetLocatePoint(t); Record("locate " + std::to_string(t)); };
  h.showContextHelp = [] { Record("help"); };
  h.selectViewMode = [](int16_t m) { Record("view " + std::to_string(m)); };
  h.selectEditTool = [](int16_t t) { Record("tool " + std::to_string(t)); };
  h.setNoteValue = [](int16_t v) { Record("note " + std::to_string(v)); };
  h.toggleTuplet = [](int16_t v) { Record("tuplet " + std::to_string(v)); };
  h.toggleDotted = [] { Record("dotted"); };
  h.scrollEditor = [](int16_t p) { Record("scroll " + std::to_string(p)); };
  h.scrollEventList = [](int16_t p) { Record("list scroll " + std::to_string(p)); };
  h.doEditMenuItem = [](int16_t i) { Record("edit " + std::to_string(i)); };
  h.doTransformShortcut = [](int16_t i, int16_t d) { Record("transform " + std::to_string(i) + " " + std::to_string(d)); };
  h.changeSelectedDurations = [](int16_t d) { Record("durations " + std::to_string(d)); };
  h.changeSelectedVelocities = [](int16_t d) { Record("velocities " + std::to_string(d)); };
  h.openMarkerDialog = [](uint32_t, bool) { Record("marker dialog"); };
  h.goToAdjacentMarker = [](bool back) { Record(back ? "marker back" : "marker next"); };
  h.resetEventTemplate = [] { Record("template"); };
  h.cancelPaneAction = [] { Record("cancel"); };
  h.trackColumnKey = [](uint8_t c, bool s) { Record(std::string("column ") + char(c) + (s ? " shift" : "")); };
  h.showCounterAtLocateBar = [] { Record("counter"); };
}

class KeyCommandTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    AddTrack(1, NoteRecords({}));
    AddPane(1, 48);
    ShowWindow(gMainEditorRecord.window);
    SelectWindow(gMainEditorRecord.window);
    InstallRecordingHooks();
    gCalls.clear();
    gTimeSelection = TimeSelection();
    gTimeSelection.start.tick = gTimeSelection.end.tick = 1;
  }
  void TearDown() override {
    gKeyCommandHooks = KeyCommandHooks();
    gCurrentViewMode = 0;
    PaneDrawingTest::TearDown();
  }
  OSStatus Key(uint8_t ch, uint16_t modifiers = 0, uint8_t keyCode = 0) {
    EventRecord e;
    e.what = keyDown;
    e.message = uint32_t(ch) | (uint32_t(keyCode) << 8);
    e.modifiers = modifiers;
    return HandleKeyCommand(ch, &e);
  }
  void Front(AppWindow* record, int16_t kind) {
    AppWindow* slot = nullptr;
    CreatePlaceholderAppWindow(&slot, record, kind, "Front", Rect{80, 40, 300, 400});
    ShowWindow(record->window);
    SelectWindow(record->window);
  }
};

TEST_F(KeyCommandTest, EachKeyOfTheMainEditorReachesItsCommand) {
  struct Case { uint8_t ch; uint16_t modifiers; uint8_t keyCode; int16_t viewMode; const char* call; };
  const Case cases[] = {
      {'a', 0, 0, 0, "view 5"}, {'A', 0, 0, 0, "view 5"}, {'n', 0, 0, 0, "view 0"},
      {'g', 0, 0, 0, "view 6"}, {'t', 0, 0, 0, "view 8"}, {'K', 0, 0, 0, "view 3"},
      {'e', 0, 0, 0, "tool 4"}, {'q', 0, 0, 0, "tool 0"}, {'w', 0, 0, 0, "tool 1"},
      {'1', 0, 0, 0, "note 1"}, {'2', 0, 0, 1, "note 2"}, {'4', 0, 0, 16, "note 4"},
      {'8', 0, 0, 9, "note 8"}, {'6', 0, 0, 0, "note 16"}, {'3', 0, 0, 0, "tuplet 3"},
      {'5', 0, 0, 0, "tuplet 5"}, {'7', 0, 0, 0, "tuplet 7"}, {'8', 0, 0, 5, ""},
      {'.', 0, 0, 0, "dotted"}, {'.', 0, kKeypadDecimalKeyCode, 0, "counter"},
      {11, 0, 0, 0, "scroll 22"}, {11, shiftKey, 0, 0, "scroll 20"}, {'<', 0, 0, 0, "scroll 20"},
      {12, 0, 0, 0, "scroll 23"}, {12, shiftKey, 0, 0, "scroll 21"}, {'>', 0, 0, 0, "scroll 21"},
      {30, 0, 0, 0, "velocities 3"}, {31, 0, 0, 0, "velocities -3"},
      {31, cmdKey, 0, 0, "transform 12 1"}, {31, cmdKey, 0, 5, "velocities -3"},
      {28, 0, 0, 0, "transform 0 -1"}, {29, cmdKey, 0, 0, "durations 1"}, {28, cmdKey, 0, 0, "durations -1"},
      {'m', 0, 0, 0, "marker dialog"}, {'r', 0, 0, 0, "template"}, {27, 0, 0, 0, "cancel"},
      {9, 0, 0, 0, "marker next"}, {9, shiftKey, 0, 0, "marker back"},
      {5, 0, 0, 0, "help"}, {'/', cmdKey | shiftKey, 0, 0, "help"}, {'/', 0, 0, 0, ""},
      {0xB6, 0, 0, 0, "edit 6"}, {0xC3, 0, 0, 0, "edit 7"}, {0xC5, 0, 0, 0, "edit 4"},
      {0xA7, 0, 0, 0, "column S"}, {0xEA, shiftKey, 0, 0, "column S shift"}, {0xB5, 0, 0, 0, "column M"},
      {0xBD, 0, 0, 0, "locate 1"}, {13, 0, 0, 0, "locate 1"}, {1, 0, 0, 0, "locate 1"},
  };
  for (const Case& c : cases) {
    gCalls.clear();
    gCurrentViewMode = c.viewMode;
    EXPECT_EQ(noErr, Key(c.ch, c.modifiers, c.keyCode)) << int(c.ch);
    std::vector<std::string> expected;
    if (*c.call) expected.push_back(c.call);
    EXPECT_EQ(expected, gCalls) << "key " << int(c.ch) << " modifiers " << c.modifiers << " view " << c.viewMode;
  }
}

// With the editors' entries installed the keys choose the tool and the note value.
TEST_F(KeyCommandTest, TheToolAndNoteValueKeysReachTheEditor) {
  InstallEditorKeyRoutes();
  ResetNoteValues();
  const struct {
    uint8_t key;
    int16_t tool;
  } tools[] = {{'w', 1}, {'e', 4}, {'q', 0}};
  for (const auto& t : tools) {
    EXPECT_EQ(0, Key(t.key)) << t.key;
    EXPECT_EQ(t.tool, gNoteTool) << t.key;
  }
  const struct {
    uint8_t key;
    int32_t ticks;
  } values[] = {{'6', gSixteenthNoteTicks},      {'3', MulDivRound(gSixteenthNoteTicks, 2, 3)},
                {'8', gEighthNoteTicks * 2 / 3}, {'3', gEighthNoteTicks},
                {'.', gEighthNoteTicks * 3 / 2}, {'1', gWholeNoteTicks * 3 / 2}};
  for (const auto& v : values) {
    EXPECT_EQ(0, Key(v.key)) << v.key;
    EXPECT_EQ(v.ticks, GetNoteValue()) << v.key;
  }
  ResetNoteValues();
  SelectEditTool(0);
}

TEST_F(KeyCommandTest, ModeSevenHasNoLetterAndUnknownKeysAreNotUsed) {
  for (uint8_t ch = 0; ch < 255; ++ch) {
    gCalls.clear();
    if (HandleEditorKey(ch, 0, -1, nullptr) == 0) continue;
    EXPECT_TRUE(gCalls.empty() || gCalls[0] != "view 7") << int(ch);
  }
  EXPECT_EQ(0, HandleEditorKey('z', 0, -1, nullptr));
  EXPECT_EQ(0, HandleEditorKey(0xFF, 0, -1, nullptr));
  // With no program window in front a key nobody takes goes back to the system.
  HideWindow(gMainEditorRecord.window);
  EXPECT_EQ(kKeyNotUsed, Key('z'));
}

TEST_F(KeyCommandTest, DeleteAndTabFollowTheWindowsMask) {
  // The conductor list (mask -3): Delete clears, Tab is not used.
  Front(&gConductorListRecord, kConductorListKind);
  EXPECT_EQ(noErr, Key(8));
  EXPECT_EQ(std::vector<std::string>{"edit 8"}, gCalls);
  EXPECT_EQ(0, HandleEditorKey(9, 0, -3, nullptr));
  // The counter window (mask -2): Delete is not used, Tab is.
  Front(&gInfoPanelRecord, kInfoPanelWindowKind);
  EXPECT_EQ(0, HandleEditorKey(8, 0, -2, nullptr));
  gCalls.clear();
  EXPECT_EQ(noErr, Key(9));
  EXPECT_EQ(std::vector<std::string>{"marker next"}, gCalls);
  // The keypad '.' acts as in the main editor in any window; the main-row '.' does not.
  gCalls.clear();
  Key('.', 0, kKeypadDecimalKeyCode);
  EXPECT_EQ(std::vector<std::string>{"counter"}, gCalls);
}

TEST_F(KeyCommandTest, DeleteInTheEditorClearsASelectionElseTakesBackTheLastStep) {
  gTimeSelection.end.tick = 500;
  Key(8);
  EXPECT_EQ(std::vector<std::string>{"edit 8"}, gCalls);
  gCalls.clear();
  gTimeSelection.end.tick = 1;
  Key(8);
  EXPECT_TRUE(gCalls.empty());
}

// '[' and ']' walk the current track's notes (other events are passed over), selecting each
// alone, or adding to the selection with shift, and locating to it.
TEST_F(KeyCommandTest, BracketsStepFromNoteToNote) {
  std::vector<uint8_t> list = NoteRecords({{97, 60, 10}, {960, 62, 10, 0, 64, true}, {2000, 64, 10}});
  // A controller between the first two notes (an 8-byte record).
  std::vector<uint8_t> controller(kShortEventSize);
  FillShortEvent(controller.data(), 500, 0xB0, 7, 100);
  list.insert(list.begin() + kLongEventSize, controller.begin(), controller.end());
  AddTrack(1, list);
  gCurrentEvent = nullptr;
  auto selected = [] {
    std::vector<uint32_t> ticks;
    Handle h = GetCurrentTrackEventList();
    uint8_t* e = reinterpret_cast<uint8_t*>(*h);
    for (uint32_t at = 0; SeqEventTime(e + at) != 0; at += GetSeqEventLength(e + at))
      if (e[at + kEventFlags] & kEventSelected) ticks.push_back(SeqEventTime(e + at));
    return ticks;
  };
  struct Step { uint8_t key; uint16_t modifiers; std::vector<uint32_t> selected; uint32_t located; };
  const Step steps[] = {{']', 0, {97}, 97},        {']', 0, {960}, 960},       {'}', shiftKey, {960, 2000}, 2000},
                        {']', 0, {960, 2000}, 2000}, {'[', 0, {960}, 960},     {'{', shiftKey, {97, 960}, 97}};
  for (const Step& s : steps) {
    gCalls.clear();
    Key(s.key, s.modifiers);
    EXPECT_EQ(s.selected, selected()) << s.key;
    EXPECT_EQ(s.located, gLocatePoint.tick) << s.key;
  }
  // Backward with no current event starts from the list's end.
  gCurrentEvent = nullptr;
  Key('[');
  EXPECT_EQ(std::vector<uint32_t>{2000}, selected());
}

// Option-up and option-down (and up and down in the track window) move the current track, never
// past the first or the last.
TEST_F(KeyCommandTest, OptionArrowsMoveTheCurrentTrack) {
  AddTrack(2, NoteRecords({}));
  AddTrack(3, NoteRecords({}));
  int32_t last = GetSongTrackCount() - 1;
  ASSERT_GE(last, 2);
  SetCurrentTrackIndex(0);
  for (int32_t i = 1; i <= last + 1; ++i) {
    Key(31, optionKey);
    EXPECT_EQ(std::min(i, last), GetCurrentTrackIndex());
  }
  for (int32_t i = last - 1; i >= -1; --i) {
    Key(30, optionKey);
    EXPECT_EQ(std::max(i, 0), GetCurrentTrackIndex());
  }
  EXPECT_TRUE(gCalls.empty()) << "velocities are not changed with option";
}

TEST_F(KeyCommandTest, PlusAndMinusLocateToBarLinesIn44And68) {
  struct Case { int32_t beats, ticksPerBar; };
  for (Case meter : {Case{4, 4 * gTicksPerQuarter}, Case{6, 3 * gTicksPerQuarter}}) {
    SongHeaderView(gCurrentSong).SetEndTick(1000000);
    gConductorState.beatsPerBar = meter.beats;
    gConductorState.ticksPerBar = meter.ticksPerBar;
    ASSERT_EQ(noErr, StoreMeterAt(1));
    int32_t bar2 = BarToTick(TickToBar(1) + 1), bar3 = BarToTick(TickToBar(1) + 2);
    ASSERT_EQ(meter.ticksPerBar, bar3 - bar2) << meter.beats;
    SetLocatePoint(uint32_t(bar2 + 5));
    gCalls.clear();
    Key('+');
    EXPECT_EQ(std::vector<std::string>{"locate " + std::to_string(bar3)}, gCalls);
    gCalls.clear();
    Key('-');
    EXPECT_EQ(std::vector<std::string>{"locate " + std::to_string(bar2)}, gCalls);
    SetLocatePoint(uint32_t(bar2));  // on the bar line: the bar before
    gCalls.clear();
    Key('-');
    EXPECT_EQ(std::vector<std::string>{"locate " + std::to_string(BarToTick(TickToBar(1)))}, gCalls);
  }
  SetLocatePoint(1);
}

}  // namespace
}  // namespace editors_test
