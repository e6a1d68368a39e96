// The 64-byte entry of the MIDI port table (big-endian, 2-byte aligned).
#pragma once

#include <cstdint>

#include "song/instruments/midi_port_table.h"

constexpr int32_t kPortId = 0;            // u16, never 0 for a used entry
constexpr int32_t kPortState = 2;         // u16: 0xFFFF absent, 0xFFFE found
constexpr int32_t kPortDestIndex = 4;     // u8 destination number when the table was built
constexpr int32_t kPortKind = 5;          // u8: 2 = MIDI destination
constexpr int32_t kPortName = kPortEntryName;  // 32 bytes: length byte + up to 31 characters
constexpr int32_t kPortNameSize = kPortEntryNameSize;
constexpr int32_t kPortChannelMask = 38;  // u16: bit n = channel n + 1
constexpr int32_t kPortFlags = 41;        // u8: bit 0 absent, bit 2 used
constexpr int32_t kPortUniqueId = 42;     // u32 of the destination (0 ends the table)
constexpr int32_t kPortDeviceId = 50;     // u32 of the external device, 0 none
constexpr int32_t kPortEndpoint = 56;     // u32 destination reference, 0 absent

constexpr uint16_t kPortStateAbsent = kPortStateAbsentValue;
constexpr uint16_t kPortStateFound = 0xFFFE;
constexpr uint8_t kPortKindDestination = 2;
constexpr uint8_t kPortFlagAbsent = 0x01;
constexpr uint8_t kPortFlagUsed = 0x04;
constexpr int32_t kMaxPorts = 128;
