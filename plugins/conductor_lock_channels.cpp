#include "plugins/conductor_lock_channels.h"

#include "audio/engine/engine_play_state.h"
#include "song/conductor/conductor_lock_hooks.h"
#include "song/conductor/conductor_map.h"
#include "song/instruments/plugin_hooks.h"

namespace {

// While the engine plays, the walk re-points every channel.
void RefreshChannelConductors() {
  if (gAudioEnginePlayState != 0) ForEachInstrumentPlugin(RefreshChannelConductorState, nullptr);
}

}  // namespace

int32_t RefreshChannelConductorState(EngineChannel* channel, void*) {
  ChannelConductorPosition* position = GetChannelConductorPosition(channel);
  if (!position) return 0;
  double ticks = position->positionTicks;
  int32_t tick = ticks >= 2147483647.0 ? 0x7fffffff : ticks <= -2147483648.0 ? INT32_MIN : int32_t(ticks);
  uint8_t* record = GetConductorStateAt(tick);
  uint8_t* map = GetConductorMap();
  position->conductorRecord = map == gEmptyConductorMap ? -1 : int32_t(record - map);
  return 0;
}


void InstallConductorLockChannelHooks() {
  gConductorLockHooks.refreshChannelConductors = RefreshChannelConductors;
}
