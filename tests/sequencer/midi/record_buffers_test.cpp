// Recording into a processor's record buffer: note pairing, short events, the byte-stream
// parser, system-exclusive blocks handed over from the MIDI thread, full buffers and the
// pump's punch in and out.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/record_buffers.h"
#include "sequencer/midi/record_start_hooks.h"
#include "sequencer/transport/count_in.h"
#include "sequencer/transport/playback_control.h"
#include "song/conductor/conductor_map.h"
#include "sequencer/transport/transport_engine.h"
#include "song/events/data_events.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint16_t kAllClasses = 0x00BF;

struct RecordTest : ::testing::Test {
  void SetUp() override {
    p = std::make_unique<RealtimeProcessor>();
    StateOf(p.get())->outputChannel = 16;
    ASSERT_EQ(noErr, PrepareRecordBuffer(p.get(), 4096));
    savedFlags = gMidiInputFlags;
    savedPrefs = gMidiPrefs;
    gMidiInputFlags = kAllClasses;
    gMidiPrefs = 0;
    gCycleMode = 0;
    gRecordStartTick = 0;
    gRecordEndTick = 0xFFFFFFFF;
  }
  void TearDown() override {
    PrepareRecordBuffer(p.get(), 0);
    gMidiInputFlags = savedFlags;
    gMidiPrefs = savedPrefs;
    gCycleMode = 0;
  }
  int32_t Put(uint32_t tick, uint8_t status, uint8_t d1, uint8_t d2) {
    return RecordInputMessage(p.get(), RingMessage{tick, status, d1, d2, 0, 0, 0}, true);
  }
  // The records between the buffer's start and its write pointer.
  std::vector<const uint8_t*> Records() {
    std::vector<const uint8_t*> out;
    const uint8_t* base = RecordBufferBytes(p.get());
    for (uint32_t at = p->record.start; at < p->record.write;) {
      uint32_t n = SeqEventLengthWithin(base + at, p->record.write - at);
      if (n == 0) break;
      out.push_back(base + at);
      at += n;
    }
    return out;
  }
  std::unique_ptr<RealtimeProcessor> p;
  uint16_t savedFlags = 0, savedPrefs = 0;
};

struct NoteRow {
  const char* name;
  uint8_t cycle;
  uint16_t prefs;
  std::vector<RingMessage> in;
  // Expected records: {tick, status, key, velocity, release, duration}.
  std::vector<std::vector<uint32_t>> out;
};

TEST_F(RecordTest, NotesArePairedFromTheirOnAndOff) {
  gCycleStartPoint.tick = 1000;
  gCycleStopPoint.tick = 2000;
  const NoteRow rows[] = {
      {"plain", 0, 0, {{100, 0x91, 60, 90}, {580, 0x81, 60, 40}}, {{100, 0x91, 60, 90, 40, 480}}},
      {"velocity 0 ends it", 0, 0, {{100, 0x90, 60, 90}, {101, 0x90, 60, 0}}, {{100, 0x90, 60, 90, 0, 1}}},
      {"across the cycle end", 1, 0, {{1900, 0x90, 62, 80}, {1100, 0x80, 62, 0}}, {{1900, 0x90, 62, 80, 0, 200}}},
      {"back without the cycle", 0, 0, {{1900, 0x90, 62, 80}, {1100, 0x80, 62, 0}}, {{1900, 0x90, 62, 80, 0, 100}}},
      {"70000 ticks", 0, 0, {{10, 0x90, 64, 100}, {70010, 0x80, 64, 33}},
       {{10, 0x90, 64, 100, 33, 0}, {70010, 0x90, 64, 0, 33, 1}}},
      {"two ons: the newer ends", 0, 0, {{10, 0x90, 60, 50}, {20, 0x90, 60, 70}, {30, 0x80, 60, 0}},
       {{10, 0x60, 60, 50, 0, 0}, {20, 0x90, 60, 70, 0, 10}}},
      {"two ons: the older ends", 0, 2, {{10, 0x90, 60, 50}, {20, 0x90, 60, 70}, {30, 0x80, 60, 0}},
       {{10, 0x90, 60, 50, 0, 20}, {20, 0x60, 60, 70, 0, 0}}},
      {"other channel stays open", 0, 0, {{10, 0x90, 60, 50}, {30, 0x81, 60, 0}},
       {{10, 0x60, 60, 50, 0, 0}, {30, 0x81, 60, 0, 0, 1}}},
  };
  for (const NoteRow& row : rows) {
    ResetRecordBuffer(p.get());
    gCycleMode = row.cycle;
    gMidiPrefs = row.prefs;
    for (const RingMessage& m : row.in) EXPECT_EQ(1, RecordInputMessage(p.get(), m, true)) << row.name;
    std::vector<const uint8_t*> got = Records();
    ASSERT_EQ(row.out.size(), got.size()) << row.name;
    for (size_t i = 0; i < got.size(); ++i) {
      const uint8_t* e = got[i];
      const std::vector<uint32_t>& want = row.out[i];
      EXPECT_EQ(want[0], SeqEventTime(e)) << row.name << " " << i;
      EXPECT_EQ(want[1], e[kEventStatus]) << row.name << " " << i;
      if ((want[1] & 0xF0) == kKindOpenNote) {
        EXPECT_EQ(want[2], e[kOpenNoteKey]) << row.name << " " << i;
        EXPECT_EQ(want[3], e[kOpenNoteVelocity]) << row.name << " " << i;
        continue;
      }
      EXPECT_EQ(want[2], e[kEventData1]) << row.name << " " << i;
      EXPECT_EQ(want[3], e[kEventData2]) << row.name << " " << i;
      EXPECT_EQ(want[4], e[kEventData3]) << row.name << " " << i;
      EXPECT_EQ(kLongMarker, e[kEventKindMarker]) << row.name << " " << i;
      EXPECT_EQ(want[5], GetNoteDuration(e)) << row.name << " " << i;
    }
  }
}

