// The stream reads a channel issues for its two halves: the pool of read requests, reads of a
// ramp file (each 32-bit word holds its own index, so a byte from the wrong place or an old
// refill shows) served by the disk thread and inline across many refills and a locate, short
// reads and missing files giving silence and a latched error, regions in memory or silent,
// and the next read position folding into a loop.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/engine/audio_hooks.h"
#include "audio/engine/engine_file_requests.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/disk_thread.h"
#include "audio/streams/stream_media_hooks.h"
#include "audio/streams/stream_reads.h"
#include "audio/streams/stream_regions.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "tests/audio/streams/pcm_file_header.h"
#include "song/documents/document_file.h"
#include "song/documents/media_references.h"
#include "tests/test_support.h"

using zarin_test::TempFolder;

namespace {

constexpr int32_t kRampWords = 1 << 17;
constexpr int32_t kHalfBytes = 4096;

std::string WriteRampFile(const TempFolder& tmp, int32_t words) {
  std::string path = tmp.File("ramp.raw");
  std::vector<uint8_t> bytes(size_t(words) * 4);
  for (int32_t i = 0; i < words; ++i) WriteU32BE(&bytes[size_t(i) * 4], uint32_t(i));
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

// A region record: file data from byte `offset` on, with the flags (and a block in memory).
std::vector<uint8_t> Region(uint32_t offset, uint16_t flags, Handle block = Handle()) {
  std::vector<uint8_t> r(256, 0);
  WriteU32BE(&r[kRegionFileOffsetAt], offset);
  WriteU16BE(&r[kRegionFlagsAt], flags);
  WriteU32BE(&r[kRegionMemoryBlockAt], block.id);
  return r;
}

bool WaitForHalf(const EngineChannel& c, int32_t half) {
  for (int i = 0; i < 50000; ++i) {
    if (c.halfCompleted[half].load() == c.halfRequested[half].load()) return true;
    usleep(100);
  }
  return false;
}

// The first word that differs from the ramp starting at word `first`, or -1.
int32_t FirstRampMismatch(const uint8_t* bytes, int32_t count, uint32_t first) {
  for (int32_t i = 0; i < count / 4; ++i)
    if (ReadU32BE(bytes + i * 4) != first + uint32_t(i)) return i;
  return -1;
}

class StreamReads : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallAudioHooks();
    TakeEngineError();
    if (!gDiskQueue.running.load()) {
      ASSERT_EQ(StartDiskThread(), 0);
    }
    ResetReadRequestPool();
    for (auto& h : halves_) h.assign(kHalfBytes, 0xAA);
  }
  void TearDown() override {
    if (fork_) FSCloseFork(fork_);
    ResetReadRequestPool();
    TakeEngineError();
  }
  // Issues the read of `half` at the channel's read position as the refill does, waits for it
  // and moves the other half's position on.
  StreamFileRequest* ReadHalf(EngineChannel& c, int32_t half, const std::vector<uint8_t>& region,
                              EngineWorker* worker, int32_t bytes = kHalfBytes) {
    StreamFileRequest* r = AcquireReadRequest();
    if (!r) return nullptr;
    r->owner = &c;
    r->forkRefNum = fork_;
    r->positionMode = kStreamReadMode;
    r->buffer = halves_[half].data();
    SetRequestPosition(r, c.readPosition[half]);
    uint8_t ready = 0;
    ReadRegionData(region.data(), 0, r, bytes, &ready, half, worker);
    EXPECT_TRUE(WaitForHalf(c, half));
    SetNextReadPosition(&c, half, bytes);
    return r;
  }
  TempFolder tmp_;
  FSIORefNum fork_ = 0;
  std::vector<uint8_t> halves_[2];
};

}  // namespace

