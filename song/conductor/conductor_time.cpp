#include "song/conductor/conductor_time.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/memory/memory.h"
#include "song/conductor/tempo_scaling.h"
#include "song/conductor/tempo_tables.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/transport_hooks.h"

namespace {

// The walk's state behind a record: the subframes up to the last tempo change through the
// table and exactly, that change's tick, and the tempo in force.
struct Segment {
  double tableSum = 0.0;
  double exactSum = 0.0;
  int32_t start = 1;
  uint16_t tempo = 0;
  int16_t scaled = 0;
};

struct TimeIndex {
  // What the index was built from.
  uint32_t handle = 0;
  uint32_t generation = 0;
  uint32_t length = 0;
  uint32_t tablesVersion = 0;
  uint16_t headerTempo = 0;
  uint16_t factor = 0;
  int32_t resolution = 0;
  double microsPerSubframe = 0.0;
  bool used = false;
  // Ticks in non-decreasing signed order, and all of them at least 1 (so unsigned order too).
  bool sorted = true;
  bool positive = true;
  Segment initial;
  std::vector<int32_t> ticks;     // every record's tick, in map order
  std::vector<Segment> after;     // the walk's state behind each record
  std::vector<int32_t> bounds;    // records that close a segment (tempo changes that advance)
  std::vector<double> boundTable; // the cumulative times at those records, through the table
  std::vector<double> boundExact; // and exactly
};

// The first index of a[0..n) whose value is not below key, searched without branches (the
// searches run on every conversion).
template <typename T>
int32_t LowerBound(const T* a, int32_t n, T key) {
  if (n <= 0) return 0;
  const T* base = a;
  while (n > 1) {
    int32_t half = n / 2;
    base = base[half] < key ? base + half : base;
    n -= half;
  }
  return int32_t(base - a) + (*base < key ? 1 : 0);
}

constexpr int kCachedIndexes = 4;
std::array<TimeIndex, kCachedIndexes> gIndexes;
int gNextIndexSlot = 0;

int32_t Resolution() { return gTempoTableResolution > 0 ? gTempoTableResolution : 1; }

bool Matches(const TimeIndex& x, uint32_t handle, const uint8_t* song) {
  return x.used && x.handle == handle && x.generation == gConductorMapGeneration &&
         x.length == ReadU32BE(song + kSongConductorLength) &&
         x.headerTempo == ReadU16BE(song + kSongTempo) && x.factor == GetClockTempoFactor() &&
         x.tablesVersion == gTempoTablesVersion && x.resolution == gTempoTableResolution &&
         x.microsPerSubframe == gMicrosecondsPerSubframe;
}

void BuildIndex(TimeIndex& x, uint32_t handle, uint8_t* song, uint8_t* map) {
  x.used = true;
  x.handle = handle;
  x.generation = gConductorMapGeneration;
  x.length = ReadU32BE(song + kSongConductorLength);
  x.headerTempo = ReadU16BE(song + kSongTempo);
  x.factor = GetClockTempoFactor();
  x.tablesVersion = gTempoTablesVersion;
  x.resolution = gTempoTableResolution;
  x.microsPerSubframe = gMicrosecondsPerSubframe;
  x.sorted = true;
  x.positive = true;
  x.ticks.clear();
  x.after.clear();
  x.bounds.clear();
  x.boundTable.clear();
  x.boundExact.clear();
  Segment cur;
  cur.tempo = x.headerTempo;
  cur.scaled = ScaleTempoValue(cur.tempo, 0);
  x.initial = cur;
  for (uint8_t* r = map; ConductorKind(r) != kConductorEnd; r += kConductorRecordSize) {
    int32_t tick = ConductorTick(r);
    if (!x.ticks.empty() && tick < x.ticks.back()) x.sorted = false;
    if (tick < 1) x.positive = false;
    int32_t k = int32_t(x.ticks.size());
    x.ticks.push_back(tick);
    if (ConductorKind(r) == kConductorTempo) {
      int64_t d = int64_t(tick) - cur.start;
      if (d != 0) {
        cur.tableSum += double(d) * SubframesPerTickAtTempo(cur.scaled);
        cur.exactSum += TicksToSubframesExact(d, cur.scaled);
        cur.start = tick;
        x.bounds.push_back(k);
        x.boundTable.push_back(cur.tableSum);
        x.boundExact.push_back(cur.exactSum);
      }
      cur.tempo = ConductorValue(r);
      cur.scaled = ScaleTempoValue(cur.tempo, 0);
    }
    x.after.push_back(cur);
  }
}

// The index of the song's map, rebuilt when anything it depends on changed; null without a
// song. map receives the song's first record. A cached index only needs the map's current
// address (the block may have moved without changing).
int gLastHit = 0;

const TimeIndex* GetTimeIndex(uint8_t* song, uint8_t** map) {
  if (!song) return nullptr;
  uint32_t stored = ReadU32BE(song + kSongConductorMap);
  if (gTempoIncrementTable) {
    for (int i = 0; i < kCachedIndexes; ++i) {
      int slot = (gLastHit + i) % kCachedIndexes;
      if (!Matches(gIndexes[slot], stored, song)) continue;
      uint8_t* base = stored ? reinterpret_cast<uint8_t*>(HandleData(Handle(stored)))
                             : gEmptyConductorMap;
      if (!base) break;
      gLastHit = slot;
      *map = base;
      return &gIndexes[slot];
    }
  }
  EnsureTempoTables();
  *map = GetSongConductorMap(song);
  uint32_t handle = (*map == gEmptyConductorMap) ? 0 : ReadU32BE(song + kSongConductorMap);
  for (int slot = 0; slot < kCachedIndexes; ++slot) {
    if (!Matches(gIndexes[slot], handle, song)) continue;
    gLastHit = slot;
    return &gIndexes[slot];
  }
  TimeIndex& x = gIndexes[gNextIndexSlot];
  gLastHit = gNextIndexSlot;
  gNextIndexSlot = (gNextIndexSlot + 1) % kCachedIndexes;
  BuildIndex(x, handle, song, *map);
  return &x;
}

// The number of records the table walk passes for tick: those in front of the first record
// whose tick is at least tick (signed comparison).
int32_t RecordsBefore(const TimeIndex& x, int32_t tick) {
  if (x.sorted) return LowerBound(x.ticks.data(), int32_t(x.ticks.size()), tick);
  int32_t k = 0;
  while (k < int32_t(x.ticks.size()) && x.ticks[k] < tick) ++k;
  return k;
}

// The same for the exact walk, which compares ticks as unsigned numbers.
int32_t RecordsBeforeUnsigned(const TimeIndex& x, int64_t tick) {
  if (x.sorted && x.positive) {
    if (tick > INT32_MAX) return int32_t(x.ticks.size());
    return LowerBound(x.ticks.data(), int32_t(x.ticks.size()), int32_t(tick));
  }
  int32_t k = 0;
  while (k < int32_t(x.ticks.size()) && int64_t(uint32_t(x.ticks[k])) < tick) ++k;
  return k;
}

const Segment& SegmentBehind(const TimeIndex& x, int32_t records) {
  return records > 0 ? x.after[records - 1] : x.initial;
}

// The segment in which a time falls: the state in front of the first segment end whose
// cumulative time reaches it (sums holds those times), or behind the last record when none
// does.
const Segment& SegmentAtTime(const TimeIndex& x, double time, const std::vector<double>& sums) {
  int32_t n = int32_t(sums.size());
  int32_t j = 0;
  if (x.sorted) {
    j = LowerBound(sums.data(), n, time);
  } else {
    while (j < n && time - sums[j] > 0) ++j;
  }
  if (j < n) return SegmentBehind(x, x.bounds[j]);
  return SegmentBehind(x, int32_t(x.after.size()));
}

double ExactWithinMap(const TimeIndex& x, int64_t tick) {
  const Segment& seg = SegmentBehind(x, RecordsBeforeUnsigned(x, tick));
  return TicksToSubframesExact(tick - seg.start, seg.scaled) + seg.exactSum;
}

double MicrosPerTick(int32_t scaled) {
  return 600.0 / (double(scaled > 0 ? scaled : 1) * Resolution()) * 1000000.0;
}

int64_t TickFromSegment(const Segment& seg, double rest) {
  double micros = gMicrosecondsPerSubframe > 0 ? gMicrosecondsPerSubframe : 1.0;
  double tick = double(seg.start) + rest * micros / MicrosPerTick(seg.scaled) + 0.5;
  if (tick >= 9.2e18) return INT64_MAX;
  if (tick <= -9.2e18) return INT64_MIN;
  return int64_t(tick);
}

// The period of a repeating song in ticks (song end tick - 1), or 0 when it does not repeat.
int64_t RepeatPeriod(const uint8_t* song) {
  if (!(song[kSongOptions] & kSongOptionRepeat)) return 0;
  uint32_t end = ReadU32BE(song + kSongEndTick);
  return end > 1 ? int64_t(end) - 1 : 0;
}

}  // namespace

