#include "song/instruments/processor_chain_hooks.h"

ProcessorChainHooks gProcessorChainHooks;

namespace {

constexpr uint16_t kRunFlags = 0x0003;

}  // namespace

void UpdateRealtimeProcessorFlags(uint16_t mask, uint16_t bits) {
  if (gProcessorChainHooks.updateFlags) gProcessorChainHooks.updateFlags(mask, bits);
}

void ResetRealtimeProcessors() {
  if (gProcessorChainHooks.reset) gProcessorChainHooks.reset();
}

void FlagAllRealtimeProcessors() { UpdateRealtimeProcessorFlags(0xFFFF, kRunFlags); }

void ResetRealtimeProcessorStates() {
  if (gProcessorChainHooks.resetStates) gProcessorChainHooks.resetStates();
}

void ResetNodeList() {
  if (gProcessorChainHooks.bindToTracks) gProcessorChainHooks.bindToTracks();
}
