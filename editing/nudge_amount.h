// The nudge amount: how far a nudge moves the selected material, and how much the
// command-arrow keys lengthen or shorten the selected notes.
#pragma once

#include <cstdint>

// Bits 0-30: an amount in ticks; bit 31: one screen pixel of the current zoom instead.
constexpr uint32_t kNudgeOnePixel = 0x80000000u;
constexpr uint32_t kDefaultNudgeWord = 0x80000001u;
extern uint32_t gNudgeWord;

// The amount in ticks: the stored ticks, or with the pixel bit 1 << zoom level ticks (1 at
// the audio levels below 0, 0 at level 31 or more, where a pixel no longer fits a count).
int32_t GetNudgeAmount();
