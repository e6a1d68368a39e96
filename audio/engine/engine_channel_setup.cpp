#include "audio/engine/engine_channel_setup.h"

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"

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

