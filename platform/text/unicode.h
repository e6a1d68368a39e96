// UTF-8 and UTF-16 coding of code points.
#pragma once

#include <string>
#include <string_view>

// Appends the UTF-8 (UTF-16) form of a code point; invalid code points append U+FFFD.
void AppendUTF8(std::string* out, char32_t cp);
void AppendUTF16(std::u16string* out, char32_t cp);

// Decodes one code point at *pos and advances *pos. A malformed sequence (bad lead or
// continuation byte, overlong form, surrogate, beyond U+10FFFF, cut short) gives false and
// advances past one byte.
bool DecodeUTF8(std::string_view s, size_t* pos, char32_t* cp);
// Decodes one code point of UTF-16; an unpaired surrogate gives false and U+FFFD.
bool DecodeUTF16(std::u16string_view s, size_t* pos, char32_t* cp);

// Whole-string conversions; false when the input was malformed (bad parts become U+FFFD).
bool UTF8ToUTF16(std::string_view in, std::u16string* out);
bool UTF16ToUTF8(std::u16string_view in, std::string* out);
