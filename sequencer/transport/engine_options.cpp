#include "sequencer/transport/engine_options.h"

#include <algorithm>
#include <cstdint>

int32_t gLoopRepeatTarget = 0;
int32_t gLoopPassesPlayed = 0;

void RunSequencerOptionDialog(int16_t) {}

int32_t GetLoopWindowNumber() {
  int64_t left = int64_t(gLoopRepeatTarget) - int64_t(gLoopPassesPlayed);
  return int32_t(std::clamp<int64_t>(left, 0, INT32_MAX));
}