TEST_F(RecordTest, ARescanFindsTheOpenNotesAgain) {
  Put(10, 0x90, 60, 50);
  Put(20, 0xB0, 7, 100);
  Put(30, 0x90, 62, 60);
  p->record.openNotes = 0;
  p->record.rescan = 1;
  Put(40, 0x80, 60, 0);
  std::vector<const uint8_t*> got = Records();
  ASSERT_EQ(3u, got.size());
  EXPECT_EQ(0x90, got[0][kEventStatus]);
  EXPECT_EQ(30, GetNoteDuration(got[0]));
  EXPECT_EQ(kKindOpenNote, got[2][kEventStatus]);
}

TEST_F(RecordTest, ShortEventsFollowTheFilterAndMarkOneByteMessages) {
  gMidiInputFlags = kRecordPrograms | kRecordChannelPressure | kRecordModulation | kRecordPitchBend;
  Put(1, 0xC3, 7, kOneDataByte);
  Put(2, 0xD3, 40, kOneDataByte);
  Put(3, 0xB0, 1, 64);   // modulation: its own bit
  Put(4, 0xB0, 7, 100);  // other controllers: off
  Put(5, 0x90, 60, 100); // notes: off
  Put(6, 0xE0, 0, 64);
  Put(7, 0xF8, 0, 0);
  std::vector<const uint8_t*> got = Records();
  ASSERT_EQ(4u, got.size());
  const uint8_t want[4][3] = {{0xC3, 7, 0x80}, {0xD3, 40, 0x80}, {0xB0, 1, 64}, {0xE0, 0, 64}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(want[i][0], got[i][kEventStatus]) << i;
    EXPECT_EQ(want[i][1], got[i][kEventData1]) << i;
    EXPECT_EQ(want[i][2], got[i][kEventData2]) << i;
  }
  EXPECT_EQ(4u * kShortEventSize, p->record.write);
}

TEST_F(RecordTest, RechannelledInputAndTheFirstEventStart) {
  StateOf(p.get())->flags = kProcessorRechannel;
  StateOf(p.get())->outputChannel = 5;
  gMidiInputFlags |= kRecordWaitFirstEvent;
  Put(300, 0xB2, 7, 1);
  EXPECT_EQ(0xB5, Records()[0][kEventStatus]);
  EXPECT_EQ(299u, gRecordStartTick.load());
  EXPECT_FALSE(gMidiInputFlags & kRecordWaitFirstEvent);
  EXPECT_TRUE(gMidiInputFlags & kRecordMadeEvent);
}

