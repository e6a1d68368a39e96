#include "plugins/host/callback_beat_position.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/vst_time_info.h"
#include "sequencer/clock/transport_clock.h"

namespace {

// The latency of the insert behind the instance, in samples (0 at the end of the chain).
int64_t NextInsertLatency(const PluginInstance* instance) {
  if (instance == nullptr) return 0;
  const PluginInstance* next = GetPluginInstance(instance->next);
  return next ? int64_t(next->latency) : 0;
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
  return SamplePositionToCallbackTick(sampleTime, channel != nullptr ? channel->sampleRate : gEngineSampleRate);
}
