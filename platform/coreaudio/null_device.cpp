// The built-in null device: a real-time thread that plays one buffer per buffer duration on
// absolute deadlines (or buffers on request in manual mode), with an optional WAV capture.
#include "platform/coreaudio/null_device.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/coreaudio/audio_internal.h"
#include "platform/coreaudio/wav_capture.h"
#include "platform/system/host_time.h"

namespace {

constexpr int kNullDevicePriority = 70;
constexpr OSStatus kFolderMissingErr = -120;

struct NullDeviceState {
  std::thread thread;
  std::atomic<bool> quit{false};
  std::atomic<bool> exited{true};
  bool manual = false;
  bool manualRunning = false;
  // The device clock, owned by whichever thread plays the buffers.
  UInt64 anchorHost = 0;
  UInt64 framesSinceAnchor = 0;
  Float64 anchorRate = 0;
  UInt64 sampleTime = 0;
  // Capture (path and totals under the device mutex; the session pointer read by the player).
  std::string capturePath;
  std::atomic<CaptureSession*> capture{nullptr};
  CaptureTotals finishedTotals;
  OSStatus lastError = 0;
};

AudioDeviceRecord* gNullDevice = nullptr;
NullDeviceState gNull;

void ResetClock(UInt64 startHost) {
  gNull.anchorHost = startHost;
  gNull.framesSinceAnchor = 0;
  gNull.anchorRate = gNullDevice->sampleRate.load();
  gNull.sampleTime = 0;
}

UInt64 NextCycleStart() { return gNull.anchorHost + NanosForFrames(gNull.framesSinceAnchor, gNull.anchorRate); }

// Plays one buffer that begins at cycleStart; now is the host time to report as "now".
void PlayNullCycle(UInt64 cycleStart, UInt64 now) {
  AudioDeviceRecord* device = gNullDevice;
  Float64 rate = device->sampleRate.load();
  if (rate != gNull.anchorRate) {  // a new rate counts from here
    gNull.anchorHost = cycleStart;
    gNull.framesSinceAnchor = 0;
    gNull.anchorRate = rate;
  }
  UInt32 frames = std::min(device->bufferFrames.load(), device->capacityFrames);
  UInt32 ins = device->sides[kSideInput].channels;
  UInt32 outs = device->sides[kSideOutput].channels;
  bool loopback = device->dataSource.load() == kNullDeviceSourceLoopback;
  if (!loopback) std::fill_n(device->inputBuffer.data(), size_t(frames) * ins, 0.0f);

  UInt64 period = NanosForFrames(frames, rate);
  Float64 sampleTime = Float64(gNull.sampleTime);
  Float64 sinceStart = now > cycleStart ? Float64(now - cycleStart) * rate / 1e9 : 0.0;
  IOCycleTimes times;
  times.now = MakeTimeStamp(sampleTime + sinceStart, now);
  times.input = MakeTimeStamp(sampleTime - frames, cycleStart - period);
  times.output = MakeTimeStamp(sampleTime + frames, cycleStart + period);
  bool played = RunIOCycle(device, frames, times);

  CaptureSession* capture = gNull.capture.load(std::memory_order_acquire);
  if (played && capture != nullptr) PushCaptureFrames(capture, device->outputMix.data(), frames);
  if (loopback) {
    // Next buffer's input is this buffer's output, channel for channel.
    for (UInt32 f = 0; f < frames; ++f) {
      for (UInt32 c = 0; c < ins; ++c) {
        device->inputBuffer[size_t(f) * ins + c] = c < outs ? device->outputMix[size_t(f) * outs + c] : 0.0f;
      }
    }
  }
  gNull.sampleTime += frames;
  gNull.framesSinceAnchor += frames;
}

void RunNullDeviceThread() {
  PromoteToRealtime(kNullDevicePriority);
  while (!gNull.quit.load(std::memory_order_acquire)) {
    UInt64 cycleStart = NextCycleStart();
    SleepUntilNanos(cycleStart);
    if (gNull.quit.load(std::memory_order_acquire)) break;
    PlayNullCycle(cycleStart, HostTimeNanos());
    // A buffer that ended after its successor should have begun was late; whole buffers
    // missed are skipped so that the clock keeps to real time.
    UInt64 next = NextCycleStart();
    UInt64 now = HostTimeNanos();
    if (now > next) {
      PostDevicePropertyNotice(gNullDevice->id, kAudioDeviceProcessorOverload);
      UInt32 frames = std::max<UInt32>(1, gNullDevice->bufferFrames.load());
      UInt64 period = std::max<UInt64>(1, NanosForFrames(frames, gNull.anchorRate));
      UInt64 missed = (now - next) / period;
      gNull.framesSinceAnchor += missed * frames;
      gNull.sampleTime += missed * frames;
    }
  }
  gNull.exited.store(true, std::memory_order_release);
}

// Device mutex held for all below.
void EndCapture() {
  CaptureSession* session = gNull.capture.exchange(nullptr);
  if (session == nullptr) return;
  WaitForCycleBoundary(gNullDevice);  // the player no longer pushes
  CaptureTotals totals = FinishCapture(session);
  gNull.finishedTotals.framesWritten += totals.framesWritten;
  gNull.finishedTotals.framesDropped += totals.framesDropped;
  if (totals.error != 0) gNull.lastError = totals.error;
}

void BeginCaptureIfWanted() {
  // A program started with ZARIN_NULL_CAPTURE writes what it plays there (tests listen so).
  if (const char* path = std::getenv("ZARIN_NULL_CAPTURE"); gNull.capturePath.empty() && path && *path)
    gNull.capturePath = path;
  if (gNull.capturePath.empty() || gNull.capture.load() != nullptr) return;
  OSStatus error = 0;
  CaptureSession* session =
      BeginCapture(gNull.capturePath, gNullDevice->sides[kSideOutput].channels,
                   UInt32(gNullDevice->sampleRate.load()), &error);
  if (session == nullptr) gNull.lastError = error;
  gNull.capture.store(session, std::memory_order_release);
}

OSStatus NullStartHardware(AudioDeviceRecord*) {
  BeginCaptureIfWanted();
  ResetClock(HostTimeNanos());
  std::fill(gNullDevice->inputBuffer.begin(), gNullDevice->inputBuffer.end(), 0.0f);
  if (gNull.manual) {
    gNull.manualRunning = true;
    return kAudioHardwareNoError;
  }
  gNull.quit.store(false);
  gNull.exited.store(false);
  gNull.thread = std::thread(RunNullDeviceThread);
  return kAudioHardwareNoError;
}

void NullStopHardware(AudioDeviceRecord*) {
  gNull.manualRunning = false;
  if (gNull.thread.joinable()) {
    gNull.quit.store(true, std::memory_order_release);
    if (WaitForFlag(gNull.exited, kDeviceWaitNanos)) {
      gNull.thread.join();
    } else {
      std::fprintf(stderr, "Zarin: the null audio device's thread did not stop in time\n");
      gNull.thread.detach();
    }
  }
  EndCapture();
}

OSStatus NullSetSampleRate(AudioDeviceRecord* device, Float64 rate) {
  if (std::find(device->rates.begin(), device->rates.end(), rate) == device->rates.end()) {
    return kAudioDeviceUnsupportedFormatError;
  }
  // A capture file holds one rate: it ends here.
  if (rate != device->sampleRate.load()) EndCapture();
  return kAudioHardwareNoError;
}

OSStatus NullSetBufferFrames(AudioDeviceRecord* device, UInt32 frames) {
  if (frames < device->minFrames.load() || frames > device->maxFrames.load()) {
    return kAudioHardwareIllegalOperationError;
  }
  return kAudioHardwareNoError;
}

UInt32 NullLatency(AudioDeviceRecord*, int) { return 0; }

const AudioBackendOps kNullOps = {NullStartHardware, NullStopHardware, NullSetSampleRate, NullSetBufferFrames,
                                  NullLatency};

AudioDeviceRecord* NullDevice() {
  EnsureAudioHardware();
  return gNullDevice;
}

}  // namespace

