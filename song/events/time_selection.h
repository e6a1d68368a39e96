// The time selection in ticks and samples.
#pragma once

#include <cstdint>

struct TimePosition {
  uint32_t tick = 0;    // from 1
  uint64_t sample = 0;  // sample position
  float rate = 0;       // sample rate
};

struct TimeSelection {
  TimePosition start;
  TimePosition end;
};

extern TimeSelection gTimeSelection;
// Bit n (0..3): locator pair n equals the committed range.
extern uint8_t gLocatorMatchMask;

constexpr float kDefaultSampleRate = 44100.0f;

// Returns the last conversion's high word.
int32_t SetTimeRange(uint32_t startTick, uint32_t endTick);
void SetTimeRangeAt(uint32_t t);
void SetTimeRangeFromSamples(uint64_t startSample, uint64_t endSample, float rate);
void SetTimeSelectionRange(const TimePosition& start, const TimePosition& end);
void CommitTimeSelection();
void SelectWholeSong(int32_t flag);
// Stores selection in the header of song (a song block): its ticks, or its samples when the
// song counts time in samples.
void StoreTimeSelectionInSong(uint8_t* song, const TimeSelection& selection);
// truncate(selection start + (tick - selection start) x factor), limited to the i32 range.
int32_t ScaleTickFromSelectionStart(int32_t tick, double factor);
