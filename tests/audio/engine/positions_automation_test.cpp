// Positions through the song's tempo map, region lookup, automation lists and the choice of
// the instrument that matches an output.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/instrument_binding.h"
#include "audio/engine/region_lookup.h"
#include "audio/render/channel_render.h"
#include "platform/memory/memory.h"
#include "plugins/plugin_engine_hooks.h"
#include "plugins/plugin_parameters.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "tests/song/conductor/conductor_fixture.h"

namespace {

// 120 beats per minute at 480 ticks per quarter: one beat is half a second.
class EnginePositions : public ConductorTest {};

// One beat in samples: a quarter at 4/4, an eighth at 6/8, at other tempos and rates.
TEST_F(EnginePositions, ABeatInSamplesFollowsTheBeatTheTempoAndTheRate) {
  struct Case {
    int32_t ticksPerBeat, tempo;
    float rate;
    uint32_t samples;
  };
  for (const Case& c : {Case{480, 1200, 48000.0f, 24000}, Case{240, 1200, 48000.0f, 12000},
                        Case{480, 900, 44100.0f, 29400}, Case{0, 1200, 48000.0f, 0}}) {
    EXPECT_NEAR(double(BeatSamplesAtRate(c.ticksPerBeat, c.tempo, c.rate)), double(c.samples), 1.0)
        << c.ticksPerBeat << " " << c.tempo << " " << c.rate;
  }
}

TEST_F(EnginePositions, TicksAndSamplesFollowTheTempoMap) {
  EXPECT_EQ(TickToSamplePosition(0, 48000.0f), TickToSamplePosition(1, 48000.0f));
  EXPECT_EQ(TickToSamplePosition(-5, 48000.0f), 0);
  EXPECT_EQ(TickToSamplePosition(481, 48000.0f), 24000);
  EXPECT_EQ(SamplePositionToTick(24000, 48000.0f), 481u);
  // From beat 2 on the tempo doubles: the second beat takes a quarter of a second.
  TempoAt(481, 2400);
  EXPECT_EQ(TickToSamplePosition(961, 48000.0f), 36000);
  EXPECT_EQ(SamplePositionToTick(36000, 48000.0f), 961u);
  EXPECT_EQ(TickToSamplePositionInSong(481, 44100.0f, nullptr), 0);
}

TEST(EngineRates, MillisecondsAndRateConversions) {
  uint64_t fixedMs = 0;
  SamplePositionToMilliseconds(66150, &fixedMs, 44100.0f);  // 1500 ms
  EXPECT_EQ(fixedMs >> 32, 1500u);
  EXPECT_EQ(fixedMs & 0xFFFFFFFFu, 0u);
  SamplePositionToMilliseconds(1, &fixedMs, 2000.0f);  // half a millisecond
  EXPECT_EQ(fixedMs, 0x80000000ull);
  EXPECT_DOUBLE_EQ(MillisecondsToSamples(uint64_t(1500) << 32, 44100.0f), 66150.5);
  EXPECT_DOUBLE_EQ(SamplesToMilliseconds(44100, 44100.0f), 1000.0);
  EXPECT_EQ(ConvertPositionRate(44100, 44100.0, 48000.0), 48000u);
  EXPECT_EQ(ConvertPositionRate(1000, 0.0, 48000.0), 1000u);
  EXPECT_EQ(ConvertPositionRate(3, 44100.0, 44100.0), 3u);
  RatedPosition record{44100, 44100.0f};
  RescalePositionForRate(&record, 1, 88200.0f);
  EXPECT_EQ(record.position, 88200u);
  EXPECT_EQ(record.rate, 88200.0f);
  // Milliseconds at the engine rate keep the rate's last digits (not 44 per millisecond).
  float savedRate = gEngineSampleRate;
  struct Case {
    float rate;
    double ms;
    uint32_t samples;
  };
  for (const Case c : {Case{44100.0f, 1000.0, 44100}, Case{44100.0f, 10.0, 441}, Case{22050.0f, 2.0, 44},
                       Case{48000.0f, 0.5, 24}, Case{44100.0f, -5.0, 0}}) {
    gEngineSampleRate = c.rate;
    EXPECT_EQ(MillisecondsToRateSamples(c.ms), c.samples) << c.rate << " " << c.ms;
  }
  gEngineSampleRate = savedRate;
}

Handle Regions(const std::vector<int64_t>& lengths) {
  Handle list = NewHandleClear(Size(lengths.size()) * kRegionSize);
  for (size_t i = 0; i < lengths.size(); ++i) {
    SetRegionLength(reinterpret_cast<uint8_t*>(*list) + i * kRegionSize, lengths[i]);
  }
  return list;
}

TEST(RegionLookup, PositionsFindTheirRegion) {
  struct Case {
    std::vector<int64_t> lengths;
    int64_t position;
    int32_t index;
    int64_t start, end;
  };
  const std::vector<Case> cases = {
      {{1000, 500}, 0, 0, 0, 1000},
      {{1000, 500}, 999, 0, 0, 1000},
      {{1000, 500}, 1000, 1, 1000, 1500},
      {{1000, 500}, 1500, -1, 1000, 1500},
      {{}, 10, -1, 0, 0},
      {{1000, kOpenRegionEnd}, 1LL << 60, 1, 1000, kOpenRegionEnd},
      // Lengths from a file that would overflow the sum stop at the open end.
      {{INT64_MAX - 10, INT64_MAX - 10}, INT64_MAX - 5, 1, INT64_MAX - 10, kOpenRegionEnd},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    Handle list = cases[i].lengths.empty() ? Handle() : Regions(cases[i].lengths);
    int64_t start = -1, end = -1;
    EXPECT_EQ(FindRegionAtPosition(cases[i].position, &start, &end, list), cases[i].index) << "case " << i;
    EXPECT_EQ(start, cases[i].start) << "case " << i;
    EXPECT_EQ(end, cases[i].end) << "case " << i;
    if (list) DisposeHandle(list);
  }
  Handle ragged = NewHandleClear(kRegionSize + 100);
  EXPECT_EQ(CountAudioRegions(ragged), 1);
  DisposeHandle(ragged);
}

TEST(AutomationLists, InsertFindAndChase) {
  Handle list;
  int32_t offset = -1;
  // Appended in time order before the end record.
  ASSERT_EQ(AddAutomationRecord(&list, &offset, 10, 100, 0, kAutomationVolume), noErr);
  ASSERT_EQ(AddAutomationRecord(&list, &offset, 20, 50, 0, kAutomationVolume), noErr);
  ASSERT_EQ(AddAutomationRecord(&list, &offset, 20, 0, -30, kAutomationPan), noErr);
  ASSERT_EQ(AddAutomationRecord(&list, &offset, 30, 77, 0, kAutomationSendLevel), noErr);
  AutomationView{reinterpret_cast<uint8_t*>(*list) + 3 * kAutomationRecordSize}.SetIndex(2);
  ASSERT_EQ(AddAutomationRecord(&list, &offset, 31, 66, 0, kAutomationSendLevel), noErr);
  AutomationView{reinterpret_cast<uint8_t*>(*list) + 4 * kAutomationRecordSize}.SetIndex(9);  // no such send
  int32_t past = 1 << 30;
  ASSERT_EQ(AddAutomationRecord(&list, &past, 40, 1, 0, kAutomationVolume), noErr);  // kept before the end
  ASSERT_EQ(GetHandleSize(list), 7 * kAutomationRecordSize);
  uint8_t* base = reinterpret_cast<uint8_t*>(*list);
  EXPECT_EQ(AutomationView{base + 6 * kAutomationRecordSize}.Time(), kAutomationEndTime);

  EXPECT_EQ(FindAutomationRecord(list, 15), base + kAutomationRecordSize);
  EXPECT_EQ(FindAutomationRecord(list, 20), base + kAutomationRecordSize);
  EXPECT_EQ(FindAutomationRecord(list, 41), base + 6 * kAutomationRecordSize);
  EXPECT_EQ(FindAutomationRecord(list, 1ull << 33), base + 6 * kAutomationRecordSize);

  struct Case {
    uint64_t position;
    int32_t volume, pan, send2;
    int32_t next;  // record index playback continues from
  };
  for (const Case c : {Case{5, -7, -7, -1, 0}, Case{15, 100, -7, -1, 1}, Case{25, 50, -30, -1, 3},
                       Case{35, 50, -30, 77, 5}, Case{1ull << 40, 1, -30, 77, 6}}) {
    int32_t volume = -7, pan = -7, levels[8], pans[8];
    uint8_t* next = ChaseAutomationState(list, c.position, &volume, &pan, levels, pans, nullptr);
    EXPECT_EQ(volume, c.volume) << c.position;
    EXPECT_EQ(pan, c.pan) << c.position;
    EXPECT_EQ(levels[2], c.send2) << c.position;
    EXPECT_EQ(levels[0], -1);
    EXPECT_EQ(pans[2], -1);
    EXPECT_EQ(next, base + c.next * kAutomationRecordSize) << c.position;
  }
  DisposeHandle(list);
}

void AddParameterPoint(Handle* list, int32_t* offset, uint32_t time, int16_t parameter, float value) {
  uint8_t* record = nullptr;
  ASSERT_EQ(InsertAutomationRecord(list, &record, offset), noErr);
  FillAutomationRecord(record, time, 0, 0, kAutomationParameter);
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  AutomationView{record}.SetValue32(bits);
  AutomationView{record}.SetIndex(parameter);
}

// The latest point of each parameter up to the position reaches the chain's plug-in; the
// chain's own values (negative numbers) set its gains and bypass.
TEST(AutomationLists, ParameterPointsReachThePlugin) {
  InstallPluginEngineHooks();
  Handle list;
  int32_t offset = -1;
  AddParameterPoint(&list, &offset, 10, 3, 0.25f);
  AddParameterPoint(&list, &offset, 20, 3, 0.75f);
  AddParameterPoint(&list, &offset, 25, 5, 0.5f);
  AddParameterPoint(&list, &offset, 26, -1, 1.0f);
  AddParameterPoint(&list, &offset, 30, 3, 0.1f);
  ChannelRenderState chain;
  EngineChannel channel;
  channel.renderState = &chain;
  int32_t volume = 0, pan = 0, levels[8], pans[8];
  ChaseAutomationState(list, 27, &volume, &pan, levels, pans, &channel);
  EXPECT_FLOAT_EQ(GetPluginParameter(&chain, 3), 0.75f);
  EXPECT_FLOAT_EQ(GetPluginParameter(&chain, 5), 0.5f);
  EXPECT_EQ(chain.bypass, 1);
  ForgetPluginParameters(&chain);
  DisposeHandle(list);

  ApplyAutomationToPlugin(nullptr, &chain, -4, 16384.0f, false);
  ApplyAutomationToPlugin(nullptr, &chain, -3, 2.0f, false);
  ApplyAutomationToPlugin(nullptr, &chain, -2, 0.5f, false);
  ApplyAutomationToPlugin(nullptr, &chain, -1, 0.2f, false);
  float inputGain, wetGain;
  uint16_t dry;
  GetPluginGains(&chain, &inputGain, &wetGain, &dry);
  EXPECT_FLOAT_EQ(inputGain, 0.5f);
  EXPECT_FLOAT_EQ(wetGain, 65536.0f);  // twice unity (32768.0)
  EXPECT_EQ(dry, 128);                 // half unity (256)
  EXPECT_EQ(chain.bypass, 0);
  // Automation at 1.0 gives the render's unity gains, wet and dry alike.
  ApplyAutomationToPlugin(nullptr, &chain, -3, 1.0f, false);
  ApplyAutomationToPlugin(nullptr, &chain, -2, 1.0f, false);
  GetPluginGains(&chain, &inputGain, &wetGain, &dry);
  EXPECT_FLOAT_EQ(wetGain, ChannelRenderState().wetGain);
  EXPECT_EQ(dry, ChannelRenderState().dryLevel);
  ApplyAutomationToPlugin(&chain, &chain, 7, 0.9f, true);  // parameters switched off
  EXPECT_FLOAT_EQ(GetPluginParameter(&chain, 7), 0.0f);
}

class InstrumentMatch : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CreateInstrumentTable(4, 18), noErr); }
  void TearDown() override { DisposeInstrumentTable(); }
  InstrumentView At(int32_t i) { return InstrumentView(GetInstrumentRecord(i)); }
};

