// Packet lists: the byte layout callers build and walk. A list is a 32-bit packet count and
// the packets one after another; a packet is a 64-bit time stamp, a 16-bit length and that
// many data bytes, the next packet starting at the next 4-byte boundary (MIDIPacketNext).
// The structs declare room for 256 data bytes, but a packet may hold up to 65535 when the
// list's storage is larger.
#pragma once

#include <cstdint>

#include "platform/coremidi/midi_types.h"

#pragma pack(push, 4)
struct MIDIPacket {
  MIDITimeStamp timeStamp;
  UInt16 length;
  Byte data[256];
};

struct MIDIPacketList {
  UInt32 numPackets;
  MIDIPacket packet[1];
};
#pragma pack(pop)

static_assert(offsetof(MIDIPacket, length) == 8 && offsetof(MIDIPacket, data) == 10);
static_assert(offsetof(MIDIPacketList, packet) == 4 && sizeof(MIDIPacket) == 268);

// Bytes a packet of n data bytes takes in a list, its padding to the next packet included.
constexpr ByteCount kMIDIPacketHeaderSize = 10;
constexpr ByteCount MIDIPacketSpan(ByteCount n) { return (kMIDIPacketHeaderSize + n + 3) & ~ByteCount(3); }
// Size of a list buffer that holds one packet of n data bytes.
constexpr ByteCount MIDIPacketListSizeFor(ByteCount n) { return 4 + MIDIPacketSpan(n); }

inline MIDIPacket* MIDIPacketNext(const MIDIPacket* pkt) {
  uintptr_t next = reinterpret_cast<uintptr_t>(&pkt->data[pkt->length]);
  return reinterpret_cast<MIDIPacket*>((next + 3) & ~uintptr_t(3));
}

// Empties the list and answers the place of its first packet.
MIDIPacket* MIDIPacketListInit(MIDIPacketList* pktlist);

// Adds nData bytes stamped time after curPacket (the answer of the previous call or of
// MIDIPacketListInit). The bytes join curPacket when it has the same stamp and neither it
// nor the new bytes are system-exclusive; otherwise they start a new packet. listSize is the
// size of the list's whole buffer in bytes. Answers the packet that holds the bytes, or null
// when they do not fit (in the buffer, or in a packet's 16-bit length), leaving the list as
// it was.
MIDIPacket* MIDIPacketListAdd(MIDIPacketList* pktlist, ByteCount listSize, MIDIPacket* curPacket,
                              MIDITimeStamp time, ByteCount nData, const Byte* data);
