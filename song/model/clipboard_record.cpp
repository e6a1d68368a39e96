#include "song/model/clipboard_record.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

Handle gClipboard;
Handle gClipboardPart2;

Handle GetClipboardInstrumentTable() {
  if (!gClipboard || !IsValidHandle(gClipboard)) return Handle();
  if (GetHandleSize(gClipboard) < kClipboardRecordSize) return Handle();
  const char* p = *gClipboard;
  if (ReadU8(p + kClipboardKind) != kClipboardKindInstruments) return Handle();
  Handle table(ReadU32BE(p + kClipboardInstrumentTable));
  return IsValidHandle(table) ? table : Handle();
}

// Interim: no clipboard song exists yet.
Handle GetClipboardSongPart() { return Handle(); }
