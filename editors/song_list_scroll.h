// The song list's scroll position: the first slot drawn at the top of the rows, kept as the
// value of the window's vertical scroll bar (0 without the bar).
#pragma once

#include <cstdint>

int32_t GetSongListScroll();
// Sets the first slot drawn, held within 0..(slots shown - whole rows visible), and redraws
// the rows when it changed.
void SetSongListScroll(int32_t value);
void ScrollSongList(int32_t delta);
// Scrolls the least that brings the current slot's row into view.
void ScrollSongListToCurrent();
// The scroll-bar part codes of the arrow keys: 20 one row up, 21 one row down, 22 a page
// up, 23 a page down. Other codes do nothing.
void HandleSongListKey(int16_t code);
