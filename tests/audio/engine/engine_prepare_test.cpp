// Engine preparation, start and stop with a test driver record: which devices open and stop,
// the play states, a device that refuses a channel, holding versus disposing the channels,
// and the error latched while playing reported once at the stop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_prepare_hooks.h"
#include "audio/render/mix_cycle.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/plugin_bus_binding.h"
#include "audio/render/channel_render.h"
#include "plugins/plugin_engine_hooks.h"
#include "plugins/plugin_hooks.h"
#include "plugins/plugin_output_buses.h"
#include "sequencer/clock/transport_clock.h"
#include "shell/dialogs/dialog_alerts.h"
#include "song/instruments/plugin_hooks.h"

namespace {

struct DriverLog {
  int opens = 0;
  std::vector<int32_t> stops;
  int16_t channelAnswer = 0;
  std::vector<int32_t> rates;
  std::vector<bool> heldAtRate;
};
DriverLog gLog;

int16_t LogOpen(EngineChannel*) {
  ++gLog.opens;
  return 0;
}
int16_t LogStop(int32_t mode) {
  gLog.stops.push_back(mode);
  return 0;
}
int32_t ChannelAnswer() { return gLog.channelAnswer; }
int32_t LogPlayRate(int32_t rate) {
  gLog.rates.push_back(rate);
  gLog.heldAtRate.push_back((gEngineFlags.load() & kEngineWorkersHeld) != 0);
  return 0;
}

class EnginePrepare : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallErrorReportHooks();
    gLog = DriverLog();
    for (AudioDriverOps* d : {&used_, &unused_}) {
      d->Open = LogOpen;
      d->Stop = LogStop;
      d->Nothing7 = ChannelAnswer;
      d->SetPlayRate = LogPlayRate;
      d->flags = kDriverFlagActive;
      d->sampleRate = 48000.0f;
    }
    used_.next = &unused_;
    saved_ = gOutputDevices;
    gOutputDevices = &used_;
    gAudioBufferFrames.store(64);
    gTransportClock.flags.store(0);
  }
  void TearDown() override {
    StopAudioEngine(0);
    gOutputDevices = saved_;
    TakeEngineError();
  }
  EngineChannel* AddChannel() {
    EngineChannel* c = nullptr;
    EXPECT_EQ(ClaimEngineChannel(&c), 0);
    c->device = &used_;
    c->song = Handle(1);
    c->sampleRate = 48000.0f;
    c->blocksPerHalf = 4;
    AllocateChannelBlocks(c, 64);
    int16_t err = 0;
    for (void*& half : c->halfBuffer) half = NewEngineBuffer(4 * 64 * 4, &err);
    EngineChannel** tail = &used_.channelList;
    while (*tail) tail = &(*tail)->next;
    *tail = c;
    return c;
  }
  AudioDriverOps used_, unused_;
  AudioDriverOps* saved_ = nullptr;
};

TEST_F(EnginePrepare, OpensTheDevicesThatHaveChannels) {
  AddChannel();
  AddChannel();
  ASSERT_EQ(PrepareEnginePlayback(4800, nullptr, nullptr, nullptr, 1), 0);
  EXPECT_EQ(gLog.opens, 1);  // the device without channels stays closed
  EXPECT_EQ(gEnginePrepared, 1);
  EXPECT_EQ(gAudioEnginePlayState, 2);
  EXPECT_EQ(gEngineRecordObject.load(), used_.channelList);
  EXPECT_EQ(gEngineMainDevice, used_.channelList);
  EXPECT_EQ(gEngineSampleRate, 48000.0f);
  EXPECT_EQ(gTransportClock.samplePosition, 4800.0);
  EXPECT_EQ(gEngineSampleClock.load(), 0);

  // Preparing again stops first (mode 0): the channels go, the device gets its stop.
  ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, kPrepareNoDevices), 0);
  EXPECT_EQ(gLog.stops, std::vector<int32_t>{0});
  EXPECT_EQ(gEngineChannelCount, 0);
  EXPECT_EQ(used_.channelList, nullptr);
  EXPECT_EQ(gAudioEnginePlayState, 3);
  EXPECT_EQ(gLog.opens, 1);  // kind 3 opens nothing

  // While the transport records, the main list does not advance the sample clock.
  AddChannel();
  gEngineSeesRecording.store(1);
  ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, 1), 0);
  gEngineSeesRecording.store(0);
  EXPECT_EQ(gEngineMainDevice, used_.channelList);
  EXPECT_EQ(gEngineRecordObject.load(), nullptr);
}

