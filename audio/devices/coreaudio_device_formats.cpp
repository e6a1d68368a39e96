// The driver's formats: applying the preferred rate and buffer size to the chosen devices,
// the offered rates and formats, and the record latency.
#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/record_inputs.h"
#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_host_time.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

namespace {

constexpr uint32_t kMaxRates = 16;
constexpr uint32_t kShortFormatValue = FourCC("lpcm");

bool SeparateOutput() {
  return gCoreAudioDevices.outputDevice != kAudioDeviceUnknown &&
         gCoreAudioDevices.outputDevice != gCoreAudioDevices.inputDevice;
}

OSStatus GetFormat(AudioDeviceID device, int32_t side, AudioStreamBasicDescription* format) {
  UInt32 size = sizeof *format;
  return AudioDeviceGetProperty(device, 0, IsInputSide(side), kAudioDevicePropertyStreamFormat, &size, format);
}

OSStatus SetRate(AudioDeviceID device, int32_t side, Float64 rate) {
  AudioStreamBasicDescription format;
  OSStatus err = GetFormat(device, side, &format);
  if (err != 0) return err;
  format.mSampleRate = rate;
  return AudioDeviceSetProperty(device, nullptr, 0, IsInputSide(side), kAudioDevicePropertyStreamFormat,
                                sizeof format, &format);
}

// The bytes of the first buffer of a side's stream configuration.
UInt32 FirstBufferBytes(AudioDeviceID device, int32_t side) {
  UInt32 size = 0;
  if (AudioDeviceGetPropertyInfo(device, 0, IsInputSide(side), kAudioDevicePropertyStreamConfiguration, &size,
                                 nullptr) != 0 ||
      size < sizeof(AudioBufferList))
    return 0;
  std::vector<uint8_t> bytes(size);
  auto* list = reinterpret_cast<AudioBufferList*>(bytes.data());
  if (AudioDeviceGetProperty(device, 0, IsInputSide(side), kAudioDevicePropertyStreamConfiguration, &size, list) != 0 ||
      list->mNumberBuffers == 0)
    return 0;
  return list->mBuffers[0].mDataByteSize;
}

// Step 7: the buffer size on one device side.
void ApplyBufferFrames(AudioDeviceID device, int32_t side, int32_t setRate, const AudioStreamBasicDescription& format) {
  UInt32 frames = 0, size = sizeof frames;
  if (AudioDeviceGetProperty(device, 0, IsInputSide(side), kAudioDevicePropertyBufferFrameSize, &size, &frames) != 0) {
    return;
  }
  UInt32 wanted = UInt32(gAudioBufferFrames.load());
  bool written = setRate && AudioDeviceSetProperty(device, nullptr, 0, IsInputSide(side),
                                                   kAudioDevicePropertyBufferFrameSize, sizeof wanted, &wanted) == 0;
  if (written || CountDeviceChannels(device, side, nullptr) == 0 || format.mBytesPerFrame == 0) return;
  UInt32 bytes = FirstBufferBytes(device, side);
  if (bytes / format.mBytesPerFrame > 0) gAudioBufferFrames.store(int32_t(bytes / format.mBytesPerFrame));
}

// Step 3 and 4: the channel counts, with the saved devices chosen again when one went away.
OSStatus CountChosenChannels() {
  OSStatus err = 0;
  CountDeviceChannels(gCoreAudioDevices.inputDevice, kSideIn, &err);
  if (gCoreAudioDevices.inputDevice == kAudioDeviceUnknown) err = kAudioHardwareBadDeviceError;
  if (err == 0 && SeparateOutput()) CountDeviceChannels(gCoreAudioDevices.outputDevice, kSideOut, &err);
  if (err != kAudioHardwareBadDeviceError) return err;
  if (gCoreAudioDevices.inputOff) return 0;
  SelectSavedAudioDevices(gCoreAudioDevices.inputName);
  CountDeviceChannels(gCoreAudioDevices.inputDevice, kSideIn, &err);
  return err;
}

float PreferredRate() { return gPreferredSampleRate > 0.0f ? gPreferredSampleRate : 44100.0f; }

}  // namespace

