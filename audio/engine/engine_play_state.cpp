#include "audio/engine/engine_play_state.h"

#include <unordered_map>

uint16_t gAudioEnginePlayState = 0;
AudioIdleHookProc gAudioIdleHook = nullptr;

namespace {
std::unordered_map<const EngineChannel*, ChannelConductorPosition>& Positions() {
  static std::unordered_map<const EngineChannel*, ChannelConductorPosition> positions;
  return positions;
}
}  // namespace

void CallIdleHook() {
  if (gAudioIdleHook) gAudioIdleHook(0);
}

ChannelConductorPosition* GetChannelConductorPosition(const EngineChannel* channel) {
  if (!channel) return nullptr;
  return &Positions()[channel];
}

void ForgetChannelConductorPosition(const EngineChannel* channel) { Positions().erase(channel); }
