// Songs, tracks, child sequences, track numbers and track lengths.
#include <vector>

#include "shell/base/new_song_defaults.h"
#include "song/conductor/conductor_map.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/plugin_hooks.h"
#include "song/events/event_index.h"
#include "song/model/child_sequences.h"
#include "song/model/song_iterators.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_length.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "tests/song/model/model_fixture.h"

namespace {

using SongTest = SongModelTest;

// Makes slot n a new song with count tracks; leaves it current.
void MakeSong(int32_t slot, int32_t count) {
  gCurrentSongIndex = slot;
  ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
  ASSERT_EQ(noErr, CreateSongTracks(count, 1));
}

TEST_F(SongTest, NewSongHasOneTrackAndEmptyLists) {
  SongHeaderView song(gCurrentSong);
  EXPECT_EQ(1, song.TrackCount());
  EXPECT_EQ(1u, song.EndTick());
  EXPECT_EQ(1u, song.Bars());
  EXPECT_EQ(Size(SongBlockSize(1)), GetCurrentSongSize());
  Handle markers = song.MarkerList();
  ASSERT_TRUE(markers);
  ASSERT_EQ(8, GetHandleSize(markers));
  EXPECT_EQ(0u, ReadU32BE(HandleData(markers)));
  EXPECT_EQ(0x7fffffffu, ReadU32BE(HandleData(markers) + 4));
  EXPECT_TRUE(song.ConductorMap());
  EXPECT_EQ(kSongDefaultColumns[10], ReadU16BE(gCurrentSong + kSongColumns + 20));
  EXPECT_EQ(5, ReadU16BE(gCurrentSong + kSongDisplay182));
  TrackEntryView track(gCurrentTrack);
  EXPECT_EQ(kTrackEntrySize, track.Length());
  EXPECT_EQ(8192, ReadU16BE(gCurrentTrack + kTrackCentre72));
  EXPECT_EQ(-1, ReadI16BE(gCurrentTrack + kTrackLastProgram));
  EXPECT_EQ(' ', track.Name()[31]);
}

// A new track's default output is one it can play through: a plug-in device that is gone gives
// way to the song's first one, and with none the audio output takes its place.
std::vector<uint8_t> gDevices;
int32_t CountDevices() { return int32_t(gDevices.size()); }
uint8_t DeviceId(int32_t n) { return gDevices[size_t(n)]; }

TEST_F(SongTest, NewTracksGetAUsableDefaultOutput) {
  struct Case {
    uint8_t kind, port;
    std::vector<uint8_t> devices;
    uint8_t wantKind, wantPort;
  } cases[] = {
      {kDeviceKindPlugin, 7, {}, kDeviceKindAudio, 0},
      {kDeviceKindPlugin, 7, {3, 7}, kDeviceKindPlugin, 7},
      {kDeviceKindPlugin, 9, {3, 7}, kDeviceKindPlugin, 3},
      {kDeviceKindMidiPort, 2, {}, kDeviceKindMidiPort, 2},
  };
  InstrumentPluginHooks saved = gInstrumentPluginHooks;
  gInstrumentPluginHooks.countSongTrackDevices = CountDevices;
  gInstrumentPluginHooks.songTrackDeviceId = DeviceId;
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.port));
    gDevices = c.devices;
    gNewSongDefaults.trackType = c.kind;
    gNewSongDefaults.trackMidiOutput = c.port;
    ASSERT_EQ(noErr, CreateSongTracks(1, 1));
    EXPECT_EQ(c.wantKind, gCurrentTrack[kTrackType]);
    EXPECT_EQ(c.wantPort, gCurrentTrack[kTrackMidiOutput]);
  }
  gInstrumentPluginHooks = saved;
  gNewSongDefaults = NewSongDefaults();
}

TEST_F(SongTest, BlockSizes) {
  EXPECT_EQ(404, SongBlockSize(0));
  EXPECT_EQ(404 + 264 * 3, SongBlockSize(3));
  MakeSong(2, 0);
  EXPECT_EQ(Size(404), GetCurrentSongSize());
  DisposeSong();
  EXPECT_FALSE(GetSongHandleAt(2));
}

TEST_F(SongTest, TrackWithChildrenIsWalkedByItsLength) {
  ASSERT_EQ(noErr, CreateSongTracks(2, 1));
  SetCurrentTrackIndex(0);
  ASSERT_EQ(0, SetChildCount(3));
  EXPECT_EQ(288, ReadI16BE(gCurrentTrack + kTrackLength));
  EXPECT_EQ(3, GetChildCount());
  uint8_t* second = GetTrackEntryAt(1);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(288, second - GetTrackEntryAt(0));
  EXPECT_EQ(kTrackEntrySize, ReadI16BE(second + kTrackLength));
  EXPECT_EQ(Size(404 + 288 + 264), GetCurrentSongSize());
}

