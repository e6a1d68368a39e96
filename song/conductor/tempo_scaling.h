// The tempos a song and the clock can play, in tenths of a beat per minute, and scaling a
// tempo by a tempo factor.
#pragma once

#include <cstdint>

constexpr int32_t kMinTempo = 120;
constexpr int32_t kMaxTempo = 4500;
constexpr uint16_t kDefaultTempo = 1100;
constexpr uint16_t kUnityTempoFactor = 2048;

// (tempo x factor + 1024) >> 11, clamped to 120..4500; factor 0 takes the clock's
// (GetClockTempoFactor). The product is formed in 64 bits and clamped before it is narrowed,
// so a large factor gives the fastest tempo rather than a wrapped value.
int16_t ScaleTempoValue(int32_t tempo, int32_t factor);
