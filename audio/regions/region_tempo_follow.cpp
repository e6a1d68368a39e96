#include "audio/regions/region_tempo_follow.h"

#include <algorithm>

#include "audio/engine/region_lookup.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "audio/regions/region_track_edits.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

bool gAudioFollowsTempo = true;

namespace {

constexpr uint8_t kPointTimesInTicks = kPluginFlag40;
constexpr int32_t kPointRecordSize = 16;
constexpr uint32_t kLastPointTime = 0x7FFFFFFE;
constexpr uint8_t kSongModeStep = 1;
constexpr uint8_t kSongModeRecord = 3;

bool InStepOrRecordMode() {
  uint8_t mode = gCurrentSong ? gCurrentSong[kSongMode] : 0;
  return mode == kSongModeStep || mode == kSongModeRecord;
}

Handle PointList(Handle trackAudio) { return Handle(ReadU32BE(HandleData(trackAudio) + kPluginRecordTail)); }

uint8_t& TrackAudioFlags(Handle trackAudio) {
  return reinterpret_cast<uint8_t*>(HandleData(trackAudio))[kPluginRecordFlags];
}

// The point times from sample positions to ticks, or back; the end record stays.
void ConvertPointTimes(Handle points, float rate, bool toTicks) {
  for (Size at = 0; at + kPointRecordSize <= GetHandleSize(points); at += kPointRecordSize) {
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(points)) + at;
    uint32_t time = ReadU32BE(p);
    if (time > kLastPointTime) break;
    int64_t converted = toTicks ? int64_t(SamplePositionToTick(time, rate)) : TickToSamplePosition(int32_t(time), rate);
    WriteU32BE(p, uint32_t(std::clamp<int64_t>(converted, 0, kLastPointTime)));
  }
}

// The tick a region starts at and the samples from that tick's position to its true start.
void StoreStartTick(uint8_t* region, int64_t position, float rate) {
  uint32_t tick = SamplePositionToTick(position, rate);
  while (tick > 1 && TickToSamplePosition(int32_t(tick), rate) > position) --tick;
  int64_t remainder = std::max<int64_t>(position - TickToSamplePosition(int32_t(tick), rate), 0);
  WriteU32BE(region + kRegionStartTickAt, tick);
  WriteU32BE(region + kRegionTickRemainderAt, uint32_t(std::min<int64_t>(remainder, UINT32_MAX)));
  uint32_t available = ReadU32BE(region + kRegionAvailableAt);
  if (!(RegionFlags(region) & kRegionFlagLengthFixed) || available == 0)
    WriteU32BE(region + kRegionAvailableAt, uint32_t(std::min<int64_t>(RegionLength(region), UINT32_MAX)));
}

// A silent record of `frames` in front of record index.
OSErr InsertSilenceBefore(Handle list, int32_t index, int64_t frames) {
  OSErr err = InsertRegionRecords(list, index, 1);
  if (err != noErr) return err;
  uint8_t* silence = RegionRecord(list, index);
  silence[kRegionBytesPerFrameAt] = RegionRecord(list, index + 1)[kRegionBytesPerFrameAt];
  WriteI32BE(silence + kRegionStepAt, 1);
  WriteU16BE(silence + kRegionFlagsAt, kRegionFlagSilent);
  InitRegionLength(silence, silence[kRegionBytesPerFrameAt], frames, false);
  return noErr;
}

// Region index back at the position of its tick: the index it has afterwards, or -1 on error.
int32_t MoveRegionToTarget(Handle list, int32_t index, int64_t running, int64_t target, OSErr* err) {
  if (running < target) {
    OSErr e = InsertSilenceBefore(list, index, std::min(target - running, kMaxSilentRegion));
    if (e != noErr) return *err = e, -1;
    return index + 1;
  }
  if (running > target) {
    bool remove = true;
    OSErr e = SetRegionRange(list, target, running, &remove, false);
    if (e != noErr) return *err = e, -1;
    int64_t start = 0, end = 0;
    return FindRegionAtPosition(target, &start, &end, list);
  }
  return index;
}