TEST_F(SongTest, DamagedTrackLengthEndsTheWalk) {
  ASSERT_EQ(noErr, CreateSongTracks(2, 1));
  WriteU16BE(GetTrackEntryAt(0) + kTrackLength, 0);
  EXPECT_EQ(nullptr, GetTrackEntryAt(1));
  SetCurrentTrackIndex(1);
  EXPECT_EQ(gTrackTemplate, gCurrentTrack);
  WriteU16BE(GetTrackEntryAt(0) + kTrackLength, kTrackEntrySize);
}

int32_t AddEventsToTrack(void*) {
  EXPECT_EQ(noErr, InsertShortEvent(0, 10, 0xB0, 1, 2));
  return 0;
}

// Gives the current track of the current song n children, each with two tracks with events.
void AddChildren(int32_t n) {
  ASSERT_EQ(0, SetChildCount(n));
  for (int32_t i = 0; i < n; ++i) {
    ASSERT_EQ(noErr, PushSongContext());
    GetChildSequence(i);
    ASSERT_EQ(noErr, AddChildSequence(false, SongBlockSize(0)));
    ASSERT_EQ(noErr, CreateSongTracks(2, 1));
    ForEachTrack(AddEventsToTrack, nullptr);
    PopSongContext();
  }
}

TEST_F(SongTest, SongsWithChildrenAreDisposedWithoutLeaks) {
  MakeSong(1, 3);
  ForEachTrack(AddEventsToTrack, nullptr);
  SetCurrentTrackIndex(1);
  AddChildren(2);
  ASSERT_EQ(noErr, PushSongContext());
  ASSERT_TRUE(SelectChildSequence(1));
  SetCurrentTrackIndex(0);
  AddChildren(1);  // a grandchild
  PopSongContext();
  // A link child holds no lists of its own.
  SetCurrentTrackIndex(2);
  ASSERT_EQ(0, SetChildCount(1));
  ASSERT_EQ(noErr, PushSongContext());
  GetChildSequence(0);
  ASSERT_EQ(noErr, AddChildSequence(true, SongBlockSize(0)));
  EXPECT_TRUE(IsSongLink());
  EXPECT_FALSE(SongHeaderView(gCurrentSong).MarkerList());
  PopSongContext();
  EXPECT_GT(CountLiveHandles(), baseline_ + 10);

  SetCurrentTrackIndex(1);
  EXPECT_EQ(2, CountChildSequences());
  DisposeSong();
  EXPECT_FALSE(GetSongHandleAt(1));
  DisposeAllEventIndexes();
  EXPECT_EQ(baseline_, CountLiveHandles());
}

TEST_F(SongTest, LinkChildSelectsTheOpenSongWithItsId) {
  MakeSong(1, 1);
  AssignUniqueSongId();
  SongHeaderView(gCurrentSong).SetId(gSongIdCounter);
  Handle target = gCurrentSongHandle;
  uint16_t id = gSongIdCounter;
  SelectSongIndex(0);
  SelectSong(GetSongHandleAt(0));
  ASSERT_EQ(0, SetChildCount(1));
  ASSERT_EQ(noErr, PushSongContext());
  GetChildSequence(0);
  ASSERT_EQ(noErr, AddChildSequence(true, SongBlockSize(0)));
  SongHeaderView(gCurrentSong).SetId(id);
  PopSongContext();

  ASSERT_EQ(noErr, PushSongContext());
  ASSERT_TRUE(SelectChildSequence(0));
  EXPECT_EQ(target, gCurrentSongHandle);
  PopSongContext();
  gFollowSongLinks = 0;
  ASSERT_EQ(noErr, PushSongContext());
  ASSERT_TRUE(SelectChildSequence(0));
  EXPECT_NE(target, gCurrentSongHandle);
  PopSongContext();
  gFollowSongLinks = 1;

  DisposeSong();  // song 0: also disposes the link shell
  SelectSongIndex(1);
  SelectSong(GetSongHandleAt(1));
  DisposeSong();
  EXPECT_EQ(baseline_, CountLiveHandles());
}

TEST_F(SongTest, DisposingSongZeroLeavesAFreshOneTrackSong) {
  ASSERT_EQ(noErr, CreateSongTracks(4, 1));
  ForEachTrack(AddEventsToTrack, nullptr);
  Handle song0 = GetSongHandleAt(0);
  DisposeSong();
  EXPECT_EQ(song0, GetSongHandleAt(0));
  EXPECT_EQ(1, GetSongTrackCount());
  EXPECT_EQ(Size(SongBlockSize(1)), GetCurrentSongSize());
  EXPECT_FALSE(TrackEntryView(GetTrackEntryAt(0)).EventList());
  EXPECT_EQ(baseline_, CountLiveHandles());
}

