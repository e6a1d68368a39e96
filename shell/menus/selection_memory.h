// The memories of the Store and Recall menus: each keeps a time selection with the locate
// point, and a bit of the memory mask says which are filled.
#pragma once

#include <cstdint>

#include "sequencer/transport/transport_engine.h"
#include "song/events/time_selection.h"

constexpr int16_t kStoreMemoryMenuId = 66;
constexpr int16_t kRecallMemoryMenuId = 67;
constexpr int32_t kSelectionMemories = 8;

struct SelectionMemory {
  TimeSelection selection;
  LocatePoint locate;
};
extern SelectionMemory gSelectionMemories[kSelectionMemories];
extern uint8_t gSelectionMemoryMask;

// Items 1..8: store the current selection and locate point in memory item - 1.
void StoreSelectionMemory(int16_t item);
// A filled memory becomes the selection and the song locates to its start; an empty one
// only has its bit cleared.
void RecallSelectionMemory(int16_t item);
