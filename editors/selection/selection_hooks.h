// What the main editor's selection tracker asks of the program above it and of the editors
// not yet built. An entry not installed does nothing.
#pragma once

#include <cstdint>

struct SelectionHooks {
  // Locates the transport to a tick (0: to the time selection's start, which becomes the play
  // range). Main thread.
  void (*locateToPosition)(uint32_t position);
  // Opens the note dialog for the note at byte offset of the current track's list. Main thread.
  void (*openNoteEventDialog)(int32_t offset);
  // A click in the keyboard or drum column of the current pane at y. Main thread.
  void (*trackKeyboardAudition)(int16_t y);
};
extern SelectionHooks gSelectionHooks;

void CallLocateToPosition(uint32_t position);
void CallOpenNoteEventDialog(int32_t offset);
void CallTrackKeyboardAudition(int16_t y);
