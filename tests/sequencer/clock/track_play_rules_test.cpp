// The tick scheduler's rules beyond plain playback: the play settings a track record carries
// (taken at play and again when changed while playing), events not sent again after a wrap,
// flush requests, a repeating song's conductor map, the conductor-volume option, and the
// note-offs reported to real-time processors.
#include <memory>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/midi/volume_controllers.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_position.h"
#include "platform/files/file_locations.h"
#include "song/conductor/conductor_map.h"
#include "song/documents/document_open.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/transport_hooks.h"
#include "tests/sequencer/clock/clock_fixture.h"

namespace {

uint8_t* EntryOf(Handle song, int32_t index = 0) {
  uint8_t* e = reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize;
  for (int32_t i = 0; i < index; ++i) e += ReadU16BE(e + kTrackLength);
  return e;
}

// Sets the flags byte of every event of track 0 at tick.
void MarkEventsAt(Handle song, uint32_t tick, uint8_t flags) {
  Handle list(ReadU32BE(EntryOf(song) + kTrackEventList));
  for (uint8_t* e = reinterpret_cast<uint8_t*>(*list); SeqEventTime(e) != 0; e += GetSeqEventLength(e))
    if (SeqEventTime(e) == tick) e[kEventFlags] = flags;
}

struct Record {
  uint8_t kind;
  int32_t tick;
  uint16_t value;
};

class TrackPlayRulesTest : public ClockTest {
 protected:
  // Replaces the song's conductor map with records (and the end record).
  void SetConductor(Handle song, const std::vector<Record>& records) {
    Handle map = NewHandleClear(Size(kConductorRecordSize * (records.size() + 1)));
    handles.push_back(map);
    uint8_t* r = reinterpret_cast<uint8_t*>(*map);
    for (const Record& rec : records) {
      MakeConductorRecord(r, rec.kind, rec.kind == kConductorMeter ? 3 : 0, rec.tick, rec.value, 0);
      r += kConductorRecordSize;
    }
    MakeConductorRecord(r, kConductorEnd, 0, kConductorEndTick, 0, 0);
    uint8_t* s = reinterpret_cast<uint8_t*>(*song);
    WriteU32BE(s + kSongConductorMap, map.id);
    WriteU32BE(s + kSongConductorLength, uint32_t(kConductorRecordSize * records.size()));
  }
  std::vector<SentMessage> NotesOn() const {
    std::vector<SentMessage> out;
    for (const SentMessage& m : gSent)
      if ((m.status & 0xF0) == 0x90 && m.data2 > 0) out.push_back(m);
    return out;
  }
};

TEST_F(TrackPlayRulesTest, PlaySettingsComeFromTheTrackRecordAtPlayAndWhenTheyChange) {
  TestTrack t;
  t.events = {{1, 0x90, 60, 100, 2}, {5, 0x90, 60, 100, 2}, {9, 0x90, 60, 20, 2}};
  Handle song = MakeSong({t}, {});
  uint8_t* entry = EntryOf(song);
  WriteI16BE(entry + kTrackTranspose, 7);
  WriteI16BE(entry + kTrackVelocityOffset, -30);
  ASSERT_EQ(noErr, PreparePlayback(song, 0));
  ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
  RunTicks(3);
  // Changed while playing: taken at the next tick after the request, not before.
  WriteI16BE(entry + kTrackTranspose, -12);
  WriteI16BE(entry + kTrackVelocityOffset, 40);
  RunTicks(5);
  NoteTrackPlaySettingsChanged(song, 0);  // what the track setters tell the clock
  RunTicks(12);
  std::vector<SentMessage> on = NotesOn();
  ASSERT_EQ(3u, on.size());
  EXPECT_EQ(67, on[0].data1);
  EXPECT_EQ(70, on[0].data2);
  EXPECT_EQ(67, on[1].data1) << "no request yet: the values taken at play stay";
  EXPECT_EQ(70, on[1].data2);
  EXPECT_EQ(48, on[2].data1);
  EXPECT_EQ(60, on[2].data2);
  // Every note-off carries the key its note-on had.
  std::vector<uint8_t> offs;
  for (const SentMessage& m : gSent)
    if ((m.status & 0xF0) == 0x80 || ((m.status & 0xF0) == 0x90 && m.data2 == 0)) offs.push_back(m.data1);
  EXPECT_EQ((std::vector<uint8_t>{67, 67, 48}), offs);
}

TEST_F(TrackPlayRulesTest, PlayGridFromTheRecordPlacesEventsOnTheNearerGridPoint) {
  // Grid 96 (an odd resolution's beat): events at 1..48 go at track tick 1, 49..144 at 96.
  TestTrack t;
  t.events = {{1, 0x90, 60, 100, 1}, {48, 0x90, 61, 100, 1}, {49, 0x90, 62, 100, 1}, {144, 0x90, 63, 100, 1},
              {145, 0x90, 64, 100, 1}};
  Handle song = MakeSong({t}, {});
  WriteI16BE(EntryOf(song) + kTrackPlayGrid, 96);
  Play(song, 200);
  std::vector<SentMessage> on = NotesOn();
  ASSERT_EQ(5u, on.size());
  // 60 and 61 together, then 62 and 63 together, 64 a grid later.
  EXPECT_EQ(on[0].nanos, on[1].nanos);
  EXPECT_EQ(on[2].nanos, on[3].nanos);
  EXPECT_LT(on[1].nanos, on[2].nanos);
  EXPECT_LT(on[3].nanos, on[4].nanos);
}

TEST_F(TrackPlayRulesTest, PatternTrackWithoutChildSequencesOnlyCounts) {
  // A looping pattern track of length 5 without children sends nothing but keeps its place:
  // back in normal mode (a request) it plays on from where the count stands.
  TestTrack t;
  t.flags = kTrackSounds | kTrackLoops;
  t.length = 5;
  t.events = {{1, 0x90, 60, 100, 1}, {3, 0x90, 62, 100, 1}};
  Handle song = MakeSong({t}, {});
  EntryOf(song)[kTrackPlayMode] = 1;
  Play(song, 10);
  EXPECT_TRUE(gSent.empty());
  EXPECT_EQ(2u, GetTrackPlayState(0)->trackTick) << "ticks 1..4, twice, then 1 and 2";
  EntryOf(song)[kTrackPlayMode] = 0;
  NoteTrackPlaySettingsChanged(song, 0);
  RunTicks(13);
  EXPECT_EQ((std::vector<uint32_t>{62, 60}), NoteOnNotes());
}

TEST_F(TrackPlayRulesTest, MarkedControllersAreNotSentAgainAfterTheTrackWraps) {
  // A looping track of length 9 plays ticks 1..8; the volume controller is marked as not to
  // be sent again, the pan controller is not.
  TestTrack t;
  t.flags = kTrackSounds | kTrackLoops;
  t.length = 9;
  t.output = 0;
  t.events = {{1, 0xB0, 7, 100, 0}, {2, 0xB0, 10, 64, 0}};
  Handle song = MakeSong({t}, {});
  MarkEventsAt(song, 1, kEventNoResendController);
  Play(song, 26);
  std::vector<uint8_t> controllers;
  for (const SentMessage& m : gSent)
    if ((m.status & 0xF0) == 0xB0) controllers.push_back(m.data1);
  EXPECT_EQ((std::vector<uint8_t>{7, 10, 10, 10, 10}), controllers);  // pan at 2, 10, 18 and 26
}

TEST_F(TrackPlayRulesTest, MarkedProgramsOfAnInstrumentTrackAreNotSentAgainAfterItWraps) {
  ASSERT_EQ(noErr, CreateInstrumentTable(1, kDeviceKindMidiPort));
  uint8_t* inst = GetInstrumentRecord(0);
  inst[kInstPartMask] = 0x01;
  inst[kInstChannels] = 2;
  WriteU32BE(inst + kInstDriverProcs, kRecorderProc);
  TestTrack t;
  t.flags = kTrackSounds | kTrackLoops | kTrackInstrumentTrack;
  t.length = 9;
  t.events = {{1, 0xC0, 5, 0x80, 0}, {3, 0xC0, 6, 0x80, 0}};
  Handle song = MakeSong({t}, {});
  MarkEventsAt(song, 1, kEventNoResendProgram);
  EntryOf(song)[kTrackChannelCount] = 1;
  WriteU16BE(EntryOf(song) + kTrackInstruments, 0);
  Play(song, 20);
  DisposeInstrumentTable();
  std::vector<uint8_t> programs;
  for (const SentMessage& m : gSent)
    if (m.status == 0xC2) programs.push_back(m.data1);
  EXPECT_EQ((std::vector<uint8_t>{5, 6, 6, 6}), programs);  // 6 at 3, 11 and 19
}

TEST_F(TrackPlayRulesTest, FlushRequestEndsNotesOnlyOfATrackThatNoLongerSounds) {
  for (bool muted : {false, true}) {
    gSent.clear();
    ResetNoteOffPool();
    TestTrack t;
    t.events = {{1, 0x90, 60, 100, 100}};
    Handle song = MakeSong({t}, {});
    Play(song, 5);
    if (muted) EntryOf(song)[kTrackFlags] &= uint8_t(~kTrackSounds);
    RequestTrackFlush(0);
    RunTicks(7);
    size_t offs = 0;
    for (const SentMessage& m : gSent)
      if ((m.status & 0xF0) == 0x80 || ((m.status & 0xF0) == 0x90 && m.data2 == 0)) ++offs;
    EXPECT_EQ(muted ? 1u : 0u, offs) << (muted ? "muted: the note ends at once" : "sounding: it plays on");
    RemoveClockTimer();
    ReleasePlayback();
  }
}

TEST_F(TrackPlayRulesTest, FlushingEverySongEndsTheNotesOfEachTrackAndClearsThePendingFlag) {
  TestTrack a, b;
  a.events = {{1, 0x90, 60, 100, 500}};
  b.events = {{2, 0x91, 64, 90, 500}};
  Handle song = MakeSong({a, b}, {});
  Play(song, 5);
  SongPlayState* state = GetPlayingSongState();
  ASSERT_NE(state, nullptr);
  EXPECT_TRUE(state->flags & kSongPlayNoteOffsPending);
  gSent.clear();
  FlushNoteOffsOfAllSongs();
  std::vector<uint8_t> ended;
  for (const SentMessage& m : gSent)
    if ((m.status & 0xF0) == 0x80 || ((m.status & 0xF0) == 0x90 && m.data2 == 0)) ended.push_back(m.data1);
  EXPECT_EQ(ended, (std::vector<uint8_t>{60, 64}));
  EXPECT_FALSE(state->flags & kSongPlayNoteOffsPending);
  EXPECT_FALSE(HasPendingNoteOffs());
  RemoveClockTimer();
  ReleasePlayback();
}

TEST_F(TrackPlayRulesTest, OpeningADocumentEndsSoundingNotesFirstAndReleasesTheOutputAfter) {
  TestTrack t;
  t.events = {{1, 0x90, 60, 100, 500}};
  Handle song = MakeSong({t}, {});
  Play(song, 5);
  gSent.clear();
  FSSpec missing{};
  PathToSpec("/tmp/zarin-open-test-missing.song", &missing);
  OpenSongFile(&missing, 0, false);
  ASSERT_FALSE(gSent.empty());
  EXPECT_EQ(gSent.front().data1, 60);
  EXPECT_FALSE(HasPendingNoteOffs());
  EXPECT_EQ(gTransportClock.holdCount.load(), 0);
  RemoveClockTimer();
  ReleasePlayback();
}

TEST_F(TrackPlayRulesTest, APassStopsAtASongEndChangedWhilePlaying) {
  TestTrack t;
  t.events = {{1, 0x90, 60, 100, 2}};
  Handle song = MakeSong({t}, {});
  WriteU32BE(reinterpret_cast<uint8_t*>(*song) + kSongEndTick, 40);
  Play(song, 5);
  ASSERT_EQ(40u, gPlayEndTick);
  Handle savedHandle = gCurrentSongHandle;
  uint8_t* saved = gCurrentSong;
  gCurrentSongHandle = song;
  gCurrentSong = reinterpret_cast<uint8_t*>(*song);
  SetSongEndTick(80);  // an edit made the song longer
  RunTicks(60);
  EXPECT_FALSE(gTransportFlagWord & 0x10) << "stopped at the old end";
  RunTicks(81);
  EXPECT_TRUE(gTransportFlagWord & 0x10) << "did not stop at the new end";
  gCurrentSongHandle = savedHandle;
  gCurrentSong = saved;
  RemoveClockTimer();
  ReleasePlayback();
}

TEST_F(TrackPlayRulesTest, RepeatingSongStartsItsConductorMapAgainWithTheSongsStartValues) {
  // End tick 13: the map repeats every 12 ticks; 6/8 from tick 4, a tempo change at tick 7.
  Handle song = MakeSong({TestTrack()}, {}, 1200);
  SetConductor(song, {{kConductorMeter, 4, 240}, {kConductorTempo, 7, 900}});
  uint8_t* s = reinterpret_cast<uint8_t*>(*song);
  WriteU32BE(s + kSongEndTick, 13);
  s[kSongOptions] |= kSongOptionRepeat;
  ASSERT_EQ(noErr, PreparePlayback(song, 0));
  gPlayEndTick = 0;
  ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
  struct Step {
    uint32_t tick;
    uint16_t tempo, ticksPerBeat;
  };
  // The tempo takes effect one tick early; at the repeat the header's 120 and 4/4 come back.
  for (Step step : std::vector<Step>{{3, 1200, 480}, {6, 900, 240}, {12, 900, 240}, {13, 1200, 480},
                                     {15, 1200, 480}, {18, 900, 240}, {25, 1200, 480}}) {
    RunTicks(step.tick);
    EXPECT_EQ(step.tempo, gTransportClock.tempo) << "tick " << step.tick;
    EXPECT_EQ(step.ticksPerBeat, gTransportClock.ticksPerBeat) << "tick " << step.tick;
  }
}

TEST_F(TrackPlayRulesTest, MasterVolumeRecordsFollowTheConductorVolumeOption) {
  for (uint8_t option : {uint8_t(0x01), uint8_t(0x00), uint8_t(0x05)}) {
    gConductorVolumeOptions = option;
    gConductorVolume = -1;
    gTransportFlagWord = 0;
    Handle song = MakeSong({TestTrack()}, {});
    SetConductor(song, {{kConductorMasterVolume, 3, 90}});
    Play(song, 5);
    bool applied = option == kConductorVolumeOn;
    EXPECT_EQ(applied ? 90 : -1, gConductorVolume) << "option " << int(option);
    EXPECT_EQ(applied, (gTransportFlagWord & kTransportConductorVolume) != 0) << "option " << int(option);
    RemoveClockTimer();
    ReleasePlayback();
  }
  gConductorVolumeOptions = kConductorVolumeOn;
  gConductorVolume = -1;
  gTransportFlagWord = 0;
}

TEST_F(TrackPlayRulesTest, NoteOffsOfAProcessorAreReportedIntoItsInputRing) {
  auto processor = std::make_unique<RealtimeProcessor>();
  gTransportClock.songTick = 41;
  ASSERT_TRUE(ScheduleNoteOff(2, true, 0x93, 64, 30, 1, kRecorderProc, nullptr, processor.get()));
  ASSERT_TRUE(ScheduleNoteOff(2, true, 0x93, 65, 64, 1, kRecorderProc, nullptr, nullptr));
  AdvanceNoteOffQueueForTick();
  RingMessage m;
  EXPECT_FALSE(PopMidiInputRing(processor.get(), &m)) << "not due yet";
  AdvanceNoteOffQueueForTick();
  ASSERT_TRUE(PopMidiInputRing(processor.get(), &m));
  EXPECT_EQ(41u, m.tick);
  EXPECT_EQ(0x83, m.status);
  EXPECT_EQ(64, m.data1);
  EXPECT_EQ(64, m.data2);
  EXPECT_FALSE(PopMidiInputRing(processor.get(), &m)) << "only the processor's own note is reported";
}

}  // namespace
