#include "song/documents/lyrics_files.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/markers.h"
#include "song/conductor/timebase.h"
#include "song/documents/import_files.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kLyricsUndoKind = 12;  // "Marker Change"

bool IsSeparator(uint8_t c) { return c == ' ' || c < 14; }

// An offset-based walk over the current track's list (the list does not change meanwhile).
struct NoteCursor {
  const uint8_t* list = nullptr;
  uint32_t size = 0;
  uint32_t at = 0;

  bool AtEnd() const { return at + kEndRecordSize > size || SeqEventTime(list + at) == 0; }
  void StepPast() {
    if (AtEnd()) return;
    uint32_t length = SeqEventLengthWithin(list + at, size - at);
    at = length ? at + length : size;
  }
  // Moves to the next note at or after the cursor; false (cursor at the end) without one.
  bool NextNote() {
    while (!AtEnd() && SeqEventKind(list + at) != kKindNote) StepPast();
    return !AtEnd();
  }
};

// Blanks and hyphens inside the name, a trailing blank not counted.
int32_t ExtraSyllables(const uint8_t* name) {
  int32_t n = name[0];
  while (n > 0 && name[n] == ' ') --n;
  int32_t count = 0;
  for (int32_t i = 1; i <= n; ++i)
    if (name[i] == '-' || name[i] == ' ') ++count;
  return count;
}

void MoveMarker(uint8_t* record, uint32_t tick) {
  WriteU32BE(record + kMarkerTickOffset, tick);
  if (MarkerKind(record) != kMarkerKindPlain)
    WriteU32BE(record + kMarkerTimeOffset, TickToTime(int32_t(tick)));
}

OSErr AddLyricWords(const std::vector<std::vector<uint8_t>>& words, uint32_t tick) {
  Str255 name;
  for (const std::vector<uint8_t>& w : words) {
    name[0] = uint8_t(w.size());
    std::memcpy(name + 1, w.data(), w.size());
    OSErr err = StoreMarker(name, tick++, kLyricMarkerKind, 0, 0, 0, nullptr, 0);
    if (err != noErr) return err;
  }
  return noErr;
}

// Reads the stream's whole file into a new handle, one byte more set to 0.
OSErr ReadWholeStream(Handle* text, uint32_t* length) {
  *length = StreamBytesLeft();
  *text = NewHandleClearWithReserve(Size(*length) + 1);
  if (!*text) return gLastMemError ? gLastMemError : OSErr(memFullErr);
  if (*length > 0 && ReadBlock(HandleData(*text), *length) != noErr) {
    DisposeHandleAndClear(text);
    return GetLastFileError();
  }
  return noErr;
}

}  // namespace

void SplitLyricWords(const uint8_t* text, uint32_t length,
                     std::vector<std::vector<uint8_t>>* words) {
  uint32_t i = 0;
  while (i < length && words->size() < kMaxLyricWords) {
    while (i < length && IsSeparator(text[i])) ++i;
    if (i == length) break;
    uint32_t start = i;
    while (i < length && !IsSeparator(text[i])) ++i;
    uint32_t end = i < length && text[i] == ' ' ? i + 1 : i;
    if (end - start > 255) end = start + 255;
    words->emplace_back(text + start, text + end);
  }
}

namespace {

struct LyricsEdit {
  Handle text;
  uint32_t length;
  uint32_t tick;
  OSErr err;
};

// The edit of the import's undo step: the words as markers, then placed on the notes. A
// shortage puts the marker list back as it was.
int32_t AddAndPlaceLyrics(void* context) {
  LyricsEdit* edit = static_cast<LyricsEdit*>(context);
  Handle markers = SongHeaderView(gCurrentSong).MarkerList();
  Handle backup;
  edit->err = DuplicateHandleWithReserve(markers, &backup);
  if (edit->err != noErr) return 0;
  std::vector<std::vector<uint8_t>> words;
  SplitLyricWords(reinterpret_cast<const uint8_t*>(HandleData(edit->text)), edit->length, &words);
  edit->err = AddLyricWords(words, edit->tick);
  if (edit->err != noErr) {
    SetHandleSize(markers, GetHandleSize(backup));
    std::memcpy(HandleData(markers), HandleData(backup), size_t(GetHandleSize(backup)));
  } else {
    PlaceLyricMarkers(-1, edit->tick);
  }
  DisposeHandle(backup);
  return 0;
}

}  // namespace

OSErr ImportLyricsFile(const FSSpec* fileSpec, uint32_t insertionTick) {
  if (!gCurrentSong || !GetCurrentTrackEventList() || IsEventListEmpty()) return paramErr;
  if (!SongHeaderView(gCurrentSong).MarkerList()) return paramErr;
  int16_t saved = 0;
  OSType type = 0;
  OSErr err = OpenFileForImport(fileSpec, &saved, &type);
  if (err != noErr) return err;
  LyricsEdit edit{Handle(), 0, insertionTick, noErr};
  err = ReadWholeStream(&edit.text, &edit.length);
  CloseFileForImport(saved);
  if (err == noErr) {
    // One undo step over the selected tracks (the markers belong to the song), when the undo
    // ring exists.
    if (!gUndoRing) {
      AddAndPlaceLyrics(&edit);
    } else if (RunUndoableEdit(AddAndPlaceLyrics, &edit)) {
      SetCurrentUndoKind(kLyricsUndoKind);
    } else {
      DisposeHandleAndClear(&edit.text);
      return memFullErr;  // the step could not be kept, which the user has been told
    }
    err = edit.err;
  }
  DisposeHandleAndClear(&edit.text);
  if (err != noErr) {
    ReportFileError(err, fileSpec->name, kFileActionRead);
    return err;
  }
  RedrawAll(1);
  return noErr;
}

void PlaceLyricMarkers(int32_t limit, uint32_t start) {
  Handle list = GetCurrentTrackEventList();
  if (!gCurrentSong || !list) return;
  int8_t state = HGetState(list);
  HLock(list);
  NoteCursor cursor;
  cursor.list = reinterpret_cast<const uint8_t*>(HandleData(list));
  cursor.size = uint32_t(GetHandleSize(list));
  while (!cursor.AtEnd() && SeqEventTime(cursor.list + cursor.at) < start) cursor.StepPast();
  uint32_t previous = start;
  int32_t count = CountMarkers();
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* record = GetMarkerAt(i);
    if (MarkerKind(record) != kLyricMarkerKind) continue;
    if (limit < 0 ? MarkerTick(record) < start : i < limit) continue;
    uint32_t tick = previous + uint32_t(gTicksPerQuarter);
    if (cursor.NextNote()) tick = SeqEventTime(cursor.list + cursor.at);
    MoveMarker(record, tick);
    cursor.StepPast();
    for (int32_t extra = ExtraSyllables(GetMarkerName(record)); extra > 0; --extra)
      if (cursor.NextNote()) cursor.StepPast();
    previous = tick;
  }
  HSetState(list, state);
  SortMarkers();
  RedrawMarkerViews();
  SetSongModified();
  UpdateSongEnd();
}