int32_t KeepTrackAtTicks(void*) {
  for (int32_t at : {kTrackRegionList, kTrackRegionList2})
    if (Handle trackAudio{ReadU32BE(gCurrentTrack + at)}) KeepTrackAudioAtTicks(trackAudio);
  return 0;
}

struct MovePass {
  bool reanchor;
  OSErr err;
};

int32_t MoveTrackToTicks(void* arg) {
  auto* pass = static_cast<MovePass*>(arg);
  for (int32_t at : {kTrackRegionList, kTrackRegionList2})
    if (Handle trackAudio{ReadU32BE(gCurrentTrack + at)}) MoveTrackAudioToTicks(trackAudio, pass->reanchor, &pass->err);
  return 0;
}

}  // namespace

void KeepTrackAudioAtTicks(Handle trackAudio) {
  if (GetHandleSize(trackAudio) < kPluginRecordBytes) return;
  Handle list = TrackAudioRegionList(trackAudio);
  float rate = TrackAudioRate(trackAudio);
  Handle points = PointList(trackAudio);
  if (InStepOrRecordMode() && !HasAudibleRegions(list) && points) {
    ConvertPointTimes(points, rate, true);
    TrackAudioFlags(trackAudio) |= kPointTimesInTicks;
    return;
  }
  int64_t position = 0;
  for (int32_t i = 0; i < CountAudioRegions(list); ++i) {
    uint8_t* region = RegionRecord(list, i);
    int64_t length = RegionLength(region);
    if (!IsSilentRegion(region) && length > 0) {
      if (gAudioFollowsTempo) StoreStartTick(region, position, rate);
      else WriteU32BE(region + kRegionStartTickAt, 0);
    }
    position += length;
  }
}

void MoveTrackAudioToTicks(Handle trackAudio, bool reanchor, OSErr* err) {
  if (GetHandleSize(trackAudio) < kPluginRecordBytes) return;
  float rate = TrackAudioRate(trackAudio);
  if (TrackAudioFlags(trackAudio) & kPointTimesInTicks) {
    TrackAudioFlags(trackAudio) &= uint8_t(~kPointTimesInTicks);
    if (Handle points = PointList(trackAudio)) ConvertPointTimes(points, rate, false);
    return;
  }
  Handle list = TrackAudioRegionList(trackAudio);
  if (!reanchor || !list) return;
  int64_t running = 0;
  for (int32_t i = 0; i < CountAudioRegions(list); ++i) {
    uint8_t* region = RegionRecord(list, i);
    uint32_t tick = ReadU32BE(region + kRegionStartTickAt);
    if (!IsSilentRegion(region) && tick != 0) {
      ClampRegionToFile(region);
      if (uint32_t available = ReadU32BE(region + kRegionAvailableAt))
        InitRegionLength(region, region[kRegionBytesPerFrameAt], available, false);
      int64_t target = TickToSamplePosition(int32_t(tick), rate) + ReadU32BE(region + kRegionTickRemainderAt);
      WriteU32BE(region + kRegionStartTickAt, 0);
      WriteU32BE(region + kRegionTickRemainderAt, 0);
      OSErr e = noErr;
      int32_t moved = MoveRegionToTarget(list, i, running, target, &e);
      if (moved < 0) {
        if (*err == noErr) *err = e;
        return;
      }
      i = moved;
      int64_t start = 0;
      RegionSpan(list, i, &start, &running);
      continue;
    }
    running += RegionLength(region);
  }
  NormalizeRegionList(list, false);
}

void KeepAudioAtTicks() {
  if (gCurrentSong) ForEachTrack(KeepTrackAtTicks, nullptr);
}

void MoveAudioToTicks(int32_t reanchor) {
  if (!gCurrentSong) return;
  MovePass pass{reanchor != 0, noErr};
  ForEachTrack(MoveTrackToTicks, &pass);
  if (pass.err != noErr) ReportError(pass.err);
}

void InstallRegionHooks() {
  gConductorRefreshHooks.keepAudioAtTicks = KeepAudioAtTicks;
  gConductorRefreshHooks.moveAudioToTicks = MoveAudioToTicks;
  gSongMediaHooks.normalizeReadTrackRegions = NormalizeTrackEntryRegions;
}
