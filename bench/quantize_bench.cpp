// Quantize of 1,000,000 notes beside the song model's sort of 1,000,000 events in the same run.
// The notes lie in time order, each up to half a sixteenth off the grid, so that quantize moves
// most of them and sorts the list afterwards; the sort gets the same number of events in random
// time order. The counters give the sort's time and the ratio (the goal: within 2 times the sort).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "editing/transforms/quantize_run.h"
#include "platform/memory/memory.h"
#include "song/conductor/timebase.h"
#include "song/events/event_lists.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_database.h"
#include "song/model/track_entries.h"
#include "song/model/utility_track_access.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// n notes in time order, about 5 to a quarter note, each within half a sixteenth of the grid.
std::vector<uint8_t> PlayedNotes(int n) {
  std::mt19937 rng(2024);
  std::vector<uint32_t> ticks(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) ticks[size_t(i)] = 1 + 120u * uint32_t(i) * 3 / 4 + rng() % 60;
  std::sort(ticks.begin(), ticks.end());
  std::vector<uint8_t> bytes(static_cast<size_t>(n) * kLongEventSize);
  for (int i = 0; i < n; ++i)
    FillLongEvent(&bytes[size_t(i) * kLongEventSize], ticks[size_t(i)], 0x90,
                  uint8_t(36 + rng() % 60), 100, uint16_t(1 + rng() % 480));
  return bytes;
}

// n notes and controllers at random times.
std::vector<uint8_t> RandomEvents(int n) {
  std::mt19937 rng(12345);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < n; ++i) {
    size_t at = bytes.size();
    uint32_t time = 1 + rng() % 100000000;
    if (rng() % 2) {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], time, 0x90, uint8_t(rng() % 128), 100, uint16_t(1 + rng() % 480));
    } else {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], time, 0xB0, 7, uint8_t(rng() % 128));
    }
  }
  return bytes;
}

// The share of the current track's notes that start on the grid.
double ShareOnGrid(int32_t grid) {
  int64_t notes = 0, onGrid = 0;
  const uint8_t* p = GetCurrentTrackEventsPtr();
  for (; p && SeqEventTime(p) != 0; p += GetSeqEventLength(p)) {
    ++notes;
    onGrid += (SeqEventTime(p) - 1) % uint32_t(grid) == 0;
  }
  return notes ? double(onGrid) / double(notes) : 0;
}

// The current track of a fresh song database holding bytes as its events.
Handle TrackWith(const std::vector<uint8_t>& bytes) {
  ResetSongDatabase();
  FreeTrackHandles();
  AppendEventRecords(bytes.data(), int32_t(bytes.size()));
  return GetCurrentTrackEventList();
}

void BM_QuantizeMillionNotesBesideSort(benchmark::State& state) {
  const int n = int(state.range(0));
  gTicksPerQuarter = 480;
  ApplyTimebase();
  const std::vector<uint8_t> notes = PlayedNotes(n);
  const std::vector<uint8_t> events = RandomEvents(n);
  QuantizeSettings settings;
  InitQuantizeSettings(&settings);
  SetQuantizeU32(&settings, kQuantizeGrid, gNoteValueTicks[12]);  // sixteenths
  QuantizeRun run{&settings, {}};
  double sortSeconds = 0, quantizeSeconds = 0, onGrid = 0;
  for (auto _ : state) {
    Handle list = TrackWith(events);
    Clock::time_point start = Clock::now();
    SortEventList(list);
    sortSeconds += Seconds(start);

    TrackWith(notes);
    SetTimeRange(1, 0x7ffffff0);
    start = Clock::now();
    ApplyGrooveTemplate(&run);
    quantizeSeconds += Seconds(start);
    onGrid = ShareOnGrid(gNoteValueTicks[12]);
    benchmark::DoNotOptimize(GetCurrentTrackEventsPtr());
  }
  const double iterations = double(state.iterations());
  state.counters["sort_ms"] = 1000 * sortSeconds / iterations;
  state.counters["quantize_ms"] = 1000 * quantizeSeconds / iterations;
  state.counters["ratio"] = quantizeSeconds / sortSeconds;
  state.counters["on_grid"] = onGrid;  // 1 when every note was quantized
  state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
BENCHMARK(BM_QuantizeMillionNotesBesideSort)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
