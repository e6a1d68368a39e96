// The current-song context, the iterators and the time selection.
#include "song/conductor/sample_position.h"
#include "song/events/event_index.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/child_sequences.h"
#include "song/model/song_iterators.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_iterators.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/track_template.h"
#include "song/model/track_length.h"
#include "song/model/region_lists.h"
#include "song/model/audio_region.h"
#include "song/model/song_layout.h"
#include "song/instruments/plugin_records.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/utility_iteration.h"
#include "tests/song/model/model_fixture.h"

namespace {

using ContextTest = SongModelTest;

struct Visits {
  std::vector<int32_t> indexes;
  int32_t abortAfter = -1;  // sets gIterationAbort on this visit (0-based)
};

int32_t RecordVisit(void* arg) {
  auto* v = static_cast<Visits*>(arg);
  v->indexes.push_back(GetCurrentTrackIndex());
  if (int32_t(v->indexes.size()) - 1 == v->abortAfter) gIterationAbort = 1;
  return int32_t(v->indexes.size());
}

TEST_F(ContextTest, PopRestoresTheContextAfterTheCalleeSwitched) {
  ASSERT_EQ(noErr, CreateSongTracks(3, 1));
  SetCurrentTrackIndex(2);
  gCurrentTrackNumber = 2;
  Handle song0 = gCurrentSongHandle;
  uint8_t* track = gCurrentTrack;
  ASSERT_EQ(noErr, PushSongContext());

  gCurrentSongIndex = 3;
  ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
  ASSERT_EQ(noErr, CreateSongTracks(2, 1));
  SetCurrentTrackIndex(1);
  gCurrentChildIndex = 5;
  ASSERT_NE(song0, gCurrentSongHandle);

  PopSongContext();
  EXPECT_EQ(song0, gCurrentSongHandle);
  EXPECT_EQ(0, gCurrentSongIndex);
  EXPECT_EQ(-1, gCurrentChildIndex);
  EXPECT_EQ(track, gCurrentTrack);
  EXPECT_EQ(2, GetCurrentTrackIndex());
  EXPECT_EQ(0, GetSongContextDepth());

  SelectSongIndex(3);
  DisposeSong();
  EXPECT_EQ(baseline_, CountLiveHandles());
}

TEST_F(ContextTest, TheSeventeenthPushIsRefused) {
  for (int i = 0; i < kSongContextDepth; ++i) ASSERT_EQ(noErr, PushSongContext());
  EXPECT_EQ(kContextStackFull, PushSongContext());
  for (int i = 0; i < kSongContextDepth + 3; ++i) PopSongContext();
  EXPECT_EQ(0, GetSongContextDepth());
  EXPECT_TRUE(gCurrentSongHandle);
}

TEST_F(ContextTest, PopOfAContextWithoutSongGivesTheTemplate) {
  SetCurrentSong(Handle());
  gCurrentTrack = gTrackTemplate;
  ASSERT_EQ(noErr, PushSongContext());
  SelectSongIndex(0);
  SelectSong(GetSongHandleAt(0));
  PopSongContext();
  EXPECT_FALSE(gCurrentSongHandle);
  EXPECT_EQ(gTrackTemplate, gCurrentTrack);
  SelectSongIndex(0);
}

TEST_F(ContextTest, IteratorsVisitInOrderAndStopOnAbort) {
  ASSERT_EQ(noErr, CreateSongTracks(4, 1));
  SetCurrentTrackIndex(2);
  gCurrentTrackNumber = 9;
  uint8_t* before = gCurrentTrack;

  struct Case {
    const char* name;
    int32_t (*iterate)(TrackCallback, void*);
    int32_t abortAfter;
    std::vector<int32_t> want;
  } cases[] = {
      {"all", ForEachTrack, -1, {0, 1, 2, 3}},
      {"abort on the first", ForEachTrack, 0, {0}},
      {"abort on the third", IterateTracks, 2, {0, 1, 2}},
      {"event tracks", ForEachEventTrack, -1, {1, 3}},
      {"event tracks, abort", ForEachEventTrack, 0, {1}},
  };
  SetCurrentTrackIndex(1);
  ASSERT_EQ(noErr, InsertShortEvent(0, 5, 0xB0, 1, 1));
  SetCurrentTrackIndex(3);
  ASSERT_EQ(noErr, InsertShortEvent(0, 5, 0xB0, 1, 1));
  SetCurrentTrackIndex(2);
  before = gCurrentTrack;
  for (const Case& c : cases) {
    Visits v;
    v.abortAfter = c.abortAfter;
    c.iterate(RecordVisit, &v);
    EXPECT_EQ(c.want, v.indexes) << c.name;
    EXPECT_EQ(c.abortAfter >= 0, gIterationAbort != 0) << c.name;
    EXPECT_EQ(before, gCurrentTrack) << c.name;
    EXPECT_EQ(2, GetCurrentTrackIndex()) << c.name;
    EXPECT_EQ(9, gCurrentTrackNumber) << c.name;
  }
}

TEST_F(ContextTest, SelectedTrackIteratorsFollowTheTrackSelection) {
  ASSERT_EQ(noErr, CreateSongTracks(5, 1));
  RebuildTrackNumberMap();
  uint8_t saved[kTrackSelectionBytes];
  SaveTrackSelection(saved);
  ClearTrackSelectionMask();
  SetTrackSelectionBounds(0, 3);
  SelectTrackSlot(1);
  SelectTrackSlot(3);
  SelectTrackSlot(4);  // outside first..last
  Visits v;
  ForEachSelectedTrackEntry(RecordVisit, &v);
  EXPECT_EQ((std::vector<int32_t>{1, 3}), v.indexes);

  int32_t found = SearchSelectedTracks(
      [](void*, uint8_t* entry) { return entry[kTrackNumber] == 3 ? 42 : 0; }, nullptr);
  EXPECT_EQ(42, found);
  RestoreTrackSelection(saved);
}

TEST_F(ContextTest, TrackNumberAndGroupIterators) {
  ASSERT_EQ(noErr, CreateSongTracks(4, 1));
  RebuildTrackNumberMap();
  Visits v;
  ForEachTrackNumber(RecordVisit, &v, 1);
  EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3}), v.indexes);

  GetTrackEntryAt(0)[kTrackGroup] = 3;
  GetTrackEntryAt(2)[kTrackGroup] = 3;
  SetCurrentTrackIndex(2);
  std::vector<int32_t> members;
  ApplyToTrackGroup(
      [](void* arg, uint8_t* entry) {
        static_cast<std::vector<int32_t>*>(arg)->push_back(entry[kTrackNumber]);
        return 0;
      },
      &members);
  EXPECT_EQ((std::vector<int32_t>{0, 2}), members);
}

