#include "sequencer/midi/realtime_processor_chain.h"

#include <cstring>

#include "sequencer/midi/processor_routing.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/processor_chain_hooks.h"

namespace {

// A fresh state that still echoes to the processor's bound output.
void ResetState(RealtimeProcessor* p) {
  std::memset(p->state, 0, sizeof p->state);
  StateOf(p)->arpSlot = kNoArpSlot;
  PublishProcessorBinding(p);
}

}  // namespace

void UpdateChainFlags(uint16_t mask, uint16_t bits) {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) {
    p->flags = uint16_t((p->flags & mask) | bits);
    StateOf(p)->flags = uint8_t(p->flags);
  }
}

void ResetChainProcessors() {
  UpdateChainFlags(uint16_t(~kProcessorRunFlags), 0);
  ResetChainStates();
}

void ResetChainStates() {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) ResetState(p);
}

void InstallProcessorChainHooks() {
  gProcessorChainHooks.updateFlags = UpdateChainFlags;
  gProcessorChainHooks.reset = ResetChainProcessors;
  gProcessorChainHooks.resetStates = ResetChainStates;
  gProcessorChainHooks.bindToTracks = BindProcessorsToTracks;
}
