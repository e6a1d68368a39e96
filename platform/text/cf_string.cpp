// CFString over UTF-16 units.
#include "platform/text/cf_string.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/text/cf_object.h"
#include "platform/text/mac_roman.h"
#include "platform/text/unicode.h"

struct CFStringObject : CFObject {
  CFStringObject(std::u16string t, bool isMutable, CFIndex maxLen)
      : CFObject(kCFStringTypeID), text(std::move(t)), mutableString(isMutable), maxLength(maxLen) {}
  std::string Describe() const override {
    std::string utf8;
    UTF16ToUTF8(text, &utf8);
    return utf8;
  }
  bool Equals(const CFObject& other) const override {
    return static_cast<const CFStringObject&>(other).text == text;
  }

  std::u16string text;
  bool mutableString;
  CFIndex maxLength;  // 0: no limit
};

namespace {

const CFStringObject* AsString(CFStringRef s) { return CFCast<CFStringObject>(s, kCFStringTypeID); }

CFStringObject* AsMutable(CFMutableStringRef s) {
  CFStringObject* o = CFCast<CFStringObject>(s, kCFStringTypeID);
  return o != nullptr && o->mutableString ? o : nullptr;
}

bool IsKnownEncoding(CFStringEncoding e) {
  return e == kCFStringEncodingMacRoman || e == kCFStringEncodingWindowsLatin1 || e == kCFStringEncodingISOLatin1 ||
         e == kCFStringEncodingASCII || e == kCFStringEncodingUTF8;
}

// Bytes in a single-byte or UTF-8 encoding to UTF-16; false for bytes the encoding lacks.
bool DecodeBytes(const UInt8* bytes, size_t n, CFStringEncoding encoding, std::u16string* out) {
  if (encoding == kCFStringEncodingUTF8) {
    std::string_view view(reinterpret_cast<const char*>(bytes), n);
    if (view.size() >= 3 && view.substr(0, 3) == "\xEF\xBB\xBF") view.remove_prefix(3);
    return UTF8ToUTF16(view, out);
  }
  for (size_t i = 0; i < n; ++i) {
    UInt8 b = bytes[i];
    switch (encoding) {
      case kCFStringEncodingMacRoman: AppendUTF16(out, MacRomanToUnicode(b)); break;
      case kCFStringEncodingWindowsLatin1: AppendUTF16(out, Windows1252ToUnicode(b)); break;
      case kCFStringEncodingISOLatin1: out->push_back(b); break;
      case kCFStringEncodingASCII:
        if (b >= 0x80) return false;
        out->push_back(b);
        break;
      default: return false;
    }
  }
  return true;
}

// The bytes of one code point in the encoding; false (and '?') when it has none.
bool EncodeCodePoint(char32_t cp, CFStringEncoding encoding, std::string* out) {
  unsigned char b = '?';
  bool ok;
  switch (encoding) {
    case kCFStringEncodingUTF8: AppendUTF8(out, cp); return true;
    case kCFStringEncodingMacRoman: ok = UnicodeToMacRoman(cp, &b); break;
    case kCFStringEncodingWindowsLatin1: ok = UnicodeToWindows1252(cp, &b); break;
    case kCFStringEncodingISOLatin1: ok = cp <= 0xFF, b = ok ? static_cast<unsigned char>(cp) : '?'; break;
    case kCFStringEncodingASCII: ok = cp < 0x80, b = ok ? static_cast<unsigned char>(cp) : '?'; break;
    default: ok = false; break;
  }
  out->push_back(static_cast<char>(ok ? b : '?'));
  return ok;
}

// Encodes text into at most maxBytes bytes, never splitting a character. False when some
// character was not representable or did not fit.
bool EncodeText(const std::u16string& text, CFStringEncoding encoding, size_t maxBytes, std::string* out) {
  bool ok = IsKnownEncoding(encoding);
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    ok &= DecodeUTF16(text, &pos, &cp);
    std::string bytes;
    ok &= EncodeCodePoint(cp, encoding, &bytes);
    if (out->size() + bytes.size() > maxBytes) return false;
    *out += bytes;
  }
  return ok;
}

CFStringRef NewString(std::u16string text) { return new CFStringObject(std::move(text), false, 0); }

// Appends units to a mutable string, respecting its length limit without splitting a pair.
void AppendUnits(CFStringObject* s, std::u16string_view units) {
  if (s->maxLength > 0) {
    size_t room = size_t(std::max<CFIndex>(s->maxLength - CFIndex(s->text.size()), 0));
    if (units.size() > room) {
      units = units.substr(0, room);
      if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.remove_suffix(1);
    }
  }
  s->text.append(units);
}

std::u16string FormatText(CFStringRef format, va_list args) {
  std::string fmt = CFStringToUTF8(format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt.c_str(), copy);
  va_end(copy);
  std::u16string out;
  if (n <= 0) return out;
  std::vector<char> buffer(size_t(n) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), fmt.c_str(), args);
  UTF8ToUTF16(std::string_view(buffer.data(), size_t(n)), &out);
  return out;
}

