// The output record the audio set-up keeps, and the default output new tracks take.
#pragma once

#include <cstdint>

// The audio set-up's output record (device kind, port, channel pair, output byte).
extern uint8_t gAudioSetupOutput[4];
// The default output of new tracks: kind, port, channel.
extern uint8_t gNewTrackDefaultOutput[3];
