// Summing a block into another channel's output half (a target channel or an aux bus): the
// first writer of a half (its written byte 0) copies, mono to both sides, and sets the byte;
// later writers add; at most the target's own block length is summed. Engine thread only.
#pragma once

#include <cstdint>

struct EngineChannel;

// 16-bit sum: samples are 16-bit integers (or, for a source that is itself an output half,
// taken from it as value x 32768), gains Q15 with 32768 = unity (the unity path copies and
// adds without a multiply). Later writers add with saturation to -32768..32767. Nothing when
// the target is muted or both gains are 0.
void AccumulateInt16(const int16_t* source, EngineChannel* target, uint32_t selector, int32_t frames,
                     int32_t leftGain, int32_t rightGain, int32_t channels);
void AccumulateHalfInt16(const float* half, EngineChannel* target, uint32_t selector, int32_t frames,
                         int32_t leftGain, int32_t rightGain);
// Float sum: each side's factor is gain x scale; the first writer copies, later writers add
// with a multiply-add, without clamping. Nothing when the target is muted or both gains are 0.
void AccumulateFloat(const float* source, EngineChannel* target, uint32_t selector, int32_t frames,
                     int32_t leftGain, int32_t rightGain, int32_t channels, float scale);
