// Device properties: names, channels, streams, formats, rates, buffer sizes, latency, stream
// usage, data and clock sources. Calls take the device's mutex; on a device thread only
// 'goin', 'livn', 'fsiz' and 'nsrt' are answered (they need no lock), anything else 'nope'.
#include <algorithm>
#include <cstring>

#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_internal.h"
#include "platform/coreaudio/stream_description.h"
#include "platform/text/cf_string.h"

namespace {

using SourceList = std::vector<std::pair<UInt32, std::string>>;

bool IsTextProperty(AudioDevicePropertyID property) {
  return property == kAudioDevicePropertyDeviceNameCFString || property == kAudioDevicePropertyDeviceUID ||
         property == kAudioDevicePropertyChannelNameCFString ||
         property == kAudioDevicePropertyChannelCategoryNameCFString;
}

bool IsStreamProperty(AudioDevicePropertyID property) {
  return property == kAudioDevicePropertyStreamFormat || property == kAudioDevicePropertyPhysicalFormat ||
         property == kAudioDevicePropertyStreamFormats;
}

const SourceList* SourcesFor(AudioDeviceRecord* device, int side, AudioDevicePropertyID property) {
  switch (property) {
    case kAudioDevicePropertyDataSource:
    case kAudioDevicePropertyDataSources:
    case kAudioDevicePropertyDataSourceNameForIDCFString:
      return device->sides[side].dataSources.empty() ? nullptr : &device->sides[side].dataSources;
    case kAudioDevicePropertyClockSource:
    case kAudioDevicePropertyClockSources:
    case kAudioDevicePropertyClockSourceNameForIDCFString:
      return device->clockSources.empty() ? nullptr : &device->clockSources;
    default:
      return nullptr;
  }
}

bool IsSourceProperty(AudioDevicePropertyID property) {
  return property == kAudioDevicePropertyDataSource || property == kAudioDevicePropertyDataSources ||
         property == kAudioDevicePropertyDataSourceNameForIDCFString || property == kAudioDevicePropertyClockSource ||
         property == kAudioDevicePropertyClockSources || property == kAudioDevicePropertyClockSourceNameForIDCFString;
}

OSStatus PropertyText(AudioDeviceRecord* device, UInt32 channel, int side, AudioDevicePropertyID property,
                      std::string* text) {
  const AudioDeviceSide& s = device->sides[side];
  switch (property) {
    case kAudioDevicePropertyDeviceNameCFString:
      *text = device->name;
      return kAudioHardwareNoError;
    case kAudioDevicePropertyDeviceUID:
      *text = device->key;
      return kAudioHardwareNoError;
    case kAudioDevicePropertyChannelNameCFString:
      if (channel < 1 || channel > s.channels || channel > s.channelNames.size()) break;
      *text = s.channelNames[channel - 1];
      return kAudioHardwareNoError;
    case kAudioDevicePropertyChannelCategoryNameCFString:
      if (channel < 1 || channel > s.channels || s.category.empty()) break;
      *text = s.category;
      return kAudioHardwareNoError;
  }
  return kAudioHardwareUnknownPropertyError;
}

std::vector<Float64> OfferedRates(const AudioDeviceRecord* device) {
  if (device->rateFollowsServer) return {device->sampleRate.load()};
  return device->rates;
}

UInt32 StreamCount(const AudioDeviceRecord* device, int side) { return device->sides[side].channels == 0 ? 0 : 1; }

// Size and writability of a property, or why it has none.
OSStatus Describe(AudioDeviceRecord* device, UInt32 channel, int side, AudioDevicePropertyID property, UInt32* size,
                  Boolean* writable) {
  *writable = false;
  if (IsTextProperty(property)) {
    std::string text;
    OSStatus err = PropertyText(device, channel, side, property, &text);
    *size = sizeof(CFStringRef);
    return err;
  }
  if (IsStreamProperty(property) && device->sides[side].channels == 0) return kAudioHardwareBadStreamError;
  if (IsSourceProperty(property)) {
    const SourceList* sources = SourcesFor(device, side, property);
    if (sources == nullptr) return kAudioHardwareUnknownPropertyError;
    *writable = property == kAudioDevicePropertyDataSource || property == kAudioDevicePropertyClockSource;
    if (property == kAudioDevicePropertyDataSources || property == kAudioDevicePropertyClockSources) {
      *size = UInt32(sources->size() * sizeof(UInt32));
    } else {
      *size = property == kAudioDevicePropertyDataSource || property == kAudioDevicePropertyClockSource
                  ? sizeof(UInt32)
                  : sizeof(AudioValueTranslation);
    }
    return kAudioHardwareNoError;
  }
  switch (property) {
    case kAudioDevicePropertyTransportType:
    case kAudioDevicePropertyDeviceIsAlive:
    case kAudioDevicePropertyDeviceIsRunning:
    case kAudioDevicePropertyLatency:
      *size = sizeof(UInt32);
      return kAudioHardwareNoError;
    case kAudioDevicePropertyBufferFrameSize:
      *size = sizeof(UInt32);
      *writable = true;
      return kAudioHardwareNoError;
    case kAudioDevicePropertyBufferFrameSizeRange:
      *size = sizeof(AudioValueRange);
      return kAudioHardwareNoError;
    case kAudioDevicePropertyNominalSampleRate:
      *size = sizeof(Float64);
      *writable = true;
      return kAudioHardwareNoError;
    case kAudioDevicePropertyAvailableNominalSampleRates:
      *size = UInt32(OfferedRates(device).size() * sizeof(AudioValueRange));
      return kAudioHardwareNoError;
    case kAudioDevicePropertyStreamConfiguration:
      *size = UInt32(AudioBufferListSize(StreamCount(device, side)));
      return kAudioHardwareNoError;
    case kAudioDevicePropertyStreamFormat:
      *writable = true;
      [[fallthrough]];
    case kAudioDevicePropertyPhysicalFormat:
      *size = sizeof(AudioStreamBasicDescription);
      return kAudioHardwareNoError;
    case kAudioDevicePropertyStreamFormats:
      *size = UInt32(OfferedRates(device).size() * sizeof(AudioStreamBasicDescription));
      return kAudioHardwareNoError;
    case kAudioDevicePropertyIOProcStreamUsage:
      *size = UInt32(AudioStreamUsageSize(StreamCount(device, side)));
      *writable = true;
      return kAudioHardwareNoError;
  }
  return kAudioHardwareUnknownPropertyError;
}

OSStatus CopyFixed(const void* value, UInt32 size, UInt32* ioSize, void* out) {
  if (*ioSize < size || out == nullptr) return kAudioHardwareBadPropertySizeError;
  std::memcpy(out, value, size);
  *ioSize = size;
  return kAudioHardwareNoError;
}

// Whole entries only, as many as fit.
OSStatus CopyList(const void* entries, UInt32 entrySize, size_t count, UInt32* ioSize, void* out) {
  size_t fit = std::min<size_t>(count, *ioSize / entrySize);
  if (fit > 0) std::memcpy(out, entries, fit * entrySize);
  *ioSize = UInt32(fit * entrySize);
  return kAudioHardwareNoError;
}

IOProcSlot* SlotForProc(AudioDeviceRecord* device, void* proc) {
  for (IOProcSlot& slot : device->procs) {
    if (slot.state.load() == kSlotInstalled && reinterpret_cast<void*>(slot.proc.load()) == proc) return &slot;
  }
  return nullptr;
}

OSStatus GetStreamUsage(AudioDeviceRecord* device, int side, UInt32* ioSize, void* out) {
  UInt32 streams = StreamCount(device, side);
  UInt32 size = UInt32(AudioStreamUsageSize(streams));
  if (*ioSize < size || out == nullptr) return kAudioHardwareBadPropertySizeError;
  auto* usage = static_cast<AudioHardwareIOProcStreamUsage*>(out);
  IOProcSlot* slot = SlotForProc(device, usage->mIOProc);
  if (slot == nullptr) return kAudioHardwareIllegalOperationError;
  usage->mNumberStreams = streams;
  if (streams > 0) usage->mStreamIsOn[0] = slot->streamOn[side].load() ? 1 : 0;
  *ioSize = size;
  return kAudioHardwareNoError;
}

OSStatus GetSourceValue(AudioDeviceRecord* device, int side, AudioDevicePropertyID property, UInt32* ioSize,
                        void* out) {
  const SourceList* sources = SourcesFor(device, side, property);
  if (property == kAudioDevicePropertyDataSource || property == kAudioDevicePropertyClockSource) {
    UInt32 id = property == kAudioDevicePropertyDataSource ? device->dataSource.load() : device->clockSource.load();
    return CopyFixed(&id, sizeof id, ioSize, out);
  }
  if (property == kAudioDevicePropertyDataSources || property == kAudioDevicePropertyClockSources) {
    std::vector<UInt32> ids;
    for (const auto& source : *sources) ids.push_back(source.first);
    return CopyList(ids.data(), sizeof(UInt32), ids.size(), ioSize, out);
  }
  if (*ioSize < sizeof(AudioValueTranslation) || out == nullptr) return kAudioHardwareBadPropertySizeError;
  auto* translation = static_cast<AudioValueTranslation*>(out);
  if (translation->mInputData == nullptr || translation->mInputDataSize < sizeof(UInt32) ||
      translation->mOutputData == nullptr || translation->mOutputDataSize < sizeof(CFStringRef)) {
    return kAudioHardwareBadPropertySizeError;
  }
  UInt32 id;
  std::memcpy(&id, translation->mInputData, sizeof id);
  for (const auto& source : *sources) {
    if (source.first != id) continue;
    CFStringRef name = CFStringCreateWithUTF8(source.second);
    std::memcpy(translation->mOutputData, &name, sizeof name);
    translation->mOutputDataSize = sizeof(CFStringRef);
    *ioSize = sizeof(AudioValueTranslation);
    return kAudioHardwareNoError;
  }
  return kAudioHardwareIllegalOperationError;
}

OSStatus GetValue(AudioDeviceRecord* device, UInt32 channel, int side, AudioDevicePropertyID property, UInt32* ioSize,
                  void* out) {
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus err = Describe(device, channel, side, property, &size, &writable);
  if (err != kAudioHardwareNoError) return err;
  if (IsTextProperty(property)) {
    if (*ioSize < sizeof(CFStringRef) || out == nullptr) return kAudioHardwareBadPropertySizeError;
    std::string text;
    PropertyText(device, channel, side, property, &text);
    CFStringRef string = CFStringCreateWithUTF8(text);
    return CopyFixed(&string, sizeof string, ioSize, out);
  }
  if (IsSourceProperty(property)) return GetSourceValue(device, side, property, ioSize, out);
  const AudioDeviceSide& s = device->sides[side];
  switch (property) {
    case kAudioDevicePropertyTransportType:
      return CopyFixed(&device->transport, sizeof(UInt32), ioSize, out);
    case kAudioDevicePropertyLatency: {
      UInt32 frames = device->ops->latencyFrames != nullptr ? device->ops->latencyFrames(device, side) : 0;
      return CopyFixed(&frames, sizeof frames, ioSize, out);
    }
    case kAudioDevicePropertyBufferFrameSizeRange: {
      AudioValueRange range{Float64(device->minFrames.load()), Float64(device->maxFrames.load())};
      return CopyFixed(&range, sizeof range, ioSize, out);
    }
    case kAudioDevicePropertyAvailableNominalSampleRates: {
      std::vector<AudioValueRange> ranges;
      for (Float64 rate : OfferedRates(device)) ranges.push_back(AudioValueRange{rate, rate});
      return CopyList(ranges.data(), sizeof(AudioValueRange), ranges.size(), ioSize, out);
    }
    case kAudioDevicePropertyStreamConfiguration: {
      UInt32 buffers = StreamCount(device, side);
      if (*ioSize < AudioBufferListSize(buffers) || out == nullptr) return kAudioHardwareBadPropertySizeError;
      auto* list = static_cast<AudioBufferList*>(out);
      list->mNumberBuffers = buffers;
      if (buffers > 0) {
        list->mBuffers[0].mNumberChannels = s.channels;
        list->mBuffers[0].mDataByteSize = device->bufferFrames.load() * s.channels * UInt32(sizeof(float));
        list->mBuffers[0].mData = nullptr;
      }
      *ioSize = UInt32(AudioBufferListSize(buffers));
      return kAudioHardwareNoError;
    }
    case kAudioDevicePropertyStreamFormat:
    case kAudioDevicePropertyPhysicalFormat: {
      AudioStreamBasicDescription format = MakeFloatStreamDescription(device->sampleRate.load(), s.channels);
      return CopyFixed(&format, sizeof format, ioSize, out);
    }
    case kAudioDevicePropertyStreamFormats: {
      std::vector<AudioStreamBasicDescription> formats;
      for (Float64 rate : OfferedRates(device)) formats.push_back(MakeFloatStreamDescription(rate, s.channels));
      return CopyList(formats.data(), sizeof(AudioStreamBasicDescription), formats.size(), ioSize, out);
    }
    case kAudioDevicePropertyIOProcStreamUsage:
      return GetStreamUsage(device, side, ioSize, out);
  }
  return kAudioHardwareUnknownPropertyError;
}

// The values that need no lock, for callers on a device thread too.
bool GetLockFreeValue(AudioDeviceRecord* device, AudioDevicePropertyID property, UInt32* ioSize, void* out,
                      OSStatus* result) {
  UInt32 word = 0;
  Float64 rate = 0;
  switch (property) {
    case kAudioDevicePropertyDeviceIsRunning:
      word = device->running.load() ? 1 : 0;
      break;
    case kAudioDevicePropertyDeviceIsAlive:
      word = device->alive.load() ? 1 : 0;
      break;
    case kAudioDevicePropertyBufferFrameSize:
      word = device->bufferFrames.load();
      break;
    case kAudioDevicePropertyNominalSampleRate:
      rate = device->sampleRate.load();
      *result = CopyFixed(&rate, sizeof rate, ioSize, out);
      return true;
    default:
      return false;
  }
  *result = CopyFixed(&word, sizeof word, ioSize, out);
  return true;
}

OSStatus SetRate(AudioDeviceRecord* device, Float64 rate) {
  std::vector<Float64> offered = OfferedRates(device);
  if (std::find(offered.begin(), offered.end(), rate) == offered.end()) return kAudioDeviceUnsupportedFormatError;
  OSStatus err = device->ops->setSampleRate(device, rate);
  if (err != kAudioHardwareNoError) return err;
  if (device->sampleRate.exchange(rate) != rate) {
    PostDevicePropertyNotice(device->id, kAudioDevicePropertyNominalSampleRate);
  }
  return kAudioHardwareNoError;
}

OSStatus SetStreamUsage(AudioDeviceRecord* device, int side, UInt32 size, const void* data) {
  if (size < offsetof(AudioHardwareIOProcStreamUsage, mStreamIsOn)) return kAudioHardwareBadPropertySizeError;
  const auto* usage = static_cast<const AudioHardwareIOProcStreamUsage*>(data);
  IOProcSlot* slot = SlotForProc(device, usage->mIOProc);
  if (slot == nullptr) return kAudioHardwareIllegalOperationError;
  UInt32 streams = StreamCount(device, side);
  if (usage->mNumberStreams > streams || size < AudioStreamUsageSize(usage->mNumberStreams)) {
    return kAudioHardwareBadPropertySizeError;
  }
  if (usage->mNumberStreams > 0) slot->streamOn[side].store(usage->mStreamIsOn[0] != 0);
  return kAudioHardwareNoError;
}

OSStatus SetSource(AudioDeviceRecord* device, int side, AudioDevicePropertyID property, UInt32 size,
                   const void* data) {
  if (size < sizeof(UInt32)) return kAudioHardwareBadPropertySizeError;
  UInt32 id;
  std::memcpy(&id, data, sizeof id);
  const SourceList* sources = SourcesFor(device, side, property);
  for (const auto& source : *sources) {
    if (source.first != id) continue;
    (property == kAudioDevicePropertyDataSource ? device->dataSource : device->clockSource).store(id);
    return kAudioHardwareNoError;
  }
  return kAudioHardwareIllegalOperationError;
}

OSStatus SetValue(AudioDeviceRecord* device, UInt32 channel, int side, AudioDevicePropertyID property, UInt32 size,
                  const void* data) {
  UInt32 expected = 0;
  Boolean writable = false;
  OSStatus err = Describe(device, channel, side, property, &expected, &writable);
  if (err != kAudioHardwareNoError) return err;
  if (!writable) return kAudioHardwareIllegalOperationError;
  if (data == nullptr) return kAudioHardwareBadPropertySizeError;
  if (IsSourceProperty(property)) return SetSource(device, side, property, size, data);
  switch (property) {
    case kAudioDevicePropertyBufferFrameSize: {
      if (size < sizeof(UInt32)) return kAudioHardwareBadPropertySizeError;
      UInt32 frames;
      std::memcpy(&frames, data, sizeof frames);
      err = device->ops->setBufferFrames(device, frames);
      if (err != kAudioHardwareNoError) return err;
      if (device->bufferFrames.exchange(frames) != frames) {
        PostDevicePropertyNotice(device->id, kAudioDevicePropertyBufferFrameSize);
      }
      return kAudioHardwareNoError;
    }
    case kAudioDevicePropertyNominalSampleRate: {
      if (size < sizeof(Float64)) return kAudioHardwareBadPropertySizeError;
      Float64 rate;
      std::memcpy(&rate, data, sizeof rate);
      return SetRate(device, rate);
    }
    case kAudioDevicePropertyStreamFormat: {
      if (size < sizeof(AudioStreamBasicDescription)) return kAudioHardwareBadPropertySizeError;
      AudioStreamBasicDescription format;
      std::memcpy(&format, data, sizeof format);
      if (!IsDeviceFloatFormat(format) || format.mChannelsPerFrame != device->sides[side].channels) {
        return kAudioDeviceUnsupportedFormatError;
      }
      return SetRate(device, format.mSampleRate);
    }
    case kAudioDevicePropertyIOProcStreamUsage:
      return SetStreamUsage(device, side, size, data);
  }
  return kAudioHardwareUnknownPropertyError;
}

AudioDeviceRecord* LookUp(AudioDeviceID id) {
  EnsureAudioHardware();
  return FindAudioDevice(id);
}

}  // namespace

