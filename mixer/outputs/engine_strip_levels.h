// The engine channels that play a strip (their instrument index is the strip's): the strip's
// level and pan handed to them while they play, and whether a strip has one.
//
// Main thread; each channel's gains change under its automation lock.
#pragma once

#include <cstdint>

struct EngineChannel;

using StripChannelProc = void (*)(EngineChannel* channel, void* arg);
// Calls proc with every channel of the engine and its aux-bus list that plays strip index.
// Answers the number of channels.
int32_t ForEachStripChannel(int32_t index, StripChannelProc proc, void* arg);
bool StripHasEngineChannel(int32_t index);
// The strip's volume (through the curve, 0 while it is not audible) and pan become the
// channels' level, pan and gains (scaled by the master level).
void ApplyStripLevelsToEngine(int32_t index);