TEST_F(StreamReads, ThePoolRotatesAndRefusesWhenEveryRequestIsBusy) {
  for (const StreamFileRequest& r : gReadRequests) {
    EXPECT_EQ(r.result.load(), 0);
    EXPECT_EQ(r.positionMode, kStreamReadMode);
  }
  StreamFileRequest* taken[kReadRequestCount];
  for (int32_t i = 0; i < kReadRequestCount; ++i) {
    taken[i] = AcquireReadRequest();
    ASSERT_EQ(taken[i], &gReadRequests[i]) << "the scan starts after the cursor and wraps";
    EXPECT_EQ(taken[i]->result.load(), kReadRequestBusy);
  }
  EXPECT_EQ(AcquireReadRequest(), nullptr);
  for (const StreamFileRequest& r : gReadRequests) EXPECT_EQ(r.result.load(), kReadRequestBusy);
  // A request freed with an error (below 1) is free again; the scan finds it from the cursor.
  taken[7]->result.store(-39);
  taken[30]->result.store(0);
  EXPECT_EQ(AcquireReadRequest(), taken[7]);
  EXPECT_EQ(AcquireReadRequest(), taken[30]);
  EXPECT_EQ(AcquireReadRequest(), nullptr);
}

TEST_F(StreamReads, HalvesReadAheadInOrderAcrossManyRefillsAndALocate) {
  fork_ = stream_test::OpenReadFork(WriteRampFile(tmp_, kRampWords));
  ASSERT_NE(fork_, 0);
  std::vector<uint8_t> region = Region(0, 0);
  for (EngineWorker* worker : {&gDiskQueue, static_cast<EngineWorker*>(nullptr)}) {
    EngineChannel c;
    c.readPosition[0] = 4 * 100;  // the stream starts at word 100
    uint32_t expected = 100;
    for (int32_t refill = 0; refill < 120; ++refill) {
      int32_t half = refill & 1;
      if (refill == 60) {  // a locate: the next half reads from word 20000
        c.readPosition[half] = 4 * 20000;
        expected = 20000;
      }
      StreamFileRequest* r = ReadHalf(c, half, region, worker);
      ASSERT_NE(r, nullptr);
      ASSERT_EQ(r->result.load(), noErr) << refill;
      ASSERT_EQ(FirstRampMismatch(halves_[half].data(), kHalfBytes, expected), -1) << "refill " << refill;
      expected += kHalfBytes / 4;
    }
    EXPECT_EQ(c.halfRequested[0].load(), 60u);
    EXPECT_EQ(c.halfRequested[1].load(), 60u);
  }
  EXPECT_EQ(gEngineError.load(), 0);
}

TEST_F(StreamReads, AShortReadOrAMissingFileIsSilenceAndALatchedError) {
  fork_ = stream_test::OpenReadFork(WriteRampFile(tmp_, 1024));  // 4096 bytes
  ASSERT_NE(fork_, 0);
  EngineChannel c;
  c.readPosition[0] = 4096 - 1000;  // only 1000 bytes are left
  StreamFileRequest* r = ReadHalf(c, 0, Region(0, 0), &gDiskQueue);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->result.load(), kStreamErrShortRead);
  EXPECT_EQ(r->actualCount, 1000u);
  EXPECT_EQ(FirstRampMismatch(halves_[0].data(), 1000, 1024 - 250), -1);
  for (int32_t i = 1000; i < kHalfBytes; ++i) ASSERT_EQ(halves_[0][size_t(i)], 0) << "stale byte at " << i;
  EXPECT_EQ(TakeEngineError(), kStreamErrShortRead);

  FSCloseFork(fork_);
  fork_ = 999;  // a file that is no longer open
  c.readPosition[1] = 0;
  r = ReadHalf(c, 1, Region(0, 0), nullptr);
  ASSERT_NE(r, nullptr);
  EXPECT_LT(r->result.load(), 0);
  for (uint8_t b : halves_[1]) ASSERT_EQ(b, 0);
  EXPECT_EQ(TakeEngineError(), r->result.load());
  EXPECT_EQ(c.halfCompleted[1].load(), c.halfRequested[1].load()) << "a failed read still counts as served";
  fork_ = 0;
}