std::u32string FoldedCodePoints(const std::u16string& text, bool fold) {
  std::u32string out;
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    DecodeUTF16(text, &pos, &cp);
    out.push_back(fold ? char32_t(u_foldCase(UChar32(cp), U_FOLD_CASE_DEFAULT)) : cp);
  }
  return out;
}

// Unit-for-unit case folding (simple folding keeps every character in its plane).
std::u16string FoldUnits(const std::u16string& text) {
  std::u16string out;
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    DecodeUTF16(text, &pos, &cp);
    AppendUTF16(&out, char32_t(u_foldCase(UChar32(cp), U_FOLD_CASE_DEFAULT)));
  }
  return out.size() == text.size() ? out : text;
}

}  // namespace

CFStringEncoding CFStringGetSystemEncoding() { return kCFStringEncodingMacRoman; }
Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding) { return IsKnownEncoding(encoding); }
CFTypeID CFStringGetTypeID() { return kCFStringTypeID; }

CFStringRef CFStringMakeConstantString(const char* utf8) {
  static std::mutex mutex;
  static std::map<std::string, CFStringObject*> constants;
  std::string key = utf8 != nullptr ? utf8 : "";
  std::lock_guard<std::mutex> lock(mutex);
  CFStringObject*& entry = constants[key];
  if (entry == nullptr) {
    std::u16string text;
    UTF8ToUTF16(key, &text);
    entry = new CFStringObject(std::move(text), false, 0);
    entry->MakeImmortal();
  }
  return entry;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean) {
  if (numBytes < 0 || (bytes == nullptr && numBytes > 0)) return nullptr;
  std::u16string text;
  if (encoding == kCFStringEncodingUnicode) {
    if (numBytes % 2 != 0) return nullptr;
    text.resize(size_t(numBytes) / 2);
    if (numBytes > 0) std::memcpy(text.data(), bytes, size_t(numBytes));
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return NewString(std::move(text));
  }
  if (!DecodeBytes(bytes, size_t(numBytes), encoding, &text)) return nullptr;
  return NewString(std::move(text));
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr, CFStringEncoding encoding) {
  if (pStr == nullptr) return nullptr;
  return CFStringCreateWithBytes(alloc, pStr + 1, pStr[0], encoding, false);
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding) {
  if (cStr == nullptr) return nullptr;
  return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8*>(cStr), CFIndex(std::strlen(cStr)), encoding,
                                 false);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
  if (numChars < 0 || (chars == nullptr && numChars > 0)) return nullptr;
  return NewString(std::u16string(reinterpret_cast<const char16_t*>(chars), size_t(numChars)));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef str) {
  const CFStringObject* s = AsString(str);
  return s != nullptr ? NewString(s->text) : nullptr;
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef, const void*, CFStringRef format, ...) {
  if (AsString(format) == nullptr) return nullptr;
  va_list args;
  va_start(args, format);
  std::u16string text = FormatText(format, args);
  va_end(args);
  return NewString(std::move(text));
}

CFIndex CFStringGetLength(CFStringRef str) {
  const CFStringObject* s = AsString(str);
  return s != nullptr ? CFIndex(s->text.size()) : 0;
}

UniChar CFStringGetCharacterAtIndex(CFStringRef str, CFIndex idx) {
  const CFStringObject* s = AsString(str);
  if (s == nullptr || idx < 0 || size_t(idx) >= s->text.size()) return 0;
  return s->text[size_t(idx)];
}

void CFStringGetCharacters(CFStringRef str, CFRange range, UniChar* buffer) {
  const CFStringObject* s = AsString(str);
  if (s == nullptr || buffer == nullptr || range.location < 0 || range.length <= 0) return;
  size_t start = size_t(range.location);
  if (start >= s->text.size()) return;
  size_t n = std::min(size_t(range.length), s->text.size() - start);
  std::memcpy(buffer, s->text.data() + start, n * sizeof(UniChar));
}

Boolean CFStringGetPascalString(CFStringRef str, StringPtr buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  const CFStringObject* s = AsString(str);
  if (buffer == nullptr || bufferSize < 1) return false;
  std::string bytes;
  size_t room = size_t(std::min<CFIndex>(bufferSize - 1, 255));
  bool ok = s != nullptr && EncodeText(s->text, encoding, room, &bytes);
  buffer[0] = static_cast<unsigned char>(bytes.size());
  std::memcpy(buffer + 1, bytes.data(), bytes.size());
  return ok;
}

