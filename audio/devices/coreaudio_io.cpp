#include "audio/devices/coreaudio_io.h"

#include <algorithm>
#include <cstring>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_record_arm.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/devices/device_settings_hooks.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_start.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/record_inputs.h"
#include "audio/render/output_render.h"
#include "audio/render/play_rate_output.h"
#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_host_time.h"
#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"
#include "sequencer/clock/transport_clock.h"

CoreAudioIO gCoreAudioIO;
CoreAudioTiming gCoreAudioTiming;

namespace {

int32_t gWarmUpCycles = 0;
constexpr int32_t kMaxStopDelayTicks = 60;
constexpr uint32_t kTransportRunBit = 0x80000000u;

bool DeviceRunning(AudioDeviceID device, Boolean isInput) {
  UInt32 running = 0, size = sizeof running;
  if (AudioDeviceGetProperty(device, 0, isInput, kAudioDevicePropertyDeviceIsRunning, &size, &running) != 0) return false;
  return running != 0;
}

// Before a device start: a device that already runs is marked running, else its start is
// pending until it reports that it runs.
void MarkSideStarting(int32_t side, AudioDeviceID device, Boolean isInput) {
  DeviceSideFlags& f = gCoreAudioIO.sides[side];
  if (DeviceRunning(device, isInput)) {
    f.startPending.store(0);
    f.running.store(1);
  } else {
    f.startPending.store(1);
  }
}
constexpr int32_t kMaxStatePolls = 40000;  // of 50 microseconds: two seconds

void RecordFirstOutputTimes(const AudioTimeStamp* now, const AudioTimeStamp* outputTime) {
  if (gCoreAudioTiming.firstOutputHostTime.load() != 0 || !outputTime) return;
  uint64_t nowHost = now ? now->mHostTime : AudioGetCurrentHostTime();
  gCoreAudioTiming.firstOutputSampleClock.store(gEngineSampleClock.load());
  gCoreAudioTiming.firstOutputNow.store(nowHost);
  gCoreAudioTiming.firstOutputLead.store(int64_t(outputTime->mHostTime) - int64_t(nowHost));
  gCoreAudioTiming.firstOutputHostTime.store(outputTime->mHostTime ? outputTime->mHostTime : 1);
}

AudioDeviceIOProc OutputSideProc() {
  AudioDeviceIOProc proc = gCoreAudioIO.outputProc.load();
  return proc ? proc : AudioOutputProc;
}

// Stops and removes the output device's procedure (from inside its callback, or from the
// main thread when the callback did not come).
void StopOutputDevice(AudioDeviceID device) {
  AudioDeviceIOProc proc = OutputSideProc();
  AudioDeviceStop(device, proc);
  if (gCoreAudioIO.outputProcInstalled.exchange(false)) {
    gCoreAudioIO.outputCount.fetch_sub(1);
    AudioDeviceRemoveIOProc(device, proc);
    gCoreAudioIO.sides[kSideOut].startPending.store(0);
  }
}

// Stops the output device from inside its own callback (state 9).
void StopOutputFromCallback(AudioDeviceID device) {
  gCoreAudioIO.outputDevice.store(kAudioDeviceUnknown);
  StopOutputDevice(device);
  gAudioDriverState.store(kDriverStoppedInCallback);
}

EngineChannel* DriverChannels() { return gCoreAudioIO.driver ? gCoreAudioIO.driver->channelList : nullptr; }

}  // namespace

bool SharedCoreAudioDevice() { return gCoreAudioIO.outputProc.load() == AudioDuplexProc; }

