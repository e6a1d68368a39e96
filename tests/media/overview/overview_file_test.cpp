// Overview cache files: what is written reads back as the chain it came from; a damaged or
// foreign file is refused with its reason and leaves nothing behind; and the file a
// reference names is looked for where its alias says before any file of its name beside the
// song is taken.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "media/overview/overview_blocks.h"
#include "media/overview/overview_file_format.h"
#include "media/overview/reference_aliases.h"
#include "platform/files/aliases.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/document_file.h"
#include "tests/test_support.h"

namespace {

// A chain of channels blocks with distinct entries (the last appended not in use).
Handle MakeChain(int16_t channels, int32_t entries) {
  Handle first, last;
  for (int16_t c = 0; c < channels; ++c) {
    OverviewAppendState s;
    s.block = NewOverviewBlock(channels);
    s.capacity = kOverviewNewBlockBytes;
    for (int32_t i = 0; i < entries; ++i) AppendOverviewEntry(&s, 1 + i % 3, (i + c) % 100, (i + c) % 100 + 50);
    FinishOverviewBlock(&s);
    if (last) SetOverviewBlockNext(last, s.block);
    else first = s.block;
    last = s.block;
  }
  return first;
}

std::string Bytes(Handle chain) {
  std::string all;
  for (Handle b = chain; b; b = OverviewBlockNext(b)) {
    std::string one(HandleData(b), size_t(GetHandleSize(b)));
    std::fill(one.begin() + kOverviewNextAt, one.begin() + kOverviewNextAt + 8, '\0');
    all += one;
  }
  return all;
}

// The file's specification (a file not made yet answers fnfErr with its specification).
FSSpec SpecOf(const std::string& path) {
  FSSpec spec;
  OSErr err = PathToSpec(path, &spec);
  EXPECT_TRUE(err == noErr || err == fnfErr) << err;
  return spec;
}

class OverviewFile : public ::testing::Test {
 protected:
  zarin_test::TempFolder tmp_;
};

TEST_F(OverviewFile, AWrittenChainReadsBackBlockForBlock) {
  for (int16_t channels : {1, 2}) {
    SCOPED_TRACE(testing::Message() << channels << " channels");
    Handle chain = MakeChain(channels, 5000);
    FSSpec spec = SpecOf(tmp_.File("song.OVV"));
    ASSERT_EQ(noErr, WriteOverviewFile(&spec, chain));
    std::string file = zarin_test::ReadWholeFile(tmp_.File("song.OVV"));
    EXPECT_EQ(uint32_t(GetHandleSize(chain)), ReadU32BE(file.data()));
    Handle back;
    ASSERT_EQ(noErr, ReadOverviewFile(&spec, channels, &back));
    EXPECT_EQ(channels, CountOverviewBlocks(back));
    EXPECT_EQ(Bytes(chain), Bytes(back));
    DisposeOverviewBlocks(chain);
    DisposeOverviewBlocks(back);
  }
}

TEST_F(OverviewFile, ADamagedOrForeignCacheIsRefusedAndLeavesNothing) {
  Handle chain = MakeChain(2, 300);
  FSSpec spec = SpecOf(tmp_.File("good.OVV"));
  ASSERT_EQ(noErr, WriteOverviewFile(&spec, chain));
  DisposeOverviewBlocks(chain);
  const std::string good = zarin_test::ReadWholeFile(tmp_.File("good.OVV"));
  uint32_t firstSize = ReadU32BE(good.data());
  auto edited = [&](size_t at, uint32_t value) {
    std::string s = good;
    WriteU32BE(s.data() + at, value);
    return s;
  };
  struct Case {
    const char* name;
    std::string bytes;
    int16_t channels;
  };
  const Case cases[] = {
      {"empty", "", 2},
      {"cut in the second block", good.substr(0, good.size() - 7), 2},
      {"cut in a size", good.substr(0, 2), 2},
      {"a block shorter than its header", edited(0, 40), 2},
      {"a size beyond the file", edited(0, 0x7fffffff), 2},
      {"more entries in use than held", edited(4 + kOverviewCountAt, (firstSize - 80) / 2 + 1), 2},
      {"a negative count", edited(4 + kOverviewCountAt, 0xffffffff), 2},
      {"another channel count", good, 1},
      {"the first block says no more follow", edited(4 + kOverviewNextAt, 0), 2},
  };
  uint32_t handles = CountLiveHandles();
  int forks = CountOpenForks();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(zarin_test::WriteWholeFile(tmp_.File("bad.OVV"), c.bytes));
    FSSpec bad = SpecOf(tmp_.File("bad.OVV"));
    Handle back;
    EXPECT_EQ(kOverviewFileDamaged, ReadOverviewFile(&bad, c.channels, &back));
    EXPECT_EQ(Handle(), back);
    EXPECT_EQ(handles, CountLiveHandles());
    EXPECT_EQ(forks, CountOpenForks());
    EXPECT_EQ(c.bytes, zarin_test::ReadWholeFile(tmp_.File("bad.OVV")));  // the file is left as it is
  }
}

class ReferenceLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = gCurrentDocumentSpec;
    mkdir(tmp_.File("song").c_str(), 0755);
    mkdir(tmp_.File("media").c_str(), 0755);
    Write("song/Song.zs", "song");
    gCurrentDocumentSpec = SpecOf(tmp_.File("song/Song.zs"));
  }
  void TearDown() override { gCurrentDocumentSpec = saved_; }
  void Write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(zarin_test::WriteWholeFile(tmp_.File(name), bytes));
  }
  std::string PathOf(const FSSpec& spec) { return SpecToPath(&spec); }
  Handle AliasTo(const std::string& name) {
    FSSpec target = SpecOf(tmp_.File(name));
    AliasHandle alias;
    EXPECT_EQ(noErr, NewAlias(&gCurrentDocumentSpec, &target, &alias));
    return alias;
  }
  zarin_test::TempFolder tmp_;
  FSSpec saved_;
};

TEST_F(ReferenceLookup, TheAliasWinsOverAFileOfTheSameNameBesideTheSong) {
  Write("media/Audio 1.OVV", "the track's own");
  Write("song/Audio 1.OVV", "another song's");
  Handle alias = AliasTo("media/Audio 1.OVV");
  FSSpec found;
  Boolean changed = true;
  ASSERT_EQ(noErr, ResolveOverviewAlias(alias, &found, &changed, nullptr, nullptr));
  EXPECT_EQ(tmp_.File("media/Audio 1.OVV"), PathOf(found));
  EXPECT_FALSE(changed);
  ASSERT_EQ(noErr, ResolveMediaAlias(alias, &found, nullptr, nullptr));
  EXPECT_EQ(tmp_.File("media/Audio 1.OVV"), PathOf(found));
  DisposeHandle(alias);
}

TEST_F(ReferenceLookup, AFileMovedBesideTheSongIsTakenWhenTheCallerAcceptsIt) {
  Write("media/Audio 1.OVV", "moved");
  Handle alias = AliasTo("media/Audio 1.OVV");
  ASSERT_EQ(0, rename(tmp_.File("media/Audio 1.OVV").c_str(), tmp_.File("song/Audio 1.OVV").c_str()));
  FSSpec found;
  Boolean changed = false;
  auto refuse = [](const FSSpec*, void*) { return false; };
  std::string before(HandleData(alias), size_t(GetHandleSize(alias)));
  EXPECT_EQ(fnfErr, ResolveOverviewAlias(alias, &found, &changed, refuse, nullptr));
  EXPECT_EQ(before, std::string(HandleData(alias), size_t(GetHandleSize(alias))));  // not rewritten
  ASSERT_EQ(noErr, ResolveOverviewAlias(alias, &found, &changed, nullptr, nullptr));
  EXPECT_EQ(tmp_.File("song/Audio 1.OVV"), PathOf(found));
  EXPECT_TRUE(changed);
  Boolean again = false;
  ASSERT_EQ(noErr, ResolveAlias(&gCurrentDocumentSpec, alias, &found, &again));  // the alias was updated
  EXPECT_EQ(tmp_.File("song/Audio 1.OVV"), PathOf(found));
  EXPECT_EQ(fnfErr, MatchReferenceAlias(kMediaAliasRules, Handle(), &found, &changed, nullptr, nullptr));
  DisposeHandle(alias);
}

}  // namespace
