// The mouse wheel: a nib dialog's wheel procedure, the classic dialog's list or arrow
// buttons, or the scroll bar under the mouse in the front document window.
#pragma once

#include <cstdint>

#include "platform/events/carbon_events.h"

// TickCount of the last wheel event that reached the windows.
extern uint32_t gLastWheelTicks;

// 'mous' 10: noErr when a dialog or a scroll bar took the wheel, eventNotHandled otherwise.
OSStatus HandleWheelEvent(EventRef event);
