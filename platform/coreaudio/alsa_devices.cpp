// The ALSA backend: one device per PCM device of each sound card (playback and capture of
// the same device number make one device), plus the PCMs that ZARIN_ALSA_PCMS names
// (comma-separated, for example "null"). PCMs are opened only while the device runs; a
// thread per running device reads, plays the IO procedures and writes, one buffer at a time.
#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/coreaudio/audio_internal.h"
#include "platform/system/host_time.h"

namespace {

constexpr int kAlsaPriority = 70;
constexpr UInt32 kMaxAlsaChannels = 32;
constexpr int kWaitMillis = 200;
const Float64 kStandardRates[] = {22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000};

struct AlsaState {
  std::string pcmName[2];  // what to open per side; empty: no such side
  snd_pcm_t* pcm[2] = {nullptr, nullptr};
  std::thread thread;
  std::atomic<bool> quit{false};
  std::atomic<bool> exited{true};
  bool paced = false;  // a PCM that never blocks (the null plug-in) is paced by the clock
  UInt32 frames = 0;   // buffer size of this run
};

// Devices that cannot be opened are expected (busy, absent): alsa-lib's own messages are not shown.
void QuietAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

AlsaState* StateOf(AudioDeviceRecord* device) { return static_cast<AlsaState*>(device->backendState); }

snd_pcm_stream_t StreamOf(int side) { return side == kSideOutput ? SND_PCM_STREAM_PLAYBACK : SND_PCM_STREAM_CAPTURE; }

struct SideProbe {
  UInt32 channels = 2;
  std::vector<Float64> rates = {44100, 48000};
};

// Channel count and standard rates of a PCM side; a busy device keeps the defaults.
SideProbe ProbeSide(const std::string& name, int side) {
  SideProbe probe;
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, name.c_str(), StreamOf(side), SND_PCM_NONBLOCK) < 0) return probe;
  snd_pcm_hw_params_t* params;
  snd_pcm_hw_params_alloca(&params);
  if (snd_pcm_hw_params_any(pcm, params) >= 0) {
    unsigned int low = 0, high = 0;
    snd_pcm_hw_params_get_channels_min(params, &low);
    snd_pcm_hw_params_get_channels_max(params, &high);
    probe.channels = high <= kMaxAlsaChannels ? high : (low <= 2 ? 2 : std::min(low, kMaxAlsaChannels));
    std::vector<Float64> rates;
    for (Float64 rate : kStandardRates) {
      if (snd_pcm_hw_params_test_rate(pcm, params, unsigned(rate), 0) == 0) rates.push_back(rate);
    }
    if (!rates.empty()) probe.rates = rates;
  }
  snd_pcm_close(pcm);
  return probe;
}

void DescribeSide(AudioDeviceRecord* device, int side, const std::string& pcmName, const std::string& category,
                  std::vector<Float64>* rates) {
  AudioDeviceSide& s = device->sides[side];
  StateOf(device)->pcmName[side] = pcmName;
  if (pcmName.empty()) {
    s.channels = 0;
    s.channelNames.clear();
    return;
  }
  SideProbe probe = ProbeSide(pcmName, side);
  s.channels = probe.channels;
  s.channelNames.clear();
  for (UInt32 c = 0; c < s.channels; ++c) s.channelNames.push_back("Channel " + std::to_string(c + 1));
  s.category = category;
  // A device with both sides offers the rates both can run at.
  if (rates->empty()) {
    *rates = probe.rates;
  } else {
    std::vector<Float64> both;
    for (Float64 r : *rates) {
      if (std::find(probe.rates.begin(), probe.rates.end(), r) != probe.rates.end()) both.push_back(r);
    }
    if (!both.empty()) *rates = both;
  }
}

extern const AudioBackendOps kAlsaOps;

