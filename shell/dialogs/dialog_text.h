// Reading numbers out of typed dialog texts and building short length-prefixed strings.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Appends c when the string holds fewer than 255 characters; a full string is left as it is.
void AppendPStringChar(StringPtr string, uint8_t c);
void AppendCharToStringBuffer(uint8_t c);
// 'a'..'z' to upper case; every other byte unchanged.
uint8_t UppercaseChar(uint8_t c);
bool IsDigitChar(uint8_t c);
// True when the text has at least one character and only digits.
bool IsAllDigits(ConstStr255Param text);

// An optional sign and the digits that follow, up to the first other character; 0 when there
// are none. Values beyond 32 bits are held at the nearer limit.
int32_t ParseLeadingNumber(ConstStr255Param text);
// Text beginning "o" or "-o" gives 2.0; otherwise the decimal number of the text, rounded to
// single precision (0 for no number).
double ParseFloatText(ConstStr255Param text);
// The value times ten with one decimal: 12.56 gives 125 (cut, not rounded), 12 and "12."
// give 120.
int32_t ParseTenths(ConstStr255Param text);
