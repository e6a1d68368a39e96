// The conductor lock state: kept around every change of the current song's conductor map,
// so that playback sees a consistent map and finds its place in it again afterwards.
// Playback is reached through gConductorLockHooks (song/conductor/conductor_lock_hooks.h).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Byte 0: the HGetState flags of the map handle; byte 1: the transport's conductor-follow
// byte.
struct ConductorLockState {
  int8_t mapState = 0;
  uint8_t follow = 0;
};

// Change bits set in the playing song when its conductor map changed.
constexpr uint8_t kConductorChangedBits = 0x18;

// gSectionMode is set and section mode works on the current song.
bool IsSectionModeOnCurrentSong();
// Fills state; in section mode on the current song clears the follow byte and the song's
// conductor cursor (leaving the tick to find the place again); then unlocks the map.
void SaveConductorLockState(ConductorLockState* state);
// Puts the map's handle state back, marks the song changed, re-points every engine
// channel's conductor record while the engine plays, and restores the follow byte.
void RestoreConductorLockState(const ConductorLockState* state);
OSErr SetTempoAtKeepingLock(int32_t tick, int32_t tempo);
bool IsTransportOptionBit7Set();
