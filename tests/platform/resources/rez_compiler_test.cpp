// The resource compiler: text compiled, written and read back through the Resource
// Manager; errors reported with their line; the application's own sources compile.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "tests/test_support.h"
#include "tools/rezc/rez_compiler.h"

namespace {

using zarin_test::ReadWholeFile;
using zarin_test::TempFolder;
using zarin_test::WriteWholeFile;

std::string Contents(Handle h) { return h ? std::string(*h, size_t(GetHandleSize(h))) : "<none>"; }

std::string IndString(SInt16 list, SInt16 index) {
  Str255 s;
  GetIndString(s, list, index);
  return std::string(reinterpret_cast<char*>(s + 1), s[0]);
}

class RezCompilerTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseAllResFiles(); }

  // Compiles text, writes it as a data-fork resource file and opens it.
  void CompileAndOpen(const std::string& text) {
    ResourceForkImage image;
    RezDiagnostic error;
    ASSERT_TRUE(CompileResourceSource(text, "test.r", folder_.path(), &image, &error)) << FormatRezDiagnostic(error);
    std::string path = folder_.File("out.rsrc");
    ASSERT_EQ(WriteDataForkResourceFile(path, image), noErr);
    SInt16 refNum = -1;
    ASSERT_EQ(OpenAppResourceFile(path, &refNum), noErr);
  }

  TempFolder folder_;
};

TEST_F(RezCompilerTest, CompiledTextReadsBackThroughTheResourceManager) {
  ASSERT_TRUE(WriteWholeFile(folder_.File("blob.bin"), std::string("\x01\x02", 2)));
  CompileAndOpen(R"(
    # comments and blank lines are skipped
    resource 'STR#' 129 "General texts" purgeable {
      "first item"
      "quote \" backslash \\ hex \x41"   // escapes
      "café …"
    }
    resource 'STR ' 200 { "one string" }
    resource 'SERR' 128 { errtable { -43 "File not found." -39 "End of file." } }
    resource 'SERR' -50 { rangetable { "a" "bc" } }
    resource 'XXXX' 1 locked {
      u8 1 i8 -1 u16 0x1234 i16 -3 u32 4 i32 -5 ostype 'TEXT'
      pstring "p" cstring "c" text "t" hex "DE ad" zeros 2 file "blob.bin"
    }
  )");
  EXPECT_EQ(IndString(129, 1), "first item");
  EXPECT_EQ(IndString(129, 2), "quote \" backslash \\ hex A");
  EXPECT_EQ(IndString(129, 3), "caf\x8E \xC9");  // UTF-8 became Mac Roman
  EXPECT_EQ(IndString(129, 4), "");
  EXPECT_EQ(GetResAttrs(GetResource(FourCC("STR#"), 129)), resPurgeable);
  EXPECT_EQ(Contents(GetString(200)), std::string("\x0Aone string"));

  std::string table = Contents(GetResource(FourCC("SERR"), 128));
  ASSERT_EQ(table.size(), 4u + 8u + 16u + 13u);
  EXPECT_EQ(ReadI16BE(table.data()), 2);
  EXPECT_EQ(ReadI16BE(table.data() + 4), -43);
  EXPECT_STREQ(table.data() + ReadI16BE(table.data() + 6), "File not found.");
  EXPECT_EQ(ReadI16BE(table.data() + 8), -39);
  EXPECT_STREQ(table.data() + ReadI16BE(table.data() + 10), "End of file.");
  EXPECT_EQ(Contents(GetResource(FourCC("SERR"), -50)), std::string("\0\2\1a\2bc", 7));

  const char expected[] = "\x01\xFF\x12\x34\xFF\xFD\0\0\0\4\xFF\xFF\xFF\xFBTEXT\1p" "c\0t\xDE\xAD\0\0\x01\x02";
  Handle x = GetResource(FourCC("XXXX"), 1);
  EXPECT_EQ(Contents(x), std::string(expected, sizeof expected - 1));
  EXPECT_EQ(GetResAttrs(x), resLocked);
}

TEST_F(RezCompilerTest, ErrorsNameTheirLine) {
  struct Case {
    const char* text;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"resource 'STR ' 1 { \"a\" }\nresource 'STR' 2 { }", 2, "exactly 4"},
      {"resource 'STR#' 1 {\n \"a\"\n \"b\n}", 3, "not closed"},
      {"resource 'DATA' 1 {\n\n u8 256 }", 3, "out of range"},
      {"resource 'DATA' 1 {\n frob 1 }", 2, "unknown directive"},
      {"resource 'DATA' 40000 { }", 1, "out of range"},
      {"resource 'DATA' 1 { }\n\nresource 'DATA' 1 { }", 3, "defined twice"},
      {"resource 'DATA' 1 {\n hex \"abc\" }", 2, "odd number"},
      {"resource 'DATA' 1 {\n file \"nowhere.bin\" }", 2, "cannot read"},
      {"resource 'STR ' 1 { \"\xE2\x82\xAC\xF0\x9F\x8E\xB5\" }", 1, "no Mac Roman"},
      {"resource 'DATA' 1 {\n u8 1\n", 3, "'}' expected"},
      {"resources 'DATA' 1 { }", 1, "'resource' expected"},
  };
  for (const Case& c : cases) {
    ResourceForkImage image;
    RezDiagnostic error;
    EXPECT_FALSE(CompileResourceSource(c.text, "bad.r", folder_.path(), &image, &error)) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text << " -> " << error.message;
    EXPECT_NE(error.message.find(c.message), std::string::npos) << c.text << " -> " << error.message;
    EXPECT_EQ(FormatRezDiagnostic(error).rfind("bad.r:" + std::to_string(c.line) + ": ", 0), 0u);
  }
}

// The application's resources compile, and the texts the error reporter relies on are there.
TEST_F(RezCompilerTest, ApplicationSourcesCompile) {
  std::string text;
  for (const char* name : {"errors.r", "strings.r"}) {
    text += ReadWholeFile(std::string(ZARIN_SOURCE_DIR) + "/resources/" + name) + "\n";
  }
  CompileAndOpen(text);
  EXPECT_EQ(IndString(505, 14), "The disk is full.");  // code 13
  EXPECT_FALSE(IndString(129, 72).empty());
  std::string table = Contents(GetResource(FourCC("SERR"), 128));
  bool hasFnf = false;
  for (int k = 0; k < ReadI16BE(table.data()); ++k) {
    if (ReadI16BE(table.data() + 4 + 4 * k) == -43) hasFnf = true;
  }
  EXPECT_TRUE(hasFnf);
  std::string range = Contents(GetResource(FourCC("SERR"), -50));
  EXPECT_EQ(ReadI16BE(range.data()), 10);  // covers -50 .. -41
}

}  // namespace
