#include "sequencer/transport/song_modes.h"

#include <cstdint>

#include "sequencer/clock/transport_clock.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr uint8_t kModeOne = 1;
constexpr uint8_t kModeRecord = 3;
constexpr uint32_t kClockTakesStepInput = 1u << 30;

uint8_t CurrentSongMode() { return gCurrentSong ? SongHeaderView(gCurrentSong).SongMode() : 0; }

}  // namespace

bool IsSongModeOne() { return CurrentSongMode() == kModeOne; }

bool DoesSongAllowStepInput() {
  uint8_t mode = CurrentSongMode();
  if (mode == kModeOne) return true;
  return mode == kModeRecord && (gTransportClock.flags.load() & kClockTakesStepInput) != 0;
}
