// The bevel buttons whose menu lists the current track's child sequences: the main editor's
// (editors/toolbar/child_sequence_button.h) and the track window's two.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"

// Interim: the track window's two ('CNTL' 184 and 185) come with the appearance style's
// controls, which are not made yet; a null entry matches no control.
extern ControlRef gTrackChildSequenceButtons[2];

// True for the three buttons.
bool IsChildSequenceButton(ControlRef control);
// The button's menu emptied, then one item per child sequence of the current track, named as
// the song list names songs.
void BuildChildSequenceMenu(ControlRef control);
// Tracks a click on one of the buttons (false for any other control): a choice from the menu
// runs the track pop-up's step with it (item - 1; -1 without child sequences) and leaves the
// current pane in *paneIndexOut; a press on the face (part 10) with child sequences present
// chooses nothing.
bool TrackChildSequenceButton(ControlRef control, Point point, int16_t* paneIndexOut);
