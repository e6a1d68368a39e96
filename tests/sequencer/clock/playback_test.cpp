// Playback through the clock task on the manual Time Manager clock: order and timing of the
// events of several tracks across tempo changes, looping tracks, child sequences, transpose
// and the drum mute table.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/section_reader.h"
#include "song/model/track_sections.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"
#include "tests/sequencer/clock/clock_fixture.h"

namespace {

double ExactNanos(Handle song, int64_t tick) {
  return TickToSubframesExact(reinterpret_cast<uint8_t*>(*song), tick) *
         gMicrosecondsPerSubframe * 1000.0;
}

TEST_F(ClockTest, TracksPlayInOrderAtTheConductorTimesAcrossTempoChanges) {
  // Each note's key names it; the tick it belongs to is in the table.
  std::map<uint8_t, uint32_t> tickOf;
  std::vector<TestTrack> tracks(3);
  uint8_t key = 20;
  for (uint32_t tick : {1u, 240u, 480u, 959u, 960u, 961u, 1500u, 1920u, 1921u, 2600u}) {
    for (int t = 0; t < 3; ++t) {
      if ((tick + t) % 2 == 0 && tick != 1 && t != 0) continue;
      tracks[t].events.push_back({tick + uint32_t(t), uint8_t(0x90 | t), key, 100, 60});
      tickOf[key] = tick + uint32_t(t);
      ++key;
    }
  }
  Handle song = MakeSong(tracks, {{961, 1800}, {1921, 700}, {2500, 4500}});
  Play(song, 2700);

  std::vector<SentMessage> ons;
  for (const SentMessage& m : gSent)
    if ((m.status & 0xF0) == 0x90 && m.data2 > 0) ons.push_back(m);
  ASSERT_EQ(tickOf.size(), ons.size());
  uint64_t origin = ons.front().nanos;
  ASSERT_EQ(1u, tickOf[ons.front().data1]);
  uint32_t lastTick = 0;
  for (const SentMessage& m : ons) {
    uint32_t tick = tickOf[m.data1];
    EXPECT_LE(lastTick, tick) << "key " << int(m.data1);
    lastTick = tick;
    double expected = ExactNanos(song, tick);
    EXPECT_NEAR(expected, double(m.nanos - origin), 2000.0) << "tick " << tick;
  }
  // Every note ends 60 ticks after it started, at that tick's time.
  for (const SentMessage& m : gSent) {
    if ((m.status & 0xF0) != 0x80) continue;
    uint32_t tick = tickOf[m.data1] + 60;
    EXPECT_NEAR(ExactNanos(song, tick), double(m.nanos - origin), 2000.0) << "off " << tick;
  }
  EXPECT_EQ(ons.size(),
            size_t(std::count_if(gSent.begin(), gSent.end(),
                                 [](const SentMessage& m) { return (m.status & 0xF0) == 0x80; })));
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

TEST_F(ClockTest, LoopingTrackPlaysTicksOneToLengthLessOne) {
  TestTrack loop;
  loop.flags = 0x04 | kTrackLoops;
  loop.length = 5;
  loop.events = {{1, 0x90, 60, 100, 1}, {3, 0x90, 62, 100, 1}, {5, 0x90, 99, 100, 1}};
  Handle song = MakeSong({loop}, {});
  Play(song, 12);
  // Loop of ticks 1..4: the note at 5 never sounds; 60 at song ticks 1, 5, 9; 62 at 3, 7, 11.
  std::vector<uint32_t> expected = {60, 62, 60, 62, 60, 62};
  EXPECT_EQ(expected, NoteOnNotes());
}

TEST_F(ClockTest, SectionsPlayInTurnEachItsRepeatCountAndPatternModeThreeStays) {
  // Section A: ticks 1..8 twice; section B: events from tick 21, ticks 1..4 once. The plain
  // track plays notes; the pattern tracks call child sequences (A calls the child of note 60
  // at its ticks 1 and 5, B the child of note 70 at its ticks 1 and 3).
  TestTrack noteA, noteB;
  noteA.events = {{1, 0x90, 60, 100, 1}};
  noteB.events = {{1, 0x90, 70, 100, 1}};
  TestTrack track;
  track.flags = 0x04 | kTrackLoops;
  track.length = 2000;
  track.events = {{1, 0x90, 60, 100, 1}, {5, 0x90, 62, 100, 1}, {21, 0x90, 70, 100, 1}, {23, 0x90, 72, 100, 1}};
  for (uint8_t mode : {0, 1, 3}) {
    TestTrack t = track;
    if (mode != 0) {
      t.events = {{3, 0x90, 99, 100, 1}};  // passed over: a pattern track plays references only
      t.children = {MakeSong({noteA}, {}), MakeSong({noteB}, {})};
      t.references = {{1, 0, 2}, {5, 0, 2}, {21, 1, 2}, {23, 1, 2}};
    }
    Handle song = MakeSong({t}, {});
    uint8_t* entry = reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize;
    entry[kTrackPlayMode] = mode;  // taken from the record at play
    Handle sections = MakeSections({{1, 9, 2}, {21, 5, 1}});
    handles.push_back(sections);
    WriteU32BE(entry + kTrackSectionList, sections.id);
    gSent.clear();
    ASSERT_EQ(noErr, PreparePlayback(song, 0));
    ASSERT_EQ(mode, GetTrackPlayState(0)->mode);
    ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
    RunTicks(36);
    RemoveClockTimer();
    // A at song ticks 1 and 9, B at 17, A again at 21 and 29 (A: 8 ticks, B: 4 ticks); in
    // mode 3, A at 1, 9, 17, 25 and 33.
    std::vector<uint32_t> expected =
        mode == 0   ? std::vector<uint32_t>{60, 62, 60, 62, 70, 72, 60, 62, 60, 62}
        : mode == 1 ? std::vector<uint32_t>{60, 60, 60, 60, 70, 70, 60, 60, 60, 60}
                    : std::vector<uint32_t>{60, 60, 60, 60, 60, 60, 60, 60, 60};
    EXPECT_EQ(expected, NoteOnNotes()) << "mode " << int(mode);
    ReleasePlayback();
  }
}

// A start behind tick 0 finds the section, the repeat and the tick that playing from the
// start reaches there: the notes that follow are the same either way. Section A (ticks 5..10,
// three times) then B (21..24, once), then A again; an endless A keeps every later tick.
TEST_F(ClockTest, AStartInsideTheSectionsPlaysOnAsPlayingFromTheStartWould) {
  TestTrack track;
  track.flags = 0x04 | kTrackLoops;
  track.length = 2000;
  track.events = {{2, 0x90, 50, 100, 1}, {5, 0x90, 60, 100, 1}, {8, 0x90, 62, 100, 1},
                  {21, 0x90, 70, 100, 1}, {23, 0x90, 72, 100, 1}};
  struct Case {
    std::vector<std::array<uint32_t, 3>> sections;
    std::vector<uint32_t> starts;
  } cases[] = {{{{5, 7, 3}, {21, 5, 1}}, {3, 6, 11, 12, 17, 18, 19, 21, 22, 23, 30, 45}},
               {{{5, 7, 0}, {21, 5, 1}}, {13, 100}}};
  constexpr uint32_t kTicks = 30;
  for (const Case& c : cases) {
    Handle song = MakeSong({track}, {});
    Handle sections = MakeSections(c.sections);
    handles.push_back(sections);
    WriteU32BE(reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize + kTrackSectionList, sections.id);
    for (uint32_t start : c.starts) {
      ASSERT_EQ(noErr, PreparePlayback(song, 0));
      ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
      RunTicks(start);
      gSent.clear();
      RunTicks(start + kTicks);
      RemoveClockTimer();
      std::vector<uint32_t> fromTheStart = NoteOnNotes();
      ASSERT_FALSE(fromTheStart.empty()) << start;
      ReleasePlayback();
      gSent.clear();
      ASSERT_EQ(noErr, PreparePlayback(song, start));
      // The track keeps its own length: the reset writes no play limit into it.
      EXPECT_EQ(2000u, ReadU32BE(reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize + kTrackTickLength));
      ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, start));
      RunTicks(start + kTicks);
      RemoveClockTimer();
      EXPECT_EQ(fromTheStart, NoteOnNotes()) << "start " << start << " sections " << c.sections.size();
      ReleasePlayback();
    }
  }
}

