// The idle timer's rate: 0.1 s when nothing moves; 1/30 s in section mode, with tracks armed,
// or while the audio engine plays with the track or instrument window shown; half that while
// video is captured; back to 0.1 s in the background. The timer procedure installs the rate.
// And the idle pass, run by the timer on the program's event loop, stops a song at its end.
#include "audio/engine/engine_play_state.h"
#include "media/background_jobs.h"
#include "platform/events/apple_events.h"
#include "platform/memory/byte_order.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/app_entry.h"
#include "shell/app/idle_tasks.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "editors/editor_idle.h"
#include "sequencer/midi/processor_routing.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/instrument_record.h"
#include "song/prefs/startup_settings.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

using IdleTimerTest = AppTest;

struct RateCase {
  const char* what;
  uint8_t sectionMode, armed;
  uint16_t playState;
  bool trackWindowShown;
  uint32_t capture;
  uint16_t background;
  EventTimerInterval interval;
};

// The idle pass prepares the outputs of the real-time processors only while real-time
// processing is on, and only for switched-on processors that have a device kind.
TEST(NodeOutputs, OnlySwitchedOnProcessorsWithAKindArePrepared) {
  struct Row {
    uint8_t settings;
    uint16_t flags;
    uint8_t kind;
    uint8_t prepared;
  } rows[] = {{1, 0, kDeviceKindPlugin, 1},
              {0, 0, kDeviceKindPlugin, 0},
              {1, kProcessorSwitchedOff, kDeviceKindPlugin, 0},
              {1, 0, 0, 0}};
  RealtimeProcessor* savedChain = gMidiInputs;
  uint8_t savedSettings = gRealtimeProcessorSettings;
  for (const Row& row : rows) {
    RealtimeProcessor first, second;
    first.next = &second;
    second.flags = row.flags;
    second.deviceKind = row.kind;
    gMidiInputs = &first;
    gRealtimeProcessorSettings = row.settings;
    gClickOutputPrepared = 0;
    PrepareNodeOutputs();
    EXPECT_EQ(row.prepared, gClickOutputPrepared) << int(row.settings) << " " << row.flags << " " << int(row.kind);
  }
  gMidiInputs = savedChain;
  gRealtimeProcessorSettings = savedSettings;
  gClickOutputPrepared = 0;
}

TEST_F(IdleTimerTest, TheRateFollowsPlayRecordSectionModeCaptureAndTheBackground) {
  StartUpApplication(40);
  WindowRef trackWindow = GetAppWindowRef(GetWindowForKind(kTrackWindowKind));
  ASSERT_TRUE(trackWindow && IsWindowVisible(trackWindow));
  ASSERT_FALSE(IsAppWindowVisible(GetWindowForKind(kInstrumentWindowKindId)));
  ASSERT_NE(gCurrentSong, nullptr);
  const RateCase cases[] = {
      {"stopped", 0, 0, 0, true, 0, 0, kIdleSlowInterval},
      {"playing, track window shown", 0, 0, 2, true, 0, 0, kIdlePlayInterval},
      {"playing while capturing", 0, 0, 2, true, 1, 0, kIdlePlayInterval / 2},
      {"playing in the background", 0, 0, 2, true, 1, 1, kIdleSlowInterval},
      {"playing, no play window shown", 0, 0, 2, false, 0, 0, kIdleSlowInterval},
      {"tracks armed", 0, 1, 0, false, 0, 0, kIdlePlayInterval},
      {"section mode", 1, 0, 0, false, 0, 0, kIdlePlayInterval},
      {"stopped again", 0, 0, 0, true, 0, 0, kIdleSlowInterval},
  };
  for (const RateCase& c : cases) {
    SCOPED_TRACE(c.what);
    gSectionMode = c.sectionMode;
    gCurrentSong[kSongArmedCount] = c.armed;
    gAudioEnginePlayState = c.playState;
    ShowHide(trackWindow, c.trackWindowShown);
    gSequenceGrabber = c.capture;
    gAppState[3] = c.background;
    RunIdleTimer(gIdleTimer.timer, &gIdleTimer);
    EXPECT_DOUBLE_EQ(c.interval, gIdleTimer.interval);
  }
  QuitApplication(0);
}

// The loop ends once the pass has ended (the idle pass serves the quit flag).
void QuitWhenThePassEnded(EventLoopTimerRef, void*) {
  if (!gTransportRunning) gQuitFlag = 1;
}

TEST_F(IdleTimerTest, ASongPlayedToItsEndStopsThereAsTheProgramRuns) {
  StartUpApplication(40);
  ASSERT_EQ(noErr, PostOpenDocumentsEventForPaths({zarin_test::FixturePath("smf/tempo_track_notes.mid")}));
  PostQuitAppleEvent();
  ASSERT_TRUE(RunUntilQuit());
  ASSERT_NE(gCurrentSong, nullptr);
  const uint32_t end = ReadU32BE(gCurrentSong + kSongEndTick);
  gQuitFlag = 0;
  gTransportSong = Handle();
  Play(1);
  ASSERT_TRUE(IsClockTaskPlaying());
  EventLoopTimerRef watch = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.05, 0.05, QuitWhenThePassEnded, nullptr, &watch);
  bool ended = RunUntilQuit(15);
  RemoveEventLoopTimer(watch);
  EXPECT_TRUE(ended) << "the pass did not end at the song's end";
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(0, IdleTaskDepth());
  EXPECT_GE(gTransportClock.songTick.load() + 1, end) << "stopped before the end";
  StopTransport(false);
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
