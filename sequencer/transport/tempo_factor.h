// The tempo factor: the multiplier (2048 = 100 %) the transport applies to every tempo of the
// conductor map, kept in the current song's header and in the transport clock. The info
// panel's tempo display sets it; the map itself never changes through it. Main thread.
#pragma once

#include <cstdint>

// The factor's bounds: a u16 that is never 0 (0 would stand for "the transport's factor").
constexpr int32_t kMinTempoFactor = 1;
constexpr int32_t kMaxTempoFactor = 0xFFFF;

// Stores the factor in the current song (when there is one) and in the transport.
void SetTempoFactor(uint16_t factor);
// Stores tempo as the conductor state's tempo and returns the factor that makes the transport's
// base tempo show as tempo: (tempo x 2048 + base / 2) / base, kept to 1..65535 (a tempo beyond
// 32 times the base gives 65535). A base of 0 gives 100 %.
uint16_t FactorForTempo(int32_t tempo);
// Adds step to the factor, storing it each time, until the scaled tempo is at least target
// (step > 0) or at most target (step < 0); stops at the factor's bounds when the target lies
// beyond what the base tempo can reach. Returns the factor.
uint16_t StepTempoFactorTo(int32_t target, int32_t step);
// True while the transport's tempo comes from an external sync source (sources 2..7), when the
// tempo display takes no changes.
bool IsFollowingExternalTempo();
// Hands the tempo, at the song position, to the outputs that follow the program's tempo, when
// both bits 0x8040 of the MIDI input flags are set.
void SendTempoToOutputs(int32_t tempo);
