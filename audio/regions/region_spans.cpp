#include "audio/regions/region_spans.h"

#include <algorithm>

#include "audio/engine/region_lookup.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/sample_position.h"
#include "song/model/audio_region.h"

namespace {

constexpr OSErr kParamErr = -50;
constexpr int32_t kTrackAudioAutomationAt = 150;
constexpr int32_t kPointBytes = 16;
constexpr uint32_t kPointListEnd = 0xFFFFFFFF;

// The index of the region that starts at position (the border is made first); the count
// beyond the list.
int32_t BorderAt(Handle list, int64_t position, OSErr* err) {
  *err = SplitRegionAt(list, position, position);
  int64_t start = 0, end = 0;
  int32_t index = FindRegionAtPosition(position, &start, &end, list);
  return index < 0 ? CountAudioRegions(list) : index;
}

// Appends copies of the records [first, end) of list to itself until the records from `first`
// on cover `frames`.
OSErr RepeatPeriod(Handle list, int32_t first, int32_t end, int64_t period, int64_t frames) {
  if (period <= 0 || end <= first) return noErr;
  for (int64_t covered = period; covered < frames; covered += period) {
    int32_t at = CountAudioRegions(list);
    OSErr err = InsertRegionRecords(list, at, end - first);
    if (err != noErr) return err;
    for (int32_t i = first; i < end; ++i) CopyRegion(RegionRecord(list, i), RegionRecord(list, at + i - first));
  }
  return noErr;
}

// The automation points of [start, end] of the track audio, ended as a list is.
Handle CopySpanPoints(Handle trackAudio, int64_t start, int64_t end) {
  Handle all(ReadU32BE(reinterpret_cast<uint8_t*>(*trackAudio) + kTrackAudioAutomationAt));
  Handle copy = NewHandle(kPointBytes);
  if (!copy) return Handle();
  int32_t n = 0;
  int32_t count = all ? int32_t(GetHandleSize(all) / kPointBytes) : 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* p = reinterpret_cast<uint8_t*>(*all) + i * kPointBytes;
    uint32_t time = ReadU32BE(p);
    if (time == kPointListEnd) break;
    if (time < start || time > end) continue;
    SetHandleSize(copy, Size(n + 2) * kPointBytes);
    if (MemError() != noErr) break;
    BlockMoveData(reinterpret_cast<uint8_t*>(*all) + i * kPointBytes, reinterpret_cast<uint8_t*>(*copy) + n * kPointBytes, kPointBytes);
    ++n;
  }
  SetHandleSize(copy, Size(n + 1) * kPointBytes);
  uint8_t* last = reinterpret_cast<uint8_t*>(*copy) + n * kPointBytes;
  std::fill(last, last + kPointBytes, uint8_t(0));
  WriteU32BE(last, kPointListEnd);
  return copy;
}

// The span cut from a copy of the source: the repeats, silence before it, nothing after it.
OSErr CutSpan(Handle work, int64_t start, int64_t end, int64_t period, bool silenceBefore) {
  OSErr err = noErr;
  if (period > 0) {
    int32_t first = BorderAt(work, start, &err);
    int32_t afterPeriod = err == noErr ? BorderAt(work, start + period, &err) : 0;
    if (err != noErr) return err;
    DeleteRegionRecords(work, afterPeriod, CountAudioRegions(work));
    if ((err = RepeatPeriod(work, first, afterPeriod, period, end - start)) != noErr) return err;
  }
  if (silenceBefore && start > 0) {
    bool remove = false;
    if ((err = SetRegionRange(work, 0, start, &remove, false)) != noErr) return err;
  }
  int32_t past = BorderAt(work, end, &err);
  if (err == noErr) DeleteRegionRecords(work, past, CountAudioRegions(work));
  return err;
}

// The span of work put over the same span of *output, through the track audio's own list slot.
OSErr ReplaceOutputSpan(Handle trackAudio, Handle work, int64_t start, int64_t end, Handle* output) {
  OSErr err = noErr;
  int32_t first = BorderAt(work, start, &err);
  int32_t last = err == noErr ? BorderAt(work, end, &err) : 0;
  if (err != noErr) return err;
  Handle own = TrackAudioRegionList(trackAudio);
  SetTrackAudioRegionList(trackAudio, *output);
  err = ReplaceRegions(trackAudio, start, end, work, first, last, false);
  *output = TrackAudioRegionList(trackAudio);
  SetTrackAudioRegionList(trackAudio, own);
  if (*output) NormalizeRegionList(*output, false);
  return err;
}

}  // namespace

OSErr BuildSpanRegions(Handle trackAudio, uint32_t startTick, uint32_t endTick, uint32_t repeatTicks, bool repeat,
                       Handle source, bool keep, Handle* output, Handle* points) {
  if (!trackAudio || !output) return kParamErr;
  float rate = TrackAudioRate(trackAudio);
  int64_t start = TickToSamplePosition(int32_t(startTick), rate);
  int64_t end = std::max(TickToSamplePosition(int32_t(endTick) + 1, rate), start);
  if (points) *points = CopySpanPoints(trackAudio, start, end);
  Handle work = CopyRegionList(source);
  if (!work) return source ? MemError() : kParamErr;
  int64_t period = 0;
  if (repeat && repeatTicks > 0) period = TickToSamplePosition(int32_t(startTick + repeatTicks), rate) - start;
  bool own = *output == TrackAudioRegionList(trackAudio);
  OSErr err = CutSpan(work, start, end, period, !own && startTick > 1);
  if (err == noErr && keep) {
    NormalizeRegionList(work, false);
    *output = work;
    return noErr;
  }
  if (err == noErr) err = ReplaceOutputSpan(trackAudio, work, start, end, output);
  DisposeHandle(work);
  return err;
}
