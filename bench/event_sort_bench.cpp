// Inserting 1,000,000 events in random time order into one track and sorting the track.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "platform/memory/memory.h"
#include "song/events/event_lists.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/model/song_database.h"
#include "song/model/track_entries.h"
#include "song/model/utility_track_access.h"

namespace {

// A mix of notes (14 bytes) and controllers (8 bytes) at random times.
std::vector<std::vector<uint8_t>> RandomEvents(int n) {
  std::mt19937 rng(12345);
  std::vector<std::vector<uint8_t>> events(static_cast<size_t>(n));
  for (auto& e : events) {
    uint32_t time = 1 + rng() % 10000000;
    if (rng() % 2) {
      e.resize(kLongEventSize);
      FillLongEvent(e.data(), time, 0x90, uint8_t(rng() % 128), 100, uint16_t(1 + rng() % 480));
    } else {
      e.resize(kShortEventSize);
      FillShortEvent(e.data(), time, 0xB0, 7, uint8_t(rng() % 128));
    }
  }
  return events;
}

void ResetTrack() {
  ResetSongDatabase();
  FreeTrackHandles();
}

// Each event is inserted on its own (the list grows by one record per insert), then the
// track is sorted.
void BM_InsertAndSortMillionEvents(benchmark::State& state) {
  const int n = int(state.range(0));
  std::vector<std::vector<uint8_t>> events = RandomEvents(n);
  for (auto _ : state) {
    state.PauseTiming();
    ResetTrack();
    state.ResumeTiming();
    for (const auto& e : events) AppendEventRecords(e.data(), int32_t(e.size()));
    SortTrackEvents();
    benchmark::DoNotOptimize(GetCurrentTrackEventsPtr());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
BENCHMARK(BM_InsertAndSortMillionEvents)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The sort alone, on an unsorted list of n events.
void BM_SortMillionEvents(benchmark::State& state) {
  const int n = int(state.range(0));
  std::vector<std::vector<uint8_t>> events = RandomEvents(n);
  std::vector<uint8_t> flat;
  for (const auto& e : events) flat.insert(flat.end(), e.begin(), e.end());
  ResetTrack();
  AppendEventRecords(flat.data(), int32_t(flat.size()));
  Handle list = GetCurrentTrackEventList();
  std::vector<uint8_t> unsorted(HandleData(list), HandleData(list) + GetHandleSize(list));
  for (auto _ : state) {
    state.PauseTiming();
    BlockMoveData(unsorted.data(), HandleData(list), Size(unsorted.size()));
    state.ResumeTiming();
    SortEventList(list);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
BENCHMARK(BM_SortMillionEvents)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
