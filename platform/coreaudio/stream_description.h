// Stream descriptions: the device format this layer offers, and the 40-byte big-endian image
// of a description for records that store one.
#pragma once

#include "platform/coreaudio/audio_types.h"

constexpr size_t kStreamDescriptionImageSize = 40;

// Packed, interleaved, native-endian Float32 at the rate with the channel count.
AudioStreamBasicDescription MakeFloatStreamDescription(Float64 sampleRate, UInt32 channels);

// True for the format the devices run in: linear PCM, 32-bit float, packed and interleaved,
// in this machine's byte order, one frame per packet.
Boolean IsDeviceFloatFormat(const AudioStreamBasicDescription& format);

// The big-endian image: rate as an IEEE double, then the eight 32-bit fields in order.
void StoreStreamDescription(void* image, const AudioStreamBasicDescription& format);
AudioStreamBasicDescription LoadStreamDescription(const void* image);