TEST_F(StreamReads, SilentAndMemoryRegionsNeverTouchTheDisk) {
  EngineChannel c;
  StreamFileRequest* r = AcquireReadRequest();
  ASSERT_NE(r, nullptr);
  r->owner = &c;
  r->buffer = halves_[0].data();
  uint8_t ready = 0;
  for (uint16_t flags : {kRegionFlagSilent, kRegionFlagMissing}) {
    halves_[0].assign(kHalfBytes, 0xAA);
    r->result.store(kReadRequestBusy);
    SetRequestPosition(r, 12345);
    EXPECT_EQ(ReadRegionData(Region(0, flags).data(), 0, r, 512, &ready, 0, &gDiskQueue), 0);
    EXPECT_EQ(r->result.load(), 0);
    EXPECT_EQ(ready, 0) << "silence leaves the ready byte alone";
    for (int i = 0; i < 512; ++i) ASSERT_EQ(halves_[0][size_t(i)], 0);
    EXPECT_EQ(halves_[0][512], 0xAA) << "nothing beyond the bytes asked";
  }
  EXPECT_EQ(c.halfRequested[0].load(), 0u);

  // A region in memory: its block holds the ramp from the region's first byte (file offset 800).
  Handle block = NewHandle(4 * 1000);
  for (int32_t i = 0; i < 1000; ++i) WriteU32BE(*block + i * 4, uint32_t(i));
  std::vector<uint8_t> region = Region(800, kRegionFlagInMemory, block);
  SetRequestPosition(r, 800 + 4 * 300);
  EXPECT_EQ(ReadRegionData(region.data(), 0, r, 4 * 200, &ready, 0, nullptr), 0);
  EXPECT_EQ(ready, 1);
  EXPECT_EQ(FirstRampMismatch(halves_[0].data(), 4 * 200, 300), -1);
  EXPECT_EQ(gEngineError.load(), 0);
  // Past the block's end: the rest is silence and an error.
  halves_[0].assign(kHalfBytes, 0xAA);
  SetRequestPosition(r, 800 + 4 * 900);
  ReadRegionData(region.data(), 0, r, 4 * 200, &ready, 0, nullptr);
  EXPECT_EQ(FirstRampMismatch(halves_[0].data(), 4 * 100, 900), -1);
  for (int32_t i = 400; i < 800; ++i) ASSERT_EQ(halves_[0][size_t(i)], 0);
  EXPECT_EQ(TakeEngineError(), kStreamErrShortRead);
  // Nothing asked: nothing done but a free request.
  r->result.store(kReadRequestBusy);
  EXPECT_EQ(ReadRegionData(region.data(), 0, r, 0, &ready, 0, nullptr), 0);
  EXPECT_EQ(r->result.load(), 0);
  DisposeHandle(block);
}

TEST_F(StreamReads, TheNextPositionFoldsIntoTheLoop) {
  struct Case {
    uint8_t loop;
    int64_t loopLength, loopBase, regionLoop, from;
    int32_t bytes;
    int64_t expected;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 1000, 500, 1500},           // no loop
      {1, 4000, 0, 0, 3800, 500, 300},         // wraps at the loop's length
      {1, 4000, 1000, 0, 4800, 400, 1200},     // a loop from byte 1000: 5200 -> 1000 + 200
      {0, 4000, 1000, 0, 4800, 400, 5200},     // the channel does not loop
      {0, 0, 0, 3000, 2900, 200, 100},         // the region loops at its length
      {0, 0, 0, 3000, 2000, 200, 2200},
  };
  for (const Case& k : cases) {
    EngineChannel c;
    c.loop = k.loop;
    c.loopLength = k.loopLength;
    c.loopBase = k.loopBase;
    c.regionLoopBytes = k.regionLoop;
    c.readPosition[1] = k.from;
    SetNextReadPosition(&c, 1, k.bytes);
    EXPECT_EQ(c.readPosition[0], k.expected) << k.from << " + " << k.bytes;
    EXPECT_EQ(c.readPosition[1], k.from) << "this half's own position stays";
  }
  EXPECT_EQ(RegionLoopOffset(1000, 44100.0f, 3, 44100.0f), 3000);
  EXPECT_EQ(RegionLoopOffset(1000, 44100.0f, 3, 88200.0f), 6000);
  EXPECT_EQ(RegionLoopOffset(1000, 0.0f, 2, 48000.0f), 2000) << "no rate: no conversion";
}

