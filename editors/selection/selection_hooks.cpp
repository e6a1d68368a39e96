#include "editors/selection/selection_hooks.h"

namespace {
constexpr int16_t kNothingDroppedErr = -1857;
}  // namespace

SelectionHooks gSelectionHooks{};

void CallLocateToPosition(uint32_t position) {
  if (gSelectionHooks.locateToPosition) gSelectionHooks.locateToPosition(position);
}

void CallOpenNoteEventDialog(int32_t offset) {
  if (gSelectionHooks.openNoteEventDialog) gSelectionHooks.openNoteEventDialog(offset);
}

void CallOpenSysExEventDialog(int32_t offset) {
  if (gSelectionHooks.openSysExEventDialog) gSelectionHooks.openSysExEventDialog(offset);
}

void CallTrackKeyboardAudition(int16_t y) {
  if (gSelectionHooks.trackKeyboardAudition) gSelectionHooks.trackKeyboardAudition(y);
}

void CallClickNoteBody(uint32_t modifiers) {
  if (gSelectionHooks.clickNoteBody) gSelectionHooks.clickNoteBody(modifiers);
}

void CallDragBlockEvent(int32_t offset) {
  if (gSelectionHooks.dragBlockEvent) gSelectionHooks.dragBlockEvent(offset);
}

void CallDragBlockLength(int32_t offset) {
  if (gSelectionHooks.dragBlockLength) gSelectionHooks.dragBlockLength(offset);
}

bool CallClickProgramEvent(int16_t h, int16_t v) {
  return gSelectionHooks.clickProgramEvent && gSelectionHooks.clickProgramEvent(h, v);
}

void CallOpenSequenceEventDialog(int32_t offset) {
  if (gSelectionHooks.openSequenceEventDialog) gSelectionHooks.openSequenceEventDialog(offset);
}

int16_t CallTrackRangeClipboardOp(int16_t source, int16_t target, uint32_t start, uint32_t length,
                                  uint32_t newStart, bool copy) {
  if (!gSelectionHooks.trackRangeClipboardOp) return kNothingDroppedErr;
  return gSelectionHooks.trackRangeClipboardOp(source, target, start, length, newStart, copy);
}

bool CallIsDropTimingSwitchOn() {
  return gSelectionHooks.isDropTimingSwitchOn && gSelectionHooks.isDropTimingSwitchOn();
}
