#include "platform/system/quickdraw_random.h"

QDGlobals qd;

SInt32 GetQDGlobalsRandomSeed() { return qd.randSeed; }

void SetQDGlobalsRandomSeed(SInt32 seed) { qd.randSeed = seed; }

// The seed is read as an unsigned 32-bit value. A seed with no residue (0, 2^31 - 1 and
// 2^32 - 2) would hold the generator at 0 for ever, so it is taken as 1 instead. Every other
// seed has a non-zero residue, and the steps from it never reach 0.
UInt32 NextRandomSeed(UInt32 seed) {
  uint64_t residue = seed % kRandomModulus;
  if (residue == 0) residue = 1;
  return UInt32(residue * kRandomMultiplier % kRandomModulus);
}

short Random() {
  UInt32 seed = NextRandomSeed(UInt32(qd.randSeed));
  qd.randSeed = SInt32(seed);
  auto value = int16_t(uint16_t(seed & 0xFFFF));
  return value == -32768 ? 0 : value;
}
