// The system-exclusive templates through which a strip sends its volume or pan: a handle of a
// header and the message. Header (big-endian): u16 message length at +10, u8 the value's
// minimum at +14 and maximum at +15, i32 positions of the value, channel and checksum bytes
// at +16, +20 and +24, counted from 1 at the message's first byte (0 or less: none); the
// message follows from +30, so position p is the byte at +29 + p.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kTemplateLength = 10;
constexpr int32_t kTemplateMinimum = 14;
constexpr int32_t kTemplateMaximum = 15;
constexpr int32_t kTemplateValuePosition = 16;
constexpr int32_t kTemplateChannelPosition = 20;
constexpr int32_t kTemplateChecksumPosition = 24;
constexpr int32_t kTemplateMessage = 30;
constexpr OSErr kBadTemplateErr = -50;

// The checksum of a message of length bytes: 128 - (the sum of the bytes between index 4 and
// index length - 2, both left out, & 127), 0 where that gives 128.
uint8_t TemplateChecksum(const uint8_t* message, int32_t length);
// Copies the template's message into out (room for outSize bytes) with the value byte =
// minimum + (maximum - minimum) x value / 127 rounded, the channel byte and the checksum byte
// filled; positions outside the message are left alone. Answers the message length, or 0 for
// a template shorter than its header or its stated length, or a message longer than outSize.
int32_t FillValueTemplate(Handle templ, int32_t value, uint8_t channel, uint8_t* out, int32_t outSize);
