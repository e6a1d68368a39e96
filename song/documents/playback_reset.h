// Resetting playback after an edit that playback must pick up.
#pragma once

#include <cstdint>

// Stops the audio engine when it runs and stop is set (or its state is 1). Outside section
// mode (and unless the jukebox plays with stop set) the transport's position block is kept
// across the reset; in section mode, or when the jukebox plays and stop is set, playback is
// prepared again. The position block is put back only when it was kept.
void ResetPlaybackState(int32_t stop);