namespace {

int32_t gDecodes[2] = {0, 0};
int32_t CountingDecode(EngineChannel*, int32_t half, void* block, uint8_t* atEnd) {
  ++gDecodes[half];
  static_cast<uint8_t*>(block)[0] = uint8_t(half + 1);
  *atEnd = 1;
  return 0;
}

}  // namespace

TEST_F(StreamReads, DecodeWorkRunsTheDecoderInlineOrOnTheDiskThread) {
  EngineChannel c;
  uint8_t halves[2][16] = {};
  c.halfBuffer[0] = halves[0];
  c.halfBuffer[1] = halves[1];
  c.reader = CountingDecode;
  c.halfBusy[1] = 1;
  c.halfRequested[1].fetch_add(1);
  EXPECT_EQ(RequestStreamWork(&c, kStreamWorkDecodeHalf1, nullptr), 0);
  EXPECT_EQ(gDecodes[1], 1);
  EXPECT_EQ(halves[1][0], 2);
  EXPECT_EQ(c.halfBusy[1], 0);
  EXPECT_EQ(c.halfCompleted[1].load(), 1u);
  c.halfRequested[0].fetch_add(1);
  EXPECT_EQ(RequestStreamWork(&c, kStreamWorkDecodeHalf0, &gDiskQueue), 0);
  EXPECT_TRUE(WaitForHalf(c, 0));
  EXPECT_EQ(gDecodes[0], 1);
  EXPECT_EQ(RequestStreamWork(&c, 3, nullptr), 0) << "other codes do nothing";
  EXPECT_EQ(gDecodes[0] + gDecodes[1], 2);
}

namespace {

// A decoder that writes a ramp into the whole block and answers `answer`.
int16_t gDecoderAnswer = 0;
int16_t RampDecoder(EngineChannel* c, int32_t, void* block, uint8_t*) {
  for (int32_t i = 0; i < c->decodedBlockBytes; ++i) static_cast<uint8_t*>(block)[i] = uint8_t(i + 1);
  return gDecoderAnswer;
}

}  // namespace

// Codes 4 and 5 run the channel's decode procedure. A decoder that fails leaves its half silent
// (never what it or an earlier decode wrote), keeps the first error for the report at
// disposal and does not latch it as the engine's; the Ogg decoder that media does not provide
// gives silence too.
TEST_F(StreamReads, AFailedDecodeLeavesItsHalfSilentAndKeepsTheError) {
  struct Case {
    const char* name;
    StreamDecodeProc decoder;
    int16_t answer;
    bool silent;
    int16_t kept;
  } cases[] = {
      {"decoded", RampDecoder, 0, false, 0},
      {"decoder error", RampDecoder, -43, true, -43},
      {"no Ogg decoder", DecodeOggStream, 0, true, -4},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EngineChannel c;
    std::vector<uint8_t> halves[2] = {std::vector<uint8_t>(64, 0x55), std::vector<uint8_t>(64, 0x55)};
    c.halfBuffer[0] = halves[0].data();
    c.halfBuffer[1] = halves[1].data();
    c.decodedBlockBytes = 64;
    c.decodeProc = k.decoder;
    gDecoderAnswer = k.answer;
    c.halfRequested[1].fetch_add(1);
    EXPECT_EQ(RequestStreamWork(&c, kStreamWorkDecodeHalf1, nullptr), 0);
    EXPECT_EQ(c.halfCompleted[1].load(), 1u) << "the half is served whatever the decoder said";
    EXPECT_EQ(c.halfReady[1], k.silent ? 0 : 1);
    EXPECT_EQ(c.pendingError, k.kept);
    EXPECT_EQ(TakeEngineError(), 0) << "one track's bad data does not stop the engine";
    for (int32_t i = 0; i < 64; ++i) ASSERT_EQ(halves[1][size_t(i)], k.silent ? 0 : uint8_t(i + 1)) << i;
    EXPECT_EQ(halves[0][0], 0x55) << "the other half is left alone";
  }
}

