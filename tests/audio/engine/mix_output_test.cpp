// Engine channels fed by a known signal come out of the device buffers with their gain, pan,
// output pair and mix kind; the ping-pong selectors flip once per cycle; a late refill is an
// underrun.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <thread>
#include <vector>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_state.h"
#include "audio/render/block_conversions.h"
#include "audio/render/mix_cycle.h"
#include "audio/render/output_render.h"
#include "audio/render/stream_block_mix.h"
#include "sequencer/clock/transport_clock.h"
#include "tests/audio/engine/engine_fixture.h"

using engine_test::EngineRig;
using engine_test::kFrames;
using engine_test::PassThroughChain;

namespace {

struct MixCase {
  const char* name;
  int32_t frameChannels;
  int16_t bits;
  float left, right;       // the source signal
  int32_t volume, pan, pair;
  int32_t mixKind;         // -1: no render state
  float wetGain;
  uint16_t dryLevel;
  float expectLeft, expectRight;
  int16_t expectError;
};

const MixCase kCases[] = {
    {"centre", 1, 16, 16384, 0, 32768, 64, 0, -1, 32768, 256, 0.5f, 0.5f, 0},
    {"hard left", 1, 16, 16384, 0, 32768, 0, 0, -1, 32768, 256, 0.5f, 0.0f, 0},
    {"hard right", 1, 16, 16384, 0, 32768, 127, 0, -1, 32768, 256, 0.0f, 0.5f, 0},
    {"half volume", 1, 16, 16384, 0, 16384, 64, 0, -1, 32768, 256, 0.25f, 0.25f, 0},
    {"float stereo on pair 1", 2, 32, 0.5f, -0.25f, 32768, 64, 1, -1, 32768, 256, 0.5f, -0.25f, 0},
    {"kind 0 wet plus dry", 1, 16, 8192, 0, 32768, 64, 0, 0, 32768, 256, 0.5f, 0.5f, 0},
    {"kind 1 half wet", 1, 16, 8192, 0, 32768, 64, 0, 1, 16384, 256, 0.375f, 0.375f, 0},
    {"kind 2 mono from stereo dry", 2, 16, 8192, 4096, 32768, 64, 0, 2, 32768, 256, 0.4375f, 0.4375f, 0},
    {"kind 5 half wet on each side", 2, 16, 8192, 4096, 32768, 64, 0, 5, 32768, 256, 0.375f, 0.25f, 0},
    {"kind 6 float mono", 1, 32, 0.5f, 0, 32768, 64, 0, 6, 32768, 128, 0.75f, 0.75f, 0},
    {"kind 9 float pairs", 2, 32, 0.5f, 0.25f, 32768, 64, 0, 9, 32768, 0, 0.5f, 0.25f, 0},
    {"kind 18 24-bit mono", 1, 32, 0.25f, 0, 32768, 64, 0, 18, 32768, 0, 0.25f, 0.25f, 0},
    {"kind 23 24-bit from mono wet", 2, 32, 0.25f, 0.5f, 32768, 64, 0, 23, 32768, 0, 0.25f, 0.25f, 0},
    {"kind 25 dry on the first channel", 2, 16, 8192, 4096, 32768, 64, 0, 25, 32768, 256, 0.5f, 0.125f, 0},
    {"kind 27 dry on the first pair", 2, 16, 8192, 4096, 32768, 64, 0, 27, 32768, 256, 0.5f, 0.25f, 0},
    {"kind 0 saturates", 1, 16, 32767, 0, 32768, 64, 0, 0, 32768, 256, 32767.0f / 32768, 32767.0f / 32768, 0},
    {"kind 14 is refused", 1, 16, 8192, 0, 32768, 64, 0, 14, 32768, 256, 0.0f, 0.0f, -4},
};

void ExpectBlock(const EngineRig& rig, const MixCase& c, const char* when) {
  for (uint32_t ch = 0; ch < 4; ++ch) {
    float want = 0.0f;
    if (ch == uint32_t(2 * c.pair)) want = c.expectLeft;
    if (ch == uint32_t(2 * c.pair + 1)) want = c.expectRight;
    for (int32_t f = 0; f < kFrames; f += 7)
      ASSERT_NEAR(rig.Sample(ch, f), want, 1e-4) << c.name << ", " << when << ", device channel " << ch;
  }
}

TEST(MixOutput, GainPanPairAndMixKindReachTheDeviceBuffers) {
  SetAudioMode(1);  // inline: the cycle is mixed in the output procedure
  for (const MixCase& c : kCases) {
    EngineRig rig;
    ChannelRenderState state;
    EngineChannel* channel = rig.AddChannel(c.frameChannels, c.bits, c.left, c.right);
    SetChannelGains(c.volume, c.pan, &channel->gainLeft, &channel->gainRight);
    channel->outputPair = uint8_t(c.pair);
    if (c.mixKind >= 0) {
      state.mixKind = c.mixKind;
      state.wetGain = c.wetGain;
      state.dryLevel = c.dryLevel;
      channel->renderState = &state;
    }
    rig.Cycle();  // prime: the first block is mixed
    rig.Cycle();  // warm-up: the first block reaches the device
    ExpectBlock(rig, c, "first buffer");
    for (int i = 0; i < 6; ++i) rig.Cycle();  // across both stream halves
    ExpectBlock(rig, c, "later buffer");
    EXPECT_EQ(gEngineError.load(), c.expectError) << c.name;
    if (c.mixKind == 0 && c.left == 32767) {
      EXPECT_EQ(channel->clipped, 1) << c.name;
    }
    EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);
  }
  SetAudioMode(3);
}

