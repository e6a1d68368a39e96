// The stream mixer inside the running engine: a counting stream (frame n holds n) with
// volume and pan automation plays through the mix cycle and the output procedure into the
// device buffers, each frame at the gain its position calls for; a fade-out then ramps one
// block down to silence and the channel stops.
#include <gtest/gtest.h>

#include <vector>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_thread.h"
#include "tests/audio/engine/engine_fixture.h"
#include "tests/audio/render/stream_mix_fixture.h"

using engine_test::EngineRig;
using engine_test::kFrames;

namespace {

// Frame n of the stream: volume 32768 before 100, 16384 from there, pan 127 from 150.
void ExpectedFrame(int32_t n, int32_t* left, int32_t* right) {
  int32_t gain = n < 100 ? 32768 : 16384;
  *left = n >= 150 ? 0 : (gain == 32768 ? n : (n * gain) >> 15);
  *right = gain == 32768 ? n : (n * gain) >> 15;
}

}  // namespace

TEST(StreamMixEngine, AutomationAndAFadeReachTheDeviceBuffersFrameByFrame) {
  SetAudioMode(1);  // inline: each output procedure call mixes the next block itself
  {
    EngineRig rig;
    EngineChannel* channel = rig.AddRampChannel(1, 16);
    channel->automation = stream_mix_test::MakeAutomation(
        {{0, 32768, 0, kAutomationVolume}, {100, 16384, 0, kAutomationVolume}, {150, 0, 127, kAutomationPan}});
    channel->automationCursor = FindAutomationRecord(channel->automation, 0);
    rig.WaitForRefills();
    rig.Cycle();  // prime: block 0 is mixed
    for (int32_t block = 0; block < 5; ++block) {
      rig.WaitForRefills();
      rig.Cycle();  // block `block` reaches the device, the next one is mixed
      for (int32_t f = 0; f < kFrames; ++f) {
        int32_t n = block * kFrames + f, left = 0, right = 0;
        ExpectedFrame(n, &left, &right);
        ASSERT_EQ(int32_t(rig.Sample(0, f) * 32768.0f), left) << "frame " << n;
        ASSERT_EQ(int32_t(rig.Sample(1, f) * 32768.0f), right) << "frame " << n;
      }
    }
    // Block 5 is mixed already; the fade runs on block 6, heard after it.
    channel->fadeState = kFadeStateOutThenWait;
    rig.WaitForRefills();
    rig.Cycle();
    rig.WaitForRefills();
    rig.Cycle();
    for (int32_t f = 0; f < kFrames; ++f) {
      int32_t n = 6 * kFrames + f;
      int32_t want = int32_t((int64_t((n * 16384) >> 15)) * (kFrames - f) / kFrames);
      ASSERT_EQ(int32_t(rig.Sample(1, f) * 32768.0f), want) << "frame " << n;
    }
    for (int32_t i = 0; i < 4; ++i) {
      rig.WaitForRefills();
      rig.Cycle();
      EXPECT_EQ(rig.Sample(1, 10), 0.0f) << "after the fade, cycle " << i;
    }
    EXPECT_EQ(channel->stopped, 1);
    EXPECT_EQ(channel->fadeState, kFadeStateRest);
    DisposeHandle(channel->automation);
    channel->automation = nullptr;
  }
  SetAudioMode(3);
}
