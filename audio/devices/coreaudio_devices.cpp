#include "audio/devices/coreaudio_devices.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/engine/record_inputs.h"
#include "platform/coreaudio/audio_hardware.h"
#include "platform/files/file_types.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/text/cf_string.h"
#include "platform/text/pascal_strings.h"

CoreAudioDevices gCoreAudioDevices;
const float kAudioRateTable[kRateTableCount] = {32000.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f};

namespace {

constexpr char kUnnamedDevice[] = "Audio Device";

void SetPString(StringPtr target, const std::string& text) {
  size_t n = std::min<size_t>(text.size(), 255);
  target[0] = uint8_t(n);
  std::memcpy(target + 1, text.data(), n);
}

std::string PString(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

std::string DeviceName(AudioDeviceID device, int32_t side) {
  Str255 name;
  GetDevicePascalString(device, 0, side, kAudioDevicePropertyDeviceNameCFString, sizeof name, name);
  return PString(name);
}

AudioDeviceID DefaultDevice(AudioHardwarePropertyID property) {
  AudioDeviceID device = kAudioDeviceUnknown;
  UInt32 size = sizeof device;
  if (AudioHardwareGetProperty(property, &size, &device) != 0) return kAudioDeviceUnknown;
  return device;
}

// The output pair stays inside the chosen output device.
void KeepOutputPairInside() {
  if (gCoreAudioDriver.outputPair >= gCoreAudioDevices.outputChannels / 2) gCoreAudioDriver.outputPair = 0;
}

void ChooseOutputDevice(AudioDeviceID device) {
  if (device != gCoreAudioDevices.outputDevice) gCoreAudioIO.sides[kSideOut].startPending.store(0);
  gCoreAudioDevices.outputDevice = device;
  SetPString(gCoreAudioSettings.outputName, DeviceName(device, kSideOut));
  gCoreAudioDevices.outputChannels = uint8_t(std::min<uint32_t>(CountDeviceChannels(device, kSideOut, nullptr), 255));
  KeepOutputPairInside();
}

void UpdateInputAvailable() {
  bool available = !gCoreAudioDevices.inputList.empty() && !gCoreAudioDevices.inputOff;
  gCoreAudioDriver.flags = uint8_t(available ? gCoreAudioDriver.flags | kDriverFlagInputAvailable
                                             : gCoreAudioDriver.flags & ~kDriverFlagInputAvailable);
}

void ForgetInputDevice() {
  gCoreAudioDevices.inputDevice = kAudioDeviceUnknown;
  gCoreAudioDevices.inputChannels = 0;
}

}  // namespace

int16_t MapCoreAudioError(OSStatus err) {
  switch (err) {
    case 0: return 0;
    case kAudioHardwareBadStreamError: return 106;
    case kAudioHardwareBadDeviceError: return 117;
    case kAudioHardwareIllegalOperationError: return 118;
    default: return -230;
  }
}

uint32_t CountDeviceChannels(AudioDeviceID device, int32_t side, OSStatus* err) {
  UInt32 size = 0;
  OSStatus result = AudioDeviceGetPropertyInfo(device, 0, IsInputSide(side), kAudioDevicePropertyStreamConfiguration,
                                               &size, nullptr);
  uint32_t channels = 0;
  if (result == 0 && size >= sizeof(AudioBufferList)) {
    std::vector<uint8_t> bytes(size);
    auto* list = reinterpret_cast<AudioBufferList*>(bytes.data());
    result = AudioDeviceGetProperty(device, 0, IsInputSide(side), kAudioDevicePropertyStreamConfiguration, &size, list);
    UInt32 fit = UInt32((size - offsetof(AudioBufferList, mBuffers)) / sizeof(AudioBuffer));
    for (UInt32 b = 0; result == 0 && b < list->mNumberBuffers && b < fit; ++b) {
      channels += list->mBuffers[b].mNumberChannels;
    }
  }
  if (err) *err = result;
  return result == 0 ? channels : 0;
}

OSStatus GetDevicePascalString(AudioDeviceID device, uint32_t channel, int32_t side, AudioDevicePropertyID property,
                               int32_t size, StringPtr buffer) {
  if (size <= 0) return kAudioHardwareBadPropertySizeError;
  buffer[0] = 0;
  CFStringRef text = nullptr;
  UInt32 bytes = sizeof text;
  OSStatus err = AudioDeviceGetProperty(device, channel, IsInputSide(side), property, &bytes, &text);
  if (err != 0 || text == nullptr) return err;
  char utf8[256] = {0};
  CFStringGetCString(text, utf8, sizeof utf8, kCFStringEncodingUTF8);
  CFRelease(text);
  std::string s = utf8;
  if (s.size() > size_t(size - 1)) s.resize(size_t(size - 1));
  SetPString(buffer, s);
  return 0;
}

void BuildAudioDeviceLists() {
  gCoreAudioDevices.inputList.clear();
  gCoreAudioDevices.outputList.clear();
  UInt32 size = 0;
  if (AudioHardwareGetPropertyInfo(kAudioHardwarePropertyDevices, &size, nullptr) == 0 && size > 0) {
    std::vector<AudioDeviceID> all(size / sizeof(AudioDeviceID));
    if (AudioHardwareGetProperty(kAudioHardwarePropertyDevices, &size, all.data()) == 0) {
      all.resize(size / sizeof(AudioDeviceID));
      for (AudioDeviceID device : all) {
        if (CountDeviceChannels(device, kSideOut, nullptr) > 0) gCoreAudioDevices.outputList.push_back(device);
        if (CountDeviceChannels(device, kSideIn, nullptr) > 0) gCoreAudioDevices.inputList.push_back(device);
      }
    }
  }
  UpdateInputAvailable();
}

int16_t SelectAudioDeviceByIndex(int32_t index, StringPtr nameOut, int32_t mode) {
  if (index < 0 || size_t(index) >= gCoreAudioDevices.inputList.size()) return 0;
  AudioDeviceID device = gCoreAudioDevices.inputList[size_t(index)];
  GetDevicePascalString(device, 0, kSideIn, kAudioDevicePropertyDeviceNameCFString, 256, nameOut);
  if (mode == 0 || nameOut[0] == 0) return 0;
  std::memmove(gCoreAudioDevices.inputName, nameOut, size_t(nameOut[0]) + 1);
  if (gCoreAudioIO.inputDevice.load() != kAudioDeviceUnknown && gCoreAudioIO.inputDevice.load() != device) {
    StopCoreAudioOutput(1, 0);
  }
  if (gCoreAudioDevices.inputOff) {
    gCoreAudioDevices.inputOff = 0;
    gCoreAudioSettings.inputOff = 0;
    UpdateInputAvailable();
  }
  gCoreAudioDevices.inputDevice = device;
  gCoreAudioDevices.inputChannels = uint8_t(std::min<uint32_t>(CountDeviceChannels(device, kSideIn, nullptr), 255));
  gCoreAudioDevices.useAllInputStreams = 1;
  if (mode & 2) {
    AudioDeviceID output = kAudioDeviceUnknown;
    for (AudioDeviceID candidate : gCoreAudioDevices.outputList) {
      if (DeviceName(candidate, kSideOut) == PString(nameOut)) output = candidate;
    }
    if (output == kAudioDeviceUnknown) output = DefaultDevice(kAudioHardwarePropertyDefaultOutputDevice);
    if (output != kAudioDeviceUnknown) ChooseOutputDevice(output);
  }
  return 0;
}

int16_t SelectSavedInputDevice(ConstStr255Param name) {
  if (gCoreAudioDevices.inputList.empty()) return fnfErr;
  for (size_t i = 0; i < gCoreAudioDevices.inputList.size(); ++i) {
    Str255 found;
    SelectAudioDeviceByIndex(int32_t(i), found, 0);
    if (found[0] != 0 && PLstrcmp(found, name) == 0) return SelectAudioDeviceByIndex(int32_t(i), found, 1);
  }
  return fnfErr;
}

namespace {

// Step 2 of choosing the saved devices: the default input device stands in for a missing one.
int16_t SelectInputOrDefault(StringPtr inputName) {
  int16_t err = SelectSavedInputDevice(inputName);
  if (err != fnfErr || (gCoreAudioDevices.optionWord & kOptionKeepMissingInput)) return err;
  AudioDeviceID device = DefaultDevice(kAudioHardwarePropertyDefaultInputDevice);
  auto at = std::find(gCoreAudioDevices.inputList.begin(), gCoreAudioDevices.inputList.end(), device);
  if (at == gCoreAudioDevices.inputList.end()) return err;
  Str255 name;
  SelectAudioDeviceByIndex(int32_t(at - gCoreAudioDevices.inputList.begin()), name, 1);
  std::memmove(inputName, name, size_t(name[0]) + 1);
  return err;
}

// Input on or off as the settings say; the name is kept aside while it is off.
void FollowInputOff(StringPtr inputName) {
  gCoreAudioDevices.inputOff = gCoreAudioSettings.inputOff;
  if (gCoreAudioDevices.inputOff) {
    if (gCoreAudioDevices.inputDevice != kAudioDeviceUnknown) {
      std::memcpy(gCoreAudioDevices.inputNameAside, inputName, size_t(inputName[0]) + 1);
    }
    ForgetInputDevice();
  } else if (gCoreAudioDevices.inputNameAside[0] != 0) {
    SelectSavedInputDevice(gCoreAudioDevices.inputNameAside);
    gCoreAudioDevices.inputNameAside[0] = 0;
  }
  UpdateInputAvailable();
}

}  // namespace

OSStatus SelectSavedAudioDevices(StringPtr inputName) {
  int32_t savedPair = gCoreAudioSettings.firstChannel / 2;
  BuildAudioDeviceLists();
  int16_t inputErr = SelectInputOrDefault(inputName);
  OSStatus nameErr = kAudioHardwareBadDeviceError;
  for (AudioDeviceID device : gCoreAudioDevices.outputList) {
    Str255 name;
    OSStatus err = GetDevicePascalString(device, 0, kSideOut, kAudioDevicePropertyDeviceNameCFString, 256, name);
    if (err != 0 || PLstrcmp(name, gCoreAudioSettings.outputName) != 0) continue;
    ChooseOutputDevice(device);
    nameErr = 0;
    break;
  }
  FollowInputOff(inputName);
  int32_t pairs = CountOutputPairs();
  gCoreAudioDriver.outputPair = uint8_t(savedPair < pairs ? savedPair : 0);
  if (inputErr != 0 && inputErr != fnfErr) return inputErr;
  return nameErr;
}

int32_t CountInputDevices() {
  BuildAudioDeviceLists();
  return int32_t(gCoreAudioDevices.inputList.size());
}

int32_t CountOutputPairs() {
  if (gCoreAudioDevices.outputDevice == kAudioDeviceUnknown && !gCoreAudioDevices.outputList.empty()) {
    AudioDeviceID device = DefaultDevice(kAudioHardwarePropertyDefaultOutputDevice);
    if (std::find(gCoreAudioDevices.outputList.begin(), gCoreAudioDevices.outputList.end(), device) ==
        gCoreAudioDevices.outputList.end()) {
      device = gCoreAudioDevices.outputList.front();
    }
    ChooseOutputDevice(device);
  }
  if (gCoreAudioDevices.outputDevice == kAudioDeviceUnknown) return 0;
  gCoreAudioDevices.outputChannels =
      uint8_t(std::min<uint32_t>(CountDeviceChannels(gCoreAudioDevices.outputDevice, kSideOut, nullptr), 255));
  KeepOutputPairInside();
  return gCoreAudioDevices.outputChannels / 2;
}

int32_t CountInputChannels() {
  if (gCoreAudioDevices.inputDevice == kAudioDeviceUnknown) return 0;
  return int32_t(CountDeviceChannels(gCoreAudioDevices.inputDevice, kSideIn, nullptr));
}

bool IsAggregateInputDevice() {
  UInt32 transport = 0, size = sizeof transport;
  if (AudioDeviceGetProperty(gCoreAudioDevices.inputDevice, 0, true, kAudioDevicePropertyTransportType, &size,
                             &transport) != 0)
    return false;
  return transport == kAudioDeviceTransportTypeAggregate || transport == kAudioDeviceTransportTypeAutoAggregate;
}

void GetChannelName(int32_t channel, bool isInput, int32_t* mode, StringPtr name) {
  int32_t side = isInput ? kSideIn : kSideOut;
  AudioDeviceID device = isInput ? gCoreAudioDevices.inputDevice : gCoreAudioDevices.outputDevice;
  OSStatus err = kAudioHardwareUnknownPropertyError;
  name[0] = 0;
  if (*mode == 1 || *mode == 2) {
    AudioDevicePropertyID property =
        *mode == 1 ? kAudioDevicePropertyChannelNameCFString : kAudioDevicePropertyChannelCategoryNameCFString;
    err = GetDevicePascalString(device, uint32_t(channel), side, property, 256, name);
  }
  if (err != 0 || name[0] == 0) {
    *mode = 0;
    GetDevicePascalString(device, 0, side, kAudioDevicePropertyDeviceNameCFString, 256, name);
  }
  if (name[0] == 0 && channel == 0) SetPString(name, kUnnamedDevice);
  if (!isInput && channel >= gCoreAudioDevices.outputChannels) SetPString(name, "[" + PString(name) + "]");
}

bool UserChannelName(Handle list, int32_t n, StringPtr name) {
  name[0] = 0;
  if (!list || n < 0) return false;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(*list);
  Size size = GetHandleSize(list);
  if (!bytes || size < 2 || n >= ReadU16BE(bytes)) return false;
  Size at = 2;
  for (int32_t i = 0; i < n && at < size; ++i) at += 1 + bytes[at];
  if (at >= size || at + 1 + bytes[at] > size) return false;
  std::memcpy(name, bytes + at, size_t(bytes[at]) + 1);
  return true;
}

void GetOutputPairName(int32_t pair, StringPtr name) {
  if (UserChannelName(gCoreAudioDevices.userOutputNames, pair, name)) return;
  int32_t mode = 2;
  GetChannelName(2 * pair + 1, false, &mode, name);
  if (gCoreAudioDevices.outputChannels < 3) return;
  SetPString(name, PString(name) + " " + std::to_string(2 * pair + 1) + "+" + std::to_string(2 * pair + 2));
}

void GetInputPairName(int32_t channel, int32_t mode, StringPtr name) {
  Str255 first, second;
  bool haveFirst = UserChannelName(gCoreAudioDevices.userInputNames, channel, first);
  bool haveSecond = haveFirst && UserChannelName(gCoreAudioDevices.userInputNames, channel + 1, second);
  if (haveFirst && mode == 0) return SetPString(name, PString(first));
  if (haveSecond && mode == 1) return SetPString(name, PString(second));
  if (haveSecond && mode == 2) return SetPString(name, PString(first) + " + " + PString(second));
  int32_t nameMode = 1;
  GetChannelName(channel + 1, true, &nameMode, name);
  std::string number = mode == 0   ? std::to_string(channel + 1)
                       : mode == 1 ? std::to_string(channel + 2)
                                   : std::to_string(channel + 1) + "+" + std::to_string(channel + 2);
  SetPString(name, PString(name) + " " + number);
}

int16_t CoreAudioInit(char* startupString) {
  gCoreAudioDriver.driverId = kDriverIdCoreAudio;
  gCoreAudioDriver.sampleRate = 44100.0f;
  gCoreAudioDriver.sampleBits = 32;
  gCoreAudioDriver.flags = 0;
  LoadCoreAudioSettings();
  gAudioBufferFrames.store(int32_t(gCoreAudioSettings.bufferFrames));
  SetAudioMode(gCoreAudioSettings.audioMode);
  gCoreAudioDriver.flags |= kDriverFlagInputAvailable | kDriverFlagActive;
  auto* startup = reinterpret_cast<StringPtr>(startupString);
  if (startup) std::memcpy(gCoreAudioDevices.inputName, startup, size_t(startup[0]) + 1);
  gCoreAudioDevices.inputDevice = kAudioDeviceUnknown;
  gCoreAudioDevices.outputDevice = kAudioDeviceUnknown;
  SelectSavedAudioDevices(gCoreAudioDevices.inputName);
  if (startup) std::memcpy(startup, gCoreAudioDevices.inputName, size_t(gCoreAudioDevices.inputName[0]) + 1);
  bool found = gCoreAudioSettings.inputOff || gCoreAudioDevices.inputDevice != kAudioDeviceUnknown;
  return found ? 0 : kNoInputDeviceFound;
}

OSErr SaveCoreAudioDeviceChoice(char* startupString) {
  gCoreAudioSettings.bufferFrames = uint32_t(gAudioBufferFrames.load());
  gCoreAudioSettings.inputOff = gCoreAudioDevices.inputOff;
  gCoreAudioSettings.audioMode = GetAudioMode();
  if (gCoreAudioSettings.firstChannel / 2 != gCoreAudioDriver.outputPair) {
    gCoreAudioSettings.firstChannel = 2 * gCoreAudioDriver.outputPair;
    gCoreAudioSettings.secondChannel = gCoreAudioSettings.firstChannel + 1;
  }
  if (gCoreAudioDevices.outputDevice != kAudioDeviceUnknown) {
    SetPString(gCoreAudioSettings.outputName, DeviceName(gCoreAudioDevices.outputDevice, kSideOut));
  }
  if (startupString) {
    std::memcpy(startupString, gCoreAudioDevices.inputName, size_t(gCoreAudioDevices.inputName[0]) + 1);
  }
  return SaveCoreAudioSettings();
}
