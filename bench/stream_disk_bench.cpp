// Disk streaming: 32 stereo tracks of 24-bit AIFF files at 48 kHz played from disk through the
// engine's own pieces (the files' headers read by ReadAudioFileHeader, each channel handed its
// file's fork, format and one region as a track's preparation receives them, the decoder and
// the region walk set up and both halves filled by PrepareAudioTrackStream, the mix cycle's half
// flips and refills, the disk thread serving them with stream reads) on the running JACK
// server, one mix cycle per server period. Reported: the underruns (there must be none), the
// server's xruns during the run beside those of an idle window of the same length with the
// same client (other clients of a shared server cause xruns too), the cycles longer than the
// period and the longest cycle, which are the engine's own share, and the disk thread's read throughput
// beside `cat` of the same files. Page cache: every file's pages are evicted
// (POSIX_FADV_DONTNEED) before each cold measurement; the warm figures are reported too.
//
// Options: --seconds=N (default 60) sets both the length of the files and of the run;
// --folder=PATH where the files are written (default a new folder under /var/tmp, on disk).
// Needs a JACK server (tools/services start).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/region_lookup.h"
#include "audio/engine/engine_thread.h"
#include "audio/recording/audio_file_header.h"
#include "audio/render/mix_cycle.h"
#include "audio/streams/disk_thread.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_media_hooks.h"
#include "audio/streams/stream_reads.h"
#include "audio/streams/track_stream_prepare.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/midi/coremidi_driver.h"

