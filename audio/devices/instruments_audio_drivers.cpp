#include "audio/devices/instruments_audio_drivers.h"

// Interim: the one host driver, without its channel-count procedures.
const AudioDriverRecord gAudioDriverTable[] = {
    {19, DriverProcId(kAudioDriverProcBase + 19), "Audio Output"},
};
const int32_t gAudioDriverCount = 1;