TEST(SectionPlace, ThePlaceAfterSoManyTicks) {
  // A: start 5, 6 ticks a pass, 3 passes; B: start 21, 4 ticks, once; Z: length 0 (the track
  // plays on straight from there).
  Handle cycling = MakeSections({{5, 7, 3}, {21, 5, 1}});
  Handle ending = MakeSections({{5, 7, 3}, {21, 5, 1}, {30, 1, 2}});
  struct Case {
    Handle sections;
    uint32_t played;
    bool stay;
    SectionPlace place;
  } cases[] = {{cycling, 0, false, {0, 0, 0}},  {cycling, 5, false, {0, 0, 5}},  {cycling, 6, false, {0, 1, 0}},
               {cycling, 17, false, {0, 2, 5}}, {cycling, 18, false, {1, 0, 0}}, {cycling, 21, false, {1, 0, 3}},
               {cycling, 22, false, {0, 0, 0}}, {cycling, 45, false, {0, 0, 1}}, {cycling, 17, true, {0, 2, 5}},
               {cycling, 45, true, {0, 7, 3}},  {ending, 21, false, {1, 0, 3}},  {ending, 22, false, {2, 0, 0}},
               {ending, 45, false, {2, 0, 23}}};
  for (const Case& c : cases) {
    SectionPlace p = PlaceInSections(c.sections, c.played, c.stay);
    std::string at = std::to_string(c.played) + (c.stay ? " staying" : "") + (c.sections == ending ? " ending" : "");
    EXPECT_EQ(c.place.section, p.section) << at;
    EXPECT_EQ(c.place.repeatsDone, p.repeatsDone) << at;
    EXPECT_EQ(c.place.trackTick, p.trackTick) << at;
  }
  DisposeHandle(cycling);
  DisposeHandle(ending);
}

