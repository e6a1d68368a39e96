// The choice of decoder and the sizes OpenSoundConverters works out for a source.
#include <gtest/gtest.h>

#include "audio/engine/engine_channels.h"
#include "audio/streams/sound_converter_decode.h"
#include "audio/streams/stream_converters.h"
#include "audio/streams/stream_decoders.h"

namespace {

void Source(EngineChannel& c, OSType format, uint16_t width, int32_t channels, float rate) {
  c.sourceFormat = format;
  c.sourceWidth = width;
  c.sourceChannels = channels;
  c.sourceRate = rate;
}

TEST(DecodeSetup, PicksTheDecoderBySourceAndOutput) {
  struct Case {
    const char* name;
    OSType format;
    uint16_t width;
    float rate;
    int16_t outputWidth;
    StreamDecodeProc want;
  } cases[] = {
      {"16-bit at the engine rate", FourCC("NONE"), 16, 48000.0f, 16, nullptr},
      {"24-bit at the engine rate", FourCC("NONE"), 24, 48000.0f, 16, CopySameRateBlock},
      {"float at the engine rate", FourCC("fl32"), 32, 48000.0f, 16, CopySameRateBlock},
      {"16-bit to float output", FourCC("NONE"), 16, 48000.0f, 32, CopySameRateBlock},
      {"44.1 kHz into 48", FourCC("NONE"), 16, 44100.0f, 16, ConvertStreamBlock},
      {"little-endian 16-bit", FourCC("sowt"), 16, 48000.0f, 16, FillFromSoundConverter},
      {"8-bit at the engine rate", FourCC("twos"), 8, 48000.0f, 16, FillFromSoundConverter},
      {"little-endian 44.1 kHz to float output", FourCC("sowt"), 16, 44100.0f, 32, FillFromSoundConverter},
      {"little-endian 16-bit to float output", FourCC("sowt"), 16, 48000.0f, 32, CopySameRateBlock},
  };
  for (const Case& k : cases) {
    EngineChannel c;
  Source(c, k.format, k.width, 2, k.rate);
    EXPECT_EQ(OpenSoundConverters(&c, 512, 0, k.outputWidth, 3, nullptr, false, 48000.0f), 0) << k.name;
    EXPECT_EQ(c.decodeProc, k.want) << k.name;
    CloseStreamDecoder(&c);
  }
}

TEST(DecodeSetup, ResamplerStepAndMargin) {
  EngineChannel c;
  Source(c, FourCC("NONE"), 16, 2, 44100.0f);
  ASSERT_EQ(OpenSoundConverters(&c, 512, 0, 16, 3, nullptr, false, 48000.0f), 0);
  EXPECT_FLOAT_EQ(c.resampleStep, 0.91875f);
  int32_t budget = int32_t(kDefaultStreamBufferBytes) / 2048 * 2048;
  EXPECT_EQ(c.inputFramesPerCall, uint32_t(int32_t(budget * 0.91875f) / 4 + 8));
  EXPECT_EQ(c.decodedBlockBytes, budget);
  EXPECT_EQ(c.decodedBlockFrames, budget / 4);
  EXPECT_EQ(c.carryCapacity, 256u * 4u);
  CloseStreamDecoder(&c);
}

TEST(DecodeSetup, CompressedSourceGetsAConverterAndTheSmallBudget) {
  AudioFileDescription mp3;
  mp3.kind = 5;
  EngineChannel c;
  Source(c, FourCC(".mp3"), 16, 2, 44100.0f);
  ASSERT_EQ(OpenSoundConverters(&c, 512, 0, 16, 3, &mp3, false, 44100.0f), 0);
  EXPECT_EQ(c.decodeProc, FillFromSoundConverter);
  EXPECT_EQ(c.decodeKind, kDecodeKindOwn);
  EXPECT_NE(c.soundConverter, nullptr);
  EXPECT_LE(c.decodedBlockBytes, 32768);  // the budget of compressed sources
  EXPECT_GT(c.decodedBlockBytes, 0);
  EXPECT_EQ(c.decodedBlockBytes % 2048, 0);
  CloseStreamDecoder(&c);
  EXPECT_EQ(c.soundConverter, nullptr);
  CloseStreamDecoder(&c);  // twice is harmless
}

TEST(DecodeSetup, RefusalsAndTheirCodes) {
  EngineChannel zeroRate;
  Source(zeroRate, FourCC("NONE"), 16, 2, 0.0f);
  EXPECT_EQ(OpenSoundConverters(&zeroRate, 512, 0, 16, 3, nullptr, false, 44100.0f), -225);
  EngineChannel noWidth;
  Source(noWidth, FourCC("NONE"), 16, 2, 44100.0f);
  EXPECT_EQ(OpenSoundConverters(&noWidth, 512, 0, 0, 3, nullptr, false, 44100.0f), -50);
  uint16_t saved = gSoundManagerVersion;
  gSoundManagerVersion = 0x0305;
  EngineChannel old;
  Source(old, FourCC(".mp3"), 16, 2, 44100.0f);
  AudioFileDescription mp3;
  mp3.kind = 5;
  EXPECT_EQ(OpenSoundConverters(&old, 512, 0, 16, 3, &mp3, false, 44100.0f), 65);
  EXPECT_EQ(old.decodeProc, nullptr);
  gSoundManagerVersion = saved;
  EngineChannel unknown;
  Source(unknown, FourCC("XXXX"), 16, 2, 44100.0f);
  EXPECT_NE(OpenSoundConverters(&unknown, 512, 0, 16, 3, nullptr, false, 44100.0f), 0);
  EXPECT_EQ(unknown.decodeProc, nullptr);
  CloseStreamDecoder(&unknown);
}

TEST(DecodeSetup, ABadWaveBlockIsRefused) {
  // cbSize claims more extra bytes than the block holds.
  uint8_t wave[18] = {0x55, 0, 2, 0, 0x44, 0xAC, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0x7F};
  AudioFileDescription d;
  d.kind = 5;
  d.waveFormat = wave;
  d.waveFormatBytes = sizeof wave;
  EngineChannel c;
  Source(c, FourCC("sowt"), 16, 2, 44100.0f);
  EXPECT_NE(OpenSoundConverters(&c, 512, 0, 16, 3, &d, false, 44100.0f), 0);
  CloseStreamDecoder(&c);
}

}  // namespace
