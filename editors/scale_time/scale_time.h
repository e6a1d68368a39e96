// Scale time: the time selection of the selected tracks stretched or compressed by a ratio,
// every event moving proportionally from the selection's start, lengths scaling with it, and
// on request the tempo map of the range following. Interim: FitSelectionToTime (the tempo
// dialog's request) only records its request, and the resolution change scales the current
// track on its own.
#pragma once

#include <cstdint>

// Stretches the time selection so that it lasts newTime subframes instead of currentTime.
// Interim: the two times are kept in gLastTimeFit and nothing is stretched.
struct TimeFitRequest {
  uint32_t currentTime = 0;
  uint32_t newTime = 0;
  uint32_t count = 0;
};
extern TimeFitRequest gLastTimeFit;
void FitSelectionToTime(uint32_t currentTime, uint32_t newTime);

// Interim for the editors' scale time over the whole song (edit context 3), as the
// resolution change uses it (RescaleCurrentTrackEventTimes of the song's editor hooks):
// every event time of the current track goes from oldResolution to newResolution
// (tick' = round((tick - 1) x new / old) + 1), note lengths and long-event lengths scale with
// it (at least 1), and so does the track's length. A damaged record ends the walk.
void ScaleCurrentTrackToResolution(int32_t oldResolution, int32_t newResolution);

// The remembered settings of scale time: the ratio and the flags word (bit 0 clear: numerator
// and denominator change places; bit 3: the material after the selection moves).
constexpr uint16_t kScaleKeepsRatioOrder = 0x01;
constexpr uint16_t kScaleMovesLaterMaterial = 0x08;
struct ScaleTimeSettings {
  int32_t numerator = 1;
  int32_t denominator = 2;
  uint16_t flags = 0x16;
};
extern ScaleTimeSettings gScaleTimeSettings;
// Mode bits: any bit set also scales the tempo map; bit 1 then recomputes every track's end
// (else the markers of the range are re-timed).
constexpr int16_t kScaleTempoMap = 0x01;
constexpr int16_t kScaleRetimesTracks = 0x02;

// The ratio of one per-track step: a time t of [start, end) becomes start + (t - start) x
// numerator / denominator, truncated.
struct ScaleTrackStep {
  uint32_t start;
  uint32_t end;
  int64_t numerator;
  int64_t denominator;
};
// The events of the current track inside the range that the edit filter takes: times scaled,
// note lengths (not 0) held in 1..65535, sequence-block lengths in 1..0xFFFFFF; the list
// re-sorted; the track's end scaled when it lies in the range, else recomputed.
void ScaleTrackTime(const ScaleTrackStep& step);
// Scales the time selection of the selected tracks by numerator / denominator (swapped unless
// flags bit 0); nothing when either is 0 or below. The selection's end follows; with a
// non-zero mode the tempo changes of the range move with the events. Runs inside the
// caller's undoable step.
void ScaleTimeSelection(int16_t mode, int32_t numerator, int32_t denominator, uint16_t flags);
