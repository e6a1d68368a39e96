#include "audio/engine/engine_run_state.h"

EngineChannel* gEngineChannels = nullptr;
EngineChannel* gAuxBusChannels = nullptr;
uint32_t gEngineStateWords[2] = {0, 0};
uint8_t gAudioModeRecord[8] = {};
uint8_t gAudioSuspended = 0;
int32_t gOutputDevicesRunning = 1;

// Interim: only the flag.
void MarkAudioSuspend() { gAudioSuspended = 1; }

// Interim: no output devices are open yet.
void SetOutputDevicesRunning(int32_t flag) { gOutputDevicesRunning = flag; }
