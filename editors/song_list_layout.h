// Where things lie in the song list window (window kind 2): the three header buttons, the
// time-mode area of the header, the rows below the header from the scroll position, and the
// part under a point for help tags.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The header's buttons: the play-state button (79 pixels), then two 26-pixel buttons.
enum : int16_t {
  kSongListStateButton = 0,
  kSongListChainButton = 1,
  kSongListSettingsButton = 2,
  kSongListButtonCount = 3,
};

// The parts GetSongListHelpPart answers (-1: nothing).
enum : int16_t {
  kSongListNoPart = -1,
  kSongListEmptyRowPart = 3,
  kSongListOtherRowPart = 4,
  kSongListCurrentRowPart = 5,
};

// Whole rows that fit below the header of the window (at least 1).
int32_t CountVisibleSongListRows();
// A header button's rectangle in the window's local coordinates.
Rect GetSongListButtonRect(int16_t button);
// The width of the time column at the right of the rows (0 while no time is shown).
int16_t GetSongListTimeColumnWidth();
// The header's area above the time column (empty while no time is shown).
Rect GetSongListTimeHeaderRect();
// The header button under the local point, -1 for none.
int16_t FindSongListButton(Point local);
// The slot of the row under the local point (scroll position added); -1 in the header or
// below the last slot shown.
int32_t FindSongListSlot(Point local);
// The top of a slot's row in local coordinates (it may lie outside the window).
int32_t GetSongListRowTop(int32_t slot);
// What lies under the point for help tags: a header button (0..2), an empty row (3), the row
// of another song (4), the current song's row (5), or nothing (-1).
int16_t GetSongListHelpPart(Point local);
