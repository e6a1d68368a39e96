// The JACK backend: one device for the server the environment names. Our client has one
// port per physical port of the server; its process callback is the device thread.
#include "platform/coreaudio/jack_device.h"

#include <jack/jack.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/coreaudio/audio_internal.h"
#include "platform/jack/jack_client_lifetime.h"
#include "platform/jack/jack_client_open.h"
#include "platform/system/host_time.h"

namespace {

constexpr char kJackClientName[] = "Zarin";
constexpr UInt32 kJackCapacityFrames = 8192;

struct JackState {
  jack_client_t* client = nullptr;
  std::vector<jack_port_t*> ports[2];      // ours: outputs feed playback, inputs read capture
  std::vector<std::string> physical[2];    // the server's ports they connect to
  bool active = false;
  JackCycleGate gate;  // the process callback serves only the gate's client
  std::atomic<bool> dead{false};
  std::atomic<int64_t> hostOffset{0};      // host nanoseconds minus JACK microseconds x 1000
  // Process-thread clock.
  UInt64 sampleTime = 0;
  jack_nframes_t lastFrameTime = 0;
  bool haveLastFrame = false;
};

AudioDeviceRecord* gJackDevice = nullptr;
JackState gJack;

std::string ServerName() { return NamedJackServer(); }

std::string ShortPortName(const std::string& full) {
  size_t colon = full.find(':');
  return colon == std::string::npos ? full : full.substr(colon + 1);
}

std::vector<std::string> PhysicalPorts(jack_client_t* client, unsigned long direction) {
  std::vector<std::string> names;
  const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | direction);
  if (ports == nullptr) return names;
  for (const char** p = ports; *p != nullptr; ++p) names.push_back(*p);
  jack_free(ports);
  return names;
}

void MeasureHostOffset() {
  UInt64 before = HostTimeNanos();
  jack_time_t jackNow = jack_get_time();
  UInt64 after = HostTimeNanos();
  gJack.hostOffset.store(int64_t(before + (after - before) / 2) - int64_t(jackNow * 1000));
}

int JackProcess(jack_nframes_t frames, void* client) {
  if (gJack.gate.active.load() != client) return 0;  // a client on its way out
  JackCycleScope inside(gJack.gate);
  if (gJack.gate.active.load() != client) return 0;
  AudioDeviceRecord* device = gJackDevice;
  const UInt32 outs = UInt32(gJack.ports[kSideOutput].size());
  const UInt32 ins = UInt32(gJack.ports[kSideInput].size());
  if (frames > device->capacityFrames) {
    for (jack_port_t* port : gJack.ports[kSideOutput]) {
      std::memset(jack_port_get_buffer(port, frames), 0, frames * sizeof(float));
    }
    PostDevicePropertyNotice(device->id, kAudioDeviceProcessorOverload);
    return 0;
  }
  jack_nframes_t frameTime = 0;
  jack_time_t cycleUsecs = 0;
  jack_time_t nextUsecs = 0;
  float periodUsecs = 0;
  if (jack_get_cycle_times(gJack.client, &frameTime, &cycleUsecs, &nextUsecs, &periodUsecs) != 0) {
    frameTime = jack_last_frame_time(gJack.client);
    cycleUsecs = jack_get_time();
    nextUsecs = cycleUsecs + jack_time_t(frames * 1e6 / device->sampleRate.load());
  }
  if (gJack.haveLastFrame) gJack.sampleTime += UInt32(frameTime - gJack.lastFrameTime);
  gJack.lastFrameTime = frameTime;
  gJack.haveLastFrame = true;

  const int64_t offset = gJack.hostOffset.load(std::memory_order_relaxed);
  const UInt64 cycleStart = UInt64(int64_t(cycleUsecs * 1000) + offset);
  const UInt64 next = UInt64(int64_t(nextUsecs * 1000) + offset);
  const UInt64 now = HostTimeNanos();
  const Float64 rate = device->sampleRate.load();
  const Float64 sampleTime = Float64(gJack.sampleTime);

  float* input = device->inputBuffer.data();
  for (UInt32 c = 0; c < ins; ++c) {
    const float* source = static_cast<const float*>(jack_port_get_buffer(gJack.ports[kSideInput][c], frames));
    for (jack_nframes_t f = 0; f < frames; ++f) input[size_t(f) * ins + c] = source[f];
  }
  IOCycleTimes times;
  times.now = MakeTimeStamp(sampleTime + (now > cycleStart ? Float64(now - cycleStart) * rate / 1e9 : 0.0), now);
  times.input = MakeTimeStamp(sampleTime - frames, cycleStart - (next - cycleStart));
  times.output = MakeTimeStamp(sampleTime + frames, next);
  RunIOCycle(device, frames, times);
  const float* mix = device->outputMix.data();
  for (UInt32 c = 0; c < outs; ++c) {
    float* target = static_cast<float*>(jack_port_get_buffer(gJack.ports[kSideOutput][c], frames));
    for (jack_nframes_t f = 0; f < frames; ++f) target[f] = mix[size_t(f) * outs + c];
  }
  return 0;
}

