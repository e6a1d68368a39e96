// Edit buffers: sizing from the free memory, writing up to the limit, closing and shrinking.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "song/events/edit_buffers.h"

namespace {

class EditBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    budget_ = GetMemoryBudget();
    handles_ = CountLiveHandles();
    gInsufficientMemoryShown = 0;
  }
  void TearDown() override {
    SetMemoryBudget(budget_);
    EXPECT_EQ(handles_, CountLiveHandles());
  }
  // Leaves exactly free bytes as the largest free block.
  void SetFree(uint64_t free) { SetMemoryBudget(GetMemoryInUse() + free); }

  uint64_t budget_ = 0;
  uint32_t handles_ = 0;
};

TEST_F(EditBufferTest, SizedAsAShareOfTheFreeMemory) {
  struct Case {
    uint64_t free;
    bool single;
    int32_t n;
    Size size;
  } cases[] = {
      {100000, true, 1, 33616},                 // (100,000 - 32,768) / 2
      {50000000, true, 1, 4983616},             // the cap of 10,000,000 - 32,768, halved
      {100000, false, 1, 50424},                // three quarters
      {100000, true, 2, 16808},                 // two buffers held at once
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.free);
    EditBuffer buffer;
    SetFree(c.free);
    ASSERT_EQ(noErr, AllocateEditBufferShare(&buffer, c.single, c.n));
    SetMemoryBudget(budget_);
    EXPECT_EQ(c.size, GetEditBufferSize(&buffer));
    EXPECT_EQ(kEditBufferBusyErr, AllocateEditBufferShare(&buffer, c.single, c.n));
    ReleaseEditBuffer(&buffer, false);
  }
}

TEST_F(EditBufferTest, TooLittleMemoryAllocatesNothing) {
  // 20,000 bytes is below the margin; 33,000 leaves a share of 116 bytes, too small to hold
  // the safety margin and the end record.
  for (uint64_t free : {20000ull, 33000ull}) {
    SCOPED_TRACE(free);
    EditBuffer buffer;
    buffer.indexCount = 4;
    gInsufficientMemoryShown = 0;
    SetFree(free);
    EXPECT_EQ(memFullErr, AllocateEditBufferShare(&buffer, true, 1));
    SetMemoryBudget(budget_);
    EXPECT_FALSE(buffer.work);
    EXPECT_FALSE(buffer.index);
    EXPECT_NE(0, gInsufficientMemoryShown);
  }
}

TEST_F(EditBufferTest, IndexBlockBesideTheWorkBlock) {
  EditBuffer buffer;
  buffer.indexCount = 10;
  ASSERT_EQ(noErr, AllocateEditBufferBytes(&buffer, 1000));
  ASSERT_TRUE(buffer.index);
  EXPECT_EQ(60, GetHandleSize(buffer.index));
  Handle kept = DisposeEditBuffer(&buffer, true, false);
  EXPECT_TRUE(buffer.index);
  DisposeHandle(kept);
  ReleaseEditBuffer(&buffer, false);
  EXPECT_FALSE(buffer.index);
}

TEST_F(EditBufferTest, ClosingAnEmptyBufferLeavesTheEndRecord) {
  EditBuffer buffer;
  ASSERT_EQ(noErr, AllocateEditBufferBytes(&buffer, 4096));
  uint8_t* limit = OpenEditBuffer(&buffer);
  EXPECT_EQ(buffer.base + 4096 - kEditBufferSafety, limit);
  EXPECT_EQ(0, CloseEditBuffer(&buffer));
  Handle list = ReleaseEditBuffer(&buffer, true);
  ASSERT_EQ(14, GetHandleSize(list));
  const uint8_t zeros[14] = {};
  EXPECT_EQ(0, std::memcmp(zeros, HandleData(list), 14));
  DisposeHandle(list);
}

TEST_F(EditBufferTest, WrittenBytesAreKeptAndTheBlockShrinks) {
  EditBuffer buffer;
  ASSERT_EQ(noErr, AllocateEditBufferBytes(&buffer, 4096));
  OpenEditBuffer(&buffer);
  std::memset(buffer.cursor, 0x5A, 100);
  buffer.cursor += 100;
  ASSERT_EQ(noErr, GrowEditBuffer(&buffer, 10000));  // the written bytes follow the block
  EXPECT_GE(buffer.limit - buffer.cursor, 10000);
  EXPECT_EQ(100u, EditBufferUsed(&buffer));
  EXPECT_EQ(0, CloseEditBuffer(&buffer));
  EXPECT_EQ(114u, buffer.size);
  Handle list = ReleaseEditBuffer(&buffer, true);
  ASSERT_EQ(114, GetHandleSize(list));
  EXPECT_EQ(0x5A, uint8_t(HandleData(list)[99]));
  EXPECT_EQ(0, HandleData(list)[100]);
  DisposeHandle(list);
}

TEST_F(EditBufferTest, OverflowIsReportedAndTheListStillEnds) {
  EditBuffer buffer;
  ASSERT_EQ(noErr, AllocateEditBufferBytes(&buffer, 512));
  OpenEditBuffer(&buffer);
  // The writer reached its limit and says so.
  std::memset(buffer.cursor, 1, size_t(buffer.limit - buffer.cursor));
  buffer.cursor = buffer.limit;
  buffer.flags |= kEditBufferOverflow;
  EXPECT_EQ(1, CloseEditBuffer(&buffer));
  Handle list = ReleaseEditBuffer(&buffer, true);
  ASSERT_EQ(512 - kEditBufferSafety + kEditBufferEndRecord, GetHandleSize(list));
  EXPECT_EQ(0, HandleData(list)[GetHandleSize(list) - 1]);
  DisposeHandle(list);
  // A writer that ran past the limit without saying so is caught too.
  ASSERT_EQ(noErr, AllocateEditBufferBytes(&buffer, 512));
  OpenEditBuffer(&buffer);
  buffer.cursor = buffer.limit + 6;
  EXPECT_EQ(1, CloseEditBuffer(&buffer));
  EXPECT_EQ(Size(512 - kEditBufferSafety + kEditBufferEndRecord), GetEditBufferSize(&buffer));
  ReleaseEditBuffer(&buffer, false);
}

}  // namespace
