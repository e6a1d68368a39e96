#include "shell/base/arithmetic.h"

#include "platform/system/sys_beep.h"

namespace {

// Negation and division in 64 bits, so that INT32_MIN / -1 cannot trap.
int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

}  // namespace

int32_t DivRound(int32_t a, int32_t c) {
  if (c == 0) return 0;
  int64_t sum = int64_t(a) + (c >> 1);
  if (c == -1) return Wrap(-sum);
  return Wrap(sum / c);
}

int32_t MulDivRound32(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return 0;
  int32_t p = Wrap(int64_t(a) * b);
  int32_t h = c >> 1;
  int64_t sum = p >= 0 ? int64_t(p) + h : int64_t(p) - h;
  if (c == -1) return Wrap(-sum);
  return Wrap(sum / c);
}

int32_t MulDivRound(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return 0;
  int64_t p = int64_t(a) * b;
  int64_t h = c >> 1;
  int64_t sum = p >= 0 ? p + h : p - h;
  if (c == -1) return Wrap(-sum);
  return Wrap(sum / c);
}

void DivMod(int32_t a, int32_t b, int32_t* q, int32_t* r) {
  int32_t quotient = 0;
  if (b == -1)
    quotient = Wrap(-int64_t(a));
  else if (b != 0)
    quotient = Wrap(int64_t(a) / b);
  if (q) *q = quotient;
  if (r) *r = Wrap(int64_t(a) - int64_t(quotient) * b);
}

int32_t ClampOrBeep(int32_t lo, int32_t hi, int32_t v) {
  if (v >= lo && v <= hi) return v;
  SysBeep(2);
  return v < lo ? lo : hi;
}