// Makes or refreshes the record of one ALSA device; a running device is left as it is.
AudioDeviceRecord* DescribeAlsaDevice(const std::string& key, const std::string& name, UInt32 transport,
                                      const std::string& playback, const std::string& capture,
                                      const std::string& category) {
  AudioDeviceRecord* device = ObtainAudioDevice(key, kBackendAlsa);
  if (device == nullptr) return nullptr;
  std::lock_guard<std::mutex> hold(device->mutex);
  // A listed device keeps its description (and is not opened again to probe it).
  if (device->hardwareRunning || device->listed.load()) return device;
  bool firstSeen = device->backendState == nullptr;
  if (firstSeen) device->backendState = new AlsaState;
  device->ops = &kAlsaOps;
  device->name = name;
  device->transport = transport;
  std::vector<Float64> rates;
  DescribeSide(device, kSideOutput, playback, category, &rates);
  DescribeSide(device, kSideInput, capture, category, &rates);
  device->rates = rates;
  Float64 current = device->sampleRate.load();
  if (firstSeen || std::find(rates.begin(), rates.end(), current) == rates.end()) {
    bool has48k = std::find(rates.begin(), rates.end(), 48000.0) != rates.end();
    device->sampleRate.store(has48k ? 48000.0 : rates.front());
  }
  device->minFrames.store(64);
  device->maxFrames.store(4096);
  device->capacityFrames = 4096;
  AllocateCycleBuffers(device);
  bool wasGone = !device->alive.exchange(true);
  device->listed.store(true);
  if (wasGone && device->id != 0) PostDevicePropertyNotice(device->id, kAudioDevicePropertyDeviceIsAlive);
  return device;
}

void DiscoverCard(int card, std::vector<AudioDeviceRecord*>* found) {
  snd_ctl_t* ctl = nullptr;
  std::string ctlName = "hw:" + std::to_string(card);
  if (snd_ctl_open(&ctl, ctlName.c_str(), 0) < 0) return;
  snd_ctl_card_info_t* info;
  snd_ctl_card_info_alloca(&info);
  if (snd_ctl_card_info(ctl, info) < 0) {
    snd_ctl_close(ctl);
    return;
  }
  std::string cardId = snd_ctl_card_info_get_id(info);
  std::string cardName = snd_ctl_card_info_get_name(info);
  std::string driver = snd_ctl_card_info_get_driver(info);
  UInt32 transport = driver == "USB-Audio" ? kAudioDeviceTransportTypeUSB : kAudioDeviceTransportTypeBuiltIn;
  snd_pcm_info_t* pcmInfo;
  snd_pcm_info_alloca(&pcmInfo);
  int number = -1;
  while (snd_ctl_pcm_next_device(ctl, &number) == 0 && number >= 0) {
    std::string pcmName;
    bool has[2] = {false, false};
    for (int side = 0; side < 2; ++side) {
      snd_pcm_info_set_device(pcmInfo, unsigned(number));
      snd_pcm_info_set_subdevice(pcmInfo, 0);
      snd_pcm_info_set_stream(pcmInfo, StreamOf(side));
      if (snd_ctl_pcm_info(ctl, pcmInfo) < 0) continue;
      has[side] = true;
      if (pcmName.empty()) pcmName = snd_pcm_info_get_name(pcmInfo);
    }
    if (!has[0] && !has[1]) continue;
    std::string address = "CARD=" + cardId + ",DEV=" + std::to_string(number);
    std::string open = "plughw:" + address;
    AudioDeviceRecord* device =
        DescribeAlsaDevice("alsa:" + address, cardName + ": " + pcmName, transport, has[0] ? open : "",
                           has[1] ? open : "", pcmName);
    if (device != nullptr) found->push_back(device);
  }
  snd_ctl_close(ctl);
}

void DiscoverNamedPcms(std::vector<AudioDeviceRecord*>* found) {
  const char* list = std::getenv("ZARIN_ALSA_PCMS");
  if (list == nullptr) return;
  std::string names = list;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(',', start);
    if (end == std::string::npos) end = names.size();
    std::string pcm = names.substr(start, end - start);
    start = end + 1;
    if (pcm.empty()) continue;
    bool has[2] = {false, false};
    for (int side = 0; side < 2; ++side) {
      snd_pcm_t* probe = nullptr;
      if (snd_pcm_open(&probe, pcm.c_str(), StreamOf(side), SND_PCM_NONBLOCK) == 0) {
        has[side] = true;
        snd_pcm_close(probe);
      }
    }
    if (!has[0] && !has[1]) continue;
    AudioDeviceRecord* device = DescribeAlsaDevice("alsa:" + pcm, "ALSA " + pcm, kAudioDeviceTransportTypeVirtual,
                                                   has[0] ? pcm : "", has[1] ? pcm : "", pcm);
    if (device != nullptr) found->push_back(device);
  }
}

