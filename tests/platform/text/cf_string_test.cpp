#include <gtest/gtest.h>

#include "platform/text/core_foundation.h"
#include "tests/platform/text/pstr.h"

namespace {

// Checks that a test leaves no CF object alive.
class CFTest : public ::testing::Test {
 protected:
  void SetUp() override { live_ = CFLiveObjectCount(); }
  void TearDown() override { EXPECT_EQ(CFLiveObjectCount(), live_); }
  long live_ = 0;
};

using CFStringTest = CFTest;

TEST_F(CFStringTest, PascalStringRoundTripWithNonASCII) {
  PStr name("Caf\x8E \xA5 \xDB");
  CFStringRef s = CFStringCreateWithPascalString(kCFAllocatorDefault, name, CFStringGetSystemEncoding());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(CFStringGetLength(s), 8);
  EXPECT_EQ(CFStringToUTF8(s), "Caf\u00E9 \u2022 \u20AC");
  UniChar units[8] = {};
  CFStringGetCharacters(s, CFRangeMake(3, 100), units);  // clipped to the string
  EXPECT_EQ(units[0], 0x00E9);

  Str255 back;
  EXPECT_TRUE(CFStringGetPascalString(s, back, sizeof back, kCFStringEncodingMacRoman));
  EXPECT_EQ(Text(back), Text(name));

  char utf8[32];
  EXPECT_TRUE(CFStringGetCString(s, utf8, sizeof utf8, kCFStringEncodingUTF8));
  EXPECT_STREQ(utf8, "Caf\u00E9 \u2022 \u20AC");
  CFRelease(s);
}

TEST_F(CFStringTest, ConversionFailuresAreReported) {
  CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "ab\u4E2D\u00E9", kCFStringEncodingUTF8);
  ASSERT_NE(s, nullptr);
  Str255 p;
  EXPECT_FALSE(CFStringGetPascalString(s, p, sizeof p, kCFStringEncodingMacRoman));
  EXPECT_EQ(Text(p), "ab?\x8E");
  EXPECT_FALSE(CFStringGetPascalString(s, p, 3, kCFStringEncodingMacRoman));  // room for 2
  EXPECT_EQ(Text(p), "ab");
  char c[4];
  EXPECT_FALSE(CFStringGetCString(s, c, sizeof c, kCFStringEncodingUTF8));  // never splits a character
  EXPECT_STREQ(c, "ab");
  EXPECT_FALSE(CFStringGetCString(s, c, sizeof c, kCFStringEncodingASCII));
  CFRelease(s);

  EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "bad \xC3(", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "\xE9t\xE9", kCFStringEncodingASCII), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "x", 0x1234), nullptr);
}

TEST_F(CFStringTest, MutableAppends) {
  CFMutableStringRef m = CFStringCreateMutable(kCFAllocatorDefault, 0);
  const UniChar units[] = {'R', 0x00E9, 0xD83D, 0xDE00};
  CFStringAppendCharacters(m, units, 4);
  CFStringAppendPascalString(m, PStr(" \xA5"), kCFStringEncodingMacRoman);
  CFStringAppend(m, CFSTR(" end"));
  CFStringAppendFormat(m, nullptr, CFSTR(" %d/%s"), 42, "x");
  CFStringAppend(m, m);
  EXPECT_EQ(CFStringToUTF8(m), "R\u00E9\U0001F600 \u2022 end 42/xR\u00E9\U0001F600 \u2022 end 42/x");
  CFStringRef copy = CFStringCreateCopy(kCFAllocatorDefault, m);
  EXPECT_TRUE(CFEqual(copy, m));
  CFRelease(m);
  EXPECT_EQ(CFStringGetLength(copy), 30);
  CFRelease(copy);

  CFMutableStringRef capped = CFStringCreateMutable(kCFAllocatorDefault, 3);
  CFStringAppend(capped, CFSTR("ab"));
  CFStringAppendCharacters(capped, units + 2, 2);  // a pair that does not fit is dropped whole
  EXPECT_EQ(CFStringGetLength(capped), 2);
  CFRelease(capped);
}

TEST_F(CFStringTest, CompareAndFind) {
  const struct {
    CFStringRef a;
    CFStringRef b;
    CFOptionFlags options;
    CFComparisonResult expected;
  } cases[] = {
      {CFSTR("abc"), CFSTR("abc"), 0, kCFCompareEqualTo},
      {CFSTR("ABC"), CFSTR("abc"), 0, kCFCompareLessThan},
      {CFSTR("ABC"), CFSTR("abc"), kCFCompareCaseInsensitive, kCFCompareEqualTo},
      {CFSTR("\u00C9T\u00C9"), CFSTR("\u00E9t\u00E9"), kCFCompareCaseInsensitive, kCFCompareEqualTo},
      {CFSTR("ab"), CFSTR("abc"), 0, kCFCompareLessThan},
      {CFSTR("b"), CFSTR("abc"), 0, kCFCompareGreaterThan},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CFStringCompare(c.a, c.b, c.options), c.expected) << CFStringToUTF8(c.a) << " / " << CFStringToUTF8(c.b);
  }
  CFRange r = CFStringFind(CFSTR("Undo Typing"), CFSTR("TYPING"), kCFCompareCaseInsensitive);
  EXPECT_EQ(r.location, 5);
  EXPECT_EQ(r.length, 6);
  EXPECT_EQ(CFStringFind(CFSTR("Undo"), CFSTR("x"), 0).location, -1);
}

TEST_F(CFStringTest, ConstantsAreSharedAndImmortal) {
  CFStringRef a = CFSTR("Dispose Error");
  CFStringRef b = CFStringMakeConstantString("Dispose Error");
  EXPECT_EQ(a, b);
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(CFStringToUTF8(CFSTR("Dispose Error")), "Dispose Error");
  EXPECT_EQ(CFGetTypeID(a), CFStringGetTypeID());
  CFRetain(nullptr);
  CFRelease(nullptr);
}

TEST_F(CFStringTest, RetainKeepsAlive) {
  CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "x", kCFStringEncodingASCII);
  CFRetain(s);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFRelease(s);
  EXPECT_EQ(CFStringToUTF8(s), "x");
  CFRelease(s);
}

TEST_F(CFStringTest, ShowWritesOneLine) {
  CFDataRef d = CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>("abc"), 3);
  testing::internal::CaptureStderr();
  CFShow(CFSTR("Dispose Error"));
  CFShow(d);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Dispose Error\n<CFData 3 bytes>\n");
  EXPECT_EQ(CFDataGetLength(d), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(d)), 3), "abc");
  CFRelease(d);
  EXPECT_EQ(CFDataCreate(kCFAllocatorDefault, nullptr, 5), nullptr);
}

}  // namespace