int32_t StopInputDevice() {
  if (SharedCoreAudioDevice()) {
    AudioDeviceID device = gCoreAudioIO.outputDevice.exchange(kAudioDeviceUnknown);
    if (device != kAudioDeviceUnknown) {
      int32_t delay = std::clamp(gCoreAudioSettings.stopDelay, 0, kMaxStopDelayTicks);
      if (delay > 0) Delay(UInt32(delay), nullptr);
      StopOutputDevice(device);
    }
    gCoreAudioIO.sides[kSideIn].startPending.store(0);
    return kDriverStoppedInCallback;
  }
  AudioDeviceID input = gCoreAudioIO.inputDevice.exchange(kAudioDeviceUnknown);
  if (input != kAudioDeviceUnknown && gCoreAudioIO.inputProcInstalled.exchange(false)) {
    AudioDeviceStop(input, AudioInputProc);
    AudioDeviceRemoveIOProc(input, AudioInputProc);
    gCoreAudioIO.sides[kSideIn].startPending.store(0);
  }
  return gCoreAudioIO.outputDevice.load() != kAudioDeviceUnknown ? kDriverStopOutput : kDriverStoppedInCallback;
}

OSStatus AudioOutputProc(AudioDeviceID device, const AudioTimeStamp* now, const AudioBufferList*,
                         const AudioTimeStamp*, AudioBufferList* outputData, const AudioTimeStamp* outputTime,
                         void*) {
  EngineDeviceThreadScope deviceThread;
  int32_t state = gAudioDriverState.load();
  if (state == kDriverIdle) return 0;
  if (state < kDriverStopInput) {
    if (gCoreAudioIO.outputGuard.test_and_set(std::memory_order_acquire)) {
      gCoreAudioIO.reentries.fetch_add(1);
      LatchAudioEngineError(kEngineErrUnderrun);
      return kEngineErrUnderrun;
    }
    int32_t warm = gCoreAudioIO.warmUp.load();
    if (warm < 0) {
      gCoreAudioIO.warmUp.store(warm + 1);
      gCoreAudioIO.outputGuard.clear(std::memory_order_release);
      return 0;
    }
    if (warm == 0) gCoreAudioIO.warmUp.store(1);
    RenderAudioOutput(DriverChannels(), outputData, outputTime, state, now);
    gCoreAudioIO.outputCycles.fetch_add(1, std::memory_order_relaxed);
    gCoreAudioIO.outputGuard.clear(std::memory_order_release);
    RecordFirstOutputTimes(now, outputTime);
    return 0;
  }
  if (state == kDriverStopOutput) StopOutputFromCallback(device);
  return 0;
}

int32_t RecordInputDispatch(const AudioBufferList* inputData, const AudioTimeStamp* inputTime, AudioInput* first,
                            int32_t which, const AudioTimeStamp*) {
  if (gCoreAudioIO.inputGuard.test_and_set(std::memory_order_acquire)) return 0;
  int32_t result = 0;
  uint32_t frames = uint32_t(gAudioBufferFrames.load());
  for (AudioInput* input = first; input && input->hasArmedTracks && result == 0; input = input->next) {
    if (input->deviceId != kDriverIdCoreAudio || input->directInput != which) continue;
    result = CaptureRecordInput(inputData, inputTime, input, frames);
  }
  if (result != 0) LatchAudioEngineError(int16_t(result));
  gCoreAudioIO.inputGuard.clear(std::memory_order_release);
  return result;
}

OSStatus AudioInputProc(AudioDeviceID, const AudioTimeStamp* now, const AudioBufferList* inputData,
                        const AudioTimeStamp* inputTime, AudioBufferList*, const AudioTimeStamp*, void*) {
  EngineDeviceThreadScope deviceThread;
  int32_t state = gAudioDriverState.load();
  if (state == kDriverStopInput) {
    gAudioDriverState.store(StopInputDevice());
    return 0;
  }
  if (state > kDriverInputOnly || state <= kDriverPrime) return 0;
  if (gCoreAudioTiming.firstInputHostTime.load() == 0 && inputTime) {
    gCoreAudioTiming.firstInputNow.store(now ? now->mHostTime : AudioGetCurrentHostTime());
    gCoreAudioTiming.firstInputHostTime.store(inputTime->mHostTime ? inputTime->mHostTime : 1);
    gCoreAudioTiming.firstOutputHostTime.store(0);
  }
  return RecordInputDispatch(inputData, inputTime, gCoreAudioIO.firstRecordInput, 0, now);
}