namespace {

constexpr int kTracks = 32;
constexpr int16_t kFileChannels = 2;
constexpr int16_t kFileBits = 24;
constexpr double kRate = 48000.0;
constexpr int32_t kBufferFrames = 256;
constexpr int32_t kRegionSize = 256;
constexpr size_t kFrameBytes = size_t(kFileChannels) * kFileBits / 8;

int gSeconds = 60;
std::string gFolder;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ---- the files

std::string TrackPath(int t) { return gFolder + "/track" + std::to_string(t) + ".aiff"; }

// A file as a recording makes it: the header of unknown length, the audio (a ramp that differs
// per track), the final header over the first.
bool WriteTrackFile(int t, uint64_t frames) {
  std::string path = TrackPath(t);
  int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  if (fd < 0) return false;
  close(fd);
  FSRef ref;
  HFSUniStr255 data;
  FSGetDataForkName(&data);
  FSIORefNum fork = 0;
  if (FSPathMakeRef(path, &ref) != noErr || FSOpenFork(&ref, data.length, data.unicode, fsRdWrPerm, &fork)) return false;
  uint64_t bytes = frames * kFrameBytes;
  bool ok = CreateAudioRecordFile(fork, kFileChannels, kFileBits, kFormatInt24, 0, kRate) == noErr;
  std::vector<uint8_t> chunk(kFrameBytes * 48000);
  for (uint64_t done = 0; ok && done < bytes; done += chunk.size()) {
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = uint8_t((done + i) * (t + 1));
    ByteCount n = ByteCount(std::min<uint64_t>(chunk.size(), bytes - done));
    ok = FSWriteFork(fork, fsAtMark, 0, n, chunk.data(), nullptr) == noErr;
  }
  ok = ok && FSSetForkPosition(fork, fsFromStart, 0) == noErr &&
       CreateAudioRecordFile(fork, kFileChannels, kFileBits, kFormatInt24, bytes, kRate) == noErr;
  FSCloseFork(fork);
  return ok;
}

// Written to the disk and dropped from the page cache, so the next read comes from the disk.
void EvictFiles() {
  for (int t = 0; t < kTracks; ++t) {
    int fd = open(TrackPath(t).c_str(), O_RDONLY);
    if (fd < 0) continue;
    fdatasync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
  }
}

uint64_t FilesBytes() {
  uint64_t total = 0;
  for (int t = 0; t < kTracks; ++t) {
    struct stat st;
    if (stat(TrackPath(t).c_str(), &st) == 0) total += uint64_t(st.st_size);
  }
  return total;
}

// `cat` of every file to /dev/null: bytes per second.
double CatThroughput() {
  std::string command = "cat";
  for (int t = 0; t < kTracks; ++t) command += " '" + TrackPath(t) + "'";
  command += " > /dev/null";
  double begun = Now();
  if (std::system(command.c_str()) != 0) return 0;
  return double(FilesBytes()) / (Now() - begun);
}

// ---- the tracks

struct Track {
  FSIORefNum fork = 0;
  Handle regions = 0;
  EngineChannel channel;
  AudioFileDescription description;
  uint64_t frames = 0;
};
std::unique_ptr<Track[]> gTracks;

// Opens the file, reads its header and sets the channel up as an audio track's preparation does.
int16_t OpenTrack(int t) {
  Track& track = gTracks[t];
  FSRef ref;
  HFSUniStr255 data;
  FSGetDataForkName(&data);
  if (OSErr err = FSPathMakeRef(TrackPath(t), &ref)) return err;
  if (OSErr err = FSOpenFork(&ref, data.length, data.unicode, fsRdPerm, &track.fork)) return err;
  uint8_t description[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t offset = 0;
  float rate = 0;
  if (OSErr err = ReadAudioFileHeader(track.fork, description, &frames, &offset, &rate)) return err;
  track.frames = frames;
  track.regions = NewHandleClear(kRegionSize);
  auto* region = reinterpret_cast<uint8_t*>(*track.regions);
  WriteU32BE(region + kRegionFileOffsetAt, offset);
  SetRegionLength(region, int64_t(frames));
  EngineChannel& c = track.channel;
  c.sourceFormat = ReadU32BE(description + kSoundDescFormat);
  c.sourceWidth = uint16_t(ReadI16BE(description + kSoundDescBits));
  c.sourceChannels = ReadI16BE(description + kSoundDescChannels);
  c.sourceRate = rate;
  c.sampleRate = float(kRate);
  c.framesPerBlock = kBufferFrames;
  c.channelNumber = uint8_t(t);
  c.fileRequest.forkRefNum = track.fork;
  c.fileDescription = &track.description;
  c.regionList = track.regions;
  SetChannelGains(32768, 64, &c.gainLeft, &c.gainRight);
  if (t > 0) gTracks[t - 1].channel.next = &c;
  return PrepareAudioTrackStream(&c, 0, float(kRate), 0);
}

// The frames the region walks of all tracks have read, as far as the files hold them.
uint64_t FramesWalked() {
  uint64_t total = 0;
  for (int t = 0; t < kTracks; ++t)
    total += std::min<uint64_t>(uint64_t(std::max<int64_t>(gTracks[t].channel.refillPosition, 0)), gTracks[t].frames);
  return total;
}

void CloseTracks() {
  WaitForEngineWorkerIdle(&gDiskQueue, 8000);
  if (!gTracks) return;
  for (int t = 0; t < kTracks; ++t) {
    Track& track = gTracks[t];
    EngineChannel& c = track.channel;
    CloseStreamDecoder(&c);
    for (void*& half : c.halfBuffer) {
      DisposeEngineBuffer(half);
      half = nullptr;
    }
    DisposeChannelBlocks(&c);
    if (track.regions) DisposeHandle(track.regions);
    if (track.fork) FSCloseFork(track.fork);
  }
  gTracks.reset();
}

// Every track opened and prepared, or the first error.
int16_t OpenTracks() {
  gTracks.reset(new Track[kTracks]);
  for (int t = 0; t < kTracks; ++t)
    if (int16_t err = OpenTrack(t)) return err;
  return 0;
}

// ---- the JACK client

struct RunCounts {
  std::atomic<bool> mixing{false};
  std::atomic<uint32_t> cycles{0};
  std::atomic<uint32_t> underruns{0};
  std::atomic<uint32_t> xruns{0};
  std::atomic<uint64_t> longestNanos{0};
  std::atomic<uint64_t> totalNanos{0};
  std::atomic<uint32_t> overPeriod{0};  // cycles that took longer than the server's period
};
RunCounts gRun;
jack_port_t* gPorts[2] = {};

int Process(jack_nframes_t frames, void*) {
  float* out[2];
  for (int i = 0; i < 2; ++i) {
    out[i] = static_cast<float*>(jack_port_get_buffer(gPorts[i], frames));
    std::memset(out[i], 0, frames * sizeof(float));
  }
  if (!gRun.mixing.load(std::memory_order_acquire)) return 0;
  auto begun = std::chrono::steady_clock::now();
  MixEngineCycle(&gTracks[0].channel, nullptr, nullptr, &gDiskQueue, -1);
  if (TakeEngineError() == kEngineErrUnderrun) gRun.underruns.fetch_add(1);
  // What the first track's channel mixed goes out, so the client does real work per period.
  const float* mixed = gTracks[0].channel.mixBuffer[0];
  for (jack_nframes_t f = 0; mixed && f < frames && f < jack_nframes_t(kBufferFrames); ++f) {
    out[0][f] = mixed[2 * f];
    out[1][f] = mixed[2 * f + 1];
  }
  uint64_t took = uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - begun).count());
  gRun.totalNanos.fetch_add(took);
  if (double(took) > double(frames) * 1e9 / kRate) gRun.overPeriod.fetch_add(1);
  uint64_t longest = gRun.longestNanos.load();
  while (took > longest && !gRun.longestNanos.compare_exchange_weak(longest, took)) {
  }
  gRun.cycles.fetch_add(1);
  return 0;
}

int CountXrun(void*) {
  gRun.xruns.fetch_add(1);
  return 0;
}

