// Importing a Standard MIDI File of 1,000,000 events (made here: a tempo track and 16
// tracks of notes, controllers and pitch bends, mostly under running status), side by side
// with midicsv converting the same file to text. The import's counters give midicsv's time
// on the file and the ratio of the two.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "song/smf/smf_import.h"

extern char** environ;

namespace {

constexpr int kTracks = 16;
constexpr int kEventsPerTrack = 62500;  // 16 x 62,500 = 1,000,000 channel events

void PutVlq(std::vector<uint8_t>* out, uint32_t n) {
  uint8_t bytes[4];
  int count = 0;
  do {
    bytes[count++] = uint8_t(n & 0x7F);
    n >>= 7;
  } while (n && count < 4);
  while (count > 1) out->push_back(uint8_t(bytes[--count] | 0x80));
  out->push_back(bytes[0]);
}

void PutChunk(std::vector<uint8_t>* file, const char* id, const std::vector<uint8_t>& body) {
  file->insert(file->end(), id, id + 4);
  uint32_t n = uint32_t(body.size());
  for (int shift = 24; shift >= 0; shift -= 8) file->push_back(uint8_t(n >> shift));
  file->insert(file->end(), body.begin(), body.end());
}

// One track: notes on and off (note-on velocity 0) under running status, now and then a
// controller or a pitch bend, which changes the status.
std::vector<uint8_t> MakeTrack(int channel, std::mt19937* rng) {
  std::vector<uint8_t> body;
  uint8_t status = 0;
  std::vector<uint8_t> held;
  auto put = [&](uint32_t delta, uint8_t s, std::initializer_list<uint8_t> data) {
    PutVlq(&body, delta);
    if (s != status) body.push_back(s);
    status = s;
    body.insert(body.end(), data);
  };
  for (int i = 0; i < kEventsPerTrack; ++i) {
    uint32_t delta = (*rng)() % 4 == 0 ? 0 : (*rng)() % 120;
    uint32_t pick = (*rng)() % 20;
    uint8_t on = uint8_t(0x90 | channel);
    if (pick < 16 && (held.size() < 4 || pick < 8) && !(held.size() > 8)) {
      uint8_t key = uint8_t(36 + (*rng)() % 60);
      put(delta, on, {key, uint8_t(1 + (*rng)() % 127)});
      held.push_back(key);
    } else if (pick < 18 && !held.empty()) {
      put(delta, on, {held.front(), 0});
      held.erase(held.begin());
    } else if (pick < 19) {
      put(delta, uint8_t(0xB0 | channel), {uint8_t((*rng)() % 8), uint8_t((*rng)() % 128)});
    } else {
      put(delta, uint8_t(0xE0 | channel), {uint8_t((*rng)() % 128), uint8_t((*rng)() % 128)});
    }
  }
  body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
  return body;
}

std::string MakeBenchFile() {
  std::mt19937 rng(2024);
  std::vector<uint8_t> file;
  PutChunk(&file, "MThd", {0, 1, 0, uint8_t(kTracks + 1), 0x01, 0xE0});
  PutChunk(&file, "MTrk", {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04,
                           0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00});
  for (int t = 0; t < kTracks; ++t) PutChunk(&file, "MTrk", MakeTrack(t, &rng));
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/zarin_smf_bench.mid";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return std::string();
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
  return path;
}

const std::string& BenchFile() {
  static const std::string path = MakeBenchFile();
  return path;
}

void ResetSongs() {
  gResolutionBeforeChange = gTicksPerQuarter = 480;
  gConductorState = ConductorState();
  gConductorState.ticksPerBeat = 0;
  gConductorState.tempo = 1200;
  ApplyTimebase();
  ResetSongDatabase();
}

// Seconds midicsv takes to convert the file, its text written to output (/dev/null: thrown
// away); negative when it cannot be run.
double TimeMidicsv(const std::string& path, const char* output = "/dev/null") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const char* argv[] = {"midicsv", path.c_str(), nullptr};
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, "midicsv", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double MedianMidicsvSeconds(const char* output) {
  std::vector<double> runs;
  for (int i = 0; i < 5; ++i) runs.push_back(TimeMidicsv(BenchFile(), output));
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

void BM_ImportMillionEventSmf(benchmark::State& state) {
  FSSpec fileSpec;
  if (BenchFile().empty() || PathToSpec(BenchFile(), &fileSpec) != noErr) {
    state.SkipWithError("could not write the benchmark file");
    return;
  }
  EnsureTempoTables();
  std::vector<double> seconds;
  for (auto _ : state) {
    state.PauseTiming();
    ResetSongs();
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    OSErr err = ImportStandardMidiFile(&fileSpec, 0);
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (err != noErr) {
      state.SkipWithError("import failed");
      return;
    }
    benchmark::DoNotOptimize(gCurrentSong);
  }
  std::sort(seconds.begin(), seconds.end());
  double ours = seconds[seconds.size() / 2];
  // midicsv's text thrown away (the conversion alone), and written to a file beside the
  // MIDI file (the conversion as it is used).
  double theirs = MedianMidicsvSeconds("/dev/null");
  std::string csv = BenchFile() + ".csv";
  double toFile = MedianMidicsvSeconds(csv.c_str());
  std::remove(csv.c_str());
  state.SetItemsProcessed(int64_t(state.iterations()) * kTracks * kEventsPerTrack);
  state.counters["import_ms"] = ours * 1000;
  if (theirs > 0) {
    state.counters["midicsv_ms"] = theirs * 1000;
    state.counters["import_per_midicsv"] = ours / theirs;
  }
  if (toFile > 0) {
    state.counters["midicsv_to_file_ms"] = toFile * 1000;
    state.counters["import_per_midicsv_to_file"] = ours / toFile;
  }
}
BENCHMARK(BM_ImportMillionEventSmf)->Unit(benchmark::kMillisecond)->Iterations(10);

// midicsv on the same file, on its own line of the report.
void BM_MidicsvMillionEventSmf(benchmark::State& state) {
  for (auto _ : state) {
    double s = TimeMidicsv(BenchFile());
    if (s < 0) {
      state.SkipWithError("midicsv (Debian package midicsv) is not installed");
      return;
    }
    state.SetIterationTime(s);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kTracks * kEventsPerTrack);
}
BENCHMARK(BM_MidicsvMillionEventSmf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