TEST(MixOutput, PingPongSelectorsFlipOncePerCycle) {
  SetAudioMode(3);
  ASSERT_EQ(StartEngineThread(), 0);
  {
    EngineRig rig;
    rig.AddChannel(1, 16, 16384, 0);
    uint32_t mixed = gEngineQueue.cyclesMixed.load();
    uint32_t late = gLateMixHandOffs.load();
    rig.Cycle();  // prime (mixed in the procedure)
    EXPECT_EQ(rig.driver.outputSelector.load(), 1u);
    rig.Cycle();  // warm-up: selector 0 out, the engine mixes selector 1
    ASSERT_TRUE(rig.WaitForMixes(++mixed));
    rig.WaitForRefills();  // the disk serves within a buffer's time, however loaded the machine
    EXPECT_NEAR(rig.Sample(0, 5), 0.5f, 1e-5);
    for (int i = 0; i < 8; ++i) {
      uint32_t r = rig.driver.routineSelector.load(), s = rig.driver.outputSelector.load();
      EXPECT_EQ(r, s ^ 1u) << "the engine mixes the block the device just played";
      rig.Cycle();
      ASSERT_TRUE(rig.WaitForMixes(++mixed));
      rig.WaitForRefills();
      EXPECT_EQ(gEngineQueue.cyclesMixed.load(), mixed);
      EXPECT_EQ(rig.driver.routineSelector.load(), r ^ 1u);
      EXPECT_EQ(rig.driver.outputSelector.load(), s ^ 1u);
      EXPECT_NEAR(rig.Sample(0, 17), 0.5f, 1e-5);
      EXPECT_NEAR(rig.Sample(1, 17), 0.5f, 1e-5);
    }
    EXPECT_EQ(gLateMixHandOffs.load(), late);
    EXPECT_EQ(gEngineError.load(), 0);
  }
  EXPECT_TRUE(StopRealtimeThread(&gEngineQueue, 2000));
}

