// The count-in: bars of clicks before the song starts. While it runs the count-in routine is
// the clock's tick routine: it counts beats and bars on the clock's beat counters without
// moving the song position, and hands over to the real tick routine at the end.
#pragma once

#include <cstdint>

// The count-in marker of the transport window: set when a count-in has ended.
extern uint8_t gCountInEnded;

// Makes the count-in routine the tick routine for a start at tick.
void BeginCountIn(uint32_t tick);
// The tick routine while counting in (clock task, lock held).
void CountInTick();
// Ends the count-in and plays the first real tick.
void EndCountIn();
// One count-in tick's click: the click procedure (which picks the ticks it sounds on), then
// the arpeggiator service when it runs.
void CountInClick();
// True while the count-in routine is the tick routine.
bool IsCountingIn();
