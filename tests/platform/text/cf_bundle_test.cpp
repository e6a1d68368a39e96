#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/text/core_foundation.h"
#include "tests/test_support.h"

namespace {

CFURLRef URLFor(const std::string& path, bool folder) { return CFURLCreateWithPOSIXPath(path, folder); }

using AnswerProc = int (*)();

TEST(CFBundle, LoadsALibraryFileAndFindsItsFunction) {
  CFURLRef url = URLFor(ZARIN_BUNDLE_FIXTURE, false);
  CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
  ASSERT_NE(bundle, nullptr);
  EXPECT_FALSE(CFBundleIsExecutableLoaded(bundle));
  ASSERT_TRUE(CFBundleLoadExecutable(bundle));
  auto answer = reinterpret_cast<AnswerProc>(CFBundleGetFunctionPointerForName(bundle, CFSTR("ZarinFixtureAnswer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("NoSuchFunction")), nullptr);
  CFRelease(bundle);
  EXPECT_EQ(answer(), 42);  // releasing the bundle keeps the code loaded
  CFRelease(url);
}

TEST(CFBundle, FolderBundleLoadsTheLibraryNamedLikeIt) {
  zarin_test::TempFolder temp;
  std::string folder = temp.File("Gadget.framework");
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(ZARIN_BUNDLE_FIXTURE, folder + "/Gadget.so");

  CFURLRef base = URLFor(temp.path(), true);
  CFURLRef url = CFURLCreateCopyAppendingPathComponent(kCFAllocatorDefault, base, CFSTR("Gadget.framework"), true);
  CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
  ASSERT_NE(bundle, nullptr);
  // Looking a name up loads the library on demand.
  auto answer = reinterpret_cast<AnswerProc>(CFBundleGetFunctionPointerForName(bundle, CFSTR("ZarinFixtureAnswer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_TRUE(CFBundleIsExecutableLoaded(bundle));
  for (CFTypeRef o : {CFTypeRef(bundle), CFTypeRef(url), CFTypeRef(base)}) CFRelease(o);
}

TEST(CFBundle, MissingBundlesFailCleanly) {
  zarin_test::TempFolder temp;
  CFURLRef missing = URLFor(temp.File("Nothing.framework"), true);
  EXPECT_EQ(CFBundleCreate(kCFAllocatorDefault, missing), nullptr);
  CFRelease(missing);

  // A folder without its library, and a file that is not a library.
  std::filesystem::create_directory(temp.File("Empty.framework"));
  zarin_test::WriteWholeFile(temp.File("junk.so"), "not a library");
  for (const char* name : {"Empty.framework", "junk.so"}) {
    CFURLRef url = URLFor(temp.File(name), std::string(name).find(".so") == std::string::npos);
    CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
    ASSERT_NE(bundle, nullptr) << name;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CFBundleLoadExecutable(bundle)) << name;
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("ZarinFixtureAnswer")), nullptr);
    testing::internal::GetCapturedStderr();
    CFRelease(bundle);
    CFRelease(url);
  }
  EXPECT_EQ(CFBundleCreate(kCFAllocatorDefault, nullptr), nullptr);
  EXPECT_FALSE(CFBundleLoadExecutable(nullptr));
}

TEST(CFBundle, MainBundleIsTheProgramFolder) {
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_EQ(main, CFBundleGetMainBundle());
  std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string folder = exe.substr(0, exe.rfind('/'));

  CFURLRef url = CFBundleCopyBundleURL(main);
  CFURLRef resources = CFBundleCopyResourcesDirectoryURL(main);
  EXPECT_EQ(CFURLGetPOSIXPath(url), folder);
  EXPECT_EQ(CFURLGetPOSIXPath(resources), folder);
  CFRelease(url);
  CFRelease(resources);

  CFTypeRef version = CFBundleGetValueForInfoDictionaryKey(main, CFSTR("CFBundleShortVersionString"));
  ASSERT_EQ(CFGetTypeID(version), CFStringGetTypeID());
  EXPECT_EQ(CFStringToUTF8(static_cast<CFStringRef>(version)), "1.0");
  EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(main, CFSTR("NoSuchKey")), nullptr);
}

}  // namespace
