// The engine channels' side of the conductor lock state: after a change of the conductor
// map, every instrument plug-in's channel finds its conductor record again.
#pragma once

#include <cstdint>

struct EngineChannel;

// Instrument plug-in walk procedure: stores the conductor record at the channel's tick.
int32_t RefreshChannelConductorState(EngineChannel* channel, void* context);
// Fills the channel entry of gConductorLockHooks (song/conductor/conductor_lock_hooks.h).
void InstallConductorLockChannelHooks();
