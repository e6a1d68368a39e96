// Rounding arithmetic shared by the whole program.
//
// All values are signed 32-bit. h below is c shifted right by one bit (an arithmetic shift,
// so h = -1 for c = -1). A divisor of 0 gives 0 (and DivMod a remainder of a) instead of
// trapping: callers pass values from files and settings.
#pragma once

#include <cstdint>

// (a + h) / c with truncating division; the half is not mirrored for negative values.
int32_t DivRound(int32_t a, int32_t c);
// a * b in 32 bits (wrapping), then (p + h) / c for p >= 0 and (p - h) / c for p < 0.
int32_t MulDivRound32(int32_t a, int32_t b, int32_t c);
// The same with a 64-bit product and sum: exact for products beyond 2^31.
// The quotient is cut to 32 bits as the caller stores it.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c);
// q = a / b (b = -1 gives -a), r = a - q * b.
void DivMod(int32_t a, int32_t b, int32_t* q, int32_t* r);
// v inside lo..hi, otherwise SysBeep (2) and the nearer bound.
int32_t ClampOrBeep(int32_t lo, int32_t hi, int32_t v);
