#include "editors/timeline/lane_values.h"

#include <algorithm>
#include <cstdlib>

#include "shell/base/arithmetic.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"

namespace {

constexpr int32_t kBendCentre = 8192;

int32_t LaneBase() { return gScratchRect.bottom - kLaneBottomInset; }

}  // namespace

int32_t gLaneController = 0;

int16_t ValueToLaneY(int32_t value, int32_t scale) {
  int32_t b = LaneBase(), t = gScratchRect.top;
  if (scale <= 0) return int16_t(b);
  if (value >= scale) return int16_t(t);
  int64_t scaled = (int64_t(b - t) * value + std::abs(scale / 2)) / scale;
  return int16_t(std::clamp<int64_t>(b - scaled, INT16_MIN, INT16_MAX));
}

int16_t ValueToLaneY16K(int32_t value) { return ValueToLaneY(value, kLaneFullScale); }

int32_t LaneYToValue(int16_t y, int32_t maximum, int32_t minimum) {
  int16_t lane = GetLaneViewIndex();
  if (lane == kPluginParameterLaneIndex) ++maximum;
  int32_t b = LaneBase(), span = b - gScratchRect.top;
  if (span <= 0) return minimum;
  int32_t v = MulDivRound(b - y, maximum - minimum, span);
  v = std::clamp(v, minimum, std::max(minimum, maximum));
  if (lane == kPitchBendLaneIndex && (v >> 7) == (kBendCentre >> 7)) v = kBendCentre;
  return v;
}

int32_t LaneYToValue16K(int16_t y) { return LaneYToValue(y, kLaneFullScale, 0); }
