// The open songs: the song table, song blocks (a 404-byte header followed by TrackEntry
// records), their creation, resizing and disposal, and song ids.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/model/song_layout.h"

extern Handle gSongHandles;     // block of gSongCount big-endian u32 song handle ids
extern int32_t gSongCount;      // number of slots in gSongHandles
extern uint16_t gSongIdCounter; // the id the next header is given
extern uint8_t gSectionMode;    // the program edits and plays child sequences as sections
extern Handle gSectionModeSong;  // the song that section mode plays (its song block handle; 0 none)

// 404 + 264 n.
Size SongBlockSize(int32_t n);
// Makes a song in slot gCurrentSongIndex with a block of max(size, 404) bytes.
OSErr AddSong(Size size);
// Makes a child song in the child cell chosen last by GetChildSequence.
OSErr AddChildSequence(bool link, Size size);
void InitSongHeader();
OSErr NewSongLists();
// Disposes the conductor map, the marker list, the window table and the extra block.
void DisposeSongLists();
OSErr CreateSongTracks(int32_t n, int32_t arg);
OSErr InitFirstSong(Handle song);
OSErr ResizeCurrentSong(Size size);
void AssignUniqueSongId();
bool IsSongIdUnique();
Handle FindSongById(uint16_t id, int32_t* index);
Handle FindLinkedSong();
bool IsSongLink();
// True while the current song is held by the clipboard or the undo ring.
bool IsSongLocked();
void DisposeSong();
// The current song's track count, 0 without a song.
int32_t GetSongTrackCount();
