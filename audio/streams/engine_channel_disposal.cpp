// Disposing engine channels at stop: what a channel holds, its references in other channels,
// the aux-bus and master channels, and the regions held in memory.
#include <sys/mman.h>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_run_state.h"
#include "audio/devices/audio_driver.h"
#include "audio/render/channel_render.h"
#include "audio/streams/channel_render_state.h"
#include "audio/streams/engine_channel_creation.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_reads.h"
#include "audio/streams/stream_regions.h"
#include "audio/streams/stream_stop.h"
#include "platform/threads/thread_pauses.h"
#include "shell/base/error_report.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int32_t kStreamWorkDisposeWaitMillis = 6000;
constexpr int16_t kStreamWorkStillBusyErr = -47;

// Another channel forgets the one being disposed.
int32_t ForgetChannel(EngineChannel* other, void* gone) {
  if (!other || other == gone) return 0;
  if (other->instrumentChannel == gone) other->instrumentChannel = nullptr;
  ClearChannelReferences(other, static_cast<const EngineChannel*>(gone));
  for (int32_t i = 0; i < kMaxLinkedChannels && other->linkedChannels[i]; ++i) {
    if (other->linkedChannels[i] != gone) continue;
    for (int32_t j = i; j < kMaxLinkedChannels; ++j) other->linkedChannels[j] = other->linkedChannels[j + 1];
    break;
  }
  return 0;
}

void FreeBlock(uint8_t*& block) {
  DisposeEngineBuffer(block);
  block = nullptr;
}

// The disk worker may still be filling a half the channel asked for (a disk that stalls, a
// preparation that gave up waiting). Waits for it, bounded; answers false when it is still busy.
bool WaitForStreamWork(EngineChannel* c) {
  for (int32_t waited = 0; waited < kStreamWorkDisposeWaitMillis * 10; ++waited) {
    bool busy = false;
    for (int32_t h = 0; h < 2; ++h)
      busy = busy || c->halfRequested[h].load(std::memory_order_acquire) != c->halfCompleted[h].load(std::memory_order_acquire);
    if (!busy) return true;
    PauseThreadMicros(100);
  }
  return false;
}

void FreeStreamBuffers(EngineChannel* c) {
  // Buffers the disk worker still writes into are let go of, not freed: a leak, never a write
  // into freed memory.
  if (!WaitForStreamWork(c)) {
    c->halfBuffer[0] = c->halfBuffer[1] = nullptr;
    c->pendingError = kStreamWorkStillBusyErr;
  }
  FreeBlock(c->rawCopy);
  DisposeChannelBlocks(c);
  for (void*& half : c->halfBuffer) {
    DisposeEngineBuffer(half);
    half = nullptr;
  }
  for (uint8_t*& work : c->workBuffers) FreeBlock(work);
}

void HoldInPlace(EngineChannel* c) {
  if (TakeAutomationLock(c)) {
    c->automationCursor = c->automation ? reinterpret_cast<uint8_t*>(*c->automation) : nullptr;
    ReleaseAutomationLock(c);
  }
  c->heldBlocks[0] = c->heldBlocks[1] = 0;
}

void ReportPendingError(EngineChannel* c) {
  if (c->pendingError < 0) ReportError(c->pendingError);
  c->pendingError = 0;
}

}  // namespace

void UnlinkFromDevice(EngineChannel* channel) {
  AudioDriverOps* device = channel->device;
  if (!device) return;
  for (EngineChannel** at = &device->channelList; *at; at = &(*at)->next) {
    if (*at != channel) continue;
    *at = channel->next;
    break;
  }
  channel->next = nullptr;
}

void DisposeEngineChannel(EngineChannel* c, uint32_t, int32_t mode) {
  if (!c) return;
  c->stopped = 1;
  // Held in place: the engine keeps the channel counted for a quick restart, so a stream
  // channel keeps its buffers too (an instrument, slot, suspended or staying one above all).
  if (mode == 1) {
    HoldInPlace(c);
    ReportPendingError(c);
    return;
  }
  for (EngineChannel* other : gEngineChannelLists) ForgetChannel(other, c);
  for (EngineChannel* other = gAuxBusChannels; other; other = other->next) ForgetChannel(other, c);
  UnlinkFromDevice(c);
  c->slotRecord = nullptr;
  FreeStreamBuffers(c);
  DisposeChannelRenderState(c);
  ReleaseRegionBlocks(c->regionList);
  if (c->regionList) DisposeHandle(c->regionList);
  c->regionList = Handle();
  if (TakeAutomationLock(c)) {
    if (c->automation) DisposeHandle(c->automation);
    c->automation = Handle();
    c->automationCursor = c->pluginAutomationCursor = nullptr;
    ReleaseAutomationLock(c);
  }
  CloseStreamDecoder(c);
  c->song = Handle();
  DisposeEngineBuffer(c->extraRecord);
  c->extraRecord = nullptr;
  c->device = nullptr;
  ReportPendingError(c);
}

void DisposeAuxChannels(int32_t mode, uint32_t stamp, int32_t) {
  EngineChannel* c = gAuxBusChannels;
  if (mode == 1) {
    for (; c; c = c->next)
      if (IsInstrumentChannel(c)) ResetEngineChannel(c, mode);
    return;
  }
  gAuxBusChannels = nullptr;
  while (c) {
    EngineChannel* next = c->next;
    if (IsInstrumentChannel(c)) ResetEngineChannel(c, mode);
    c->next = nullptr;
    c->device = nullptr;  // an aux channel is on no device's list
    DisposeEngineChannel(c, stamp, 0);
    c->~EngineChannel();
    DisposeEngineBuffer(c);
    c = next;
  }
}

void ReleaseMemoryRegions() {
  if (!gCurrentSong) return;
  int32_t count = SongHeaderView(gCurrentSong).TrackCount();
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* track = GetTrackEntryAt(i);
    if (!track) break;
    ReleaseRegionBlocks(TrackEntryView(track).ActiveRegionList());
  }
}
