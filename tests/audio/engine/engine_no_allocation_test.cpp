// The engine's real-time path allocates nothing: whole output cycles (the mix cycle, channel
// rendering with spread outputs and fed chain inputs, reverse halves, punch-ins and the bounded
// disk wait after a locate) run on a thread that counts every allocation it makes.
#include <gtest/gtest.h>

#include <unistd.h>

#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_state.h"
#include "audio/render/mix_cycle.h"
#include "platform/memory/memory.h"
#include "tests/audio/engine/allocation_counter.h"
#include "tests/audio/engine/engine_fixture.h"

using engine_test::CountedAllocations;
using engine_test::CountedThread;
using engine_test::EngineRig;

TEST(EngineNoAllocation, OutputCyclesAllocateNothing) {
  SetAudioMode(1);  // inline: the cycles run on this thread
  {
    EngineRig rig;
    ASSERT_EQ(EnsureRenderBuffers(6, 2, 1), 0);
    ChannelRenderState spread;
    spread.mixKind = 7;
    spread.inputChannels = 4;
    spread.outputChannels = 4;
    spread.render = engine_test::PassThroughChain;
    EngineChannel* owner = rig.AddRampChannel(2, 32, 2);
    EngineChannel* linked = rig.AddRampChannel(2, 32, 2);
    EngineChannel* reverse = rig.AddRampChannel(1, 16, 2);
    EngineChannel* punched = rig.AddRampChannel(1, 32, 2);
    owner->renderState = &spread;
    owner->linkedChannels[0] = linked;
    owner->inputSource[1] = reverse;
    linked->busSource = 1;
    linked->outputPair = 1;
    reverse->reverse = 1;
    punched->punch = 1;
    {
      CountedThread counted;  // the counter sees an allocation on this thread
      int* volatile probe = new int(1);
      delete probe;
      ASSERT_EQ(CountedAllocations(), 1u);
    }
    EngineChannel* savedSlot = gEngineChannelLists[0];
    int32_t savedCount = gEngineChannelCount;
    gEngineChannelLists[0] = owner;
    gEngineChannelCount = 1;
    for (int i = 0; i < 12; ++i) {
      rig.WaitForRefills();  // the disk keeps up (its thread is not the one counted)
      if (i == 6) gRefillPending.store(1);
      gEngineSeesRecording.store(i >= 3 && i < 6 ? 1 : 0);
      CountedThread counted;
      rig.Cycle();
      EXPECT_EQ(GetMemoryInUse(), counted.MemoryBefore()) << "cycle " << i;
      EXPECT_EQ(CountedAllocations(), 0u) << "cycle " << i;
    }
    EXPECT_EQ(gEngineError.load(), 0);
    gEngineChannelLists[0] = savedSlot;
    gEngineChannelCount = savedCount;
  }
  gEngineSeesRecording.store(0);
  SetAudioMode(3);
}
