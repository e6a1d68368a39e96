#include "sequencer/midi/realtime_processor_chain.h"

#include <cstring>

#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/processor_chain_hooks.h"

namespace {

constexpr uint16_t kRunFlags = 0x0003;

void ResetState(RealtimeProcessor* p) { std::memset(p->state, 0, sizeof p->state); }

void UpdateFlags(uint16_t mask, uint16_t bits) {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next)
    p->flags = uint16_t((p->flags & mask) | bits);
}

void ResetProcessors() {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) {
    p->flags &= uint16_t(~kRunFlags);
    ResetState(p);
  }
}

void ResetStates() {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) ResetState(p);
}

}  // namespace

void InstallProcessorChainHooks() {
  gProcessorChainHooks.updateFlags = UpdateFlags;
  gProcessorChainHooks.reset = ResetProcessors;
  gProcessorChainHooks.resetStates = ResetStates;
}
