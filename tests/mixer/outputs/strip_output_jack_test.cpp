// A strip whose instrument plays to a JACK MIDI port: its volume and pan changes arrive at a
// JACK client of the test's own as the control changes the curve and the master give, a
// muted strip's volume as 0, and the strip's meter rises while the song plays notes through
// it (and only its own). Skipped when no JACK server runs. The values written into a track
// are checked here too, on a song read from a MIDI file.
#include <gtest/gtest.h>

#include <algorithm>

#include "mixer/meters/instrument_meters.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/output_activity.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/transport/transport_engine.h"
#include "song/conductor/conductor_map.h"
#include "song/events/seq_event.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/sequencer/playback/jack_capture.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> ControlChanges(const std::vector<CapturedMidi>& events) {
  std::vector<Bytes> out;
  for (const CapturedMidi& m : events)
    if (m.size == 3 && (m.bytes[0] & 0xF0) == 0xB0) out.push_back(Bytes(m.bytes, m.bytes + 3));
  return out;
}

// A song of one track with a note every quarter for two bars.
std::vector<uint8_t> NotesFile() {
  std::vector<SmfNote> notes;
  for (uint32_t i = 0; i < 8; ++i) notes.push_back({i * 480, 0, uint8_t(60 + i), 100, 240});
  return MakeSmf(480, {{0, 500000}}, {notes});
}

class StripOnJack : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture.Open("stripcap-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    port = StartSequencerMidiOnJack(capture.Name());
    ASSERT_GE(port, 0) << "the capture port did not appear in the port table";
    ASSERT_TRUE(WaitUntil(3, [&] { return capture.Connected(); }));
    capture.KeepOnlyOurLayer();
    ASSERT_EQ(noErr, CreateInstrumentTable(3, kDeviceKindMidiPort));
    for (int32_t i = 0; i < 3; ++i) {
      uint8_t* r = GetInstrumentRecord(i);
      r[kInstPorts] = uint8_t(port);
      r[kInstChannels] = uint8_t(4 + i);
    }
    SetMasterVolumeFromWindow(127);
    WaitForControlChanges(0, 6);  // the start's values, before any test counts
  }
  void TearDown() override {
    StopSequencerMidi();
    DisposeInstrumentTable();
    gTransportSong = Handle();
    gMidiVolumeFactor = 4096;
    capture.Close();
  }
  std::vector<Bytes> WaitForControlChanges(size_t from, size_t n) {
    WaitUntil(3, [&] { return ControlChanges(capture.Events(from)).size() >= n; });
    return ControlChanges(capture.Events(from));
  }
  JackCapture capture;
  int32_t port = -1;
};

TEST_F(StripOnJack, VolumeAndPanChangesArriveAsTheStripsControllers) {
  size_t from = capture.Count();
  SetStripVolumeAndSend(1, 100);
  SetStripPanAndSend(1, 20);
  SetStripVolumeAndSend(1, 200);  // clamped by the strip's setter
  GetInstrumentRecord(1)[kInstFlags] = 0;
  SetStripVolumeAndSend(1, 90);
  GetInstrumentRecord(1)[kInstFlags] = kInstFlagActive;
  SetMasterVolumeFromWindow(64);  // every strip again, volume shaped by the master level 2064
  std::vector<Bytes> got = WaitForControlChanges(from, 10);
  std::vector<Bytes> expected{{0xB5, 7, 100}, {0xB5, 10, 20}, {0xB5, 7, 127}, {0xB5, 7, 0},
                              {0xB4, 7, 63},  {0xB4, 10, 64}, {0xB5, 7, 45},  {0xB5, 10, 20},
                              {0xB6, 7, 63},  {0xB6, 10, 64}};
  EXPECT_EQ(got, expected);
}

TEST_F(StripOnJack, AStripsMeterRisesWhileTheSongPlaysThroughIt) {
  ASSERT_TRUE(OpenSmfAsSong(NotesFile(), port));
  gCurrentTrack[kTrackFlags] |= kTrackInstrumentTrack;
  gCurrentTrack[kTrackChannelCount] = 1;
  WriteU16BE(gCurrentTrack + kTrackInstruments, 2 << 8);
  ResetInstrumentMeters();
  ClearOutputActivity();
  size_t from = capture.Count();
  Play(1);
  bool rose = WaitUntil(4, [&] {
    InstrumentMeterTimer();
    return GetShownLevel(GetInstrumentRecord(2), 0) > 0;
  });
  auto onStripChannel = [&] {
    std::vector<CapturedMidi> events = capture.Events(from);
    return std::any_of(events.begin(), events.end(), [](const CapturedMidi& m) { return m.size == 3 && m.bytes[0] == 0x96; });
  };
  bool sent = WaitUntil(3, onStripChannel);
  StopTransport(false);
  WaitForPassEnd(1);
  EXPECT_TRUE(rose) << "the meter of the strip the notes play through";
  EXPECT_TRUE(sent) << "the notes go out on the strip's channel";
  EXPECT_EQ(GetShownLevel(GetInstrumentRecord(1), 0), 0) << "a strip that plays nothing";
  EXPECT_EQ(GetShownLevel(GetInstrumentRecord(1), 1), 0);
}

