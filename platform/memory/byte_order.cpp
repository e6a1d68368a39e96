#include "platform/memory/byte_order.h"

#include <cmath>

double ReadExtended80(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  int exponent = ((b[0] & 0x7F) << 8) | b[1];
  uint64_t mantissa = ReadU64BE(b + 2);
  if (exponent == 0x7FFF || (exponent == 0 && mantissa == 0)) return 0.0;
  double value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
  return (b[0] & 0x80) ? -value : value;
}

void WriteExtended80(void* p, double v) {
  uint8_t* b = static_cast<uint8_t*>(p);
  for (int i = 0; i < 10; ++i) b[i] = 0;
  if (v == 0.0 || !std::isfinite(v)) return;
  uint16_t sign = v < 0 ? 0x8000 : 0;
  if (v < 0) v = -v;
  int exp2 = 0;
  double fraction = std::frexp(v, &exp2);  // v = fraction * 2^exp2, fraction in [0.5, 1)
  uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
  WriteU16BE(b, static_cast<uint16_t>(sign | (exp2 - 1 + 16383)));
  WriteU64BE(b + 2, mantissa);
}