OSStatus AudioDuplexProc(AudioDeviceID device, const AudioTimeStamp* now, const AudioBufferList* inputData,
                         const AudioTimeStamp* inputTime, AudioBufferList* outputData,
                         const AudioTimeStamp* outputTime, void* clientData) {
  EngineDeviceThreadScope deviceThread;
  int32_t state = gAudioDriverState.load();
  if (state == kDriverIdle) return 0;
  if (state == kDriverStopInput || state == kDriverStopOutput) {
    // One device: the stop of either side stops it from here.
    StopOutputFromCallback(device);
    return 0;
  }
  if (state > kDriverStopOutput) return 0;
  int32_t warm = gCoreAudioIO.warmUp.load();
  if (warm < 0) {
    gCoreAudioIO.warmUp.store(warm + 1);
    return 0;
  }
  if (warm == 0) gCoreAudioIO.warmUp.store(1);
  if (gCoreAudioIO.outputGuard.test_and_set(std::memory_order_acquire)) {
    LatchAudioEngineError(kEngineErrUnderrun);
    return kEngineErrUnderrun;
  }
  OSStatus result = AudioInputProc(device, now, inputData, inputTime, outputData, outputTime, clientData);
  if (state < kDriverStopInput) {
    RenderAudioOutput(DriverChannels(), outputData, outputTime, state, now);
    gCoreAudioIO.outputCycles.fetch_add(1, std::memory_order_relaxed);
  }
  gCoreAudioIO.outputGuard.clear(std::memory_order_release);
  RecordFirstOutputTimes(now, outputTime);
  return result;
}

std::atomic<uint32_t> gAudioOverloads{0};
float gPreferredSampleRate = 0.0f;

namespace {

void SuspendForDeviceChange() {
  MarkAudioSuspend();
  LatchAudioEngineError(-128);
  gTransportClock.flags.fetch_and(~kTransportRunBit);
}

// 'goin' on one side: the flags follow the device; a device that stops by itself (its start
// was not pending) while playing suspends audio. A shared device's other side copies them.
void DeviceRunningChanged(AudioDeviceID device, Boolean isInput, int32_t state) {
  int32_t side = isInput ? kSideIn : kSideOut;
  DeviceSideFlags& f = gCoreAudioIO.sides[side];
  if (!DeviceRunning(device, isInput)) {
    f.running.store(0);
    f.stopPending.store(0);
    if (!f.startPending.load()) {
      if (state >= kDriverWarmUp && state <= kDriverRunningAtRate) SuspendForDeviceChange();
      else if (state == kDriverIdle) MarkAudioSuspend();
    }
  } else {
    if (state != kDriverNothingStarted) f.running.store(1);
    f.startPending.store(0);
  }
  if (SharedCoreAudioDevice()) {
    DeviceSideFlags& other = gCoreAudioIO.sides[1 - side];
    other.running.store(f.running.load());
    other.startPending.store(f.startPending.load());
    other.stopPending.store(f.stopPending.load());
  }
}

}  // namespace

OSStatus DevicePropertyListener(AudioDeviceID device, UInt32, Boolean isInput, AudioDevicePropertyID property, void*) {
  AudioDeviceID side = isInput ? gCoreAudioIO.inputDevice.load() : gCoreAudioIO.outputDevice.load();
  int32_t state = gAudioDriverState.load();
  switch (property) {
    case kAudioDevicePropertyDeviceIsRunning:
      if (device == gCoreAudioIO.listened[isInput ? kSideIn : kSideOut].load()) {
        DeviceRunningChanged(device, isInput, state);
      }
      break;
    case kAudioDeviceProcessorOverload:
      if (!isInput && device == side && state == kDriverStopOutput) {
        StopOutputFromCallback(device);
        break;
      }
      if (gAudioOverloads.fetch_add(1) + 1 > 500 && state == kDriverPrime) MarkAudioSuspend();
      break;
    case kAudioDevicePropertyNominalSampleRate: {
      if (device != side || !DeviceRunning(device, isInput)) break;
      AudioStreamBasicDescription format;
      UInt32 size = sizeof format;
      if (AudioDeviceGetProperty(device, 0, isInput, kAudioDevicePropertyStreamFormat, &size, &format) != 0) break;
      if (gPreferredSampleRate > 0.0f && float(format.mSampleRate) != gPreferredSampleRate) {
        SuspendForDeviceChange();
        gPreferredSampleRate = float(format.mSampleRate);
      }
      break;
    }
    case kAudioDevicePropertyPhysicalFormat:
      if (device == side && DeviceRunning(device, isInput)) SuspendForDeviceChange();
      break;
    default:
      break;
  }
  return 0;
}