TEST(MixOutput, ALateRefillIsAnUnderrun) {
  SetAudioMode(1);
  {
    EngineRig rig;
    EngineChannel* channel = rig.AddChannel(1, 16, 16384, 0, 2);
    rig.Signal(channel).holdRefills.store(true);
    rig.Cycle();  // half 0, block 0
    rig.Cycle();  // half 0, block 1
    rig.Cycle();  // half 1 (ready), refill of half 0 requested and held back
    rig.Cycle();  // half 1, block 1
    EXPECT_EQ(gEngineError.load(), 0);
    rig.Cycle();  // half 0 has not arrived
    EXPECT_EQ(gEngineError.load(), kEngineErrUnderrun);
    EXPECT_EQ(channel->currentHalf, 1u);
    TakeEngineError();
    rig.Signal(channel).holdRefills.store(false);
    ASSERT_TRUE(WaitForEngineWorkerIdle(&gDiskQueue, 2000));
    for (int i = 0; i < 200 && channel->halfCompleted[0].load() != channel->halfRequested[0].load(); ++i) usleep(500);
    rig.Cycle();  // plays half 0 again
    rig.Cycle();
    EXPECT_EQ(gEngineError.load(), 0);
    EXPECT_NEAR(rig.Sample(0, 3), 0.5f, 1e-5);
  }
  SetAudioMode(3);
}

// After a locate the half flip waits for the disk (bounded by one device buffer): a refill
// that arrives within it plays in order; one that does not is still an underrun, and the
// engine thread goes on.
TEST(MixOutput, AfterALocateTheFlipWaitsForTheDiskWithinABuffer) {
  SetAudioMode(1);
  for (bool arrives : {true, false}) {
    const int32_t frames = arrives ? 16384 : kFrames;
    EngineRig rig(frames);
    EngineChannel* channel = rig.AddRampChannel(1, 32, 2);
    EngineChannel* savedSlot = gEngineChannelLists[0];
    int32_t savedCount = gEngineChannelCount;
    gEngineChannelLists[0] = channel;
    gEngineChannelCount = 1;
    rig.Signal(channel).holdRefills.store(true);
    for (int i = 0; i < 4; ++i) rig.Cycle();  // both halves; the refill of half 0 is held back
    ASSERT_EQ(gEngineError.load(), 0);
    gRefillPending.store(1);
    std::thread disk;
    if (arrives) {
      disk = std::thread([&rig, channel] {
        usleep(5000);
        rig.Signal(channel).holdRefills.store(false);
      });
    }
    rig.Cycle();  // half 0 again: waits for it
    if (disk.joinable()) disk.join();
    EXPECT_EQ(gRefillPending.load(), 0);
    if (arrives) {
      EXPECT_EQ(gEngineError.load(), 0);
      EXPECT_EQ(channel->currentHalf, 0u);
      // The device hears the block a cycle after it is mixed: half 0 now holds the frames
      // after both first halves.
      rig.Cycle();
      EXPECT_EQ(rig.Sample(0, 0), float(4 * frames));
      EXPECT_EQ(rig.Sample(0, frames - 1), float(5 * frames - 1));
    } else {
      EXPECT_EQ(gEngineError.load(), kEngineErrUnderrun);
      rig.Signal(channel).holdRefills.store(false);
    }
    gEngineChannelLists[0] = savedSlot;
    gEngineChannelCount = savedCount;
    TakeEngineError();
  }
  SetAudioMode(3);
}

// A refill that cannot be posted stops the channel for the rest of the run: it never plays the
// half it used up again.
TEST(MixOutput, ARefillThatCannotBePostedStopsTheChannel) {
  SetAudioMode(1);
  {
    EngineRig rig;
    EngineChannel* channel = rig.AddChannel(1, 16, 16384, 0, 2);
    rig.Cycle();
    channel->selectorRendered[0] = channel->selectorRendered[1] = 1;
    uint32_t requested = channel->halfRequested[1].load();
    EngineWorker ringless;  // a worker without a ring refuses every message
    EXPECT_NE(RequestHalfRefill(channel, 1, &ringless), 0);
    EXPECT_EQ(channel->halfRequested[1].load(), requested) << "nothing waits for it";
    EXPECT_EQ(channel->stopped, 1);
    EXPECT_EQ(channel->selectorRendered[0] + channel->selectorRendered[1], 0);
    EXPECT_NE(TakeEngineError(), 0);
  }
  SetAudioMode(3);
}

