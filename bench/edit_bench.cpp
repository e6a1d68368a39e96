// The Edit menu's range operations on a million events, each beside a memmove of the same
// bytes in the same run: Cut of a range of 1,000,000 events, Paste of them back into the
// range, and Insert time at the start of a song of 1,000,000 events. The counters give the
// memmove's time and the ratio (the goal: within 10 times the memmove).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editing/edit_commands.h"
#include "platform/memory/memory.h"
#include "platform/windows/windows.h"
#include "shell/app/program_hooks.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/timebase.h"
#include "song/events/event_index.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_ring.h"

namespace {

constexpr int16_t kUndoItem = 1;
constexpr int16_t kCutItem = 4;
constexpr int16_t kCopyItem = 5;
constexpr int16_t kPasteItem = 7;
constexpr int16_t kInsertTimeItem = 21;
constexpr uint32_t kSpacing = 10;  // ticks between events

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// A track of count events, notes and controllers by turns, every kSpacing ticks from tick 1,
// shown in the main editor's only pane, the only selected track.
void MakeTrack(int32_t count) {
  static bool started = false;
  if (!started) {
    setenv("ZARIN_HEADLESS", "1", 1);
    InstallProgramHooks();
    InitWindows();
    static AppWindow* slot = nullptr;
    CreatePlaceholderAppWindow(&slot, &gMainEditorRecord, kMainEditorWindowKind, "Editor", Rect{60, 20, 460, 620});
    ShowWindow(gMainEditorRecord.window);
    started = true;
  }
  DisposeUndoRing();
  ClearEditorPanes();
  ResetSongDatabase();
  gTicksPerQuarter = 480;
  ApplyTimebase();
  AllocateUndoRing(kDefaultUndoLevels);
  std::vector<uint8_t> bytes;
  bytes.reserve(size_t(count) * kLongEventSize);
  for (int32_t i = 0; i < count; ++i) {
    size_t at = bytes.size();
    uint32_t tick = 1 + uint32_t(i) * kSpacing;
    if (i % 2 == 0) {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], tick, 0x90, uint8_t(36 + i % 60), 100, 8);
    } else {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], tick, 0xB0, 7, uint8_t(i % 128));
    }
  }
  AppendEventRecords(bytes.data(), int32_t(bytes.size()));
  SelectCurrentTrackOnly(false);
  CreateEditorPane(56, true, TrackEntryView(gCurrentTrack).Number());
  SelectWindow(gMainEditorRecord.window);
}

// Bytes of the current track's events in start..end-1.
size_t RangeBytes(uint32_t start, uint32_t end) {
  const uint8_t* p = GetCurrentTrackEventsPtr();
  size_t total = 0;
  for (; SeqEventKind(p) != kKindEnd; p += GetSeqEventLength(p))
    if (SeqEventTime(p) >= start && SeqEventTime(p) < end) total += GetSeqEventLength(p);
  return total;
}

// The time a memmove of bytes takes (the bytes moved by half their length, as a gap closes).
double MemmoveSeconds(size_t bytes) {
  static std::vector<uint8_t> buffer;
  buffer.resize(bytes + bytes / 2);
  std::memset(buffer.data(), 1, buffer.size());
  Clock::time_point from = Clock::now();
  std::memmove(buffer.data(), buffer.data() + bytes / 2, bytes);
  benchmark::DoNotOptimize(buffer.data());
  benchmark::ClobberMemory();
  return Seconds(from);
}

double Run(int16_t item) {
  Clock::time_point from = Clock::now();
  DoEditMenuItem(item);
  double seconds = Seconds(from);
  DisposeAllEventIndexes();
  return seconds;
}

std::string ListBytes() {
  Handle list = GetCurrentTrackEventList();
  return std::string(HandleData(list), size_t(GetHandleSize(list)));
}

// Runs the edit once a round (timed) over the range selected first, a memmove of the same bytes beside it, and Undo (not
// timed) to give the track back for the next round; the counters give the memmove's mean
// time, the bytes and the ratio of the edit's time to the memmove's.
// With mustChange, a round that leaves the event list as it was stops the benchmark.
// Untimed rounds (edit and Undo) come first, as the memmove's buffer is written before it is
// timed: the first edits of a session take the fresh pages that the edits, their undo copies
// and the clipboard need until the undo step and the kept blocks hold them (a fault each,
// tens of microseconds in a virtual machine; three rounds for Cut). The first round's time
// is the counter first_ms.
constexpr int kWarmUpRounds = 3;

void MeasureEdit(benchmark::State& state, int16_t item, size_t bytes, bool mustChange) {
  double edit = 0, memmove = 0;
  // Undo does not put the time selection back: every round edits the same range.
  uint32_t start = gTimeSelection.start.tick, end = gTimeSelection.end.tick;
  double first = 0;
  for (int round = 0; round < kWarmUpRounds; ++round) {
    SetTimeRange(start, end);
    double seconds = Run(item);
    if (round == 0) first = seconds;
    Run(kUndoItem);
  }
  for (auto _ : state) {
    SetTimeRange(start, end);
    std::string before = mustChange ? ListBytes() : std::string();
    double seconds = Run(item);
    if (mustChange && ListBytes() == before) {
      state.SkipWithError("the edit changed nothing");
      break;
    }
    edit += seconds;
    memmove += MemmoveSeconds(bytes);
    state.SetIterationTime(seconds);
    Run(kUndoItem);
  }
  state.counters["first_ms"] = first * 1000;
  state.counters["memmove_ms"] = memmove * 1000 / double(state.iterations());
  state.counters["bytes"] = double(bytes);
  state.counters["ratio"] = memmove > 0 ? edit / memmove : 0;
}

// The range of n events in the middle of a track of 1.5 n, its events selected as a band over
// every pitch selects them: its bytes.
size_t SelectMiddleRange(int32_t n) {
  MakeTrack(n + n / 2);
  uint32_t start = 1 + uint32_t(n / 4) * kSpacing;
  uint32_t end = start + uint32_t(n) * kSpacing;
  SetTimeRange(start, end);
  ClearEventSelection();
  SelectEventsInTimeSelection(0);
  return RangeBytes(start, end);
}

// Cut of the 1,000,000 events in the middle of a track of 1,500,000.
void BM_CutMillionEvents(benchmark::State& state) {
  size_t bytes = SelectMiddleRange(int32_t(state.range(0)));
  MeasureEdit(state, kCutItem, bytes, true);
}
BENCHMARK(BM_CutMillionEvents)->Arg(1000000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// Paste of a clipboard of 1,000,000 events over the same range (the range is cleared and the
// clipboard's events moved in).
void BM_PasteMillionEvents(benchmark::State& state) {
  size_t bytes = SelectMiddleRange(int32_t(state.range(0)));
  Run(kCopyItem);
  MeasureEdit(state, kPasteItem, bytes, false);
}
BENCHMARK(BM_PasteMillionEvents)->Arg(1000000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// Insert time of one bar near the start of a track of 1,000,000 events: every event behind
// the point moves.
void BM_InsertTimeMillionEvents(benchmark::State& state) {
  MakeTrack(int32_t(state.range(0)));
  SetTimeRange(1 + kSpacing, 1 + kSpacing + 4 * 480);
  MeasureEdit(state, kInsertTimeItem, RangeBytes(1, 0x7fffffff), true);
}
BENCHMARK(BM_InsertTimeMillionEvents)->Arg(1000000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
