// Bounded random numbers on the drawing layer's generator (Random).
#pragma once

#include <cstdint>

// Random() taken as an unsigned 32-bit number (a negative value sign-extended), modulo n.
// 0 for n = 0.
uint32_t RandomBelow(uint32_t n);
// The signed remainder of Random() by n; may be negative. 0 for n = 0.
int32_t RandomSigned(int32_t n);
