// The small sort the list builders use: a quicksort over any array, told by two callbacks
// how to compare and swap elements i and j.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Negative, 0 or positive as element i sorts before, with or after element j.
using SortCompareProc = int32_t (*)(void* base, int32_t i, int32_t j);
using SortSwapProc = void (*)(void* base, int32_t i, int32_t j);

// Sorts n elements. A null compare takes base as an array of length-prefixed string
// pointers and orders them without regard to case (diacritics count); a null swap swaps
// pointer-sized elements.
void SortArray(void* base, int32_t n, SortCompareProc compare, SortSwapProc swap);
// Signed bytes, ascending or descending.
void SortSignedBytes(int8_t* bytes, int32_t n, bool descending);