namespace {

// The listener on each device the driver uses (a shared device once).
void InstallListeners(AudioDeviceID output, AudioDeviceID input) {
  gCoreAudioIO.listened[kSideOut].store(output);
  gCoreAudioIO.listened[kSideIn].store(input != output ? input : kAudioDeviceUnknown);
  if (output != kAudioDeviceUnknown) {
    AudioDeviceAddPropertyListener(output, kAudioPropertyWildcardChannel, false, kAudioPropertyWildcardPropertyID,
                                   DevicePropertyListener, nullptr);
  }
  if (input != kAudioDeviceUnknown && input != output) {
    AudioDeviceAddPropertyListener(input, kAudioPropertyWildcardChannel, true, kAudioPropertyWildcardPropertyID,
                                   DevicePropertyListener, nullptr);
  }
}

void RemoveListener(AudioDeviceID device, Boolean isInput) {
  if (device == kAudioDeviceUnknown) return;
  AudioDeviceRemovePropertyListener(device, kAudioPropertyWildcardChannel, isInput, kAudioPropertyWildcardPropertyID,
                                    DevicePropertyListener);
}

// Removes the input procedure, then the output device's procedure, and the listeners.
void RemoveAudioIOProcs() {
  // Unheard first: removing the last procedure stops the device, and that stop is ours, not
  // device trouble for the listener to report.
  for (int32_t side : {kSideOut, kSideIn}) gCoreAudioIO.listened[side].store(kAudioDeviceUnknown);
  AudioDeviceID input = gCoreAudioIO.inputDevice.exchange(kAudioDeviceUnknown);
  AudioDeviceID output = gCoreAudioIO.outputDevice.exchange(kAudioDeviceUnknown);
  if (input != kAudioDeviceUnknown && gCoreAudioIO.inputProcInstalled.exchange(false)) {
    AudioDeviceRemoveIOProc(input, AudioInputProc);
  }
  RemoveListener(input != output ? input : kAudioDeviceUnknown, true);
  if (output != kAudioDeviceUnknown && gCoreAudioIO.outputProcInstalled.exchange(false)) {
    gCoreAudioIO.outputCount.fetch_sub(1);
    AudioDeviceRemoveIOProc(output, OutputSideProc());
  }
  RemoveListener(output, false);
  // The flags start again from nothing.
  for (int32_t side : {kSideOut, kSideIn}) {
    gCoreAudioIO.sides[side].running.store(0);
    gCoreAudioIO.sides[side].startPending.store(0);
    gCoreAudioIO.sides[side].stopPending.store(0);
  }
}

int16_t InstallProcs(AudioDriverOps* driver, AudioDeviceID output, AudioDeviceID input) {
  bool duplex = input != kAudioDeviceUnknown && (output == kAudioDeviceUnknown || output == input);
  AudioDeviceID outputSide = duplex ? input : output;
  if (outputSide == kAudioDeviceUnknown) return 121;
  AudioDeviceIOProc proc = duplex ? AudioDuplexProc : AudioOutputProc;
  if (gCoreAudioIO.outputProcInstalled.load() &&
      (gCoreAudioIO.outputDevice.load() != outputSide || gCoreAudioIO.outputProc.load() != proc ||
       gCoreAudioIO.inputDevice.load() != (duplex ? kAudioDeviceUnknown : input))) {
    RemoveAudioIOProcs();
  }
  if (!gCoreAudioIO.outputProcInstalled.load()) {
    if (OSStatus err = AudioDeviceAddIOProc(outputSide, proc, driver)) return MapCoreAudioError(err);
    gCoreAudioIO.outputProc.store(proc);
    gCoreAudioIO.outputProcInstalled.store(true);
    gCoreAudioIO.outputCount.fetch_add(1);
    InstallListeners(outputSide, duplex ? kAudioDeviceUnknown : input);
  }
  gCoreAudioIO.outputDevice.store(outputSide);
  if (!duplex && input != kAudioDeviceUnknown && !gCoreAudioIO.inputProcInstalled.load()) {
    if (OSStatus err = AudioDeviceAddIOProc(input, AudioInputProc, driver)) return MapCoreAudioError(err);
    gCoreAudioIO.inputProcInstalled.store(true);
    gCoreAudioIO.inputDevice.store(input);
  }
  return 0;
}

}  // namespace