TEST_F(InstrumentMatch, ScoresPickTheFirstBestInstrument) {
  // 0: kind 18 port 1 channel 0; 1: kind 18 port 2 channel 1; 2: same as 1; 3: kind 19.
  At(0).SetPort(0, 1);
  At(0).SetChannel(0, 0);
  for (int i : {1, 2}) {
    At(i).SetPort(0, 2);
    At(i).SetChannel(0, 1);
  }
  At(3).SetDeviceKind(0, 19);
  At(3).SetPort(0, 2);
  EXPECT_EQ(FindMatchingInstrument(18, 2, 1u << 1, false), 1);  // 11 twice: the first
  EXPECT_EQ(FindMatchingInstrument(18, 1, 1u << 5, false), 0);  // 10
  EXPECT_EQ(FindMatchingInstrumentEx(18, 1, 1u << 5, 0, true, false), -1);  // 10 is not exact
  EXPECT_EQ(FindMatchingInstrumentEx(18, 2, 1u << 1, 0, true, false), 1);
  EXPECT_EQ(FindMatchingInstrument(19, 2, 1u << 9, false), 3);
  // Without a plug-in chain no instrument serves a query that needs one.
  EXPECT_EQ(FindInstrumentForPort(18, 2, 1u << 1, 0), -1);
  // An instrument whose flags byte lacks bit 0 is passed over.
  At(1).SetPartMask(0);
  EXPECT_EQ(FindMatchingInstrument(18, 2, 1u << 1, false), 2);
}

