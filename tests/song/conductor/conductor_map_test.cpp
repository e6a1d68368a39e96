// The conductor map's storage, editing and state.
#include <cstring>

#include "conductor_fixture.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/conductor_edits.h"

namespace {

using MapTest = ConductorTest;

TEST_F(MapTest, NewSongHasOnlyTheEndRecordAndAnswersFromTheHeader) {
  EXPECT_EQ(0, Count());
  EXPECT_EQ(kConductorEnd, ConductorKind(Map()));
  EXPECT_EQ(kConductorEndTick, ConductorTick(Map()));
  EXPECT_EQ(0u, ReadU32BE(Song() + kSongConductorLength));
  EXPECT_EQ(0, GetConductorEndTick());
  GetConductorStateAt(100000);
  EXPECT_EQ(4, gConductorState.beatsPerBar);
  EXPECT_EQ(480, gConductorState.ticksPerBeat);
  EXPECT_EQ(1920, gConductorState.ticksPerBar);
  EXPECT_EQ(1200u, gConductorState.tempo);
}

TEST_F(MapTest, SettingValuesKeepsOneRecordPerKindAndTick) {
  TempoAt(1, 900);
  EXPECT_EQ(900, ReadU16BE(Song() + kSongTempo));
  EXPECT_EQ(0, Count());

  TempoAt(500, 1000);
  TempoAt(500, 1300);
  ASSERT_EQ(1, Count());
  EXPECT_EQ(1300, ConductorValue(Record(0)));

  gConductorState.key = 0x49;
  ASSERT_EQ(noErr, SetKeySignatureAt(500));
  ASSERT_EQ(2, Count());
  // A new kind at a tick goes in front of the records already there.
  EXPECT_EQ(kConductorKey, ConductorKind(Record(0)));
  EXPECT_EQ(0x49, Record(0)[kConductorValueOffset]);
  EXPECT_EQ(kConductorTempo, ConductorKind(Record(1)));
  EXPECT_EQ(20u, ReadU32BE(Song() + kSongConductorLength));
  EXPECT_EQ(501, GetConductorEndTick());
}

TEST_F(MapTest, RecordsStaySortedAndTheBlockGrowsInStepsOf100Bytes) {
  for (int32_t i = 0; i < 25; ++i) TempoAt((i * 7919) % 10007 + 2, 1000 + i);
  ASSERT_EQ(25, Count());
  for (int32_t i = 1; i < Count(); ++i)
    EXPECT_LT(ConductorTick(Record(i - 1)), ConductorTick(Record(i)));
  Handle h(ReadU32BE(Song() + kSongConductorMap));
  EXPECT_EQ(300, GetHandleSize(h));
  EXPECT_TRUE(ConductorKind(Record(25)) == kConductorEnd);
}

TEST_F(MapTest, InvalidKindsAreRefused) {
  uint8_t r[kConductorRecordSize];
  MakeConductorRecord(r, kConductorEnd, 0, 50, 0, 0);
  EXPECT_EQ(paramErr, SetConductorRecord(50, r));
  MakeConductorRecord(r, 7, 0, 50, 0, 0);
  EXPECT_EQ(paramErr, SetConductorRecord(50, r));
  EXPECT_EQ(0, Count());
}

TEST_F(MapTest, GrowthFailureLeavesTheMapUnchanged) {
  for (int32_t t = 2; t < 21; ++t) TempoAt(t * 10, 1000);  // fills the 200-byte block
  ASSERT_EQ(19, Count());
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse() + gMemoryReserve);
  EXPECT_EQ(memFullErr, SetTempoAt(1000, 5000));
  SetMemoryBudget(budget);
  EXPECT_EQ(19, Count());
  EXPECT_EQ(kConductorEnd, ConductorKind(Record(19)));
}

TEST_F(MapTest, StateAtAChangeShowsTheOldMeterAndKeyButTheNewTempo) {
  MeterAt(3841, 3, 4);
  TempoAt(3841, 900);
  gConductorState.key = 2;
  SetKeySignatureAt(3841);
  GetConductorStateAt(3841);
  EXPECT_EQ(4, gConductorState.beatsPerBar);
  EXPECT_EQ(0, gConductorState.key);
  EXPECT_EQ(900u, gConductorState.tempo);
  GetConductorStateAt(3842);
  EXPECT_EQ(3, gConductorState.beatsPerBar);
  EXPECT_EQ(1440, gConductorState.ticksPerBar);
  EXPECT_EQ(2, gConductorState.key);
}

TEST_F(MapTest, DeletingARangeEndingAtTheLastTickKeepsTheEndRecord) {
  TempoAt(100, 1000);
  TempoAt(200, 1000);
  gConductorState.key = 3;
  SetKeySignatureAt(150);
  gConductorRange[0] = 150;
  gConductorRange[1] = kConductorEndTick;
  DeleteTempoChangesInRange();
  EXPECT_EQ(kConductorEndTick - 1, gConductorRange[1]);
  ASSERT_EQ(2, Count());
  EXPECT_EQ(100, ConductorTick(Record(0)));
  EXPECT_EQ(kConductorKey, ConductorKind(Record(1)));
  EXPECT_EQ(kConductorEnd, ConductorKind(Record(2)));
}

