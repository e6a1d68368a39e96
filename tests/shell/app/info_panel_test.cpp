// The info panel after a headless start: its picture, labels and lamps are drawn where the
// panel keeps them; the output label follows the current track and the sync source text
// follows SetSyncSource; the counter area is redrawn only when the transport's value changed.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/events/apple_events.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/screen.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_idle.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/app/app_events.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/info_panel.h"
#include "song/conductor/conductor_map.h"
#include "song/events/utility_event_selection.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

std::string Text(ConstStr255Param p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

class InfoPanel : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    window = GetAppWindowRef(&gInfoPanelRecord);
  }
  void TearDown() override {
    gEditorModeByte = 0;
    gClockOptionByte = 0;
    SetSyncSource(kSyncSourceInternal);
    QuitApplication(0);
    AppTest::TearDown();
  }
  void Draw() { DrawWindowContent(window, kInfoPanelWindowKind); }
  // The pixels of a rectangle of the panel, row by row.
  std::vector<uint32_t> Pixels(const Rect& r) {
    std::vector<uint32_t> out;
    for (int16_t v = r.top; v < r.bottom; ++v)
      for (int16_t h = r.left; h < r.right; ++h) out.push_back(ui_test::PortPixel(window, Point{v, h}));
    return out;
  }
  // Opens the two-track MIDI file; the panel is drawn again by the update that follows.
  void OpenTwoTracks() {
    ASSERT_EQ(noErr, PostOpenDocumentsEventForPaths({zarin_test::FixturePath("smf/tempo_track_notes.mid")}));
    PostQuitAppleEvent();
    ASSERT_TRUE(RunUntilQuit());
    ASSERT_EQ(2, GetSongTrackCount());
  }
  // The current track plays output (kind, port) on the 0-based channel of its first instrument.
  void SetTrackOutput(uint8_t kind, uint8_t channel) {
    gCurrentTrack[kTrackType] = kind;
    gCurrentTrack[kTrackMidiOutput] = 0;
    gCurrentTrack[kTrackChildCount] = 0;
    WriteU16BE(gCurrentTrack + kTrackInstruments, 0);
    // A headless start makes no instruments: the track plays instrument 0 of a small table.
    if (gInstrumentCount == 0) ASSERT_EQ(noErr, CreateInstrumentTable(4, 0));
    uint8_t* record = GetInstrumentRecord(GetTrackInstrument(gCurrentTrack, 0));
    ASSERT_NE(nullptr, record);
    record[kInstChannels] = channel;
  }
  // Locates as a user's locate reaches the counter: the idle pass shows it in the clock.
  void Locate(uint32_t tick) {
    SetLocatePoint(tick);
    PositionDisplayIdle();
  }
  WindowRef window = nullptr;
};

TEST_F(InfoPanel, ThePanelShowsItsPictureLabelsAndCounterAtStart) {
  ASSERT_TRUE(window);
  ASSERT_TRUE(IsAppWindowVisible(&gInfoPanelRecord));
  Draw();
  Rect content{};
  GetWindowPortBounds(window, &content);
  std::vector<uint32_t> all = Pixels(content);
  EXPECT_GT(std::set<uint32_t>(all.begin(), all.end()).size(), 3u) << "not one flat colour";
  EXPECT_GT(ui_test::CountDark(window, kOutputLabelCell), 0) << "the current track's output";
  EXPECT_GT(ui_test::CountDark(window, kSyncLabelCell), 0) << "the sync source";
  EXPECT_GT(ui_test::CountDark(window, kModeLabelCell), 0) << "the counter mode";
  EXPECT_GT(ui_test::CountDark(window, Rect{4, 84, 26, 204}), 0) << "the bar:beat:tick read-out";
  EXPECT_GT(ui_test::CountDark(window, Rect{37, 8, 69, 76}), 0) << "the tempo";
}

// The indicators have no picture: they are drawn by code, lit or not; a lit sync lamp without
// a picture is its framed, filled fallback.
TEST_F(InfoPanel, ItsWholeFrameSideTitleBarIncludedIsOnTheScreen) {
  WindowRef panel = GetAppWindowRef(&gInfoPanelRecord);
  ASSERT_TRUE(panel);
  Rect frame, screen;
  GetWindowBounds(panel, kWindowStructureRgn, &frame);
  GetAvailableWindowPositioningBounds(GetMainDevice(), &screen);
  EXPECT_GE(frame.left, screen.left);
  EXPECT_GE(frame.top, screen.top);
  EXPECT_LE(frame.right, screen.right);
}

TEST_F(InfoPanel, LampsWithoutPicturesAreDrawnByCodeAndFollowTheirBits) {
  Rect lamp0, lamp2;
  GetInfoPanelLampRect(0, &lamp0);
  GetInfoPanelLampRect(2, &lamp2);
  Draw();
  std::vector<uint32_t> unlit = Pixels(lamp0);
  EXPECT_GT(ui_test::CountDark(window, lamp0), 0) << "an unlit indicator still shows its ring";
  EXPECT_EQ(0, ui_test::CountDark(window, lamp2)) << "an unset sync lamp is not drawn";
  gEditorModeByte |= 0x01;
  gClockOptionByte |= 0x01;
  Draw();
  EXPECT_NE(unlit, Pixels(lamp0));
  std::vector<uint32_t> lit = Pixels(lamp0);
  EXPECT_GT(std::count_if(lit.begin(), lit.end(), [](uint32_t p) { return (p >> 16) > 0xC0 && (p & 0xFF) < 0x40; }), 0)
      << "a lit indicator is red";
  EXPECT_GT(ui_test::CountDark(window, lamp2), 4);
}