TEST_F(SongTest, SongIdsAreUniqueAmongOpenSongs) {
  MakeSong(1, 1);
  SongHeaderView(gCurrentSong).SetId(SongHeaderView(*GetSongHandleAt(0)).Id());
  EXPECT_FALSE(IsSongIdUnique());
  AssignUniqueSongId();
  SongHeaderView(gCurrentSong).SetId(gSongIdCounter);
  EXPECT_TRUE(IsSongIdUnique());
  int32_t index = -1;
  EXPECT_EQ(gCurrentSongHandle, FindSongById(gSongIdCounter, &index));
  EXPECT_EQ(1, index);
  DisposeSong();
}

TEST_F(SongTest, SelectSongIndexPastTheTableLeavesNoSong) {
  SelectSongIndex(gSongCount);
  EXPECT_FALSE(gCurrentSongHandle);
  EXPECT_EQ(nullptr, gCurrentSong);
  EXPECT_EQ(-1, gCurrentChildIndex);
}

TEST_F(SongTest, NewSongArmsItsRecordTrack) {
  // A new header names track 0 as the record track.
  EXPECT_EQ(0, gCurrentSong[kSongRecordTrack]);
  EXPECT_TRUE(gCurrentTrack[kTrackModeFlags] & kTrackModeArmed);
  EXPECT_EQ(1, gCurrentSong[kSongArmedCount]);
}

TEST_F(SongTest, RemoveEmptyTracksKeepsTracksWithData) {
  gCurrentSong[kSongRecordTrack] = 0xFF;  // no record track, so no track is armed
  ASSERT_EQ(noErr, CreateSongTracks(4, 1));
  SetCurrentTrackIndex(2);
  ASSERT_EQ(noErr, InsertShortEvent(0, 10, 0xB0, 1, 2));
  SetCurrentTrackIndex(3);
  EnsureTrackEventList();  // an empty list only
  RebuildTrackNumberMap();
  RemoveEmptyTracks();
  ASSERT_EQ(1, GetSongTrackCount());
  EXPECT_EQ(2, GetTrackEntryAt(0)[kTrackNumber]);
  EXPECT_TRUE(TrackEntryView(GetTrackEntryAt(0)).EventList());
  DisposeAllEventIndexes();
  EXPECT_EQ(baseline_ + 1, CountLiveHandles());
}

TEST_F(SongTest, ArmedEmptyTrackStaysWithoutAList) {
  ASSERT_EQ(noErr, CreateSongTracks(2, 1));
  SetCurrentTrackIndex(1);
  ASSERT_EQ(noErr, InsertShortEvent(0, 10, 0xB0, 1, 2));
  SetCurrentTrackIndex(0);
  EnsureTrackEventList();
  gCurrentTrack[kTrackModeFlags] |= kTrackModeArmed;
  RemoveEmptyTracks();
  EXPECT_EQ(2, GetSongTrackCount());
  EXPECT_FALSE(TrackEntryView(GetTrackEntryAt(0)).EventList());
  EXPECT_EQ(0u, LastEventEnd(Handle(), 0));
  DisposeAllEventIndexes();
  EXPECT_EQ(baseline_ + 1, CountLiveHandles());
}

// --- track numbers -------------------------------------------------------------------------

TEST_F(SongTest, TrackNumbersFollowEntriesAndClashesAreRepaired) {
  ASSERT_EQ(noErr, CreateSongTracks(3, 1));
  GetTrackEntryAt(1)[kTrackNumber] = 0;  // clashes with entry 0
  GetTrackEntryAt(2)[kTrackNumber] = 7;
  GetTrackEntryAt(2)[kTrackFlags] |= kTrackFlagSolo;
  RebuildTrackNumberMap();
  EXPECT_EQ(0, gTrackNumberMap[0]);
  EXPECT_EQ(1, GetTrackEntryAt(1)[kTrackNumber]);  // the first free number
  EXPECT_EQ(1, gTrackNumberMap[1]);
  EXPECT_EQ(2, gTrackNumberMap[7]);
  EXPECT_EQ(kFreeTrackNumber, gTrackNumberMap[2]);
  EXPECT_EQ(1, gCurrentSong[kSongSoloCount]);
  EXPECT_EQ(8, GetTrackNumberCount(1));
  EXPECT_EQ(0, GetTrackNumberCount(0));
  SelectTrackNumber(7);
  EXPECT_EQ(2, GetCurrentTrackIndex());
  SelectTrackNumber(256);
  EXPECT_EQ(2, GetCurrentTrackIndex());
  EXPECT_EQ(7, gCurrentTrackNumber);
}

