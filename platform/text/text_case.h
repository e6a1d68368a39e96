// Case, diacritics and ordering of Mac Roman text.
//
// Sort order: letters sort by base letter (a and A and the accented forms of a together,
// between the unaccented letter's neighbours), then by diacritic (the plain letter first),
// then by case (upper first); ligatures (AE, OE, sharp s, fi, fl) sort right after all
// forms of their first letter. Every other byte sorts by its value.
#pragma once

#include "platform/memory/mac_types.h"

using ScriptCode = short;
constexpr ScriptCode smRoman = 0;
constexpr ScriptCode smSystemScript = -1;
constexpr ScriptCode smCurrentScript = -2;

// -1, 0, 1 as a sorts before, with, after b.
short RelString(ConstStr255Param a, ConstStr255Param b, Boolean caseSensitive, Boolean diacSensitive);
Boolean EqualString(ConstStr255Param a, ConstStr255Param b, Boolean caseSensitive, Boolean diacSensitive);
// Upper-cases a Pascal string in place; diacSensitive false also strips diacritics.
void UpperString(StringPtr s, Boolean diacSensitive);
// In-place conversions of len bytes of text (diacritics are kept by the case routines).
void UppercaseText(Ptr textPtr, short len, ScriptCode script);
void LowercaseText(Ptr textPtr, short len, ScriptCode script);
void StripDiacritics(Ptr textPtr, short len, ScriptCode script);
void UppercaseStripDiacritics(Ptr textPtr, short len, ScriptCode script);

// Single Mac Roman characters.
unsigned char MacRomanToUpper(unsigned char c);
unsigned char MacRomanToLower(unsigned char c);
unsigned char MacRomanStripDiacritic(unsigned char c);
// Sort weight of a character under the given sensitivities (see the order above).
uint32_t MacRomanSortKey(unsigned char c, bool caseSensitive, bool diacSensitive);
