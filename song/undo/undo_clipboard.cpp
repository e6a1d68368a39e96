#include "song/undo/undo_clipboard.h"

#include "platform/memory/memory.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/track_iterators.h"
#include "song/undo/clipboard_hooks.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_ring.h"

namespace {

// The record's song part takes the clipboard song part's lists, header and tracks.
void CopyClipboardSongPart(UndoRecord* record, SongCopyContext* copy) {
  if (!record->clipboardPart2) record->clipboardPart2 = NewSpareSong();
  if (!record->clipboardPart2) {
    copy->failure = copy->reported = 1;
    return;
  }
  copy->source = gClipboardPart2;
  copy->destination = record->clipboardPart2;
  CopySongListsInto(copy, gClipboardPart2, record->clipboardPart2);
  CopySongHeaderInto(gClipboardPart2, record->clipboardPart2);
  if (copy->failure || PushSongContext() != noErr) return;
  SelectSong(gClipboardPart2);
  SearchSongTracks(CopyTrackIntoUndo, copy);
  PopSongContext();
}

}  // namespace

int32_t KeepClipboardInUndo() {
  UndoRecord* record = OpenUndoRecord();
  if (!record) return 0;
  DisposeUndoRecord(record);
  DisposeSnapshotSong(&record->songCopy);
  SetUndoBusy(true);
  if (!gClipboard) {
    SetUndoBusy(false);  // no edit will fill this record
    return 0;
  }
  OSErr err = noErr;
  record->clipboard = DuplicateClipboardForUndo(gClipboard, &err);
  SongCopyContext copy;
  if (err != noErr) copy.failure = 1;
  if (gClipboardPart2 && !copy.failure) CopyClipboardSongPart(record, &copy);
  // Only a complete copy may take the live clipboard's place on Undo.
  record->keepsClipboard = copy.failure ? 0 : 1;
  return copy.failure ? 0 : 1;
}

int32_t CallWithoutUndoBusy(UndoableEdit edit, void* context) {
  KeepClipboardInUndo();
  if (edit) edit(context);
  SetUndoBusy(false);
  return 1;
}
