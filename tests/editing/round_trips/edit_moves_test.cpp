// What moves with an edit of the time selection: events, markers, the conductor map, track
// sections and sequence references (with their child sequences), each placed before, inside
// or behind the range, with one track or the whole song selected.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/events/seq_event.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_copies.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/utility_track_access.h"
#include "tests/editing/round_trips/edit_song_fixture.h"

namespace edit_test {
namespace {

constexpr int32_t kGone = -1;
constexpr uint8_t kSubjectController = 77;
constexpr uint16_t kSubjectTempo = 1733;
constexpr int32_t kSectionHeader = 16;
constexpr int32_t kSectionEntrySize = 48;

enum Subject { kEventAt, kMarkerAt, kTempoAt, kSectionAt, kReferenceAt };

struct MoveCase {
  const char* name;
  Subject subject;
  uint32_t at;        // where the subject starts
  int16_t item;       // the Edit menu item
  bool wholeSong;     // every track selected, or track 0 alone
  int32_t expected;   // where the subject is afterwards, kGone when it was removed
};

void PrintTo(const MoveCase& c, std::ostream* out) { *out << c.name; }

// The selection is 97..193 (96 ticks) in a 6/8 song at 96 ticks per quarter.
constexpr uint32_t kStart = 97;
constexpr uint32_t kEnd = 193;

const MoveCase kCases[] = {
    {"Insert time moves an event at the start", kEventAt, 100, kInsertTimeItem, false, 196},
    {"Insert time leaves an event before the start", kEventAt, 96, kInsertTimeItem, false, 96},
    {"Remove time moves a later event back", kEventAt, 200, kRemoveTimeItem, false, 104},
    {"Remove time takes an event of the range", kEventAt, 150, kRemoveTimeItem, false, kGone},
    {"Clear takes an event of the range", kEventAt, 150, kClearItem, false, kGone},
    {"Clear leaves a later event where it is", kEventAt, 200, kClearItem, false, 200},
    {"Cut leaves a later event where it is", kEventAt, 193, kCutItem, false, 193},
    {"Insert time in the whole song moves a later marker", kMarkerAt, 150, kInsertTimeItem, true, 246},
    {"Insert time in the whole song leaves an earlier marker", kMarkerAt, 50, kInsertTimeItem, true, 50},
    {"Insert time in one track leaves the markers", kMarkerAt, 150, kInsertTimeItem, false, 150},
    {"Remove time across a marker removes it with the whole song", kMarkerAt, 150, kRemoveTimeItem, true, kGone},
    {"Remove time in the whole song moves a later marker back", kMarkerAt, 300, kRemoveTimeItem, true, 204},
    {"Remove time in one track leaves the markers", kMarkerAt, 150, kRemoveTimeItem, false, 150},
    {"Clear of the whole song removes a marker of the range", kMarkerAt, 150, kClearItem, true, kGone},
    {"Remove time in the whole song moves a later tempo change back", kTempoAt, 300, kRemoveTimeItem, true, 204},
    {"Remove time in the whole song removes a tempo change of the range", kTempoAt, 150, kRemoveTimeItem, true, kGone},
    {"Insert time in the whole song moves a tempo change", kTempoAt, 100, kInsertTimeItem, true, 196},
    {"Remove time in one track leaves the conductor map", kTempoAt, 300, kRemoveTimeItem, false, 300},
    {"Insert time before a section shifts it", kSectionAt, 200, kInsertTimeItem, false, 296},
    {"Insert time after a section leaves its start", kSectionAt, 20, kInsertTimeItem, false, 20},
    {"Remove time before a section moves it back", kSectionAt, 300, kRemoveTimeItem, false, 204},
    {"Remove time over a section removes it", kSectionAt, 110, kRemoveTimeItem, false, kGone},
    {"Insert time moves a sequence reference", kReferenceAt, 150, kInsertTimeItem, false, 246},
    {"Remove time moves a later sequence reference back", kReferenceAt, 300, kRemoveTimeItem, false, 204},
    {"Clear removes a sequence reference of the range", kReferenceAt, 150, kClearItem, false, kGone},
};

class EditMovesTest : public EditSongTest, public ::testing::WithParamInterface<MoveCase> {
 protected:
  void Place(const MoveCase& c) {
    MakeSong(2, 96, 6, 8);
    UseTrack(1);
    SetTrackEvents({{5, 0x90, 60, 40}, {600, 0x90, 62, 40}});
    UseTrack(0);
    std::vector<Event> events = {{3, 0x90, 64, 20}, {700, 0x90, 65, 40}};
    if (c.subject == kEventAt) events.push_back({c.at, 0xB0, kSubjectController, 0});
    if (c.subject == kReferenceAt) AddReferencedChild();
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
    SetTrackEvents(events);
    if (c.subject == kReferenceAt) AddReference(c.at);
    if (c.subject == kMarkerAt) {
      static const unsigned char kName[] = "\x07Subject";
      ASSERT_EQ(noErr, AddMarker(kName, c.at, kMarkerKindPlain, 0, 0));
    }
    if (c.subject == kTempoAt) {
      ASSERT_EQ(noErr, SetTempoAt(kSubjectTempo, int32_t(c.at)));
    }
    if (c.subject == kSectionAt) AddSection(c.at, c.at + 48, 2);
  }

  // Child sequence 0 of track 0, with one track of notes.
  void AddReferencedChild() {
    ASSERT_EQ(0, SetChildCount(1));
    ASSERT_EQ(noErr, PushSongContext());
    SetCurrentTrackIndex(0);
    GetChildSequence(0);
    ASSERT_EQ(noErr, AddChildSequence(false, SongBlockSize(0)));
    ASSERT_EQ(noErr, CreateSongTracks(1, 1));
    SetCurrentTrackIndex(0);
    UpdateCurrentTrackPtr();
    SetTrackEvents({{1, 0x90, 48, 30}});
    PopSongContext();
    UseTrack(0);
  }