// ---- running

bool ConfigurePcm(snd_pcm_t* pcm, UInt32 channels, UInt32 rate, UInt32 frames, bool playback) {
  snd_pcm_hw_params_t* hw;
  snd_pcm_hw_params_alloca(&hw);
  unsigned int exactRate = rate;
  snd_pcm_uframes_t period = frames;
  snd_pcm_uframes_t buffer = snd_pcm_uframes_t(frames) * 4;
  if (snd_pcm_hw_params_any(pcm, hw) < 0 ||
      snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
      snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_FLOAT_LE) < 0 ||
      snd_pcm_hw_params_set_channels(pcm, hw, channels) < 0 ||
      snd_pcm_hw_params_set_rate_near(pcm, hw, &exactRate, nullptr) < 0 || exactRate != rate) {
    return false;
  }
  snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr);
  snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer);
  if (snd_pcm_hw_params(pcm, hw) < 0) return false;
  snd_pcm_sw_params_t* sw;
  snd_pcm_sw_params_alloca(&sw);
  snd_pcm_sw_params_current(pcm, sw);
  snd_pcm_sw_params_set_start_threshold(pcm, sw, playback ? frames : 1);
  snd_pcm_sw_params_set_avail_min(pcm, sw, frames);
  return snd_pcm_sw_params(pcm, sw) >= 0 && snd_pcm_prepare(pcm) >= 0;
}

// Moves frames in or out, waiting in bounded steps; false when the stream failed for good.
bool TransferFrames(AudioDeviceRecord* device, AlsaState* state, int side, float* data, UInt32 frames) {
  snd_pcm_t* pcm = state->pcm[side];
  UInt32 channels = device->sides[side].channels;
  UInt32 done = 0;
  while (done < frames && !state->quit.load(std::memory_order_acquire)) {
    float* at = data + size_t(done) * channels;
    snd_pcm_sframes_t n = side == kSideOutput ? snd_pcm_writei(pcm, at, frames - done)
                                              : snd_pcm_readi(pcm, at, frames - done);
    if (n == -EAGAIN) {
      snd_pcm_wait(pcm, kWaitMillis);
      continue;
    }
    if (n < 0) {
      PostDevicePropertyNotice(device->id, kAudioDeviceProcessorOverload);
      if (snd_pcm_recover(pcm, int(n), 1) < 0) return false;
      if (side == kSideInput) snd_pcm_start(pcm);
      continue;
    }
    done += UInt32(n);
  }
  if (side == kSideInput && done < frames) {
    std::fill_n(data + size_t(done) * channels, size_t(frames - done) * channels, 0.0f);
  }
  return true;
}

void DeviceLost(AudioDeviceRecord* device) {
  device->alive.store(false);
  StopAllDeviceProcs(device);
  PostDevicePropertyNotice(device->id, kAudioDevicePropertyDeviceIsAlive);
  PostAudioNotice(kNoticeDeviceIdle, device->id, 0, false, 0);  // closes its PCMs
}

void RunAlsaThread(AudioDeviceRecord* device) {
  AlsaState* state = StateOf(device);
  PromoteToRealtime(kAlsaPriority);
  const UInt32 frames = state->frames;
  const Float64 rate = device->sampleRate.load();
  const UInt64 period = NanosForFrames(frames, rate);
  const UInt64 anchor = HostTimeNanos();
  UInt64 sampleTime = 0;
  while (!state->quit.load(std::memory_order_acquire)) {
    if (state->pcm[kSideInput] != nullptr) {
      if (!TransferFrames(device, state, kSideInput, device->inputBuffer.data(), frames)) break;
    }
    UInt64 now = HostTimeNanos();
    IOCycleTimes times;
    times.now = MakeTimeStamp(Float64(sampleTime), now);
    times.input = MakeTimeStamp(Float64(sampleTime) - frames, now - period);
    times.output = MakeTimeStamp(Float64(sampleTime) + frames, now + period);
    RunIOCycle(device, frames, times);
    if (state->pcm[kSideOutput] != nullptr) {
      if (!TransferFrames(device, state, kSideOutput, device->outputMix.data(), frames)) break;
    }
    sampleTime += frames;
    if (state->paced) SleepUntilNanos(anchor + NanosForFrames(sampleTime, rate));
  }
  if (!state->quit.load()) DeviceLost(device);
  state->exited.store(true, std::memory_order_release);
}

