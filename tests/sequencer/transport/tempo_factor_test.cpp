// The tempo factor the info panel sets: the factor that shows a tempo from the transport's base
// tempo, stored in the song and the transport; stepping it until the shown tempo moves, also
// where the base tempo cannot reach the target (the factor would pass 65535 and wrap).
#include <gtest/gtest.h>

#include "platform/memory/byte_order.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/tempo_factor.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

class TempoFactor : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    song = MakeSong({}, {});
    savedSong = gCurrentSong;
    gCurrentSong = reinterpret_cast<uint8_t*>(*song);
  }
  void TearDown() override {
    gCurrentSong = savedSong;
    gClockTempo = 1100;
    gClockTempoFactor = kUnityTempoFactor;
    TransportTest::TearDown();
  }
  uint16_t SongFactor() const { return ReadU16BE(gCurrentSong + kSongTempoFactor); }
  Handle song;
  uint8_t* savedSong = nullptr;
};

TEST_F(TempoFactor, TheFactorMakesTheBaseTempoShowAsTheTempoAsked) {
  struct Case {
    uint16_t base;
    int32_t tempo;
    uint16_t factor;
    int32_t shown;
  };
  const Case cases[] = {
      {1200, 600, 1024, 600},    // 50 %
      {1200, 1200, 2048, 1200},  // 100 %
      {1200, 3000, 5120, 3000},
      {1100, 1200, 2234, 1200},  // rounded to the nearest factor
      {1337, 4500, 6893, 4500},
      {120, 4500, 65535, 3840},  // 76800 would wrap: the factor stops at its top
      {4500, 120, 55, 121},
      {1200, 0, 1, 120},         // never 0, which would mean "the transport's factor"
      {0, 1200, 2048, 120},      // no base tempo: 100 %
  };
  for (const Case& c : cases) {
    gClockTempo = c.base;
    uint16_t factor = FactorForTempo(c.tempo);
    EXPECT_EQ(c.factor, factor) << c.base << " -> " << c.tempo;
    EXPECT_EQ(uint32_t(c.tempo), gConductorState.tempo);
    SetTempoFactor(factor);
    EXPECT_EQ(c.shown, GetScaledTempo()) << c.base << " -> " << c.tempo;
  }
}

TEST_F(TempoFactor, TheFactorIsKeptInTheSongAndInTheTransport) {
  SetTempoFactor(3000);
  EXPECT_EQ(3000, SongFactor());
  EXPECT_EQ(3000, gTransportClock.tempoScale);
  gCurrentSong = nullptr;
  SetTempoFactor(1500);  // without a song only the transport takes it
  EXPECT_EQ(1500, gTransportClock.tempoScale);
}

// Each case: the base tempo, the factor to start from, the target and the step; the factor
// and the tempo shown where stepping ends. Out of reach, stepping stops at the factor's
// bound instead of wrapping round and running for ever.
TEST_F(TempoFactor, SteppingEndsAtTheTargetOrAtTheFactorsBound) {
  struct Case {
    uint16_t base, from;
    int32_t target, step;
    uint16_t factor;
    int32_t shown;
  };
  const Case cases[] = {
      {1200, 2048, 1201, 1, 2049, 1201},
      {1200, 2048, 1199, -1, 2047, 1199},
      {1200, 2048, 1300, 1, 2218, 1300},
      {3000, 2048, 3001, 1, 2049, 3001},
      {120, 65000, 4000, 1, 65535, 3840},   // 12.0 bpm reaches 384.0 at most
      {120, 65535, 3841, 1, 65535, 3840},   // at the top already
      {600, 1, 119, -1, 1, 120},            // nothing below the bottom
      {1200, 2048, 1200, 1, 2048, 1200},    // reached: no step
  };
  for (const Case& c : cases) {
    gClockTempo = c.base;
    SetTempoFactor(c.from);
    uint16_t factor = StepTempoFactorTo(c.target, c.step);
    EXPECT_EQ(c.factor, factor) << c.base << " from " << c.from << " to " << c.target;
    EXPECT_EQ(c.factor, gClockTempoFactor);
    EXPECT_EQ(c.factor, SongFactor()) << "stored at every step";
    EXPECT_EQ(c.shown, GetScaledTempo()) << c.base << " from " << c.from << " to " << c.target;
  }
}

TEST_F(TempoFactor, OnlyTheInternalClockLeavesTheTempoToTheDisplay) {
  const int16_t sources[] = {kSyncSourceInternal, kSyncSourceAudioClock, kSyncSourceTimeCode, kSyncSourceMidiClock,
                             kSyncSourceMachineControl, kSyncSourceMovie, kSyncSourceSampleClock};
  for (int16_t s : sources) {
    SetSyncSource(s);
    EXPECT_EQ(s >= kSyncSourceTimeCode, IsFollowingExternalTempo()) << s;
  }
  SetSyncSource(kSyncSourceInternal);
}

}  // namespace
