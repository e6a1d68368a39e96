#include "sequencer/transport/conductor_lock_transport.h"

#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/conductor_lock_hooks.h"

namespace {

Handle SectionModeSong() { return gSectionModeSong; }

uint8_t ConductorFollow() { return gClockConductorFollow; }

void SetConductorFollow(uint8_t follow) { gClockConductorFollow = follow; }

int32_t TakeConductorCursor() {
  int32_t cursor = gSongConductorCursor;
  gSongConductorCursor = 0;
  return cursor;
}

void SetConductorResumeTick(int32_t tick) { gConductorResumeTick = tick; }

void MarkPlayingSongChanged(uint8_t bits) { gPlayingSongChangeBits |= bits; }

uint8_t TransportOptions() { return gClockOptionByte; }

}  // namespace

void InstallConductorLockTransportHooks() {
  gConductorLockHooks.sectionModeSong = SectionModeSong;
  gConductorLockHooks.conductorFollow = ConductorFollow;
  gConductorLockHooks.setConductorFollow = SetConductorFollow;
  gConductorLockHooks.takeConductorCursor = TakeConductorCursor;
  gConductorLockHooks.setConductorResumeTick = SetConductorResumeTick;
  gConductorLockHooks.markPlayingSongChanged = MarkPlayingSongChanged;
  gConductorLockHooks.transportOptions = TransportOptions;
}
