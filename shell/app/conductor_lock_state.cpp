#include "shell/app/conductor_lock_state.h"

#include "audio/engine/conductor_engine_state.h"
#include "platform/memory/memory.h"
#include "song/instruments/plugin_hooks.h"
#include "sequencer/transport/conductor_transport.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

namespace {

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
  return gSectionMode && gCurrentSongHandle && gSectionModeSong == gCurrentSongHandle;
}

void SaveConductorLockState(ConductorLockState* state) {
  Handle map = CurrentMapHandle();
  state->mapState = map ? HGetState(map) : 0;
  state->follow = gClockConductorFollow;
  if (IsSectionModeOnCurrentSong()) {
    gClockConductorFollow = 0;
    if (gSongConductorCursor != 0) gConductorResumeTick = ResumeTickForCursor(gSongConductorCursor - 1);
    gSongConductorCursor = 0;
  }
  if (map) HUnlock(map);
}

void RestoreConductorLockState(const ConductorLockState* state) {
  Handle map = CurrentMapHandle();
  if (map) HSetState(map, state->mapState);
  gPlayingSongChangeBits |= kConductorChangedBits;
  // Once per change: the walk re-points every channel, so it never needs repeating.
  if (gAudioEnginePlayState != 0) ForEachInstrumentPlugin(RefreshChannelConductorState, nullptr);
  gClockConductorFollow = state->follow;
}

int32_t RefreshChannelConductorState(EngineChannel* channel, void*) {
  ChannelConductorPosition* position = GetChannelConductorPosition(channel);
  if (!position) return 0;
  double ticks = position->positionTicks;
  int32_t tick = ticks >= 2147483647.0 ? 0x7fffffff : ticks <= -2147483648.0 ? INT32_MIN : int32_t(ticks);
  uint8_t* record = GetConductorStateAt(tick);
  uint8_t* map = GetConductorMap();
  position->conductorRecord = map == gEmptyConductorMap ? -1 : int32_t(record - map);
  return 0;
}

OSErr SetTempoAtKeepingLock(int32_t tick, int32_t tempo) {
  ConductorLockState state;
  SaveConductorLockState(&state);
  OSErr err = SetTempoAt(tempo, tick);
  RestoreConductorLockState(&state);
  return err;
}

bool IsTransportOptionBit7Set() { return (gClockOptionByte & 0x80) != 0; }
