// The locator memories: four stored pairs of left and right locator positions, stored and
// recalled from the Store and Recall Memory menus and the transport panel's memory buttons.
// They are kept in the song header as well (left at 220 + 24n, right at 232 + 24n: u32 tick,
// u32 low word of the sample position, f32 sample rate).
#pragma once

#include <cstdint>

#include "song/events/time_selection.h"

constexpr int16_t kStoreMemoryMenuId = 66;
constexpr int16_t kRecallMemoryMenuId = 67;
constexpr int16_t kLocatorMemoryCount = 4;
// In gLocatorMatchMask (song/events/time_selection.h), beside the memory bits 0..3: the
// store button is armed.
constexpr uint8_t kLocatorStoreArmed = 0x10;

struct LocatorMemory {
  TimePosition left, right;  // empty while left.tick is 0
};
extern LocatorMemory gLocatorMemories[kLocatorMemoryCount];

// The current song's eight stored positions become the four memories (the sample position's
// high word 0); song activation calls it.
void LoadLocatorMemoriesFromSong();

// n = 0..3 (others do nothing). Store: the clock's locators go into memory n and the song
// header, bit n lights, the armed bit goes. Recall: a filled memory becomes the time
// selection and the locators and the song locates to its start; an empty one only has its bit
// cleared. The buttons named are redrawn.
void StoreOrRecallLocatorMemory(int16_t n, bool store);