int16_t ApplyDeviceFormat(int32_t setRate) {
  if (gCoreAudioDevices.optionWord & kOptionRefuseFormatChange) return kDeviceChangesRefused;
  if (gAudioDriverState.load() == kDriverIdle && !gAudioSuspended) return 0;
  StopCoreAudioOutput(0, 0);
  OSStatus err = CountChosenChannels();
  AudioDeviceID input = gCoreAudioDevices.inputDevice, output = gCoreAudioDevices.outputDevice;
  AudioDeviceID device = input;
  int32_t side = kSideIn;
  if (CountDeviceChannels(input, kSideIn, nullptr) == 0 && CountDeviceChannels(output, kSideOut, nullptr) > 0) {
    device = output;
    side = kSideOut;
  }
  AudioStreamBasicDescription format;
  OSStatus formatErr = GetFormat(device, side, &format);
  if (formatErr != 0) return MapCoreAudioError(err != 0 ? err : formatErr);
  if (setRate && float(format.mSampleRate) != PreferredRate()) {
    if (SetRate(device, side, PreferredRate()) == 0) format.mSampleRate = PreferredRate();
    else gPreferredSampleRate = float(format.mSampleRate);  // the device keeps its rate
  }
  gCoreAudioDriver.sampleRate = float(format.mSampleRate);
  gAudioSampleRate = gCoreAudioDriver.sampleRate;
  gCoreAudioDriver.sampleBits = uint8_t(format.mBitsPerChannel & 0xFF);
  if (output != kAudioDeviceUnknown) ApplyBufferFrames(output, kSideOut, setRate, format);
  if (input != kAudioDeviceUnknown) ApplyBufferFrames(input, kSideIn, setRate, format);
  if (SeparateOutput() && setRate) SetRate(output, kSideOut, format.mSampleRate);
  return MapCoreAudioError(err);
}

uint16_t RatesFromRanges(const AudioValueRange* ranges, uint32_t count, float* out, uint32_t capacity) {
  uint16_t n = 0;
  if (count == 0 || capacity == 0) return 0;
  if (ranges[0].mMinimum != ranges[0].mMaximum) {
    for (float rate : kAudioRateTable) {
      if (rate >= ranges[0].mMinimum && rate <= ranges[0].mMaximum && n < capacity) out[n++] = rate;
    }
    return n;
  }
  for (uint32_t i = 0; i < count && n < capacity; ++i) out[n++] = float(ranges[i].mMinimum);
  return n;
}

namespace {

// Without 'nsr#': the rates of the stream formats with more than one channel; a format of any
// rate stands for the table's rates from 44100 on, at most four of them.
uint16_t RatesFromFormats(AudioDeviceID device, int32_t side, float* out, uint32_t capacity, float* highest) {
  UInt32 size = 0;
  if (AudioDeviceGetPropertyInfo(device, 0, IsInputSide(side), kAudioDevicePropertyStreamFormats, &size, nullptr) != 0) {
    return 0;
  }
  std::vector<AudioStreamBasicDescription> formats(size / sizeof(AudioStreamBasicDescription));
  if (formats.empty() ||
      AudioDeviceGetProperty(device, 0, IsInputSide(side), kAudioDevicePropertyStreamFormats, &size, formats.data()) != 0)
    return 0;
  uint16_t n = 0;
  int32_t substituted = 0;
  for (size_t i = 0; i < size / sizeof(AudioStreamBasicDescription) && substituted < 4; ++i) {
    float rate = float(formats[i].mSampleRate);
    if (rate == 0.0f) rate = kAudioRateTable[1 + substituted++];
    *highest = std::max(*highest, rate);
    if (formats[i].mChannelsPerFrame > 1 && n < capacity) out[n++] = rate;
  }
  return n;
}

}  // namespace