OSStatus AudioDeviceGetPropertyInfo(AudioDeviceID id, UInt32 channel, Boolean isInput, AudioDevicePropertyID property,
                                    UInt32* outSize, Boolean* outWritable) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  std::lock_guard<std::mutex> hold(device->mutex);
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus err = Describe(device, channel, SideIndex(isInput), property, &size, &writable);
  if (err != kAudioHardwareNoError) return err;
  if (outSize != nullptr) *outSize = size;
  if (outWritable != nullptr) *outWritable = writable;
  return kAudioHardwareNoError;
}

OSStatus AudioDeviceGetProperty(AudioDeviceID id, UInt32 channel, Boolean isInput, AudioDevicePropertyID property,
                                UInt32* ioSize, void* outData) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (ioSize == nullptr) return kAudioHardwareBadPropertySizeError;
  OSStatus result = kAudioHardwareNoError;
  if (GetLockFreeValue(device, property, ioSize, outData, &result)) return result;
  if (OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  std::lock_guard<std::mutex> hold(device->mutex);
  return GetValue(device, channel, SideIndex(isInput), property, ioSize, outData);
}

OSStatus AudioDeviceSetProperty(AudioDeviceID id, const AudioTimeStamp*, UInt32 channel, Boolean isInput,
                                AudioDevicePropertyID property, UInt32 size, const void* data) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  std::lock_guard<std::mutex> hold(device->mutex);
  return SetValue(device, channel, SideIndex(isInput), property, size, data);
}
