#include "shell/base/idle_flag.h"

namespace {
uint8_t gIdleFlag = 0;
}  // namespace

void SetIdleFlag(uint8_t value) { gIdleFlag = value; }

uint8_t TakeIdleFlag() {
  uint8_t old = gIdleFlag;
  gIdleFlag = 1;
  return old;
}

uint8_t GetIdleFlag() { return gIdleFlag; }
