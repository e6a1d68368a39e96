// The current-song context: which song, child sequence, track and event the program works
// on, the stack that saves and restores it, and the song-modified flag.
//
// gCurrentSong and gCurrentTrack are addresses inside the current song block; they are
// re-resolved whenever the block may have moved (the song blocks are kept locked high).
//
// Threads: the main thread only. The clock, the engine and MIDI input never read the current
// song; they reach the playing song through the transport clock (sequencer/clock).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

extern Handle gCurrentSongHandle;
extern uint8_t* gCurrentSong;        // the dereferenced song block, null without a song
extern int32_t gCurrentSongIndex;    // slot in gSongHandles
extern int32_t gCurrentChildIndex;   // 0..63 for a child sequence, -1 for a top-level song
extern uint8_t* gCurrentTrack;       // current TrackEntry, or gTrackTemplate
extern uint8_t* gCurrentEvent;       // the event being visited
extern uint8_t gCurrentEventKind;    // status & 0xF0 of the split status
extern uint8_t gCurrentEventChannel; // status & 0x0F of the split status
extern uint8_t gSongModified;
extern uint8_t gFollowSongLinks;     // selecting a link child selects the linked song

constexpr int kSongContextDepth = 16;
constexpr OSErr kContextStackFull = -1;

// Stores the handle and its block address (both 0 for 0).
void SetCurrentSong(Handle song);
// SetCurrentSong, then re-resolves gCurrentTrack from the song's current entry index.
void SelectSong(Handle song);
// Slot n of the song table (0 when n is past the table); child index -1. gCurrentTrack
// is left alone.
void SelectSongIndex(int32_t n);
// Re-reads gCurrentSong (and gCurrentTrack) after the song block may have moved.
void RefreshCurrentSongPtr();
void LockCurrentSongHigh();
void UnlockCurrentSong();
Size GetCurrentSongSize();
// The address of slot n of the song table (null past its end).
uint8_t* GetSongHandleCell(int32_t n);
uint8_t* GetCurrentSongHandleCell();
Handle GetSongHandleAt(int32_t n);
void SetSongHandleAt(int32_t n, Handle song);

// Saves the context; returns kContextStackFull (and saves nothing) on the 17th level.
OSErr PushSongContext();
// Restores the context saved last; does nothing on an empty stack.
void PopSongContext();
int32_t GetSongContextDepth();

void SetSongModified();
// Splits the status byte of gCurrentEvent into gCurrentEventKind / gCurrentEventChannel.
void SplitCurrentEventStatus();
