// Opening and saving a song document of 1,000,000 events, side by side with a plain read and
// a plain write of the same bytes. After the benchmarks the ratios are printed:
//   open / read  and  save / write   (target: at most 3).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int32_t kEvents = 1000000;
constexpr int32_t kTracks = 16;

std::string gFolder;
std::string gDocumentPath;
std::string gCopyPath;
std::string gBytes;

// Track t gets n events: notes (14 bytes) and controllers (8 bytes) in turn.
void FillTrack(int32_t t, int32_t n) {
  SetCurrentTrackIndex(t);
  std::vector<uint8_t> bytes;
  bytes.reserve(size_t(n) * 11 + kEndRecordSize);
  for (int32_t i = 0; i < n; ++i) {
    size_t at = bytes.size();
    uint32_t time = uint32_t(1 + i * 12);
    if (i % 2 == 0) {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], time, 0x90, uint8_t(i % 128), 100, 96);
    } else {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], time, 0xB0, 7, uint8_t(i % 128));
    }
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  EnsureTrackEventList();
  Handle list = GetCurrentTrackEventList();
  SetHandleSize(list, Size(bytes.size()));
  std::memcpy(*list, bytes.data(), bytes.size());
  WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
}

FSSpec SpecOf(const std::string& path) {
  FSSpec fileSpec;
  PathToSpec(path, &fileSpec);
  return fileSpec;
}

void MakeDocument() {
  char pattern[] = "/tmp/document_bench.XXXXXX";
  gFolder = mkdtemp(pattern);
  gDocumentPath = gFolder + "/million.bysq";
  gCopyPath = gFolder + "/copy";
  ResetSongDatabase();
  CreateSongTracks(kTracks, 1);
  for (int32_t t = 0; t < kTracks; ++t) FillTrack(t, kEvents / kTracks);
  FSSpec fileSpec = SpecOf(gDocumentPath);
  if (SaveSongDocument(&fileSpec, 0) != noErr) std::abort();
  FILE* f = std::fopen(gDocumentPath.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  gBytes.resize(size_t(std::ftell(f)));
  std::fseek(f, 0, SEEK_SET);
  if (std::fread(&gBytes[0], 1, gBytes.size(), f) != gBytes.size()) std::abort();
  std::fclose(f);
}

void OpenDocument() {
  FSSpec fileSpec = SpecOf(gDocumentPath);
  if (OpenSongFile(&fileSpec, 0, false) != noErr) std::abort();
}

void SaveDocument() {
  FSSpec fileSpec = SpecOf(gDocumentPath);
  if (SaveSongDocument(&fileSpec, 0) != noErr) std::abort();
}

void PlainRead() {
  std::string bytes(gBytes.size(), '\0');
  FILE* f = std::fopen(gDocumentPath.c_str(), "rb");
  size_t n = std::fread(&bytes[0], 1, bytes.size(), f);
  std::fclose(f);
  benchmark::DoNotOptimize(n);
}

// The same bytes to a new file beside, renamed over the copy (as a safe save does).
void PlainWrite() {
  std::string temp = gCopyPath + ".new";
  FILE* f = std::fopen(temp.c_str(), "wb");
  std::fwrite(gBytes.data(), 1, gBytes.size(), f);
  std::fclose(f);
  std::rename(temp.c_str(), gCopyPath.c_str());
}

void BM_OpenDocument(benchmark::State& state) {
  for (auto _ : state) OpenDocument();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gBytes.size()));
}
void BM_PlainRead(benchmark::State& state) {
  for (auto _ : state) PlainRead();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gBytes.size()));
}
void BM_SaveDocument(benchmark::State& state) {
  for (auto _ : state) SaveDocument();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gBytes.size()));
}
void BM_PlainWrite(benchmark::State& state) {
  for (auto _ : state) PlainWrite();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gBytes.size()));
}
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);

// Best of n runs, in seconds.
double BestOf(int n, void (*run)()) {
  double best = 1e9;
  for (int i = 0; i < n; ++i) {
    auto start = std::chrono::steady_clock::now();
    run();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (s < best) best = s;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  MakeDocument();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  double open = BestOf(5, OpenDocument);
  double read = BestOf(5, PlainRead);
  double save = BestOf(5, SaveDocument);
  double write = BestOf(5, PlainWrite);
  std::printf("document of %d events, %zu bytes\n", kEvents, gBytes.size());
  std::printf("open %.4f s, plain read %.4f s, ratio %.2f\n", open, read, open / read);
  std::printf("save %.4f s, plain write %.4f s, ratio %.2f\n", save, write, save / write);
  std::remove(gDocumentPath.c_str());
  std::remove(gCopyPath.c_str());
  std::string sidecar = gFolder + "/._million.bysq";
  std::remove(sidecar.c_str());
  std::remove(gFolder.c_str());
  benchmark::Shutdown();
  return 0;
}
