#include "song/conductor/conductor_lock_state.h"

#include "platform/memory/memory.h"
#include "song/conductor/conductor_lock_hooks.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

ConductorLockHooks gConductorLockHooks;

namespace {

Handle SectionModeSong() {
  return gConductorLockHooks.sectionModeSong ? gConductorLockHooks.sectionModeSong() : Handle();
}

uint8_t ConductorFollow() {
  return gConductorLockHooks.conductorFollow ? gConductorLockHooks.conductorFollow() : 0;
}

void SetConductorFollow(uint8_t follow) {
  if (gConductorLockHooks.setConductorFollow) gConductorLockHooks.setConductorFollow(follow);
}

int32_t TakeConductorCursor() {
  return gConductorLockHooks.takeConductorCursor ? gConductorLockHooks.takeConductorCursor() : 0;
}

void SetConductorResumeTick(int32_t tick) {
  if (gConductorLockHooks.setConductorResumeTick) gConductorLockHooks.setConductorResumeTick(tick);
}

void MarkPlayingSongChanged(uint8_t bits) {
  if (gConductorLockHooks.markPlayingSongChanged) gConductorLockHooks.markPlayingSongChanged(bits);
}

void RefreshChannelConductors() {
  if (gConductorLockHooks.refreshChannelConductors) gConductorLockHooks.refreshChannelConductors();
}

Handle CurrentMapHandle() {
  if (!gCurrentSong) return Handle();
  Handle h(ReadU32BE(gCurrentSong + kSongConductorMap));
  return IsValidHandle(h) ? h : Handle();
}

// The tick from which playback finds the cursor's record again: 1 at the first record, else
// the tick behind the previous record.
int32_t ResumeTickForCursor(int32_t offset) {
  uint8_t* map = GetConductorMap();
  if (offset <= 0 || map == gEmptyConductorMap) return 1;
  int32_t count = CountConductorRecords(gCurrentSong);
  int32_t previous = offset / kConductorRecordSize - 1;
  if (previous >= count) previous = count - 1;
  if (previous < 0) return 1;
  return ConductorTick(map + previous * kConductorRecordSize) + 1;
}

}  // namespace

bool IsSectionModeOnCurrentSong() {
  return gSectionMode && gCurrentSongHandle && SectionModeSong() == gCurrentSongHandle;
}

void SaveConductorLockState(ConductorLockState* state) {
  Handle map = CurrentMapHandle();
  state->mapState = map ? HGetState(map) : 0;
  state->follow = ConductorFollow();
  if (IsSectionModeOnCurrentSong()) {
    SetConductorFollow(0);
    int32_t cursor = TakeConductorCursor();
    if (cursor != 0) SetConductorResumeTick(ResumeTickForCursor(cursor - 1));
  }
  if (map) HUnlock(map);
}

void RestoreConductorLockState(const ConductorLockState* state) {
  Handle map = CurrentMapHandle();
  if (map) HSetState(map, state->mapState);
  MarkPlayingSongChanged(kConductorChangedBits);
  // Once per change: the walk re-points every channel, so it never needs repeating.
  RefreshChannelConductors();
  SetConductorFollow(state->follow);
}

OSErr SetTempoAtKeepingLock(int32_t tick, int32_t tempo) {
  ConductorLockState state;
  SaveConductorLockState(&state);
  OSErr err = SetTempoAt(tempo, tick);
  RestoreConductorLockState(&state);
  return err;
}

bool IsTransportOptionBit7Set() {
  uint8_t options = gConductorLockHooks.transportOptions ? gConductorLockHooks.transportOptions() : 0;
  return (options & 0x80) != 0;
}
