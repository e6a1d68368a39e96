// The cost of one engine mix cycle for 8, 32 and 128 channels at 64, 256 and 1024 frames, as
// nanoseconds per channel-frame, beside a memcpy of the same number of sample bytes measured
// in the same run, batch for batch (the ratio is mix time / memcpy time). The wall time that
// the library reports per iteration covers one batch of each.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/disk_thread.h"
#include "audio/render/mix_cycle.h"

namespace {

int32_t ReadyReader(EngineChannel*, int32_t, void*, uint8_t* ready) {
  *ready = 1;
  return 0;
}

struct Bed {
  AudioDriverOps driver;
  std::vector<EngineChannel*> channels;
  Bed(int32_t count, int32_t frames) {
    gAudioBufferFrames.store(frames);
    if (!gDiskQueue.running.load()) StartDiskThread();
    EngineChannel** tail = &driver.channelList;
    for (int32_t i = 0; i < count; ++i) {
      auto* c = new EngineChannel();
      c->frameChannels = 2;
      c->sourceChannels = 2;
      c->sampleBits = 32;
      c->framesPerBlock = int16_t(frames);
      c->blocksPerHalf = 16;
      c->blockBytes = frames * 2 * 4;
      c->reader = ReadyReader;
      c->sourceKind = 1;  // refills are posted, but the cycles run faster than real time
      c->device = &driver;
      c->pan = int16_t(i % 128);
      SetChannelGains(30000, c->pan, &c->gainLeft, &c->gainRight);
      AllocateChannelBlocks(c, frames);
      for (int h = 0; h < 2; ++h) {
        int16_t err = 0;
        c->halfBuffer[h] = NewEngineBuffer(c->blockBytes * c->blocksPerHalf, &err);
        auto* f = static_cast<float*>(c->halfBuffer[h]);
        for (int32_t s = 0; s < frames * 2 * c->blocksPerHalf; ++s) f[s] = float((s * 7 + i) % 200) / 200.0f - 0.5f;
        c->halfReady[h] = 1;
      }
      c->readPointer = static_cast<uint8_t*>(c->halfBuffer[0]);
      c->blocksLeft = c->blocksPerHalf;
      *tail = c;
      tail = &c->next;
      channels.push_back(c);
    }
  }
  ~Bed() {
    WaitForEngineWorkerIdle(&gDiskQueue, 2000);
    for (EngineChannel* c : channels) {
      DisposeChannelBlocks(c);
      DisposeEngineBuffer(c->halfBuffer[0]);
      DisposeEngineBuffer(c->halfBuffer[1]);
      delete c;
    }
  }
};

// Mix cycles and copies of the same number of sample bytes alternate in batches, so that
// both are measured under the same load and cache conditions.
constexpr int kBatch = 16;

void BM_MixCycle(benchmark::State& state) {
  int32_t count = int32_t(state.range(0)), frames = int32_t(state.range(1));
  Bed bed(count, frames);
  // The same number of sample bytes: each channel's stereo Float32 block.
  size_t bytes = size_t(count) * size_t(frames) * 2 * sizeof(float);
  std::vector<float> from(bytes / 4 + 1, 0.25f), to(bytes / 4 + 1);
  double mixNanos = 0, copyNanos = 0;
  int64_t batches = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < kBatch; ++k) MixEngineCycle(bed.driver.channelList, nullptr, nullptr, &gDiskQueue, -1);
    auto t1 = std::chrono::steady_clock::now();
    for (int k = 0; k < kBatch; ++k) {
      std::memcpy(to.data(), from.data(), bytes);
      benchmark::DoNotOptimize(to.data());
      benchmark::ClobberMemory();
    }
    auto t2 = std::chrono::steady_clock::now();
    mixNanos += std::chrono::duration<double, std::nano>(t1 - t0).count();
    copyNanos += std::chrono::duration<double, std::nano>(t2 - t1).count();
    ++batches;
  }
  double channelFrames = double(count) * frames * double(kBatch) * double(batches ? batches : 1);
  state.counters["ns_per_channel_frame"] = mixNanos / channelFrames;
  state.counters["memcpy_ns_per_channel_frame"] = copyNanos / channelFrames;
  state.counters["ratio_to_memcpy"] = copyNanos > 0 ? mixNanos / copyNanos : 0;
  state.counters["underruns"] = gEngineError.load() == kEngineErrUnderrun ? 1 : 0;
}

BENCHMARK(BM_MixCycle)->ArgsProduct({{8, 32, 128}, {64, 256, 1024}});

}  // namespace

BENCHMARK_MAIN();
