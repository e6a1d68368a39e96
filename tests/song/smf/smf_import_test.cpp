// Standard MIDI File import: the hand-made fixtures event by event, the edge cases of the
// format, and damaged files that must change nothing.
#include <cstring>

#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/conductor/song_start_offset.h"
#include "song/conductor/tempo_tables.h"
#include "song/documents/document_file.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/output_kinds.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/redraw_hooks.h"
#include "shell/base/new_song_defaults.h"
#include "song/prefs/window_layout.h"
#include "song/smf/smf_import_state.h"
#include "song/smf/smf_meta_events.h"
#include "song/smf/smf_reader.h"
#include "song/smf/smf_song_tracks.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "tests/song/smf/smf_canonical.h"
#include "tests/song/smf/smf_fixture.h"

namespace {

using SmfImportTest = SmfTest;

// A marker's name as a string.
std::string MarkerName(int32_t n) {
  const uint8_t* name = GetMarkerName(GetMarkerAt(n));
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

// The conductor records of one kind: {tick, value, beats}.
std::vector<std::vector<int32_t>> Records(uint8_t kind) {
  std::vector<std::vector<int32_t>> out;
  for (uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize)
    if (ConductorKind(r) == kind)
      out.push_back({ConductorTick(r), kind == kConductorKey ? r[6] : ConductorValue(r),
                     r[1] & kConductorBeatsMask});
  return out;
}

TEST(SmfReaderTest, VariableLengthNumbersTakeAtMostFourBytes) {
  struct Case {
    Bytes bytes;
    bool ok;
    uint32_t value;
    size_t taken;
  } cases[] = {
      {{0x00}, true, 0, 1},
      {{0x7F}, true, 127, 1},
      {{0x81, 0x00}, true, 128, 2},
      {{0xFF, 0xFF, 0xFF, 0x7F}, true, 0x0FFFFFFF, 4},
      // A fourth byte with its high bit set still ends the number.
      {{0x81, 0x80, 0x80, 0x80, 0x05}, true, 1u << 21, 4},
      {{0x81}, false, 0, 0},
      {{}, false, 0, 0},
  };
  for (const Case& c : cases) {
    const uint8_t* p = c.bytes.data();
    uint32_t value = 99;
    EXPECT_EQ(c.ok, ReadVariableLengthNumber(&p, c.bytes.data() + c.bytes.size(), &value));
    if (c.ok) {
      EXPECT_EQ(c.value, value);
      EXPECT_EQ(c.taken, size_t(p - c.bytes.data()));
    } else {
      EXPECT_EQ(c.bytes.data(), p);
    }
  }
}

TEST(SmfMetaTest, TempoKeyAndMeterValues) {
  EXPECT_EQ(1200, SmfTempoFromMicroseconds(6000000));  // 10 beats per minute
  EXPECT_EQ(4500, SmfTempoFromMicroseconds(100000));   // 600 beats per minute
  EXPECT_EQ(4500, SmfTempoFromMicroseconds(0));        // no division by zero
  EXPECT_EQ(1200, SmfTempoFromMicroseconds(0xFFFFFF));
  EXPECT_EQ(120, SmfTempoFromMicroseconds(5000000));
  EXPECT_EQ(1333, SmfTempoFromMicroseconds(450000));

  EXPECT_EQ(0x49, SmfKeyCode(-3));
  EXPECT_EQ(0x45, SmfKeyCode(-7));
  EXPECT_EQ(0x46, SmfKeyCode(-6));
  EXPECT_EQ(2, SmfKeyCode(2));
  EXPECT_EQ(0, SmfKeyCode(0));
  EXPECT_EQ(-1, SmfKeyCode(-8));
  EXPECT_EQ(-1, SmfKeyCode(8));

  struct Meter {
    uint8_t numerator, power;
    int32_t tpq;
    bool ok;
    uint8_t beats;
    uint16_t beatTicks;
  } meters[] = {
      {3, 2, 480, true, 3, 480},  {6, 3, 480, true, 6, 240},   {0, 2, 480, false, 0, 0},
      {4, 0, 480, false, 0, 0},   {255, 255, 480, true, 64, 30},
      // At 960 ticks per quarter a bar of 64 half notes would pass 65535 ticks.
      {64, 1, 960, true, 34, 1920},
  };
  for (const Meter& m : meters) {
    uint8_t beats = 0;
    uint16_t beatTicks = 0;
    EXPECT_EQ(m.ok, SmfMeter(m.numerator, m.power, m.tpq, &beats, &beatTicks));
    if (!m.ok) continue;
    EXPECT_EQ(m.beats, beats);
    EXPECT_EQ(m.beatTicks, beatTicks);
  }
}

TEST_F(SmfImportTest, RunningStatusFixture) {
  ASSERT_EQ(noErr, ImportFixture("running_status.mid"));
  EXPECT_EQ("Running", SongName());
  ASSERT_EQ(1, GetSongTrackCount());
  EXPECT_EQ("running_status.mid", TrackName(0));
  SongHeaderView song(gCurrentSong);
  EXPECT_EQ(1200, song.Tempo());
  EXPECT_EQ(3, song.BeatsPerBar());
  EXPECT_EQ(480, song.TicksPerBeat());
  EXPECT_EQ(0x49, song.Key());
  EXPECT_EQ((std::vector<std::vector<int32_t>>{{1441, 1500, 0}}), Records(kConductorTempo));
  // The 6/8 at tick 1941 lies inside the second 3/4 bar and moves to its start.
  EXPECT_EQ((std::vector<std::vector<int32_t>>{{1441, 240, 6}}), Records(kConductorMeter));
  EXPECT_EQ((std::vector<std::vector<int32_t>>{{1941, 2, 0}}), Records(kConductorKey));

  std::vector<SeenEvent> notes = Notes(0);
  struct N {
    uint32_t tick;
    uint8_t status, key, velocity, release;
    uint16_t duration;
  } expected[] = {
      {1, 0x90, 60, 100, 64, 240},   {1, 0x90, 64, 90, 64, 240},    {1, 0x90, 67, 80, 30, 480},
      {1191, 0x91, 50, 70, 20, 100}, {1241, 0x91, 50, 71, 21, 100}, {1341, 0x92, 72, 1, 0, 1},
      {1341, 0x93, 40, 99, 64, 1100},
  };
  ASSERT_EQ(std::size(expected), notes.size());
  for (size_t i = 0; i < notes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].tick, notes[i].tick);
    EXPECT_EQ(expected[i].status, notes[i].status);
    EXPECT_EQ(expected[i].key, notes[i].d1);
    EXPECT_EQ(expected[i].velocity, notes[i].d2);
    EXPECT_EQ(expected[i].release, notes[i].d3);
    EXPECT_EQ(expected[i].duration, notes[i].duration);
  }
  // The note still held at the end of the track is flagged as such.
  EXPECT_EQ(kSmfHeldNoteFlags, notes.back().flags);
  EXPECT_EQ(0, notes.front().flags);

