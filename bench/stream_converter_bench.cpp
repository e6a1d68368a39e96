// The cost of converting one stream half: 16-bit stereo, 24-bit stereo and float stereo sources
// at 44.1 kHz and 96 kHz into the engine's float or 16-bit output at 48 kHz, 8192 output frames
// a call, as output frames per second (the library's items per second).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/streams/stream_converters.h"

namespace {

constexpr int32_t kBlockFrames = 8192;

void ConvertHalves(benchmark::State& state) {
  const int16_t width = int16_t(state.range(0));
  const bool floatOut = state.range(1) != 0;
  const double sourceRate = double(state.range(2));
  const int32_t inBytes = width / 8;
  EngineChannel c;
  c.sourceWidth = uint16_t(width);
  c.sourceFormat = width == 32 ? FourCC("fl32") : FourCC("NONE");
  c.channelCount = 2;
  c.outputWidth = floatOut ? 32 : 16;
  c.outputFormat = floatOut ? FourCC("fl32") : FourCC("NONE");
  c.floatScale = floatOut ? 2147483648.0f : 32768.0f;
  c.resampleStep = float(sourceRate / 48000.0);
  c.inputBytesPerFrame = uint16_t(inBytes * 2);
  c.outputBytesPerFrame = uint16_t((floatOut ? 4 : 2) * 2);
  c.decodedBlockBytes = kBlockFrames * c.outputBytesPerFrame;
  c.nominalInputFrames = c.inputFramesPerCall = uint32_t(kBlockFrames * c.resampleStep) + 8;
  c.inputBytesPerCall = int32_t(c.inputFramesPerCall * c.inputBytesPerFrame);
  c.carryCapacity = 256u * c.inputBytesPerFrame;
  std::vector<uint8_t> carry(c.carryCapacity), input(size_t(c.nominalInputFrames) * c.inputBytesPerFrame);
  for (size_t i = 0; i < input.size(); ++i) input[i] = uint8_t(i * 37 + (i >> 8));
  if (width == 32)  // keep float samples finite
    for (size_t i = 0; i < input.size(); i += 4) input[i] = 0x3E;
  std::vector<uint8_t> out(size_t(c.decodedBlockBytes));
  c.carryBuffer = carry.data();
  c.inputBuffers[0] = c.inputBuffers[1] = input.data();
  int32_t half = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ConvertStreamBlock(&c, half, out.data(), nullptr));
    benchmark::ClobberMemory();
    half ^= 1;
  }
  state.SetItemsProcessed(state.iterations() * kBlockFrames);
}

}  // namespace

BENCHMARK(ConvertHalves)
    ->ArgNames({"width", "float", "rate"})
    ->ArgsProduct({{16, 24, 32}, {0, 1}, {44100, 96000}});

BENCHMARK_MAIN();
