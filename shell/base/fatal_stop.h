// The single way in which the program gives up: a text with a number is shown and the
// orderly shutdown ends the process.
#pragma once

#include "platform/memory/mac_types.h"

// Texts of the general list (0-based indexes, item n + 1 of STR# 129).
constexpr int16_t kMissingResourceText = 73;  // item 74
constexpr int16_t kOutOfMemoryText = 74;      // item 75
constexpr int16_t kSystemTooOldText = 75;     // item 76
constexpr int16_t kNoAppearanceText = 82;     // item 83
constexpr int16_t kNoColorQuickDrawText = 85; // item 86

// Sets word 1 bit 0x200 (only the counter window draws from now on), shows text, four blanks
// and the code, deregisters the power notifications and ends the process with status 1.
[[noreturn]] void FatalErrorStop(int32_t code, ConstStr255Param text);
// With the missing-resource text / the out-of-memory text.
[[noreturn]] void FatalResourceStop(int32_t code);
[[noreturn]] void FatalMemoryStop(int32_t code);
// NewPtrClear; on failure FatalMemoryStop with the memory error.
Ptr NewPtrClearOrStop(Size size);
