// Layout, sizing, building, access and walks of the instrument table.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/instrument_table_io.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/song_layout.h"
#include "tests/song/instruments/instrument_fixture.h"

namespace instrument_test {
namespace {

Size TableSize() { return GetHandleSize(gInstrumentTable); }

TEST_F(InstrumentTableTest, AuxBusesSitBetweenInstrumentsAndTheMaster) {
  MakeTable(3);
  ASSERT_EQ(SetAuxBusCount(2, 19, 4, false), noErr);
  EXPECT_EQ(gInstrumentCount, 3);
  EXPECT_EQ(gAuxBusCount, 2);
  EXPECT_EQ(TableSize(), (3 + 2) * 256 + 256);
  for (int32_t b = 0; b < 2; ++b) {
    InstrumentView bus(GetInstrumentRecord(3 + b));
    EXPECT_EQ(bus.Flags(), kInstFlagActive | kInstFlagAuxBus);
    EXPECT_EQ(bus.DeviceKind(0), 19);
    EXPECT_EQ(bus.Port(0), 4);
    EXPECT_EQ(bus.Pan(), 64);
  }
  EXPECT_EQ(Name(3), "Aux 1");
  EXPECT_EQ(Name(4), "Aux 2");
  EXPECT_EQ(Name(GetMasterIndex()), "Master");
  EXPECT_EQ(GetMasterIndex(), 5);
  ASSERT_EQ(RecountInstrumentTable(), noErr);
  EXPECT_EQ(gInstrumentCount, 3);
  EXPECT_EQ(gAuxBusCount, 2);
}

TEST_F(InstrumentTableTest, AddingLandsBeforeTheAuxBusesAndKeepsThem) {
  MakeTable(2);
  ASSERT_EQ(SetAuxBusCount(1, 19, 0, false), noErr);
  SetInstrumentVolume(GetInstrumentRecord(2), 99);
  SetInstrumentVolume(GetMasterEntry(), 77);
  uint8_t record[kInstrumentSize];
  InitInstrumentRecord(record, 9, kDeviceKindMidiPort, 1, reinterpret_cast<ConstStr255Param>("\004Bass"), 0);
  ASSERT_EQ(AddInstrumentRecord(record), noErr);
  EXPECT_EQ(gInstrumentCount, 3);
  EXPECT_EQ(Name(2), "Bass-10");
  EXPECT_EQ(InstrumentView(GetInstrumentRecord(3)).Volume(), 99);
  EXPECT_TRUE(GetInstrumentRecord(3)[kInstFlags] & kInstFlagAuxBus);
  EXPECT_EQ(InstrumentView(GetMasterEntry()).Volume(), 77);
  EXPECT_EQ(Name(GetMasterIndex()), "Master");
}

TEST_F(InstrumentTableTest, AFullTableTakesNoMore) {
  MakeTable(kMaxInstruments);
  std::vector<uint8_t> before(*gInstrumentTable, *gInstrumentTable + TableSize());
  uint8_t record[kInstrumentSize];
  InitInstrumentRecord(record, 0, kDeviceKindMidiPort, 0, nullptr, 0);
  EXPECT_EQ(AddInstrumentRecord(record), noErr);
  EXPECT_EQ(gInstrumentCount, kMaxInstruments);
  ASSERT_EQ(TableSize(), Size(before.size()));
  EXPECT_EQ(std::memcmp(*gInstrumentTable, before.data(), before.size()), 0);
  Handle tail;
  int32_t clamped = 0;
  EXPECT_EQ(ResizeInstrumentTable(300, &tail, &clamped, 0), noErr);
  EXPECT_EQ(clamped, kMaxInstruments);
  RestoreAuxAndMasterEntries(tail);
}

TEST_F(InstrumentTableTest, AFailedResizeChangesNothing) {
  MakeTable(4);
  ASSERT_EQ(SetAuxBusCount(1, 19, 0, false), noErr);
  std::vector<uint8_t> before(*gInstrumentTable, *gInstrumentTable + TableSize());
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse() + 4096);
  Handle tail;
  int32_t clamped = 0;
  OSErr err = ResizeInstrumentTable(200, &tail, &clamped, 3);
  RestoreAuxAndMasterEntries(tail);
  SetMemoryBudget(budget);
  EXPECT_EQ(err, memFullErr);
  EXPECT_EQ(gInstrumentCount, 4);
  EXPECT_EQ(gAuxBusCount, 1);
  ASSERT_EQ(TableSize(), Size(before.size()));
  EXPECT_EQ(std::memcmp(*gInstrumentTable, before.data(), before.size()), 0);
}

TEST_F(InstrumentTableTest, RemovingAnAuxBusClearsSendsThatTargetedIt) {
  MakeTable(2);
  ASSERT_EQ(SetAuxBusCount(2, 19, 0, false), noErr);
  uint8_t* bus1 = GetInstrumentRecord(2);
  bus1[kInstSends + 3] = kSendOn;
  SetSendBus(bus1, 0, 2);
  SetSendBus(bus1, 1, 1);
  SetSendBus(GetInstrumentRecord(0), 3, 2);
  ASSERT_EQ(SetAuxBusCount(1, 19, 0, false), noErr);
  EXPECT_EQ(gAuxBusCount, 1);
  bus1 = GetInstrumentRecord(2);
  EXPECT_EQ(GetSendBus(bus1, 0), 0);
  EXPECT_EQ(GetSendBus(bus1, 1), 1);
  EXPECT_EQ(bus1[kInstSends + 3] & 0xF0, kSendOn);  // the flag nibble stays
  EXPECT_EQ(GetSendBus(GetInstrumentRecord(0), 3), 0);
  EXPECT_EQ(Name(GetMasterIndex()), "Master");
}

TEST_F(InstrumentTableTest, CountingRejectsOrCutsCorruptTables) {
  struct Case {
    Size size;
    std::vector<int32_t> auxRecords;  // indexes carrying flag 0x04
    OSErr err;
    int32_t count, aux;
    Size sizeAfter;
  };
  const Case cases[] = {
      {0, {}, kBadInstrumentTableErr, -1, -1, 0},
      {100, {}, kBadInstrumentTableErr, -1, -1, 100},
      {256, {0}, noErr, 0, 0, 256},                         // the master alone; its flag is cleared
      {3 * 256 + 17, {}, noErr, 2, 0, 3 * 256},              // cut to whole records
      {4 * 256, {1, 2}, noErr, 1, 2, 4 * 256},
      {4 * 256, {0, 1, 2}, noErr, 0, 3, 4 * 256},
      {12 * 256, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, noErr, 3, 8, 12 * 256},  // at most 8 buses
      {(kMaxInstruments + 1) * 256, {}, noErr, kMaxInstruments, 0, (kMaxInstruments + 1) * 256},
      {(kMaxInstruments + 2) * 256, {}, kBadInstrumentTableErr, -1, -1, (kMaxInstruments + 2) * 256},
      {(kMaxInstruments + 2) * 256, {kMaxInstruments}, noErr, kMaxInstruments, 1, (kMaxInstruments + 2) * 256},
      {(kMaxInstruments + kMaxAuxBuses + 2) * 256, {}, kBadInstrumentTableErr, -1, -1, 0},
  };
  for (const Case& k : cases) {
    Handle block = NewHandleClear(k.size);
    ASSERT_TRUE(block);
    for (int32_t i : k.auxRecords) (*block)[size_t(i) * 256] = kInstFlagAuxBus;
    int32_t count = -1, aux = -1;
    EXPECT_EQ(CountInstrumentTable(block, &count, &aux), k.err) << "size " << k.size;
    EXPECT_EQ(count, k.count) << "size " << k.size;
    EXPECT_EQ(aux, k.aux) << "size " << k.size;
    if (k.err == noErr) {
      EXPECT_EQ(GetHandleSize(block), k.sizeAfter);
      int32_t records = GetHandleSize(block) / 256;
      EXPECT_FALSE((*block)[size_t(records - 1) * 256] & kInstFlagAuxBus);
      for (int32_t i = 0; i < count; ++i) EXPECT_FALSE((*block)[size_t(i) * 256] & kInstFlagAuxBus);
    }
    DisposeHandle(block);
  }
}

TEST_F(InstrumentTableTest, NewRecordsAndTheirNames) {
  uint8_t r[kInstrumentSize];
  InitInstrumentRecord(r, 0, kDeviceKindPlugin, 3, reinterpret_cast<ConstStr255Param>("\024ABCDEFGHIJKLMNOPQRST"), 7);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(r + kInstName + 1), r[kInstName]), "ABCDEFOPQRST-1");
  InstrumentView view(r);
  EXPECT_EQ(view.Flags(), kInstFlagActive);
  EXPECT_EQ(view.PartMask(), 1);
  EXPECT_EQ(view.BendRange(), 2);
  EXPECT_EQ(view.VolumeController(), 7);
  EXPECT_EQ(view.PanController(), 10);
  EXPECT_EQ(view.Pan(), 64);
  EXPECT_EQ(view.Volume(), 127);
  EXPECT_EQ(view.Program(), -1);
  EXPECT_EQ(view.PortValue(0), 7);
  EXPECT_EQ(r[kInstSends + 2], 64);
  EXPECT_EQ(r[kInstSends + 3], kSendNewFlags);
  EXPECT_NE(view.DriverProc(0), 0u);

  // Trailing blanks and hyphens go before the channel is appended; channels are masked.
  InitInstrumentRecord(r, 37, kDeviceKindMidiPort, 0, reinterpret_cast<ConstStr255Param>("\013Strings--  "), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(r + kInstName + 1), r[kInstName]), "Strings-6");
  EXPECT_EQ(view.Channel(0), 37 & 15);
  InitInstrumentRecord(r, 37, 19, 0, nullptr, 0);
  EXPECT_EQ(view.Channel(0), 37);  // a device with an audio driver has 64 channels
  InitInstrumentRecord(r, 0, kDeviceKindNoOutput, 0, nullptr, 0);
  EXPECT_EQ(view.PartMask(), 0);
  EXPECT_EQ(view.DriverProc(0), 0u);
}

