#include "song/undo/undo_steps.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_iterators.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_ring.h"

UndoableEdit gStoredUndoableEdit = nullptr;
UndoExtraStateProc gUndoExtraStateProc = nullptr;

namespace {

// The step could not be kept: nothing of it stays, and the user is told.
int32_t AbandonStep() {
  ResetUndoHistory();
  ReportAppErrorText(kUndoStepFailedText);
  return 0;
}

void StoreSelection(Handle song, const uint8_t* selection) {
  if (char* p = song ? HandleData(song) : nullptr)
    std::memcpy(p + kSongTrackSelection, selection, kTrackSelectionSize);
}

void KeepStepOrder(UndoRecord* record) {
  int32_t count = CaptureEntryOrder(record->entryOrder, kUndoEntryOrderMax);
  record->hasEntryOrder = count >= 0 ? 1 : 0;
  record->entryOrderCount = uint16_t(count >= 0 ? count : 0);
  record->currentEntry = uint16_t(GetCurrentTrackIndex());
}

}  // namespace

int32_t CaptureEntryOrder(uint8_t* order, int32_t max) {
  int32_t count = GetSongTrackCount();
  if (count > max) return -1;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) return -1;
    order[i] = entry[kTrackNumber] < kMaxTrackNumbers ? entry[kTrackNumber] : kNoTrackNumber;
  }
  return count;
}

int32_t BeginUndoableStep(void* context, UndoableEdit edit, int32_t keepExtra) {
  if (!edit) return 1;
  Handle song = gCurrentSongHandle;
  UndoRecord* record = OpenUndoRecord();
  if (!record || !song) return 0;
  SongCopyContext copy;
  copy.source = song;
  CopySongIntoUndo(&copy, song, record->songCopy);
  DisposeSnapshotSong(&record->spareSong);
  record = GetCurrentUndoRecord();
  record->spareSong = NewSpareSong();
  if (!record->spareSong) copy.failure = copy.reported = 1;
  copy.destination = record->spareSong;
  if (!copy.failure) SearchSelectedTracks(CopyTrackIntoUndo, &copy);
  if (copy.failure) return AbandonStep();
  KeepStepOrder(record);
  std::memcpy(record->selection, gTrackSelection, kTrackSelectionSize);
  record->ownerSong = song;
  if (keepExtra && gUndoExtraStateProc) {
    DisposeHandleAndClear(&record->extraState);
    record->extraState = gUndoExtraStateProc();
  }
  HUnlock(record->spareSong);
  edit(context);
  return 1;
}

int32_t RunUndoableEdit(UndoableEdit edit, void* context) {
  return BeginUndoableStep(context, edit, 0);
}

int32_t RunUndoableEditInScope(UndoableEdit edit, const uint8_t* scope, void* context) {
  uint8_t saved[kTrackSelectionSize];
  SaveTrackSelection(saved);
  RestoreTrackSelection(scope);
  int32_t ran = BeginUndoableStep(context, edit, 0);
  if (ran && edit) {
    if (UndoRecord* record = GetCurrentUndoRecord()) StoreSelection(record->songCopy, scope);
    StoreSelection(gCurrentSongHandle, scope);
  }
  RestoreTrackSelection(saved);
  return ran;
}

int32_t RunUndoableEditForCurrentTrack(UndoableEdit edit, void* context) {
  uint8_t scope[kTrackSelectionSize] = {};
  int32_t number = HasValidCurrentTrack() ? gCurrentTrack[kTrackNumber] : kNoTrackNumber;
  if (number < kMaxTrackNumbers) {
    scope[kSelectionFirstSlot] = scope[kSelectionLastSlot] = uint8_t(number);
    scope[kSelectionMask + (number >> 3)] = uint8_t(1 << (number & 7));
  }
  return RunUndoableEditInScope(edit, scope, context);
}

OSErr RunUndoableEditClearingScope(UndoableEdit edit, void* context) {
  uint8_t scope[kTrackSelectionSize];
  std::memset(scope, 0xFF, sizeof scope);
  scope[kSelectionFirstSlot] = 0;
  scope[kSelectionLastSlot] = '/';
  if (!RunUndoableEditInScope(edit, scope, context)) return memFullErr;
  InvalidateTrackWindow();
  InvalidateEditorWindow();
  return noErr;
}

OSErr RunUndoableEditOverAllTracks(UndoableEdit edit, void* context) {
  if (!gCurrentSong) return paramErr;
  uint8_t kept[kTrackSelectionSize];
  std::memcpy(kept, gCurrentSong + kSongTrackSelection, kTrackSelectionSize);
  Handle song = gCurrentSongHandle;
  OSErr err = RunUndoableEditClearingScope(edit, context);
  if (err != noErr) return err;
  if (UndoRecord* record = GetCurrentUndoRecord()) StoreSelection(record->songCopy, kept);
  StoreSelection(song, kept);
  return noErr;
}

int32_t RunUndoableEditWithTimeSelection(UndoableEdit edit, int32_t keepExtra, void* context) {
  TimeSelection kept = gTimeSelection;
  int32_t ran = BeginUndoableStep(context, edit, keepExtra);
  UndoRecord* record = GetCurrentUndoRecord();
  if (ran && edit && record && record->songCopy) {
    uint8_t* copy = reinterpret_cast<uint8_t*>(HandleData(record->songCopy));
    std::memcpy(copy + kSongTrackSelection, gTrackSelection, kTrackSelectionSize);
    StoreTimeSelectionInSong(copy, kept);
  }
  gTimeSelection = kept;
  return ran;
}

int32_t RunUndoableTimeSelectionEdit(UndoableEdit edit, void* context) {
  return RunUndoableEditWithTimeSelection(edit, 0, context);
}

int32_t RunUndoableSongTableEdit(UndoableEdit edit, int32_t storeSelection, void* context) {
  (void)storeSelection;  // the event selection is kept by the editing operations
  UndoRecord* record = OpenUndoRecord();
  if (!record) return 0;
  record->savedSongTable = NewHandleClear(Size(gSongCount) * 4);
  if (!record->savedSongTable) return 0;
  WriteU32BE(HandleData(record->songCopy) + kSongPackedPosition, PackCurrentPosition());
  SongCopyContext copy;
  for (int32_t slot = 0; slot < gSongCount && !copy.failure; ++slot) {
    Handle song = GetSongHandleAt(slot);
    if (!song) continue;
    Handle block = NewHandleClear(kSnapshotSongSize);
    if (!block) {
      NoteCopyFailure(&copy, memFullErr);
      break;
    }
    LockHandleHigh(block);
    WriteU32BE(HandleData(record->savedSongTable) + 4 * slot, block.id);
    copy.source = song;
    copy.destination = block;
    CopySongWithContents(&copy);
  }
  if (copy.failure) return AbandonStep();
  record->ownerSong = gCurrentSongHandle;
  if (edit) edit(context);
  return 1;
}

int32_t RunStoredUndoableEdit() { return RunUndoableEdit(gStoredUndoableEdit); }
