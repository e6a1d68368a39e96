// The song list window's update: the 44-pixel header (the play-mode buttons, the settings
// button, the title, the time column's heading and the total time), then one row per song
// slot (at most 16) from the scroll position, each showing the slot's number and ") ", the
// song's name (or the empty-slot text) cut with an ellipsis to fit and, with a time mode, the
// song's duration; the current song's row is bold and the selected songs' rows are
// highlighted.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Rows start this far below the top of the song list's content.
constexpr int16_t kSongListTop = 44;

// The name a song goes by in the list: its name (at most 31 characters), or the empty-slot
// text for no song.
void GetSongListName(const uint8_t* song, Str255 name);

// Redraws the song list window's rows (nothing without the window).
void DrawSongListWindow();
