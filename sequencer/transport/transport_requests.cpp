#include "sequencer/transport/transport_requests.h"

#include <atomic>

#include "sequencer/clock/sequencer_clock.h"

namespace {

uint8_t gTransportRequestByte = 0;

std::atomic_ref<uint8_t> RequestByte() { return std::atomic_ref<uint8_t>(gTransportRequestByte); }

}  // namespace

uint8_t GetTransportRequestByte() { return RequestByte().load(); }
void SetTransportRequestBits(uint8_t bits) { RequestByte().fetch_or(bits); }
void ClearTransportRequestBits(uint8_t bits) { RequestByte().fetch_and(uint8_t(~bits)); }
void KeepTransportRequestBits(uint8_t mask) { RequestByte().fetch_and(mask); }

void RequestTransportPlay() {
  if (!IsClockTaskPlaying()) SetTransportRequestBits(kRequestRunning);
}

void RequestTransportStop() {
  if (!IsClockTaskPlaying() && !(GetTransportRequestByte() & kRequestRunning)) return;
  HaltSequencerTicks();
  SetTransportRequestBits(kRequestStop);
}

void RequestTransportRecord() { SetTransportRequestBits(kRequestRecord); }