TEST_F(InstrumentTableTest, TrackInstrumentClipsToTheTable) {
  uint8_t track[kTrackEntrySize] = {};
  WriteU16BE(track + kTrackInstruments, 9 << 8);
  WriteU16BE(track + kTrackInstruments + 2, 2 << 8);
  EXPECT_EQ(GetTrackInstrument(track, 0), 9);  // an empty table returns the stored number
  MakeTable(5);
  EXPECT_EQ(GetTrackInstrument(track, 0), 4);
  EXPECT_EQ(GetTrackInstrument(track, 1), 2);
  EXPECT_EQ(GetTrackInstrument(track, 40), 4);  // no such word: channel 0's
}

int32_t CountVisit(void* arg, uint8_t* record) {
  auto* seen = static_cast<std::vector<int32_t>*>(arg);
  seen->push_back(gCurrentInstrument);
  EXPECT_EQ(record, GetInstrumentRecord(gCurrentInstrument));
  return gCurrentInstrument == 2 ? 42 : 0;
}

int32_t BlockVisit(void* block) {
  uint8_t* record = nullptr;
  std::memcpy(&record, block, sizeof record);
  EXPECT_EQ(record, GetInstrumentRecord(gCurrentInstrument));
  return 0;
}

TEST_F(InstrumentTableTest, WalksSetAndRestoreTheCurrentInstrument) {
  MakeTable(4);
  ASSERT_EQ(SetAuxBusCount(1, 19, 0, false), noErr);
  gCurrentInstrument = 1;
  std::vector<int32_t> seen;
  EXPECT_EQ(FindInstrument(CountVisit, &seen), 42);
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(gCurrentInstrument, 1);
  seen.clear();
  GetInstrumentRecord(2)[kInstFlags] = 0;
  EXPECT_EQ(ForEachInstrumentAndSpecial(CountVisit, &seen), 42);
  uint8_t* block[2] = {};
  ForEachInstrumentAll(BlockVisit, block);
  EXPECT_EQ(gCurrentInstrument, 1);
  GetInstrumentRecord(0)[kInstFlags] |= kInstFlagSelected;
  GetInstrumentRecord(3)[kInstFlags] |= kInstFlagSelected;
  EXPECT_EQ(CountFlaggedInstruments(7), 2);
  SelectAllInstruments();
  EXPECT_EQ(CountFlaggedInstruments(7), 4);
  EXPECT_FALSE(GetInstrumentRecord(4)[kInstFlags] & kInstFlagSelected);  // buses stay as they are
}

