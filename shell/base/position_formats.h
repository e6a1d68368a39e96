// Fixed-format position and number texts (length-prefixed strings of at most 255 bytes).
#pragma once

#include "platform/memory/mac_types.h"

// n in decimal, right-justified and padded with '0' to width characters. A number with more
// characters than width is written whole (the text grows), never cut; a negative number keeps
// its sign in front of the padded digits ("-05" for -5 in 3). width is clamped to 0..32.
StringPtr FormatNumberZeroPadded(StringPtr buffer, int32_t n, int16_t width);
// bar + 1 unpadded, ':', beat + 1 in 2 digits, ':', tick in 3 digits; bar and beat are
// 0-based: (0, 0, 5) gives "1:01:005".
StringPtr FormatBarBeatTick(StringPtr buffer, int32_t bar, int32_t beat, int32_t tick);
// h unpadded, then ':' m, ':' s, ':' f and '.' sub in 2 digits each.
StringPtr FormatSmpteTime(StringPtr buffer, int32_t h, int32_t m, int32_t s, int32_t f,
                          int32_t sub);
// h:mm:ss, or m:ss when h is 0; frames above 14 round the seconds up, carrying into the
// minutes and hours at 60: (0, 0, 59, 15) gives "1:00".
StringPtr FormatClockTime(StringPtr buffer, int32_t h, int32_t m, int32_t s, int32_t f);
// gStringBuffer = text followed by n in decimal; returns gStringBuffer.
StringPtr ConcatStringAndNumber(ConstStr255Param text, int32_t n);
// Packs (a << 16) + (b << 4) + c; stores it in *stored when it differs, and says whether it did.
bool StorePackedIfChanged(int32_t a, int32_t b, int32_t c, int32_t* stored);
// Tenths as a number with a point before its last digit (1200 -> "120.0", 45 -> "4.5").
void FormatTenths(int32_t value, StringPtr text);
// FormatTenths into buffer; returns 4 less the count of the value's digits (1200 -> 0, 450 -> 1,
// 45 -> 2): the digits a caller that right-aligns the number pads with.
int16_t AppendDotToNumber(StringPtr buffer, int32_t value);
