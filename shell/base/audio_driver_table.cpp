#include "shell/base/audio_driver_table.h"

// Interim: the one host driver, without its channel-count procedures.
const AudioDriverRecord gAudioDriverTable[] = {
    {19, "Audio Output"},
};
const int32_t gAudioDriverCount = 1;
