// A fresh resource file, open and current, to put the texts and tables a test needs into.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "tests/test_support.h"

class ResourceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAllResFiles();
    ASSERT_EQ(PathToSpec(folder_.File("texts.rsrc"), &spec_) == noErr ||
                  PathToSpec(folder_.File("texts.rsrc"), &spec_) == fnfErr,
              true);
    FSpCreateResFile(&spec_, FourCC("test"), FourCC("rsrc"), -1);
    refNum_ = FSpOpenResFile(&spec_, fsRdWrPerm);
    ASSERT_NE(refNum_, -1);
  }
  void TearDown() override { CloseAllResFiles(); }

  void AddBytes(ResType type, int16_t id, const std::string& bytes) {
    UseResFile(refNum_);
    Handle h = NewHandle(Size(bytes.size()));
    std::memcpy(*h, bytes.data(), bytes.size());
    static const unsigned char kNoName[] = "";
    AddResource(h, type, id, kNoName);
    ASSERT_EQ(ResError(), noErr);
  }

  void AddStrList(int16_t id, const std::vector<std::string>& items) {
    std::string bytes(2, '\0');
    bytes[0] = char(items.size() >> 8);
    bytes[1] = char(items.size());
    for (const std::string& s : items) bytes += char(s.size()) + s;
    AddBytes(FourCC("STR#"), id, bytes);
  }

  zarin_test::TempFolder folder_;
  FSSpec spec_;
  int16_t refNum_ = -1;
};
