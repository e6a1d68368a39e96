// The outputs file and the track output bindings that carry the tracks across a new table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/preferences_file.h"
#include "song/documents/instrument_table_io.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/midi_port_table.h"
#include "song/instruments/output_bindings.h"
#include "song/prefs/outputs_file.h"
#include "tests/song/prefs/prefs_fixture.h"

namespace prefs_test {
namespace {

using instrument_test::TrackSpec;

TrackSpec Track(std::vector<uint16_t> words, bool playsThroughTable = true) {
  TrackSpec t;
  t.words = std::move(words);
  t.playsThroughTable = playsThroughTable;
  return t;
}

class OutputsTest : public PrefsTest {
 protected:
  // Instrument i of a table: device kind 18, port 10 + i, channel i.
  void MakeOrderedTable(const std::vector<int32_t>& order) {
    ReleaseInstrumentPluginBlocks();
    DisposeInstrumentTable();
    MakeTable(int32_t(order.size()));
    for (size_t i = 0; i < order.size(); ++i)
      SetOutput(int32_t(i), kDeviceKindMidiPort, uint8_t(10 + order[i]), uint8_t(order[i]));
  }
  std::string OutputsPath() {
    FSSpec fileSpec;
    GetOutputsFileSpec(&fileSpec);
    return SpecToPath(&fileSpec);
  }
};

TEST_F(OutputsTest, FileNameReplacesTheLastCharacter) {
  FSSpec fileSpec;
  EXPECT_EQ(GetOutputsFileSpec(&fileSpec), 25);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(fileSpec.name + 1), fileSpec.name[0]), "Zarin 7 Preferenceoutputs");
}

// The file's table replaces the program's, and every track follows its output to wherever the
// instrument now stands.
TEST_F(OutputsTest, ReadingTheFileKeepsTheTracksOutputs) {
  MakeOrderedTable({3, 2, 1, 0});
  ASSERT_EQ(WriteOutputsFile(), noErr);
  std::string fileTable(*gInstrumentTable, size_t(GetHandleSize(gInstrumentTable)));

  MakeOrderedTable({0, 1, 2, 3});
  Handle song = MakeSongBlock({Track({0x0100, 0x0300}), Track({0x0000}, false), Track({0x0200})});
  OpenSongs({song});
  ASSERT_EQ(ReadOutputsFile(false), noErr);
  EXPECT_EQ(std::string(*gInstrumentTable, size_t(GetHandleSize(gInstrumentTable))), fileTable);
  EXPECT_EQ(Word(song, 0, 0), 0x0200) << "output 1 now stands at index 2";
  EXPECT_EQ(Word(song, 0, 1), 0x0000) << "output 3 now stands at index 0";
  EXPECT_EQ(Word(song, 1, 0), 0x0000) << "a track with its own output is left alone";
  EXPECT_EQ(Word(song, 2, 0), 0x0100);
}

TEST_F(OutputsTest, WrongCreatorOrFormatLeavesTheTable) {
  MakeOrderedTable({0, 1});
  ASSERT_EQ(WriteOutputsFile(), noErr);
  std::string good = zarin_test::ReadWholeFile(OutputsPath());
  MakeOrderedTable({5, 6, 7});
  Handle table = gInstrumentTable;
  std::string before(*table, size_t(GetHandleSize(table)));
  for (int32_t at : {0, 7}) {
    std::string bad = good;
    bad[size_t(at)] ^= 0x40;
    zarin_test::WriteWholeFile(OutputsPath(), bad);
    EXPECT_NE(ReadOutputsFile(false), noErr) << "byte " << at;
    EXPECT_EQ(gInstrumentTable, table);
    EXPECT_EQ(std::string(*table, size_t(GetHandleSize(table))), before);
  }
  zarin_test::WriteWholeFile(OutputsPath(), good.substr(0, good.size() - 3));
  EXPECT_NE(ReadOutputsFile(false), noErr);
  EXPECT_EQ(gInstrumentTable, table);
}

