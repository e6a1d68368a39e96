#include "tests/editing/round_trips/edit_song_fixture.h"

#include <algorithm>
#include <filesystem>


#include "editing/edit_commands.h"
#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "platform/windows/windows.h"
#include "shell/app/program_hooks.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/events/event_index.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/window_redraw.h"
#include "song/model/utility_track_access.h"
#include "song/smf/smf_import.h"
#include "song/undo/undo_ring.h"
#include "tests/song/smf/smf_test_setup.h"
#include "tests/song/undo/undo_fixture.h"

namespace edit_test {

std::vector<std::string> MusicFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kMusicFolder, error))
    if (entry.path().extension() == ".mid") files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

void EditSongTest::SetUp() {
  headless_ = std::make_unique<zarin_test::ScopedEnv>("ZARIN_HEADLESS", "1");
  InstallProgramHooks();
  InitWindows();
  CloseSongDocument();
  DisposeUndoRing();
  SetUpSmfImportState(480);
  ClearEditorPanes();
  ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
  CreatePlaceholderAppWindow(&slot_, &gMainEditorRecord, kMainEditorWindowKind, "Editor",
                             Rect{60, 20, 460, 620});
  ASSERT_NE(gMainEditorRecord.window, nullptr);
  ShowWindow(gMainEditorRecord.window);
  SelectWindow(gMainEditorRecord.window);
  ASSERT_EQ(kMainEditorWindowKind, GetFrontWindowKind()) << "the main editor is not the front window";
}

void EditSongTest::TearDown() {
  ClearEditorPanes();
  DisposeAllAppWindows();
  DisposeUndoRing();
  CloseSongDocument();
  ResetSongDatabase();
}

OSErr EditSongTest::ImportFile(const std::string& path) {
  FSSpec fileSpec;
  OSErr err = PathToSpec(path, &fileSpec);
  if (err != noErr) return err;
  err = ImportStandardMidiFile(&fileSpec, 0);
  if (err == noErr && gMainEditorRecord.window) SelectWindow(gMainEditorRecord.window);
  return err;
}

void EditSongTest::MakeSong(int32_t tracks, int32_t resolution, int32_t numerator,
                            int32_t denominator) {
  SetUpSmfImportState(resolution);
  SetTimeSignature(numerator, denominator);
  ASSERT_EQ(noErr, SetMeterAt(1));
  if (TrackCount() < tracks) {
    ASSERT_EQ(noErr, CreateSongTracks(tracks - TrackCount(), 1));
  }
  RebuildTrackNumberMap();
  for (int32_t i = 0; i < tracks; ++i) {
    SetCurrentTrackIndex(i);
    UpdateCurrentTrackPtr();
    RepairTrackNumber();
    ASSERT_LT(TrackEntryView(gCurrentTrack).Number(), kMaxTrackNumbers);
    ASSERT_EQ(noErr, EnsureTrackEventList());
  }
  RebuildTrackNumberMap();
}

int32_t EditSongTest::TrackCount() const {
  if (!gCurrentSongHandle) return 0;
  return ReadU16BE(reinterpret_cast<const uint8_t*>(HandleData(gCurrentSongHandle)) + kSongTrackCount);
}

namespace {

void ShowCurrentTrackInPane() {
  ClearEditorPanes();
  ASSERT_EQ(noErr, CreateEditorPane(56, true, TrackEntryView(gCurrentTrack).Number()));
}

}  // namespace

void EditSongTest::UseTrack(int32_t index) {
  SetCurrentTrackIndex(index);
  UpdateCurrentTrackPtr();
  SelectCurrentTrackOnly(false);
  ShowCurrentTrackInPane();
  if (gMainEditorRecord.window) SelectWindow(gMainEditorRecord.window);
}

void EditSongTest::UseWholeSong() {
  SelectAllTracks();
  ShowCurrentTrackInPane();
  if (gMainEditorRecord.window) SelectWindow(gMainEditorRecord.window);
}

void EditSongTest::SelectTime(uint32_t start, uint32_t end) {
  SetTimeRange(start, end);
  CommitTimeSelection();
  StoreSelectionInSong();
  int32_t current = GetCurrentTrackIndex();
  for (int32_t i = 0; i < TrackCount(); ++i) {
    SetCurrentTrackIndex(i);
    UpdateCurrentTrackPtr();
    if (!IsCurrentTrackSelected()) continue;
    ClearEventSelection();
    SelectEventsInTimeSelection(0);
  }
  SetCurrentTrackIndex(current);
  UpdateCurrentTrackPtr();
}

OSStatus EditSongTest::Edit(int16_t item) {
  OSStatus result = DoEditMenuItem(item);
  DisposeAllEventIndexes();
  return result;
}

std::string EditSongTest::SavedDocument() {
  std::string path = folder_.File("saved" + std::to_string(saves_++) + ".bysq");
  FSSpec fileSpec;
  PathToSpec(path, &fileSpec);
  OSErr err = SaveSongDocument(&fileSpec, 0);
  EXPECT_EQ(noErr, err) << "saving " << path;
  return err == noErr ? zarin_test::ReadWholeFile(path) : std::string();
}

std::vector<Event> EditSongTest::TrackEvents() const {
  std::vector<Event> out;
  Handle list = GetCurrentTrackEventList();
  if (!list) return out;
  const auto* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  const uint8_t* end = p + GetHandleSize(list);
  while (p < end && SeqEventKind(p) != kKindEnd) {
    Event e{SeqEventTime(p), EventStatus(p), p[kEventData1], 0};
    if (SeqEventKind(p) == kKindNote) e.duration = ReadU16BE(p + kEventDuration);
    out.push_back(e);
    uint32_t length = GetSeqEventLength(p);
    if (length == 0) break;
    p += length;
  }
  return out;
}

void EditSongTest::SetTrackEvents(const std::vector<Event>& events) {
  std::vector<uint8_t> bytes;
  for (const Event& e : events) {
    size_t at = bytes.size();
    if (GetEventLengthByKind(e.status) == kShortEventSize) {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], e.tick, e.status, e.data1, 64);
    } else {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], e.tick, e.status, e.data1, 64, e.duration);
    }
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  undo_test::SetTrackEvents(bytes);
}

uint32_t EditSongTest::LastEventTick() const {
  std::vector<Event> events = TrackEvents();
  return events.empty() ? 0 : events.back().tick;
}

}  // namespace edit_test
