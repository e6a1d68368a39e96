// Sending the system-exclusive records of tracks (kind-0x40 SeqEvents): the clock task sends
// them when their time comes, and the chase before playback starts. A record holds the bytes
// of one or more messages without the first message's 0xF0; the sender puts it back in front.
#pragma once

#include <cstdint>

#include "song/instruments/driver_procs.h"

// The most data bytes in one packet handed to a send procedure.
constexpr uint32_t kSysExPacketBytes = 240;
// The wait before each packet that continues a message (not one that starts with 0xF0), in
// sixtieths of a second.
extern uint16_t gSysExPacketDelay;

// Sends count bytes (a whole stream: the first starts a message with 0xF0) through send to
// output in packets of at most kSysExPacketBytes. Answers the number of packets sent.
int32_t SendSysExChunked(const uint8_t* data, uint32_t count, DriverProcId send, uint8_t output);
// Sends the data of the system-exclusive record event (checked against its own length and
// bytesLeft, the bytes of the list from event on) through send to output: 0xF0 and the stored
// bytes. Answers the number of packets sent (0 for a damaged record).
int32_t SendSysExRecord(const uint8_t* event, uint32_t bytesLeft, DriverProcId send,
                        uint8_t output);
// The record event of a plain track goes to the track's own output; of a track that plays an
// instrument of the table, to the output slots of its first channel's instrument. While the
// data goes out the slaved clock takes the long busy limit, and live input routed to the
// same output has its held notes ended first (unless the output is of kind 4 or 5).
void SendTrackSysEx(const uint8_t* track, const uint8_t* event, int32_t flag);
