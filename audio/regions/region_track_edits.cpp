#include "audio/regions/region_track_edits.h"

#include "audio/regions/region_lists.h"
#include "audio/regions/region_media_hooks.h"
#include "audio/regions/region_placement.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"
#include "song/model/media_hooks.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/track_settings.h"

namespace {

constexpr int32_t kTrackAudioChannelAt = 142;  // the playing engine channel's id

// The start and end of a tick range at the track audio's rate.
void RangePositions(Handle trackAudio, uint32_t startTick, uint32_t endTick, int64_t* start, int64_t* end) {
  float rate = TrackAudioRate(trackAudio);
  *start = TickToSamplePosition(int32_t(startTick), rate);
  *end = TickToSamplePosition(int32_t(endTick), rate);
}

bool CoversWholeTrack(Handle trackAudio, uint32_t startTick, uint32_t endTick) {
  return startTick <= 1 && endTick >= GetTrackLength() && !ReadU32BE(HandleData(trackAudio) + kTrackAudioChannelAt);
}

}  // namespace

Handle CurrentTrackAudio() { return GetActiveRegionList(); }

bool CurrentTrackHasAudibleRegions() { return HasAudibleRegions(TrackAudioRegionList(CurrentTrackAudio())); }

namespace {

void NormalizeTrackAudioRegions(Handle trackAudio) {
  if (Handle list = TrackAudioRegionList(trackAudio)) NormalizeRegionList(list, false);
}

}  // namespace

void NormalizeCurrentRegionList() { NormalizeTrackAudioRegions(CurrentTrackAudio()); }

void NormalizeTrackEntryRegions(uint8_t* entry) {
  NormalizeTrackAudioRegions(TrackEntryView(entry).ActiveRegionList());
}

OSErr InsertSilenceAtTicks(uint32_t startTick, uint32_t endTick) {
  Handle trackAudio = CurrentTrackAudio();
  Handle list = TrackAudioRegionList(trackAudio);
  if (!list || endTick <= startTick) return noErr;
  int64_t start = 0, end = 0;
  RangePositions(trackAudio, startTick, endTick, &start, &end);
  OpenCurrentAudioEdit();
  OSErr err = InsertSilence(list, start, end);
  NormalizeRegionList(list, false);
  CloseCurrentAudioEdit();
  if (err == noErr) ShiftRegionOverviewForInsert(startTick, endTick - startTick);
  return err;
}

OSErr SetRegionRangeAtTicks(uint32_t startTick, uint32_t endTick, bool remove, bool allowDispose) {
  Handle trackAudio = CurrentTrackAudio();
  Handle list = TrackAudioRegionList(trackAudio);
  if (!list || endTick <= startTick) return noErr;
  if (allowDispose && CoversWholeTrack(trackAudio, startTick, endTick)) {
    DisposeTrackMedia();
    return noErr;
  }
  int64_t start = 0, end = 0;
  RangePositions(trackAudio, startTick, endTick, &start, &end);
  bool removing = remove;
  OpenCurrentAudioEdit();
  OSErr err = SetRegionRange(list, start, end, &removing, false);
  NormalizeRegionList(list, false);
  CloseCurrentAudioEdit();
  if (err != noErr) return err;
  if (remove) ShiftRegionOverviewForDelete(startTick, endTick - startTick);
  else RefreshRegionOverview(startTick, endTick);
  return noErr;
}
