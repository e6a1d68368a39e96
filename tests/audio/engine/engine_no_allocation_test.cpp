// The engine's real-time path allocates nothing: whole output cycles (the mix cycle, channel
// rendering with spread outputs and fed chain inputs, reverse halves, punch-ins and the bounded
// disk wait after a locate) run on a thread that counts every allocation it makes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_state.h"
#include "audio/render/mix_cycle.h"
#include "platform/memory/memory.h"
#include "tests/audio/engine/engine_fixture.h"

namespace {

thread_local bool tCountAllocations = false;
std::atomic<uint32_t> gAllocations{0};

}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (tCountAllocations) gAllocations.fetch_add(1);
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using engine_test::EngineRig;

class CountedThread {
 public:
  CountedThread() {
    gAllocations.store(0);
    memoryBefore_ = GetMemoryInUse();
    tCountAllocations = true;
  }
  ~CountedThread() { tCountAllocations = false; }
  uint64_t MemoryBefore() const { return memoryBefore_; }

 private:
  uint64_t memoryBefore_;
};

}  // namespace

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
      ASSERT_EQ(gAllocations.load(), 1u);
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
      EXPECT_EQ(gAllocations.load(), 0u) << "cycle " << i;
    }
    EXPECT_EQ(gEngineError.load(), 0);
    gEngineChannelLists[0] = savedSlot;
    gEngineChannelCount = savedCount;
  }
  gEngineSeesRecording.store(0);
  SetAudioMode(3);
}
