#include "media/overview/sample_decoding.h"

namespace {

template <bool Little, bool Unsigned>
int32_t DecodeWidth(const uint8_t* p, int32_t bytes) {
  switch (bytes) {
    case 1: return IntSample<1, Little, Unsigned>::Get(p);
    case 2: return IntSample<2, Little, Unsigned>::Get(p);
    case 3: return IntSample<3, Little, Unsigned>::Get(p);
    default: return IntSample<4, Little, Unsigned>::Get(p);
  }
}

}  // namespace

int32_t DecodeIntSample(const uint8_t* p, int16_t formatClass, int32_t bytes) {
  if (formatClass == kFormatClassLittle) return DecodeWidth<true, false>(p, bytes);
  if (formatClass == kFormatClassUnsigned) return DecodeWidth<false, true>(p, bytes);
  return DecodeWidth<false, false>(p, bytes);
}