// The instrument plug-ins' walk: a channel whose plug-in drives another track's channel
// through an output bus takes that channel behind it on its device; the engine's list
// follows the device's new head. Preparing without devices leaves them as they are.
TEST_F(EnginePrepare, ChannelsThatAPluginBusDrivesFollowThePluginChannel) {
  const InstrumentPluginHooks saved = gInstrumentPluginHooks;
  InstallPluginHooks();
  InstallPluginEngineHooks();
  for (int32_t kind : {kPrepareNoDevices, 1}) {
    EngineChannel* driven = AddChannel();
    EngineChannel* synth = AddChannel();
    driven->framesPerBlock = 64;
    driven->frameChannels = 2;
    ChannelRenderState plugin;
    synth->renderState = &plugin;
    PluginBusInfo bus;
    bus.drivenChannel = driven;
    ASSERT_EQ(SetPluginOutputBuses(&plugin, &bus, 1), 0);
    ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, kind), 0);
    if (kind == kPrepareNoDevices) {
      EXPECT_EQ(used_.channelList, driven);
      EXPECT_EQ(driven->currentOutput, nullptr);
    } else {
      EXPECT_EQ(used_.channelList, synth);
      EXPECT_EQ(synth->next, driven);
      EXPECT_NE(driven->currentOutput, nullptr);
      EXPECT_EQ(gEngineMainDevice, synth);
      EXPECT_EQ(gEngineRecordObject.load(), synth);
    }
    LinkPluginBusChannels(synth, false);
    SetPluginOutputBuses(&plugin, nullptr, 0);
    StopAudioEngine(0);
  }
  gInstrumentPluginHooks = saved;
}

// A bus channel (no song of its own) starts at the levels its automation holds at the start
// position: the point after the start does not count yet.
TEST_F(EnginePrepare, ABusChannelStartsAtItsAutomatedLevels) {
  EngineChannel* bus = AddChannel();
  bus->song = Handle();
  bus->busSource = 1;
  bus->lateCounters[0] = 5;
  Handle points = Handle();
  int32_t at = -1;
  ASSERT_EQ(AddAutomationRecord(&points, &at, 0, 16384, 0, kAutomationVolume), noErr);
  ASSERT_EQ(AddAutomationRecord(&points, &at, 100, 0, 127, kAutomationPan), noErr);
  ASSERT_EQ(AddAutomationRecord(&points, &at, 9000, 32768, 0, kAutomationVolume), noErr);
  bus->automation = points;
  const int32_t savedLevel = gMasterLevel;
  gMasterLevel = 4096;  // unity
  ASSERT_EQ(PrepareEnginePlayback(4800, nullptr, nullptr, nullptr, 1), 0);
  EXPECT_EQ(bus->volume, 16384);
  EXPECT_EQ(bus->pan, 127);
  EXPECT_EQ(bus->gainLeft, 0);
  EXPECT_EQ(bus->gainRight, 16384);
  EXPECT_EQ(bus->lateCounters[0], 0u);
  gMasterLevel = savedLevel;
  bus->automation = Handle();
  DisposeHandle(points);
}

TEST_F(EnginePrepare, ADeviceThatRefusesAChannelLeavesItStopped) {
  EngineChannel* c = AddChannel();
  gLog.channelAnswer = -4;
  ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, 1), 0);
  EXPECT_EQ(c->stopped, 1);
  EXPECT_EQ(gLog.opens, 1);
}

TEST_F(EnginePrepare, StopHoldsOrDisposesTheChannels) {
  EngineChannel* c = AddChannel();
  ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, 1), 0);
  StopAudioEngine(1);  // held: kept for a quick restart
  EXPECT_EQ(gLog.stops, std::vector<int32_t>{1});
  EXPECT_EQ(gEngineChannelCount, 1);
  EXPECT_EQ(c->stopped, 1);
  EXPECT_NE(c->mixBuffer[0], nullptr);
  EXPECT_EQ(gEnginePrepared, 1);
  EXPECT_EQ(gAudioEnginePlayState, 1);
  // With the transport's sign bit set a hold becomes a full stop.
  gTransportClock.flags.store(0x80000000u);
  StopAudioEngine(1);
  EXPECT_EQ(gLog.stops.back(), 0);
  EXPECT_EQ(gEngineChannelCount, 0);
  EXPECT_EQ(c->mixBuffer[0], nullptr);
  EXPECT_EQ(gEnginePrepared, 0);
}

TEST_F(EnginePrepare, AnErrorLatchedWhilePlayingIsReportedOnce) {
  AddChannel();
  ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, 1), 0);
  LatchAudioEngineError(kEngineErrUnderrun);
  int32_t alerts = CountAlertsShown();
  StopAudioEngine(0);
  EXPECT_EQ(CountAlertsShown(), alerts + 1);
  EXPECT_EQ(gEngineError.load(), 0);
  StopAudioEngine(0);
  EXPECT_EQ(CountAlertsShown(), alerts + 1);
}