// Before a stream plays, its short regions are read into memory once (from their file's open
// fork, at their own offset) and regions of a missing file, or of no file entry at all, are
// marked missing so that they play silence instead of reading a fork that is not there.
TEST_F(StreamReads, ShortRegionsAreHeldInMemoryAndMissingFilesAreMarked) {
  fork_ = stream_test::OpenReadFork(WriteRampFile(tmp_, 4096));
  ASSERT_NE(fork_, 0);
  Handle table = NewHandleClear(2 * kReferencedFileSize);
  WriteU32BE(*table + kRefFork, uint32_t(fork_));
  WriteU16BE(*table + kReferencedFileSize + kRefFlags, kRefMissing);
  Handle savedTable = GetDocumentSlot(kReferencedFilesSlot);
  SetDocumentSlot(kReferencedFilesSlot, table);
  struct Case {
    const char* name;
    uint16_t entry;
    uint16_t flags;
    uint8_t bytesPerFrame;
    uint64_t frames;
    uint16_t want;
  } cases[] = {
      {"2048 bytes", 0, 0, 4, 512, kRegionFlagInMemory},
      {"2049 bytes stream", 0, 0, 1, 2049, 0},
      {"missing file", 1, 0, 4, 10, kRegionFlagMissing},
      {"no file entry", 7, 0, 4, 10, kRegionFlagMissing},
      {"silence", 7, kRegionFlagSilent, 4, 10, kRegionFlagSilent},
  };
  constexpr int32_t kCount = int32_t(sizeof(cases) / sizeof(cases[0]));
  Handle list = NewHandleClear(kCount * 256);
  for (int32_t i = 0; i < kCount; ++i) {
    uint8_t* r = reinterpret_cast<uint8_t*>(*list) + i * 256;
    WriteU32BE(r + kRegionFileOffsetAt, uint32_t(4 * (100 + i)));
    r[kRegionBytesPerFrameAt] = cases[i].bytesPerFrame;
    WriteU16BE(r + kRegionFileIndexAt, cases[i].entry);
    WriteU16BE(r + kRegionFlagsAt, cases[i].flags);
    WriteU64BE(r + 128, cases[i].frames);
  }
  PrepareStreamRegions(list);
  for (int32_t i = 0; i < kCount; ++i) {
    SCOPED_TRACE(cases[i].name);
    const uint8_t* r = reinterpret_cast<uint8_t*>(*list) + i * 256;
    EXPECT_EQ(ReadU16BE(r + kRegionFlagsAt), cases[i].want);
    Handle block(ReadU32BE(r + kRegionMemoryBlockAt));
    EXPECT_EQ(bool(block), cases[i].want == kRegionFlagInMemory);
    if (!block) continue;
    ASSERT_EQ(GetHandleSize(block), 2048);
    EXPECT_EQ(FirstRampMismatch(reinterpret_cast<uint8_t*>(*block), 2048, 100 + uint32_t(i)), -1);
  }
  ReleaseRegionBlocks(list);
  EXPECT_EQ(ReadU16BE(*list + kRegionFlagsAt), 0);
  EXPECT_EQ(ReadU32BE(*list + kRegionMemoryBlockAt), 0u);
  SetDocumentSlot(kReferencedFilesSlot, savedTable);
  DisposeHandle(table);
  DisposeHandle(list);
}