int16_t OpenCoreAudioDevices(AudioDriverOps* driver, AudioDeviceID output, AudioDeviceID input,
                             int32_t warmUpCycles) {
  gCoreAudioIO.driver = driver;
  gWarmUpCycles = warmUpCycles < 0 ? 0 : warmUpCycles;
  if (GetAudioMode() != 1 && StartEngineThread() != 0) SetAudioMode(1);
  gCoreAudioTiming.firstInputHostTime.store(0);
  gCoreAudioTiming.firstOutputHostTime.store(0);
  if (int16_t err = InstallProcs(driver, output, input)) return err;
  int32_t state = gAudioDriverState.load();
  if (state == kDriverNothingStarted || state == kDriverStoppedInCallback) gAudioDriverState.store(kDriverPrime);
  return 0;
}

int16_t OpenCoreAudioOutput(AudioDriverOps* driver, AudioDeviceID device, int32_t warmUpCycles) {
  return OpenCoreAudioDevices(driver, device, kAudioDeviceUnknown, warmUpCycles);
}

namespace {

// The device start proper: after a soft stop the devices still run and only the state moves
// on to priming; a device that already runs (or is starting) is not started again.
int16_t StartAudioDevices(AudioDeviceID device) {
  if (gAudioDriverState.load() == kDriverIdle) {
    gAudioDriverState.store(kDriverPrime);
    return 0;
  }
  gAudioDriverState.store(kDriverPrime);
  if (DeviceRunning(device, false) || gCoreAudioIO.sides[kSideOut].startPending.load()) return 0;
  AudioDeviceID input = gCoreAudioIO.inputDevice.load();
  if (input != kAudioDeviceUnknown && gCoreAudioIO.inputProcInstalled.load()) {
    MarkSideStarting(kSideIn, input, true);
    if (AudioDeviceStart(input, AudioInputProc) != 0) return -108;
    // The output procedure leaves the start of the timing to the input procedure.
    gCoreAudioTiming.firstOutputHostTime.store(1);
  }
  if (SharedCoreAudioDevice()) {
    gCoreAudioIO.sides[kSideIn].startPending.store(1);
    gCoreAudioIO.sides[kSideOut].startPending.store(1);
  } else {
    MarkSideStarting(kSideOut, device, false);
  }
  OSStatus err = AudioDeviceStart(device, OutputSideProc());
  return err == 0 ? 0 : -108;
}

}  // namespace

int16_t StartCoreAudioOutput() {
  AudioDeviceID device = gCoreAudioIO.outputDevice.load();
  if (device == kAudioDeviceUnknown || !gCoreAudioIO.outputProcInstalled.load()) return 121;
  int32_t state = gAudioDriverState.load();
  if (state != kDriverIdle && state != kDriverPrime && state != kDriverInputOnly) return -4;
  gCoreAudioTiming.firstOutputHostTime.store(0);
  gCoreAudioTiming.firstInputHostTime.store(0);
  gCoreAudioIO.warmUp.store(-gWarmUpCycles);
  gCoreAudioTiming.lastInputSampleTime = 0.0;
  float rate = gCoreAudioIO.driver ? gCoreAudioIO.driver->sampleRate : gAudioSampleRate;
  ApplyEngineStartOffset(EngineStartOffset(gAudioBufferFrames.load(), gPlayRateMix.requestedRate), rate);
  if (GetAudioMode() != 1) DrainSemaphore(gEngineQueue.semaphore.load());
  return StartAudioDevices(device);
}

