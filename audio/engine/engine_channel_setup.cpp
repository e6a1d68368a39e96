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

int16_t PrepareAudioTrackStream(EngineChannel*, int64_t, float) { return 0; }

void MatchChannelToDevice(EngineChannel* channel, const AudioDriverOps* device) {
  if (!channel || !device) return;
  channel->sampleRate = device->sampleRate;
  channel->sampleBits = device->sampleBits;
  if (channel->frameChannels < 1) channel->frameChannels = 1;
}