TEST(MixOutput, ReversedFramesKeepEachFramesSamplesInOrder) {
  int16_t stereo16[] = {1, -1, 2, -2, 3, -3};
  ReverseFrames(stereo16, 3, 2, 16);
  EXPECT_EQ(std::vector<int16_t>(std::begin(stereo16), std::end(stereo16)), (std::vector<int16_t>{3, -3, 2, -2, 1, -1}));
  float mono[] = {0.5f, 0.25f, -1.0f, 0.125f};
  ReverseFrames(mono, 4, 1, 32);
  EXPECT_EQ(std::vector<float>(std::begin(mono), std::end(mono)), (std::vector<float>{0.125f, -1.0f, 0.25f, 0.5f}));
  float stereo[] = {1, 10, 2, 20, 3, 30, 4, 40, 5, 50};
  ReverseFrames(stereo, 5, 2, 32);
  EXPECT_EQ(std::vector<float>(std::begin(stereo), std::end(stereo)),
            (std::vector<float>{5, 50, 4, 40, 3, 30, 2, 20, 1, 10}));
}

// A reverse channel plays each half it turns to from its end.
TEST(MixOutput, AReverseChannelPlaysTheNextHalfBackwards) {
  SetAudioMode(1);
  {
    EngineRig rig;
    EngineChannel* channel = rig.AddRampChannel(1, 32, 2);
    channel->reverse = 1;
    std::vector<float> heard;
    for (int i = 0; i < 5; ++i) {
      rig.WaitForRefills();  // the disk keeps up
      rig.Cycle();
      heard.push_back(rig.Sample(0, 0));
    }
    EXPECT_EQ(rig.Sample(0, kFrames - 1), float(2 * kFrames));
    // The warm-up, half 0 as the preparation left it, then half 1 (frames 128..255) from its end.
    EXPECT_EQ(heard, (std::vector<float>{0.0f, 0.0f, float(kFrames), float(4 * kFrames - 1), float(3 * kFrames - 1)}));
    EXPECT_EQ(gEngineError.load(), 0);
  }
  SetAudioMode(3);
}

TEST(MixOutput, CycleFiltersAndHeldWorkers) {
  SetAudioMode(1);
  EngineRig rig;
  EngineChannel* a = rig.AddChannel(1, 16, 16384, 0);
  EngineChannel* b = rig.AddChannel(1, 16, 16384, 0);
  b->channelNumber = 3;
  // A partial cycle for channel 3: only it is mixed, the output selector stays.
  MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, 3);
  EXPECT_EQ(a->selectorRendered[0], 0);
  EXPECT_EQ(b->selectorRendered[0], 1);
  EXPECT_EQ(rig.driver.outputSelector.load(), 0u);
  // A full cycle flips it.
  MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, -1);
  EXPECT_EQ(a->selectorRendered[0], 1);
  EXPECT_EQ(rig.driver.outputSelector.load(), 1u);
  // Held workers: every channel is marked stopped and none is mixed.
  a->selectorRendered[1] = b->selectorRendered[1] = 0;
  gEngineFlags.fetch_or(kEngineWorkersHeld);
  MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, -1);
  gEngineFlags.fetch_and(uint8_t(~kEngineWorkersHeld));
  EXPECT_EQ(a->stopped, 1);
  EXPECT_EQ(b->stopped, 1);
  EXPECT_EQ(a->selectorRendered[1], 0);
  EXPECT_EQ(b->selectorRendered[1], 0);
  SetAudioMode(3);
}