TEST_F(InstrumentMatch, BindingTakesLevelPanAndPair) {
  At(2).SetPort(0, 3);
  EngineChannel channel;
  channel.outputPair = 5;
  SetChannelInstrument(2, -2, &channel);
  EXPECT_EQ(channel.instrumentIndex, 2);
  EXPECT_EQ(channel.outputPair, 5);  // kept
  EXPECT_EQ(channel.pan, InstrumentView(GetInstrumentRecord(2)).Pan());
  EXPECT_GT(channel.gainLeft, 0);
  SetChannelInstrument(2, -1, &channel);
  EXPECT_EQ(channel.outputPair, 3);  // the instrument's port
  SetChannelInstrument(2, 1, &channel);
  EXPECT_EQ(channel.outputPair, 1);
  EXPECT_EQ(channel.instrumentChannel, nullptr);
}

// The sends follow the busses that have a channel, in bus order; each takes the level and pan
// of the instrument's send that targets it, and no level while that send is off.
TEST_F(InstrumentMatch, SendsFollowTheBussesThatPlay) {
  uint8_t* record = GetInstrumentRecord(1);
  auto setSend = [record](int32_t s, uint8_t bus, uint16_t level, uint8_t pan, uint8_t flags) {
    uint8_t* at = record + kInstSends + kInstSendSize * s;
    at[0] = uint8_t(level >> 8);
    at[1] = uint8_t(level);
    at[2] = pan;
    at[3] = uint8_t(flags | bus);
  };
  setSend(0, 3, 100, 0, kSendOn | kSendPostFader);  // to bus 3, hard left
  setSend(1, 1, 90, 127, 0);                         // to bus 1, off
  setSend(2, 2, 127, 64, kSendOn);                   // to bus 2, which has no block
  float block[4] = {};
  EngineChannel bus1, bus2, bus3;
  bus1.mixBuffer[0] = block;
  bus3.mixBuffer[0] = block;
  bus1.next = &bus2;
  bus2.next = &bus3;
  EngineChannel* savedBusses = gAuxBusChannels;
  gAuxBusChannels = &bus1;
  EngineChannel channel;
  SetChannelInstrument(1, -2, &channel);
  gAuxBusChannels = savedBusses;
  const ChannelSend* sends = channel.sendGains;
  EXPECT_EQ(sends[0].bus, 1);
  EXPECT_EQ(sends[0].level, 0);  // the send is off
  EXPECT_EQ(sends[0].gainLeft, 0);
  EXPECT_EQ(sends[1].bus, 3);
  EXPECT_EQ(sends[1].postFader, 1);
  EXPECT_EQ(sends[1].level, int32_t(VolumeCurveValue(100)));
  EXPECT_EQ(sends[1].gainLeft, sends[1].level);
  EXPECT_EQ(sends[1].gainRight, 0);
  EXPECT_EQ(sends[2].bus, 0);  // the end
  EXPECT_EQ(channel.sendsOrChains, 1);

  // A negative volume is taken as 0 on both sides.
  int32_t left = 1, right = 1;
  SetChannelGains(-500, 64, &left, &right);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, 0);
  SetChannelGains(-500, 100, &left, &right);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, 0);
}

}  // namespace
