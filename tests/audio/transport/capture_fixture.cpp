#include "tests/audio/transport/capture_fixture.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/engine/audio_hooks.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_start.h"
#include "audio/engine/engine_state.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/output_render.h"
#include "platform/coreaudio/core_audio.h"
#include "sequencer/transport/transport_engine.h"
#include "tests/audio/engine/engine_fixture.h"

namespace capture_test {

int32_t CountingReader(EngineChannel* channel, int32_t, void* buffer, uint8_t* ready) {
  auto* counted = static_cast<int32_t*>(channel->readerContext);
  auto* samples = static_cast<int16_t*>(buffer);
  for (int32_t i = 0; i < channel->framesPerBlock * channel->blocksPerHalf; ++i)
    samples[i] = int16_t(1 + (*counted)++ % kCountCycle);
  *ready = 1;
  return 0;
}

std::vector<float> ReadSide(const std::string& path, int32_t side) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return {};
  std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
  sf_readf_float(file, frames.data(), info.frames);
  sf_close(file);
  const size_t at = size_t(side < info.channels ? side : info.channels - 1);
  std::vector<float> samples(size_t(info.frames));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = frames[i * size_t(info.channels) + at];
  return samples;
}

std::vector<float> ReadLeft(const std::string& path) { return ReadSide(path, 0); }

}  // namespace capture_test

void CaptureTest::OpenCapture(int32_t frames, const std::string& name) {
  frames_ = frames;
  InstallAudioHooks();
  device_ = engine_test::NullDeviceInManualMode(UInt32(frames));
  ASSERT_NE(device_, kAudioDeviceUnknown);
  gAudioBufferFrames.store(frames);
  SetAudioMode(3);
  gCoreAudioDevices.outputDevice = device_;
  gCoreAudioDevices.inputOff = 1;
  savedDevices_ = gOutputDevices;
  gCoreAudioDriver.next = nullptr;
  gOutputDevices = &gCoreAudioDriver;
  CaptureInto(name);
}

void CaptureTest::TearDown() {
  // The engine stops before the test's songs are disposed: stopping asks the transport's song.
  StopAudioEngine(0);
  TransportTest::TearDown();
  CloseCoreAudioOutput();
  SetNullDeviceCapturePath(nullptr);
  AudioHardwareFlushNotifications(1000);
  SetNullDeviceManualMode(false);
  gOutputDevices = savedDevices_;
  gCoreAudioDevices = CoreAudioDevices();
  gCoreAudioSettings = CoreAudioSettings();
  gAudioSuspended = 0;
}

EngineChannel* CaptureTest::AddFileChannel(FSIORefNum fork, OSType format, uint16_t width, int32_t channels,
                                           const AudioFileDescription* description, Handle regions) {
  EngineChannel* c = nullptr;
  EXPECT_EQ(ClaimEngineChannel(&c), 0);
  if (!c) return nullptr;
  c->device = &gCoreAudioDriver;
  c->song = gTransportSong;
  c->sampleRate = gCoreAudioDriver.sampleRate;
  c->framesPerBlock = int16_t(frames_);
  c->sourceRate = 44100.0f;
  c->sourceFormat = format;
  c->sourceWidth = width;
  c->sourceChannels = channels;
  c->fileRequest.forkRefNum = fork;
  c->fileDescription = description;
  c->regionList = regions;
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
  EXPECT_EQ(AllocateChannelBlocks(c, frames_), 0);
  c->next = gCoreAudioDriver.channelList;
  gCoreAudioDriver.channelList = c;
  return c;
}

void CaptureTest::PlayServedCycles(EngineChannel* c, int32_t count) {
  auto served = [c](int32_t h) { return c->halfRequested[h].load() == c->halfCompleted[h].load(); };
  for (int32_t i = 0; i < count; ++i) {
    Cycles(1);
    for (int32_t w = 0; w < 50000 && !(served(0) && served(1)); ++w) usleep(100);
  }
}

void CaptureTest::CaptureInto(const std::string& name) {
  wav_ = folder_.File(name);
  ASSERT_EQ(SetNullDeviceCapturePath(wav_.c_str()), 0);
}

EngineChannel* CaptureTest::AddCountingChannel(ChannelRenderState* renderState) {
  using namespace capture_test;
  EngineChannel* c = nullptr;
  EXPECT_EQ(ClaimEngineChannel(&c), 0);
  if (!c) return nullptr;
  counted_ = 0;
  c->frameChannels = c->sourceChannels = 1;
  c->sampleBits = 16;
  c->sampleRate = gCoreAudioDriver.sampleRate;
  c->framesPerBlock = int16_t(frames_);
  c->blocksPerHalf = int16_t(kBlocksPerHalf);
  c->blockBytes = frames_ * 2;
  c->reader = CountingReader;
  c->readerContext = &counted_;
  c->device = &gCoreAudioDriver;
  c->song = gTransportSong;
  c->streaming = 1;
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
  EXPECT_EQ(AllocateChannelBlocks(c, frames_), 0);
  for (int32_t h = 0; h < 2; ++h) {
    int16_t err = 0;
    c->halfBuffer[h] = NewEngineBuffer(c->blockBytes * kBlocksPerHalf, &err);
    EXPECT_EQ(err, 0);
    CountingReader(c, h, c->halfBuffer[h], &c->halfReady[h]);
  }
  c->readPointer = static_cast<uint8_t*>(c->halfBuffer[0]);
  c->blocksLeft = int16_t(kBlocksPerHalf);
  if (renderState) c->renderState = renderState;
  c->next = gCoreAudioDriver.channelList;
  gCoreAudioDriver.channelList = c;
  return c;
}

namespace {

bool RefillsOutstanding() {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    const EngineChannel* c = gEngineChannelLists[i];
    if (!c) continue;
    for (int32_t h = 0; h < 2; ++h)
      if (c->halfRequested[h].load() != c->halfCompleted[h].load()) return true;
  }
  return false;
}

}  // namespace

void CaptureTest::Cycles(int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    uint32_t mixed = gEngineQueue.cyclesMixed.load();
    int32_t state = gAudioDriverState.load();
    ASSERT_EQ(RunNullDeviceCycles(1), 1u);
    if (state >= kDriverWarmUp && state <= kDriverRunningAtRate) {
      for (int32_t w = 0; w < 20000 && gEngineQueue.cyclesMixed.load() <= mixed; ++w) usleep(100);
      // The device waits for nobody here: the disk gets its time to serve the refills the cycle
      // asked for, as it would within a real buffer's time, so a loaded machine hears no underrun.
      for (int32_t w = 0; w < 20000 && RefillsOutstanding(); ++w) usleep(100);
    }
  }
}

std::vector<float> CaptureTest::Heard() {
  CloseCoreAudioOutput();
  SetNullDeviceCapturePath(nullptr);
  return capture_test::ReadLeft(wav_);
}