void ClosePcms(AlsaState* state) {
  for (snd_pcm_t*& pcm : state->pcm) {
    if (pcm == nullptr) continue;
    snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
    pcm = nullptr;
  }
}

OSStatus AlsaStartHardware(AudioDeviceRecord* device) {
  AlsaState* state = StateOf(device);
  state->frames = std::min(device->bufferFrames.load(), device->capacityFrames);
  UInt32 rate = UInt32(device->sampleRate.load());
  state->paced = false;
  for (int side = 0; side < 2; ++side) {
    if (state->pcmName[side].empty() || device->sides[side].channels == 0) continue;
    if (snd_pcm_open(&state->pcm[side], state->pcmName[side].c_str(), StreamOf(side), SND_PCM_NONBLOCK) < 0 ||
        !ConfigurePcm(state->pcm[side], device->sides[side].channels, rate, state->frames, side == kSideOutput)) {
      ClosePcms(state);
      return kAudioHardwareBadDeviceError;
    }
    if (snd_pcm_type(state->pcm[side]) == SND_PCM_TYPE_NULL) state->paced = true;
  }
  if (state->pcm[kSideOutput] != nullptr) {
    // Two buffers of silence ahead, so that the first cycle's output is not already late.
    std::vector<float> silence(size_t(state->frames) * device->sides[kSideOutput].channels * 2, 0.0f);
    snd_pcm_writei(state->pcm[kSideOutput], silence.data(), state->frames * 2);
  }
  if (state->pcm[kSideInput] != nullptr) snd_pcm_start(state->pcm[kSideInput]);
  state->quit.store(false);
  state->exited.store(false);
  state->thread = std::thread(RunAlsaThread, device);
  return kAudioHardwareNoError;
}

void AlsaStopHardware(AudioDeviceRecord* device) {
  AlsaState* state = StateOf(device);
  if (state->thread.joinable()) {
    state->quit.store(true, std::memory_order_release);
    if (WaitForFlag(state->exited, kDeviceWaitNanos)) {
      state->thread.join();
    } else {
      std::fprintf(stderr, "Zarin: the ALSA device thread of %s did not stop in time\n", device->name.c_str());
      state->thread.detach();
      return;  // its PCMs stay open for it
    }
  }
  ClosePcms(state);
}

// A running ALSA device keeps its rate and buffer size until it stops.
OSStatus AlsaSetSampleRate(AudioDeviceRecord* device, Float64 rate) {
  if (std::find(device->rates.begin(), device->rates.end(), rate) == device->rates.end()) {
    return kAudioDeviceUnsupportedFormatError;
  }
  return device->hardwareRunning && rate != device->sampleRate.load() ? kAudioHardwareIllegalOperationError
                                                                       : kAudioHardwareNoError;
}

OSStatus AlsaSetBufferFrames(AudioDeviceRecord* device, UInt32 frames) {
  if (frames < device->minFrames.load() || frames > device->maxFrames.load()) {
    return kAudioHardwareIllegalOperationError;
  }
  return device->hardwareRunning && frames != device->bufferFrames.load() ? kAudioHardwareIllegalOperationError
                                                                           : kAudioHardwareNoError;
}

// Output: the two buffers queued ahead; input: one buffer.
UInt32 AlsaLatency(AudioDeviceRecord* device, int side) {
  return device->bufferFrames.load() * (side == kSideOutput ? 2 : 1);
}

const AudioBackendOps kAlsaOps = {AlsaStartHardware, AlsaStopHardware, AlsaSetSampleRate, AlsaSetBufferFrames,
                                  AlsaLatency};

}  // namespace

void DiscoverAlsaDevices(std::vector<AudioDeviceRecord*>* found) {
  snd_lib_error_set_handler(QuietAlsaMessage);
  int card = -1;
  while (snd_card_next(&card) == 0 && card >= 0) DiscoverCard(card, found);
  DiscoverNamedPcms(found);
  // Devices that went away leave the list; a running one is told it died.
  for (AudioDeviceRecord* device : AllAudioDevices()) {
    if (device->kind != kBackendAlsa) continue;
    if (std::find(found->begin(), found->end(), device) != found->end()) continue;
    if (device->listed.exchange(false) && device->alive.load()) DeviceLost(device);
  }
}