  std::vector<std::vector<uint32_t>> shorts;
  for (const SeenEvent& e : Events(0))
    if ((e.status & 0xF0) != kKindNote) shorts.push_back({e.tick, e.status, e.d1, e.d2});
  EXPECT_EQ((std::vector<std::vector<uint32_t>>{{1, 0xC0, 5, 0},
                                                {1, 0xC0, 7, 0},
                                                {481, 0xB0, 7, 100},
                                                {531, 0xB0, 10, 64},
                                                {581, 0xB0, 1, 2},
                                                {581, 0xE0, 0, 64},
                                                {641, 0xE0, 0x7F, 0x7F},
                                                {641, 0xD0, 33, 0},
                                                {666, 0xD0, 44, 0},
                                                {666, 0xA0, 60, 12},
                                                {691, 0xA0, 61, 13}}),
            shorts);
  ASSERT_EQ(1, CountMarkers());
  EXPECT_EQ("la", MarkerName(0));
  EXPECT_EQ(kSmfMarkerKindLyric, MarkerKind(GetMarkerAt(0)));
  EXPECT_EQ(2191u, MarkerTick(GetMarkerAt(0)));
  EXPECT_EQ(2441u, TrackEntryView(GetTrackEntryAt(0)).TickLength());
  EXPECT_EQ(1, gSongModified);
}

TEST_F(SmfImportTest, SystemExclusivePacketsAndEscapes) {
  ASSERT_EQ(noErr, ImportFixture("sysex_escapes.mid"));
  std::vector<std::pair<uint32_t, Bytes>> data;
  for (const SeenEvent& e : Events(0))
    if (e.status == kKindVariable) data.push_back({e.tick, e.data});
  EXPECT_EQ((std::vector<std::pair<uint32_t, Bytes>>{
                {1, {0x43, 0x10, 0x4C, 0x00, 0xF7}},
                {161, {0x7E, 0x7F, 0x09, 0x01, 0x02, 0x03, 0xF7}},  // one message of 3 packets
                {201, {0x7D, 0xF7}}}),
            data);
  ASSERT_EQ(1u, Notes(0).size());
  EXPECT_EQ(41u, Notes(0)[0].tick);
  EXPECT_EQ(160u, Notes(0)[0].duration);
}

