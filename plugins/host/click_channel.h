// The metronome's click through its plug-in: when the click plays through a plug-in (device
// kind 20) and is on, Play gives Clickvox (opened through FindClickPlugin, device 254) an
// engine channel of its own, whose MIDI state places each bar and beat click at its sample.
#pragma once

#include <cstdint>

// Main thread, before the engine is prepared for Play from tick: adds the click channel (or
// restarts the one the engine still holds). 0 also when the click plays no plug-in or Clickvox
// cannot be opened (the click stays silent); 116 or -108 when no channel can be made.
int16_t AddClickChannel(uint32_t tick);