// While the transport records, a punched-in channel is skipped (its stream waits) unless it is
// the record source; when recording ends the punch is over and the stream takes back one
// block, so it plays on from the block it was ahead by.
TEST(MixOutput, APunchedInChannelWaitsWhileRecordingAndTakesBackABlock) {
  SetAudioMode(1);
  {
    EngineRig rig;
    EngineChannel* played = rig.AddRampChannel(1, 32, 4);
    EngineChannel* source = rig.AddRampChannel(1, 32, 4);
    for (EngineChannel* c : {played, source}) c->punch = 1;
    source->recordSource = 1;
    played->lateCounters[0] = 5;
    MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, -1);
    EXPECT_EQ(played->blocksLeft, 3);  // not recording: the punch ends at once...
    EXPECT_EQ(played->punch, 0);
    EXPECT_EQ(played->lateCounters[0], 0u);

    played->punch = source->punch = 1;
    played->selectorRendered[0] = played->selectorRendered[1] = 1;
    gEngineSeesRecording.store(1);
    uint8_t* waiting = played->readPointer;
    MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, -1);
    MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, -1);
    EXPECT_EQ(played->readPointer, waiting);  // skipped while recording
    EXPECT_EQ(played->selectorRendered[0], 0);
    EXPECT_EQ(source->blocksLeft, 1);  // the record source plays on
    gEngineSeesRecording.store(0);
    MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, -1);
    // The block given back is played again: the stream stands where it stood.
    EXPECT_EQ(played->readPointer, waiting);
    EXPECT_EQ(played->blocksLeft, 3);
    EXPECT_EQ(played->punch, 0);
    EXPECT_EQ(played->mixBuffer[rig.driver.outputSelector.load() ^ 1u][2], 1.0f);  // frame 1 of block 0
  }
  gEngineSeesRecording.store(0);
  SetAudioMode(3);
}

TEST(MixOutput, InJukeboxPlayAnUnderrunIsOnlyNoted) {
  SetAudioMode(1);
  EngineRig rig;
  EngineChannel* channel = rig.AddChannel(1, 16, 16384, 0, 1);
  channel->halfRequested[1].fetch_add(1);  // half 1 has not arrived
  gJukeboxPlaying.store(1);
  MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, -1);  // half 0
  MixEngineCycle(rig.driver.channelList, nullptr, nullptr, nullptr, -1);  // half 1, late
  gJukeboxPlaying.store(0);
  EXPECT_EQ(gEngineError.load(), 0);
  EXPECT_EQ(channel->currentHalf, 1u);
  EXPECT_EQ(channel->selectorRendered[1], 1);  // rendered all the same
  channel->halfCompleted[1].fetch_add(1);
  SetAudioMode(3);
}

TEST(MixOutput, WithEffectsOffASourceIsConvertedToTheChannelLayout) {
  EnsureRenderBuffers(2, 2, 1);
  ChannelRenderState state;
  EngineChannel channel;
  channel.renderState = &state;
  channel.sampleBits = 16;
  channel.halfReady[0] = 1;
  int16_t mono[4] = {100, -200, 300, 400};
  int16_t out[8] = {};
  gInsertEffectsOn.store(0);
  channel.sourceChannels = 1;
  channel.frameChannels = 2;
  EXPECT_EQ(RenderEngineChannel(&channel, mono, out, 4, 32768, 0), out);
  EXPECT_EQ(out[2], -200);
  EXPECT_EQ(out[3], -200);
  int16_t stereo[4] = {100, 301, -7, -8};
  channel.sourceChannels = 2;
  channel.frameChannels = 1;
  EXPECT_EQ(RenderEngineChannel(&channel, stereo, out, 2, 32768, 0), out);
  EXPECT_EQ(out[0], 200);
  EXPECT_EQ(out[1], -8);
  gInsertEffectsOn.store(1);
  EngineChannel bare;
  EXPECT_EQ(RenderEngineChannel(&bare, mono, out, 4, 32768, 0), mono);
}

