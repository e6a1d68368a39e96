#include "tests/platform/coreaudio/audio_test_support.h"

#include <jack/jack.h>

#include <cstdlib>

#include "platform/text/cf_string.h"

namespace audio_test {

namespace {

// Tests never start a JACK server of their own: the test services start one (or not).
const bool kNoServerStart = [] {
  setenv("JACK_NO_START_SERVER", "1", 1);
  return true;
}();

void ResetNullDevice(AudioDeviceID null) {
  SetNullDeviceCapturePath(nullptr);
  SetU32(null, false, kAudioDevicePropertyBufferFrameSize, 512);
  SetF64(null, kAudioDevicePropertyNominalSampleRate, 44100.0);
  SetU32(null, true, kAudioDevicePropertyDataSource, kNullDeviceSourceSilence);
}

}  // namespace

void AudioTest::SetUp() {
  ASSERT_TRUE(kNoServerStart);
  null_ = GetNullAudioDevice();
  ASSERT_NE(null_, kAudioDeviceUnknown);
}

void AudioTest::TearDown() {
  AudioHardwareUnload();
  SetNullDeviceManualMode(false);
  ResetNullDevice(null_);
  AudioHardwareFlushNotifications(2000);
  AudioHardwareUnload();
}

UInt32 GetU32(AudioDeviceID device, Boolean isInput, AudioDevicePropertyID property, OSStatus* err) {
  UInt32 value = 0;
  UInt32 size = sizeof value;
  OSStatus result = AudioDeviceGetProperty(device, 0, isInput, property, &size, &value);
  if (err != nullptr) *err = result;
  return value;
}

Float64 GetF64(AudioDeviceID device, AudioDevicePropertyID property) {
  Float64 value = 0;
  UInt32 size = sizeof value;
  AudioDeviceGetProperty(device, 0, false, property, &size, &value);
  return value;
}

OSStatus SetU32(AudioDeviceID device, Boolean isInput, AudioDevicePropertyID property, UInt32 value) {
  return AudioDeviceSetProperty(device, nullptr, 0, isInput, property, sizeof value, &value);
}

OSStatus SetF64(AudioDeviceID device, AudioDevicePropertyID property, Float64 value) {
  return AudioDeviceSetProperty(device, nullptr, 0, false, property, sizeof value, &value);
}

std::string GetText(AudioDeviceID device, UInt32 channel, Boolean isInput, AudioDevicePropertyID property,
                    OSStatus* err) {
  CFStringRef text = nullptr;
  UInt32 size = sizeof text;
  OSStatus result = AudioDeviceGetProperty(device, channel, isInput, property, &size, &text);
  if (err != nullptr) *err = result;
  if (result != 0) return "";
  std::string utf8 = CFStringToUTF8(text);
  CFRelease(text);
  return utf8;
}

std::vector<AudioDeviceID> DeviceList() {
  UInt32 size = 0;
  if (AudioHardwareGetPropertyInfo(kAudioHardwarePropertyDevices, &size, nullptr) != 0) return {};
  std::vector<AudioDeviceID> ids(size / sizeof(AudioDeviceID) + 4);
  size = UInt32(ids.size() * sizeof(AudioDeviceID));
  if (AudioHardwareGetProperty(kAudioHardwarePropertyDevices, &size, ids.data()) != 0) return {};
  ids.resize(size / sizeof(AudioDeviceID));
  return ids;
}

AudioDeviceID FindDeviceNamed(const std::string& name) {
  for (AudioDeviceID id : DeviceList()) {
    if (GetText(id, 0, false, kAudioDevicePropertyDeviceNameCFString) == name) return id;
  }
  return kAudioDeviceUnknown;
}

UInt32 CountChannels(AudioDeviceID device, Boolean isInput) {
  UInt32 size = 0;
  if (AudioDeviceGetPropertyInfo(device, 0, isInput, kAudioDevicePropertyStreamConfiguration, &size, nullptr) != 0) {
    return 0;
  }
  std::vector<unsigned char> bytes(size + sizeof(AudioBufferList));
  auto* list = reinterpret_cast<AudioBufferList*>(bytes.data());
  if (AudioDeviceGetProperty(device, 0, isInput, kAudioDevicePropertyStreamConfiguration, &size, list) != 0) return 0;
  UInt32 channels = 0;
  for (UInt32 i = 0; i < list->mNumberBuffers; ++i) channels += list->mBuffers[i].mNumberChannels;
  return channels;
}

void QuietJack(const char*) {}

bool JackServerRunning() {
  jack_set_error_function(QuietJack);  // "no server" is an answer here, not an error
  jack_status_t status;
  jack_client_t* client = jack_client_open("zarin-probe", JackNoStartServer, &status);
  if (client == nullptr) return false;
  jack_client_close(client);
  return true;
}

}  // namespace audio_test
