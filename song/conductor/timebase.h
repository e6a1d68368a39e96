// The program-wide resolution (ticks per quarter note), the note lengths derived from it,
// changing it with every open song rescaled, and meters given as numerator and denominator.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kDefaultTicksPerQuarter = 384;
constexpr int32_t kNoteValueCount = 18;
constexpr int32_t kMeterTableCount = 9;
constexpr int32_t kMaxBeatsPerBar = 64;
constexpr int32_t kMaxDenominatorShift = 6;

extern int32_t gTicksPerQuarter;
// The resolution in force before the last change; rescaling multiplies by new / old.
extern int32_t gResolutionBeforeChange;
// Lengths derived by ApplyTimebase (signed divisions, truncated).
extern int32_t gWholeNoteTicks;
extern int32_t gEighthNoteTicks;
extern int32_t gSixteenthNoteTicks;
extern int32_t gTripletEighthTicks;
extern int32_t gMidiClockTicks;
// Whole, dotted half, whole triplet, half ... sixty-fourth: base x whole note / 960.
extern int32_t gNoteValueTicks[kNoteValueCount];
extern const int16_t kNoteValueBase[kNoteValueCount];
// The meter pop-up's entries: numerator in the high nibble, denominator in the low.
extern const uint8_t gMeterTable[kMeterTableCount];

// Derives the lengths, then EnsureMeterDefaults, the tempo tables and the note values.
void ApplyTimebase();
// With ticks per beat 0 in the conductor state: the meter defaults for the resolution (and
// gTempoTableResolution); then a tempo outside 120..4500 becomes 1100.
void EnsureMeterDefaults();

// Changes the program's resolution to newResolution (nothing when it is already in force):
// every open song and child sequence (with its locate positions) is rescaled, the edit views
// refreshed, then the markers, the time selection and the transport's play range follow, and
// the selection is stored in the song.
void ChangeResolutionTo(int32_t newResolution);
// ChangeResolutionTo the document's resolution.
void ChangeResolution();
// For a document whose header carries another resolution than gTicksPerQuarter: takes it as
// the old one, rescales all songs to gTicksPerQuarter and stores that in the header.
void AdaptSongFileResolution(bool* changed);
// Iterator callback: rescales the current song from its stored resolution to
// gTicksPerQuarter (not for linked child sequences).
int32_t RescaleSongResolution(void* arg);

// MulDivRound (v, gTicksPerQuarter, gResolutionBeforeChange).
int32_t RescaleTicks(int32_t v);
void RescaleTicksInPlace(uint16_t* v);
// tick = RescaleTicks (tick - 1) + 1, at least 1.
void RescaleTick1Based(int32_t* tick);
// 8 for 48 ticks per quarter, 7 for 24, 9 for 96, 12 for any other.
int16_t ResolutionCode();

// The number of halvings until 0, minus 1; a value of 0 or less counts as 1.
int32_t Log2Floor(int32_t v);
// Beats per bar = numerator (1..64), d = log2 of the denominator (0..6), each limit beeping;
// ticks per beat = whole note >> d; all into gConductorState. Returns d.
int32_t SetTimeSignature(int32_t numerator, int32_t denominator);
// The conductor range's end is at or behind the song's end tick.
bool IsRangeEndAtSongEnd();
// After a meter change: the song is marked modified, its conductor end tick and song end
// updated, every view redrawn with the track window, the tool windows refreshed and the
// per-track meter procedure run over the tracks.
void ApplyMeterChange(int32_t endTick);
// The meter pop-up's choice (0..8), as one undo step: over the time selection, meter changes
// deleted, the entry's meter stored at the selection start and snapped to bars; then
// ApplyMeterChange (selection end).
void ApplyMeterTableEntry(int32_t entry);
// The meter table's entry of a meter (-1 when it has none).
int32_t FindMeterTableEntry(int32_t beatsPerBar, int32_t ticksPerBeat);