void CreateNullDevice() {
  if (gNullDevice != nullptr) return;
  AudioDeviceRecord* device = ObtainAudioDevice("null:output", kBackendNull);
  device->ops = &kNullOps;
  device->name = kNullDeviceName;
  device->transport = kAudioDeviceTransportTypeVirtual;
  const char* outNames[2] = {"Left", "Right"};
  const char* inNames[2] = {"Left In", "Right In"};
  device->sides[kSideOutput].channels = 2;
  device->sides[kSideOutput].channelNames.assign(outNames, outNames + 2);
  device->sides[kSideOutput].category = "Null Out";
  device->sides[kSideInput].channels = 2;
  device->sides[kSideInput].channelNames.assign(inNames, inNames + 2);
  device->sides[kSideInput].category = "Null In";
  device->sides[kSideInput].dataSources = {{kNullDeviceSourceSilence, "Silence"},
                                           {kNullDeviceSourceLoopback, "Loopback"}};
  device->dataSource.store(kNullDeviceSourceSilence);
  device->clockSources = {{kNullDeviceClockInternal, "Internal Clock"}};
  device->clockSource.store(kNullDeviceClockInternal);
  device->rates = {44100.0, 48000.0, 88200.0, 96000.0};
  device->sampleRate.store(44100.0);
  device->minFrames.store(32);
  device->maxFrames.store(4096);
  device->bufferFrames.store(512);
  device->capacityFrames = 4096;
  AllocateCycleBuffers(device);
  device->listed.store(true);
  gNullDevice = device;
}