TEST_F(EnginePrepare, StartAtAPositionAndTheSampleClock) {
  EngineChannel* c = AddChannel();
  ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, 1), 0);
  EngineChannel bare;
  EXPECT_EQ(StartEngineAtPosition(&bare, 0, 0), -50);
  gEngineSampleClock.store(999);
  int16_t blocks = c->blocksLeft;
  ASSERT_EQ(StartEngineAtPosition(c, 0, 0), 0);
  // The device with channels is set to no rate while the workers are held; the other is not.
  EXPECT_EQ(gLog.rates, std::vector<int32_t>{0});
  EXPECT_EQ(gLog.heldAtRate, std::vector<bool>{true});
  EXPECT_EQ(used_.outputSelector.load(), 1u);
  EXPECT_EQ(used_.routineSelector.load(), 1u);
  EXPECT_EQ(c->readPointer, c->halfBuffer[0]);
  EXPECT_EQ(c->blocksLeft, blocks + 1);
  EXPECT_EQ(gEngineSampleClock.load(), 0);
  EXPECT_FALSE(gEngineFlags.load() & kEngineWorkersHeld);

  AdvanceEngineSampleClock(c, 64);
  c->reverse = 1;
  AdvanceEngineSampleClock(c, 16);
  EXPECT_EQ(gEngineSampleClock.load(), 48);
  int64_t count = 5;
  AddToSampleCount(&count, -7);
  EXPECT_EQ(count, -2);
}

// What preparation asks of live play, recording and the plug-in host, by kind: the record
// inputs take part for kinds 0, 5 and 7 (or with the clock's bit 30), and are prepared before
// and after the devices open; the live-play track only for normal playback; each channel's
// track racks are bound unless it plays an automation copy.
namespace hooklog {
std::vector<std::string> calls;
bool SelectLive() {
  calls.push_back("live");
  return false;
}
int16_t AttachInputs() {
  calls.push_back("inputs");
  return 0;
}
int16_t PrepareInputs(int32_t phase) {
  calls.push_back(phase == 0 ? "prepare0" : "prepare1");
  return 0;
}
int16_t OpenLogged(EngineChannel*) {
  calls.push_back("open");
  return 0;
}
std::vector<EngineChannel*> bound;
void BindRacks(Handle, EngineChannel* channel) { bound.push_back(channel); }
}  // namespace hooklog

TEST_F(EnginePrepare, LivePlayRecordInputsAndRacksTakePartByKind) {
  const EnginePrepareHooks savedPrepare = gEnginePrepareHooks;
  const EnginePluginHooks savedPlugin = gEnginePluginHooks;
  gEnginePrepareHooks = {hooklog::SelectLive, hooklog::AttachInputs, hooklog::PrepareInputs};
  gEnginePluginHooks.bindTrackRacks = hooklog::BindRacks;
  used_.Open = hooklog::OpenLogged;
  struct Case {
    int32_t kind;
    bool withDevice;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {0, false, {"live", "inputs", "prepare0", "open", "prepare1"}},
      {1, false, {"live", "prepare0", "open", "prepare1"}},
      {7, true, {"prepare0", "open", "prepare1"}},
      {kPrepareNoDevices, false, {"live", "prepare0"}},
  };
  for (const Case& c : cases) {
    EngineChannel* plain = AddChannel();
    EngineChannel* automated = AddChannel();
    automated->automation = Handle(7);
    hooklog::calls.clear();
    hooklog::bound.clear();
    ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, c.withDevice ? &used_ : nullptr, c.kind), 0) << c.kind;
    EXPECT_EQ(hooklog::calls, c.calls) << "kind " << c.kind;
    EXPECT_EQ(hooklog::bound, std::vector<EngineChannel*>{plain}) << "kind " << c.kind;
    automated->automation = Handle();
    StopAudioEngine(0);
  }
  gTransportClock.flags.store(1u << 30);
  AddChannel();
  hooklog::calls.clear();
  ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, 1), 0);
  EXPECT_EQ(hooklog::calls, (std::vector<std::string>{"live", "inputs", "prepare0", "open", "prepare1"}));
  gTransportClock.flags.store(0);
  gEnginePrepareHooks = savedPrepare;
  gEnginePluginHooks = savedPlugin;
}

// The engine drives the clock unless prepared with kind 5; while it does, each full mix cycle
// clears the clock's status word, and a partial cycle leaves it.
TEST_F(EnginePrepare, FullCyclesClearTheStatusWordWhileTheEngineDrivesTheClock) {
  struct Case {
    int32_t kind, filter;
    uint16_t after;
  };
  for (const Case& c : {Case{1, 0, 0}, Case{1, 2, 0x55}, Case{5, 0, 0x55}}) {
    EngineChannel* channel = AddChannel();
    channel->stopped = 1;
    ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, c.kind), 0);
    EXPECT_EQ(gEngineDrivesClock, c.kind != 5);
    gClockStatusWord.store(0x55);
    MixEngineCycle(used_.channelList, nullptr, nullptr, &gEngineQueue, c.filter);
    EXPECT_EQ(gClockStatusWord.load(), c.after) << "kind " << c.kind << " filter " << c.filter;
    StopAudioEngine(0);
  }
}

}  // namespace