TEST_F(InstrumentTableTest, DisplayNumbersSkipEntriesLeftOut) {
  MakeTable(4);
  GetInstrumentRecord(1)[kInstNoDisplayNumber] = 1;
  NumberInstrumentsForDisplay(gInstruments);
  const uint16_t expected[] = {0, 1, 1, 2};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(InstrumentView(GetInstrumentRecord(i)).DisplayNumber(), expected[i]);
}

TEST_F(InstrumentTableTest, UnlinkingKeepsTheChainAndDropsLoneMembers) {
  MakeTable(4);
  for (int32_t i : {0, 1, 3}) GetInstrumentRecord(i)[kInstLinkGroup] = 5;
  RebuildLinkGroups();
  EXPECT_EQ(GetInstrumentRecord(0)[kInstLinkNext], 2);
  EXPECT_EQ(GetInstrumentRecord(1)[kInstLinkNext], 4);
  EXPECT_EQ(GetInstrumentRecord(3)[kInstLinkPrevious], 2);
  EXPECT_FALSE(GetInstrumentRecord(2)[kInstOptions] & kInstOptionLinked);
  gCurrentInstrument = 1;
  UnlinkInstrument();
  EXPECT_EQ(GetInstrumentRecord(0)[kInstLinkNext], 4);
  EXPECT_EQ(GetInstrumentRecord(3)[kInstLinkPrevious], 1);
  EXPECT_EQ(GetInstrumentRecord(1)[kInstLinkGroup], 0);
  EXPECT_FALSE(GetInstrumentRecord(1)[kInstOptions] & kInstOptionLinked);
  gCurrentInstrument = 0;
  UnlinkInstrument();  // instrument 3 is left alone: it leaves the group too
  EXPECT_EQ(GetInstrumentRecord(3)[kInstLinkGroup], 0);
  EXPECT_FALSE(GetInstrumentRecord(3)[kInstOptions] & kInstOptionLinked);
  // Link bytes from a file that point outside the table are ignored.
  GetInstrumentRecord(2)[kInstLinkPrevious] = 200;
  GetInstrumentRecord(2)[kInstLinkNext] = 4;
  GetInstrumentRecord(3)[kInstLinkPrevious] = 3;
  gCurrentInstrument = 2;
  UnlinkInstrument();
  EXPECT_EQ(GetInstrumentRecord(3)[kInstLinkPrevious], 0);
}