void RequestCoreAudioStop() {
  for (DeviceSideFlags& f : gCoreAudioIO.sides) f.stopPending.store(1);
  bool separateInput = gCoreAudioIO.inputDevice.load() != kAudioDeviceUnknown;
  gAudioDriverState.store(separateInput ? kDriverStopInput : kDriverStopOutput);
}

int32_t FinishCoreAudioStop(int32_t maxPolls) {
  int32_t reached = WaitForAudioDriverState(kDriverStoppedInCallback, kDriverNothingStarted, maxPolls);
  if (reached != kDriverStoppedInCallback) {
    // The callbacks did not run in time: stop from here.
    StopInputDevice();
    AudioDeviceID device = gCoreAudioIO.outputDevice.exchange(kAudioDeviceUnknown);
    if (device != kAudioDeviceUnknown) StopOutputDevice(device);
  }
  gAudioDriverState.store(kDriverNothingStarted);
  return reached;
}

int32_t StopCoreAudioOutput(int32_t force, int32_t maxPolls) {
  if (!force) {
    // Soft: the devices run on and the procedures return at once, after the one that is
    // inside its work (a re-entry guard is set) has finished: a bounded wait.
    if (gAudioDriverState.load() == kDriverNothingStarted) return kDriverIdle;
    for (int32_t poll = 0; poll < kMaxStatePolls; ++poll) {
      gAudioDriverState.store(kDriverIdle);
      if (!gCoreAudioIO.outputGuard.test() && !gCoreAudioIO.inputGuard.test()) break;
      PauseThreadMicros(50);
    }
    return kDriverIdle;
  }
  RequestCoreAudioStop();
  return FinishCoreAudioStop(maxPolls);
}

int16_t StopAudioDevices(int32_t mode, int32_t force) {
  if (mode != 0) return 0;
  AudioDeviceID output = gCoreAudioIO.outputDevice.load();
  AudioDeviceID input = gCoreAudioIO.inputDevice.load();
  bool outputRuns = output != kAudioDeviceUnknown && DeviceRunning(output, false);
  bool inputRuns = input != kAudioDeviceUnknown && DeviceRunning(input, true);
  bool outputStarting = gCoreAudioIO.sides[kSideOut].startPending.load() != 0;
  // A device that no longer runs leaves nothing for a soft stop to keep.
  if ((output != kAudioDeviceUnknown && !outputRuns && !outputStarting) || (input != kAudioDeviceUnknown && !inputRuns))
    force = 1;
  if (!force) {
    StopCoreAudioOutput(0, 0);
    return 0;
  }
  if (!outputRuns && !inputRuns && !outputStarting) {
    int32_t state = gAudioDriverState.load();
    if (state >= kDriverPrime && state <= kDriverRunningAtRate) gAudioDriverState.store(kDriverNothingStarted);
  } else {
    StopCoreAudioOutput(1, 0);
  }
  // Nothing runs now: a guard left set by a callback that never came back goes with it.
  gCoreAudioIO.outputGuard.clear();
  gCoreAudioIO.inputGuard.clear();
  gAudioSuspended = 0;
  return 0;
}

void CloseCoreAudioOutput() {
  RemoveAudioIOProcs();
  StopRealtimeThread(&gEngineQueue, 2000);
  gAudioDriverState.store(kDriverNothingStarted);
}

