#include "audio/engine/engine_channel_setup.h"

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/channel_render_state.h"

namespace {

constexpr uint32_t kStopWaitMillis = 2000;

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

int16_t CreateEngineChannel(uint8_t*, int32_t) { return 0; }

int16_t CreateAuxBusChannels(int32_t) { return 0; }

void DisposeAuxChannels(int32_t) {}

void StopStreamsAndWait(int32_t, int32_t wait) {
  HoldEngineWorkers(true, wait ? kStopWaitMillis : 0);
  if (wait) WaitForEngineWorkerIdle(&gDiskQueue, kStopWaitMillis);
}

void DisposeEngineChannel(EngineChannel* channel, int32_t mode) {
  if (!channel) return;
  channel->stopped = 1;
  channel->heldBlocks[0] = channel->heldBlocks[1] = 0;
  if (mode == 1) return;
  DisposeChannelRenderState(channel);
  UnlinkFromDevice(channel);
  DisposeChannelBlocks(channel);
  for (void*& half : channel->halfBuffer) {
    DisposeEngineBuffer(half);
    half = nullptr;
  }
  channel->device = nullptr;
}