TEST_F(InfoPanel, TheOutputLabelNamesTheTracksOutputAndChannel) {
  OpenTwoTracks();
  SetCurrentTrackIndex(0);
  struct Case {
    uint8_t kind, channel;
    const char* label;
  } cases[] = {
      {0, 9, "MIDI Out 1-10"},  // channel 10 of an output with channels
      {1, 0, "MIDI Out 2-1"},
      {0, 16, "MIDI Out 1-All"},  // a channel above 16
      {11, 3, "None"},            // the kind without an output has no channel
  };
  for (const Case& c : cases) {
    SetTrackOutput(c.kind, c.channel);
    EXPECT_EQ(c.label, Text(GetTrackOutputLabel())) << int(c.kind) << " " << int(c.channel);
  }
  gCurrentTrack[kTrackChildCount] = 1;
  EXPECT_EQ("Sequence", Text(GetTrackOutputLabel()));
  gCurrentTrack[kTrackChildCount] = 0;
}

TEST_F(InfoPanel, TheOutputLabelChangesWithTheCurrentTrack) {
  OpenTwoTracks();
  SetCurrentTrackIndex(0);
  SetTrackOutput(0, 0);
  Draw();
  std::vector<uint32_t> first = Pixels(kOutputLabelCell);
  SetCurrentTrackIndex(1);
  gCurrentTrack[kTrackType] = 11;
  Draw();
  EXPECT_NE(first, Pixels(kOutputLabelCell));
  SetCurrentTrackIndex(0);
  Draw();
  EXPECT_EQ(first, Pixels(kOutputLabelCell)) << "the first track's label again";
}

TEST_F(InfoPanel, TheSyncSourceTextFollowsSetSyncSource) {
  SetSyncSource(kSyncSourceInternal);
  Draw();
  std::vector<uint32_t> internal = Pixels(kSyncLabelCell);
  uint32_t before = gRedrawRequests[kInfoPanelWindowKind];
  SetSyncSource(kSyncSourceMidiClock);
  EXPECT_GT(gRedrawRequests[kInfoPanelWindowKind], before) << "the panel is asked to redraw";
  EXPECT_EQ("MIDI Clock", Text(GetInfoPanelString(kSyncSourceMidiClock + 1)));
  Draw();
  EXPECT_NE(internal, Pixels(kSyncLabelCell));
  SetSyncSource(kSyncSourceInternal);
  Draw();
  EXPECT_EQ(internal, Pixels(kSyncLabelCell));
}

// A locate shows in the bar:beat:tick read-out at once (the idle pass puts the locate point into
// the clock's counters, which the read-out shows), without waiting for an update, unless the
// counter flags hold the window's redraw back.
TEST_F(InfoPanel, TheCounterRedrawFollowsALocateUnlessHeldBack) {
  const Rect readout{4, 84, 26, 204};
  Locate(0);
  Draw();
  std::vector<uint32_t> start = Pixels(readout);
  Locate(uint32_t(BarToTick(2)));
  gCounterDisplayFlags &= uint16_t(~kCounterRedrawsWindow);
  RedrawCounterWindow();
  EXPECT_EQ(start, Pixels(readout)) << "held back";
  gCounterDisplayFlags |= kCounterRedrawsWindow;
  RedrawCounterWindow();
  EXPECT_NE(start, Pixels(readout));
  Locate(0);
  RedrawCounterWindow();
  EXPECT_EQ(start, Pixels(readout));
}

// The idle pass draws the position read-out again only when the position changed; a redraw of
// the counter area draws it whatever it shows.
TEST_F(InfoPanel, TheIdlePassRedrawsThePositionOnlyWhenItChanged) {
  Locate(uint32_t(BarToTick(1)));
  Draw();
  EXPECT_EQ("2:01:000", Text(gCounterPositionText));
  PLstrcpy(gCounterPositionText, reinterpret_cast<ConstStr255Param>("\001x"));
  RedrawCounterWindow();
  EXPECT_EQ("x", Text(gCounterPositionText)) << "unchanged: not drawn again";
  Locate(uint32_t(BarToTick(2)));
  RedrawCounterWindow();
  EXPECT_EQ("3:01:000", Text(gCounterPositionText));
  PLstrcpy(gCounterPositionText, reinterpret_cast<ConstStr255Param>("\001x"));
  gClockOptionByte = 0x04;
  ASSERT_TRUE(UpdateInfoPanel());
  EXPECT_EQ("3:01:000", Text(gCounterPositionText)) << "the counter area is drawn afresh";
}

TEST_F(InfoPanel, UpdateRedrawsOnlyWhenTheTransportValueChanged) {
  gClockOptionByte = 0x04;
  EXPECT_TRUE(UpdateInfoPanel());
  EXPECT_FALSE(UpdateInfoPanel()) << "no change, no redraw";
  gClockOptionByte = 0;
  EXPECT_TRUE(UpdateInfoPanel());
}

}  // namespace
}  // namespace app_test