void GetSampleRates(AudioRateRecord* record) {
  int32_t side = gCoreAudioDevices.inputOff || gCoreAudioDevices.inputDevice == kAudioDeviceUnknown ? kSideOut : kSideIn;
  AudioDeviceID device = side == kSideIn ? gCoreAudioDevices.inputDevice : gCoreAudioDevices.outputDevice;
  float rates[kMaxRates];
  float highest = 0.0f;
  uint16_t count = 0;
  UInt32 size = 0;
  if (AudioDeviceGetPropertyInfo(device, 0, IsInputSide(side), kAudioDevicePropertyAvailableNominalSampleRates, &size,
                                 nullptr) == 0 &&
      size >= sizeof(AudioValueRange)) {
    std::vector<AudioValueRange> ranges(size / sizeof(AudioValueRange));
    AudioDeviceGetProperty(device, 0, IsInputSide(side), kAudioDevicePropertyAvailableNominalSampleRates, &size,
                           ranges.data());
    count = RatesFromRanges(ranges.data(), uint32_t(size / sizeof(AudioValueRange)), rates, kMaxRates);
  } else {
    count = RatesFromFormats(device, side, rates, kMaxRates, &highest);
  }
  for (uint16_t i = 0; i < count; ++i) highest = std::max(highest, rates[i]);
  record->highest = std::max(highest, 44100.0f);
  record->count = count;
  record->rates = NewHandle(Size(count) * 4);
  if (!record->rates) {
    record->count = 0;
    return;
  }
  for (uint16_t i = 0; i < count; ++i) WriteF32BE(*record->rates + 4 * i, rates[i]);
}

int16_t GetSampleFormats(AudioFormatRecord* record) {
  record->count = 0;
  record->formats = Handle();
  if (gCoreAudioDriver.sampleBits == 0) return 0;
  record->formats = NewHandleClear(6);
  if (!record->formats) return memFullErr;
  WriteU32BE(*record->formats, kShortFormatValue);
  WriteU16BE(*record->formats + 4, 32);
  record->count = 3;
  return 0;
}

namespace {

UInt32 SideLatency(AudioDeviceID device, int32_t side) {
  UInt32 frames = 0, size = sizeof frames;
  if (device == kAudioDeviceUnknown ||
      AudioDeviceGetProperty(device, 0, IsInputSide(side), kAudioDevicePropertyLatency, &size, &frames) != 0)
    return 0;
  return frames;
}

bool AnyDirectInput(const AudioInput* input) {
  for (; input; input = input->next) {
    if (input->directInput) return true;
  }
  return false;
}

}  // namespace

int32_t GetIOLatency(AudioInput* input) {
  AudioDeviceID output = gCoreAudioDevices.outputDevice;
  AudioDeviceID in = gCoreAudioDevices.inputDevice != kAudioDeviceUnknown ? gCoreAudioDevices.inputDevice : output;
  int64_t frames = int64_t(SideLatency(output, kSideOut)) + int64_t(SideLatency(in, kSideIn));
  uint64_t firstIn = gCoreAudioTiming.firstInputHostTime.load(), firstOut = gCoreAudioTiming.firstOutputHostTime.load();
  if (firstIn > 1 && firstOut > 1) {
    int64_t distance = gCoreAudioTiming.firstOutputLead.load() +
                       (int64_t(gCoreAudioTiming.firstInputNow.load()) - int64_t(firstIn));
    uint64_t nanos = AudioConvertHostTimeToNanos(uint64_t(std::max<int64_t>(0, distance)));
    frames += int64_t(double(nanos) * gCoreAudioDriver.sampleRate / 1e9);
  } else if (!AnyDirectInput(gCoreAudioIO.firstRecordInput)) {
    frames += gAudioBufferFrames.load();
  }
  return int32_t(frames + (input ? input->latencyOffset : 0));
}