// The reset before playback: an inactive track has no next event; every track loses its
// pending event; a track with events that shows its own regions has its bend centred (the
// chase that follows puts back the bend in force), the others keep theirs.
TEST_F(ClockTest, TheResetParksInactiveTracksAndCentresTheBend) {
  TestTrack plain, inactive, empty, regions;
  plain.events = inactive.events = regions.events = {{1, 0x90, 60, 100, 1}, {3, 0x90, 61, 100, 1}};
  inactive.flags = 0x04 | kTrackFlagSilent;
  Handle song = MakeSong({plain, inactive, empty, regions}, {});
  uint8_t* entry = reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize;
  for (int32_t i = 0; i < 4; ++i) {
    uint8_t* e = entry + i * kTrackEntrySize;
    WriteU32BE(e + kTrackPendingWord, 7);
    WriteU16BE(e + kTrackCentre72, 5000);
  }
  entry[3 * kTrackEntrySize + kTrackOutputFlags] |= kTrackOutputSecondRegions;
  ASSERT_EQ(noErr, PreparePlayback(song, 0));
  EXPECT_EQ(kNoCursor, GetTrackPlayState(1)->cursor);
  EXPECT_NE(kNoCursor, GetTrackPlayState(0)->cursor);
  const uint16_t bends[] = {8192, 5000, 5000, 5000};
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(0u, ReadU32BE(entry + i * kTrackEntrySize + kTrackPendingWord)) << i;
    EXPECT_EQ(bends[i], ReadU16BE(entry + i * kTrackEntrySize + kTrackCentre72)) << i;
  }
  ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
  RunTicks(4);
  EXPECT_EQ((std::vector<uint32_t>{60, 60, 61, 61}), NoteOnNotes());  // tracks 0 and 3 only
}

TEST_F(ClockTest, InstrumentTrackFansOutToEveryPartAndProgramsGoToTheFirstOnly) {
  ASSERT_EQ(noErr, CreateInstrumentTable(1, kDeviceKindMidiPort));
  uint8_t* inst = GetInstrumentRecord(0);
  inst[kInstPartMask] = 0x03;
  inst[kInstChannels] = 3;
  inst[kInstChannels + 1] = 5;
  inst[kInstPorts] = 7;
  inst[kInstPorts + 1] = 8;
  WriteU32BE(inst + kInstDriverProcs, kRecorderProc);
  WriteU32BE(inst + kInstDriverProcs + 4, kRecorderProc);
  TestTrack track;
  track.flags = 0x04 | kTrackInstrumentTrack;
  track.events = {{1, 0x90, 60, 100, 2}, {5, 0xC0, 9, 0x80, 0}};
  Handle song = MakeSong({track}, {});
  uint8_t* entry = reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize;
  entry[kTrackChannelCount] = 1;
  WriteU16BE(entry + kTrackInstruments, 0 << 8);
  Play(song, 8);
  std::vector<std::array<uint8_t, 4>> sent;
  for (const SentMessage& m : gSent) sent.push_back({m.output, m.status, m.data1, m.data2});
  DisposeInstrumentTable();
  std::vector<std::array<uint8_t, 4>> expected = {
      {7, 0x93, 60, 100}, {8, 0x95, 60, 100}, {8, 0x85, 60, 0}, {7, 0x83, 60, 0}, {7, 0xC3, 9, 0}};
  EXPECT_EQ(expected, sent);
}

