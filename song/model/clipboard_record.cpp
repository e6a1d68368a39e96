#include "song/model/clipboard_record.h"

#include "platform/memory/memory.h"

Handle gClipboard;
Handle gClipboardPart2;

namespace {

// The record's kind, or 0 when there is no whole record.
uint8_t KindOf(Handle record) {
  if (!record || !IsValidHandle(record)) return 0;
  if (GetHandleSize(record) < kClipboardRecordSize) return 0;
  return ReadU8(HandleData(record) + kClipboardKind);
}

}  // namespace

Handle ClipboardRackTableOf(Handle record) {
  uint8_t kind = KindOf(record);
  if (kind != kClipboardKindTracks && kind != kClipboardKindInstruments) return Handle();
  Handle table(ReadU32BE(HandleData(record) + kClipboardRackTable));
  return IsValidHandle(table) ? table : Handle();
}

Handle GetClipboardInstrumentTable() {
  if (KindOf(gClipboard) != kClipboardKindInstruments) return Handle();
  return ClipboardRackTableOf(gClipboard);
}

Handle GetClipboardSongPart() {
  uint8_t kind = KindOf(gClipboard);
  if (kind == 0 || kind == kClipboardKindInstruments) return Handle();
  return gClipboardPart2 && IsValidHandle(gClipboardPart2) ? gClipboardPart2 : Handle();
}
