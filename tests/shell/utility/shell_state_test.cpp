// Modifier tests, the busy cursor, random numbers and the engine-state tests.
#include <gtest/gtest.h>

#include "audio/engine/engine_run_state.h"
#include "platform/system/host_time.h"
#include "platform/system/quickdraw_random.h"
#include "sequencer/midi/realtime_processor_chain.h"
#include "sequencer/midi/realtime_processors.h"
#include "shell/app/engine_state_tests.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/event_records.h"
#include "shell/base/modifier_keys.h"
#include "shell/base/random_numbers.h"
#include "song/instruments/processor_chain_hooks.h"

namespace {

TEST(ModifierKeys, TestTheLastEvent) {
  struct Case { uint16_t modifiers; bool command, shift, option, control; };
  const Case cases[] = {{0, false, false, false, false},
                        {cmdKey, true, false, false, false},
                        {shiftKey | btnState, false, true, false, false},
                        {optionKey | controlKey, false, false, true, true},
                        {alphaLock, false, false, false, false}};
  for (const Case& k : cases) {
    gLastEvent.modifiers = k.modifiers;
    EXPECT_EQ(IsCommandModifierDown(), k.command) << k.modifiers;
    EXPECT_EQ(IsShiftModifierDown(), k.shift) << k.modifiers;
    EXPECT_EQ(IsOptionModifierDown(), k.option) << k.modifiers;
    EXPECT_EQ(IsControlModifierDown(), k.control) << k.modifiers;
  }
  gLastEvent.modifiers = shiftKey;
  EXPECT_TRUE(TestLastEventModifier(cmdKey | shiftKey));
  EXPECT_FALSE(TestLastEventModifier(cmdKey | optionKey));
  gLastEvent = EventRecord();
}

TEST(BusyCursor, StepsThroughEightFramesAtMostOncePerTenTicks) {
  SpinBusyCursor();
  int16_t first = GetCursorResourceId();
  ASSERT_GE(first, kBusyCursorFirstId);
  ASSERT_LT(first, kBusyCursorFirstId + kBusyCursorFrames);
  for (int i = 1; i <= kBusyCursorFrames; ++i) {
    SpinBusyCursor();
    EXPECT_EQ(GetCursorResourceId(), kBusyCursorFirstId + (first - kBusyCursorFirstId + i) % kBusyCursorFrames);
  }
  // Just spun: the next step is 10 ticks away, so two calls now change nothing.
  uint32_t start = TickCount();
  int16_t shown = GetCursorResourceId();
  SpinBusyCursorIfDue();
  SpinBusyCursorIfDue();
  if (TickCount() - start < kBusyCursorStepTicks) {
    EXPECT_EQ(GetCursorResourceId(), shown);
  }
  RestoreArrowCursor();
  EXPECT_EQ(GetCursorResourceId(), kArrowCursorId);
}

TEST(RandomNumbers, BoundedAndRepeatable) {
  EXPECT_EQ(RandomBelow(0), 0u);
  EXPECT_EQ(RandomSigned(0), 0);
  SetQDGlobalsRandomSeed(12345);
  uint32_t expected[50];
  for (uint32_t& v : expected) v = uint32_t(int32_t(Random())) % 100;
  SetQDGlobalsRandomSeed(12345);
  for (uint32_t v : expected) EXPECT_EQ(RandomBelow(100), v);
  bool sawNegative = false;
  for (int i = 0; i < 200; ++i) {
    int32_t s = RandomSigned(10);
    EXPECT_GT(s, -10);
    EXPECT_LT(s, 10);
    sawNegative |= s < 0;
    EXPECT_LT(RandomBelow(7), 7u);
  }
  EXPECT_TRUE(sawNegative);
}

TEST(EngineState, ModeSetUsesTheLowSixBits) {
  struct Case { uint32_t w0, w1; uint8_t mode; bool in; };
  const Case cases[] = {{0, 0, 1, false}, {1, 0, 1, true},  {0, 1, 3, true},   {1, 1, 4, true},
                        {1, 0, 6, true},  {1, 0, 2, false}, {1, 0, 65, true},  {1, 0, 67, true},
                        {1, 0, 33, false}, {1, 0, 0, false}, {1, 0, 0xC4, true}};
  for (const Case& k : cases) {
    gEngineStateWords[0] = k.w0;
    gEngineStateWords[1] = k.w1;
    gAudioModeRecord[3] = k.mode;
    EXPECT_EQ(IsEngineModeInSet(), k.in) << int(k.mode);
  }
  gEngineStateWords[0] = gEngineStateWords[1] = 0;
  gAudioModeRecord[3] = 0;
}

TEST(EngineState, MarksOnlyActiveRunningChains) {
  InsertChainRecord chains[4];
  EngineChannel channels[4];
  channels[0].active = 1;                          // marked
  channels[1].active = 0;                          // inactive
  channels[2].active = 1, channels[2].stop = 1;    // stopping
  channels[3].active = 1;                          // no chain
  for (int i = 0; i < 3; ++i) channels[i].chain = &chains[i];
  for (EngineChannel& c : channels) EXPECT_EQ(MarkActiveChannelChain(&c, nullptr), 0);
  EXPECT_EQ(MarkActiveChannelChain(nullptr, nullptr), 0);
  EXPECT_EQ(chains[0].mark, 1);
  EXPECT_EQ(chains[1].mark, 0);
  EXPECT_EQ(chains[2].mark, 0);
}

TEST(RealtimeProcessorChain, FlagsAndStatesOfEveryProcessor) {
  InstallProcessorChainHooks();
  RealtimeProcessor processors[3];
  processors[0].next = &processors[1];
  processors[1].next = &processors[2];
  gRealtimeProcessors = &processors[0];
  processors[1].flags = 0x1204;
  processors[2].state[5] = 9;
  FlagAllRealtimeProcessors();
  EXPECT_EQ(processors[0].flags, 0x0003);
  EXPECT_EQ(processors[1].flags, 0x1207);
  UpdateRealtimeProcessorFlags(0x00FF, 0x3300);
  EXPECT_EQ(processors[1].flags, 0x3307);
  ResetRealtimeProcessorStates();
  EXPECT_EQ(processors[2].state[5], 0);
  EXPECT_EQ(processors[2].flags, 0x3303);
  processors[2].state[1] = 4;
  ResetRealtimeProcessors();
  for (const RealtimeProcessor& p : processors) EXPECT_EQ(p.flags & 3, 0);
  EXPECT_EQ(processors[1].flags, 0x3304);
  EXPECT_EQ(processors[2].state[1], 0);
  gRealtimeProcessors = nullptr;
}

}  // namespace
