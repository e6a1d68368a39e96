#include "sequencer/transport/time_code_follow.h"

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/tempo_tables.h"

namespace {

uint32_t gTakenCount = 0;

bool IsTimeCodeSource() {
  return gClockSyncSource == kSyncSourceTimeCode || gClockSyncSource == kSyncSourceMachineControl;
}

void MoveSongTo(int64_t subframes) {
  LocateToTimecode(subframes, kDefaultPositionFactor);
  gRealTimePosition = uint64_t(subframes < 0 ? 0 : subframes) << 16;
  gTransportClock.songTick = gLocatePoint.tick - 1;
  ShowLocateInClock(gLocatePoint.tick);
}

}  // namespace

void FollowReceivedTimeCode() {
  ReceivedTimeCode tc;
  if (!TakeReceivedTimeCode(&gTakenCount, &tc) || !IsTimeCodeSource()) return;
  if (IsClockTaskPlaying()) return;  // a running pass follows through the clock's debt
  if (tc.rateCode != gSmpteRateCode) {
    SetSmpteFrameRate(tc.rateCode);
    ApplyTempo(GetScaledTempo());  // the clock's subframes a tick at the new rate
  }
  int64_t position = ReceivedTimeCodeSubframes(tc);
  gMtcReceivedPosition.store(position, std::memory_order_relaxed);
  MoveSongTo(position);
}

bool LocateToReceivedTimeCode() {
  int64_t position = gMtcReceivedPosition.load(std::memory_order_relaxed);
  if (position < 0) return false;
  MoveSongTo(position);
  return true;
}
