// The pitch-row lines of a note pane, in two passes: the background pass in the beat pen
// before the bar lines, the foreground pass in the bar pen after them.
#pragma once

#include <cstdint>

// The pitch at the top of the current note pane: 143 - 12 x (scroll value / 12).
int32_t GetPaneTopPitch();
// Walks the pitches downward from the top pitch in the style of gNoteRowStyle, never drawing
// a row above 131 and stopping at the pane bottom.
void DrawNoteRowLines(bool foreground);
