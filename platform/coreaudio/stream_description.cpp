#include "platform/coreaudio/stream_description.h"

#include "platform/memory/byte_order.h"

AudioStreamBasicDescription MakeFloatStreamDescription(Float64 sampleRate, UInt32 channels) {
  AudioStreamBasicDescription format;
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  format.mBytesPerPacket = 4 * channels;
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = 4 * channels;
  format.mChannelsPerFrame = channels;
  format.mBitsPerChannel = 32;
  return format;
}

Boolean IsDeviceFloatFormat(const AudioStreamBasicDescription& format) {
  constexpr UInt32 kRequired = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  constexpr UInt32 kRefused = kAudioFormatFlagIsBigEndian | kAudioFormatFlagIsNonInterleaved |
                              kAudioFormatFlagIsSignedInteger;
  return format.mFormatID == kAudioFormatLinearPCM && (format.mFormatFlags & kRequired) == kRequired &&
         (format.mFormatFlags & kRefused) == 0 && format.mBitsPerChannel == 32 &&
         format.mFramesPerPacket == 1 && format.mBytesPerFrame == 4 * format.mChannelsPerFrame &&
         format.mBytesPerPacket == format.mBytesPerFrame;
}

void StoreStreamDescription(void* image, const AudioStreamBasicDescription& format) {
  uint8_t* p = static_cast<uint8_t*>(image);
  WriteF64BE(p, format.mSampleRate);
  const UInt32 fields[8] = {format.mFormatID,       format.mFormatFlags,   format.mBytesPerPacket,
                            format.mFramesPerPacket, format.mBytesPerFrame, format.mChannelsPerFrame,
                            format.mBitsPerChannel,  format.mReserved};
  for (int i = 0; i < 8; ++i) WriteU32BE(p + 8 + 4 * i, fields[i]);
}

AudioStreamBasicDescription LoadStreamDescription(const void* image) {
  const uint8_t* p = static_cast<const uint8_t*>(image);
  AudioStreamBasicDescription format;
  format.mSampleRate = ReadF64BE(p);
  format.mFormatID = ReadU32BE(p + 8);
  format.mFormatFlags = ReadU32BE(p + 12);
  format.mBytesPerPacket = ReadU32BE(p + 16);
  format.mFramesPerPacket = ReadU32BE(p + 20);
  format.mBytesPerFrame = ReadU32BE(p + 24);
  format.mChannelsPerFrame = ReadU32BE(p + 28);
  format.mBitsPerChannel = ReadU32BE(p + 32);
  format.mReserved = ReadU32BE(p + 36);
  return format;
}
