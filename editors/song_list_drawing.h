// The song list window's update: the 44-pixel header (the play-mode buttons, the settings
// button, the title, the time column's heading and the total time), then one row per song
// slot (at most 16) from the scroll position, each showing the slot's number and ") ", the
// song's name (or the empty-slot text) cut with an ellipsis to fit and, with a time mode, the
// song's duration; the current song's row is bold and the selected songs' rows are
// highlighted.
#pragma once

#include <cstdint>

// Rows start this far below the top of the song list's content.
constexpr int16_t kSongListTop = 44;

// Redraws the song list window's rows (nothing without the window).
void DrawSongListWindow();