TEST_F(SmfImportTest, EscapesCarryRawBytesAndStatusBytesDropASysEx) {
  Bytes file = File({Header(0, 1, 480),
                     Track({{0, {0xF7, 3, 0x90, 60, 100}},        // a note-on sent raw
                            {480, {0x80, 60, 0}},
                            {0, {0xF0, 3, 1, 2, 3}},               // never ended: dropped ...
                            {0, {0xF0, 2, 4, 0xF7}},               // ... by the next F0
                            {0, {0xF0, 2, 5, 6}},                  // dropped by a status byte
                            {10, {0x90, 62, 90}},
                            {10, {0x80, 62, 0}},
                            {0, EndOfTrack()}})});
  ASSERT_EQ(noErr, Import(file));
  std::vector<SeenEvent> events = Events(0);
  ASSERT_EQ(3u, events.size());
  EXPECT_EQ(0x90, events[0].status);
  EXPECT_EQ(480u, events[0].duration);
  EXPECT_EQ(kKindVariable, events[1].status);
  EXPECT_EQ((Bytes{4, 0xF7}), events[1].data);
  EXPECT_EQ(62, events[2].d1);
  EXPECT_EQ(10u, events[2].duration);
}

TEST_F(SmfImportTest, FormatTwoPatternsFollowTheTempoTrackRule) {
  ASSERT_EQ(noErr, ImportFixture("format2.mid"));
  // Three chunks: the first is taken as the tempo track and joins the first song track.
  ASSERT_EQ(2, GetSongTrackCount());
  EXPECT_EQ(4u, Notes(0).size());
  EXPECT_EQ(2u, Notes(1).size());
  EXPECT_EQ("Pattern 1", TrackName(0));
  EXPECT_EQ("Pattern 2", TrackName(1));
  EXPECT_EQ("Pattern 0", SongName());
  EXPECT_EQ(1333, SongHeaderView(gCurrentSong).Tempo());  // the last tick-1 tempo wins
  EXPECT_EQ(5, SongHeaderView(gCurrentSong).BeatsPerBar());
  EXPECT_EQ(481u, Notes(1)[1].tick);  // 240 file ticks per quarter, 480 in the song
}

TEST_F(SmfImportTest, FormatOneWithOneChunkMakesOneTrack) {
  ASSERT_EQ(noErr, ImportFixture("format1_single.mid"));
  ASSERT_EQ(1, GetSongTrackCount());
  ASSERT_EQ(1u, Notes(0).size());
  EXPECT_EQ(480u, Notes(0)[0].duration);
  EXPECT_EQ(1000, SongHeaderView(gCurrentSong).Tempo());
}

TEST_F(SmfImportTest, TempoTrackEventsJoinTheFirstTrack) {
  ASSERT_EQ(noErr, ImportFixture("tempo_track_notes.mid"));
  ASSERT_EQ(2, GetSongTrackCount());
  EXPECT_EQ("Bass", TrackName(0));
  EXPECT_EQ("Lead text", TrackName(1));  // a text event names a track without a name
  EXPECT_EQ("tempo_track_notes.mid", SongName());
  std::vector<SeenEvent> notes = Notes(0);
  ASSERT_EQ(2u, notes.size());
  EXPECT_EQ(0x99, notes[1].status);
  EXPECT_EQ(961u, notes[1].tick);
  EXPECT_EQ((std::vector<std::vector<int32_t>>{{1681, 2000, 0}}), Records(kConductorTempo));
  // Track 0 plays channels 1 and 10 and keeps its setting; track 1 plays channel 2 only.
  EXPECT_EQ(1, GetTrackEntryAt(1)[kTrackImportChannel]);
  EXPECT_NE(9, GetTrackEntryAt(0)[kTrackImportChannel]);
}

TEST_F(SmfImportTest, TicksAreRescaledToTheSongResolution) {
  struct Case {
    int16_t division;
    uint32_t fileTick;
    uint32_t songTick;
  } cases[] = {{96, 96, 481}, {480, 480, 481}, {7, 1, 70}, {960, 1, 2}, {960, 3, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.division);
    SetUpSmfImportState(480);
    Bytes file = File({Header(0, 1, c.division),
                       Track({{c.fileTick, {0xB0, 7, 1}}, {0, EndOfTrack()}})});
    ASSERT_EQ(noErr, Import(file));
    ASSERT_EQ(1u, Events(0).size());
    EXPECT_EQ(c.songTick, Events(0)[0].tick);
  }
}

TEST_F(SmfImportTest, TimeCodeDivisionGoesThroughTheTempoMap) {
  // 25 frames of 40 ticks: 1000 ticks a second; 120 beats per minute at 480 ticks per
  // quarter is 960 song ticks a second.
  int16_t division = int16_t((uint16_t(uint8_t(-25)) << 8) | 40);
  Bytes file = File({Header(0, 1, division),
                     Track({{1000, {0xB0, 7, 1}}, {1000, {0xB0, 7, 2}}, {0, EndOfTrack()}})});
  ASSERT_EQ(noErr, Import(file));
  ASSERT_EQ(2u, Events(0).size());
  EXPECT_NEAR(961, int(Events(0)[0].tick), 1);
  EXPECT_NEAR(1921, int(Events(0)[1].tick), 1);
  EXPECT_EQ(1, gSmfSmpteTiming);
}