jack_client_t* OpenClient() {
  jack_client_t* client = jack_client_open(("stream_disk_bench_" + std::to_string(getpid())).c_str(), JackNoStartServer,
                                           nullptr);
  if (!client) return nullptr;
  gPorts[0] = jack_port_register(client, "out_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  gPorts[1] = jack_port_register(client, "out_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  jack_set_process_callback(client, Process, nullptr);
  jack_set_xrun_callback(client, CountXrun, nullptr);
  if (!gPorts[0] || !gPorts[1] || jack_activate(client) != 0) {
    jack_client_close(client);
    return nullptr;
  }
  return client;
}

void SleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// ---- the benchmark

void BM_StreamThirtyTwoTracksFromDisk(benchmark::State& state) {
  gMidiPrefs |= kMidiPrefAiffFiles;
  uint64_t frames = uint64_t(gSeconds + 3) * uint64_t(kRate);  // the run plus the two halves ahead
  for (int t = 0; t < kTracks; ++t)
    if (!WriteTrackFile(t, frames)) return state.SkipWithError("cannot write the track files");
  double catWarm = CatThroughput();
  EvictFiles();
  double catCold = CatThroughput();

  gAudioBufferFrames.store(kBufferFrames);
  gAudioSampleRate = float(kRate);
  if (!gDiskQueue.running.load() && StartDiskThread() != 0) return state.SkipWithError("no disk thread");
  jack_client_t* client = OpenClient();
  if (!client) return state.SkipWithError("no JACK server");
  if (jack_get_sample_rate(client) != jack_nframes_t(kRate) || jack_get_buffer_size(client) != jack_nframes_t(kBufferFrames))
    std::fprintf(stderr, "note: the server runs at %u Hz with %u frames, not 48000 and 256\n",
                 jack_get_sample_rate(client), jack_get_buffer_size(client));
  // The idle window: the same client, no engine work.
  SleepSeconds(gSeconds);
  uint32_t idleXruns = gRun.xruns.exchange(0);

  EvictFiles();
  if (int16_t err = OpenTracks()) {
    jack_client_close(client);
    CloseTracks();
    return state.SkipWithError(("track set-up failed: " + std::to_string(err)).c_str());
  }
  TakeEngineError();
  for (auto _ : state) {
    gRun.mixing.store(true, std::memory_order_release);
    SleepSeconds(gSeconds);
    gRun.mixing.store(false, std::memory_order_release);
  }
  SleepSeconds(0.1);  // the last cycle ends
  uint32_t runXruns = gRun.xruns.load();

  // The disk thread flat out: every half refilled as soon as it arrived, from cold files.
  CloseTracks();
  EvictFiles();
  OpenTracks();
  uint64_t startFrames = FramesWalked();
  double begun = Now();
  // Both halves of every track each round, until a round reads nothing more.
  for (uint64_t before = UINT64_MAX; before != FramesWalked();) {
    before = FramesWalked();
    for (int t = 0; t < kTracks; ++t)
      for (int32_t half = 0; half < 2; ++half) RequestHalfRefill(&gTracks[t].channel, half, &gDiskQueue);
    WaitForEngineWorkerIdle(&gDiskQueue, 20000);
  }
  double flatOut = double((FramesWalked() - startFrames) * kFrameBytes) / (Now() - begun);
  int16_t readError = TakeEngineError();
  CloseTracks();
  jack_client_close(client);

  const double mb = 1e6;
  state.counters["underruns"] = gRun.underruns.load();
  state.counters["xruns_run"] = runXruns;
  state.counters["xruns_idle"] = idleXruns;
  state.counters["cycles"] = gRun.cycles.load();
  state.counters["mean_cycle_ms"] = gRun.cycles.load() ? double(gRun.totalNanos.load()) / 1e6 / gRun.cycles.load() : 0;
  state.counters["cycles_over_period"] = gRun.overPeriod.load();
  state.counters["longest_cycle_ms"] = double(gRun.longestNanos.load()) / 1e6;
  state.counters["period_ms"] = kBufferFrames * 1e3 / kRate;
  state.counters["disk_MBps_cold"] = flatOut / mb;
  state.counters["cat_MBps_cold"] = catCold / mb;
  state.counters["cat_MBps_warm"] = catWarm / mb;
  state.counters["cat_over_disk_cold"] = flatOut > 0 ? catCold / flatOut : 0;
  state.counters["read_error"] = readError;
  state.counters["files_MB"] = double(FilesBytes()) / mb;
  for (int t = 0; t < kTracks; ++t) unlink(TrackPath(t).c_str());
}
BENCHMARK(BM_StreamThirtyTwoTracksFromDisk)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) gSeconds = std::max(1, std::atoi(argv[i] + 10));
    else if (std::strncmp(argv[i], "--folder=", 9) == 0) gFolder = argv[i] + 9;
    else rest.push_back(argv[i]);
  }
  if (gFolder.empty()) {
    char folder[] = "/var/tmp/stream_disk_bench.XXXXXX";
    if (!mkdtemp(folder)) return 1;
    gFolder = folder;
  }
  int count = int(rest.size());
  benchmark::Initialize(&count, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rmdir(gFolder.c_str());
  return 0;
}
