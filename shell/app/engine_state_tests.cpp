#include "shell/app/engine_state_tests.h"

#include "audio/engine/engine_run_state.h"

bool IsEngineModeInSet() {
  if (gEngineStateWords[0] == 0 && gEngineStateWords[1] == 0) return false;
  uint8_t mode = gAudioModeRecord[3] & 0x3F;
  return mode == 1 || mode == 3 || mode == 4 || mode == 6;
}

int32_t MarkActiveChannelChain(EngineChannel* channel, void*) {
  if (channel && channel->active != 0 && channel->stop == 0 && channel->chain) channel->chain->mark = 1;
  return 0;
}
