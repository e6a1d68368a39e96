// Computing a waveform overview from a track's audio regions: for every song tick from a
// start to an end tick, the lowest and highest sample of each channel during that tick,
// quantised to 8 bits (128 the zero level), one block per channel (overview_blocks.h).
// The audio is read once, 64 KB at a time, and all channels are filled from each read.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Answers of ComputeOverviewChain besides the file layer's read errors and -108.
constexpr OSErr kOverviewUnreadableFormat = -2;  // the sample encoding cannot be shown
constexpr OSErr kOverviewJobGaveUp = -1;            // a background job gave up at a yield
constexpr OSErr kOverviewNoFrameSize = -909;     // a region with 0 bytes per frame
constexpr OSErr kOverviewNoRegions = -208;       // the record has no region list

// What the computation reads: the region list (256-byte audio regions, each naming an entry
// of the song's referenced-file table), the audio's format and the song whose tempo map
// times the ticks. A background computation yields through yield after a block really read
// from disk, at most every 100 ms; yield answers false to give up and may replace the
// region list and the song (they are looked up again after every yield).
struct OverviewSource {
  Handle regions;
  OSType encoding = 0;
  int16_t bits = 16;
  int16_t channels = 1;
  float rate = 44100.0f;
  Handle song;
  bool (*yield)(OverviewSource* source) = nullptr;
  void* owner = nullptr;
};

// The audio's length in frames (the sum of its regions' lengths).
int64_t OverviewAudioFrames(Handle regions);
// The tick after the audio's last sample: the end of a whole-track overview.
int32_t OverviewAudioEndTick(const OverviewSource& source);
// The end tick a computation uses for a requested end (0 or beyond the audio: the audio's
// end; at least 1).
int32_t ResolveOverviewEndTick(const OverviewSource& source, int32_t endTick);

// Computes the blocks from startTick (at least 1) to endTick (see ResolveOverviewEndTick):
// 0 and the chain, or an answer above. Nothing stays allocated on failure.
OSErr ComputeOverviewChain(OverviewSource* source, int32_t startTick, int32_t endTick, Handle* chain);