TEST_F(MapTest, SortKeepsRecordsOfEqualTickInOrder) {
  uint8_t* m = nullptr;
  TempoAt(10, 1001);
  TempoAt(20, 1002);
  TempoAt(30, 1003);
  TempoAt(40, 1004);
  m = Map();
  WriteI32BE(m + 0 * kConductorRecordSize + kConductorTickOffset, 50);
  WriteI32BE(m + 2 * kConductorRecordSize + kConductorTickOffset, 20);
  SortConductorMap();
  const uint16_t expected[] = {1002, 1003, 1004, 1001};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(expected[i], ConductorValue(Record(i))) << i;
}

TEST_F(MapTest, DamagedMapsAreCutAtTheirLastWholeRecord) {
  TempoAt(100, 1000);
  TempoAt(200, 1000);
  WriteU32BE(Song() + kSongConductorLength, 5000);  // beyond the block
  EXPECT_EQ(2, Count());
  EXPECT_EQ(kConductorEnd, ConductorKind(Record(2)));
  EXPECT_EQ(20u, ReadU32BE(Song() + kSongConductorLength));

  // A map whose first record has an invalid kind is reset when walked for the meter.
  Map()[0] = 9;
  EXPECT_EQ(paramErr, ValidateConductorMap(Song()));
  EXPECT_EQ(0, Count());
}

TEST_F(MapTest, InsertingAMeterOffTheBarLineSnapsItToTheBarLine) {
  SetTimeSignature(3, 4);
  uint8_t r[kConductorRecordSize];
  MakeConductorRecord(r, kConductorMeter, 3, 0, 480, 1440);
  ASSERT_EQ(noErr, InsertConductorRecordAt(r, 4000));
  ASSERT_EQ(1, Count());
  EXPECT_EQ(3841, ConductorTick(Record(0)));
  // A meter written at tick 1 goes into the header.
  MakeConductorRecord(r, kConductorMeter, 6, 0, 240, 1440);
  ASSERT_EQ(noErr, InsertConductorRecordAt(r, 1));
  EXPECT_EQ(6, Song()[kSongBeatsPerBar]);
  EXPECT_EQ(240, ReadU16BE(Song() + kSongTicksPerBeat));
}

TEST_F(MapTest, RemovingTimeDeletesChangesInsideAndMovesLaterOnesBack) {
  TempoAt(1000, 900);
  TempoAt(3000, 1500);
  TempoAt(9000, 1800);
  SelectTicks(2000, 5000);
  ShiftConductorRecords(-3000);
  ASSERT_EQ(2, Count());
  EXPECT_EQ(1000, ConductorTick(Record(0)));
  EXPECT_EQ(6000, ConductorTick(Record(1)));
  // Inserting time moves the records at and behind the selection start.
  SelectTicks(1000, 1000);
  ShiftConductorRecords(500);
  EXPECT_EQ(1500, ConductorTick(Record(0)));
  EXPECT_EQ(6500, ConductorTick(Record(1)));
}

TEST_F(MapTest, RemovingTimeKeepsAChangeThatStoodAtTheSelectionStart) {
  TempoAt(2000, 900);
  SelectTicks(2000, 3000);
  ShiftConductorRecords(-1000);
  GetConductorStateAt(2000);
  EXPECT_EQ(900u, gConductorState.tempo);
}

TEST_F(MapTest, ScalingTimesNeverMovesARecordBeforeTheSongStart) {
  TempoAt(100, 900);
  TempoAt(4000, 1000);
  SelectTicks(1, 5000);
  ScaleConductorTimesInSelection(-2.0, uint64_t(1) << kConductorTempo);
  ASSERT_EQ(2, Count());
  EXPECT_EQ(1, ConductorTick(Record(0)));
  EXPECT_EQ(1, ConductorTick(Record(1)));
  SelectTicks(1, 0x7ffffff0);
  TempoAt(5000, 1000);
  ScaleConductorTimesInSelection(0.5, uint64_t(1) << kConductorTempo);
  EXPECT_EQ(2500, ConductorTick(Record(Count() - 1)));
}

TEST_F(MapTest, MasterVolumeRampOverOneTick) {
  gConductorRange[0] = 100;
  gConductorRange[1] = 101;
  MasterVolumeEditValues v;
  v.rampFirst = 100;
  v.rampLast = 90;
  ASSERT_EQ(noErr, EditMasterVolumeInRange(v, kMasterVolumeRamp));
  ASSERT_EQ(2, Count());
  EXPECT_EQ(100, ConductorTick(Record(0)));
  EXPECT_EQ(100, ConductorValue(Record(0)));
  EXPECT_EQ(101, ConductorTick(Record(1)));
  EXPECT_EQ(90, ConductorValue(Record(1)));
}

TEST_F(MapTest, MasterVolumeAddAndPercentClampTheLevels) {
  SetMasterVolumeAt(100, 10);
  SetMasterVolumeAt(20, 20);
  gConductorRange[0] = 1;
  gConductorRange[1] = kConductorEndTick;
  MasterVolumeEditValues v;
  v.amount = 40;
  EditMasterVolumeInRange(v, kMasterVolumeAdd);
  EXPECT_EQ(127, ConductorValue(Record(0)));
  EXPECT_EQ(60, ConductorValue(Record(1)));
  v.percentage = 50;
  EditMasterVolumeInRange(v, kMasterVolumePercent);
  EXPECT_EQ(64, ConductorValue(Record(0)));
  EXPECT_EQ(30, ConductorValue(Record(1)));
  GetConductorStateAt(15);
  EXPECT_EQ(64, gConductorState.masterVolume);
}

}  // namespace
