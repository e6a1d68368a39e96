// Chase at a locate: the latest state per controller and program is sent, in time order.
#include "sequencer/midi_chase.h"
#include "sequencer/midi_output.h"
#include "sequencer/tick_scheduler.h"
#include "tests/sequencer/midi/midi_fixture.h"

namespace {

class ChaseTest : public MidiTest {
 protected:
  void TearDown() override {
    gChaseFilter = kChaseFilterDefault;
    ResetChase();
    MidiTest::TearDown();
  }
  std::vector<std::vector<uint8_t>> ChaseAndSend(const std::vector<TestEvent>& events, uint32_t tick) {
    TestTrack track;
    track.events = events;
    Handle song = MakeSong({track}, {});
    RouteSongTracks(song, kCaptureProc, 2);
    ChaseSong(song, tick);
    gCaptured.clear();
    SendSetupData(0);
    std::vector<std::vector<uint8_t>> out;
    for (const Captured& c : gCaptured) {
      EXPECT_EQ(c.port, 2);
      out.push_back(c.bytes);
    }
    return out;
  }
};

using Bytes = std::vector<std::vector<uint8_t>>;

TEST_F(ChaseTest, LatestControllersAndProgramBeforeTheStartPoint) {
  Bytes sent = ChaseAndSend({{10, 0xB1, 7, 50, 0},
                             {20, 0xC1, 4, 0x80, 0},
                             {30, 0xB1, 7, 90, 0},
                             {40, 0x91, 60, 100, 10},
                             {50, 0xB1, 10, 30, 0},
                             {60, 0xE1, 0, 70, 0},
                             {80, 0xC1, 9, 0x80, 0},
                             {200, 0xB1, 7, 20, 0}},
                            100);
  // Program (two bytes) at 80 replaces 4; volume 90 replaces 50; nothing after tick 100.
  EXPECT_EQ(sent, (Bytes{{0xB1, 7, 90}, {0xB1, 10, 30}, {0xE1, 0, 70}, {0xC1, 9}}));
}

TEST_F(ChaseTest, ANoteAtTheStartStopsTheScanButAControllerThereCounts) {
  Bytes sent = ChaseAndSend({{100, 0xB0, 1, 5, 0}, {100, 0x90, 60, 100, 10}, {100, 0xB0, 2, 6, 0}}, 100);
  EXPECT_EQ(sent, (Bytes{{0xB0, 1, 5}}));
}

TEST_F(ChaseTest, ParameterNumbersKeepTheirOrderAndEveryProgramOnRequest) {
  gChaseFilter = kChaseFilterDefault | 0x8000 | 0x0002;
  Bytes sent = ChaseAndSend({{10, 0xB0, 98, 1, 0},
                             {20, 0xB0, 6, 64, 0},
                             {30, 0xB0, 98, 2, 0},
                             {35, 0xB0, 6, 65, 0},
                             {40, 0xC0, 3, 0x80, 0},
                             {50, 0xC0, 4, 0x80, 0}},
                            100);
  EXPECT_EQ(sent, (Bytes{{0xB0, 98, 1}, {0xB0, 98, 2}, {0xB0, 6, 65}, {0xC0, 3}, {0xC0, 4}}));
}

TEST_F(ChaseTest, AtALocateTheControllersReachTheDestination) {
  int32_t port = MakeDestination("Chase");
  TestTrack track;
  track.events = {{10, 0xB4, 7, 100, 0}, {20, 0xB4, 64, 127, 0}, {30, 0x94, 60, 90, 400}};
  Handle song = MakeSong({track}, {});
  RouteSongTracks(song, kMidiPortDriverProc, uint8_t(port));
  ChaseSong(song, 300);
  EXPECT_EQ(SendSetupData(0), 2);
  std::vector<Received> got = WaitForReceived(2);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].bytes, (std::vector<uint8_t>{0xB4, 7, 100}));
  EXPECT_EQ(got[1].bytes, (std::vector<uint8_t>{0xB4, 64, 127}));
  EXPECT_EQ(CountSetupLists(), 0);
}

}  // namespace