// The buffer's end is before the handle's: what lies behind it must never change.
TEST_F(RecordTest, AFullBufferIsNeverOverrun) {
  p->record.end = 20;
  EXPECT_EQ(1, Put(1, 0xB0, 7, 1));
  EXPECT_EQ(1, Put(2, 0xB0, 7, 2));
  EXPECT_EQ(0, Put(3, 0x90, 60, 100)) << "14 bytes with 4 left";
  EXPECT_EQ(16u, p->record.write);
  EXPECT_TRUE(TakeProcessorErrors(p.get()) & kProcessorErrorRecordFull);
  p->record.end = 24;
  EXPECT_EQ(0, Put(4, 0xB0, 7, 3)) << "fits exactly: written, and the buffer is full";
  EXPECT_EQ(0, Put(5, 0xB0, 7, 4));
  EXPECT_EQ(24u, p->record.write);
  const uint8_t* base = RecordBufferBytes(p.get());
  for (uint32_t i = 24; i < 4096; ++i) ASSERT_EQ(0, base[i]) << i;
}

struct ParseRow {
  const char* name;
  std::vector<uint8_t> bytes;
  std::vector<std::vector<uint32_t>> out;  // {status, data 1, data 2, length}
};

TEST_F(RecordTest, TheByteParserKeepsRunningStatus) {
  const ParseRow rows[] = {
      {"running notes", {0x90, 60, 100, 62, 90, 60, 0, 62, 0}, {{0x90, 60, 100, 14}, {0x90, 62, 90, 14}}},
      {"program change", {0xC5, 7, 9}, {{0xC5, 7, 0x80, 8}, {0xC5, 9, 0x80, 8}}},
      {"data before a status", {5, 6, 0xB1, 7, 99}, {{0xB1, 7, 99, 8}}},
      {"real time inside", {0xB1, 0xF8, 7, 0xFE, 99}, {{0xB1, 7, 99, 8}}},
      {"filtered controller keeps the status", {0xB0, 7, 1, 1, 50}, {{0xB0, 1, 50, 8}}},
      {"system common ends running status", {0xB0, 1, 5, 0xF3, 2, 1, 6}, {{0xB0, 1, 5, 8}}},
  };
  for (const ParseRow& row : rows) {
    ResetRecordBuffer(p.get());
    gMidiInputFlags = row.name[0] == 'f' ? kRecordModulation : kAllClasses;
    for (uint8_t b : row.bytes) EXPECT_EQ(0, ParseMidiByte(p.get(), b, 77)) << row.name;
    std::vector<const uint8_t*> got = Records();
    ASSERT_EQ(row.out.size(), got.size()) << row.name;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(row.out[i][0], got[i][kEventStatus]) << row.name << i;
      EXPECT_EQ(row.out[i][1], got[i][kEventData1]) << row.name << i;
      EXPECT_EQ(row.out[i][2], got[i][kEventData2]) << row.name << i;
      EXPECT_EQ(row.out[i][3], GetSeqEventLength(got[i])) << row.name << i;
    }
  }
}

TEST_F(RecordTest, ParsedSysExIsPaddedToAnEvenLength) {
  struct Row { std::vector<uint8_t> message; uint32_t count, total; };
  const Row rows[] = {{{0xF0, 1, 2, 3, 4, 5, 0xF7}, 6, 44}, {{0xF0, 1, 2, 3, 4, 0xF7}, 5, 44}};
  gMidiInputFlags |= kInputRecordSysEx;
  for (const Row& row : rows) {
    ResetRecordBuffer(p.get());
    for (uint8_t b : row.message) ASSERT_EQ(0, ParseMidiByte(p.get(), b, 50));
    ParseMidiByte(p.get(), 0x90, 51);  // the next status ends the block
    const uint8_t* e = RecordBufferBytes(p.get());
    ASSERT_EQ(kKindVariable, e[kEventStatus]) << row.count;
    EXPECT_EQ(50u, SeqEventTime(e));
    EXPECT_EQ(row.total, ReadU32BE(e + kEventVariableLength)) << row.count;
    EXPECT_EQ(row.count, GetDataEventLength(e)) << row.count;
    EXPECT_EQ(0, std::memcmp(e + kDataEventName, "\x05SysEx", 6));
    EXPECT_EQ(0, std::memcmp(e + kDataEventData, row.message.data() + 1, row.message.size() - 1));
    EXPECT_EQ(0xF7, e[kDataEventData + row.total - kDataEventOverhead - 1]) << "pad";
    EXPECT_EQ(row.total, ReadU32BE(e + row.total - kEventVariableTrailer));
    EXPECT_EQ(kVariableMarker, e[row.total - 3]);
    EXPECT_EQ(row.total, p->record.write) << row.count;
  }
}