// The frame rate of a SMPTE offset (the top bits of its hours) becomes the program's and the
// document's; a file without one leaves the rate as it was.
TEST_F(SmfImportTest, TheSmpteOffsetsFrameRateIsTaken) {
  struct Case {
    bool offset;
    uint8_t rate, want;
  };
  const Case cases[] = {{true, 1, 1}, {false, 0, 1}, {true, 2, 2}, {true, 0, 0}};
  for (const Case& c : cases) {
    Bytes offset = Meta(0x54, {uint8_t(c.rate << 5 | 1), 2, 3, 4, 0});
    Bytes track = c.offset ? Track({{0, offset}, {0, EndOfTrack()}}) : Track({{0, EndOfTrack()}});
    ASSERT_EQ(noErr, Import(File({Header(0, 1, 480), track})));
    EXPECT_EQ(c.want, gSmpteRateCode) << int(c.rate);
    EXPECT_EQ(c.want, gSongFileHeader[kFileHeaderFrameRate]) << int(c.rate);
  }
  SetSmpteFrameRate(3);
}

// The offset's time code becomes the song start offset, counted at the offset's own frame
// rate (drop-frame included); a later file without one leaves it alone.
TEST_F(SmfImportTest, TheSmpteOffsetBecomesTheSongStartOffset) {
  struct Case {
    uint8_t rate, hours, minutes, seconds, frames, hundredths;
    uint32_t subframes;
  } cases[] = {
      {3, 1, 2, 3, 4, 50, 8640000 + 2 * 144000 + 3 * 2400 + 4 * 80 + 40},
      {0, 0, 0, 1, 0, 0, 1920},
      {1, 0, 1, 0, 24, 99, 120000 + 24 * 80 + 79},
      {2, 0, 10, 0, 0, 0, 1438560},  // ten minutes of drop-frame time code
      {2, 0, 1, 0, 2, 0, 144000},    // the first frame of minute 1 (frames 0 and 1 dropped)
      {2, 1, 0, 0, 0, 0, 8640000 - 8640},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.rate) * 100 + c.minutes);
    gSongStartOffset = 7;
    Bytes offset = Meta(0x54, {uint8_t(c.rate << 5 | c.hours), c.minutes, c.seconds, c.frames,
                               c.hundredths});
    ASSERT_EQ(noErr, Import(File({Header(1, 2, 480), Track({{0, offset}, {0, EndOfTrack()}}),
                                  Track({{0, {0x90, 60, 100}}, {10, {0x80, 60, 0}}})})));
    EXPECT_EQ(c.subframes, gSongStartOffset);
    EXPECT_EQ(c.rate, gSmpteRateCode);
  }
  ASSERT_EQ(noErr, Import(File({Header(0, 1, 480), Track({{0, EndOfTrack()}})})));
  EXPECT_EQ(8640000u - 8640, gSongStartOffset);
  SetSmpteFrameRate(3);
  gSongStartOffset = 0;
}

// A format-0 file is one track, also when its header counts more tracks: the count makes no
// empty tracks, and chunks it names that are not there are not missed.
TEST_F(SmfImportTest, AFormatZeroFileIsOneTrack) {
  Bytes one = Track({{0, {0x90, 60, 100}}, {0, {0x91, 62, 100}}, {0, {0x99, 36, 100}},
                     {10, {0x80, 60, 0}}, {0, {0x81, 62, 0}}, {0, {0x89, 36, 0}}});
  for (uint16_t count : {1, 3, 20}) {
    SCOPED_TRACE(count);
    SetUpSmfImportState(480);
    ASSERT_EQ(noErr, Import(File({Header(0, count, 480), one})));
    ASSERT_EQ(1, GetSongTrackCount());
    EXPECT_EQ(3u, Notes(0).size());
    EXPECT_EQ("Test.mid", TrackName(0));
  }
  // Further chunks of a damaged format-0 file are not tracks of the song.
  ASSERT_EQ(noErr, Import(File({Header(0, 2, 480), one, Track({{0, {0x92, 64, 100}}})})));
  ASSERT_EQ(1, GetSongTrackCount());
  EXPECT_EQ(3u, Notes(0).size());
}

std::vector<int16_t> gFrontRequests;

