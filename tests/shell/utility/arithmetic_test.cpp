#include <gtest/gtest.h>

#include <cstdint>

#include "shell/base/arithmetic.h"

namespace {

struct DivCase {
  int32_t a, b, c;
  int32_t divRound, mulDivRound32, mulDivRound;
};

// DivRound ignores b; the 32-bit form wraps the product, the 64-bit form does not.
const DivCase kDivCases[] = {
    {7, 1, 2, 4, 4, 4},
    {-7, 1, 2, -3, -4, -4},        // the half is mirrored only by the MulDiv forms
    {5, 1, 3, 2, 2, 2},
    {-5, 1, 3, -1, -2, -2},
    {10, 1, -1, -9, -9, -9},       // c = -1 negates the sum (h = -1)
    {7, 3, 0, 0, 0, 0},            // no division by zero
    {100000, 100000, 7, 14286, 201437915, 1428571429},
    {-100000, 100000, 1000, -99, -1410065, -10000000},
    {2000000000, 3, 4, 500000000, 426258176, 1500000000},
};

TEST(Arithmetic, RoundingTable) {
  for (const DivCase& k : kDivCases) {
    SCOPED_TRACE(testing::Message() << k.a << " " << k.b << " " << k.c);
    EXPECT_EQ(DivRound(k.a, k.c), k.divRound);
    EXPECT_EQ(MulDivRound32(k.a, k.b, k.c), k.mulDivRound32);
    EXPECT_EQ(MulDivRound(k.a, k.b, k.c), k.mulDivRound);
  }
}

TEST(Arithmetic, DivModKeepsTheIdentity) {
  struct Case { int32_t a, b, q, r; };
  const Case cases[] = {{7, 2, 3, 1}, {-7, 2, -3, -1}, {7, -1, -7, 0}, {INT32_MIN, -1, INT32_MIN, 0},
                        {9, 0, 0, 9}};
  for (const Case& k : cases) {
    int32_t q = 99, r = 99;
    DivMod(k.a, k.b, &q, &r);
    EXPECT_EQ(q, k.q) << k.a << "/" << k.b;
    EXPECT_EQ(r, k.r) << k.a << "%" << k.b;
  }
}

}  // namespace
