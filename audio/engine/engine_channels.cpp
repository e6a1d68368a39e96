#include "audio/engine/engine_channels.h"

#include <sys/mman.h>

#include <cmath>
#include <new>

#include "audio/devices/audio_driver.h"
#include "sequencer/clock/sequencer_clock.h"

AudioEngineState gAudioEngine;
RenderBufferTables gRenderBuffers;

void* NewEngineBuffer(int32_t size, int16_t* errOut) {
  Ptr block = size > 0 ? NewPtrClear(size) : nullptr;
  if (errOut) *errOut = block ? 0 : kEngineErrNoMemory;
  return block;
}

void DisposeEngineBuffer(void* block) {
  if (!block) return;
  Ptr p = static_cast<Ptr>(block);
  munlock(p, size_t(GetPtrSize(p)));
  DisposePtr(p);
}

void FreeRenderBuffers() {
  for (int32_t i = 0; i < kRenderBufferCount; ++i) {
    DisposeEngineBuffer(gRenderBuffers.chain[i]);
    DisposeEngineBuffer(gRenderBuffers.second[i]);
    gRenderBuffers.chain[i] = nullptr;
    gRenderBuffers.second[i] = nullptr;
    gRenderBuffers.secondFrames[i] = 0;
  }
  gRenderBuffers.chainFrames = 0;
}

void SetEngineSampleRate(float rate) {
  gEngineSampleRate = rate;
  gEngineMsPerSample = rate > 0.0f ? 1000.0 / rate : 0.0;
}

uint32_t MillisecondsToRateSamples(double ms) {
  double samples = double(int32_t(gEngineSampleRate)) / 1000.0 * ms + 0.5;
  return samples > 0 ? uint32_t(samples) : 0;
}

int16_t LatchAudioEngineError(int16_t code) {
  HaltSequencerTicks();
  // Keep the first error even when two threads latch at once.
  int16_t found = 0;
  if (code != 0 && gEngineError.compare_exchange_strong(found, code)) return 0;
  return gEngineError.load();
}

int16_t TakeEngineError() { return gEngineError.exchange(0); }

void ClearEngineChannel(EngineChannel* channel) {
  channel->~EngineChannel();
  new (channel) EngineChannel();
}

int16_t ClaimEngineChannel(EngineChannel** channelOut) {
  *channelOut = nullptr;
  if (gEngineChannelCount >= kEngineChannelSlots) return kEngineErrSlotsInUse;
  EngineChannel*& slot = gEngineChannelLists[gEngineChannelCount];
  if (slot) {
    ClearEngineChannel(slot);
  } else {
    int16_t err = 0;
    void* block = NewEngineBuffer(int32_t(sizeof(EngineChannel)), &err);
    if (!block) return err;
    slot = new (block) EngineChannel();
  }
  ++gEngineChannelCount;
  *channelOut = slot;
  return 0;
}

void ReleaseEngineChannels() { gEngineChannelCount = 0; }

EngineChannel* FindEngineChannelById(uint32_t id) {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i)
    if (EngineChannel* c = gEngineChannelLists[i]; c && c->id == id) return c;
  return nullptr;
}

int16_t AllocateChannelBlocks(EngineChannel* channel, int32_t frames) {
  int16_t err = 0;
  for (int32_t s = 0; s < 2; ++s) {
    if (!channel->mixBuffer[s])
      channel->mixBuffer[s] = static_cast<float*>(NewEngineBuffer(frames * 2 * int32_t(sizeof(float)), &err));
    if (err) return err;
  }
  if (!channel->renderBlock) {
    channel->renderBlockBytes = frames * kRenderBufferCount * int32_t(sizeof(float));
    channel->renderBlock = NewEngineBuffer(channel->renderBlockBytes, &err);
    if (err) channel->renderBlockBytes = 0;
  }
  return err;
}

void DisposeChannelBlocks(EngineChannel* channel) {
  for (int32_t s = 0; s < 2; ++s) {
    DisposeEngineBuffer(channel->mixBuffer[s]);
    channel->mixBuffer[s] = nullptr;
  }
  DisposeEngineBuffer(channel->renderBlock);
  channel->renderBlock = nullptr;
  channel->renderBlockBytes = 0;
}

int32_t ResetOutputDevices() {
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (d->channelList && (d->flags & kDriverFlagActive) && d->Start) d->Start();
  }
  return 0;
}

int32_t PrepareOutputDevices(int32_t rate) {
  int32_t result = 0;
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (d->channelList && d->SetPlayRate) result = d->SetPlayRate(rate);
  }
  return result;
}

int64_t ChannelClockPosition(const EngineChannel*, int64_t startPosition) {
  int64_t sum = startPosition + gEngineSampleClock.load();
  return sum < 0 ? 0 : sum;
}

int32_t ScaleByMasterLevel(int32_t value) {
  if (gMasterLevel == 0) return 0;
  if (gMasterLevel >= 4096) return value;
  return int32_t(int64_t(value) * gMasterLevel / 4096);
}

void SetChannelGains(int32_t volume, int32_t pan, int32_t* left, int32_t* right) {
  if (volume < 0) volume = 0;
  if (pan < 0) pan = 0;
  if (pan > 127) pan = 127;
  if (pan <= 64) {
    *left = volume;
    *right = int32_t((int64_t(volume) * pan + 32) / 64);
  } else {
    *right = volume;
    *left = int32_t(std::lround(double(volume) * (127 - pan) / 63.0));
  }
}
