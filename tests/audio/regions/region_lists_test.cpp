// Region list edits on lists built from a compact description: each record a piece of a file
// (its first frame and length) or silence, each file frame 2 bytes. What the edits leave is
// read back in the same form, so that a border in the wrong place, a lost frame or a wrong
// file position shows as a different list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/engine/region_lookup.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/audio_region.h"

namespace {

constexpr int32_t kBytesPerFrame = 2;
constexpr uint32_t kDataOffset = 54;

// A record: `from` = the file frame it starts at (-1: silence), `frames` its length.
struct Piece {
  int64_t from;
  int64_t frames;
  bool operator==(const Piece& o) const { return from == o.from && frames == o.frames; }
};
std::ostream& operator<<(std::ostream& os, const Piece& p) { return os << "{" << p.from << "," << p.frames << "}"; }

void SetName(uint8_t* region, const char* name) {
  region[kRegionNameAt] = uint8_t(std::strlen(name));
  std::memcpy(region + kRegionNameAt + 1, name, std::strlen(name));
}

Handle MakeList(const std::vector<Piece>& pieces, const char* name = "take") {
  Handle list = NewHandleClear(Size(pieces.size()) * kRegionSize);
  for (size_t i = 0; i < pieces.size(); ++i) {
    uint8_t* r = RegionRecord(list, int32_t(i));
    r[kRegionBytesPerFrameAt] = kBytesPerFrame;
    WriteI32BE(r + kRegionStepAt, 1);
    SetName(r, name);
    if (pieces[i].from < 0) {
      WriteU16BE(r + kRegionFlagsAt, kRegionFlagSilent);
      InitRegionLength(r, kBytesPerFrame, pieces[i].frames, true);
    } else {
      WriteU32BE(r + kRegionFileOffsetAt, uint32_t(kDataOffset + pieces[i].from * kBytesPerFrame));
      WriteU16BE(r + kRegionFileIdAt, 7);
      InitRegionLength(r, kBytesPerFrame, pieces[i].frames, true);
    }
  }
  return list;
}

std::vector<Piece> Pieces(Handle list) {
  std::vector<Piece> out;
  for (int32_t i = 0; i < CountAudioRegions(list); ++i) {
    const uint8_t* r = RegionRecord(list, i);
    int64_t frames = RegionLength(r);
    if (IsSilentRegion(r)) {
      EXPECT_EQ(ReadU32BE(r + kRegionByteLengthAt), 0u) << "silence has no bytes";
      out.push_back({-1, frames});
      continue;
    }
    EXPECT_EQ(ReadU32BE(r + kRegionByteLengthAt), uint32_t(frames * kBytesPerFrame)) << "record " << i;
    out.push_back({(int64_t(ReadU32BE(r + kRegionFileOffsetAt)) - kDataOffset) / kBytesPerFrame, frames});
  }
  return out;
}

class RegionLists : public ::testing::Test {
 protected:
  void TearDown() override {
    if (list_) DisposeHandle(list_);
  }
  Handle list_;
};

}  // namespace

// Borders, silence and cuts: each case edits the list [0..1000) of file frames 0..999 and
// [1000..1500) of silence and [1500..1800) of file frames 5000..5299.
struct EditCase {
  const char* name;
  void (*edit)(Handle);
  std::vector<Piece> expected;
};

class RegionEdits : public RegionLists, public ::testing::WithParamInterface<EditCase> {};

