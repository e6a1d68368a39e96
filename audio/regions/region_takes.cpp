#include "audio/regions/region_takes.h"

#include <algorithm>
#include <cstring>

#include "audio/recording/audio_file_header.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "platform/files/aliases.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"

namespace {

struct TakeFormat {
  uint8_t description[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t dataOffset = 0;
  float rate = 0.0f;
  int16_t Channels() const { return int16_t(ReadU16BE(description + kSoundDescChannels)); }
  int16_t Bits() const { return int16_t(ReadU16BE(description + kSoundDescBits)); }
  OSType Format() const { return ReadU32BE(description + kSoundDescFormat); }
  int32_t BytesPerFrame() const { return ((Bits() + 7) / 8) * std::max<int16_t>(Channels(), 1); }
};

OSErr ReadTakeFormat(const FSSpec* file, TakeFormat* take) {
  FSIORefNum fork = 0;
  OSErr err = FSpOpenDF(file, fsRdPerm, &fork);
  if (err != noErr) return err;
  err = ReadAudioFileHeader(int16_t(fork), take->description, &take->frames, &take->dataOffset, &take->rate);
  FSCloseFork(fork);
  return err;
}

void AdoptTakeFormat(uint8_t* record, const TakeFormat& take) {
  WriteF32BE(record + kPluginRecordRate, take.rate);
  WriteU32BE(record + kPluginRecordEncoding, take.Format());
  WriteU16BE(record + kPluginRecordChannels, uint16_t(take.Channels()));
  WriteU16BE(record + kPluginRecordBits, uint16_t(take.Bits()));
  WriteU32BE(record + kPluginRecordFixedRate, RateToFixed(take.rate));
}

bool SameFormat(const uint8_t* record, const TakeFormat& take) {
  return ReadF32BE(record + kPluginRecordRate) == take.rate &&
         int16_t(ReadU16BE(record + kPluginRecordChannels)) == take.Channels() &&
         int16_t(ReadU16BE(record + kPluginRecordBits)) == take.Bits();
}

void InitTakeRegion(uint8_t* region, const TakeFormat& take, int64_t frames, uint32_t offset) {
  region[kRegionSampleSizeAt] = uint8_t(take.Bits());
  region[kRegionBytesPerFrameAt] = uint8_t(take.BytesPerFrame());
  WriteF32BE(region + kRegionRateAt, take.rate);
  WriteU16BE(region + kRegionChannelsAt, uint16_t(take.Channels()));
  WriteI32BE(region + kRegionStepAt, 1);
  WriteU32BE(region + kRegionFileOffsetAt, offset);
}

// The take's records: silence of the lead (when any), then the file's frames behind the skip.
OSErr BuildTakeList(const FSSpec* file, const TakeFormat& take, const TakePlacement& p, Handle* list) {
  int64_t skip = std::clamp<int64_t>(p.skipFrames, 0, int64_t(take.frames));
  int64_t frames = int64_t(take.frames) - skip;
  int32_t lead = p.leadSilence > 0 ? 1 : 0;
  *list = NewHandleClear(Size(kRegionSize) * (lead + 1));
  if (!*list) return MemError();
  if (lead) {
    uint8_t* silence = RegionRecord(*list, 0);
    InitTakeRegion(silence, take, p.leadSilence, 0);
    WriteU16BE(silence + kRegionFlagsAt, kRegionFlagSilent);
    InitRegionLength(silence, take.BytesPerFrame(), std::min(p.leadSilence, kMaxSilentRegion), false);
  }
  uint8_t* region = RegionRecord(*list, lead);
  InitTakeRegion(region, take, frames, uint32_t(take.dataOffset + uint64_t(skip) * uint64_t(take.BytesPerFrame())));
  WriteU16BE(region + kRegionFlagsAt, kRegionFlagOwnsFile);
  InitRegionLength(region, take.BytesPerFrame(), frames, true);
  uint8_t nameLength = std::min<uint8_t>(file->name[0], kRegionNameMax);
  region[kRegionNameAt] = nameLength;
  std::memcpy(region + kRegionNameAt + 1, file->name + 1, nameLength);
  AliasHandle alias;
  OSErr err = NewAliasMinimal(file, &alias);
  if (err == noErr) WriteU32BE(RegionRecord(*list, lead) + kRegionAliasAt, alias.id);
  return err;
}

}  // namespace

OSErr MakeRegionFromTake(Handle trackAudio, const FSSpec* file, const TakePlacement& placement) {
  if (!trackAudio || GetHandleSize(trackAudio) < kPluginRecordBytes) return paramErr;
  TakeFormat take;
  OSErr err = ReadTakeFormat(file, &take);
  if (err != noErr) return err;
  uint8_t* record = reinterpret_cast<uint8_t*>(HandleData(trackAudio));
  if (!HasAudibleRegions(TrackAudioRegionList(trackAudio))) AdoptTakeFormat(record, take);
  if (!SameFormat(record, take)) return kTakeFormatDiffers;
  Handle list;
  err = BuildTakeList(file, take, placement, &list);
  if (err == noErr) {
    int64_t start = TickToSamplePosition(int32_t(placement.startTick), take.rate);
    int64_t frames = std::max<int64_t>(int64_t(take.frames) - placement.skipFrames, 0) +
                     std::max<int64_t>(placement.leadSilence, 0);
    uint32_t endTick = std::max(SamplePositionToTick(start + frames, take.rate), placement.startTick);
    err = PlaceTakeRegions(trackAudio, list, placement.startTick, endTick);
  }
  // The placed copies own the alias (registered and freed, or kept by a record left missing).
  if (list) DisposeHandle(list);
  return err;
}
