#include "tests/shell/program/saved_notes.h"

#include <gtest/gtest.h>

#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "song/documents/document_open.h"
#include "song/events/seq_event.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "tests/test_support.h"

namespace program_test {

std::string WriteQuarterNotes(const std::string& path, const std::vector<int>& pitches,
                              const std::vector<int>& velocities) {
  std::string track;
  for (size_t i = 0; i < pitches.size(); ++i) {
    track += std::string{0, char(0x90), char(pitches[i]), char(velocities[i])};
    track += std::string{char(0x83), char(0x60), char(0x80), char(pitches[i]), 0};  // 480 later
  }
  track += std::string{0, char(0xFF), 0x2F, 0};
  std::string file = std::string("MThd") + std::string{0, 0, 0, 6, 0, 0, 0, 1, 0x01, char(0xE0)} + "MTrk" +
                     std::string{0, 0, 0, char(track.size())} + track;
  zarin_test::WriteWholeFile(path, file);
  return path;
}

namespace {

// Calls visit for every event of every track of the document.
template <typename Visit>
void ForEachDocumentEvent(const std::string& path, Visit visit) {
  FSSpec location;
  PathToSpec(path, &location);
  EXPECT_EQ(noErr, OpenSongFile(&location, 0, false));
  for (int32_t t = 0; t < GetSongTrackCount(); ++t) {
    SetCurrentTrackIndex(t);
    Handle list = GetCurrentTrackEventList();
    if (!list) continue;
    auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
    auto* end = p + GetHandleSize(list);
    for (; p < end && SeqEventTime(p) != 0; p += GetSeqEventLength(p)) visit(p);
  }
  CloseSongDocument();
  ResetSongDatabase();
}

}  // namespace

std::multiset<NoteKey> DocumentNotes(const std::string& path) {
  std::multiset<NoteKey> notes;
  ForEachDocumentEvent(path, [&](const uint8_t* p) {
    if (SeqEventKind(p) == kKindNote)
      notes.insert(NoteKey{SeqEventTime(p), p[kEventData1], p[kEventData2], GetNoteDuration(p)});
  });
  return notes;
}

std::vector<EventKey> DocumentEvents(const std::string& path, int kind) {
  std::vector<EventKey> events;
  ForEachDocumentEvent(path, [&](const uint8_t* p) {
    if (SeqEventKind(p) == kind) events.push_back(EventKey{SeqEventTime(p), p[kEventStatus], p[kEventData1], p[kEventData2]});
  });
  return events;
}

}  // namespace program_test
