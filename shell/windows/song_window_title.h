// The title of the song's main window (the track window): "Song n: name", or "Sequence n:
// name" while a child sequence is current; an empty name shows as the untitled name.
#pragma once

#include "platform/memory/mac_types.h"

// The title the track window takes for the current song (empty without a song).
void GetSongWindowTitle(Str255 title);
// Sets it on the track window (nothing without the window).
void SetSongWindowTitle();