TEST_F(InstrumentTableTest, AnInstalledTableChainsItsGroupsAfresh) {
  MakeTable(4);
  GetInstrumentRecord(0)[kInstLinkGroup] = 7;
  GetInstrumentRecord(2)[kInstLinkGroup] = 7;
  GetInstrumentRecord(1)[kInstLinkPrevious] = 3;  // stale bytes from the file
  GetInstrumentRecord(3)[kInstOptions] |= kInstOptionLinked;
  Handle stored = NewHandle(TableSize());
  std::memcpy(HandleData(stored), HandleData(gInstrumentTable), size_t(TableSize()));
  InstallInstrumentTable(stored);
  EXPECT_EQ(GetInstrumentRecord(0)[kInstLinkNext], 3);
  EXPECT_EQ(GetInstrumentRecord(2)[kInstLinkPrevious], 1);
  EXPECT_EQ(GetInstrumentRecord(1)[kInstLinkPrevious], 0);
  EXPECT_TRUE(GetInstrumentRecord(0)[kInstOptions] & kInstOptionLinked);
  EXPECT_FALSE(GetInstrumentRecord(3)[kInstOptions] & kInstOptionLinked);
}

TEST_F(InstrumentTableTest, AltFlagOnSelectedOnly) {
  MakeTable(3);
  GetInstrumentRecord(1)[kInstFlags] |= kInstFlagSelected;
  SetSelectedInstrumentsAltFlag(true);
  EXPECT_TRUE(GetInstrumentRecord(1)[kInstFlags] & kInstFlagAlternate);
  EXPECT_FALSE(GetInstrumentRecord(0)[kInstFlags] & kInstFlagAlternate);
  SetSelectedInstrumentsAltFlag(false);
  EXPECT_FALSE(GetInstrumentRecord(1)[kInstFlags] & kInstFlagAlternate);
}

// Without the plug-in host a pasted record gets no rack, and the loss is said on stderr.
TEST(InstrumentPluginHooksTest, RackCopyNotInstalledCopiesNothingAndSaysSo) {
  InstrumentPluginHooks installed = gInstrumentPluginHooks;
  gInstrumentPluginHooks = InstrumentPluginHooks{};
  Handle rack = NewHandleClear(8);
  testing::internal::CaptureStderr();
  Handle copy = DuplicateInsertRack(rack);
  std::string said = testing::internal::GetCapturedStderr();
  gInstrumentPluginHooks = installed;
  EXPECT_FALSE(copy);
  EXPECT_NE(std::string::npos, said.find("insert rack not copied"));
  DisposeHandle(rack);
}

}  // namespace
}  // namespace instrument_test
