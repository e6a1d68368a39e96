// The drawing layer's pseudo-random generator and the globals record that holds its seed.
//
// Random() follows the classic sequence exactly, so a stored seed replays the same values:
// seed := seed * 16807 mod (2^31 - 1), and the result is the low 16 bits of the new seed as
// a signed value, with -32768 given as 0 (results lie in -32767 ... 32767).
#pragma once

#include "platform/memory/mac_types.h"

// The drawing globals. Only the generator's seed lives here so far.
struct QDGlobals {
  SInt32 randSeed = 1;
};

extern QDGlobals qd;

constexpr UInt32 kRandomModulus = 0x7FFFFFFF;  // 2^31 - 1
constexpr UInt32 kRandomMultiplier = 16807;    // 7^5

SInt32 GetQDGlobalsRandomSeed();
void SetQDGlobalsRandomSeed(SInt32 seed);
// Advances qd.randSeed and returns the next value.
short Random();
// One step of the generator on a seed given as its 32-bit pattern; never returns 0.
UInt32 NextRandomSeed(UInt32 seed);