int JackBufferSizeChanged(jack_nframes_t frames, void*) {
  gJackDevice->bufferFrames.store(frames);
  gJackDevice->minFrames.store(frames);
  gJackDevice->maxFrames.store(frames);
  PostDevicePropertyNotice(gJackDevice->id, kAudioDevicePropertyBufferFrameSize);
  return 0;
}

int JackSampleRateChanged(jack_nframes_t rate, void*) {
  if (gJackDevice->sampleRate.exchange(Float64(rate)) != Float64(rate)) {
    PostDevicePropertyNotice(gJackDevice->id, kAudioDevicePropertyNominalSampleRate);
  }
  return 0;
}

int JackXrun(void*) {
  PostDevicePropertyNotice(gJackDevice->id, kAudioDeviceProcessorOverload);
  return 0;
}

void JackShutdown(jack_status_t, const char*, void*) {
  gJack.dead.store(true);
  gJackDevice->alive.store(false);
  StopAllDeviceProcs(gJackDevice);
  PostDevicePropertyNotice(gJackDevice->id, kAudioDevicePropertyDeviceIsAlive);
  PostAudioNotice(kNoticeBackendDied, gJackDevice->id, 0, false, 0);
}

// Device mutex held. The callback lets go of our state first; the close (which deactivates
// the client) then runs with a bound, so that a stuck server or library cannot hang a quit.
void CloseClient() {
  if (gJack.client == nullptr) return;
  CloseGatedJackClient(gJack.gate, gJack.client, "JACK audio");
  gJack.client = nullptr;
  gJack.active = false;
  for (int side = 0; side < 2; ++side) gJack.ports[side].clear();
  gJackDevice->listed.store(false);
  gJackDevice->hardwareRunning = false;
}

void DescribeSide(AudioDeviceRecord* device, int side) {
  AudioDeviceSide& s = device->sides[side];
  const std::vector<std::string>& physical = gJack.physical[side];
  s.channels = UInt32(gJack.ports[side].size());
  s.channelNames.clear();
  for (UInt32 c = 0; c < s.channels; ++c) {
    std::string fallback = (side == kSideOutput ? "out " : "in ") + std::to_string(c + 1);
    s.channelNames.push_back(c < physical.size() ? ShortPortName(physical[c]) : fallback);
  }
  s.category = physical.empty() ? "JACK" : physical[0].substr(0, physical[0].find(':'));
}

bool RegisterPorts(int side, size_t count) {
  unsigned long flags = side == kSideOutput ? JackPortIsOutput : JackPortIsInput;
  const char* stem = side == kSideOutput ? "out_" : "in_";
  for (size_t i = 0; i < count; ++i) {
    std::string name = stem + std::to_string(i + 1);
    jack_port_t* port = jack_port_register(gJack.client, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, flags, 0);
    if (port == nullptr) return false;
    gJack.ports[side].push_back(port);
  }
  return true;
}

OSStatus JackStartHardware(AudioDeviceRecord*) {
  if (gJack.client == nullptr || gJack.dead.load()) return kAudioHardwareBadDeviceError;
  if (gJack.active) return kAudioHardwareNoError;
  gJack.haveLastFrame = false;
  if (jack_activate(gJack.client) != 0) return kAudioHardwareBadDeviceError;
  gJack.active = true;
  MeasureHostOffset();
  for (size_t i = 0; i < gJack.ports[kSideOutput].size() && i < gJack.physical[kSideOutput].size(); ++i) {
    jack_connect(gJack.client, jack_port_name(gJack.ports[kSideOutput][i]), gJack.physical[kSideOutput][i].c_str());
  }
  for (size_t i = 0; i < gJack.ports[kSideInput].size() && i < gJack.physical[kSideInput].size(); ++i) {
    jack_connect(gJack.client, gJack.physical[kSideInput][i].c_str(), jack_port_name(gJack.ports[kSideInput][i]));
  }
  return kAudioHardwareNoError;
}

// The client stays active: its process callback plays silence while nothing is started.
void JackStopHardware(AudioDeviceRecord*) {}

OSStatus JackSetSampleRate(AudioDeviceRecord* device, Float64 rate) {
  return rate == device->sampleRate.load() ? kAudioHardwareNoError : kAudioDeviceUnsupportedFormatError;
}

OSStatus JackSetBufferFrames(AudioDeviceRecord* device, UInt32 frames) {
  return frames == device->bufferFrames.load() ? kAudioHardwareNoError : kAudioHardwareIllegalOperationError;
}

UInt32 JackLatency(AudioDeviceRecord*, int side) {
  if (gJack.client == nullptr || gJack.physical[side].empty()) return 0;
  jack_port_t* port = jack_port_by_name(gJack.client, gJack.physical[side][0].c_str());
  if (port == nullptr) return 0;
  jack_latency_range_t range{0, 0};
  jack_port_get_latency_range(port, side == kSideOutput ? JackPlaybackLatency : JackCaptureLatency, &range);
  return range.max;
}

