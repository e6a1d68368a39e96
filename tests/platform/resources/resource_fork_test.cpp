// The fork format: images survive a write and a read, and forks that lie are refused.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/memory/byte_order.h"
#include "platform/resources/resource_fork.h"

namespace {

ResourceRecord Rec(const char (&type)[5], SInt16 id, const char* name, UInt8 attrs, std::string data) {
  ResourceRecord rec;
  rec.type = FourCC(type);
  rec.id = id;
  rec.hasName = name != nullptr;
  rec.name = name ? name : "";
  rec.attributes = attrs;
  rec.data = std::move(data);
  return rec;
}

// Two types: 'TEXT' 128 "one", 'TEXT' -5 (no name), 'DATA' 7 "seven".
ResourceForkImage SampleImage() {
  ResourceForkImage image;
  image.fileAttributes = mapCompact;
  image.resources = {Rec("TEXT", 128, "one", resPurgeable, "abc"), Rec("TEXT", -5, nullptr, 0, ""),
                     Rec("DATA", 7, "seven", resLocked | resPreload, std::string(10, '\x7f'))};
  return image;
}

std::string SampleFork() {
  std::string bytes;
  EXPECT_EQ(SerializeResourceFork(SampleImage(), &bytes), noErr);
  return bytes;
}

void ExpectSameRecords(const ResourceForkImage& a, const ResourceForkImage& b) {
  ASSERT_EQ(a.resources.size(), b.resources.size());
  EXPECT_EQ(a.fileAttributes, b.fileAttributes);
  for (size_t i = 0; i < a.resources.size(); ++i) {
    const ResourceRecord& x = a.resources[i];
    const ResourceRecord& y = b.resources[i];
    EXPECT_EQ(x.type, y.type);
    EXPECT_EQ(x.id, y.id);
    EXPECT_EQ(x.hasName, y.hasName);
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.attributes, y.attributes);
    EXPECT_EQ(x.data, y.data);
  }
}

// Where the parts of a serialised fork lie.
struct Layout {
  explicit Layout(const std::string& b) : bytes(b) {}
  const std::string& bytes;
  uint32_t Map() const { return ReadU32BE(bytes.data() + 4); }
  uint32_t TypeList() const { return Map() + ReadU16BE(bytes.data() + Map() + 24); }
  uint32_t Type(int t) const { return TypeList() + 2 + 8 * t; }
  uint32_t Ref(int t, int r) const { return TypeList() + ReadU16BE(bytes.data() + Type(t) + 6) + 12 * r; }
  uint32_t NameList() const { return Map() + ReadU16BE(bytes.data() + Map() + 26); }
};

void Put16(std::string* b, size_t at, uint16_t v) { WriteU16BE(b->data() + at, v); }
void Put32(std::string* b, size_t at, uint32_t v) { WriteU32BE(b->data() + at, v); }
void Put24(std::string* b, size_t at, uint32_t v) {  // data offset after the attribute byte
  Put32(b, at, (ReadU32BE(b->data() + at) & 0xFF000000u) | v);
}

TEST(ResourceFork, ImageSurvivesWriteAndRead) {
  std::string bytes = SampleFork();
  ResourceForkImage parsed;
  ASSERT_EQ(ParseResourceMap(bytes, &parsed), noErr);
  ExpectSameRecords(SampleImage(), parsed);
  // The writer's layout: data at 256, the map right after, a header copy at its start.
  EXPECT_EQ(ReadU32BE(bytes.data()), 256u);
  EXPECT_EQ(bytes.compare(Layout(bytes).Map(), 16, bytes, 0, 16), 0);
  std::string again;
  ASSERT_EQ(SerializeResourceFork(parsed, &again), noErr);
  EXPECT_EQ(again, bytes);
}

TEST(ResourceFork, EmptyMapAndEmptyFork) {
  ResourceForkImage parsed;
  EXPECT_EQ(ParseResourceMap(EmptyResourceFork(), &parsed), noErr);
  EXPECT_TRUE(parsed.resources.empty());
  EXPECT_EQ(ParseResourceMap("", &parsed), kResEofErr);
}

