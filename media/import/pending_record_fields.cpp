#include "media/import/pending_record_fields.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

OSErr AllocImportTrackAudio(uint8_t* slot) {
  Handle record = NewHandleClear(kImportTrackAudioBytes);
  WriteU32BE(slot, record ? record.id : 0);
  return record ? OSErr(noErr) : OSErr(memFullErr);
}
