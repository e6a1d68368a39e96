#include "song/model/child_sequences.h"

#include "platform/memory/memory.h"
#include "song/model/editor_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"

int32_t gChildParentTrackNumber = -1;
int32_t gChildCellOffset = -1;
Handle gChildCellSong;
uint8_t gMissingLinkedSong = 0;

namespace {

// The number of child cells the current track really holds (its count, bounded by its
// record length).
int32_t UsableChildCount() {
  if (!gCurrentSong || gCurrentTrack == gTrackTemplate) return 0;
  int32_t cells = (ReadI16BE(gCurrentTrack + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  int32_t count = gCurrentTrack[kTrackChildCount];
  return cells < count ? (cells < 0 ? 0 : cells) : count;
}

}  // namespace

uint8_t* GetChildTable() { return gCurrentTrack + kTrackChildTable; }

int32_t GetChildCount() { return UsableChildCount(); }

Handle GetChildSequence(int32_t n) {
  gCurrentChildIndex = n;
  if (n < 0 || n >= UsableChildCount()) {
    gChildCellOffset = -1;
    return Handle();
  }
  gChildParentTrackNumber = gCurrentTrack[kTrackNumber];
  gChildCellSong = gCurrentSongHandle;
  gChildCellOffset = int32_t(GetChildTable() - gCurrentSong) + kChildCellSize * n;
  return Handle(ReadU32BE(gCurrentSong + gChildCellOffset));
}

uint8_t* GetChosenChildCell() {
  if (gChildCellOffset < 0 || !IsValidHandle(gChildCellSong)) return nullptr;
  if (gChildCellOffset + kChildCellSize > GetHandleSize(gChildCellSong)) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(gChildCellSong)) + gChildCellOffset;
}

bool SelectChildSequence(int32_t n) {
  Handle child = GetChildSequence(n);
  if (!child || !IsValidHandle(child)) return false;
  SelectSong(child);
  gCurrentChildIndex = n;
  if (gFollowSongLinks && IsSongLink()) {
    Handle linked = FindLinkedSong();
    if (!linked) {
      gMissingLinkedSong = 1;
      SetCurrentSong(Handle());
      gCurrentTrack = gTrackTemplate;
      return false;
    }
    SelectSong(linked);
  }
  return gCurrentSong != nullptr;
}

bool IsChildSequenceSelected() { return gCurrentChildIndex >= 0; }

int32_t DisposeChildSequence(void*) {
  Handle cellSong = gChildCellSong;
  int32_t cellOffset = gChildCellOffset;
  Handle child = gCurrentSongHandle;
  if (!child) return 0;
  if (!IsSongLink()) {
    ForEachTrack(DisposeTrackContents, nullptr);
    DisposeSongLists();
  }
  SetCurrentSong(Handle());
  gCurrentTrack = gTrackTemplate;
  DisposeHandle(child);
  MarkEditorRowsForRedraw();
  gChildCellSong = cellSong;
  gChildCellOffset = cellOffset;
  if (uint8_t* cell = GetChosenChildCell()) {
    WriteU32BE(cell, 0);
    WriteU32BE(cell + 4, 0);
  }
  gIterationAbort = 0;
  return 0;
}