int32_t CountSongs(void* arg) {
  ++*static_cast<int32_t*>(arg);
  return 0;
}

TEST_F(ContextTest, SongAndChildWalksVisitEverySongOnce) {
  gCurrentSongIndex = 2;
  ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
  ASSERT_EQ(noErr, CreateSongTracks(1, 1));
  ASSERT_EQ(noErr, InsertShortEvent(0, 5, 0xB0, 1, 1));
  ASSERT_EQ(0, SetChildCount(2));
  for (int32_t i = 0; i < 2; ++i) {
    ASSERT_EQ(noErr, PushSongContext());
    GetChildSequence(i);
    ASSERT_EQ(noErr, AddChildSequence(i == 1, SongBlockSize(1)));  // child 1 is a link
    if (i == 1) SongHeaderView(gCurrentSong).SetId(SongHeaderView(*GetSongHandleAt(2)).Id());
    PopSongContext();
  }
  SelectSongIndex(0);
  SelectSong(GetSongHandleAt(0));
  Handle before = gCurrentSongHandle;

  int32_t songs = 0;
  ForEachSong(CountSongs, &songs);
  EXPECT_EQ(2, songs);

  SongVisitRecord record;
  int32_t visits = 0;
  record.data = &visits;
  record.callback = [](SongVisitRecord* r) {
    ++*static_cast<int32_t*>(r->data);
    return 0;
  };
  ForEachSongAndChild(&record);
  EXPECT_EQ(4, visits);  // song 0, song 2, its child and the link shell (not followed)
  EXPECT_EQ(before, gCurrentSongHandle);
  EXPECT_EQ(0, GetSongContextDepth());

  SelectSongIndex(2);
  SelectSong(GetSongHandleAt(2));
  DisposeSong();
  DisposeAllEventIndexes();
  EXPECT_EQ(baseline_, CountLiveHandles());
}

TEST_F(ContextTest, ZeroLengthChildSequencesEndTheirWalks) {
  ASSERT_EQ(0, SetChildCount(1));
  ASSERT_EQ(noErr, PushSongContext());
  GetChildSequence(0);
  ASSERT_EQ(noErr, AddChildSequence(false, SongBlockSize(0)));
  EXPECT_EQ(0, GetSongTrackCount());  // a child with no track at all
  PopSongContext();
  ASSERT_EQ(noErr, InsertSequenceReference(0, 10, 10));
  Visits v;
  ForEachChildSequence(
      [](void* arg) {
        ForEachTrack(RecordVisit, arg);
        return 0;
      },
      &v);
  EXPECT_TRUE(v.indexes.empty());
  EXPECT_EQ(1, CountChildSequences());
  DisposeSong();
  DisposeAllEventIndexes();
  EXPECT_EQ(baseline_, CountLiveHandles());
}