// A new song from a file brings the song's main window to the front; a merge into the current
// song and a failed import do not.
TEST_F(SmfImportTest, ANewSongBringsTheMainWindowToTheFront) {
  RedrawHooks saved = gRedrawHooks;
  gRedrawHooks.bringWindowToFront = [](int16_t kind) { gFrontRequests.push_back(kind); };
  gFrontRequests.clear();
  Bytes file = File({Header(0, 1, 480), Track({{0, {0xC0, 9}}, {0, EndOfTrack()}})});
  ASSERT_EQ(noErr, Import(file));
  EXPECT_EQ(std::vector<int16_t>{kMainWindowKind}, gFrontRequests);
  ASSERT_EQ(noErr, Import(file, 481));
  EXPECT_EQ(kSmfMissingTrackErr, Import(Header(0, 1, 480)));
  EXPECT_EQ(1u, gFrontRequests.size());
  gRedrawHooks = saved;
}

// Tracks of an import whose default output is unset or an audio driver play the song's first
// plug-in device when it has one, else the built-in synth; a chosen MIDI output is kept. The
// defaults are the same afterwards.
TEST_F(SmfImportTest, ImportedTracksPlayThePluginDeviceOrTheSynth) {
  InstrumentPluginHooks saved = gInstrumentPluginHooks;
  struct Case {
    int32_t devices;
    uint8_t defaultKind, kind, port;
  } cases[] = {{2, 127, kDeviceKindPlugin, 7}, {0, 127, 5, 3}, {2, 18, 18, 3}, {0, 18, 18, 3}};
  Bytes file = File({Header(0, 1, 480), Track({{0, {0xC0, 9}}, {0, EndOfTrack()}})});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.devices * 1000 + c.defaultKind);
    static int32_t devices;
    devices = c.devices;
    gInstrumentPluginHooks.countSongTrackDevices = [] { return devices; };
    gInstrumentPluginHooks.songTrackDeviceId = [](int32_t n) { return uint8_t(n < devices ? 7 + n : 0); };
    gNewSongDefaults.trackType = c.defaultKind;
    gNewSongDefaults.trackMidiOutput = 3;
    ASSERT_EQ(noErr, Import(file));
    EXPECT_EQ(c.kind, GetTrackEntryAt(0)[kTrackType]);
    EXPECT_EQ(c.port, GetTrackEntryAt(0)[kTrackMidiOutput]);
    // The track plays: it is audible and sends through its kind's procedure.
    EXPECT_TRUE(GetTrackEntryAt(0)[kTrackFlags] & kTrackFlagAudible);
    EXPECT_EQ(GetDriverProcForKind(c.kind), ReadU32BE(GetTrackEntryAt(0) + kTrackSetting208));
    EXPECT_EQ(c.defaultKind, gNewSongDefaults.trackType);
    EXPECT_EQ(3, gNewSongDefaults.trackMidiOutput);
  }
  gInstrumentPluginHooks = saved;
  gNewSongDefaults = NewSongDefaults();
}

TEST_F(SmfImportTest, AbsurdConductorEventsAreClampedOrIgnored) {
  Bytes file = File({Header(0, 1, 480),
                     Track({{0, Tempo(0)},
                            {0, Meta(0x58, {255, 255, 24, 8})},
                            {0, Meta(0x59, {uint8_t(-9), 0})},   // not a key: ignored
                            {480, Meta(0x51, {0x07})},            // too short: ignored
                            {0, Meta(0x58, {0, 2, 24, 8})},       // no numerator: ignored
                            {0, Meta(0x58, {4})},                 // too short: ignored
                            {480, Tempo(100000)},
                            {0, EndOfTrack()}})});
  ASSERT_EQ(noErr, Import(file));
  SongHeaderView song(gCurrentSong);
  EXPECT_EQ(4500, song.Tempo());
  EXPECT_EQ(64, song.BeatsPerBar());
  EXPECT_EQ(30, song.TicksPerBeat());
  EXPECT_EQ(0, song.Key());
  EXPECT_EQ((std::vector<std::vector<int32_t>>{{961, 4500, 0}}), Records(kConductorTempo));
  EXPECT_TRUE(Records(kConductorMeter).empty());
}

TEST_F(SmfImportTest, LengthsAreCutAtTheChunkEnd) {
  // A marker whose stated length runs far past its chunk, and a system-exclusive packet
  // likewise: both are cut at the chunk end, and the next chunk is read as it should be.
  Bytes first = Chunk("MTrk", {0x00, 0x90, 60, 100, 0x00, 0xFF, 0x06, 0x8F, 0xFF, 0xFF, 0x7F, 'a', 'b'});
  Bytes second = Chunk("MTrk", {0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0x7F, 1, 2});
  Bytes third = Track({{0, {0x91, 61, 100}}, {10, {0x81, 61, 0}}});
  ASSERT_EQ(noErr, Import(File({Header(1, 3, 480), first, second, third})));
  ASSERT_EQ(2, GetSongTrackCount());
  ASSERT_EQ(1, CountMarkers());
  EXPECT_EQ("ab", MarkerName(0));
  EXPECT_EQ(1u, Notes(0).size());  // the tempo chunk's note joins track 0
  EXPECT_EQ(1u, Notes(1).size());
  EXPECT_EQ(10u, Notes(1)[0].duration);
}

