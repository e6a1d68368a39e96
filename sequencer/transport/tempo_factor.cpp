#include "sequencer/transport/tempo_factor.h"

#include "platform/memory/byte_order.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/tempo_output.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr uint16_t kTempoOutputBits = kInputPollSuspended | kInputRecordTempo;

int32_t ClampFactor(int64_t factor) {
  if (factor < kMinTempoFactor) return kMinTempoFactor;
  if (factor > kMaxTempoFactor) return kMaxTempoFactor;
  return int32_t(factor);
}

bool TargetReached(int32_t target, int32_t step) {
  int32_t scaled = GetScaledTempo();
  return step > 0 ? scaled >= target : scaled <= target;
}

}  // namespace

void SetTempoFactor(uint16_t factor) {
  if (gCurrentSong) WriteU16BE(gCurrentSong + kSongTempoFactor, factor);
  gClockTempoFactor = factor;
}

uint16_t FactorForTempo(int32_t tempo) {
  gConductorState.tempo = uint32_t(tempo);
  int32_t base = gClockTempo;
  if (base <= 0) return kUnityTempoFactor;
  int64_t product = int64_t(tempo) * kUnityTempoFactor;
  return uint16_t(ClampFactor((product + base / 2) / base));
}

uint16_t StepTempoFactorTo(int32_t target, int32_t step) {
  if (step == 0) return gClockTempoFactor;
  int32_t factor = gClockTempoFactor;
  while (!TargetReached(target, step)) {
    int32_t next = ClampFactor(int64_t(factor) + step);
    if (next == factor) break;  // at a bound: the base tempo cannot reach the target
    factor = next;
    SetTempoFactor(uint16_t(factor));
  }
  return uint16_t(factor);
}

bool IsFollowingExternalTempo() { return GetSyncSource() >= kSyncSourceTimeCode; }

void SendTempoToOutputs(int32_t tempo) {
  if ((gMidiInputFlags & kTempoOutputBits) != kTempoOutputBits) return;
  SendTempoOutput(tempo, int32_t(gTransportClock.songTick.load()));
}
