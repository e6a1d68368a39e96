#include "audio/regions/region_placement.h"

#include <algorithm>

#include "audio/engine/region_lookup.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_media_hooks.h"
#include "audio/regions/region_track_edits.h"
#include "platform/files/aliases.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"

namespace {

int16_t RegistrationFlags(const uint8_t* region, int16_t mode) {
  if (RegionFlags(region) & kRegionFlagOwnsFile) return mode > 0 ? kRegisterPastedTakeFile : kRegisterTakeFile;
  return mode > 0 ? kRegisterPastedFile : 0;
}

// Registers the file of a pasted record waiting with an alias; the alias is freed.
OSErr RegisterRegionFile(uint8_t* region, int16_t mode) {
  AliasHandle alias(ReadU32BE(region + kRegionAliasAt));
  FSSpec file{};
  Boolean changed = false;
  OSErr err = ResolveAlias(nullptr, alias, &file, &changed);
  uint16_t index = 0;
  if (err == noErr) err = RegisterPastedRegionFile(&file, &index, RegistrationFlags(region, mode));
  if (err != noErr) return err;
  WriteU16BE(region + kRegionFileIndexAt, index);
  DisposeHandle(alias);
  WriteU32BE(region + kRegionAliasAt, 0);
  return noErr;
}

// Registers the files of records [first, end); after a failure the records still waiting are
// marked missing, so that they play silence instead of a file they do not name.
OSErr RegisterPastedFiles(Handle list, int32_t first, int32_t end, int16_t mode) {
  OSErr result = noErr;
  for (int32_t i = first; i < end; ++i) {
    uint8_t* region = RegionRecord(list, i);
    if (!ReadU32BE(region + kRegionAliasAt) || IsSilentRegion(region)) continue;
    if (result == noErr) result = RegisterRegionFile(region, mode);
    region = RegionRecord(list, i);
    if (ReadU32BE(region + kRegionAliasAt))
      WriteU16BE(region + kRegionFlagsAt, uint16_t(RegionFlags(region) | kRegionFlagMissing));
  }
  return result;
}

// The silent records of a gap, at index (a zeroed record made silent for each piece).
void FillGap(Handle list, int32_t index, int32_t n, int64_t frames, int32_t bytesPerFrame) {
  for (int32_t k = 0; k < n; ++k) {
    uint8_t* region = RegionRecord(list, index + k);
    region[kRegionBytesPerFrameAt] = uint8_t(bytesPerFrame);
    WriteI32BE(region + kRegionStepAt, 1);
    WriteU16BE(region + kRegionFlagsAt, kRegionFlagSilent);
    InitRegionLength(region, bytesPerFrame, k + 1 < n ? kMaxSilentRegion : frames - kMaxSilentRegion * (n - 1), false);
  }
}

// The index of the record that starts at position (the count past the end).
int32_t IndexStartingAt(Handle list, int64_t position) {
  int64_t start = 0, end = 0;
  int32_t index = FindRegionAtPosition(position, &start, &end, list);
  return index < 0 ? CountAudioRegions(list) : index;
}

OSErr MergeIntoSource(Handle list, int32_t atA, int32_t atB, Handle* source, int32_t* first, int32_t* end) {
  Handle replaced = NewHandle(Size(atB - atA) * kRegionSize);
  if (!replaced) return MemError();
  BlockMoveData(RegionRecord(list, atA), HandleData(replaced), GetHandleSize(replaced));
  Handle combined;
  OSErr err = CombinePastedRegions(replaced, *source, &combined);
  DisposeHandle(replaced);
  if (err != noErr) return err;
  *source = combined;
  *first = 0;
  *end = CountAudioRegions(combined);
  return noErr;
}

}  // namespace

Handle TrackAudioRegionList(Handle trackAudio) {
  return trackAudio ? Handle(ReadU32BE(HandleData(trackAudio) + kPluginRecordRegions)) : Handle();
}

void SetTrackAudioRegionList(Handle trackAudio, Handle list) {
  WriteU32BE(HandleData(trackAudio) + kPluginRecordRegions, list.id);
}

// The float rate, else the 16.16 rate at +82 (what older documents kept), else 44100.
float TrackAudioRate(Handle trackAudio) {
  if (!trackAudio || GetHandleSize(trackAudio) < kPluginRecordBytes) return kDefaultPluginRate;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(trackAudio));
  float rate = ReadF32BE(p + kPluginRecordRate);
  if (rate > 0.0f) return rate;
  uint32_t fixed = ReadU32BE(p + 82);
  return fixed != 0 ? float(double(fixed) / 65536.0) : kDefaultPluginRate;
}

OSErr PasteRegions(Handle source, int32_t first, int32_t end, Handle dest, int32_t index, int64_t gapStart,
                   int64_t gapEnd, int16_t mode) {
  end = std::min(end, CountAudioRegions(source));
  int32_t count = std::max(end - first, 0);
  int64_t gap = std::max<int64_t>(gapEnd - gapStart, 0);
  int32_t gapRecords = gap == 0 ? 0 : int32_t(1 + (gap - 1) / kMaxSilentRegion);
  OSErr err = InsertRegionRecords(dest, index, gapRecords + count);
  if (err != noErr) return err;
  int32_t bytesPerFrame = count > 0 ? RegionRecord(source, first)[kRegionBytesPerFrameAt] : 0;
  FillGap(dest, index, gapRecords, gap, bytesPerFrame);
  if (count > 0) BlockMoveData(RegionRecord(source, first), RegionRecord(dest, index + gapRecords), Size(count) * kRegionSize);
  // The records moved: their waiting aliases go with them.
  for (int32_t i = first; i < end; ++i) WriteU32BE(RegionRecord(source, i) + kRegionAliasAt, 0);
  err = RegisterPastedFiles(dest, index + gapRecords, index + gapRecords + count, mode);
  NormalizeRegionList(dest, false);
  return err;
}

OSErr ReplaceRegions(Handle trackAudio, int64_t a, int64_t b, Handle source, int32_t first, int32_t end,
                     bool merge) {
  Handle list = TrackAudioRegionList(trackAudio);
  if (!list) {
    if (!(list = NewHandleClear(0))) return MemError();
    SetTrackAudioRegionList(trackAudio, list);
    return PasteRegions(source, first, end, list, 0, 0, a, 0);
  }
  OSErr err = SplitRegionAt(list, a, b);
  if (err != noErr) return err;
  int32_t atA = IndexStartingAt(list, a), atB = IndexStartingAt(list, b);
  Handle pasted = source;
  if (merge && HasAudibleRegionInRange(list, atA, atB) && HasAudibleRegionInRange(source, first, end) &&
      MergeIntoSource(list, atA, atB, &pasted, &first, &end) != noErr)
    pasted = source;
  DeleteRegionRecords(list, atA, atB);
  err = PasteRegions(pasted, first, end, list, atA, 0, 0, 0);
  if (pasted != source) DisposeHandle(pasted);
  return err;
}

OSErr PlaceTakeRegions(Handle trackAudio, Handle take, uint32_t startTick, uint32_t endTick) {
  float rate = TrackAudioRate(trackAudio);
  int64_t a = TickToSamplePosition(int32_t(startTick), rate);
  int64_t b = std::max(TickToSamplePosition(int32_t(endTick), rate), a);
  bool current = trackAudio == CurrentTrackAudio();
  if (current) OpenCurrentAudioEdit();
  OSErr err = ReplaceRegions(trackAudio, a, b, take, 0, CountAudioRegions(take), false);
  if (current) CloseCurrentAudioEdit();
  RefreshRegionOverview(startTick, endTick);
  return err;
}
