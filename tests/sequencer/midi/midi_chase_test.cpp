// Chase at a locate: the latest state per controller and program is sent, in time order.
#include "platform/memory/byte_order.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/midi_chase.h"
#include "sequencer/midi/midi_output.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
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

TEST_F(ChaseTest, NoteOffRecordsAreSteppedOverWhole) {
  Bytes sent = ChaseAndSend({{10, 0xB1, 7, 50, 0}, {15, 0x81, 60, 0, 0}, {20, 0xB1, 7, 60, 0}}, 100);
  EXPECT_EQ(sent, (Bytes{{0xB1, 7, 60}}));
}

// A controller, a data record whose stored length is given, a controller, the end record.
std::vector<uint8_t> ListWithDataRecord(uint32_t storedLength) {
  std::vector<uint8_t> list(8 + 38 + 8 + kEndRecordSize, 0);
  FillShortEvent(list.data(), 10, 0xB0, 7, 50);
  FillVariableEvent(list.data() + 8, 20, 38);
  WriteU32BE(list.data() + 8 + kEventVariableLength, storedLength);
  FillShortEvent(list.data() + 46, 30, 0xB0, 7, 60);
  return list;
}

TEST(EventWalks, ADamagedRecordStopsTheWalkThere) {
  struct Case {
    uint32_t storedLength;
    size_t stopsAt;
  };
  // Too short for a data record's header and trailer, zero, or past the list: the walk stops
  // at the record. A whole record is stepped over.
  const Case cases[] = {{0, 8}, {14, 8}, {36, 8}, {4000, 8}, {38, 54}};
  for (const Case& c : cases) {
    std::vector<uint8_t> list = ListWithDataRecord(c.storedLength);
    uint8_t* start = list.data();
    uint32_t size = uint32_t(list.size());
    EXPECT_EQ(SeekEventListWithin(start, size, 100) - start, ptrdiff_t(c.stopsAt)) << c.storedLength;
    EXPECT_EQ(ChaseTrackEvents(start, size, 100) - start, ptrdiff_t(c.stopsAt)) << c.storedLength;
    EXPECT_EQ(EventStepWithin(start + 8, size - 8), c.stopsAt == 8 ? 0u : 38u) << c.storedLength;
    if (c.storedLength <= 38) {
      EXPECT_EQ(SeekEventList(start, 100) - start, ptrdiff_t(c.stopsAt)) << c.storedLength;
    }
  }
  // A list that ends without an end record is walked to its last byte, never past it.
  std::vector<uint8_t> list = ListWithDataRecord(38);
  EXPECT_EQ(SeekEventListWithin(list.data(), 54, 100) - list.data(), 54);
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
