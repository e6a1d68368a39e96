// Recording 16 mono audio inputs at 48 kHz, 256-frame buffers, on the running JACK server (the
// test services' dummy backend): a JACK client of the benchmark plays the device, its process
// callback hands each period's 16 channels (each a counting ramp of its own) to the record
// inputs as the IO procedure does (CaptureRecordInput: copy into the record buffers, full
// buffers posted to the disk thread), and the takes are finished as a recording's stop
// finishes them (writes waited for, last buffer flushed, header rewritten). Reported: frames
// lost (each file is read back and every ramp checked; there must be none), the record errors
// the program latched (-224: a buffer full while its write was pending; none), the server's
// xruns during the run beside an idle window of the same length (a non-realtime dummy server
// on a shared machine has its own), the write rate the disk thread sustained for the takes
// beside `dd` of the same bytes in the same folder (the headroom), and the time the stop took.
//
// Options: --seconds=N (default 60); --folder=PATH where the takes go (default a new folder
// under /var/tmp, on disk). Needs a JACK server at 48 kHz and 256 frames (tools/services start).
#include <benchmark/benchmark.h>
#include <jack/jack.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_file_requests.h"
#include "audio/engine/engine_state.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/record_inputs.h"
#include "audio/recording/record_buffers.h"
#include "audio/recording/record_files.h"
#include "audio/recording/record_input_list.h"
#include "audio/streams/disk_thread.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"

