#include "audio/coreaudio_io.h"

#include <cstring>

#include "audio/audio_driver.h"
#include "audio/coreaudio_devices.h"
#include "audio/coreaudio_settings.h"
#include "audio/engine_channels.h"
#include "audio/instruments_engine_channels.h"
#include "audio/engine_thread.h"
#include "audio/output_render.h"
#include "audio/play_rate_output.h"
#include "audio/record_inputs.h"
#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_host_time.h"

CoreAudioIO gCoreAudioIO;
CoreAudioTiming gCoreAudioTiming;

namespace {

int32_t gWarmUpCycles = 0;

void RecordFirstOutputTimes(const AudioTimeStamp* now, const AudioTimeStamp* outputTime) {
  if (gCoreAudioTiming.firstOutputHostTime.load() != 0 || !outputTime) return;
  uint64_t nowHost = now ? now->mHostTime : AudioGetCurrentHostTime();
  gCoreAudioTiming.firstOutputSampleClock.store(gEngineSampleClock.load());
  gCoreAudioTiming.firstOutputNow.store(nowHost);
  gCoreAudioTiming.firstOutputLead.store(int64_t(outputTime->mHostTime) - int64_t(nowHost));
  gCoreAudioTiming.firstOutputHostTime.store(outputTime->mHostTime ? outputTime->mHostTime : 1);
}

// Stops the output device from inside its own callback (state 9).
void StopOutputFromCallback(AudioDeviceID device) {
  gCoreAudioIO.outputDevice.store(kAudioDeviceUnknown);
  AudioDeviceStop(device, AudioOutputProc);
  if (gCoreAudioIO.outputProcInstalled.exchange(false)) {
    gCoreAudioIO.outputCount.fetch_sub(1);
    AudioDeviceRemoveIOProc(device, AudioOutputProc);
    gCoreAudioIO.outputStartPending.store(false);
  }
  gAudioDriverState.store(kDriverStoppedInCallback);
}

EngineChannel* DriverChannels() { return gCoreAudioIO.driver ? gCoreAudioIO.driver->channelList : nullptr; }

}  // namespace

OSStatus AudioOutputProc(AudioDeviceID device, const AudioTimeStamp* now, const AudioBufferList*,
                         const AudioTimeStamp*, AudioBufferList* outputData, const AudioTimeStamp* outputTime,
                         void*) {
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
  int32_t state = gAudioDriverState.load();
  if (state == kDriverStopInput) {
    gAudioDriverState.store(gCoreAudioIO.outputDevice.load() != kAudioDeviceUnknown ? kDriverStopOutput
                                                                                    : kDriverStoppedInCallback);
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
  int32_t state = gAudioDriverState.load();
  if (state == kDriverIdle) return 0;
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
  if (state < kDriverStopInput) RenderAudioOutput(DriverChannels(), outputData, outputTime, state, now);
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
}

bool DeviceRunning(AudioDeviceID device, Boolean isInput) {
  UInt32 running = 0, size = sizeof running;
  if (AudioDeviceGetProperty(device, 0, isInput, kAudioDevicePropertyDeviceIsRunning, &size, &running) != 0) return false;
  return running != 0;
}

}  // namespace