TEST_F(ClockTest, ChildSequencePlaysForItsLengthFromTheReference) {
  TestTrack childTrack;
  childTrack.events = {{1, 0x91, 40, 90, 1}, {3, 0x91, 41, 90, 1}, {6, 0x91, 42, 90, 1}};
  Handle child = MakeSong({childTrack}, {});
  TestTrack parent;
  parent.children = {child};
  parent.references = {{10, 0, 5}};
  parent.events = {{11, 0x90, 70, 90, 1}};
  Handle song = MakeSong({parent}, {});
  Play(song, 20);
  // The child starts with the reference at song tick 10: its tick 1 at 10, tick 3 at 12; it
  // ends after 5 ticks, so its tick 6 never sounds.
  std::vector<uint32_t> expected = {40, 70, 41};
  EXPECT_EQ(expected, NoteOnNotes());
  EXPECT_FALSE(GetPlayingSongState()->nextActive);
}

// A start inside the song keeps the bar, beat and tick counters on the meter's grid (4/4 at
// 480 ticks a beat); the start position is the tick before the first one played.
TEST_F(ClockTest, BeatCountersStartWhereThePlayStarts) {
  struct Case {
    uint32_t start;
    uint32_t bar;
    uint16_t beat, tick;
  };
  const Case cases[] = {{0, 1, 0, 0}, {479, 1, 0, 479}, {480, 1, 1, 0}, {1919, 1, 3, 479},
                        {1920, 2, 0, 0}, {4420, 3, 1, 100}};
  for (const Case& c : cases) {
    Handle song = MakeSong({TestTrack()}, {});
    ASSERT_EQ(noErr, PreparePlayback(song, c.start));
    EXPECT_EQ(c.bar, gTransportClock.bar) << c.start;
    EXPECT_EQ(c.beat, gTransportClock.beatInBar) << c.start;
    EXPECT_EQ(c.tick, gTransportClock.tickInBeat) << c.start;
  }
}

TEST_F(ClockTest, TransposeFoldsKeysIntoRange) {
  struct Case {
    uint8_t note;
    int16_t transpose;
    uint8_t key;
  };
  // The extremes a document may hold fold too (in whole octaves).
  const Case cases[] = {{110, 30, 116}, {10, -20, 2},        {60, 0, 60},
                        {127, 12, 127}, {0, -1, 11},         {0, 32767, 127},
                        {127, -32768, 11}};
  for (const Case& c : cases) {
    gSent.clear();
    ResetNoteOffPool();
    TestTrack t;
    t.events = {{1, 0x90, c.note, 100, 2}};
    Handle song = MakeSong({t}, {});
    ASSERT_EQ(noErr, PreparePlayback(song, 0));
    GetTrackPlayState(0)->transpose = c.transpose;
    ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
    RunTicks(4);
    ASSERT_EQ(2u, gSent.size());
    EXPECT_EQ(c.key, gSent[0].data1) << int(c.note) << " " << c.transpose;
    EXPECT_EQ(c.key, gSent[1].data1) << "the note-off carries the transposed key";
  }
}

