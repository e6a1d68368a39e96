// Mac Roman and Windows-1252 text to and from UTF-8, for names that cross to the host
// (file names, font names, the clipboard). Inside the program text stays Mac Roman.
#pragma once

#include <cstddef>
#include <string>

#include "platform/memory/mac_types.h"

// Unicode code point of a Mac Roman byte (0x00-0x7F map to themselves).
char32_t MacRomanToUnicode(unsigned char c);
// Mac Roman byte of a code point; false when the character has none.
bool UnicodeToMacRoman(char32_t cp, unsigned char* out);

std::string MacRomanToUTF8(const unsigned char* bytes, size_t n);
std::string PStringToUTF8(ConstStringPtr s);
// Converts UTF-8 to Mac Roman. Characters without a Mac Roman form and malformed UTF-8
// sequences become '?', and the result is then false.
bool UTF8ToMacRoman(const std::string& utf8, std::string* out);
// UTF-8 to a Pascal string of at most maxLen bytes (maxLen clamped to 0..255).
// Returns false when some character became '?' or the text was cut.
bool UTF8ToPString(const std::string& utf8, StringPtr out, int maxLen);

// Windows-1252 (Western, as found in files from other systems) to code points and UTF-8.
// The five undefined bytes 0x81 0x8D 0x8F 0x90 0x9D map to the C1 controls of the same value.
char32_t Windows1252ToUnicode(unsigned char c);
bool UnicodeToWindows1252(char32_t cp, unsigned char* out);
std::string Windows1252ToUTF8(const unsigned char* bytes, size_t n);
