#include "sequencer/transport/transport_position.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "sequencer/transport/transport_engine.h"
#include "song/model/song_context.h"

uint8_t gTransportPositionBlock[kTransportPositionBlockSize] = {};
uint32_t gTransportFlagWord = 0;
uint8_t gTransportStatusByte = 0;

uint32_t ReadSongPositionTick() { return ReadU32BE(gTransportPositionBlock); }

namespace {

void PrepareSectionPlayback(bool sectionReset) {
  if (sectionReset) gTransportFlagWord |= kTransportFlagSectionReset;
  uint8_t status = gTransportStatusByte;
  if (PushSongContext() == noErr) {
    DrainIdleTasks();
    PopSongContext();
  }
  gTransportStatusByte = status;
  gTransportFlagWord &= ~(kTransportFlagPlayPending | kTransportFlagLocatePending);
}

}  // namespace

void ResetTransportForEdit(bool prepare, bool sectionReset, bool keepPosition) {
  uint8_t kept[kTransportPositionBlockSize];
  if (keepPosition) std::memcpy(kept, gTransportPositionBlock, sizeof kept);
  if (prepare) PrepareSectionPlayback(sectionReset);
  if (keepPosition) std::memcpy(gTransportPositionBlock, kept, sizeof kept);
}