TEST_P(RegionEdits, LeaveTheExpectedRecords) {
  list_ = MakeList({{0, 1000}, {-1, 500}, {5000, 300}});
  GetParam().edit(list_);
  EXPECT_EQ(Pieces(list_), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegionEdits,
    ::testing::Values(
        EditCase{"SplitInsideARegion", [](Handle l) { EXPECT_EQ(SplitRegionAt(l, 300, 1600), noErr); },
                 {{0, 300}, {300, 700}, {-1, 500}, {5000, 100}, {5100, 200}}},
        EditCase{"SplitAtBordersChangesNothing", [](Handle l) { EXPECT_EQ(SplitRegionAt(l, 1000, 1500), noErr); },
                 {{0, 1000}, {-1, 500}, {5000, 300}}},
        EditCase{"SplitPastTheEndExtendsWithSilence",
                 [](Handle l) { EXPECT_EQ(SplitRegionAt(l, 100, 2000), noErr); },
                 {{0, 100}, {100, 900}, {-1, 500}, {5000, 300}, {-1, 200}, {-1, 1}}},
        EditCase{"InsertSilenceSplitsTheRegion", [](Handle l) { EXPECT_EQ(InsertSilence(l, 250, 400), noErr); },
                 {{0, 250}, {-1, 150}, {250, 750}, {-1, 500}, {5000, 300}}},
        EditCase{"InsertSilencePastTheEndDoesNothing",
                 [](Handle l) { EXPECT_EQ(InsertSilence(l, 1800, 1900), noErr); },
                 {{0, 1000}, {-1, 500}, {5000, 300}}},
        EditCase{"SilenceInsideOneRegion",
                 [](Handle l) {
                   bool remove = false;
                   EXPECT_EQ(SetRegionRange(l, 100, 200, &remove, false), noErr);
                 },
                 {{0, 100}, {-1, 100}, {200, 800}, {-1, 500}, {5000, 300}}},
        EditCase{"CutAcrossRegions",
                 [](Handle l) {
                   bool remove = true;
                   EXPECT_EQ(SetRegionRange(l, 900, 1600, &remove, false), noErr);
                 },
                 {{0, 900}, {5100, 200}}},
        EditCase{"SilenceAcrossRegions",
                 [](Handle l) {
                   bool remove = false;
                   EXPECT_EQ(SetRegionRange(l, 900, 1600, &remove, false), noErr);
                 },
                 {{0, 900}, {-1, 700}, {5100, 200}}},
        EditCase{"CutInsideOneRegion",
                 [](Handle l) {
                   bool remove = true;
                   EXPECT_EQ(SetRegionRange(l, 1550, 1600, &remove, false), noErr);
                 },
                 {{0, 1000}, {-1, 500}, {5000, 50}, {5100, 200}}},
        EditCase{"CutFromTheStart",
                 [](Handle l) {
                   bool remove = true;
                   EXPECT_EQ(SetRegionRange(l, 0, 400, &remove, false), noErr);
                   NormalizeRegionList(l, false);
                 },
                 {{400, 600}, {-1, 500}, {5000, 300}}}),
    [](const ::testing::TestParamInfo<EditCase>& i) { return std::string(i.param.name); });

TEST_F(RegionLists, SplittingKeepsTheStepBackToTheFirstBorder) {
  list_ = MakeList({{0, 1000}, {-1, 500}, {5000, 300}});
  ASSERT_EQ(SplitRegionAt(list_, 300, 1600), noErr);
  // Records: {0,300} {300,700} {-1,500} {5000,100} {5100,200}: the one ending at 1600 jumps
  // back to the one starting at 300.
  EXPECT_EQ(ReadI32BE(RegionRecord(list_, 3) + kRegionStepAt), -2);
  EXPECT_EQ(ReadI32BE(RegionRecord(list_, 0) + kRegionStepAt), 1);
  EXPECT_TRUE(RegionFlags(RegionRecord(list_, 4)) & kRegionFlagSelected) << "the last region is selected";
  EXPECT_TRUE(RegionFlags(RegionRecord(list_, 1)) & kRegionFlagCopy) << "the second half never deletes the file";
  ClearRegionMarks(list_);
  for (int32_t i = 0; i < CountAudioRegions(list_); ++i) {
    EXPECT_EQ(ReadI32BE(RegionRecord(list_, i) + kRegionStepAt), 1);
    EXPECT_FALSE(RegionFlags(RegionRecord(list_, i)) & kRegionFlagSelected);
  }
}

TEST_F(RegionLists, AStartAfterTheEndIsRefused) {
  list_ = MakeList({{0, 1000}});
  bool remove = true;
  EXPECT_EQ(SetRegionRange(list_, 500, 400, &remove, false), paramErr);
  EXPECT_EQ(Pieces(list_), (std::vector<Piece>{{0, 1000}}));
  remove = false;
  EXPECT_EQ(SetRegionRange(list_, 1200, 1300, &remove, false), noErr);
  EXPECT_TRUE(remove) << "a range past the end reports the remove flag";
  EXPECT_EQ(Pieces(list_), (std::vector<Piece>{{0, 1000}}));
}

TEST_F(RegionLists, LongSilenceIsCutIntoFillerRecords) {
  list_ = MakeList({{0, 1000}});
  ASSERT_EQ(InsertSilence(list_, 10, 10 + 0x80000000LL), noErr);
  EXPECT_EQ(Pieces(list_), (std::vector<Piece>{{0, 10}, {-1, 0x3FFFFFFF}, {-1, 0x3FFFFFFF}, {-1, 2}, {10, 990}}));
}

TEST_F(RegionLists, NormalisingMergesOnlyTheSameFilesNextBytesUnderOneName) {
  list_ = MakeList({{0, 100}, {100, 50}, {-1, 10}, {-1, 20}, {500, 10}, {-1, 0}, {-1, 40}});
  NormalizeRegionList(list_, false);
  EXPECT_EQ(Pieces(list_), (std::vector<Piece>{{0, 150}, {-1, 30}, {500, 10}, {-1, 40}}));
  EXPECT_EQ(ReadU32BE(RegionRecord(list_, 0) + kRegionAvailableAt), 150u);

  Handle named = MakeList({{0, 100}, {100, 50}});
  SetName(RegionRecord(named, 1), "other");
  NormalizeRegionList(named, false);
  EXPECT_EQ(Pieces(named), (std::vector<Piece>{{0, 100}, {100, 50}})) << "different names stay apart";
  DisposeHandle(named);

  Handle gap = MakeList({{0, 100}, {101, 50}});
  NormalizeRegionList(gap, false);
  EXPECT_EQ(Pieces(gap).size(), 2u) << "a piece that does not start where the other ends stays";
  DisposeHandle(gap);
}

TEST_F(RegionLists, NormalisingSilenceOnly) {
  list_ = MakeList({{-1, 10}, {-1, 20}});
  EXPECT_EQ(NormalizeRegionList(list_, false), list_);
  EXPECT_EQ(Pieces(list_), (std::vector<Piece>{{-1, 30}})) << "one silent region remains";
  EXPECT_FALSE(NormalizeRegionList(list_, true)) << "disposed when it may be";
  list_ = Handle();
}

TEST_F(RegionLists, NormalisingKeepsMergedLengthsWithinTheLimit) {
  list_ = MakeList({{-1, 0x3FFFFFFF}, {-1, 0x3FFFFFFF}, {0, 10}});
  NormalizeRegionList(list_, false);
  EXPECT_EQ(Pieces(list_), (std::vector<Piece>{{-1, 0x3FFFFFFF}, {-1, 0x3FFFFFFF}, {0, 10}}));
}

TEST_F(RegionLists, AudibleRegionsAndSpans) {
  list_ = MakeList({{-1, 100}, {0, 0}, {0, 50}});
  EXPECT_FALSE(HasAudibleRegionInRange(list_, 0, 2)) << "silence and an empty piece are not audible";
  EXPECT_TRUE(HasAudibleRegions(list_));
  int64_t start = 0, end = 0;
  RegionSpan(list_, 2, &start, &end);
  EXPECT_EQ(start, 100);
  EXPECT_EQ(end, 150);
  SelectRegion(list_, 1);
  EXPECT_TRUE(RegionFlags(RegionRecord(list_, 1)) & kRegionFlagSelected);
  EXPECT_FALSE(RegionFlags(RegionRecord(list_, 2)) & kRegionFlagSelected);
}

TEST_F(RegionLists, PastingPutsTheGapsSilenceBeforeTheRecords) {
  list_ = MakeList({{0, 100}});
  Handle source = MakeList({{300, 20}, {900, 30}}, "clip");
  EXPECT_EQ(PasteRegions(source, 1, 2, list_, 1, 100, 160, 0), noErr);
  EXPECT_EQ(Pieces(list_), (std::vector<Piece>{{0, 100}, {-1, 60}, {900, 30}}));
  DisposeHandle(source);
}

TEST_F(RegionLists, APastedRegionWhoseFileCannotBeRegisteredPlaysSilence) {
  list_ = MakeList({{0, 100}});
  Handle source = MakeList({{300, 20}}, "clip");
  Handle alias = NewHandleClear(16);  // no alias record: it cannot be resolved
  WriteU32BE(RegionRecord(source, 0) + kRegionAliasAt, alias.id);
  EXPECT_NE(PasteRegions(source, 0, 1, list_, 1, 0, 0, 1), noErr);
  ASSERT_EQ(CountAudioRegions(list_), 2);
  EXPECT_TRUE(RegionFlags(RegionRecord(list_, 1)) & kRegionFlagMissing) << "no stale file reference plays";
  EXPECT_EQ(ReadU32BE(RegionRecord(source, 0) + kRegionAliasAt), 0u) << "the alias moved with the record";
  DisposeHandle(source);
}

TEST_F(RegionLists, ReplacingASpan) {
  Handle trackAudio = NewHandleClear(158);
  list_ = MakeList({{0, 1000}});
  SetTrackAudioRegionList(trackAudio, list_);
  Handle source = MakeList({{7000, 100}}, "clip");
  EXPECT_EQ(ReplaceRegions(trackAudio, 200, 300, source, 0, 1, false), noErr);
  EXPECT_EQ(Pieces(list_), (std::vector<Piece>{{0, 200}, {7000, 100}, {300, 700}}));
  // A track audio without a list gets one, the source placed at its position.
  Handle empty = NewHandleClear(158);
  EXPECT_EQ(ReplaceRegions(empty, 50, 150, source, 0, 1, false), noErr);
  Handle made = TrackAudioRegionList(empty);
  EXPECT_EQ(Pieces(made), (std::vector<Piece>{{-1, 50}, {7000, 100}}));
  DisposeHandle(made);
  DisposeHandle(empty);
  DisposeHandle(source);
  DisposeHandle(trackAudio);
}