OSStatus DevicePropertyListener(AudioDeviceID device, UInt32, Boolean isInput, AudioDevicePropertyID property, void*) {
  AudioDeviceID side = isInput ? gCoreAudioIO.inputDevice.load() : gCoreAudioIO.outputDevice.load();
  int32_t state = gAudioDriverState.load();
  switch (property) {
    case kAudioDevicePropertyDeviceIsRunning:
      if (device != side || isInput) break;
      if (!DeviceRunning(device, isInput)) {
        bool pending = gCoreAudioIO.outputStartPending.exchange(false);
        if (!pending && state >= kDriverWarmUp && state <= kDriverRunningAtRate) SuspendForDeviceChange();
        else if (!pending && state == kDriverIdle) MarkAudioSuspend();
      } else {
        gCoreAudioIO.outputStartPending.store(false);
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

int16_t OpenCoreAudioOutput(AudioDriverOps* driver, AudioDeviceID device, int32_t warmUpCycles) {
  gCoreAudioIO.driver = driver;
  gWarmUpCycles = warmUpCycles < 0 ? 0 : warmUpCycles;
  if (GetAudioMode() != 1 && StartEngineThread() != 0) SetAudioMode(1);
  if (!gCoreAudioIO.outputProcInstalled.load()) {
    OSStatus err = AudioDeviceAddIOProc(device, AudioOutputProc, driver);
    if (err != 0) return -108;
    gCoreAudioIO.outputProcInstalled.store(true);
    gCoreAudioIO.outputCount.fetch_add(1);
  }
  gCoreAudioIO.outputDevice.store(device);
  int32_t state = gAudioDriverState.load();
  if (state == kDriverNothingStarted || state == kDriverStoppedInCallback) gAudioDriverState.store(kDriverPrime);
  return 0;
}

int16_t StartCoreAudioOutput() {
  AudioDeviceID device = gCoreAudioIO.outputDevice.load();
  if (device == kAudioDeviceUnknown || !gCoreAudioIO.outputProcInstalled.load()) return 121;
  int32_t state = gAudioDriverState.load();
  if (state != kDriverIdle && state != kDriverPrime && state != kDriverInputOnly) return -4;
  gCoreAudioTiming.firstOutputHostTime.store(0);
  gCoreAudioTiming.firstInputHostTime.store(0);
  gCoreAudioIO.warmUp.store(-gWarmUpCycles);
  gAudioDriverState.store(kDriverPrime);
  if (GetAudioMode() != 1) DrainSemaphore(gEngineQueue.semaphore.load());
  gCoreAudioIO.outputStartPending.store(true);
  OSStatus err = AudioDeviceStart(device, AudioOutputProc);
  return err == 0 ? 0 : -108;
}

void RequestCoreAudioStop() {
  gAudioDriverState.store(gCoreAudioIO.inputDevice.load() != kAudioDeviceUnknown ? kDriverStopInput
                                                                                 : kDriverStopOutput);
}

int32_t FinishCoreAudioStop(int32_t maxPolls) {
  int32_t reached = WaitForAudioDriverState(kDriverStoppedInCallback, kDriverNothingStarted, maxPolls);
  if (reached != kDriverStoppedInCallback) {
    // The callback did not run in time: stop from here.
    AudioDeviceID device = gCoreAudioIO.outputDevice.exchange(kAudioDeviceUnknown);
    if (device != kAudioDeviceUnknown) {
      AudioDeviceStop(device, AudioOutputProc);
      if (gCoreAudioIO.outputProcInstalled.exchange(false)) {
        gCoreAudioIO.outputCount.fetch_sub(1);
        AudioDeviceRemoveIOProc(device, AudioOutputProc);
      }
    }
  }
  gAudioDriverState.store(kDriverNothingStarted);
  return reached;
}

int32_t StopCoreAudioOutput(int32_t force, int32_t maxPolls) {
  if (!force) {
    int32_t state = gAudioDriverState.load();
    if (state != kDriverNothingStarted) gAudioDriverState.store(kDriverIdle);
    return kDriverIdle;
  }
  RequestCoreAudioStop();
  return FinishCoreAudioStop(maxPolls);
}

void CloseCoreAudioOutput() {
  AudioDeviceID device = gCoreAudioIO.outputDevice.exchange(kAudioDeviceUnknown);
  if (gCoreAudioIO.outputProcInstalled.exchange(false) && device != kAudioDeviceUnknown) {
    gCoreAudioIO.outputCount.fetch_sub(1);
    AudioDeviceRemoveIOProc(device, AudioOutputProc);
  }
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
  int32_t warmUp = frames > 0 ? gCoreAudioSettings.skipFrames / frames : 0;
  return OpenCoreAudioOutput(&gCoreAudioDriver, device, warmUp);
}
int16_t DriverStart() { return StartCoreAudioOutput(); }
int16_t DriverStop(int32_t mode) {
  StopCoreAudioOutput(mode, 0);
  return 0;
}
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
  d.PassValue14 = DriverPassValue;
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
