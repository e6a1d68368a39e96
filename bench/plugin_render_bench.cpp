// The plug-in host's cost: 64 engine channels with 4 inserts each of a pass-through VST (our
// own, loaded from its shared object like any plug-in), rendered block by block through the
// chain render, beside calling the same plug-ins' processReplacing directly on the same buffers
// in the same run, round for round after a warm-up. The ratio is host time / direct time (the
// median of the rounds); what the host adds is the successor lookup, the current instance, the
// table swaps, the bypass and mix-back rules and the table checks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "platform/vst/vst_loader.h"
#include "plugins/host/chain_render.h"
#include "plugins/host/plugin_instance.h"

namespace {

constexpr int32_t kChannels = 64;
constexpr int32_t kInserts = 4;
constexpr int kBatch = 8;
constexpr int kWarmUpRounds = 20;

VstIntPtr BenchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == kAudioMasterVersion ? kVstVersion : 0;
}

struct Chains {
  uint32_t module = 0;
  std::vector<PluginInstance*> heads;
  std::vector<PluginInstance*> all;
  explicit Chains(int32_t frames) {
    gAudioBufferFrames.store(frames);
    EnsureRenderBuffers(2, 2, 1);
    if (LoadVstModule(PASSTHROUGH_VST_PATH, &module) != noErr) return;
    VstPluginMainProc entry = FindVstEntryPoint(module);
    for (int32_t c = 0; c < kChannels; ++c) {
      PluginInstance* previous = nullptr;
      for (int32_t i = 0; i < kInserts; ++i) {
        PluginInstance* p = NewPluginInstanceRecord();
        p->effect = CallVstEntryPoint(entry, BenchHost);
        p->inputChannels = p->outputChannels = 2;
        if (previous) previous->next = p->id;
        else heads.push_back(p);
        previous = p;
        all.push_back(p);
      }
    }
    for (int32_t i = 0; i < 2; ++i)
      for (int32_t f = 0; f < frames; ++f) gRenderBuffers.chain[i][f] = float(f % 97) / 97.0f;
  }
  ~Chains() {
    for (PluginInstance* p : all) {
      p->effect->dispatcher(p->effect, kEffClose, 0, 0, nullptr, 0.0f);
      FreePluginInstanceRecord(p);
    }
    if (module) UnloadVstModule(module);
    FreeRenderBuffers();
  }
};

// One block of every channel through its chain, as the engine renders it.
void RenderThroughHost(Chains& chains, int32_t frames) {
  float* inputs[kRenderBufferCount] = {};
  float* outputs[kRenderBufferCount] = {};
  uint8_t rendered = 0;
  for (PluginInstance* head : chains.heads) {
    inputs[0] = gRenderBuffers.chain[0];
    inputs[1] = gRenderBuffers.chain[1];
    RenderInsertChain(head, inputs, outputs, frames, 2, &rendered);
  }
  benchmark::DoNotOptimize(inputs[0]);
}

// The same calls made directly, the buffers alternating between the two tables the same way.
void CallDirectly(Chains& chains, int32_t frames) {
  for (int32_t c = 0; c < kChannels; ++c) {
    float* in[2] = {gRenderBuffers.chain[0], gRenderBuffers.chain[1]};
    for (int32_t i = 0; i < kInserts; ++i) {
      AEffect* e = chains.all[size_t(c * kInserts + i)]->effect;
      float** table = in[0] == gRenderBuffers.chain[0] ? gRenderBuffers.second : gRenderBuffers.chain;
      float* out[2] = {table[0], table[1]};
      e->processReplacing(e, in, out, frames);
      in[0] = out[0];
      in[1] = out[1];
    }
    benchmark::DoNotOptimize(in[0]);
  }
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Nanoseconds of one batch of blocks along one path.
template <typename Path>
double TimeBatch(Path path, Chains& chains, int32_t frames) {
  auto t0 = std::chrono::steady_clock::now();
  for (int k = 0; k < kBatch; ++k) path(chains, frames);
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
}

// Each iteration is one round: a batch along each path, back to back, the order changed from
// round to round so neither side always runs on the caches the other warmed. The counters
// are medians over the rounds, and the ratio the median of the rounds' own ratios: a round
// the machine interrupted stands out alone and does not move them.
void BM_PluginChains(benchmark::State& state) {
  int32_t frames = int32_t(state.range(0));
  Chains chains(frames);
  if (chains.heads.size() != size_t(kChannels)) {
    state.SkipWithError("the pass-through plug-in did not load");
    return;
  }
  for (int k = 0; k < kWarmUpRounds; ++k) {
    TimeBatch(RenderThroughHost, chains, frames);
    TimeBatch(CallDirectly, chains, frames);
  }
  std::vector<double> host, direct, ratios;
  bool hostFirst = true;
  for (auto _ : state) {
    double h = 0, d = 0;
    if (hostFirst) {
      h = TimeBatch(RenderThroughHost, chains, frames);
      d = TimeBatch(CallDirectly, chains, frames);
    } else {
      d = TimeBatch(CallDirectly, chains, frames);
      h = TimeBatch(RenderThroughHost, chains, frames);
    }
    hostFirst = !hostFirst;
    host.push_back(h / kBatch);
    direct.push_back(d / kBatch);
    ratios.push_back(d > 0 ? h / d : 0);
  }
  state.counters["host_us_per_block"] = Median(host) / 1000.0;
  state.counters["direct_us_per_block"] = Median(direct) / 1000.0;
  state.counters["ratio_host_to_direct"] = Median(ratios);
  state.counters["rounds"] = double(ratios.size());
}

BENCHMARK(BM_PluginChains)->Arg(64)->Arg(256)->Arg(1024)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
