#include "editors/selection/selection_hooks.h"

SelectionHooks gSelectionHooks{};

void CallLocateToPosition(uint32_t position) {
  if (gSelectionHooks.locateToPosition) gSelectionHooks.locateToPosition(position);
}

void CallOpenNoteEventDialog(int32_t offset) {
  if (gSelectionHooks.openNoteEventDialog) gSelectionHooks.openNoteEventDialog(offset);
}

void CallTrackKeyboardAudition(int16_t y) {
  if (gSelectionHooks.trackKeyboardAudition) gSelectionHooks.trackKeyboardAudition(y);
}
