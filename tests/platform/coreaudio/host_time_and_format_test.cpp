#include <gtest/gtest.h>

#include <cstring>

#include "platform/coreaudio/audio_host_time.h"
#include "platform/coreaudio/stream_description.h"
#include "platform/system/host_time.h"

namespace {

TEST(AudioHostTimeTest, HostTimeIsTheMonotonicClockInNanoseconds) {
  UInt64 before = HostTimeNanos();
  UInt64 host = AudioGetCurrentHostTime();
  UInt64 after = HostTimeNanos();
  EXPECT_LE(before, host);
  EXPECT_LE(host, after);
  EXPECT_EQ(AudioGetHostClockFrequency(), 1e9);
  for (UInt64 value : {0ull, 1ull, 123456789012345ull, ~0ull}) {
    EXPECT_EQ(AudioConvertHostTimeToNanos(value), value);
    EXPECT_EQ(AudioConvertNanosToHostTime(AudioConvertHostTimeToNanos(value)), value);
  }
}

TEST(StreamDescriptionTest, ImageIsBigEndianAndRoundTrips) {
  AudioStreamBasicDescription format = MakeFloatStreamDescription(44100.0, 2);
  format.mReserved = 0x01020304;
  unsigned char image[kStreamDescriptionImageSize];
  StoreStreamDescription(image, format);
  const unsigned char expectedStart[] = {0x40, 0xE5, 0x88, 0x80, 0, 0, 0, 0, 'l', 'p', 'c', 'm', 0, 0, 0, 9};
  EXPECT_EQ(std::memcmp(image, expectedStart, sizeof expectedStart), 0);
  const unsigned char expectedEnd[] = {0, 0, 0, 32, 1, 2, 3, 4};  // bits per channel, reserved
  EXPECT_EQ(std::memcmp(image + 32, expectedEnd, sizeof expectedEnd), 0);
  AudioStreamBasicDescription back = LoadStreamDescription(image);
  EXPECT_EQ(std::memcmp(&back, &format, sizeof format), 0);
}

TEST(StreamDescriptionTest, OnlyPackedInterleavedNativeFloatIsTheDeviceFormat) {
  struct Case {
    const char* what;
    void (*change)(AudioStreamBasicDescription*);
    bool accepted;
  };
  using Format = AudioStreamBasicDescription;
  const Case cases[] = {
      {"as made", [](Format*) {}, true},
      {"integer", [](Format* f) { f->mFormatFlags = kAudioFormatFlagIsSignedInteger; }, false},
      {"big-endian", [](Format* f) { f->mFormatFlags |= kAudioFormatFlagIsBigEndian; }, false},
      {"non-interleaved", [](Format* f) { f->mFormatFlags |= kAudioFormatFlagIsNonInterleaved; }, false},
      {"16 bits", [](Format* f) { f->mBitsPerChannel = 16; }, false},
      {"frame size off", [](Format* f) { f->mBytesPerFrame = 4; }, false},
      {"not PCM", [](Format* f) { f->mFormatID = FourCC("aac "); }, false},
  };
  for (const Case& c : cases) {
    AudioStreamBasicDescription format = MakeFloatStreamDescription(48000.0, 2);
    c.change(&format);
    EXPECT_EQ(IsDeviceFloatFormat(format), c.accepted) << c.what;
  }
}

}  // namespace
