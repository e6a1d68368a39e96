// The drawing layer's pseudo-random generator and the globals record that holds its seed.
//
// Random() follows the classic sequence exactly, so a stored seed replays the same values:
// seed := seed * 16807 mod (2^31 - 1), and the result is the low 16 bits of the new seed as
// a signed value, with -32768 given as 0 (results lie in -32767 ... 32767).
#pragma once

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"

// The drawing globals: the generator's seed, the screen's bits, the arrow cursor, the
// standard patterns and the current port. The drawing layer keeps screenBits and thePort
// up to date; everything else is constant after start-up.
struct QDGlobals {
  SInt32 randSeed = 1;
  BitMap screenBits;
  Cursor arrow{
      {0x0000, 0x4000, 0x6000, 0x7000, 0x7800, 0x7C00, 0x7E00, 0x7F00,
       0x7F80, 0x7C00, 0x6C00, 0x4600, 0x0600, 0x0300, 0x0300, 0x0000},
      {0xC000, 0xE000, 0xF000, 0xF800, 0xFC00, 0xFE00, 0xFF00, 0xFF80,
       0xFFC0, 0xFFC0, 0xFE00, 0xEF00, 0xCF00, 0x0780, 0x0780, 0x0380},
      {1, 1}};
  Pattern dkGray{{0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77}};
  Pattern ltGray{{0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22}};
  Pattern gray{{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}};
  Pattern black{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  Pattern white{{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}};
  GrafPtr thePort = nullptr;
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
