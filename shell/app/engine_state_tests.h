// Two tests of the audio engine's state, called by the audio engine.
#pragma once

#include <cstdint>

struct EngineChannel;

// False while both engine state words are 0; otherwise true exactly when the low six bits of
// the current audio mode (byte 3 of the engine's mode record) are 1, 3, 4 or 6.
bool IsEngineModeInSet();
// Per-channel walk procedure: marks the insert chain of an active, running channel (mark byte
// 1). Always 0, so the walk visits every channel; the context is not used.
int32_t MarkActiveChannelChain(EngineChannel* channel, void* context);
