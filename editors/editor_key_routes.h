// The key commands that reach the main editor's own topics: the edit tool, the view mode, the
// note value and its tuplets, scrolling the timeline, and the step length of MIDI step input.
#pragma once

#include <cstdint>

// The view mode a view letter selects: the current pane takes it (the track remembers it), and
// the tools of the view apply.
void SelectViewModeFromKey(int16_t mode);
// The note value of a note-value key: 1 whole, 2 half, 4 quarter, 8 eighth, 16 sixteenth.
void SetNoteValueFromKey(int16_t fraction);
// '3', '5' and '7' toggle triplet, quintuplet and septuplet.
void ToggleTupletFromKey(int16_t tuplet);
// Scroll-bar parts 20..23 of the keys: the timeline's horizontal scroll action.
void ScrollEditorFromKey(int16_t part);
// Fills the key-command and step-input entries that the editors own.
void InstallEditorKeyRoutes();