const AudioBackendOps kJackOps = {JackStartHardware, JackStopHardware, JackSetSampleRate, JackSetBufferFrames,
                                  JackLatency};

// Describes the device from a freshly opened client and sets its callbacks.
bool SetUpClient(AudioDeviceRecord* device) {
  gJack.dead.store(false);
  gJack.physical[kSideOutput] = PhysicalPorts(gJack.client, JackPortIsInput);
  gJack.physical[kSideInput] = PhysicalPorts(gJack.client, JackPortIsOutput);
  size_t outs = gJack.physical[kSideOutput].empty() ? 2 : gJack.physical[kSideOutput].size();
  if (!RegisterPorts(kSideOutput, std::min<size_t>(outs, 64)) ||
      !RegisterPorts(kSideInput, std::min<size_t>(gJack.physical[kSideInput].size(), 64))) {
    CloseJackClientWithin(gJack.client, "JACK audio");
    gJack.client = nullptr;
    for (int side = 0; side < 2; ++side) gJack.ports[side].clear();
    return false;
  }
  DescribeSide(device, kSideOutput);
  DescribeSide(device, kSideInput);
  UInt32 frames = jack_get_buffer_size(gJack.client);
  device->sampleRate.store(Float64(jack_get_sample_rate(gJack.client)));
  device->bufferFrames.store(frames);
  device->minFrames.store(frames);
  device->maxFrames.store(frames);
  jack_set_process_callback(gJack.client, JackProcess, gJack.client);
  gJack.gate.active.store(gJack.client);
  jack_set_buffer_size_callback(gJack.client, JackBufferSizeChanged, nullptr);
  jack_set_sample_rate_callback(gJack.client, JackSampleRateChanged, nullptr);
  jack_set_xrun_callback(gJack.client, JackXrun, nullptr);
  jack_on_info_shutdown(gJack.client, JackShutdown, nullptr);
  return true;
}

AudioDeviceRecord* MakeJackDevice() {
  AudioDeviceRecord* device = ObtainAudioDevice("jack:" + ServerName(), kBackendJack);
  if (device == nullptr) return nullptr;
  device->ops = &kJackOps;
  device->name = "JACK (" + ServerName() + ")";
  device->transport = kAudioDeviceTransportTypeVirtual;
  device->rateFollowsServer = true;
  device->capacityFrames = kJackCapacityFrames;
  device->alive.store(false);
  return device;
}

}  // namespace

void DiscoverJackDevice() {
  if (gJackDevice != nullptr) {
    std::lock_guard<std::mutex> hold(gJackDevice->mutex);
    if (gJack.client != nullptr && !gJack.dead.load()) return;
    CloseClient();
  }
  jack_client_t* client = OpenJackClient(kJackClientName);
  if (client == nullptr) return;
  // The record is made once a server first answers, so no JACK id exists without one.
  if (gJackDevice == nullptr) gJackDevice = MakeJackDevice();
  if (gJackDevice == nullptr) {
    CloseJackClientWithin(client, "JACK audio");
    return;
  }
  AudioDeviceRecord* device = gJackDevice;
  std::lock_guard<std::mutex> hold(device->mutex);
  gJack.client = client;
  if (!SetUpClient(device)) return;
  AllocateCycleBuffers(device);
  bool wasDead = !device->alive.exchange(true);
  device->listed.store(true);
  if (wasDead) PostDevicePropertyNotice(device->id, kAudioDevicePropertyDeviceIsAlive);
}

void HandleJackDeviceDied(AudioDeviceRecord* device) {
  std::lock_guard<std::mutex> hold(device->mutex);
  if (gJack.dead.load()) CloseClient();
}

void CloseJackDevice() {
  if (gJackDevice == nullptr) return;
  std::lock_guard<std::mutex> hold(gJackDevice->mutex);
  CloseClient();
}

OSStatus GetJackPortName(AudioDeviceID id, Boolean isInput, UInt32 channel, char* name, UInt32 size) {
  EnsureAudioHardware();
  AudioDeviceRecord* device = FindAudioDevice(id);
  if (device == nullptr || device != gJackDevice) return kAudioHardwareBadDeviceError;
  std::lock_guard<std::mutex> hold(device->mutex);
  if (gJack.client == nullptr || gJack.dead.load()) return kAudioHardwareBadDeviceError;
  const std::vector<jack_port_t*>& ports = gJack.ports[SideIndex(isInput)];
  if (channel < 1 || channel > ports.size()) return kAudioHardwareUnknownPropertyError;
  const char* full = jack_port_name(ports[channel - 1]);
  size_t length = std::strlen(full);
  if (name == nullptr || length + 1 > size) return kAudioHardwareBadPropertySizeError;
  std::memcpy(name, full, length + 1);
  return kAudioHardwareNoError;
}
