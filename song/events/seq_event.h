// SeqEvent: one record of a track's time-sorted event list, stored big-endian.
//
//   +0  u32 time in ticks from 1 (0: the end record)
//   +4  u8  flags (bit 0 selected; bits 2, 3 marks)
//   +5  u8  status: kind in the high nibble, MIDI channel in the low
//   +6  data, by length class:
//        14-byte long form (kinds 0x10-0x30, 0x50-0x90): data 6..10, byte 11 = 1, u16 at 12
//        8-byte short form (kinds 0xA0-0xF0): two data bytes at 6 and 7 (byte 5 is the status)
//        variable record (kind 0x40): u32 total length at 6, u32 data length at 10, ...,
//          last 8 bytes: u32 total length, one byte, the byte 2, two bytes
// Three bytes before the end of every record stands 1 (14 bytes), 2 (variable) or the
// status (8 bytes); backward walks read it. A list ends with a 14-byte all-zero record.
#pragma once

#include <cstdint>

#include "platform/memory/byte_order.h"

constexpr int32_t kEventTime = 0;
constexpr int32_t kEventFlags = 4;
constexpr int32_t kEventStatus = 5;
constexpr int32_t kEventData1 = 6;
constexpr int32_t kEventData2 = 7;
constexpr int32_t kEventData3 = 8;
constexpr int32_t kEventLongLengthHigh = 9;   // sequence reference: high byte of the 24-bit length
constexpr int32_t kEventKindMarker = 11;      // 1 in every 14-byte record
constexpr int32_t kEventDuration = 12;        // u16 note duration / low 16 bits of a long length
constexpr int32_t kEventChildIndex = 6;       // u16 sequence reference: child index x 4
constexpr int32_t kEventVariableLength = 6;   // u32 total length of a variable record
constexpr int32_t kEventVariableDataLength = 10;  // u32 data byte count of a data event
constexpr int32_t kEventVariableTrailer = 8;  // trailer bytes at a variable record's end

constexpr int32_t kLongEventSize = 14;
constexpr int32_t kShortEventSize = 8;
constexpr int32_t kEndRecordSize = 14;
constexpr int32_t kEmptyEventListSize = 14;
constexpr uint8_t kStoredLength = 255;        // length table value: the record stores its length

constexpr uint8_t kLongMarker = 1;            // byte end-3 of a 14-byte record
constexpr uint8_t kVariableMarker = 2;        // byte end-3 of a variable record

constexpr uint8_t kEventSelected = 0x01;
constexpr uint8_t kEventMarks = 0x0c;

constexpr uint8_t kKindEnd = 0x00;
constexpr uint8_t kKindVariable = 0x40;
constexpr uint8_t kKindSequenceRef = 0x50;
constexpr uint8_t kKindNote = 0x90;
constexpr uint8_t kKindPolyPressure = 0xA0;
constexpr uint8_t kKindController = 0xB0;
constexpr uint8_t kKindProgram = 0xC0;
constexpr uint8_t kKindChannelPressure = 0xD0;
constexpr uint8_t kKindPitchBend = 0xE0;
constexpr uint8_t kKindSystem = 0xF0;

constexpr uint32_t kSortSentinelTime = 0x7fffffff;  // the end record's time while a sort runs

// Length by kind, indexed by the status byte's high nibble (255: stored length).
extern const uint8_t gEventLengthByKind[16];

inline uint32_t SeqEventTime(const uint8_t* e) { return ReadU32BE(e + kEventTime); }
inline void SetSeqEventTime(uint8_t* e, uint32_t t) { WriteU32BE(e + kEventTime, t); }
inline uint8_t EventStatus(const uint8_t* e) { return e[kEventStatus]; }
inline uint8_t SeqEventKind(const uint8_t* e) { return e[kEventStatus] & 0xF0; }
inline uint8_t EventChannel(const uint8_t* e) { return e[kEventStatus] & 0x0F; }

// The table length for a status byte (0 for the end kind, 255 for a stored length).
inline uint8_t GetEventLengthByKind(uint8_t status) { return gEventLengthByKind[status >> 4]; }
// A record's length: the table value, or the u32 at +6 for a variable record. Unchecked:
// use SeqEventLengthWithin on lists that may be damaged. Inline: every walk over a list
// steps with it.
inline uint32_t GetSeqEventLength(const uint8_t* event) {
  uint8_t length = GetEventLengthByKind(event[kEventStatus]);
  if (length == kStoredLength) return ReadU32BE(event + kEventVariableLength);
  return length;
}
// The record's length when it is plausible and fits in the bytes that remain; 0 otherwise
// (unknown kind, a variable length below 14 or beyond the list, or an end record).
inline uint32_t SeqEventLengthWithin(const uint8_t* event, uint32_t bytesLeft) {
  if (bytesLeft < kShortEventSize) return 0;
  uint8_t length = GetEventLengthByKind(event[kEventStatus]);
  if (length == 0) return 0;
  if (length != kStoredLength) return length <= bytesLeft ? length : 0;
  if (bytesLeft < kLongEventSize) return 0;
  uint32_t stored = ReadU32BE(event + kEventVariableLength);
  if (stored < kLongEventSize || stored > bytesLeft) return 0;
  return stored;
}
inline uint8_t* GetNextSeqEvent(uint8_t* event) { return event + GetSeqEventLength(event); }
// The start of the record that ends at end, or null when the byte at end-3 is not a known
// marker. Short (8-byte) records of every kind the table gives 8 bytes are accepted.
uint8_t* PrevEventStart(uint8_t* end);
// The same, bounded: null when the record would start before listStart.
uint8_t* PrevEventStartWithin(uint8_t* end, uint8_t* listStart);

// Sequence references and other long events: a 24-bit length.
void SetEventLongDuration(uint8_t* event, uint32_t n);
uint32_t GetEventLongDuration(const uint8_t* event);
inline uint16_t GetNoteDuration(const uint8_t* e) { return ReadU16BE(e + kEventDuration); }
inline void SetNoteDuration(uint8_t* e, uint16_t d) { WriteU16BE(e + kEventDuration, d); }

// Fills a record in place (for tests and inserts): a 14-byte long event, an 8-byte short
// event, and a variable record of total length n (at least 14, even) with its trailer.
void FillLongEvent(uint8_t* e, uint32_t time, uint8_t status, uint8_t d1, uint8_t d2,
                   uint16_t duration);
void FillShortEvent(uint8_t* e, uint32_t time, uint8_t status, uint8_t d1, uint8_t d2);
void FillVariableEvent(uint8_t* e, uint32_t time, uint32_t totalLength);
