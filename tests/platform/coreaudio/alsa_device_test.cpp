// The ALSA backend through ALSA's own "null" PCM, named with ZARIN_ALSA_PCMS (containers have
// no sound cards): discovery, a real-time run and the refusals of a running device.
#include <atomic>

#include "tests/platform/coreaudio/audio_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace audio_test;

class AlsaDeviceTest : public AudioTest {};

std::atomic<int> gAlsaCalls{0};
std::atomic<UInt32> gAlsaFrames{0};

OSStatus CountingProc(AudioDeviceID, const AudioTimeStamp*, const AudioBufferList* input, const AudioTimeStamp*,
                      AudioBufferList* output, const AudioTimeStamp*, void*) {
  if (output->mNumberBuffers == 1 && input->mNumberBuffers == 1) {
    gAlsaFrames.store(output->mBuffers[0].mDataByteSize / (output->mBuffers[0].mNumberChannels * 4));
  }
  ++gAlsaCalls;
  return 0;
}

TEST_F(AlsaDeviceTest, NamedPcmRunsAsADevice) {
  zarin_test::ScopedEnv pcms("ZARIN_ALSA_PCMS", "null");
  AudioDeviceID alsa = FindDeviceNamed("ALSA null");
  ASSERT_NE(alsa, kAudioDeviceUnknown);
  EXPECT_EQ(GetText(alsa, 0, false, kAudioDevicePropertyDeviceUID), "alsa:null");
  EXPECT_EQ(CountChannels(alsa, false), 2u);
  EXPECT_EQ(CountChannels(alsa, true), 2u);
  EXPECT_EQ(GetF64(alsa, kAudioDevicePropertyNominalSampleRate), 48000.0);
  ASSERT_EQ(SetU32(alsa, false, kAudioDevicePropertyBufferFrameSize, 256), 0);

  ASSERT_EQ(AudioDeviceAddIOProc(alsa, CountingProc, nullptr), 0);
  ASSERT_EQ(AudioDeviceStart(alsa, CountingProc), 0);
  ASSERT_TRUE(WaitUntil([] { return gAlsaCalls.load() >= 5; }));
  EXPECT_EQ(GetU32(alsa, false, kAudioDevicePropertyDeviceIsRunning), 1u);
  EXPECT_EQ(gAlsaFrames.load(), 256u);
  // A running ALSA device keeps its buffer size and rate.
  EXPECT_EQ(SetU32(alsa, false, kAudioDevicePropertyBufferFrameSize, 512), kAudioHardwareIllegalOperationError);
  EXPECT_EQ(SetF64(alsa, kAudioDevicePropertyNominalSampleRate, 44100.0), kAudioHardwareIllegalOperationError);
  ASSERT_EQ(AudioDeviceStop(alsa, CountingProc), 0);
  int calls = gAlsaCalls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(gAlsaCalls.load(), calls);
  EXPECT_EQ(SetU32(alsa, false, kAudioDevicePropertyBufferFrameSize, 512), 0);
  ASSERT_EQ(AudioDeviceRemoveIOProc(alsa, CountingProc), 0);
}

TEST_F(AlsaDeviceTest, UnnamedPcmsAreNotListed) {
  zarin_test::ScopedEnv pcms("ZARIN_ALSA_PCMS", "no_such_pcm,");
  for (AudioDeviceID id : DeviceList()) {
    EXPECT_NE(GetText(id, 0, false, kAudioDevicePropertyDeviceUID), "alsa:no_such_pcm");
  }
}

}  // namespace