void ClearConductorTimeIndex() {
  for (TimeIndex& x : gIndexes) x = TimeIndex();
  gNextIndexSlot = 0;
}

uint32_t GetTempoTableEntry(int32_t tempo) {
  EnsureTempoTables();
  int32_t index = tempo - kTempoTableFirst;
  if (index < 0) index = 0;
  if (index >= kTempoTableEntries) index = kTempoTableEntries - 1;
  return gTempoIncrementTable[index];
}

double SubframesPerTickAtTempo(int32_t tempo) { return GetTempoTableEntry(tempo) / 65536.0; }

double TicksToSubframesAtTempo(int64_t ticks, int32_t tempo) {
  return double(ticks) * SubframesPerTickAtTempo(tempo);
}

double TicksToSubframesExact(int64_t ticks, int32_t tempo) {
  if (ticks == 0 || tempo <= 0 || gTempoTableResolution <= 0 || gMicrosecondsPerSubframe <= 0)
    return 0.0;
  return double(ticks) * (600.0 / (double(tempo) * gTempoTableResolution)) * 1000000.0 /
         gMicrosecondsPerSubframe;
}

uint32_t TickToTime(int32_t tick) {
  uint8_t* record = nullptr;
  return TickToTimeWithRecord(tick, &record);
}

uint32_t TickToTimeWithRecord(int32_t tick, uint8_t** record) {
  uint8_t* map = gEmptyConductorMap;
  const TimeIndex* x = GetTimeIndex(gCurrentSong, &map);
  if (!x) {
    *record = gEmptyConductorMap;
    return 0;
  }
  int32_t k = RecordsBefore(*x, tick);
  const Segment& seg = SegmentBehind(*x, k);
  double value = double(int64_t(tick) - seg.start) * SubframesPerTickAtTempo(seg.scaled) +
                 seg.tableSum + 0.5;
  gConductorState.tempo = seg.tempo;
  gConductorState.scaledTempo = seg.scaled;
  *record = map + k * kConductorRecordSize;
  ApplyChangesAtTick(*record, tick, &gConductorState);
  if (value <= 0.0) return 0;
  if (value >= 4294967295.0) return 0xFFFFFFFFu;
  return uint32_t(value);
}