TEST_F(SmfImportTest, StrayBytesAreSkippedAsLiveInputWould) {
  Bytes file = File({Header(0, 1, 480),
                     Track({{0, {0x40}},                  // a data byte without a status
                            {0, {0xB0, 7, 99}},
                            {0, {0xF4}},                  // not a file event: skipped ...
                            {0, {0x90, 60, 100}},         // ... up to this status byte
                            {480, {0x80, 60, 0}},
                            {0, EndOfTrack()}})});
  ASSERT_EQ(noErr, Import(file));
  std::vector<SeenEvent> events = Events(0);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(1u, Notes(0).size());
}

TEST_F(SmfImportTest, TrackCountIsLimited) {
  Bytes file = Header(1, 50, 480);
  Append(&file, Track({{0, Tempo(500000)}, {0, EndOfTrack()}}));
  for (int i = 1; i < 50; ++i)
    Append(&file, Track({{0, {uint8_t(0x90 | (i & 15)), 60, 100}}, {10, {uint8_t(0x80 | (i & 15)), 60, 0}}}));
  ASSERT_EQ(noErr, Import(file));
  EXPECT_EQ(kSmfMaxTracks, GetSongTrackCount());
  EXPECT_EQ(1u, Notes(46).size());
}

// A track chunk of n markers, one a tick apart.
Bytes ManyMarkers(int32_t n) {
  Bytes body;
  for (int32_t i = 0; i < n; ++i) {
    Append(&body, Vlq(1));
    Append(&body, Text(0x06, "m"));
  }
  return Chunk("MTrk", body);
}

TEST_F(SmfImportTest, MarkerCountIsLimited) {
  // Each marker is a few bytes in a file; without a bound a small file would make the import
  // store markers for minutes. The bound holds within one chunk and over all of them.
  struct Case {
    const char* what;
    int32_t chunks;
    int32_t perChunk;
  } cases[] = {
      {"one chunk", 1, kSmfMaxMarkers + 1},
      {"over several chunks", 2, kSmfMaxMarkers / 2 + 50},
  };
  for (const Case& c : cases) {
    Bytes file = Header(1, uint16_t(c.chunks), 480);
    for (int32_t k = 0; k < c.chunks; ++k) Append(&file, ManyMarkers(c.perChunk));
    ASSERT_EQ(noErr, Import(file)) << c.what;
    EXPECT_EQ(kSmfMaxMarkers, CountMarkers()) << c.what;
    SetUpSmfImportState(480);
  }
}

TEST_F(SmfImportTest, UnknownChunksAreSkipped) {
  Bytes file = File({Header(0, 1, 480), Chunk("XFIH", {1, 2, 3, 4, 5}),
                     Track({{0, {0xC0, 9}}, {0, EndOfTrack()}})});
  ASSERT_EQ(noErr, Import(file));
  ASSERT_EQ(1u, Events(0).size());
  EXPECT_EQ(0xC0, Events(0)[0].status);
}

