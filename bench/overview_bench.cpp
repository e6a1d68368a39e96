// Waveform overview computation of a 10-minute stereo 16-bit 48 kHz AIFF file (a ramp on one
// channel, a sine on the other) at 480 ticks per quarter and 120 beats per minute, beside
// reading the same file's bytes through the same fork calls, 64 KB at a time, in the same run.
// The file's pages are in the page cache for both (each is run after a warm-up), so the
// figures compare the computation with the bare cost of getting its bytes. Reported: bytes per
// second of each; the overview should reach at least half of the reading speed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/engine/region_lookup.h"
#include "audio/recording/aiff_header.h"
#include "audio/streams/stream_reads.h"
#include "media/overview/overview_blocks.h"
#include "media/overview/overview_compute.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_file.h"
#include "song/documents/media_references.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"

namespace {

constexpr int64_t kFrames = 48000LL * 600;
constexpr int32_t kFrameBytes = 4;

struct BenchFile {
  std::string path;
  int16_t fork = 0;
  uint32_t dataOffset = 0;
  Handle table, regions;
};

BenchFile& File() {
  static BenchFile f = [] {
    BenchFile b;
    b.path = "/var/tmp/zarin_overview_bench.aiff";
    FSSpec file;
    std::fclose(std::fopen(b.path.c_str(), "wb"));
    PathToSpec(b.path, &file);
    FSpOpenDF(&file, fsRdWrPerm, &b.fork);
    WriteAiffHeader(b.fork, 2, 16, FourCC("NONE"), uint64_t(kFrames) * kFrameBytes, uint32_t(kFrames), 48000.0);
    int64_t position = 0;
    FSGetForkPosition(b.fork, &position);
    b.dataOffset = uint32_t(position);
    std::vector<uint8_t> chunk(48000 * kFrameBytes);
    for (int64_t f = 0; f < kFrames; f += 48000) {
      for (int32_t i = 0; i < 48000; ++i) {
        int64_t n = f + i;
        WriteI16BE(&chunk[size_t(i) * 4], int16_t((n * 37) % 65536 - 32768));
        WriteI16BE(&chunk[size_t(i) * 4 + 2], int16_t(30000 * std::sin(double(n) * 0.05)));
      }
      ByteCount count = chunk.size();
      FSWriteFork(b.fork, fsAtMark, 0, count, chunk.data(), &count);
    }
    ResetSongDatabase();
    b.table = NewHandleClear(kReferencedFileSize);
    WriteU32BE(*b.table + kRefFork, uint32_t(b.fork));
    SetDocumentSlot(kReferencedFilesSlot, b.table);
    b.regions = NewHandleClear(kRegionSize);
    uint8_t* r = reinterpret_cast<uint8_t*>(*b.regions);
    WriteU32BE(r + kRegionFileOffsetAt, b.dataOffset);
    r[kRegionBytesPerFrameAt] = kFrameBytes;
    SetRegionLength(r, kFrames);
    return b;
  }();
  return f;
}

void BM_ReadFileBytes(benchmark::State& state) {
  BenchFile& f = File();
  std::vector<uint8_t> buffer(65536);
  for (auto _ : state) {
    int64_t at = f.dataOffset, end = f.dataOffset + kFrames * kFrameBytes;
    while (at < end) {
      uint32_t n = uint32_t(std::min<int64_t>(65536, end - at));
      ReadForkAtLocked(f.fork, fsFromStart, at, &n, buffer.data());
      benchmark::DoNotOptimize(buffer.data());
      at += n;
    }
  }
  state.SetBytesProcessed(state.iterations() * kFrames * kFrameBytes);
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

void BM_ComputeOverview(benchmark::State& state) {
  BenchFile& f = File();
  OverviewSource source;
  source.regions = f.regions;
  source.encoding = FourCC("NONE");
  source.bits = 16;
  source.channels = 2;
  source.rate = 48000;
  source.song = gCurrentSongHandle;
  for (auto _ : state) {
    Handle chain;
    if (ComputeOverviewChain(&source, 1, 0, &chain) != noErr) state.SkipWithError("no overview");
    DisposeOverviewBlocks(chain);
  }
  state.SetBytesProcessed(state.iterations() * kFrames * kFrameBytes);
}
BENCHMARK(BM_ComputeOverview)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

}  // namespace

BENCHMARK_MAIN();