namespace {

// The chosen output device (the default one when none is chosen yet).
int16_t DriverOpen(EngineChannel* list) {
  if (gCoreAudioDevices.outputDevice == kAudioDeviceUnknown) {
    BuildAudioDeviceLists();
    CountOutputPairs();
  }
  AudioDeviceID device = gCoreAudioDevices.outputDevice;
  if (device == kAudioDeviceUnknown) return 121;
  gCoreAudioDriver.channelList = list;
  int32_t frames = gAudioBufferFrames.load();
  // The cycle that starts the device counts as the first skipped one.
  int32_t warmUp = frames > 0 ? gCoreAudioSettings.skipFrames / frames - 1 : 0;
  AudioDeviceID input = gCoreAudioDevices.inputOff ? kAudioDeviceUnknown : gCoreAudioDevices.inputDevice;
  return OpenCoreAudioDevices(&gCoreAudioDriver, device, input, warmUp);
}
int16_t DriverStart() { return StartCoreAudioOutput(); }
int16_t DriverStop(int32_t mode) { return StopAudioDevices(mode, gAudioSuspended); }
int32_t DriverGetBufferFrames() { return gAudioBufferFrames.load(); }
int32_t DriverClose() {
  CloseCoreAudioOutput();
  return 0;
}
int32_t DriverNothing() { return 0; }
void DriverReadInputLevels(void* input, uint16_t* left, uint16_t* right) {
  ReadInputLevels(static_cast<AudioInput*>(input), left, right);
}
void DriverGetSampleRates(void* record) { GetSampleRates(static_cast<AudioRateRecord*>(record)); }
int16_t DriverGetSampleFormats(void* record) { return GetSampleFormats(static_cast<AudioFormatRecord*>(record)); }
int32_t DriverGetIOLatency(void* input) { return GetIOLatency(static_cast<AudioInput*>(input)); }
int16_t DriverSelectInputDevice(int32_t index, char* nameOut, int32_t commit) {
  Str255 name = {0};
  int16_t err = SelectAudioDeviceByIndex(index, name, commit ? 3 : 0);
  if (nameOut) std::memcpy(nameOut, name, size_t(name[0]) + 1);
  if (commit && err == 0) SaveCoreAudioDeviceChoice(nullptr);
  return err;
}
void DriverGetOutputPairName(int32_t pair, char* nameOut) { GetOutputPairName(pair, reinterpret_cast<StringPtr>(nameOut)); }
void DriverGetInputPairName(int32_t pair, char* nameOut) {
  GetInputPairName(2 * pair, 2, reinterpret_cast<StringPtr>(nameOut));
}
int32_t DriverPassValue(int32_t value) { return value; }
void DriverArmRecordInput(void* input) { ArmRecordInput(static_cast<AudioInput*>(input)); }
int16_t DriverSetRecordInputChannels(void* input, int32_t channel, int32_t stereo) {
  return SetRecordInputChannels(static_cast<AudioInput*>(input), channel, stereo);
}

bool FillCoreAudioDriver(AudioDriverOps& d) {
  d.Init = CoreAudioInit;
  d.CountInputDevices = CountInputDevices;
  d.CountOutputPairs = CountOutputPairs;
  d.ReadInputLevels = DriverReadInputLevels;
  d.ApplyDeviceFormat = ApplyDeviceFormat;
  d.GetSampleRates = DriverGetSampleRates;
  d.GetSampleFormats = DriverGetSampleFormats;
  d.GetIOLatency = DriverGetIOLatency;
  d.SelectInputDevice = DriverSelectInputDevice;
  d.GetOutputPairName = DriverGetOutputPairName;
  d.GetInputPairName = DriverGetInputPairName;
  d.CountInputChannels = CountInputChannels;
  d.GetBufferFrames = DriverGetBufferFrames;
  d.Open = DriverOpen;
  d.Nothing7 = DriverNothing;
  d.Start = DriverStart;
  d.Stop = DriverStop;
  d.RunSettingsDialog = RunDeviceSettingsDialog;
  d.PassValue14 = DriverPassValue;
  d.ArmRecordInput = DriverArmRecordInput;
  d.SetRecordInputChannels = DriverSetRecordInputChannels;
  d.Close = DriverClose;
  d.SetPlayRate = SetPlayRate;
  d.driverId = kDriverIdCoreAudio;
  d.sampleBits = 32;
  d.flags = kDriverFlagActive;
  return true;
}

}  // namespace

AudioDriverOps gCoreAudioDriver;
static const bool gCoreAudioDriverFilled = FillCoreAudioDriver(gCoreAudioDriver);
