// The device table: one record per device seen in this run, found by id without locks (the
// device threads look devices up too), and the start and end of the layer.
#include <cstdlib>
#include <memory>

#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_internal.h"

namespace {

constexpr AudioDeviceID kFirstDeviceID = 0x40;
constexpr UInt32 kMaxDevices = 256;

std::atomic<AudioDeviceRecord*> gDeviceTable[kMaxDevices];
std::atomic<UInt32> gDeviceCount{0};
// Serialises discovery, start and unload (never taken on a device thread).
std::recursive_mutex gRegistryMutex;
std::atomic<bool> gStarted{false};
bool gExitHookInstalled = false;

void UnloadAtExit() { AudioHardwareUnload(); }

}  // namespace

AudioDeviceRecord* FindAudioDevice(AudioDeviceID id) {
  if (id < kFirstDeviceID) return nullptr;
  UInt32 index = id - kFirstDeviceID;
  if (index >= gDeviceCount.load(std::memory_order_acquire)) return nullptr;
  return gDeviceTable[index].load(std::memory_order_acquire);
}

std::vector<AudioDeviceRecord*> AllAudioDevices() {
  std::vector<AudioDeviceRecord*> all;
  UInt32 count = gDeviceCount.load(std::memory_order_acquire);
  for (UInt32 i = 0; i < count; ++i) all.push_back(gDeviceTable[i].load(std::memory_order_acquire));
  return all;
}

AudioDeviceRecord* ObtainAudioDevice(const std::string& key, AudioBackendKind kind) {
  std::lock_guard<std::recursive_mutex> hold(gRegistryMutex);
  for (AudioDeviceRecord* device : AllAudioDevices()) {
    if (device->key == key) return device;
  }
  UInt32 index = gDeviceCount.load();
  if (index >= kMaxDevices) return nullptr;
  auto* device = new AudioDeviceRecord;  // lives for the whole run
  device->id = kFirstDeviceID + index;
  device->key = key;
  device->kind = kind;
  gDeviceTable[index].store(device, std::memory_order_release);
  gDeviceCount.store(index + 1, std::memory_order_release);
  return device;
}

void AllocateCycleBuffers(AudioDeviceRecord* device) {
  size_t frames = device->capacityFrames;
  size_t outs = device->sides[kSideOutput].channels;
  size_t ins = device->sides[kSideInput].channels;
  device->outputMix.assign(frames * (outs == 0 ? 1 : outs), 0.0f);
  device->procScratch.assign(device->outputMix.size(), 0.0f);
  device->inputBuffer.assign(frames * (ins == 0 ? 1 : ins), 0.0f);
  device->contributorLeft.assign(frames, 0.0f);
  device->contributorRight.assign(frames, 0.0f);
}

void EnsureAudioHardware() {
  if (gStarted.load(std::memory_order_acquire)) return;
  std::lock_guard<std::recursive_mutex> hold(gRegistryMutex);
  if (gStarted.load()) return;
  StartNotificationThread();
  CreateNullDevice();
  if (!gExitHookInstalled) {
    gExitHookInstalled = true;
    std::atexit(UnloadAtExit);
  }
  gStarted.store(true, std::memory_order_release);
  RefreshAudioDevices();
}

std::vector<AudioDeviceRecord*> RefreshAudioDevices() {
  std::lock_guard<std::recursive_mutex> hold(gRegistryMutex);
  DiscoverJackDevice();
  std::vector<AudioDeviceRecord*> alsaFound;
  DiscoverAlsaDevices(&alsaFound);

  std::vector<AudioDeviceRecord*> listed;
  for (int pass = 0; pass < 3; ++pass) {
    AudioBackendKind kind = pass == 0 ? kBackendJack : (pass == 1 ? kBackendAlsa : kBackendNull);
    for (AudioDeviceRecord* device : AllAudioDevices()) {
      if (device->kind == kind && device->listed.load()) listed.push_back(device);
    }
  }
  return listed;
}

void AudioHardwareUnload() {
  std::lock_guard<std::recursive_mutex> hold(gRegistryMutex);
  if (!gStarted.load()) return;
  for (AudioDeviceRecord* device : AllAudioDevices()) ClearDeviceSlots(device);
  CloseJackDevice();
  StopNullDevice();
  StopNotificationThread();
  gStarted.store(false, std::memory_order_release);
}
