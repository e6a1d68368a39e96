// The remap table's rules: a missing port is proposed the present port of the nearest name
// (nothing when no name is near), a full table takes no more pairs, and only pairs in the
// table are rewritten.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/midi_port_table.h"
#include "song/instruments/output_remap.h"

namespace {

class OutputRemapTable : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = gPortTable;
    savedCount_ = gPortCount;
    gPortTable = NewHandleClear(8 * kPortEntrySize);
    gPortCount = 0;
    AddPort("Synth A", true);
    AddPort("Drum Box", true);
    AddPort("[Synth B]", false);
    ClearRemapTable();
  }
  void TearDown() override {
    DisposeHandle(gPortTable);
    gPortTable = saved_;
    gPortCount = savedCount_;
    ClearRemapTable();
  }
  static void AddPort(const std::string& name, bool present) {
    uint8_t* e = reinterpret_cast<uint8_t*>(*gPortTable) + gPortCount * kPortEntrySize;
    WriteU16BE(e, uint16_t(gPortCount + 1));
    WriteU16BE(e + 2, present ? 0xFFFE : kPortStateAbsentValue);
    e[kPortEntryName] = uint8_t(name.size());
    std::memcpy(e + kPortEntryName + 1, name.data(), name.size());
    ++gPortCount;
  }
  static void P(const std::string& s, Str255 out) {
    out[0] = uint8_t(s.size());
    std::memcpy(out + 1, s.data(), s.size());
  }
  Handle saved_;
  uint8_t savedCount_ = 0;
};

TEST_F(OutputRemapTable, AMissingPortIsProposedThePresentPortOfTheNearestName) {
  struct Case {
    const char* missing;
    bool found;
    uint8_t port;
  } cases[] = {{"[Synth A]", true, 0}, {"[Drum Box 2]", true, 1}, {"[Piano]", false, 0}};
  for (const Case& c : cases) {
    Str255 name;
    P(c.missing, name);
    uint8_t kind = 0, port = 0;
    EXPECT_EQ(c.found, FindSimilarPort(name, &kind, &port)) << c.missing;
    if (c.found) EXPECT_EQ(c.port, port) << c.missing;
  }
  Str255 name;
  EXPECT_TRUE(IsOutputMissing(kDeviceKindMidiPort, 2, name)) << "the absent port is present";
  EXPECT_FALSE(IsOutputMissing(kDeviceKindMidiPort, 0, name));
  EXPECT_FALSE(IsOutputMissing(kDeviceKindMidiPort, 40, name)) << "a port the table does not list is not missing";
}

TEST_F(OutputRemapTable, EightEntriesAtMostAndOnlyTheirPairsAreRewritten) {
  Str255 none = {0};
  for (uint8_t p = 0; p < 10; ++p) AddPortRemap(kDeviceKindMidiPort, uint8_t(100 + p), none);
  AddPortRemap(kDeviceKindMidiPort, 100, none);
  EXPECT_EQ(kMaxRemapEntries, gRemapCount);
  gRemapTable[0].newKind = kDeviceKindMidiPort;
  gRemapTable[0].newPort = 1;
  uint8_t kind = kDeviceKindMidiPort, port = 100;
  EXPECT_TRUE(RemapOutput(&kind, &port));
  EXPECT_EQ(1, port);
  port = 109;  // beyond the eighth entry: kept as stored
  EXPECT_FALSE(RemapOutput(&kind, &port));
  EXPECT_EQ(109, port);
}

}  // namespace
