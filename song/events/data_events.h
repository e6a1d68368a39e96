// Data events: system-exclusive messages kept in a track as kind-0x40 SeqEvent records.
//
//   +0  u32 tick, +4 flags, +5 status 0x40
//   +6  u32 record length (even(n + 38))
//   +10 u32 data byte count n
//   +14 16 bytes: the event's name, length-prefixed, at most 15 characters ("SysEx")
//   +30 the n data bytes (the message after its leading F0; the last is F7), padded to even
//   then the 8-byte trailer: u32 record length, 0, 2, 0, 0
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kDataEventCount = 10;
constexpr int32_t kDataEventName = 14;
constexpr int32_t kDataEventNameSize = 16;
constexpr int32_t kDataEventData = 30;
constexpr int32_t kDataEventOverhead = 38;
// The largest data count a record can carry (its length must fit the list's u32 fields and
// stay far from overflow in callers that add to it).
constexpr uint32_t kMaxDataEventCount = 0x10000000;

// even(n + 38).
uint32_t DataEventSize(uint32_t n);
// Fills a data event at e (DataEventSize (n) bytes) holding data[0..n-1], named "SysEx".
void FillDataEvent(uint8_t* e, uint32_t tick, const uint8_t* data, uint32_t n);
// The data byte count of a data event (its u32 at +10).
uint32_t GetDataEventLength(const uint8_t* e);
// Hands the data bytes one by one to proc (which may set gIterationAbort to stop); returns
// the event behind e. The count is bounded by the record's own length.
using DataByteProc = void (*)(uint8_t byte, void* arg);
uint8_t* WalkDataEventBytes(uint8_t* e, DataByteProc proc, void* arg);
// Inserts a data event holding a whole message (message[0] is the F0, which is not stored)
// into the current track's list behind the events at tick. Returns 0 or the error.
OSErr InsertDataEventAt(uint32_t tick, const uint8_t* message, uint32_t length);
