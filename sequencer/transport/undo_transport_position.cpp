#include "sequencer/transport/undo_transport_position.h"

#include "platform/memory/byte_order.h"

uint8_t gTransportPositionBlock[kTransportPositionBlockSize] = {};
uint32_t gTransportFlagWord = 0;
uint8_t gTransportStatusByte = 0;

uint32_t GetSongPositionTick() { return ReadU32BE(gTransportPositionBlock); }