TEST_F(ClockTest, DrumTableMutesNotesAndVelocityOffsetClamps) {
  Handle drum = NewHandleClear(128);
  handles.push_back(drum);
  uint8_t* notes = reinterpret_cast<uint8_t*>(*drum);
  notes[36] = 0x04;  // sounds
  notes[38] = 0x00;  // muted
  TestTrack t;
  t.drum = drum;
  t.events = {{1, 0x99, 36, 120, 1}, {2, 0x99, 38, 120, 1}, {3, 0xB9, 7, 100, 0}};
  Handle song = MakeSong({t}, {});
  ASSERT_EQ(noErr, PreparePlayback(song, 0));
  GetTrackPlayState(0)->velocityOffset = 40;
  ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
  RunTicks(5);
  ASSERT_EQ(3u, gSent.size());
  EXPECT_EQ(36, gSent[0].data1);
  EXPECT_EQ(127, gSent[0].data2);
  EXPECT_EQ(0x89, gSent[1].status);  // its note-off
  EXPECT_EQ(0xB9, gSent[2].status);  // controllers pass the drum table
}

TEST_F(ClockTest, MutedTrackSendsNothingButKeepsItsPlace) {
  TestTrack t;
  t.flags = 0;  // does not sound
  t.events = {{1, 0x90, 60, 100, 1}, {2, 0x90, 61, 100, 1}};
  Handle song = MakeSong({t}, {});
  Play(song, 4);
  EXPECT_TRUE(gSent.empty());
}

TEST_F(ClockTest, ADamagedDataRecordEndsTheTrackThere) {
  struct Case {
    uint32_t storedLength;
    bool notePlays;
  };
  // Zero, shorter than a data record's header and trailer, or past the list: the track stops
  // at the record; a whole record is stepped over.
  const Case cases[] = {{0, false}, {14, false}, {36, false}, {4000, false}, {38, true}};
  for (const Case& c : cases) {
    gSent.clear();
    TestTrack t;
    t.events = {{10, 0xB0, 1, 50, 0}, {30, 0x90, 60, 100, 5}};
    Handle song = MakeSong({t}, {});
    uint8_t* entry = reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize;
    Handle events(ReadU32BE(entry + kTrackEventList));
    // controller (8), data record (38), note (14), end (14)
    std::vector<uint8_t> list(8 + 38 + 14 + kEndRecordSize, 0);
    FillShortEvent(list.data(), 10, 0xB0, 1, 50);
    FillVariableEvent(list.data() + 8, 20, 38);
    WriteU32BE(list.data() + 8 + kEventVariableLength, c.storedLength);
    // The record's bytes hold what a walk that trusts a short length would take for a note.
    FillLongEvent(list.data() + 8 + 14, 25, 0x90, 61, 100, 5);
    FillLongEvent(list.data() + 46, 30, 0x90, 60, 100, 5);
    SetHandleSize(events, Size(list.size()));
    ASSERT_EQ(MemError(), noErr);
    std::memcpy(*events, list.data(), list.size());
    WriteU32BE(entry + kTrackEventBytes, uint32_t(list.size()));
    Play(song, 60);
    ASSERT_FALSE(gSent.empty()) << c.storedLength;
    EXPECT_EQ(gSent[0].status, 0xB0) << c.storedLength;
    EXPECT_EQ(NoteOnNotes(), c.notePlays ? std::vector<uint32_t>{60} : std::vector<uint32_t>{})
        << c.storedLength;
    RemoveClockTimer();
    ReleasePlayback();
  }
}

TEST_F(ClockTest, TimeCodeDropsFramesZeroAndOneExceptEveryTenthMinute) {
  gSmpteRateCode = 2;
  BuildTempoTables();
  SelectTickRoutine();
  struct Case {
    uint8_t start[4];
    uint8_t end[4];
  };
  const Case cases[] = {{{0, 0, 59, 29}, {0, 1, 0, 2}}, {{0, 9, 59, 29}, {0, 10, 0, 0}},
                        {{0, 59, 59, 29}, {1, 0, 0, 0}}};
  for (const Case& c : cases) {
    std::copy(c.start, c.start + 4, gTransportClock.timeCode);
    gTransportClock.frameAccumulator = 0;
    AdvanceTimeCode(80u << 16, true);
    EXPECT_EQ(0, std::memcmp(c.end, gTransportClock.timeCode, 4)) << int(c.start[1]);
  }
  // A tick longer than a frame advances every frame it spans.
  std::fill(gTransportClock.timeCode, gTransportClock.timeCode + 4, 0);
  AdvanceTimeCode(3u * (80u << 16) + 5, false);
  EXPECT_EQ(3, gTransportClock.timeCode[3]);
}

}  // namespace