TEST_F(RecordTest, AParsedBlockThatDoesNotFitIsCutOff) {
  gMidiInputFlags |= kInputRecordSysEx;
  ParseMidiByte(p.get(), 0xB0, 1);
  ParseMidiByte(p.get(), 7, 1);
  ParseMidiByte(p.get(), 9, 1);
  p->record.end = 8 + 60;
  ParseMidiByte(p.get(), 0xF0, 2);
  int32_t full = 0;
  for (int i = 0; i < 40 && !full; ++i) full = ParseMidiByte(p.get(), uint8_t(i), 2);
  EXPECT_EQ(1, full);
  EXPECT_EQ(8u, p->record.write);
  EXPECT_EQ(kNoSysExBlock, p->record.openSysEx);
}

// The MIDI thread queues blocks while the main thread writes them into the buffer.
TEST_F(RecordTest, SysExBlocksCrossFromTheMidiThreadWhole) {
  constexpr int kBlocks = 200;
  ASSERT_EQ(noErr, PrepareRecordBuffer(p.get(), 200000));
  std::thread midi([&] {
    for (int b = 0; b < kBlocks; ++b) {
      uint32_t n = 1 + uint32_t(b * 7 % 300);
      for (uint32_t i = 0; i + 1 < n; ++i) p->sysex[i] = uint8_t((b + i) & 0x7F);
      p->sysex[n - 1] = 0xF7;
      p->sysexLength = n;
      p->sysexTick = uint32_t(1000 + b);
      while (p->sysexBlocks.Count() > kSysExPieceQueueSize - 8) std::this_thread::yield();
      AppendSysExRecord(p.get(), p->sysex);
      EXPECT_EQ(0u, p->sysexLength);
    }
  });
  int32_t written = 0;
  while (written < kBlocks) written += TakeQueuedSysExBlocks(p.get());
  midi.join();
  std::vector<const uint8_t*> got = Records();
  ASSERT_EQ(size_t(kBlocks), got.size());
  for (int b = 0; b < kBlocks; ++b) {
    const uint8_t* e = got[size_t(b)];
    uint32_t n = 1 + uint32_t(b * 7 % 300);
    ASSERT_EQ(uint32_t(1000 + b), SeqEventTime(e));
    ASSERT_EQ(n, GetDataEventLength(e)) << b;
    for (uint32_t i = 0; i + 1 < n; ++i) ASSERT_EQ(uint8_t((b + i) & 0x7F), e[kDataEventData + i]) << b;
    ASSERT_EQ(0xF7, e[kDataEventData + n - 1]);
  }
  EXPECT_EQ(1, gSomethingRecorded.load());
}

TEST_F(RecordTest, ASysExBlockWithoutRoomIsDroppedWhole) {
  Put(1, 0xB0, 7, 1);
  p->record.end = 8 + 50;
  for (uint32_t i = 0; i < 20; ++i) p->sysex[i] = uint8_t(i);
  p->sysex[19] = 0xF7;
  p->sysexLength = 20;
  AppendSysExRecord(p.get(), p->sysex);
  p->sysexLength = 4;
  p->sysex[3] = 0xF7;
  AppendSysExRecord(p.get(), p->sysex);
  EXPECT_EQ(1, TakeQueuedSysExBlocks(p.get())) << "the small block still fits";
  EXPECT_TRUE(TakeProcessorErrors(p.get()) & kProcessorErrorRecordFull);
  EXPECT_EQ(8u + 42u, p->record.write);
  EXPECT_EQ(4u, GetDataEventLength(RecordBufferBytes(p.get()) + 8));
}

TEST_F(RecordTest, NoBlockIsQueuedWithoutARecordBuffer) {
  PrepareRecordBuffer(p.get(), 0);
  p->sysexLength = 3;
  AppendSysExRecord(p.get(), p->sysex);
  EXPECT_EQ(0u, p->sysexBlocks.Count());
  EXPECT_EQ(0u, p->sysexLength);
}

