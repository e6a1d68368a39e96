// The track pop-up's steps (the menu of a track's row and of the child-sequence buttons).
#pragma once

#include <cstdint>

// Interim: the track pop-up is not built; a child sequence chosen from a child-sequence button
// (item from 0; -1 for none) changes nothing.
void RunTrackPopUpItem(int16_t item, int16_t source, int16_t modifiers);
