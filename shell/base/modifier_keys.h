// Modifier-key tests on the modifiers field of gLastEvent.
#pragma once

#include <cstdint>

// True when any bit of mask is set.
bool TestLastEventModifier(uint16_t mask);
bool IsCommandModifierDown();
bool IsShiftModifierDown();
bool IsOptionModifierDown();
bool IsControlModifierDown();
