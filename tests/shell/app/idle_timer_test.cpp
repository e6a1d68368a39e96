// The idle timer's rate: 0.1 s when nothing moves; 1/30 s in section mode, with tracks armed,
// or while the audio engine plays with the track or instrument window shown; half that while
// video is captured; back to 0.1 s in the background. The timer procedure installs the rate.
#include "audio/engine/engine_play_state.h"
#include "media/background_jobs.h"
#include "platform/windows/windows.h"
#include "shell/app/idle_tasks.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
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

}  // namespace
}  // namespace app_test
