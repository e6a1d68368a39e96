// Steps that keep the instrument table or the instrument assignments.
#include "shell/base/memory_reserve.h"
#include "song/instruments/instrument_assignments.h"
#include "song/instruments/instrument_table.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_instruments.h"
#include "song/undo/undo_steps.h"
#include "undo_fixture.h"

namespace {

class InstrumentUndoTest : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    ASSERT_EQ(noErr, CreateInstrumentTable(3, 0));
    rack_ = undo_test::NewRackWithPlugins(2, &plugins_);
    WriteU32BE(GetInstrumentRecord(1) + kInstInsertRack, rack_.id);
    RebuildInstrumentState();  // the derived fields as a live table has them
  }
  void TearDown() override {
    DisposeUndoRing();
    ReleaseRackPlugins(Handle(ReadU32BE(GetInstrumentRecord(1) + kInstInsertRack)));
    DisposeInstrumentTable();
    UndoFixture::TearDown();
  }
  Handle rack_;
  std::vector<uint32_t> plugins_;
};

int32_t RenameInstrument1(void*) {
  KeepInstrumentTableInUndo();
  SetCurrentUndoKind(38);
  uint8_t* record = GetInstrumentRecord(1);
  record[kInstName] = 3;
  std::memcpy(record + kInstName + 1, "Bas", 3);
  return 0;
}

std::string TableBytes() {
  std::string bytes = undo_test::Bytes(gInstrumentTable);
  for (int32_t i = 0; i < gInstrumentCount + gAuxBusCount + 1; ++i)
    bytes.replace(size_t(i) * kInstrumentSize + kInstInsertRack, 4, 4, '\0');
  return bytes;
}

TEST_F(InstrumentUndoTest, TheTableComesBackWithItsRackRunningTheSamePlugins) {
  std::string before = TableBytes();
  ASSERT_EQ(1, RunUndoableEdit(RenameInstrument1));
  std::string after = TableBytes();
  ASSERT_NE(before, after);
  Handle kept = GetCurrentUndoRecord()->instrumentTable;
  Handle keptRack(ReadU32BE(HandleData(kept) + kInstrumentSize + kInstInsertRack));
  EXPECT_NE(rack_, keptRack);
  EXPECT_TRUE(IsInsertRackShared(keptRack));
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(before, TableBytes()));
  Handle live(ReadU32BE(GetInstrumentRecord(1) + kInstInsertRack));
  EXPECT_FALSE(IsInsertRackShared(live));
  EXPECT_EQ(undo_test::RackImage(rack_), undo_test::RackImage(live));
  EXPECT_TRUE(IsInsertRackShared(rack_));  // the table kept by the record lists them
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_TRUE(undo_test::SameImage(after, TableBytes()));
  ResetUndoHistory();
  for (uint32_t p : plugins_) EXPECT_EQ(1, GetPluginUseCount(p));
}

TEST_F(InstrumentUndoTest, AssignmentStepsExchangeTheAssignments) {
  gInstrumentAssignments = NewHandleClear(4);
  HandleData(gInstrumentAssignments)[0] = 'A';
  ASSERT_EQ(noErr, RecordInstrumentAssignmentUndo());
  HandleData(gInstrumentAssignments)[0] = 'B';
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ('A', HandleData(gInstrumentAssignments)[0]);
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_EQ('B', HandleData(gInstrumentAssignments)[0]);
  DisposeUndoRing();
  DisposeHandleAndClear(&gInstrumentAssignments);
}

}  // namespace
