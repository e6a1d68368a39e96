#include "plugins/host/callback_beat_position.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "plugins/host/plugin_instance.h"
#include "sequencer/clock/transport_clock.h"
#include "song/conductor/sample_position.h"
#include "song/model/song_context.h"

namespace {

// The latency of the insert behind the instance, in samples (0 at the end of the chain).
int64_t NextInsertLatency(const PluginInstance* instance) {
  if (instance == nullptr) return 0;
  const PluginInstance* next = GetPluginInstance(instance->next);
  return next ? int64_t(next->latency) : 0;
}

// The tick of the current song at a sample position through its tempo map, with the fraction
// of the tick; 1.0 without a song.
double SampleTimeToTick(int64_t position, float rate) {
  if (gCurrentSong == nullptr || !(rate > 0.0f) || position <= 0) return 1.0;
  uint32_t tick = SamplePositionToTick(position, rate);
  int64_t start = TickToSamplePosition(int32_t(tick), rate);
  int64_t next = TickToSamplePosition(int32_t(tick) + 1, rate);
  double fraction = next > start ? double(position - start) / double(next - start) : 0.0;
  if (fraction < 0.0 || fraction >= 1.0) fraction = 0.0;
  return double(tick) + fraction;
}

}  // namespace

double GetCallbackBeatPosition(PluginInstance* instance, EngineChannel* channel,
                               int64_t sampleTime) {
  // A channel's own sample-offset words are not kept: its offset is the latency still ahead.
  int64_t offset = channel != nullptr ? -NextInsertLatency(instance) : 0;
  if (sampleTime < 0) {
    double secondsPerTick = gTransportClock.secondsPerTick;
    if (channel == nullptr || !(channel->sampleRate > 0.0f) || !(secondsPerTick > 0.0)) return 1.0;
    return 1.0 + double(sampleTime - offset) / channel->sampleRate / secondsPerTick;
  }
  return SampleTimeToTick(sampleTime, channel != nullptr ? channel->sampleRate : gEngineSampleRate);
}
