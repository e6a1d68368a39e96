#include "audio/streams/track_stream_prepare.h"

#include <cmath>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"

int16_t PrepareAudioTrackStream(EngineChannel*, int64_t, float, int32_t) { return 0; }

void MatchChannelToDevice(EngineChannel* channel, const AudioDriverOps* device) {
  if (!channel || !device) return;
  channel->sampleRate = device->sampleRate;
  channel->sampleBits = device->sampleBits;
  if (channel->frameChannels < 1) channel->frameChannels = 1;
  channel->sourceFormat = 'NONE';
}

float SourceFloatGain(int32_t sourceWidth) {
  return sourceWidth <= 1 ? 1.0f : float(std::ldexp(1.0, -(sourceWidth - 1)));
}
