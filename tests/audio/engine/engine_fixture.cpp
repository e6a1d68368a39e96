#include "tests/audio/engine/engine_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/disk_thread.h"
#include "platform/coreaudio/core_audio.h"

namespace engine_test {

int32_t TestSourceReader(EngineChannel* channel, int32_t, void* buffer, uint8_t* ready) {
  auto* signal = static_cast<TestSignal*>(channel->readerContext);
  for (int i = 0; i < 20000 && signal->holdRefills.load(); ++i) usleep(100);
  int32_t frames = channel->framesPerBlock * channel->blocksPerHalf;
  int32_t fc = channel->frameChannels;
  for (int32_t f = 0; f < frames; ++f) {
    for (int32_t c = 0; c < fc; ++c) {
      float v = c == 0 ? signal->left : signal->right;
      if (signal->ramp) v = float(c == 0 ? signal->nextFrame + f : -(signal->nextFrame + f));
      if (channel->sampleBits > 16) static_cast<float*>(buffer)[f * fc + c] = v;
      else static_cast<int16_t*>(buffer)[f * fc + c] = int16_t(v);
    }
  }
  if (signal->ramp) signal->nextFrame += frames;
  *ready = 1;
  signal->refills.fetch_add(1);
  return 0;
}

int32_t PassThroughChain(void*, float* const* inputs, int32_t inputCount, float** outputs, int32_t count,
                         int32_t frames) {
  for (int32_t i = 0; i < count; ++i) {
    outputs[i] = gRenderBuffers.chain[i];
    for (int32_t f = 0; f < frames; ++f) outputs[i][f] = i < inputCount ? inputs[i][f] : 0.0f;
  }
  return 0;
}

AudioDeviceID NullDeviceInManualMode(UInt32 frames) {
  AudioDeviceID device = GetNullAudioDevice();
  if (device == kAudioDeviceUnknown) return device;
  // A device stopped from inside its callback lets its hardware go on the notification
  // thread: wait for that (bounded) before switching the mode.
  OSStatus manual = SetNullDeviceManualMode(true);
  for (int i = 0; i < 200 && manual != 0; ++i) {
    AudioHardwareFlushNotifications(50);
    usleep(2000);
    manual = SetNullDeviceManualMode(true);
  }
  if (manual != 0) return kAudioDeviceUnknown;
  if (AudioDeviceSetProperty(device, nullptr, 0, false, kAudioDevicePropertyBufferFrameSize, sizeof frames, &frames))
    return kAudioDeviceUnknown;
  return device;
}

EngineRig::EngineRig(int32_t frames) : frames_(frames) {
  gAudioBufferFrames.store(frames);
  driver.flags = kDriverFlagActive;
  driver.driverId = kDriverIdCoreAudio;
  gCoreAudioIO.driver = &driver;
  gCoreAudioIO.warmUp.store(0);
  gAudioDriverState.store(kDriverPrime);
  TakeEngineError();
  if (!gDiskQueue.running.load()) StartDiskThread();
  EnsureRenderBuffers(4, 2, 1);
  for (auto& b : buffers_) b.assign(size_t(frames_) * 2, 0.0f);
  listBytes_.assign(AudioBufferListSize(2), 0);
  auto* list = reinterpret_cast<AudioBufferList*>(listBytes_.data());
  list->mNumberBuffers = 2;
  for (int b = 0; b < 2; ++b) {
    list->mBuffers[b].mNumberChannels = 2;
    list->mBuffers[b].mDataByteSize = uint32_t(frames_ * 2 * sizeof(float));
    list->mBuffers[b].mData = buffers_[b].data();
  }
}

EngineRig::~EngineRig() {
  // Refills still under way belong to these channels: let them finish first (bounded).
  for (EngineChannel* c : channels_) {
    Signal(c).holdRefills.store(false);
    for (int h = 0; h < 2; ++h)
      for (int i = 0; i < 20000 && c->halfRequested[h].load() != c->halfCompleted[h].load(); ++i) usleep(100);
  }
  WaitForEngineWorkerIdle(&gEngineQueue, 2000);
  for (EngineChannel* c : channels_) {
    DisposeChannelBlocks(c);
    for (void*& h : c->halfBuffer) {
      DisposeEngineBuffer(h);
      h = nullptr;
    }
    delete c;
  }
  gCoreAudioIO.driver = nullptr;
  gAudioDriverState.store(kDriverNothingStarted);
  TakeEngineError();
}

EngineChannel* EngineRig::AddRampChannel(int32_t frameChannels, int16_t sampleBits, int32_t blocksPerHalf) {
  return AddChannel(frameChannels, sampleBits, 0.0f, 0.0f, blocksPerHalf, true);
}

EngineChannel* EngineRig::AddChannel(int32_t frameChannels, int16_t sampleBits, float left, float right,
                                     int32_t blocksPerHalf, bool ramp) {
  auto* c = new EngineChannel();
  signals_.push_back(std::make_unique<TestSignal>());
  TestSignal* signal = signals_.back().get();
  signal->ramp = ramp;
  signal->left = left;
  signal->right = right;
  c->frameChannels = frameChannels;
  c->sourceChannels = frameChannels;
  c->sampleBits = sampleBits;
  c->framesPerBlock = int16_t(frames_);
  c->blocksPerHalf = int16_t(blocksPerHalf);
  c->blockBytes = frames_ * frameChannels * (sampleBits > 16 ? 4 : 2);
  c->reader = TestSourceReader;
  c->readerContext = signal;
  c->device = &driver;
  c->streaming = 1;
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
  AllocateChannelBlocks(c, frames_);
  for (int h = 0; h < 2; ++h) {
    int16_t err = 0;
    c->halfBuffer[h] = NewEngineBuffer(c->blockBytes * blocksPerHalf, &err);
    TestSourceReader(c, h, c->halfBuffer[h], &c->halfReady[h]);
  }
  c->currentHalf = 0;
  c->readPointer = static_cast<uint8_t*>(c->halfBuffer[0]);
  c->blocksLeft = int16_t(blocksPerHalf);
  // Append to the device's list.
  EngineChannel** tail = &driver.channelList;
  while (*tail) tail = &(*tail)->next;
  *tail = c;
  channels_.push_back(c);
  return c;
}

TestSignal& EngineRig::Signal(EngineChannel* channel) { return *static_cast<TestSignal*>(channel->readerContext); }

void EngineRig::Cycle() {
  for (auto& b : buffers_) std::fill(b.begin(), b.end(), 0.0f);
  AudioTimeStamp now, out;
  now.mHostTime = hostTime_;
  out.mHostTime = hostTime_ + 1000000;
  hostTime_ += 1451247;
  AudioOutputProc(1, &now, nullptr, nullptr, reinterpret_cast<AudioBufferList*>(listBytes_.data()), &out, &driver);
}

void EngineRig::WaitForRefills() {
  for (EngineChannel* c : channels_)
    for (int h = 0; h < 2; ++h)
      for (int i = 0; i < 4000 && c->halfCompleted[h].load() != c->halfRequested[h].load(); ++i) usleep(500);
}

bool EngineRig::WaitForMixes(uint32_t count) {
  for (int i = 0; i < 20000 && gEngineQueue.cyclesMixed.load() < count; ++i) usleep(100);
  return gEngineQueue.cyclesMixed.load() >= count;
}

float EngineRig::Sample(uint32_t deviceChannel, int32_t frame) const {
  const std::vector<float>& b = buffers_[deviceChannel / 2];
  return b[size_t(frame) * 2 + deviceChannel % 2];
}

}  // namespace engine_test