// --- time selection and event selection -----------------------------------------------------

TEST_F(ContextTest, TimeRangeTakesTheDefaultRate) {
  gTimeSelection = TimeSelection();
  SetTimeRange(1, 1);
  EXPECT_EQ(kDefaultSampleRate, gTimeSelection.start.rate);
  EXPECT_EQ(kDefaultSampleRate, gTimeSelection.end.rate);
  EXPECT_EQ(uint64_t(TickToSamplePosition(1, kDefaultSampleRate)), gTimeSelection.start.sample);
  EXPECT_EQ(gTimeSelection.start.sample, gTimeSelection.end.sample);
  EXPECT_FALSE(HasTimeSelection());

  SetTimeRange(10, 20);
  struct Case {
    uint32_t t;
    bool inside;
  } cases[] = {{0, false}, {9, false}, {10, true}, {19, true}, {20, false}};
  for (const Case& c : cases) EXPECT_EQ(c.inside, IsTimeInSelection(c.t)) << c.t;
  EXPECT_TRUE(HasTimeSelection());
  gTimeDisplayMode = -1;
  EXPECT_EQ(gTimeSelection.end.sample > gTimeSelection.start.sample, HasTimeSelection());
  gTimeDisplayMode = 0;

  SetTimeRangeFromSamples(0, 96000, 48000.0f);
  EXPECT_EQ(48000.0f, gTimeSelection.start.rate);
  EXPECT_EQ(1u, gTimeSelection.start.tick);
  EXPECT_GT(gTimeSelection.end.tick, 1u);
}

TEST_F(ContextTest, CommittedRangeMarksMatchingLocatorPairs) {
  WriteU32BE(gCurrentSong + kSongLocators + 24, 100);       // pair 1 left
  WriteU32BE(gCurrentSong + kSongLocators + 24 + 12, 200);  // pair 1 right
  SetTimeRange(100, 200);
  CommitTimeSelection();
  EXPECT_EQ(0x02, gLocatorMatchMask);
  SetTimeRange(100, 201);
  CommitTimeSelection();
  EXPECT_EQ(0, gLocatorMatchMask);
}

TEST_F(ContextTest, WholeSongSelection) {
  WriteU32BE(gCurrentSong + kSongEndTick, 7681);
  SelectWholeSong(0);
  EXPECT_EQ(1u, gTimeSelection.start.tick);
  EXPECT_EQ(7681u, gTimeSelection.end.tick);
}

TEST_F(ContextTest, EventsInTheTimeSelectionAreSelected) {
  SetCurrentTrackEvents(MakeRecords({{'L', 5, 0x90, 0, 10, 60},  // a note reaching in
                                     {'S', 8, 0xB0},
                                     {'S', 12, 0xB0},
                                     {'L', 15, 0x90, 0, 2, 62},
                                     {'S', 30, 0xF0}}));
  SetTimeRange(10, 20);
  gEditorModeByte = 0;
  SelectEventsInRange();
  std::vector<uint8_t> list = HandleBytes(GetCurrentTrackEventList());
  std::vector<int> flags;
  for (size_t at : ForwardStarts(list)) flags.push_back(list[at + kEventFlags] & 1);
  EXPECT_EQ((std::vector<int>{1, 0, 1, 1, 0}), flags);

  ToggleEventsInRange();
  list = HandleBytes(GetCurrentTrackEventList());
  flags.clear();
  for (size_t at : ForwardStarts(list)) flags.push_back(list[at + kEventFlags] & 1);
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0}), flags);

  SelectEventsInRange();
  gTimeSelection = TimeSelection();
  RecomputeSelectionFromEvents(true);
  EXPECT_EQ(5u, gTimeSelection.start.tick);
  EXPECT_EQ(17u, gTimeSelection.end.tick);
  EXPECT_EQ(60, gSelectionLowNote);
  EXPECT_EQ(62, gSelectionHighNote);

  ClearEventSelection();
  list = HandleBytes(GetCurrentTrackEventList());
  for (size_t at : ForwardStarts(list)) EXPECT_EQ(0, list[at + kEventFlags] & 1);
}

