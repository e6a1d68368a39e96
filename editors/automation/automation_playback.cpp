#include "editors/automation/automation_playback.h"

#include <algorithm>

#include "audio/devices/audio_driver.h"
#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_state.h"
#include "editors/automation/automation_points.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

namespace {

float DeviceRate(const EngineChannel* channel) {
  return channel->device && channel->device->sampleRate > 0.0f ? channel->device->sampleRate : gEngineSampleRate;
}

uint64_t PlayPosition(int64_t position) { return uint64_t(std::max<int64_t>(position, 0)); }

// A locked copy of the rack's list with its times at the device's rate; 0 without a list.
OSErr MakePlaybackCopy(Handle rack, float deviceRate, Handle* copy) {
  *copy = GetRackAutomationList(rack);
  if (!*copy) return noErr;
  OSErr err = HandToHand(copy);
  if (err != noErr) {
    *copy = Handle();
    return err;
  }
  MoveHHi(*copy);
  HLock(*copy);
  float rackRate = GetRackSampleRate(rack);
  if (rackRate != deviceRate) RescalePointTimes(*copy, rackRate, deviceRate);
  return noErr;
}

// Replaces one channel's copy of the rack's list under the channel's lock.
OSErr RefreshChannelCopy(EngineChannel* channel, Handle rack) {
  if (!TakeAutomationLock(channel)) return kAutomationBusyErr;
  channel->automationCursor = nullptr;
  channel->pluginAutomationCursor = nullptr;
  if (channel->automation) DisposeHandle(channel->automation);
  channel->automation = Handle();
  Handle copy;
  OSErr err = MakePlaybackCopy(rack, DeviceRate(channel), &copy);
  if (copy && PointListEndIndex(copy) >= 0) {
    channel->automation = copy;
    channel->pluginAutomationCursor = FindAutomationRecord(copy, PlayPosition(channel->pluginAutomationPosition));
    channel->automationCursor = FindAutomationRecord(copy, PlayPosition(channel->position));
  } else if (copy) {
    DisposeHandle(copy);
  }
  ReleaseAutomationLock(channel);
  // The alert is shown with the lock given back, so the engine is never held by it.
  if (err != noErr) ReportError(err);
  return err;
}

// A track's rack names no channel while the engine plays the track from its audio record: the
// channels made for the current track (its song and number) play the current track's rack.
bool PlaysCurrentTrackRack(const EngineChannel* c, Handle rack) {
  if (!c || !gCurrentSongHandle || !gCurrentTrack || rack != GetTrackInsertRack()) return false;
  return c->song == gCurrentSongHandle && !c->noTrack && !c->recordSource && c->trackNumber == gCurrentTrack[kTrackNumber];
}

int32_t RefreshSongRackVisit(void*) {
  RefreshAutomationPlayback(GetTrackInsertRack());
  return 0;
}

}  // namespace

OSErr RefreshAutomationPlayback(Handle rack) {
  if (!rack) return noErr;
  if (EngineChannel* channel = GetRackEngineChannel(rack)) return RefreshChannelCopy(channel, rack);
  OSErr result = noErr;
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (!PlaysCurrentTrackRack(c, rack)) continue;
    OSErr err = RefreshChannelCopy(c, rack);
    if (result == noErr) result = err;
  }
  return result;
}

void RefreshSongAutomationPlayback() {
  if (gCurrentSongHandle && gEngineChannelCount > 0) ForEachTrack(RefreshSongRackVisit, nullptr);
}
