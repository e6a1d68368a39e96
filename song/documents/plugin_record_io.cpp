#include "song/documents/plugin_record_io.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/instruments/insert_rack_state.h"

namespace {
constexpr int32_t kPluginRecordFlagsByte = 37;
constexpr uint8_t kRackStatePending = 0x10;

// A handle word inside the record, or none when the record is too short to hold it.
Handle SlotHandle(Handle record, int32_t offset) {
  if (GetHandleSize(record) < offset + 4) return Handle();
  Handle h(ReadU32BE(*record + offset));
  return h && IsValidHandle(h) ? h : Handle();
}

// A saved rack state read with the record and not applied yet (no plug-in host took it):
// it is written back as it was read.
Handle PendingRackState(Handle record) {
  if (GetHandleSize(record) <= kPluginRecordFlagsByte) return Handle();
  if (!(uint8_t((*record)[kPluginRecordFlagsByte]) & kRackStatePending)) return Handle();
  return SlotHandle(record, kPluginRecordRackWord);
}
}  // namespace

OSErr WritePluginRecordHandles(Handle record) {
  if (!record) return GetLastFileError();
  Handle pending = PendingRackState(record);
  Handle state = pending ? Handle() : SaveInsertRackState(record);
  // A rack without plug-ins saves a bare header; the file keeps no state for it.
  if (state && CountRackStateRecords(state) == 0) DisposeInsertRackState(&state);
  Handle written = pending ? pending : state;
  bool hasRackWord = GetHandleSize(record) >= kPluginRecordRackWord + 4;
  uint32_t rackWord = hasRackWord ? ReadU32BE(*record + kPluginRecordRackWord) : 0;
  // The stored rack word says whether a rack state follows the record's blocks.
  if (hasRackWord) WriteU32BE(*record + kPluginRecordRackWord, written.id);
  OSErr err = WriteHandleWithSize(record);
  if (hasRackWord) WriteU32BE(*record + kPluginRecordRackWord, rackWord);
  if (err == noErr) err = WriteHandleWithSize(SlotHandle(record, kPluginRecordFirstSlot));
  if (err == noErr) err = WriteHandleWithSize(SlotHandle(record, kPluginRecordSecondSlot));
  if (err == noErr) err = WriteInsertRackState(written);
  if (err == noErr) err = WriteHandleWithSize(SlotHandle(record, kPluginRecordLastSlot));
  DisposeInsertRackState(&state);
  return err;
}