TEST_F(SmfImportTest, DamagedFilesChangeNothingAndLeakNothing) {
  Bytes good = File({Header(1, 3, 480), Track({{0, Tempo(500000)}, {0, EndOfTrack()}}),
                     Track({{0, {0x90, 60, 100}}, {480, {0x80, 60, 0}}})});
  Bytes cutShort = File({Header(0, 1, 480), Chunk("MTrk", {0x00, 0x90, 60, 100})});
  cutShort.resize(cutShort.size() - 2);
  Bytes longHeader = Header(0, 1, 480);
  longHeader[7] = 40;
  struct Case {
    const char* what;
    Bytes bytes;
    OSErr err;
  } cases[] = {
      {"empty", {}, kSmfNotMidiFileErr},
      {"not midi", {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'}, kSmfNotMidiFileErr},
      {"short header", Chunk("MThd", {0, 1, 0, 2}), kSmfHeaderLengthErr},
      {"header past the end", longHeader, kSmfHeaderCutShortErr},
      {"format 3", Header(3, 1, 480), kSmfUnknownFormatErr},
      {"zero division", File({Header(0, 1, 0), Track({{0, EndOfTrack()}})}), kSmfZeroDivisionErr},
      {"missing track", good, kSmfMissingTrackErr},
      {"track cut short", cutShort, kSmfMissingTrackErr},
      {"no track", Header(0, 1, 480), kSmfMissingTrackErr},
  };
  // A second song holds material that must survive.
  ASSERT_EQ(noErr, ImportFixture("running_status.mid"));
  gCurrentSongIndex = 1;
  ASSERT_EQ(noErr, ImportFixture("tempo_track_notes.mid"));
  std::string before = SongTableSnapshot();
  uint32_t handles = CountLiveHandles();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (uint32_t merge : {0u, 481u}) {
      EXPECT_EQ(c.err, Import(c.bytes, merge));
      EXPECT_EQ(before, SongTableSnapshot());
      EXPECT_EQ(handles, CountLiveHandles());
      EXPECT_FALSE(gSmfChunk);
    }
  }
}

TEST_F(SmfImportTest, MemoryShortageChangesNothing) {
  ASSERT_EQ(noErr, ImportFixture("running_status.mid"));
  gCurrentSongIndex = 1;
  Bytes big = Header(1, 3, 480);
  Append(&big, Track({{0, Tempo(500000)}, {0, Text(0x06, "mark")}, {0, EndOfTrack()}}));
  for (int t = 0; t < 2; ++t) {
    Bytes body;
    for (int i = 0; i < 3000; ++i) Append(&body, {0, uint8_t(0x90 | t), uint8_t(i & 127), 100});
    Append(&big, Chunk("MTrk", body));
  }
  std::string before = SongTableSnapshot();
  uint32_t handles = CountLiveHandles();
  uint64_t budget = GetMemoryBudget();
  OSErr err = memFullErr;
  // Every budget from too little for the first chunk to enough for the whole song: each
  // attempt either succeeds or leaves the open songs as they were.
  for (uint64_t room = 20000; room < 2000000; room += 7919) {
    SCOPED_TRACE(room);
    SetMemoryBudget(GetMemoryInUse() + room);
    err = Import(big);
    SetMemoryBudget(budget);
    if (err == noErr) break;
    ASSERT_EQ(memFullErr, err);
    ASSERT_EQ(before, SongTableSnapshot());
    ASSERT_EQ(handles, CountLiveHandles());
    ASSERT_EQ(1, gCurrentSongIndex);
  }
  ASSERT_EQ(noErr, err);
  EXPECT_EQ(3000u, Notes(1).size());
}

TEST_F(SmfImportTest, AMergeThatRunsOutOfMemoryChangesNothing) {
  ASSERT_EQ(noErr, ImportFixture("running_status.mid"));
  Bytes body;
  for (int i = 0; i < 3000; ++i) Append(&body, {0, 0x90, uint8_t(i & 127), 100});
  Bytes file = File({Header(1, 3, 480), Track({{0, Text(0x06, "mark")}, {0, Meta(0x59, {2, 0})}}),
                     Chunk("MTrk", body), Chunk("MTrk", body)});
  std::string before = SongTableSnapshot();
  uint32_t handles = CountLiveHandles();
  uint64_t budget = GetMemoryBudget();
  OSErr err = memFullErr;
  // Every budget from too little for the chunk to enough for the whole merge: each attempt
  // either succeeds or leaves the song as it was.
  for (uint64_t room = 20000; err != noErr && room < 2000000; room += 7919) {
    SCOPED_TRACE(room);
    SetMemoryBudget(GetMemoryInUse() + room);
    err = Import(file, 481);
    SetMemoryBudget(budget);
    if (err == noErr) break;
    ASSERT_EQ(memFullErr, err);
    ASSERT_EQ(before, SongTableSnapshot());
    ASSERT_EQ(handles, CountLiveHandles());
  }
  ASSERT_EQ(noErr, err);
  EXPECT_EQ(3, GetSongTrackCount());
  EXPECT_EQ(3000u, Notes(2).size());
}

TEST_F(SmfImportTest, MergeTicksStayBelowTheLimit) {
  Bytes file = File({Header(0, 1, 480), Track({{0, {0xB0, 7, 1}}, {480, {0xB0, 7, 2}}})});
  ASSERT_EQ(noErr, Import(file, 0xFFFFFFF0));
  std::vector<SeenEvent> events = Events(0);
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(kSmfMaxTick, events[0].tick);
  EXPECT_EQ(kSmfMaxTick, events[1].tick);
}

TEST_F(SmfImportTest, NewSongReplacesTheSlotsBareSong) {
  // The slot keeps its handle (a caller's saved context may name it); the bare song's
  // lists are gone.
  Handle bare = GetSongHandleAt(0);
  Handle bareMarkers = SongHeaderView(gCurrentSong).MarkerList();
  ASSERT_EQ(noErr, ImportFixture("format1_single.mid"));
  EXPECT_EQ(bare, GetSongHandleAt(0));
  EXPECT_FALSE(IsValidHandle(bareMarkers));
  EXPECT_EQ(GetSongHandleAt(0), gCurrentSongHandle);
  EXPECT_TRUE(IsHandleLocked(gCurrentSongHandle));
  EXPECT_EQ(1u, Notes(0).size());
  EXPECT_EQ(0, gCurrentSongIndex);
  gCurrentSongIndex = 2;
  ASSERT_EQ(noErr, ImportFixture("format2.mid"));
  EXPECT_EQ(GetSongHandleAt(2), gCurrentSongHandle);
  EXPECT_NE(SongHeaderView(gCurrentSong).Id(),
            ReadU16BE(HandleData(GetSongHandleAt(0)) + kSongId));
}

TEST_F(SmfImportTest, MergeIntoTheCurrentTrackFromAStartTick) {
  ASSERT_EQ(noErr, ImportFixture("format1_single.mid"));  // one note at tick 1, tempo 100
  Bytes file = File({Header(0, 1, 240),
                     Track({{0, Tempo(250000)},
                            {0, Meta(0x59, {1, 0})},
                            {0, Text(0x06, "Verse")},
                            {120, {0x90, 64, 90}},
                            {120, {0x80, 64, 0}},
                            {0, EndOfTrack()}})});
  ASSERT_EQ(noErr, Import(file, 1001));
  ASSERT_EQ(1, GetSongTrackCount());
  std::vector<SeenEvent> notes = Notes(0);
  ASSERT_EQ(2u, notes.size());
  EXPECT_EQ(1u, notes[0].tick);
  EXPECT_EQ(48, notes[0].d1);
  EXPECT_EQ(1241u, notes[1].tick);  // 120 file ticks = 240 song ticks after tick 1001
  EXPECT_EQ(240u, notes[1].duration);
  SongHeaderView song(gCurrentSong);
  EXPECT_EQ(1000, song.Tempo());            // tempo is not taken into an existing song
  EXPECT_TRUE(Records(kConductorTempo).empty());
  EXPECT_EQ((std::vector<std::vector<int32_t>>{{1001, 1, 0}}), Records(kConductorKey));
  ASSERT_EQ(1, CountMarkers());
  EXPECT_EQ(1001u, MarkerTick(GetMarkerAt(0)));
  EXPECT_EQ("Verse", MarkerName(0));
}

TEST_F(SmfImportTest, MergeOfSeveralTracksAddsTracks) {
  ASSERT_EQ(noErr, ImportFixture("format1_single.mid"));
  ASSERT_EQ(noErr, ImportFixture("tempo_track_notes.mid", 1));
  ASSERT_EQ(3, GetSongTrackCount());
  EXPECT_EQ(1u, Notes(0).size());
  EXPECT_EQ(2u, Notes(1).size());
  EXPECT_EQ("Bass", TrackName(1));
  EXPECT_EQ(1u, Notes(2).size());
  // The added tracks are numbered.
  EXPECT_NE(GetTrackEntryAt(1)[kTrackNumber], GetTrackEntryAt(0)[kTrackNumber]);
  EXPECT_NE(GetTrackEntryAt(2)[kTrackNumber], GetTrackEntryAt(1)[kTrackNumber]);
  EXPECT_NE(kNoTrackNumber, GetTrackEntryAt(2)[kTrackNumber]);
}

TEST_F(SmfImportTest, AMergeIsOneUndoStep) {
  ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
  ASSERT_EQ(noErr, ImportFixture("running_status.mid"));
  std::string before = DumpSongCanonical();
  int32_t markers = CountMarkers();
  ASSERT_EQ(noErr, ImportFixture("tempo_track_notes.mid", 481));
  ASSERT_EQ(3, GetSongTrackCount());
  ASSERT_TRUE(CanUndo());
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, DumpSongCanonical());
  EXPECT_EQ(markers, CountMarkers());
  DisposeUndoRing();
}

TEST_F(SmfImportTest, MarkersAndNames) {
  Bytes file = File({Header(1, 2, 480),
                     Track({{0, Text(0x03, "A Song Title That Is Far Too Long For The Field")},
                            {0, Text(0x02, "(c) nobody \r\n")},
                            {480, Text(0x07, "cue")},
                            {0, EndOfTrack()}}),
                     Track({{0, Text(0x01, "text first")},
                            {0, Text(0x03, "Named")},
                            {0, Text(0x05, "  ")},       // nothing left after trimming
                            {0, EndOfTrack()}})});
  ASSERT_EQ(noErr, Import(file));
  EXPECT_EQ("A Song Title That Is Far Too Lo", SongName());  // 31 characters
  EXPECT_EQ("Named", TrackName(0));
  ASSERT_EQ(2, CountMarkers());
  EXPECT_EQ("(c) nobody", MarkerName(0));
  EXPECT_EQ("cue", MarkerName(1));
  EXPECT_EQ(kSmfCuePointValue, MarkerValue(GetMarkerAt(1)));
  EXPECT_EQ(481u, MarkerTick(GetMarkerAt(1)));
}

}  // namespace
