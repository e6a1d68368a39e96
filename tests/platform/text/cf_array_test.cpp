// CFArray: values kept in order, CF objects retained for as long as the array lives.
#include <gtest/gtest.h>

#include "platform/text/cf_array.h"
#include "platform/text/cf_string.h"

namespace {

TEST(CFArray, KeepsItsObjectsUntilReleased) {
  long before = CFLiveObjectCount();
  CFStringRef a = CFStringCreateWithUTF8("a"), b = CFStringCreateWithUTF8("b");
  const void* values[] = {a, b};
  CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
  CFRelease(a);
  CFRelease(b);
  ASSERT_EQ(CFArrayGetCount(array), 2);
  EXPECT_EQ(CFStringToUTF8(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, 1))), "b");
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 2), nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, -1), nullptr);
  EXPECT_EQ(CFGetTypeID(array), CFArrayGetTypeID());
  CFRelease(array);
  EXPECT_EQ(CFLiveObjectCount(), before);
}

TEST(CFArray, PlainPointersAreNotTouched) {
  int x = 1, y = 2;
  const void* values[] = {&x, &y};
  CFArrayRef array = CFArrayCreate(nullptr, values, 2, nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 0), &x);
  CFRelease(array);
  EXPECT_EQ(CFArrayCreate(nullptr, nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(CFArrayCreate(nullptr, values, -1, nullptr), nullptr);
  EXPECT_EQ(CFArrayGetCount(nullptr), 0);
}

}  // namespace
