// Hardware properties: the device list, the default devices and the notification run loop.
#include <cstdlib>
#include <cstring>

#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_internal.h"

namespace {

std::atomic<void*> gRunLoop{nullptr};

// The device that ZARIN_AUDIO_DEVICE names, else the first with channels on the side (the
// list runs JACK, ALSA, null, so the null device is the last resort).
AudioDeviceID DefaultDevice(int side) {
  std::vector<AudioDeviceRecord*> devices = RefreshAudioDevices();
  const char* wanted = std::getenv("ZARIN_AUDIO_DEVICE");
  if (wanted != nullptr && *wanted != 0) {
    for (AudioDeviceRecord* device : devices) {
      if (device->name == wanted && device->sides[side].channels > 0) return device->id;
    }
  }
  for (AudioDeviceRecord* device : devices) {
    if (device->alive.load() && device->sides[side].channels > 0) return device->id;
  }
  return kAudioDeviceUnknown;
}

}  // namespace

OSStatus AudioHardwareGetPropertyInfo(AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable) {
  EnsureAudioHardware();
  UInt32 size = 0;
  Boolean writable = false;
  switch (property) {
    case kAudioHardwarePropertyDevices:
      size = UInt32(RefreshAudioDevices().size() * sizeof(AudioDeviceID));
      break;
    case kAudioHardwarePropertyDefaultInputDevice:
    case kAudioHardwarePropertyDefaultOutputDevice:
      size = sizeof(AudioDeviceID);
      break;
    case kAudioHardwarePropertyRunLoop:
      size = sizeof(void*);
      writable = true;
      break;
    default:
      return kAudioHardwareUnknownPropertyError;
  }
  if (outSize != nullptr) *outSize = size;
  if (outWritable != nullptr) *outWritable = writable;
  return kAudioHardwareNoError;
}

OSStatus AudioHardwareGetProperty(AudioHardwarePropertyID property, UInt32* ioSize, void* outData) {
  EnsureAudioHardware();
  if (ioSize == nullptr) return kAudioHardwareBadPropertySizeError;
  if (OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  if (property == kAudioHardwarePropertyDevices) {
    std::vector<AudioDeviceID> ids;
    for (AudioDeviceRecord* device : RefreshAudioDevices()) ids.push_back(device->id);
    size_t fit = std::min<size_t>(ids.size(), *ioSize / sizeof(AudioDeviceID));
    if (fit > 0 && outData == nullptr) return kAudioHardwareBadPropertySizeError;
    if (fit > 0) std::memcpy(outData, ids.data(), fit * sizeof(AudioDeviceID));
    *ioSize = UInt32(fit * sizeof(AudioDeviceID));
    return kAudioHardwareNoError;
  }
  UInt32 size = 0;
  AudioDeviceID device = kAudioDeviceUnknown;
  void* runLoop = nullptr;
  const void* value = nullptr;
  switch (property) {
    case kAudioHardwarePropertyDefaultInputDevice:
    case kAudioHardwarePropertyDefaultOutputDevice:
      device = DefaultDevice(property == kAudioHardwarePropertyDefaultInputDevice ? kSideInput : kSideOutput);
      if (device == kAudioDeviceUnknown) return kAudioHardwareBadDeviceError;
      size = sizeof device;
      value = &device;
      break;
    case kAudioHardwarePropertyRunLoop:
      runLoop = gRunLoop.load();
      size = sizeof runLoop;
      value = &runLoop;
      break;
    default:
      return kAudioHardwareUnknownPropertyError;
  }
  if (*ioSize < size || outData == nullptr) return kAudioHardwareBadPropertySizeError;
  std::memcpy(outData, value, size);
  *ioSize = size;
  return kAudioHardwareNoError;
}

OSStatus AudioHardwareSetProperty(AudioHardwarePropertyID property, UInt32 size, const void* data) {
  EnsureAudioHardware();
  switch (property) {
    case kAudioHardwarePropertyRunLoop: {
      // Kept and answered; notifications still arrive on the layer's own thread.
      if (size < sizeof(void*) || data == nullptr) return kAudioHardwareBadPropertySizeError;
      void* runLoop;
      std::memcpy(&runLoop, data, sizeof runLoop);
      gRunLoop.store(runLoop);
      return kAudioHardwareNoError;
    }
    case kAudioHardwarePropertyDevices:
    case kAudioHardwarePropertyDefaultInputDevice:
    case kAudioHardwarePropertyDefaultOutputDevice:
      return kAudioHardwareIllegalOperationError;
  }
  return kAudioHardwareUnknownPropertyError;
}
