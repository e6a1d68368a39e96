// Controllers that reach an instrument through the controller lookup tables drive its mixer
// volume and pan; controller 7 goes out scaled by the master level; the conductor's master
// volume re-sends the volumes that changed.
#include <array>

#include "platform/memory/byte_order.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/volume_controllers.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/song_layout.h"
#include "tests/sequencer/clock/clock_fixture.h"

namespace {

constexpr uint8_t kPort = 3;

class VolumeTest : public ClockTest {
 protected:
  void SetUp() override {
    ClockTest::SetUp();
    ASSERT_EQ(noErr, CreateInstrumentTable(2, kDeviceKindMidiPort));
    uint8_t* first = GetInstrumentRecord(0);  // channel 1, volume on 7, pan on 10
    WriteU32BE(first + kInstDriverProcs, kRecorderProc);
    first[kInstPorts] = kPort;
    RebuildInstrumentState();
  }
  void TearDown() override {
    DisposeInstrumentTable();
    RebuildInstrumentState();
    gMidiVolumeFactor = 4096;
    gControllersDriveMixer = 1;
    ResendInstrumentVolumes(false);
    ClockTest::TearDown();
  }
  // Plays controller events of a plain track on a MIDI port output.
  void PlayControllers(const std::vector<TestEvent>& events) {
    TestTrack track;
    track.events = events;
    track.output = kPort;
    Handle song = MakeSong({track}, {});
    reinterpret_cast<uint8_t*>(*song)[kSongHeaderSize + kTrackType] = kDeviceKindMidiPort;
    gSent.clear();
    Play(song, 60);
  }
  std::vector<std::array<uint8_t, 3>> Sent() const {
    std::vector<std::array<uint8_t, 3>> out;
    for (const SentMessage& m : gSent) out.push_back({m.status, m.data1, m.data2});
    return out;
  }
};

using Messages = std::vector<std::array<uint8_t, 3>>;

TEST_F(VolumeTest, ControllersOfAnInstrumentDriveItsMixerAndVolumeIsMasterScaled) {
  gMidiVolumeFactor = 2048;
  PlayControllers({{10, 0xB0, 7, 100, 0}, {20, 0xB0, 10, 20, 0}, {30, 0xB0, 1, 5, 0}, {40, 0xB5, 7, 90, 0}});
  // Channel 6 reaches no instrument: only scaled. Channel 1's volume and pan are taken too.
  EXPECT_EQ(Sent(), (Messages{{0xB0, 7, 50}, {0xB0, 10, 20}, {0xB0, 1, 5}, {0xB5, 7, 45}}));
  const uint8_t* first = GetInstrumentRecord(0);
  EXPECT_EQ(GetInstrumentVolume(first), 100);
  EXPECT_EQ(first[kInstPan], 20);
  EXPECT_TRUE(IsInstrumentVolumeChanged(0));
  EXPECT_FALSE(IsInstrumentVolumeChanged(1));

  // The resend sends each changed volume once.
  gSent.clear();
  EXPECT_EQ(1, ResendInstrumentVolumes(true));
  EXPECT_EQ(0, ResendInstrumentVolumes(true));
  EXPECT_EQ(Sent(), (Messages{{0xB0, 7, 50}}));

  // With the option off, an instrument's controllers are not sent at all.
  gControllersDriveMixer = 0;
  RemoveClockTimer();
  PlayControllers({{10, 0xB0, 7, 30, 0}, {20, 0xB5, 7, 30, 0}});
  EXPECT_EQ(Sent(), (Messages{{0xB5, 7, 15}}));
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(0)), 100);
}

TEST_F(VolumeTest, ConductorMasterVolumeResendsEveryMidiVolumeOnlyWhenItChanges) {
  SetInstrumentVolume(GetInstrumentRecord(0), 100);
  ApplyConductorVolume(127, 1);
  gSent.clear();
  ApplyConductorVolume(64, 1);
  EXPECT_EQ(gMidiVolumeFactor, 64 * 4096 / 127);
  EXPECT_EQ(Sent(), (Messages{{0xB0, 7, uint8_t(100 * (64 * 4096 / 127) / 4096)}}));
  gSent.clear();
  ApplyConductorVolume(64, 1);  // no change: nothing sent
  EXPECT_TRUE(gSent.empty());
}

TEST(PanGains, CentreKeepsBothAndTheFarSideFallsToZero) {
  struct Case {
    int32_t gain, pan, left, right;
  } cases[] = {{32768, 64, 32768, 32768}, {32768, 127, 0, 32768}, {32768, 0, 32768, 0}, {1000, 96, 492, 1000},
               {1000, 32, 1000, 500}};
  for (const Case& c : cases) {
    int32_t left = -1, right = -1;
    PanGains(c.gain, c.pan, &left, &right);
    EXPECT_EQ(left, c.left) << c.pan;
    EXPECT_EQ(right, c.right) << c.pan;
  }
}

}  // namespace
