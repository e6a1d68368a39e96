#include "shell/app/realtime_processor_chain.h"

#include <cstring>

#include "sequencer/midi/realtime_processors.h"

namespace {

constexpr uint16_t kRunFlags = 0x0003;

void ResetState(RealtimeProcessor* p) { std::memset(p->state, 0, sizeof p->state); }

}  // namespace

void UpdateRealtimeProcessorFlags(uint16_t mask, uint16_t bits) {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next)
    p->flags = uint16_t((p->flags & mask) | bits);
}

void ResetRealtimeProcessors() {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) {
    p->flags &= uint16_t(~kRunFlags);
    ResetState(p);
  }
}

void FlagAllRealtimeProcessors() { UpdateRealtimeProcessorFlags(0xFFFF, kRunFlags); }

void ResetRealtimeProcessorStates() {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) ResetState(p);
}