namespace {

constexpr int kInputs = 16;
constexpr double kRate = 48000.0;
constexpr int32_t kBufferFrames = 256;

int gSeconds = 60;
std::string gFolder;

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

struct Run {
  AudioInput inputs[kInputs];
  std::vector<float> block = std::vector<float>(size_t(kBufferFrames) * kInputs);
  std::atomic<bool> recording{false};
  std::atomic<int64_t> frames{0};
  std::atomic<int32_t> recordErrors{0};
  std::atomic<int32_t> xruns{0};
  std::atomic<int32_t> cycles{0};
};
Run gRun;

// Channel c of frame n: a ramp that starts at c x 1000 and counts one step a frame.
int16_t RampValue(int c, int64_t n) { return int16_t(uint16_t(uint64_t(c) * 1000 + uint64_t(n))); }

int Process(jack_nframes_t frames, void*) {
  if (!gRun.recording.load(std::memory_order_acquire) || frames != jack_nframes_t(kBufferFrames)) return 0;
  int64_t first = gRun.frames.load(std::memory_order_relaxed);
  for (jack_nframes_t f = 0; f < frames; ++f) {
    for (int c = 0; c < kInputs; ++c) gRun.block[size_t(f) * kInputs + c] = float(RampValue(c, first + f)) / 32768.0f;
  }
  alignas(AudioBufferList) uint8_t bytes[AudioBufferListSize(1)] = {};
  auto* list = reinterpret_cast<AudioBufferList*>(bytes);
  list->mNumberBuffers = 1;
  list->mBuffers[0] = {UInt32(kInputs), UInt32(gRun.block.size() * sizeof(float)), gRun.block.data()};
  AudioTimeStamp time{};
  time.mSampleTime = double(first);
  for (AudioInput& input : gRun.inputs) {
    if (CaptureRecordInput(list, &time, &input, frames) != 0) gRun.recordErrors.fetch_add(1);
  }
  if (gEngineError.load(std::memory_order_relaxed) != 0) gRun.recordErrors.fetch_add(1);
  gRun.frames.store(first + frames, std::memory_order_relaxed);
  gRun.cycles.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

int Xrun(void*) {
  gRun.xruns.fetch_add(1);
  return 0;
}

// Every frame of the take holds its ramp, from the first to the last.
int64_t LostFrames(AudioInput& input, int c, int64_t frames) {
  FSIORefNum fork = 0;
  if (FSpOpenDF(&input.file, fsRdPerm, &fork) != noErr) return frames;
  std::vector<uint8_t> data(size_t(frames) * 2);
  ByteCount actual = 0;
  FSReadFork(fork, fsFromStart, input.dataOffset, ByteCount(data.size()), data.data(), &actual);
  FSCloseFork(fork);
  int64_t lost = frames - int64_t(actual / 2);
  for (int64_t n = 0; n < int64_t(actual / 2); ++n) {
    if (int16_t(ReadU16BE(&data[size_t(n) * 2])) != RampValue(c, n)) ++lost;
  }
  return lost;
}

void PrepareInputs() {
  FSSpec inside{};
  PathToSpec(gFolder + "/x", &inside);
  gRecordFolderVRefNum = inside.vRefNum;
  gRecordFolderDirID = inside.parID;
  for (int c = 0; c < kInputs; ++c) {
    AudioInput& input = gRun.inputs[c];
    input.channels = 1;
    input.sampleBits = 16;
    input.sampleRate = float(kRate);
    input.formatCode = kInputFormatNone;
    input.leftChannel = input.rightChannel = c;
    input.hasArmedTracks = input.armed = 1;
    input.deviceBufferBytes = uint32_t(kBufferFrames) * 2;
    std::string name = "input " + std::to_string(c + 1);
    Str255 pascal;
    pascal[0] = uint8_t(name.size());
    std::memcpy(pascal + 1, name.data(), name.size());
    if (CreateRecordFile(&input, pascal) != noErr || WriteRecordHeader(&input) != noErr ||
        PrepareRecordBuffers(&input, gRecordSettings.bufferCount, input.fork) != 0) {
      std::fprintf(stderr, "cannot prepare input %d\n", c + 1);
      std::exit(1);
    }
    OpenRecordWindow(&input);
  }
}

// `dd` of the same number of bytes into the same folder, synced: bytes per second.
double DdThroughput(uint64_t bytes, uint32_t block) {
  std::string target = gFolder + "/dd.bin";
  std::string command = "dd if=/dev/zero of='" + target + "' bs=" + std::to_string(block) +
                        " count=" + std::to_string(bytes / block) + " conv=fdatasync status=none";
  double begun = Now();
  int result = std::system(command.c_str());
  double took = Now() - begun;
  unlink(target.c_str());
  return result == 0 && took > 0 ? double(bytes / block * block) / took : 0;
}

void BM_RecordSixteenMonoInputs(benchmark::State& state) {
  jack_status_t status;
  jack_client_t* client = jack_client_open("zarin-record-bench", JackNoStartServer, &status);
  if (!client) {
    state.SkipWithError("no JACK server runs (tools/services start)");
    return;
  }
  if (jack_get_sample_rate(client) != jack_nframes_t(kRate) || jack_get_buffer_size(client) != jack_nframes_t(kBufferFrames)) {
    state.SkipWithError("the JACK server must run at 48000 Hz with 256 frames");
    jack_client_close(client);
    return;
  }
  jack_set_process_callback(client, Process, nullptr);
  jack_set_xrun_callback(client, Xrun, nullptr);
  InstallEngineRequestHandlers();
  StartDiskThread();
  PrepareInputs();
  jack_activate(client);
  std::this_thread::sleep_for(std::chrono::seconds(gSeconds));  // idle window: the server's own xruns
  int32_t idleXruns = gRun.xruns.exchange(0);
  for (auto _ : state) {
    gRun.recording.store(true, std::memory_order_release);
    while (gRun.frames.load() < int64_t(gSeconds * kRate)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    gRun.recording.store(false, std::memory_order_release);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the last period leaves the inputs
  int32_t runXruns = gRun.xruns.load();
  jack_deactivate(client);
  double stopBegun = Now();
  uint64_t bytes = 0;
  for (AudioInput& input : gRun.inputs) {
    input.stopWord = 1;
    int32_t failed = 0;
    if (!WaitForRecordWrites(&input, 10000000, &failed) || failed != 0) gRun.recordErrors.fetch_add(1);
    FlushRecordBuffer(&input);
    input.bytesWritten = uint64_t(input.filePosition - int64_t(input.dataOffset));
    bytes += input.bytesWritten;
    if (CompleteRecordFile(&input) != noErr) gRun.recordErrors.fetch_add(1);
  }
  double stopTook = Now() - stopBegun;
  int64_t frames = gRun.frames.load();
  int64_t lost = 0;
  for (int c = 0; c < kInputs; ++c) lost += LostFrames(gRun.inputs[c], c, frames);
  double seconds = double(frames) / kRate;
  double mb = 1024.0 * 1024.0;
  double dd = DdThroughput(bytes, uint32_t(gRun.inputs[0].bufferBytes));
  state.counters["frames_lost"] = double(lost);
  state.counters["record_errors"] = gRun.recordErrors.load();
  state.counters["xruns_run"] = runXruns;
  state.counters["xruns_idle"] = idleXruns;
  state.counters["cycles"] = gRun.cycles.load();
  state.counters["written_MB"] = double(bytes) / mb;
  state.counters["record_MBps"] = seconds > 0 ? double(bytes) / mb / seconds : 0;
  state.counters["dd_MBps"] = dd / mb;
  state.counters["stop_ms"] = stopTook * 1e3;
  jack_client_close(client);
  for (AudioInput& input : gRun.inputs) {
    ReleaseRecordBuffers(&input, true);
    DeleteRecordFile(&input);
    input.fileOpen = 0;
  }
}
BENCHMARK(BM_RecordSixteenMonoInputs)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) gSeconds = std::max(1, std::atoi(argv[i] + 10));
    else if (std::strncmp(argv[i], "--folder=", 9) == 0) gFolder = argv[i] + 9;
    else rest.push_back(argv[i]);
  }
  bool made = gFolder.empty();
  if (made) {
    char folder[] = "/var/tmp/record_inputs_bench.XXXXXX";
    if (!mkdtemp(folder)) return 1;
    gFolder = folder;
  }
  int count = int(rest.size());
  benchmark::Initialize(&count, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (made) rmdir(gFolder.c_str());
  return 0;
}