// The pump with the clock stopped takes one message a call.
struct PumpTest : RecordTest {
  void SetUp() override {
    RecordTest::SetUp();
    ResetSongDatabase();
    AssignUniqueSongId();
    gCurrentSongIndex = 0;
    ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
    ASSERT_EQ(noErr, CreateSongTracks(3, 1));
    RebuildTrackNumberMap();
    for (int i = 0; i < 3; ++i) GetTrackEntryAt(i)[kTrackFlags] = 0;
    GetTrackEntryAt(0)[kTrackModeFlags] |= kTrackModeArmed;
    GetTrackEntryAt(2)[kTrackModeFlags] |= kTrackModeArmed;
    SetCurrentTrackIndex(1);
    gRecordReachedTick = 0;
    gTransportClock.songTick = 0;
  }
  void TearDown() override {
    ResetSongDatabase();
    gRecordWaitsForFirstNote = 0;
    RecordTest::TearDown();
  }
  void Queue(uint32_t tick, uint8_t status, uint8_t d1, uint8_t d2) {
    QueueProcessorInput(p.get(), RingMessage{tick, status, d1, d2, 0, 0, 0});
  }
  void Pump(int times) {
    for (int i = 0; i < times; ++i) RecordPump(p.get());
  }
};

TEST_F(PumpTest, PunchInAndOutAtTheRecordRange) {
  gMidiInputFlags |= kRecordTrackFlagsAtPunch;
  gRecordStartTick = 100;
  gRecordEndTick = 200;
  Queue(50, 0xB0, 7, 1);
  Queue(150, 0xB0, 7, 2);
  Queue(250, 0xB0, 7, 3);
  Queue(260, 0xFD, 1, 2);
  Pump(1);
  EXPECT_FALSE(gMidiInputFlags & kRecordPunchedIn);
  Pump(1);  // the position reached 50: still before the range
  EXPECT_FALSE(gMidiInputFlags & kRecordPunchedIn);
  gTransportClock.songTick = 120;
  Pump(1);
  EXPECT_TRUE(gMidiInputFlags & kRecordPunchedIn);
  EXPECT_EQ(0x08, GetTrackEntryAt(1)[kTrackFlags]) << "the current track";
  EXPECT_EQ(0x00, GetTrackEntryAt(0)[kTrackFlags]) << "armed: bit 2 cleared";
  gTransportClock.songTick = 210;
  Pump(2);
  EXPECT_FALSE(gMidiInputFlags & kRecordPunchedIn);
  EXPECT_EQ(0x0C, GetTrackEntryAt(1)[kTrackFlags]);
  EXPECT_EQ(0x04, GetTrackEntryAt(0)[kTrackFlags]);
  EXPECT_EQ(0x04, GetTrackEntryAt(2)[kTrackFlags]);
  EXPECT_EQ(0x00, GetTrackEntryAt(1)[kTrackModeFlags] & kTrackModeArmed);
  std::vector<const uint8_t*> got = Records();
  ASSERT_EQ(1u, got.size()) << "only the message inside the range";
  EXPECT_EQ(150u, SeqEventTime(got[0]));
}

TEST_F(PumpTest, NoFlagChangesAndNothingInsideTheRange) {
  gMidiInputFlags |= kRecordTrackFlagsAtPunch | kRecordNoFlagChanges | kRecordOutsideRangeOnly;
  gRecordStartTick = 0;
  Queue(10, 0xB0, 7, 1);
  Pump(2);
  EXPECT_TRUE(gMidiInputFlags & kRecordPunchedIn);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(0, GetTrackEntryAt(i)[kTrackFlags]) << i;
  EXPECT_TRUE(Records().empty());
}

TEST_F(PumpTest, AWaitingRecorderStartsAtTheFirstNote) {
  gRecordWaitsForFirstNote = 1;
  Queue(10, 0xB0, 7, 1);
  Queue(20, 0x90, 60, 0);
  Queue(30, 0x90, 60, 99);
  Queue(40, 0x80, 60, 0);
  Pump(4);
  EXPECT_EQ(0, gRecordWaitsForFirstNote.load());
  EXPECT_EQ(30u, gRecordStartTick.load());
  std::vector<const uint8_t*> got = Records();
  ASSERT_EQ(1u, got.size());
  EXPECT_EQ(0x90, got[0][kEventStatus]);
  EXPECT_EQ(10, GetNoteDuration(got[0]));
}