TEST(MixOutput, ChainsWiderThanThePointerTablesAreNotRendered) {
  EnsureRenderBuffers(2, 2, 1);
  TakeEngineError();
  ChannelRenderState state;
  state.inputChannels = 2;
  state.outputChannels = 40;
  EngineChannel channel;
  channel.renderState = &state;
  channel.halfReady[0] = 1;
  int16_t source[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  int16_t out[8] = {};
  EXPECT_EQ(RenderEngineChannel(&channel, source, out, 4, 32768, 0), source);
  EXPECT_EQ(TakeEngineError(), kEngineErrUnsupported);
}

int32_t LoudChain(void*, float* const*, int32_t, float** outputs, int32_t count, int32_t frames) {
  for (int32_t i = 0; i < count; ++i) {
    outputs[i] = gRenderBuffers.chain[i];
    for (int32_t f = 0; f < frames; ++f) outputs[i][f] = 0.75f;
  }
  return 0;
}

namespace midi_delivery {
std::vector<EngineChannel*> renderChannels;
std::vector<int32_t> deliveredFrames;
void SetRenderChannel(EngineChannel* channel) { renderChannels.push_back(channel); }
void Deliver(EngineChannel*, void*, ChannelRenderState*, int32_t frames) { deliveredFrames.push_back(frames); }
}  // namespace midi_delivery

// The plug-in host is told which channel renders while its chain runs (and none after), and a
// chain that takes MIDI gets the block's MIDI unless the clock's lock word is 2.
TEST(MixOutput, TheChainRendersWithItsChannelNamedAndItsBlocksMidi) {
  ASSERT_EQ(EnsureRenderBuffers(2, 2, 1), 0);
  const EnginePluginHooks saved = gEnginePluginHooks;
  gEnginePluginHooks.setRenderChannel = midi_delivery::SetRenderChannel;
  gEnginePluginHooks.deliverBufferMidi = midi_delivery::Deliver;
  struct Case {
    uint8_t midi, rewire, effectsOn;
    uint32_t lock;
    bool delivered;
  };
  for (const Case c : {Case{1, 0, 1, 0, true}, Case{1, 0, 1, 2, false}, Case{0, 0, 1, 0, false},
                       Case{1, 0, 0, 0, true}, Case{1, 1, 1, 0, false}}) {
    midi_delivery::renderChannels.clear();
    midi_delivery::deliveredFrames.clear();
    ChannelRenderState state;
    state.mixKind = 6;
    state.midi = c.midi;
    state.rewireSource = c.rewire;
    state.chainHead = &state;
    EngineChannel channel;
    channel.frameChannels = 1;
    channel.sampleBits = 32;
    channel.renderState = &state;
    channel.halfReady[0] = 1;
    gInsertEffectsOn.store(c.effectsOn);
    gTransportClock.lock.store(c.lock);
    float source[8] = {}, out[8] = {};
    RenderEngineChannel(&channel, source, out, 8, 32768, 0);
    gTransportClock.lock.store(0);
    gInsertEffectsOn.store(1);
    EXPECT_EQ(midi_delivery::renderChannels, (std::vector<EngineChannel*>{&channel, nullptr}))
        << int(c.midi) << int(c.rewire) << int(c.effectsOn) << c.lock;
    EXPECT_EQ(midi_delivery::deliveredFrames, c.delivered ? std::vector<int32_t>{8} : std::vector<int32_t>{})
        << int(c.midi) << int(c.rewire) << int(c.effectsOn) << c.lock;
  }
  gEnginePluginHooks = saved;
}

// A chain without audio inputs (an instrument), bypassed or rendering, is silent: the chain
// buffers still hold what the channel rendered before it, and none of that may come out.
TEST(MixOutput, BypassedChainWithoutInputsIsSilent) {
  EnsureRenderBuffers(2, 2, 1);
  TakeEngineError();
  ChannelRenderState loud;
  loud.mixKind = 6;
  loud.render = LoudChain;
  EngineChannel before;
  before.frameChannels = 1;
  before.sampleBits = 32;
  before.renderState = &loud;
  before.halfReady[0] = 1;
  float source[4] = {0, 0, 0, 0};
  float out[4] = {};
  RenderEngineChannel(&before, source, out, 4, 32768, 0);
  ASSERT_FLOAT_EQ(out[0], 0.75f);  // the buffers now hold the earlier channel's signal

  struct Case {
    uint8_t bypass;
    uint8_t audioInput;
    float expected;
  };
  for (const Case c : {Case{1, 0, 0.0f}, Case{1, 1, 0.5f}, Case{0, 0, 0.0f}, Case{0, 1, 0.5f}}) {
    ChannelRenderState bypassed = loud;
    bypassed.bypass = c.bypass;
    bypassed.render = PassThroughChain;
    bypassed.audioInput = c.audioInput;
    bypassed.dryLevel = 0;
    EngineChannel channel;
    channel.frameChannels = 1;
    channel.sampleBits = 32;
    channel.renderState = &bypassed;
    channel.halfReady[0] = 1;
    float own[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    std::fill(std::begin(out), std::end(out), 1.0f);
    RenderEngineChannel(&channel, own, out, 4, 32768, 0);
    for (float v : out)
      EXPECT_FLOAT_EQ(v, c.expected) << "bypass " << int(c.bypass) << " audio input " << int(c.audioInput);
  }
}

// Every block length and layout scales each side by its own gain, whatever part of the
// block the whole-register loop or the tail takes.
TEST(MixOutput, StreamBlocksScaleEverySampleByItsSidesGain) {
  for (int32_t frames : {1, 2, 3, 7, 8, 9, 33}) {
    for (int32_t channels : {1, 2}) {
      EngineChannel channel;
      channel.framesPerBlock = int16_t(frames);
      channel.gainLeft = 16384;   // 0.5
      channel.gainRight = 8192;   // 0.25
      std::vector<float> out(size_t(2 * frames), -9.0f);
      channel.mixBuffer[1] = out.data();
      std::vector<float> in(size_t(frames * channels));
      for (size_t i = 0; i < in.size(); ++i) in[i] = float(i + 1);
      MixStreamBlock(&channel, in.data(), 1, 1, 4, channels);
      for (int32_t f = 0; f < frames; ++f) {
        float l = in[size_t(f * channels)], r = in[size_t(f * channels + channels - 1)];
        ASSERT_EQ(out[size_t(2 * f)], l * 0.5f) << frames << " frames, " << channels << " channels, frame " << f;
        ASSERT_EQ(out[size_t(2 * f + 1)], r * 0.25f) << frames << " frames, " << channels << " channels, frame " << f;
      }
      EXPECT_EQ(channel.selectorRendered[1], 1);
      channel.mixBuffer[1] = nullptr;
    }
  }
}

TEST(MixOutput, SamplesSaturateWhenConvertedToIntegers) {
  bool clip = false;
  EXPECT_EQ(SaturateToInt16(1.5f * 32768.0f, &clip), 32767);
  EXPECT_TRUE(clip);
  clip = false;
  EXPECT_EQ(SaturateToInt16(-40000.0f, &clip), -32768);
  EXPECT_TRUE(clip);
  clip = false;
  EXPECT_EQ(SaturateToInt16(NAN, &clip), 0);
  EXPECT_EQ(SaturateToInt16(1234.7f, &clip), 1234);
  EXPECT_FALSE(clip);
  EXPECT_EQ(SaturateToInt24(1.5f * 8388608.0f, &clip), 8388607);
  EXPECT_EQ(SaturateToInt24(-2.0f * 8388608.0f, &clip), -8388608);
}

TEST(MixOutput, PeakMetersTakeTheMagnitude) {
  EngineChannel channel;
  float block[8] = {-0.5f, 0.25f, 0.1f, -0.75f, 0, 0, 0, 0};
  float left[4] = {}, right[4] = {};
  ConvertChannelToDevice(&channel, block, left, 1, right, 1, 4);
  EXPECT_EQ(channel.peakLeft, 16384);
  EXPECT_EQ(channel.peakRight, 24576);
  EXPECT_FLOAT_EQ(left[0], -0.5f);
  EXPECT_FLOAT_EQ(right[1], -0.75f);
}

}  // namespace
