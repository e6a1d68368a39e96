#include "song/model/transport_hooks.h"

#include "song/conductor/tempo_scaling.h"

SongTransportHooks gSongTransportHooks;

namespace {
const SongTransportHooks& Hooks() { return gSongTransportHooks; }
}  // namespace

bool IsClockPlayingSong(Handle song) { return Hooks().isClockPlayingSong ? Hooks().isClockPlayingSong(song) : false; }

bool IsCurrentSongPlaying() { return Hooks().isCurrentSongPlaying ? Hooks().isCurrentSongPlaying() : false; }

void DetachPlayingCopy() {
  if (Hooks().detachPlayingCopy) Hooks().detachPlayingCopy();
}

void ReattachPlayingCopy() {
  if (Hooks().reattachPlayingCopy) Hooks().reattachPlayingCopy();
}

int32_t TryLockClockForSong(int32_t owner) { return Hooks().tryLockClock ? Hooks().tryLockClock(owner) : 0; }

int32_t UnlockClockForSong(int32_t code) { return Hooks().unlockClock ? Hooks().unlockClock(code) : code; }

uint32_t GetSongPositionTick() { return Hooks().songPositionTick ? Hooks().songPositionTick() : 0; }

void ResetTransportAfterEdit(bool prepare, bool sectionReset, bool keepPosition) {
  if (Hooks().resetAfterEdit) Hooks().resetAfterEdit(prepare, sectionReset, keepPosition);
}

uint16_t GetClockTempoFactor() { return Hooks().tempoFactor ? Hooks().tempoFactor() : kUnityTempoFactor; }

void SetClockFrameRate(uint16_t framesPerSecond) {
  if (Hooks().setFrameRate) Hooks().setFrameRate(framesPerSecond);
}

void StopClockTimerForMode(int32_t mode) {
  if (Hooks().stopTimerForMode) Hooks().stopTimerForMode(mode);
}

void RestartIdleClockTimer() {
  if (Hooks().restartIdleTimer) Hooks().restartIdleTimer();
}

void NoteTrackPlaySettingsChanged(Handle song, int32_t index) {
  if (Hooks().trackPlaySettingsChanged) Hooks().trackPlaySettingsChanged(song, index);
}

void CacheSongListInTransport(Handle slots, Handle firstSong) {
  if (Hooks().cacheSongList) Hooks().cacheSongList(slots, firstSong);
}

void HoldClockNoteOutput(bool hold) {
  if (Hooks().holdNoteOutput) Hooks().holdNoteOutput(hold);
}

void FlushEveryNoteOffOwner() {
  if (Hooks().flushEveryNoteOffOwner) Hooks().flushEveryNoteOffOwner();
}

void NoteSongEndChanged(Handle song, uint32_t endTick) {
  if (Hooks().songEndChanged) Hooks().songEndChanged(song, endTick);
}
