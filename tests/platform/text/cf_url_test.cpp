#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/text/core_foundation.h"

namespace {

std::string PathOf(CFURLRef url, CFURLPathStyle style = kCFURLPOSIXPathStyle) {
  CFStringRef s = CFURLCopyFileSystemPath(url, style);
  std::string out = CFStringToUTF8(s);
  CFRelease(s);
  return out;
}

std::string LastOf(CFURLRef url) {
  CFStringRef s = CFURLCopyLastPathComponent(url);
  std::string out = CFStringToUTF8(s);
  CFRelease(s);
  return out;
}

TEST(CFURL, AppendAndDeleteComponents) {
  long live = CFLiveObjectCount();
  CFURLRef folder = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("/usr//lib/"), kCFURLPOSIXPathStyle, true);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(PathOf(folder), "/usr/lib");
  EXPECT_TRUE(CFURLHasDirectoryPath(folder));

  CFURLRef file = CFURLCreateCopyAppendingPathComponent(kCFAllocatorDefault, folder, CFSTR("Caf\u00E9.framework"), false);
  EXPECT_EQ(PathOf(file), "/usr/lib/Caf\u00E9.framework");
  EXPECT_EQ(LastOf(file), "Caf\u00E9.framework");
  CFStringRef ext = CFURLCopyPathExtension(file);
  EXPECT_EQ(CFStringToUTF8(ext), "framework");
  CFRelease(ext);

  UInt8 buffer[64];
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(file, true, buffer, sizeof buffer));
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "/usr/lib/Caf\u00E9.framework");
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(file, true, buffer, 10));

  CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(kCFAllocatorDefault, file);
  EXPECT_TRUE(CFEqual(parent, folder));
  CFURLRef up = CFURLCreateCopyDeletingLastPathComponent(kCFAllocatorDefault, parent);
  CFURLRef root = CFURLCreateCopyDeletingLastPathComponent(kCFAllocatorDefault, up);
  CFURLRef stillRoot = CFURLCreateCopyDeletingLastPathComponent(kCFAllocatorDefault, root);
  EXPECT_EQ(PathOf(up), "/usr");
  EXPECT_EQ(PathOf(root), "/");
  EXPECT_EQ(PathOf(stillRoot), "/");
  EXPECT_EQ(LastOf(root), "/");

  for (CFURLRef u : {folder, file, parent, up, root, stillRoot}) CFRelease(u);
  EXPECT_EQ(CFLiveObjectCount(), live);
}

TEST(CFURL, RelativePathsJoinTheCurrentFolder) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  CFURLRef u = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("a/b"), kCFURLPOSIXPathStyle, false);
  EXPECT_EQ(PathOf(u), std::string(cwd) + "/a/b");
  CFRelease(u);
  EXPECT_EQ(CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR(""), kCFURLPOSIXPathStyle, false), nullptr);
}

TEST(CFURL, HFSPathStyle) {
  const struct {
    const char* posix;
    const char* hfs;
  } cases[] = {
      {"/", "Disk:"},
      {"/home/ann/Song", "Disk:home:ann:Song"},
      {"/Music/AC:DC", "Disk:Music:AC/DC"},  // a colon in a name is a slash in HFS
  };
  for (const auto& c : cases) {
    CFStringRef posix = CFStringCreateWithUTF8(c.posix);
    CFURLRef u = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, posix, kCFURLPOSIXPathStyle, false);
    EXPECT_EQ(PathOf(u, kCFURLHFSPathStyle), c.hfs);
    CFStringRef hfs = CFStringCreateWithUTF8(c.hfs);
    CFURLRef v = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, hfs, kCFURLHFSPathStyle, false);
    EXPECT_EQ(PathOf(v), c.posix);
    for (CFTypeRef o : {CFTypeRef(posix), CFTypeRef(u), CFTypeRef(hfs), CFTypeRef(v)}) CFRelease(o);
  }
  CFURLRef up = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("disk:a:b::c:"), kCFURLHFSPathStyle, true);
  EXPECT_EQ(PathOf(up), "/a/b/../c");
  CFRelease(up);
  EXPECT_EQ(CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("Other:a"), kCFURLHFSPathStyle, false), nullptr);
}

}  // namespace