// ---- values written into a track (no server needed)

class StripValuesInTrack : public ::testing::Test {
 protected:
  void SetUp() override {
    gTempoTableResolution = 480;
    ASSERT_EQ(noErr, CreateInstrumentTable(2, kDeviceKindMidiPort));
    ASSERT_TRUE(OpenSmfAsSong(NotesFile(), 0));
    record = GetInstrumentRecord(1);
    record[kInstChannels] = 3;
  }
  void TearDown() override {
    DisposeInstrumentTable();
    gTransportSong = Handle();
  }
  // The controller events of the current track: {tick, status, controller, value}.
  std::vector<std::vector<uint32_t>> Controllers() {
    std::vector<std::vector<uint32_t>> out;
    Handle list = GetCurrentTrackEventList();
    const uint8_t* e = reinterpret_cast<const uint8_t*>(*list);
    const uint8_t* end = e + GetHandleSize(list);
    while (e < end && SeqEventTime(e) != 0) {
      if (SeqEventKind(e) == kKindController) out.push_back({SeqEventTime(e), e[kEventStatus], e[kEventData1], e[kEventData2]});
      e += GetSeqEventLength(e);
    }
    return out;
  }
  uint8_t* record = nullptr;
};

TEST_F(StripValuesInTrack, AValueAtATickReplacesTheSameControllerOrIsInserted) {
  ASSERT_EQ(noErr, WriteInstrumentValueEvent(record, kVolumeThroughTemplate, kInstVolumeAssignment,
                                             kInstVolumeController, 90, 481));
  ASSERT_EQ(noErr, WriteInstrumentValueEvent(record, kVolumeThroughTemplate, kInstVolumeAssignment,
                                             kInstVolumeController, 70, 481));
  ASSERT_EQ(noErr, WriteInstrumentValueEvent(record, kPanThroughTemplate, kInstPanAssignment,
                                             kInstPanController, 30, 481));
  std::vector<std::vector<uint32_t>> expected{{481, 0xB3, 7, 70}, {481, 0xB3, 10, 30}};
  EXPECT_EQ(Controllers(), expected);
  // Another channel's controller at the tick is left alone unless the track has its own channel.
  record[kInstChannels] = 5;
  ASSERT_EQ(noErr, WriteInstrumentValueEvent(record, kVolumeThroughTemplate, kInstVolumeAssignment,
                                             kInstVolumeController, 50, 481));
  EXPECT_EQ(Controllers().size(), 3u);
  gCurrentTrack[kTrackFlags] |= kTrackFlagPlaysInstrument;
  ASSERT_EQ(noErr, WriteInstrumentValueEvent(record, kVolumeThroughTemplate, kInstVolumeAssignment,
                                             kInstVolumeController, 40, 481));
  std::vector<std::vector<uint32_t>> after = Controllers();
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[0][3], 40u) << "the first controller 7 at the tick takes the value";
}

TEST_F(StripValuesInTrack, ATemplateStripWritesItsFilledMessageAsADataEvent) {
  Handle t = NewHandleClear(30 + 6);
  uint8_t* b = reinterpret_cast<uint8_t*>(*t);
  WriteU16BE(b + 10, 6);
  b[15] = 127;
  WriteU32BE(b + 16, 5);
  const uint8_t message[] = {0xF0, 0x7D, 0x01, 0x02, 0x00, 0xF7};
  std::copy(message, message + 6, b + 30);
  WriteU32BE(record + kInstVolumeAssignment, t.id);
  record[kInstMixerFlags] |= kVolumeThroughTemplate;
  ASSERT_EQ(noErr, WriteInstrumentValueEvent(record, kVolumeThroughTemplate, kInstVolumeAssignment,
                                             kInstVolumeController, 99, 961));
  Handle list = GetCurrentTrackEventList();
  const uint8_t* e = reinterpret_cast<const uint8_t*>(*list);
  bool found = false;
  while (SeqEventTime(e) != 0 && !found) {
    if (SeqEventKind(e) == kKindVariable && SeqEventTime(e) == 961) {
      found = true;
      EXPECT_EQ(e[30 + 3], 99) << "the value byte of the stored message (after its F0)";
    }
    e += GetSeqEventLength(e);
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(Controllers().empty());
}

}  // namespace
