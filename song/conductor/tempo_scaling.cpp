#include "song/conductor/tempo_scaling.h"

#include "song/model/transport_hooks.h"

int16_t ScaleTempoValue(int32_t tempo, int32_t factor) {
  if (factor == 0) factor = GetClockTempoFactor();
  uint64_t product = uint64_t(uint32_t(tempo) & 0xFFFF) * (uint32_t(factor) & 0xFFFF);
  uint64_t scaled = (product + 1024) >> 11;
  if (scaled < uint64_t(kMinTempo)) return int16_t(kMinTempo);
  if (scaled > uint64_t(kMaxTempo)) return int16_t(kMaxTempo);
  return int16_t(scaled);
}