// A note still held when a cycle merge took it into the track (kind 0x70) is ended by the
// note-off that comes after the restart, in the track recorded last.
TEST_F(PumpTest, ANoteOffAfterTheCycleRestartEndsTheHeldNoteInTheTrack) {
  gCycleMode = 1;
  gCycleStartPoint.tick = 1000;
  gCycleStopPoint.tick = 2000;
  struct Row { uint32_t heldTick; uint16_t heldDuration; uint32_t offTick; uint16_t want; };
  const Row rows[] = {{1500, 0, 1700, 200}, {1900, 100, 1050, 150}};
  for (const Row& row : rows) {
    ResetRecordBuffer(p.get());
    std::vector<uint8_t> list(3 * kLongEventSize, 0);
    FillLongEvent(list.data(), row.heldTick, 0x73, 60, 90, row.heldDuration);
    FillLongEvent(list.data() + kLongEventSize, row.heldTick, 0x73, 61, 90, row.heldDuration);
    Handle events;
    ASSERT_EQ(noErr, PtrToHand(list.data(), &events, Size(list.size())));
    uint8_t* track = GetTrackEntryAt(2);
    WriteU32BE(track + kTrackEventList, events.id);
    p->record.closeTrack = uint16_t(track[kTrackNumber] + 1);
    p->record.closeCount = 1;
    EXPECT_EQ(1, Put(row.offTick, 0x83, 60, 0));
    const uint8_t* e = reinterpret_cast<const uint8_t*>(*events);
    EXPECT_EQ(0x93, e[kEventStatus]) << row.offTick;
    EXPECT_EQ(row.want, GetNoteDuration(e)) << row.offTick;
    EXPECT_EQ(0x73, e[kLongEventSize + kEventStatus]) << "another key stays held";
    EXPECT_EQ(0, p->record.closeCount);
    EXPECT_TRUE(Records().empty()) << "the note-off was used up";
    EXPECT_EQ(1, Put(row.offTick + 1, 0x83, 60, 0));
    EXPECT_EQ(1u, Records().size()) << "nothing left to close: the note-off is kept";
    WriteU32BE(track + kTrackEventList, 0);
    DisposeHandle(events);
  }
}

// In the count-in a note starts the recording only in the last beat of the last bar, at most
// a sixteenth before the downbeat; in 4/4 and in 6/8.
TEST_F(PumpTest, ACountInNoteStartsTheRecordingJustBeforeTheDownbeat) {
  gTempoTableResolution = 480;
  struct Row { uint8_t barsLeft; uint16_t beats, beat, perBeat, inBeat; bool starts; };
  const Row rows[] = {{1, 4, 3, 480, 400, true},  {1, 4, 3, 480, 300, false}, {2, 4, 3, 480, 400, false},
                      {1, 4, 2, 480, 470, false}, {1, 6, 5, 240, 130, true},  {1, 6, 5, 240, 110, false},
                      {1, 6, 4, 240, 230, false}};
  TickRoutine saved = gTransportClock.tickRoutine;
  for (const Row& row : rows) {
    ResetRecordBuffer(p.get());
    gRecordWaitsForCountIn = 1;
    gRecordStartTick = 0;
    gTransportClock.tickRoutine = CountInTick;
    gTransportClock.countInBarsLeft = row.barsLeft;
    gTransportClock.beatsPerBar = row.beats;
    gTransportClock.beatInBar = row.beat;
    gTransportClock.ticksPerBeat = row.perBeat;
    gTransportClock.tickInBeat = row.inBeat;
    Queue(5, 0xB0, 7, 1);
    Queue(7, 0x90, 60, 90);
    Pump(2);
    EXPECT_EQ(row.starts ? 0 : 1, gRecordWaitsForCountIn.load()) << row.beats << " " << row.inBeat;
    EXPECT_EQ(row.starts ? 7u : 0u, gRecordStartTick.load()) << row.beats << " " << row.inBeat;
    EXPECT_EQ(row.starts ? 2u : 1u, Records().size()) << "a controller passes on, an early note is dropped";
  }
  gTransportClock.tickRoutine = saved;
  gRecordWaitsForCountIn = 0;
  gTransportClock.countInBarsLeft = 0;
}

}  // namespace