TEST_F(SongTest, FortyEightNumberedTracksLeaveNoFreeNumber) {
  ASSERT_EQ(noErr, CreateSongTracks(48, 1));
  for (int32_t i = 0; i < 48; ++i) GetTrackEntryAt(i)[kTrackNumber] = uint8_t(47 - i);
  RebuildTrackNumberMap();
  EXPECT_EQ(-1, FindFreeTrackNumber());
  gCurrentTrackNumber = -1;
  ASSERT_EQ(noErr, AddTrackEntry(kTrackEntrySize));
  EXPECT_EQ(48, GetCurrentTrackIndex());
  EXPECT_EQ(kNoTrackNumber, gCurrentTrack[kTrackNumber]);
  RepairTrackNumber();
  EXPECT_EQ(kNoTrackNumber, gCurrentTrack[kTrackNumber]);
  EXPECT_NE(0, ClaimTrackNumber());  // entry 48 cannot own a number
}

TEST_F(SongTest, RemovingATrackKeepsTheRestAndItsNumbers) {
  ASSERT_EQ(noErr, CreateSongTracks(3, 1));
  RebuildTrackNumberMap();
  SetCurrentTrackIndex(0);
  RemoveCurrentTrack();
  EXPECT_EQ(2, GetSongTrackCount());
  EXPECT_EQ(1, GetTrackEntryAt(0)[kTrackNumber]);
  EXPECT_EQ(Size(SongBlockSize(2)), GetCurrentSongSize());
  // A stale map entry does not block a new track from taking number 0.
  EXPECT_EQ(0, FindFreeTrackNumber());
  gCurrentTrackNumber = 0;
  ASSERT_EQ(noErr, SelectOrAddTrackForNumber());
  EXPECT_EQ(2, GetCurrentTrackIndex());
  EXPECT_EQ(0, gCurrentTrack[kTrackNumber]);
  EXPECT_EQ(2, gTrackNumberMap[0]);
}

// --- lengths ---------------------------------------------------------------------------------

TEST_F(SongTest, TrackLengthsRoundToBarLinesAndDriveTheSongEnd) {
  GetConductorStateAt(1);
  int32_t bar = gConductorState.ticksPerBar;
  ASSERT_GT(bar, 0);
  SetTrackLength(uint32_t(bar + 5));
  EXPECT_EQ(uint32_t(BarToTick(TickToBarRoundedUp(bar + 6))), GetTrackLength());
  EXPECT_EQ(GetTrackLength(), SongHeaderView(gCurrentSong).EndTick());
  SetTrackLength(0x7fffffff);
  EXPECT_LE(GetTrackLength(), 0x7ffffffeu);
  EXPECT_GT(GetTrackLength(), 0x7ffffffeu - uint32_t(2 * bar));
}

TEST_F(SongTest, TrackLengthFlagKeepsTheStoredLength) {
  StoreTrackLength(100);
  gCurrentTrack[kTrackPlayFlags] |= kTrackPlayFlagLengthIgnoresSections;
  StoreTrackLength(900);
  EXPECT_EQ(100u, GetTrackLength());
  TrackLengthAtLeast(900);
  EXPECT_EQ(900u, GetTrackLength());
}

TEST_F(SongTest, SetTrackLengthWithoutABarLengthTerminates) {
  // A meter whose bar is 0 ticks long: beats per bar and ticks per beat of 0 in a record.
  uint8_t meter[kConductorRecordSize];
  MakeConductorRecord(meter, kConductorMeter, 0, 100, 0, 0);
  SetConductorRecord(100, meter);
  SetTrackLength(0x7fffffff);
  EXPECT_LE(GetTrackLength(), 0x7ffffffeu);
  SetTrackLength(5000);
  EXPECT_LE(GetTrackLength(), 0x7ffffffeu);
}

TEST_F(SongTest, ComputeTrackEndFollowsTheEvents) {
  ASSERT_EQ(noErr, InsertShortEvent(0, 3000, 0xB0, 1, 1));
  ComputeTrackEnd();
  GetConductorStateAt(1);
  EXPECT_EQ(uint32_t(BarToTick(TickToBarRoundedUp(3001))), GetTrackLength());
  RemoveCursorEvent(GetCurrentTrackEventsPtr());
  ComputeTrackEnd();
  EXPECT_EQ(0u, GetTrackLength());
}

}  // namespace
