// The filter slots of the editing commands and the split status they read. A filter is a
// procedure without arguments that looks at gCurrentEvent after its status was split into
// gEventCommand and gEventChannel, and answers non-zero to take the event. A null slot takes
// every event. The editing commands install the filters; lower code only calls them.
#pragma once

#include <cstdint>

using EventFilterProc = int32_t (*)();

extern uint8_t gEventCommand;  // status & 0xF0 of the event split last
extern uint8_t gEventChannel;  // status & 0x0F

extern EventFilterProc gEditFilterProc;       // what an event transform changes
extern EventFilterProc gCopyFilterProc;       // what copy, cut, clear and the range operations take
extern EventFilterProc gSavedCopyFilterProc;  // the copy filter as the last filter update left it

// Splits the event's status into gEventCommand / gEventChannel; returns its tick.
uint32_t SplitEventStatus(const uint8_t* event);
// The filter's answer on the event under the cursor (already split); a null filter takes it.
bool RunEventFilter(EventFilterProc filter);
// The filter's answer on any event: the cursor and the split status are put back afterwards.
bool EventPassesFilter(EventFilterProc filter, const uint8_t* event);
