// The content of one pane of the main editor by its drawing class.
#pragma once

#include <cstdint>

enum PaneDrawingClass : int16_t {
  kNoteRowsClass = 0, kDrumRowsClass = 1, kLaneClass = 2, kAudioClass = 9, kDrumRowsClass2 = 16
};

// 2 for data lanes (modes 2..8 and 10..15, and every instrument pane), else the view mode.
int16_t GetPaneDrawingClass();
// Draws the current pane (pane and track already selected); true when the pitch-bend display
// was used.
bool DrawPaneByViewMode(bool withLeftColumn, bool isCurrentPane);
