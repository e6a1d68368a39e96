// Packet lists as bytes in memory, and the splitting of packet data into messages.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/coremidi/midi_message_split.h"
#include "platform/coremidi/midi_packets.h"
#include "platform/memory/byte_order.h"

namespace {

uint64_t ReadU64Native(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

TEST(MidiPackets, ListLaysPacketsOutOnFourByteBoundaries) {
  alignas(8) uint8_t buffer[64] = {};
  auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
  MIDIPacket* cur = MIDIPacketListInit(list);
  const Byte noteOn[] = {0x90, 60, 100};
  const Byte clock[] = {0xF8};
  cur = MIDIPacketListAdd(list, sizeof buffer, cur, 1000, 3, noteOn);
  ASSERT_NE(cur, nullptr);
  cur = MIDIPacketListAdd(list, sizeof buffer, cur, 2000, 1, clock);
  ASSERT_NE(cur, nullptr);

  uint32_t count;
  std::memcpy(&count, buffer, 4);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(ReadU64Native(buffer + 4), 1000u);
  EXPECT_EQ(buffer[12] | (buffer[13] << 8), 3);  // native 16-bit length
  EXPECT_EQ(std::vector<uint8_t>(buffer + 14, buffer + 17), std::vector<uint8_t>({0x90, 60, 100}));
  // 4 + 10 + 3 = 17, so the second packet starts at 20.
  EXPECT_EQ(reinterpret_cast<uint8_t*>(MIDIPacketNext(&list->packet[0])), buffer + 20);
  EXPECT_EQ(ReadU64Native(buffer + 20), 2000u);
  EXPECT_EQ(buffer[30], 0xF8);
}

struct AddCase {
  const char* what;
  MIDITimeStamp firstStamp;
  std::vector<Byte> first;
  MIDITimeStamp secondStamp;
  std::vector<Byte> second;
  UInt32 packets;        // after both adds
  UInt16 firstLength;    // of packet 0
};

TEST(MidiPackets, AddJoinsOnlyEqualStampsOfChannelMessages) {
  const AddCase cases[] = {
      {"same stamp joins", 5, {0x90, 60, 100}, 5, {0x80, 60, 0}, 1, 6},
      {"new stamp starts a packet", 5, {0x90, 60, 100}, 6, {0x80, 60, 0}, 2, 3},
      {"sysex is never joined", 5, {0xF0, 1, 2, 0xF7}, 5, {0x90, 60, 100}, 2, 4},
      {"nothing joins sysex", 5, {0x90, 60, 100}, 5, {0xF0, 1, 0xF7}, 2, 3},
      {"a continuation is not joined", 5, {0x90, 60, 100}, 5, {0x01, 0x02, 0xF7}, 2, 3},
  };
  for (const AddCase& c : cases) {
    alignas(8) uint8_t buffer[128];
    auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
    MIDIPacket* cur = MIDIPacketListInit(list);
    cur = MIDIPacketListAdd(list, sizeof buffer, cur, c.firstStamp, ByteCount(c.first.size()), c.first.data());
    cur = MIDIPacketListAdd(list, sizeof buffer, cur, c.secondStamp, ByteCount(c.second.size()), c.second.data());
    ASSERT_NE(cur, nullptr) << c.what;
    EXPECT_EQ(list->numPackets, c.packets) << c.what;
    EXPECT_EQ(list->packet[0].length, c.firstLength) << c.what;
  }
}

TEST(MidiPackets, AddRefusesWhatDoesNotFitAndLeavesTheListAlone) {
  alignas(8) uint8_t buffer[MIDIPacketListSizeFor(3)];
  auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
  MIDIPacket* cur = MIDIPacketListInit(list);
  const Byte noteOn[] = {0x90, 60, 100};
  cur = MIDIPacketListAdd(list, sizeof buffer, cur, 1, 3, noteOn);
  ASSERT_NE(cur, nullptr);
  EXPECT_EQ(MIDIPacketListAdd(list, sizeof buffer, cur, 2, 3, noteOn), nullptr);   // no room for a packet
  EXPECT_EQ(MIDIPacketListAdd(list, 4 + 10 + 4, cur, 1, 3, noteOn), nullptr);     // nor to join
  EXPECT_EQ(list->numPackets, 1u);
  EXPECT_EQ(list->packet[0].length, 3);

  std::vector<uint8_t> big(4 + 10 + 70000);
  auto* bigList = reinterpret_cast<MIDIPacketList*>(big.data());
  std::vector<Byte> sysex(70000, 0x11);
  sysex[0] = 0xF0;
  EXPECT_EQ(MIDIPacketListAdd(bigList, ByteCount(big.size()), MIDIPacketListInit(bigList), 1, 70000, sysex.data()),
            nullptr);  // over the 16-bit length
  EXPECT_NE(MIDIPacketListAdd(bigList, ByteCount(big.size()), MIDIPacketListInit(bigList), 1, 65535, sysex.data()),
            nullptr);
}

struct SplitCase {
  const char* what;
  std::vector<Byte> in;
  std::vector<std::vector<Byte>> out;
};

TEST(MidiMessageSplit, SplitsPacketDataIntoWholeMessages) {
  const SplitCase cases[] = {
      {"two notes", {0x90, 60, 100, 0x80, 60, 0}, {{0x90, 60, 100}, {0x80, 60, 0}}},
      {"running status gets its status", {0x90, 60, 100, 62, 90}, {{0x90, 60, 100}, {0x90, 62, 90}}},
      {"program change is two bytes", {0xC3, 5, 0xD3, 40}, {{0xC3, 5}, {0xD3, 40}}},
      {"real-time byte inside a note", {0x90, 0xF8, 60, 100}, {{0xF8}, {0x90, 60, 100}}},
      {"sysex to its end", {0xF0, 1, 2, 0xF7, 0xFA}, {{0xF0, 1, 2, 0xF7}, {0xFA}}},
      {"sysex cut by a status", {0xF0, 1, 2, 0x90, 1, 2}, {{0xF0, 1, 2}, {0x90, 1, 2}}},
      {"continuation of a block", {5, 6, 0xF7}, {{5, 6, 0xF7}}},
      {"cut-short note handed on", {0x90, 60}, {{0x90, 60}}},
      {"song position", {0xF2, 1, 2, 0xF6}, {{0xF2, 1, 2}, {0xF6}}},
  };
  for (const SplitCase& c : cases) {
    std::vector<std::vector<Byte>> got;
    ForEachMidiMessage(c.in.data(), c.in.size(),
                       [&](const Byte* b, size_t n) { got.emplace_back(b, b + n); });
    EXPECT_EQ(got, c.out) << c.what;
  }
}

}  // namespace
