// The geometry the waveform drawing shares: the drawing rectangle split into one lane per
// channel, the vertical scale of overview values and samples in a lane, and the horizontal
// scale of ticks at a zoom shift.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"

// The second waveform colour: silent tracks and the repeats of a looping track.
constexpr RGBColor kSecondWaveformColor = {0x6000, 0x6000, 0x7000};
constexpr RGBColor kZeroLineColor = {0xFFFF, 0, 0};
constexpr RGBColor kRegionFrameColor = {0xFFFF, 0, 0};

struct WaveLane {
  int16_t top = 0;
  int16_t height = 0;
  int16_t left = 0;
  int16_t right = 0;
};

// Lane c of channels in r: the height split evenly for more than one channel, stacked from
// the top.
WaveLane ChannelLane(const Rect& r, int32_t channel, int32_t channels);
// y of an overview value (0..255, 128 the zero level).
int16_t OverviewValueToY(const WaveLane& lane, int32_t value);
// y of a float sample (-1..1).
int16_t SampleFloatToY(const WaveLane& lane, float sample);
// y of an integer sample in offset form (0..fullScale, fullScale / 2 the zero level).
int16_t SampleValueToY(const WaveLane& lane, int64_t value, int64_t fullScale);
// The column of a tick at shift 0 or more: ((tick - leftTick) >> shift) + left, held in the
// drawable range.
int16_t TickColumn(int32_t tick, int32_t leftTick, int16_t shift, int16_t left);
