// The engine as the transport drives it: Play prepares the engine's channels at the start
// tick and opens their devices, the clock's start starts the outputs, and the transport asks
// whether an output is active (then the device's sample clock drives the song position).
// Stop goes through StopAudioEngine. Main thread.
#pragma once

#include <cstdint>

// Prepares the engine for playback from the tick (1-based) on the devices of gOutputDevices;
// 0 or the engine's error, after which the engine is stopped again. The engine is prepared
// only while the song needs it (IsAudioEngineNeeded; nothing to play otherwise: 0).
int16_t PrepareEngineForTransport(uint32_t tick);
// True when a device of gOutputDevices has channels and is active.
bool IsAnyOutputDeviceActive();
// Fills the transport's audio hooks (sequencer/transport/transport_audio_hooks.h).
void InstallTransportAudioHooks();
