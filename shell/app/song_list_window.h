// The song list window's actions (window kind 2): its clicks (the header buttons, the
// contextual menu, a row made current or given a new song, renaming with option, the track
// window brought forward by a double click, the list selection, dragging rows), stepping to
// the next song, removing the selected songs, and making a slot current.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/memory/mac_types.h"
#include "shell/windows/app_windows.h"

// Contextual menu of the list: add a slot (1), remove the selected songs (2).
constexpr int16_t kSongListMenuId = 220;
// Reported when a slot is asked for while 16 slots exist.
constexpr int32_t kSongSlotsFullError = 4;

// The click procedure of the song list window (registered for kind 2).
int32_t ClickSongListWindow(AppWindow* w, Point local, EventRecord* event);
// Makes slot n current: an empty slot gets a new one-track song (not in section mode); the
// link flags are recomputed and every window follows the song. When no song can be made,
// the first song is current again and the error is returned.
OSErr ActivateSongSlot(int32_t slot);
// Slot n becomes the current index and the song is activated with its record track.
void SelectSongSlot(int32_t slot);
// The next (delta > 0) or previous slot that holds a song, wrapping within the first 16
// slots, is made current.
void StepCurrentSong(int16_t delta);
// Removes the selected songs (those nothing else holds) and makes the nearest song before the
// first one removed current and selected (an empty slot is not given a song).
void RemoveSelectedSongs();
// Drags the selected rows from the click at local and moves them to the row of release.
void MoveSongsByDrag(Point local);
// Registers the window's click procedure and the song list's key routes.
void InstallSongListWindow();