uint32_t TickToTimeFrom(int32_t from, int32_t to) {
  if (to <= from) return 0;
  uint32_t start = TickToTime(from);
  uint32_t end = TickToTime(to);
  return end > start ? end - start : 0;
}

int32_t TimeToTick(int32_t time) { return TimeToTickInSong(time, &gConductorState, gCurrentSong); }

int32_t TimeToTickInSong(int32_t time, ConductorState* state, uint8_t* song) {
  uint8_t* map = gEmptyConductorMap;
  const TimeIndex* x = GetTimeIndex(song, &map);
  if (!x) return 1;
  const Segment& seg = SegmentAtTime(*x, double(time), x->boundTable);
  state->tempo = seg.tempo;
  state->scaledTempo = seg.scaled;
  double rest = double(time) - seg.tableSum;
  uint32_t u = rest <= 0.0 ? 0 : rest >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(rest);
  int32_t entry = int32_t(GetTempoTableEntry(seg.scaled));
  if (entry <= 0) entry = 1;
  double tick = double(seg.start) + (double(u) * 65536.0) / double(entry) + 0.5;
  if (tick >= 2147483647.0) return 0x7fffffff;
  if (tick <= -2147483648.0) return INT32_MIN;
  return int32_t(tick);
}

double TickToSubframesExact(uint8_t* song, int64_t tick) {
  if (!song || !ReadU32BE(song + kSongConductorMap)) return 0.0;
  uint8_t* map = gEmptyConductorMap;
  const TimeIndex* x = GetTimeIndex(song, &map);
  if (tick < 1) tick = 1;
  int64_t period = RepeatPeriod(song);
  if (period == 0 || tick <= period + 1) return ExactWithinMap(*x, tick);
  int64_t passes = (tick - 1) / period;
  double periodTime = ExactWithinMap(*x, period + 1);
  return double(passes) * periodTime + ExactWithinMap(*x, tick - passes * period);
}

void TickRangeToSubframesExact(uint8_t* song, int64_t firstTick, int32_t count, double* out) {
  if (count <= 0) return;
  if (!song || !ReadU32BE(song + kSongConductorMap)) {
    std::fill(out, out + count, 0.0);
    return;
  }
  uint8_t* map = gEmptyConductorMap;
  const TimeIndex* x = GetTimeIndex(song, &map);
  int64_t period = RepeatPeriod(song);
  double periodTime = period > 0 ? ExactWithinMap(*x, period + 1) : 0.0;
  for (int32_t i = 0; i < count; ++i) {
    int64_t tick = std::max<int64_t>(firstTick + i, 1);
    if (period == 0 || tick <= period + 1) {
      out[i] = ExactWithinMap(*x, tick);
    } else {
      int64_t passes = (tick - 1) / period;
      out[i] = double(passes) * periodTime + ExactWithinMap(*x, tick - passes * period);
    }
  }
}

int64_t SubframesToTickExact(double subframes, ConductorState* state, uint8_t* song) {
  uint8_t* map = gEmptyConductorMap;
  const TimeIndex* x = GetTimeIndex(song, &map);
  if (!x) return 1;
  int64_t period = RepeatPeriod(song);
  int64_t offset = 0;
  if (period > 0) {
    double periodTime = ExactWithinMap(*x, period + 1);
    if (periodTime > 0.0 && subframes > periodTime) {
      double passes = std::floor(subframes / periodTime);
      if (passes > 4.0e15) passes = 4.0e15;
      subframes -= passes * periodTime;
      offset = int64_t(passes) * period;
    }
  }
  const Segment& seg = SegmentAtTime(*x, subframes, x->boundExact);
  state->tempo = seg.tempo;
  state->scaledTempo = seg.scaled;
  return offset + TickFromSegment(seg, subframes - seg.exactSum);
}
