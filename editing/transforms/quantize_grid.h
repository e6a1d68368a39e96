// Quantizing to a note-value grid: one tick toward the nearest grid point (with swing, the
// triplet positions and the next bar line as candidates), and the notes of the time selection
// on the current track, one by one or as chords that move together.
//
// Main thread only; the caller brackets the track edit and sorts the list afterwards.
#pragma once

#include <cstdint>
#include <vector>

#include "editing/transforms/quantize_settings.h"

// MulDivRound (grid, 2 x swing, 100) - grid: 0 at 50 %, half a grid step late at 75 %.
int32_t QuantizeSwingOffset(const QuantizeSettings* s);
// The tick moved toward the nearest grid point of its bar by the timing strength; at least 1.
int32_t QuantizeTick(const QuantizeSettings* s, int32_t tick, int32_t swingOffset);
// target moved by the timing strength from tick (unchanged at 100 %), kept to 1..0x7ffffffe.
int32_t ApplyTimingStrength(const QuantizeSettings* s, int32_t tick, int32_t target);

// The notes (kind 0x90) of the current track inside the time selection that the copy and edit
// filters take, in list order. The list must stay locked while the addresses are used.
void CollectSelectionNotes(std::vector<uint8_t*>* notes);
// The groups of notes that start within gChordWindow ticks of each group's first note, as
// [first, end) index pairs over notes in list order.
void FindChordGroups(const std::vector<uint8_t*>& notes,
                     std::vector<std::pair<size_t, size_t>>* groups);

// Grid quantize of the given notes by the settings: in chord mode each group's average start
// goes to its quantized tick, otherwise starts (flag bit 0) and note ends (bit 1) are
// quantized. Answers the latest note end; *moved is set when a start changed.
uint32_t QuantizeNotesToGrid(const QuantizeSettings* s, const std::vector<uint8_t*>& notes,
                             bool* moved);
