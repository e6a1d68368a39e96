// What the song model asks of the sequencer's clock and transport: whether a song is playing,
// the clock's lock around a change of the song block, the song position, putting the
// transport back after an edit, the tempo factor, the clock's frame rate and its timer.
// Installed by the sequencer at start-up (InstallSequencerHooks); an entry not installed
// does nothing: no clock runs.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct SongTransportHooks {
  // True when the clock's play or sync task runs and plays the song block song. Main thread.
  bool (*isClockPlayingSong)(Handle song);
  // True when the current song takes part in section playback. Main thread.
  bool (*isCurrentSongPlaying)();
  // Detaches and re-points the clock's cached pointers into the current song. Main thread.
  void (*detachPlayingCopy)();
  void (*reattachPlayingCopy)();
  // The clock's try-lock (sequencer_clock.h): 0 taken, else busy; unlock takes back what the
  // lock answered. Main thread.
  int32_t (*tryLockClock)(int32_t owner);
  int32_t (*unlockClock)(int32_t code);
  // The song position in ticks. Main thread.
  uint32_t (*songPositionTick)();
  // Puts the transport back after an edit: with prepare, prepares section playback again
  // (sectionReset: in section mode) and drops a pending play or locate; with keepPosition the
  // song position is kept through it. Main thread.
  void (*resetAfterEdit)(bool prepare, bool sectionReset, bool keepPosition);
  // The clock's tempo factor (2048 = 100 %). Any thread.
  uint16_t (*tempoFactor)();
  // Sets the clock's frames, subframes per second, minute and hour for a frame rate (24, 25
  // or 30 frames per second). Main thread.
  void (*setFrameRate)(uint16_t framesPerSecond);
  // Stops the clock's timer for a change to clock mode (0..3), and installs the idle clock
  // procedure again when the transport runs from it. Main thread.
  void (*stopTimerForMode)(int32_t mode);
  void (*restartIdleTimer)();
  // A play setting (transpose, velocity offset, grid, pattern mode) of TrackEntry index of
  // song changed: a clock that plays the song takes it at its next tick. Main thread.
  void (*trackPlaySettingsChanged)(Handle song, int32_t index);
  // Hands the clock the song-handle slot array and its first song. Main thread.
  void (*cacheSongList)(Handle slots, Handle firstSong);
  // Holds (true) or releases (false) the clock's note output while a document is read, and
  // sends every pending note-off under the clock lock before it. Main thread.
  void (*holdNoteOutput)(bool hold);
  void (*flushEveryNoteOffOwner)();
  // The end tick of song changed: a pass that plays it stops at the new end. Main thread.
  void (*songEndChanged)(Handle song, uint32_t endTick);
};
extern SongTransportHooks gSongTransportHooks;

// Not installed: false.
bool IsClockPlayingSong(Handle song);
// Interim: no section playback runs; unless an entry is installed, false.
bool IsCurrentSongPlaying();
// Interim: the clock keeps no pointers into songs yet; unless entries are installed, nothing.
void DetachPlayingCopy();
void ReattachPlayingCopy();
// Not installed: 0 (nothing holds the lock), and the code comes back.
int32_t TryLockClockForSong(int32_t owner);
int32_t UnlockClockForSong(int32_t code);
// Not installed: 0.
uint32_t GetSongPositionTick();
// Not installed: nothing.
void ResetTransportAfterEdit(bool prepare, bool sectionReset, bool keepPosition);
// Not installed: 2048 (100 %).
uint16_t GetClockTempoFactor();
// Not installed: nothing.
void SetClockFrameRate(uint16_t framesPerSecond);
void StopClockTimerForMode(int32_t mode);
void RestartIdleClockTimer();
void NoteTrackPlaySettingsChanged(Handle song, int32_t index);
void CacheSongListInTransport(Handle slots, Handle firstSong);
void HoldClockNoteOutput(bool hold);
void FlushEveryNoteOffOwner();
void NoteSongEndChanged(Handle song, uint32_t endTick);
