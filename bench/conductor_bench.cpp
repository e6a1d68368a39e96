// Converting ticks to real time on a song whose conductor map holds 1,000 tempo changes:
// 1,000,000 conversions per iteration, through the tempo table (TickToTime), exactly
// (TickToSubframesExact) and back (TimeToTick). ns_per_conversion is the figure to watch.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"

namespace {

constexpr int32_t kTempoChanges = 1000;
constexpr int32_t kConversions = 1000000;
constexpr int32_t kSongTicks = 20000000;

// A song with 1,000 tempo changes at random ticks, and 1,000,000 random ticks to convert.
std::vector<int32_t>& PrepareSong() {
  static std::vector<int32_t> ticks;
  if (!ticks.empty()) return ticks;
  gTicksPerQuarter = 480;
  gConductorState.ticksPerBeat = 0;
  ApplyTimebase();
  ResetSongDatabase();
  std::mt19937 random(1);
  for (int32_t i = 0; i < kTempoChanges; ++i)
    SetTempoAt(120 + int32_t(random() % 4381), 2 + int32_t(random() % (kSongTicks - 2)));
  ticks.resize(kConversions);
  for (int32_t& t : ticks) t = 1 + int32_t(random() % kSongTicks);
  return ticks;
}

void SetPerConversion(benchmark::State& state) {
  state.counters["ns_per_conversion"] =
      benchmark::Counter(double(kConversions) * double(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(int64_t(kConversions) * state.iterations());
}

void BM_TickToTime(benchmark::State& state) {
  std::vector<int32_t>& ticks = PrepareSong();
  for (auto _ : state) {
    uint64_t sum = 0;
    for (int32_t t : ticks) sum += TickToTime(t);
    benchmark::DoNotOptimize(sum);
  }
  SetPerConversion(state);
}
BENCHMARK(BM_TickToTime)->Unit(benchmark::kMillisecond);

void BM_TickToSubframesExact(benchmark::State& state) {
  std::vector<int32_t>& ticks = PrepareSong();
  for (auto _ : state) {
    double sum = 0;
    for (int32_t t : ticks) sum += TickToSubframesExact(gCurrentSong, t);
    benchmark::DoNotOptimize(sum);
  }
  SetPerConversion(state);
}
BENCHMARK(BM_TickToSubframesExact)->Unit(benchmark::kMillisecond);

void BM_TimeToTick(benchmark::State& state) {
  std::vector<int32_t>& ticks = PrepareSong();
  std::vector<int32_t> times;
  times.reserve(ticks.size());
  for (int32_t t : ticks) times.push_back(int32_t(TickToTime(t)));
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t t : times) sum += TimeToTick(t);
    benchmark::DoNotOptimize(sum);
  }
  SetPerConversion(state);
}
BENCHMARK(BM_TimeToTick)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
