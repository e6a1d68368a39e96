#include "editing/clipboard_copies.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/model/clipboard_record.h"
#include "song/undo/undo_instruments.h"

namespace {

Handle InstrumentTableOf(Handle record) {
  if (!record || !IsValidHandle(record) || GetHandleSize(record) < kClipboardRecordSize)
    return Handle();
  const char* p = HandleData(record);
  if (uint8_t(p[kClipboardKind]) != kClipboardKindInstruments) return Handle();
  return Handle(ReadU32BE(p + kClipboardInstrumentTable));
}

}  // namespace

// Interim: the record is a plain block; only the instrument table is a part of its own.
Handle CopyClipboardRecord(Handle clipboard, OSErr* err) {
  *err = noErr;
  if (!clipboard || !IsValidHandle(clipboard)) return Handle();
  Handle copy;
  *err = DuplicateHandleWithReserve(clipboard, &copy);
  if (*err != noErr) return Handle();
  Handle table = InstrumentTableOf(clipboard);
  if (!table) return copy;
  Handle tableCopy;
  *err = DuplicateInstrumentTableBlock(table, &tableCopy);
  if (*err != noErr) {
    DisposeHandle(copy);
    return Handle();
  }
  WriteU32BE(HandleData(copy) + kClipboardInstrumentTable, tableCopy.id);
  return copy;
}

// Interim: as above.
void DisposeClipboardRecord(Handle* clipboard) {
  if (!clipboard || !*clipboard) return;
  Handle table = InstrumentTableOf(*clipboard);
  if (table) DisposeInstrumentTableBlock(&table);
  DisposeHandleAndClear(clipboard);
}
