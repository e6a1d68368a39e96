#include "shell/base/random_numbers.h"

#include "platform/system/quickdraw_random.h"

uint32_t RandomBelow(uint32_t n) {
  uint32_t value = static_cast<uint32_t>(static_cast<int32_t>(Random()));
  if (n == 0) return 0;
  return value % n;
}

int32_t RandomSigned(int32_t n) {
  int32_t value = Random();
  if (n == 0) return 0;
  if (n == -1) return 0;
  return value % n;
}