TEST_F(OutputsTest, MissingOutputs) {
  MakeOrderedTable({0, 1, 2});
  SetOutput(2, kDeviceKindPlugin, 4, 0);
  Handle song = MakeSongBlock({Track({0x0100, 0x0200})});
  OpenSongs({song});
  Handle snapshot;
  ASSERT_EQ(SaveTrackOutputs(&snapshot, 0), noErr);
  MakeOrderedTable({0});  // the MIDI output 1 and the plug-in output are gone
  RestoreTrackOutputs(snapshot, false);
  EXPECT_EQ(Word(song, 0, 0), 0x0100) << "a MIDI output that is gone leaves the word";
  ASSERT_EQ(gInstrumentCount, 2) << "the plug-in output gets an instrument of its own";
  InstrumentView added(GetInstrumentRecord(1));
  EXPECT_EQ(added.DeviceKind(0), kDeviceKindPlugin);
  EXPECT_EQ(Word(song, 0, 1), 0x0100);
}

TEST_F(OutputsTest, SnapshotGrowsBy400Bytes) {
  MakeOrderedTable({0, 1, 2});
  std::vector<TrackSpec> tracks(11, Track(std::vector<uint16_t>(11, 0x0200)));
  Handle song = MakeSongBlock(tracks);
  OpenSongs({song});
  Handle snapshot;
  ASSERT_EQ(SaveTrackOutputs(&snapshot, 0), noErr);
  EXPECT_EQ(ReadU32BE(*snapshot + 4), 121u);
  EXPECT_EQ(ReadU32BE(*snapshot), uint32_t(kSnapshotInitialSize + kSnapshotGrowth));
  EXPECT_EQ(GetHandleSize(snapshot), kSnapshotInitialSize + kSnapshotGrowth);
  const uint8_t* last = reinterpret_cast<const uint8_t*>(*snapshot) + kSnapshotHeader + 120 * kSnapshotEntrySize;
  EXPECT_EQ(last[0], kDeviceKindMidiPort);
  EXPECT_EQ(last[1], 12);
  EXPECT_EQ(last[2], 2);
  RestoreTrackOutputs(snapshot, false);
}

TEST_F(OutputsTest, RenumberingMovesUsedInstrumentsToTheFront) {
  MakeOrderedTable({0, 1, 2, 3});
  Handle song = MakeSongBlock({Track({0x0300}), Track({0x0100, 0x0300})});
  OpenSongs({song});
  Handle snapshot;
  ASSERT_EQ(SaveTrackOutputs(&snapshot, 0), noErr);
  RestoreTrackOutputs(snapshot, true);
  EXPECT_EQ(GetInstrumentRecord(0)[kInstChannels], 3);
  EXPECT_EQ(GetInstrumentRecord(1)[kInstChannels], 1);
  EXPECT_EQ(Word(song, 0, 0), 0x0000);
  EXPECT_EQ(Word(song, 1, 0), 0x0100);
  EXPECT_EQ(Word(song, 1, 1), 0x0000);
}

TEST_F(OutputsTest, UnusedInstrumentsAreRemoved) {
  MakeOrderedTable({0, 1, 2, 3});
  Handle song = MakeSongBlock({Track({0x0200}), Track({0x0000, 0x0200})});
  OpenSongs({song});
  RemoveUnusedInstruments();
  ASSERT_EQ(gInstrumentCount, 2);
  EXPECT_EQ(GetInstrumentRecord(0)[kInstChannels], 2) << "in the order the tracks use them";
  EXPECT_EQ(GetInstrumentRecord(1)[kInstChannels], 0);
  EXPECT_EQ(Word(song, 0, 0), 0x0000);
  EXPECT_EQ(Word(song, 1, 0), 0x0100);
  EXPECT_EQ(Word(song, 1, 1), 0x0000);
  EXPECT_FALSE(GetInstrumentRecord(0)[kInstFlags] & kInstFlagMarked);
}

TEST_F(OutputsTest, PortsAreLookedUpByTheirIds) {
  MakeOrderedTable({0});
  gPortTable = NewHandleClear(3 * kPortEntrySize);
  for (int32_t i = 0; i < 3; ++i) WriteU16BE(*gPortTable + i * kPortEntrySize, uint16_t(0x11 * (i + 1)));
  gPortCount = 3;
  uint8_t* r = GetInstrumentRecord(0);
  WriteU16BE(r + kInstPortValues, 0x33);
  r[kInstPorts] = 0;
  RefreshInstrumentPorts(0, true);
  EXPECT_EQ(GetInstrumentRecord(0)[kInstPorts], 2);
  WriteU16BE(GetInstrumentRecord(0) + kInstPortValues, 0x99);  // an id no port has
  RefreshInstrumentPorts(0, true);
  EXPECT_EQ(GetInstrumentRecord(0)[kInstPorts], 2);
}

}  // namespace
}  // namespace prefs_test
