#include "editing/clipboard_copies.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/model/clipboard_record.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_instruments.h"

Handle DuplicateHandleWithRacks(SongCopyContext* request, Handle handle) {
  Handle copy = CopyHandleUnlessFailed(request, handle);
  if (!copy) return copy;
  Handle table = ClipboardRackTableOf(handle);
  if (!table) return copy;
  Handle tableCopy;
  OSErr err = DuplicateInstrumentTableBlock(table, &tableCopy);
  if (err != noErr) {
    DisposeHandle(copy);
    NoteCopyFailure(request, err);
    return Handle();
  }
  WriteU32BE(HandleData(copy) + kClipboardRackTable, tableCopy.id);
  return copy;
}

Handle CopyClipboardRecord(Handle clipboard, OSErr* err) {
  *err = noErr;
  if (!clipboard || !IsValidHandle(clipboard)) return Handle();
  SongCopyContext request;
  request.reported = 1;  // the undo step reports its own failure
  Handle copy = DuplicateHandleWithRacks(&request, clipboard);
  if (request.failure) *err = memFullErr;
  return copy;
}

void DisposeClipboardRecord(Handle* clipboard) {
  if (!clipboard || !*clipboard) return;
  Handle table = ClipboardRackTableOf(*clipboard);
  if (table) DisposeInstrumentTableBlock(&table);
  DisposeHandleAndClear(clipboard);
}