Boolean CFStringGetCString(CFStringRef str, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  const CFStringObject* s = AsString(str);
  if (buffer == nullptr || bufferSize < 1) return false;
  std::string bytes;
  bool ok = s != nullptr && EncodeText(s->text, encoding, size_t(bufferSize - 1), &bytes);
  std::memcpy(buffer, bytes.data(), bytes.size());
  buffer[bytes.size()] = '\0';
  return ok;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex numChars, CFStringEncoding encoding) {
  if (numChars < 0) return 0;
  return encoding == kCFStringEncodingUTF8 ? numChars * 3 : numChars;
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex maxLength) {
  return new CFStringObject(std::u16string(), true, std::max<CFIndex>(maxLength, 0));
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength, CFStringRef str) {
  CFMutableStringRef copy = CFStringCreateMutable(alloc, maxLength);
  CFStringAppend(copy, str);
  return copy;
}

void CFStringAppend(CFMutableStringRef str, CFStringRef appended) {
  CFStringObject* s = AsMutable(str);
  const CFStringObject* a = AsString(appended);
  if (s == nullptr || a == nullptr) return;
  std::u16string units = a->text;  // a copy, since str may be appended to itself
  AppendUnits(s, units);
}

void CFStringAppendCharacters(CFMutableStringRef str, const UniChar* chars, CFIndex numChars) {
  CFStringObject* s = AsMutable(str);
  if (s == nullptr || chars == nullptr || numChars <= 0) return;
  AppendUnits(s, std::u16string_view(reinterpret_cast<const char16_t*>(chars), size_t(numChars)));
}

void CFStringAppendPascalString(CFMutableStringRef str, ConstStr255Param pStr, CFStringEncoding encoding) {
  CFStringObject* s = AsMutable(str);
  std::u16string units;
  if (s == nullptr || pStr == nullptr || !DecodeBytes(pStr + 1, pStr[0], encoding, &units)) return;
  AppendUnits(s, units);
}

void CFStringAppendCString(CFMutableStringRef str, const char* cStr, CFStringEncoding encoding) {
  CFStringObject* s = AsMutable(str);
  std::u16string units;
  if (s == nullptr || cStr == nullptr ||
      !DecodeBytes(reinterpret_cast<const UInt8*>(cStr), std::strlen(cStr), encoding, &units))
    return;
  AppendUnits(s, units);
}

void CFStringAppendFormat(CFMutableStringRef str, const void*, CFStringRef format, ...) {
  CFStringObject* s = AsMutable(str);
  if (s == nullptr || AsString(format) == nullptr) return;
  va_list args;
  va_start(args, format);
  std::u16string units = FormatText(format, args);
  va_end(args);
  AppendUnits(s, units);
}

void CFStringDelete(CFMutableStringRef str, CFRange range) {
  CFStringObject* s = AsMutable(str);
  if (s == nullptr || range.location < 0 || range.length <= 0 || size_t(range.location) >= s->text.size()) return;
  s->text.erase(size_t(range.location), size_t(range.length));
}

void CFStringUppercase(CFMutableStringRef str, const void*) {
  CFStringObject* s = AsMutable(str);
  if (s == nullptr) return;
  std::u16string out;
  size_t pos = 0;
  while (pos < s->text.size()) {
    char32_t cp;
    DecodeUTF16(s->text, &pos, &cp);
    AppendUTF16(&out, char32_t(u_toupper(UChar32(cp))));
  }
  s->text = std::move(out);
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options) {
  const CFStringObject* sa = AsString(a);
  const CFStringObject* sb = AsString(b);
  static const std::u16string kEmpty;
  bool fold = (options & kCFCompareCaseInsensitive) != 0;
  std::u32string ca = FoldedCodePoints(sa != nullptr ? sa->text : kEmpty, fold);
  std::u32string cb = FoldedCodePoints(sb != nullptr ? sb->text : kEmpty, fold);
  int c = ca.compare(cb);
  return c < 0 ? kCFCompareLessThan : (c > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo);
}

CFRange CFStringFind(CFStringRef str, CFStringRef find, CFOptionFlags options) {
  const CFStringObject* s = AsString(str);
  const CFStringObject* f = AsString(find);
  if (s == nullptr || f == nullptr || f->text.empty()) return CFRangeMake(-1, 0);
  bool fold = (options & kCFCompareCaseInsensitive) != 0;
  std::u16string hay = fold ? FoldUnits(s->text) : s->text;
  std::u16string needle = fold ? FoldUnits(f->text) : f->text;
  size_t at = (options & kCFCompareBackwards) != 0 ? hay.rfind(needle) : hay.find(needle);
  if (at == std::u16string::npos) return CFRangeMake(-1, 0);
  if ((options & kCFCompareAnchored) != 0) {
    bool backwards = (options & kCFCompareBackwards) != 0;
    if ((!backwards && at != 0) || (backwards && at + needle.size() != hay.size())) return CFRangeMake(-1, 0);
  }
  return CFRangeMake(CFIndex(at), CFIndex(needle.size()));
}

std::string CFStringToUTF8(CFStringRef str) {
  const CFStringObject* s = AsString(str);
  std::string out;
  if (s != nullptr) UTF16ToUTF8(s->text, &out);
  return out;
}

CFStringRef CFStringCreateWithUTF8(const std::string& utf8) {
  return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                 CFIndex(utf8.size()), kCFStringEncodingUTF8, false);
}
