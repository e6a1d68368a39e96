// Mute and solo clicked in the pane headers change what the song plays: the song plays on
// the real clock through the MIDI layer into a JACK client of the test. Skipped when no JACK
// server runs.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "editors/views/pane_header_clicks.h"
#include "platform/windows/windows.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "platform/coremidi/midi_services.h"
#include "platform/memory/memory.h"
#include "platform/memory/byte_order.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/transport_idle.h"
#include "song/events/seq_event.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/sequencer/playback/jack_capture.h"
#include "tests/sequencer/playback/jack_player.h"
#include "tests/test_support.h"

namespace {

class HeaderPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture.Open("hdrcap-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    port = StartSequencerMidiOnJack(capture.Name());
    ASSERT_GE(port, 0) << "the capture port did not appear in the port table";
    ASSERT_TRUE(WaitUntil(3, [&] { return capture.Connected(); }));
    capture.KeepOnlyOurLayer();
    headless = std::make_unique<zarin_test::ScopedEnv>("ZARIN_HEADLESS", "1");
    InitWindows();
    gStandardLineHeight = 12;
    gPaneTopMargin = 40;
    CreatePlaceholderAppWindow(&slot, &gMainEditorRecord, kMainEditorWindowKind, "Editor", Rect{60, 20, 460, 620});
    ASSERT_NE(gMainEditorRecord.window, nullptr);
    ClearEditorPanes();
  }
  void TearDown() override {
    StopTransport(false);
    ClearEditorPanes();
    DisposeAllAppWindows();
    StopSequencerMidi();
    gTransportSong = Handle();
    capture.Close();
  }
  // Channel 1 plays key 60 and channel 2 key 64, a note every quarter at 120 a minute; pane
  // 0 shows the first track, pane 1 the second.
  void MakeSongWithPanes() {
    std::vector<std::vector<SmfNote>> tracks(2);
    for (uint32_t i = 0; i < 8; ++i) {
      tracks[0].push_back({480 * i, 0, 60, 100, 120});
      tracks[1].push_back({480 * i, 1, 64, 100, 120});
    }
    ASSERT_TRUE(OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), port));
    ASSERT_EQ(2, SongHeaderView(gCurrentSong).TrackCount());
    for (int32_t i = 0; i < 2; ++i) ASSERT_EQ(noErr, CreateEditorPane(56, true, GetTrackEntryAt(i)[kTrackNumber]));
    gEditorPanes[1].top = 220;
    LayoutEditorPanes();
    SelectEditorPane(0);
    ClearTrackSelectionMask();
  }
  // A click on toggle column `column` (0 record, 1 mute, 2 solo) of pane's header.
  static void ClickColumn(int16_t pane, int16_t column) {
    Point where{int16_t(gEditorPanes[pane].top - gStandardLineHeight / 2 - 2),
                int16_t(127 + column * gStandardLineHeight + 1)};
    int16_t hit = -1;
    ASSERT_EQ(kHeaderHitRecord + column, HitPaneHeader(where, nullptr, &hit));
    EventRecord click{};
    click.what = mouseDown;
    EXPECT_FALSE(HandlePaneHeaderClick(where, &click));
  }
  // Plays the first two seconds; the note-ons that came, by channel.
  std::vector<int> PlayAndCount() {
    size_t from = capture.Count();
    Play(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1800));
    StopTransport(false);
    WaitForPassEnd(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    std::vector<int> ons(16, 0);
    for (const CapturedMidi& m : capture.Events(from))
      if (m.size == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0) ++ons[m.bytes[0] & 0x0F];
    return ons;
  }
  JackCapture capture;
  int32_t port = -1;
  std::unique_ptr<zarin_test::ScopedEnv> headless;
  AppWindow* slot = nullptr;
};

TEST_F(HeaderPlayback, MuteAndSoloFromThePaneHeadersChangeWhatPlays) {
  MakeSongWithPanes();
  std::vector<int> both = PlayAndCount();
  ASSERT_GT(both[0], 0);
  ASSERT_GT(both[1], 0);

  ClickColumn(0, 1);  // mute the first track
  std::vector<int> muted = PlayAndCount();
  EXPECT_EQ(0, muted[0]) << "the muted track was heard";
  EXPECT_GT(muted[1], 0);

  ClickColumn(0, 1);  // unmute it
  ClickColumn(1, 2);  // solo the second
  ClickColumn(0, 2);  // and the first: both soloed
  ClickColumn(1, 2);  // the second leaves the solo: the first plays alone
  std::vector<int> soloed = PlayAndCount();
  EXPECT_GT(soloed[0], 0);
  EXPECT_EQ(0, soloed[1]) << "a track outside the solo was heard";
}

// The track armed from its pane header's record column is where a MIDI recording goes:
// arming the second without shift disarms the first.
TEST_F(HeaderPlayback, TheTrackArmedInItsHeaderTakesTheRecording) {
  JackPlayer player;
  ASSERT_TRUE(player.Open("hdrplay-"));
  MIDIEndpointRef source = 0;
  ASSERT_TRUE(WaitUntil(10, [&] { return (source = midi_test::FindSource(player.SourceName())) != 0; }));
  SetMidiInput(0, GetEndpointUniqueID(source));
  DisconnectMidiSources();
  ASSERT_EQ(noErr, ConnectMidiSources());
  ASSERT_TRUE(WaitUntil(3, [&] { return player.Connected(SequencerJackClientName()); }));
  if (!gMidiInputs) CreateDefaultInputProcessor();
  const uint16_t savedFlags = gMidiInputFlags;
  gMidiInputFlags = uint16_t(gMidiInputFlags | 0x00BF);  // notes among the recorded classes
  MakeSongWithPanes();
  for (int32_t i = 0; i < 2; ++i) GetTrackEntryAt(i)[kTrackModeFlags] &= uint8_t(~kTrackModeArmed);
  ClickColumn(0, 0);
  ClickColumn(1, 0);  // without shift: the first is disarmed again
  const uint8_t second = GetTrackEntryAt(1)[kTrackNumber];
  EXPECT_EQ(second, uint8_t(gCurrentSong[kSongRecordTrack]));

  SetLocatePoint(1);
  RecordCommand();
  ASSERT_TRUE(IsRecordPassRunning());
  auto idle = [](double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      SequencerIdleTaskService();
      RunIdleTask(false);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  idle(0.3);
  for (uint8_t status : {uint8_t(0x90), uint8_t(0x80)}) {
    ASSERT_TRUE(WaitUntil(2, [&] { return player.Send(status, 72, status == 0x90 ? 100 : 0); }));
    ASSERT_TRUE(WaitUntil(2, [&] { return player.Idle(); }));
    idle(0.3);
  }
  StopTransport(false);
  gMidiInputFlags = savedFlags;
  auto hasKey72 = [](int32_t index) {
    Handle list(ReadU32BE(GetTrackEntryAt(index) + kTrackEventList));
    if (!list) return false;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(*list);
    Size size = GetHandleSize(list);
    for (Size at = 0; at + kLongEventSize <= size;) {
      const uint8_t* e = bytes + at;
      uint32_t length = GetSeqEventLength(e);
      if (length == 0) break;
      if (SeqEventKind(e) == kKindNote && e[kEventData1] == 72) return true;
      at += Size(length);
    }
    return false;
  };
  EXPECT_TRUE(hasKey72(1)) << "the armed track did not get the note";
  EXPECT_FALSE(hasKey72(0)) << "the disarmed track got the note";
  SetMidiInput(0, 0);
  player.Close();
}

}  // namespace