TEST(ResourceFork, EveryTruncationIsRefused) {
  std::string bytes = SampleFork();
  for (size_t n = 0; n < bytes.size(); ++n) {
    ResourceForkImage parsed;
    OSErr err = ParseResourceMap(bytes.substr(0, n), &parsed);
    EXPECT_TRUE(err == kResEofErr || err == mapReadErr) << "length " << n << " gave " << err;
    EXPECT_TRUE(parsed.resources.empty());
  }
}

TEST(ResourceFork, MapsThatLieAreRefused) {
  using Mutation = std::function<void(std::string*, const Layout&)>;
  struct Case {
    const char* what;
    Mutation mutate;
    OSErr expected;
  };
  const Case cases[] = {
      {"map offset past the end", [](std::string* b, const Layout&) { Put32(b, 4, 0x10000000); }, kResEofErr},
      {"data length past the end", [](std::string* b, const Layout&) { Put32(b, 8, 0x7FFFFFFF); }, kResEofErr},
      {"map length too short", [](std::string* b, const Layout&) { Put32(b, 12, 20); }, mapReadErr},
      {"type list past the map", [](std::string* b, const Layout& l) { Put16(b, l.Map() + 24, 0xFFF0); }, mapReadErr},
      {"type list inside the map header", [](std::string* b, const Layout& l) { Put16(b, l.Map() + 24, 4); }, mapReadErr},
      {"name list past the map", [](std::string* b, const Layout& l) { Put16(b, l.Map() + 26, 0xFFF0); }, mapReadErr},
      {"type count too large", [](std::string* b, const Layout& l) { Put16(b, l.TypeList(), 500); }, mapReadErr},
      {"negative type count", [](std::string* b, const Layout& l) { Put16(b, l.TypeList(), 0x8000); }, mapReadErr},
      {"reference count too large", [](std::string* b, const Layout& l) { Put16(b, l.Type(0) + 4, 300); }, mapReadErr},
      {"reference list outside the map", [](std::string* b, const Layout& l) { Put16(b, l.Type(1) + 6, 0xFF00); }, mapReadErr},
      {"name offset outside the name list", [](std::string* b, const Layout& l) { Put16(b, l.Ref(0, 0) + 2, 0x7000); }, mapReadErr},
      {"negative name offset", [](std::string* b, const Layout& l) { Put16(b, l.Ref(0, 0) + 2, 0xFFFE); }, mapReadErr},
      {"name running past the map", [](std::string* b, const Layout& l) { (*b)[l.NameList()] = char(200); }, mapReadErr},
      {"data offset past the data area", [](std::string* b, const Layout& l) { Put24(b, l.Ref(0, 0) + 4, 0x00FFFF); }, mapReadErr},
      {"data length past the data area", [](std::string* b, const Layout&) { Put32(b, 256, 5000); }, mapReadErr},
      {"negative data length", [](std::string* b, const Layout&) { Put32(b, 256, 0xFFFFFFF0u); }, mapReadErr},
      {"two resources sharing data", [](std::string* b, const Layout& l) { Put24(b, l.Ref(0, 1) + 4, 0); }, mapReadErr},
  };
  const std::string good = SampleFork();
  for (const Case& c : cases) {
    std::string bytes = good;
    c.mutate(&bytes, Layout(good));
    ResourceForkImage parsed;
    EXPECT_EQ(ParseResourceMap(bytes, &parsed), c.expected) << c.what;
    EXPECT_TRUE(parsed.resources.empty()) << c.what;
  }
}

TEST(ResourceFork, ResourcesThatDoNotFitTheFormatAreRefused) {
  std::string bytes;
  ResourceForkImage longName;
  longName.resources = {Rec("TEXT", 1, nullptr, 0, "")};
  longName.resources[0].hasName = true;
  longName.resources[0].name.assign(256, 'n');
  EXPECT_EQ(SerializeResourceFork(longName, &bytes), addResFailed);

  // Data offsets are 24 bits: a resource starting past 16 MB cannot be written.
  ResourceForkImage big;
  big.resources = {Rec("DATA", 1, nullptr, 0, std::string(kResourceMaxDataOffset + 1, '\0')),
                   Rec("DATA", 2, nullptr, 0, "x")};
  EXPECT_EQ(SerializeResourceFork(big, &bytes), addResFailed);
}

}  // namespace
