// Where the Edit menu hands items to windows whose owners are not the editing commands: the
// text window of kind 16 (commands 103 clear, 105 cut, 106 copy, 107 paste, 0 others) and the
// jukebox (its own select-all and delete); and the song list, whose commands act on the song
// it has selected rather than on a child sequence opened from it. An empty entry takes nothing.
#pragma once

#include <cstdint>

struct EditWindowHooks {
  void (*textWindowCommand)(uint32_t command) = nullptr;
  void (*jukeboxEditItem)(int16_t item) = nullptr;  // the Edit item number (8 delete, 23 select all)
  void (*activateSelectedSong)() = nullptr;         // makes the song list's song current again
};

extern EditWindowHooks gEditWindowHooks;

void SendTextWindowCommand(uint32_t command);
void SendJukeboxEditItem(int16_t item);
// Without an installed entry the song of the current slot becomes current in the song model
// alone (the windows are not told).
void ActivateSelectedSong();
