#include "shell/base/modifier_keys.h"

#include "shell/base/event_records.h"

bool TestLastEventModifier(uint16_t mask) { return (gLastEvent.modifiers & mask) != 0; }
bool IsCommandModifierDown() { return TestLastEventModifier(cmdKey); }
bool IsShiftModifierDown() { return TestLastEventModifier(shiftKey); }
bool IsOptionModifierDown() { return TestLastEventModifier(optionKey); }
bool IsControlModifierDown() { return TestLastEventModifier(controlKey); }
