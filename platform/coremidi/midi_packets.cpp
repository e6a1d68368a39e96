// Packet lists.
#include "platform/coremidi/midi_packets.h"

#include <cstring>

MIDIPacket* MIDIPacketListInit(MIDIPacketList* pktlist) {
  if (pktlist == nullptr) return nullptr;
  pktlist->numPackets = 0;
  return &pktlist->packet[0];
}

namespace {

bool IsSysExPacket(const MIDIPacket* pkt) { return pkt->length > 0 && (pkt->data[0] == 0xF0 || pkt->data[0] < 0x80); }

bool CanJoin(const MIDIPacket* cur, MIDITimeStamp time, const Byte* data) {
  return cur->timeStamp == time && cur->length > 0 && !IsSysExPacket(cur) && data[0] >= 0x80 && data[0] != 0xF0;
}

}  // namespace

MIDIPacket* MIDIPacketListAdd(MIDIPacketList* pktlist, ByteCount listSize, MIDIPacket* curPacket,
                              MIDITimeStamp time, ByteCount nData, const Byte* data) {
  if (pktlist == nullptr || curPacket == nullptr || (data == nullptr && nData > 0)) return nullptr;
  if (nData == 0 || nData > 0xFFFF) return nullptr;
  const uintptr_t base = reinterpret_cast<uintptr_t>(pktlist);
  const uintptr_t end = base + listSize;
  const uintptr_t cur = reinterpret_cast<uintptr_t>(curPacket);
  if (cur < base + 4 || cur > end) return nullptr;

  if (pktlist->numPackets > 0 && CanJoin(curPacket, time, data)) {
    uintptr_t at = reinterpret_cast<uintptr_t>(&curPacket->data[curPacket->length]);
    if (ByteCount(curPacket->length) + nData > 0xFFFF || at + nData > end) return nullptr;
    std::memcpy(&curPacket->data[curPacket->length], data, nData);
    curPacket->length = UInt16(curPacket->length + nData);
    return curPacket;
  }
  MIDIPacket* pkt = pktlist->numPackets == 0 ? &pktlist->packet[0] : MIDIPacketNext(curPacket);
  uintptr_t at = reinterpret_cast<uintptr_t>(pkt);
  if (at + kMIDIPacketHeaderSize + nData > end) return nullptr;
  pkt->timeStamp = time;
  pkt->length = UInt16(nData);
  std::memcpy(pkt->data, data, nData);
  pktlist->numPackets++;
  return pkt;
}
