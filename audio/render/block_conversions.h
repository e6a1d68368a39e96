// Conversions of stream blocks in place, between the file's order and format and the engine's.
#pragma once

#include <cstdint>

// Reverses the order of the frames of a block in place, each frame's samples kept together and
// in order; samples above 16 bits are taken as 32-bit words.
void ReverseFrames(void* buffer, int32_t frames, int32_t channels, int16_t bits);
