// The output record the audio set-up keeps.
#pragma once

#include <cstdint>

// The audio set-up's output record (device kind, port, channel pair, output byte).
extern uint8_t gAudioSetupOutput[4];
