#include "shell/menus/selection_memory.h"

#include "shell/app/song_switch.h"

SelectionMemory gSelectionMemories[kSelectionMemories] = {};
uint8_t gSelectionMemoryMask = 0;

namespace {

bool ValidItem(int16_t item) { return item >= 1 && item <= kSelectionMemories; }

}  // namespace

void StoreSelectionMemory(int16_t item) {
  if (!ValidItem(item)) return;
  gSelectionMemories[item - 1] = SelectionMemory{gTimeSelection, gLocatePoint};
  gSelectionMemoryMask |= uint8_t(1u << (item - 1));
  ShowPositionInCounters(gLocatePoint.tick);
}

void RecallSelectionMemory(int16_t item) {
  if (!ValidItem(item)) return;
  uint8_t bit = uint8_t(1u << (item - 1));
  const SelectionMemory& memory = gSelectionMemories[item - 1];
  if (!(gSelectionMemoryMask & bit) || memory.selection.start.tick == 0) {
    gSelectionMemoryMask &= uint8_t(~bit);
    return;
  }
  SetTimeRange(memory.selection.start.tick, memory.selection.end.tick);
  LocateToPosition(memory.selection.start.tick);
  CommitTimeSelection();
  DrawAllVisibleWindows();
}
