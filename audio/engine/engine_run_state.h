// The audio engine's channel lists, its state words and its mode record, and the calls that
// stop, suspend and run it.
//
// The channel record itself is the engine's (engine_channels.h). Interim: the two lists and
// the stop and power calls below; the engine's preparation and stop come later.
#pragma once

#include <cstdint>

#include "audio/engine/engine_channels.h"

// The engine's channels, then its aux-bus channels (both walked by ForEachInstrumentPlugin).
extern EngineChannel* gEngineChannels;
extern EngineChannel* gAuxBusChannels;

// Non-zero while audio is rendered offline through the plug-ins.
extern uint32_t gEngineStateWords[2];
// The engine's mode record; byte 3 holds the current audio mode.
extern uint8_t gAudioModeRecord[8];

// Stops every engine channel (mode 1 holds them in place): engine_prepare.h.
void StopAudioEngine(int32_t mode);
// Sets the audio-suspend flag. Interim: only the flag.
void MarkAudioSuspend();
extern uint8_t gAudioSuspended;
// Calls the run procedure of every open output device. Interim: no devices are open yet;
// the last flag is kept so that the power handling can be checked.
void SetOutputDevicesRunning(int32_t flag);
extern int32_t gOutputDevicesRunning;