  // A reference to child 0 at tick, 96 ticks long, put in time order.
  void AddReference(uint32_t tick) {
    std::vector<uint8_t> bytes(GetHandleSize(GetCurrentTrackEventList()));
    std::memcpy(bytes.data(), HandleData(GetCurrentTrackEventList()), bytes.size());
    size_t at = 0;
    while (at + kEndRecordSize < bytes.size() && SeqEventTime(&bytes[at]) <= tick) at += GetSeqEventLength(&bytes[at]);
    uint8_t reference[kLongEventSize];
    FillLongEvent(reference, tick, kKindSequenceRef, 0, 0, 96);
    WriteU16BE(reference + kEventChildIndex, 0);
    bytes.insert(bytes.begin() + long(at), reference, reference + kLongEventSize);
    Handle list = GetCurrentTrackEventList();
    SetHandleSize(list, Size(bytes.size()));
    std::memcpy(HandleData(list), bytes.data(), bytes.size());
    WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
  }

  // One section entry on the current track, as the loop dialog leaves it.
  void AddSection(uint32_t start, uint32_t end, uint32_t count) {
    Handle list = NewHandleClear(kSectionHeader + 2 * kSectionEntrySize);
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(list));
    WriteU32BE(p + 8, 1);
    uint8_t* entry = p + kSectionHeader;
    WriteU32BE(entry + 4, start);
    WriteU32BE(entry + 8, end);
    WriteU32BE(entry + 16, count);
    WriteU32BE(entry + 24, start + count * (end - start));
    TrackEntryView(gCurrentTrack).SetSectionList(list);
  }

  int32_t Where(const MoveCase& c) {
    UseTrack(0);
    switch (c.subject) {
      case kEventAt:
        for (const Event& e : TrackEvents())
          if ((e.status & 0xF0) == 0xB0 && e.data1 == kSubjectController) return int32_t(e.tick);
        return kGone;
      case kReferenceAt:
        for (const Event& e : TrackEvents())
          if ((e.status & 0xF0) == kKindSequenceRef) return int32_t(e.tick);
        return kGone;
      case kMarkerAt:
        for (int32_t i = 0; i < CountMarkers(); ++i) {
          const uint8_t* name = GetMarkerName(GetMarkerAt(i));
          if (name[0] == 7 && std::memcmp(name + 1, "Subject", 7) == 0) return int32_t(MarkerTick(GetMarkerAt(i)));
        }
        return kGone;
      case kTempoAt:
        for (uint8_t* r = GetConductorMap(); r && ConductorKind(r) != kConductorEnd; r += kConductorRecordSize)
          if (ConductorKind(r) == kConductorTempo && ConductorValue(r) == kSubjectTempo) return ConductorTick(r);
        return kGone;
      case kSectionAt: {
        Handle list = TrackEntryView(gCurrentTrack).SectionList();
        if (!list || GetHandleSize(list) < kSectionHeader + kSectionEntrySize) return kGone;
        const uint8_t* entry = reinterpret_cast<const uint8_t*>(HandleData(list)) + kSectionHeader;
        uint32_t start = ReadU32BE(entry + 4);
        return start ? int32_t(start) : kGone;
      }
    }
    return kGone;
  }
};

TEST_P(EditMovesTest, SubjectEndsWhereTheEditPutsIt) {
  const MoveCase& c = GetParam();
  Place(c);
  if (HasFatalFailure()) return;
  ASSERT_EQ(int32_t(c.at), Where(c)) << "the subject was not placed";
  UseTrack(0);
  if (c.wholeSong) UseWholeSong();
  SelectTime(kStart, kEnd);
  EXPECT_EQ(noErr, Edit(c.item));
  EXPECT_EQ(c.expected, Where(c));
  if (c.subject == kReferenceAt) {
    UseTrack(0);
    // The child goes with the last reference to it and stays while one is left.
    EXPECT_EQ(c.expected == kGone ? 0 : 1, !GetChildSequence(0) ? 0 : 1);
  }
}

std::string CaseName(const ::testing::TestParamInfo<MoveCase>& info) {
  std::string name;
  for (const char* p = info.param.name; *p; ++p)
    if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
  return name;
}

INSTANTIATE_TEST_SUITE_P(Edits, EditMovesTest, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
}  // namespace edit_test

namespace edit_test {
namespace {

// Cut two beats of notes, then Paste at a one-beat selection further on: the notes arrive
// at the paste point, what lay in the clipboard's length there is replaced, and the rest
// stays (6/8 at 96 ticks a quarter).
TEST_F(EditSongTest, CutNotesPastedFurtherOnReplaceWhatLayThere) {
  MakeSong(1, 96, 6, 8);
  UseTrack(0);
  std::vector<Event> notes;
  for (uint16_t i = 0; i < 8; ++i) notes.push_back({1u + 96u * i, 0x90, uint8_t(60 + i), 96});
  SetTrackEvents(notes);
  SelectTime(97, 289);
  ASSERT_EQ(noErr, Edit(kCutItem));
  SelectTime(481, 577);
  ASSERT_EQ(noErr, Edit(kPasteItem));
  std::vector<std::pair<uint32_t, int>> seen;
  for (const Event& e : TrackEvents()) seen.push_back({e.tick, e.data1});
  std::vector<std::pair<uint32_t, int>> expected = {{1, 60}, {289, 63}, {385, 64}, {481, 61}, {577, 62}, {673, 67}};
  EXPECT_EQ(expected, seen);
}

}  // namespace
}  // namespace edit_test