void StopNullDevice() {
  if (gNullDevice == nullptr) return;
  std::lock_guard<std::mutex> hold(gNullDevice->mutex);
  if (gNullDevice->hardwareRunning) {
    NullStopHardware(gNullDevice);
    gNullDevice->hardwareRunning = false;
  }
  EndCapture();
}

AudioDeviceID GetNullAudioDevice() {
  AudioDeviceRecord* device = NullDevice();
  return device == nullptr ? kAudioDeviceUnknown : device->id;
}

OSStatus SetNullDeviceCapturePath(const char* path) {
  if (OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  AudioDeviceRecord* device = NullDevice();
  std::string wanted = path == nullptr ? "" : path;
  if (!wanted.empty()) {
    std::string folder = wanted.find('/') == std::string::npos ? "." : wanted.substr(0, wanted.rfind('/') + 1);
    if (access(folder.c_str(), W_OK) != 0) return kFolderMissingErr;
  }
  std::lock_guard<std::mutex> hold(device->mutex);
  if (wanted == gNull.capturePath && (wanted.empty() || gNull.capture.load() != nullptr)) return 0;
  EndCapture();
  gNull.capturePath = wanted;
  if (device->hardwareRunning) {
    gNull.lastError = 0;
    BeginCaptureIfWanted();
    if (gNull.capture.load() == nullptr && !wanted.empty()) return gNull.lastError;
  }
  return 0;
}

void GetNullDeviceCaptureStats(NullDeviceCaptureStats* stats) {
  if (OnAnyDeviceThread()) return;
  AudioDeviceRecord* device = NullDevice();
  std::lock_guard<std::mutex> hold(device->mutex);
  stats->framesWritten = gNull.finishedTotals.framesWritten;
  stats->framesDropped = gNull.finishedTotals.framesDropped;
  stats->lastError = gNull.lastError;
  if (CaptureSession* session = gNull.capture.load()) {
    CaptureTotals now = PeekCaptureTotals(session);
    stats->framesWritten += now.framesWritten;
    stats->framesDropped += now.framesDropped;
    if (now.error != 0) stats->lastError = now.error;
  }
}

OSStatus SetNullDeviceManualMode(Boolean manual) {
  if (OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  AudioDeviceRecord* device = NullDevice();
  std::lock_guard<std::mutex> hold(device->mutex);
  if (device->hardwareRunning) return kAudioHardwareIllegalOperationError;
  gNull.manual = manual;
  return kAudioHardwareNoError;
}

UInt32 RunNullDeviceCycles(UInt32 cycles) {
  AudioDeviceRecord* device = NullDevice();
  if (OnAnyDeviceThread()) return 0;
  std::lock_guard<std::mutex> hold(device->mutex);
  UInt32 played = 0;
  while (played < cycles && gNull.manual && gNull.manualRunning && DeviceHasWork(device)) {
    UInt64 cycleStart = NextCycleStart();
    PlayNullCycle(cycleStart, cycleStart);
    ++played;
  }
  // A procedure that stopped itself inside the last buffer leaves nothing to play: no idle
  // cycle follows in manual mode, so the hardware stops here, as the idle notice would.
  if (gNull.manualRunning && !DeviceHasWork(device)) SyncDeviceHardware(device);
  return played;
}