TEST_F(ContextTest, CursorEventSelectionAndEndTimes) {
  uint8_t e[kLongEventSize];
  FillLongEvent(e, 100, 0x90, 60, 100, 0);
  EXPECT_EQ(101u, GetEventEndTime(e));  // a note lasts at least one tick
  SetNoteDuration(e, 10);
  EXPECT_EQ(110u, GetEventEndTime(e));
  gCurrentEvent = e;
  UpdateCursorEventSelection(0x04);
  EXPECT_TRUE(IsCursorEventSelected());
  e[kEventFlags] |= 0x04;  // an excluding mark
  EXPECT_FALSE(IsCursorEventSelected());
  UpdateCursorEventSelection(0x02);
  EXPECT_EQ(0, e[kEventFlags] & kEventSelected);
  gCurrentEvent = nullptr;
}

}  // namespace

namespace {

TEST_F(ContextTest, CompactingMemoryLeavesEverySongLockedAndCurrent) {
  gCurrentSongIndex = 1;
  ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
  ASSERT_EQ(noErr, CreateSongTracks(2, 1));
  SetCurrentTrackIndex(1);
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse() + 4096);
  CompactSongMemory(1 << 20);  // more than can be found: songs are unlocked and relocked
  SetMemoryBudget(budget);
  EXPECT_TRUE(IsHandleLocked(GetSongHandleAt(0)));
  EXPECT_TRUE(IsHandleLocked(GetSongHandleAt(1)));
  EXPECT_EQ(reinterpret_cast<uint8_t*>(HandleData(gCurrentSongHandle)), gCurrentSong);
  EXPECT_EQ(GetTrackEntryAt(1), gCurrentTrack);
  DisposeSong();
}

}  // namespace

namespace {

// A track's audio record: the float rate (or only the 16.16 one) and a region list of the
// lengths given.
Handle AudioRecord(float rate, uint32_t fixedRate, std::initializer_list<int64_t> lengths) {
  Handle record = NewHandleClear(kPluginRecordBytes);
  WriteF32BE(HandleData(record) + kPluginRecordRate, rate);
  WriteU32BE(HandleData(record) + 82, fixedRate);
  Handle regions = NewHandleClear(Size(lengths.size()) * kRegionSize);
  int32_t i = 0;
  for (int64_t frames : lengths) SetRegionLength(RegionRecord(regions, i++), frames);
  WriteU32BE(HandleData(record) + kPluginRecordRegions, regions.id);
  return record;
}

void DisposeAudioRecord(Handle record) {
  DisposeHandle(Handle(ReadU32BE(HandleData(record) + kPluginRecordRegions)));
  DisposeHandle(record);
}

}  // namespace

TEST_F(ContextTest, AnAudioTracksRegionsGiveItsRateAndItsEndInTicks) {
  ASSERT_EQ(noErr, CreateSongTracks(1, 1));
  SetCurrentTrackIndex(0);
  struct Case {
    float rate;
    uint32_t fixedRate;
    std::initializer_list<int64_t> lengths;
    float wantRate;
  } cases[] = {
      {48000.0f, 0, {300000, 1, 660001}, 48000.0f},  // ends inside a tick
      {0.0f, 22050u << 16, {441000}, 22050.0f},      // only the 16.16 rate
      {44100.0f, 0, {}, 44100.0f},                 // no regions: no end
      {0.0f, 0, {1000}, 0.0f},                     // no rate: no end
  };
  for (const Case& c : cases) {
    Handle record = AudioRecord(c.rate, c.fixedRate, c.lengths);
    int64_t frames = 0;
    for (int64_t f : c.lengths) frames += f;
    EXPECT_EQ(c.wantRate, GetRegionListRate(record));
    EXPECT_EQ(c.lengths.size() > 0, RegionListHasRegions(record));
    uint32_t end = GetRegionListEnd(record);
    if (frames == 0 || c.wantRate == 0.0f) {
      EXPECT_EQ(0u, end);
    } else {
      // The first tick whose position is at or after the audio's end.
      EXPECT_GE(TickToSamplePosition(int32_t(end), c.wantRate), frames);
      EXPECT_LT(TickToSamplePosition(int32_t(end) - 1, c.wantRate), frames);
      // The track lasts at least to the tick before it (its length ends on a bar line).
      TrackEntryView(gCurrentTrack).SetRegionList(record);
      ComputeTrackEnd();
      EXPECT_GE(GetTrackLength(), end - 1);
      EXPECT_GT(end, 5000u);
      TrackEntryView(gCurrentTrack).SetRegionList(Handle());
    }
    DisposeAudioRecord(record);
  }
}
