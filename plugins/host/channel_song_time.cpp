#include "plugins/host/channel_song_time.h"

#include "audio/engine/engine_channels.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/tempo_scaling.h"

namespace {

// The song map's own tempo word at a tick (no tempo factor); 0 without a song.
int32_t MapTempoAt(Handle song, double tick) {
  if (!song || !IsValidHandle(song)) return 0;
  ConductorState state;
  GetConductorStateAtInSong(tick < 1.0 ? 1 : int32_t(tick), reinterpret_cast<uint8_t*>(HandleData(song)), &state);
  return int32_t(state.tempo & 0xFFFF);
}

}  // namespace

void StoreChannelSongTime(const PluginMidiState* state) {
  if (state == nullptr || state->channel == nullptr) return;
  EngineChannel* channel = state->channel;
  channel->tempoWord = state->tempo;
  int32_t own = MapTempoAt(state->song, state->tickPosition);
  channel->alternativeTempoWord = own > 0 ? own : state->tempo;
}

void StoreChannelLatencyOffset(EngineChannel* channel) {
  if (channel == nullptr) return;
  channel->latencyOffset = channel->startDelay > 0 ? channel->startDelay : 0;
}

void StoreChannelTempo(EngineChannel* channel, int32_t tempo) {
  if (channel == nullptr || tempo <= 0) return;
  channel->tempoWord = tempo;
  if (channel->alternativeTempoWord == 0) channel->alternativeTempoWord = tempo;
}

int32_t GetChannelTempoWord(const EngineChannel* channel, uint16_t instanceStateFlags) {
  if (channel == nullptr) return 0;
  if (instanceStateFlags & kPluginStateAltTempo) return channel->alternativeTempoWord;
  return channel->tempoWord;
}
