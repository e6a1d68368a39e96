#include "shell/plugin_record_io.h"

#include "mixer/insert_rack_state.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/file_access.h"

namespace {
// A handle word inside the record, or none when the record is too short to hold it.
Handle SlotHandle(Handle record, int32_t offset) {
  if (GetHandleSize(record) < offset + 4) return Handle();
  return Handle(ReadU32BE(*record + offset));
}
}  // namespace

OSErr WritePluginRecordHandles(Handle record) {
  if (!record) return GetLastFileError();
  Handle state = SaveInsertRackState(record);
  bool hasRackWord = GetHandleSize(record) >= kPluginRecordRackWord + 4;
  uint32_t rackWord = hasRackWord ? ReadU32BE(*record + kPluginRecordRackWord) : 0;
  if (!state && hasRackWord) WriteU32BE(*record + kPluginRecordRackWord, 0);
  OSErr err = WriteHandleWithSize(record);
  if (!state && hasRackWord) WriteU32BE(*record + kPluginRecordRackWord, rackWord);
  if (err == noErr) err = WriteHandleWithSize(SlotHandle(record, kPluginRecordFirstSlot));
  if (err == noErr) err = WriteHandleWithSize(SlotHandle(record, kPluginRecordSecondSlot));
  if (err == noErr) err = WriteInsertRackState(state);
  if (err == noErr) err = WriteHandleWithSize(SlotHandle(record, kPluginRecordLastSlot));
  DisposeInsertRackState(&state);
  return err;
}
