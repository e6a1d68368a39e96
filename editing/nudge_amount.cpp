#include "editing/nudge_amount.h"

#include "editors/timeline/timeline_axis.h"

uint32_t gNudgeWord = kDefaultNudgeWord;

int32_t GetNudgeAmount() {
  if (!(gNudgeWord & kNudgeOnePixel)) return int32_t(gNudgeWord & ~kNudgeOnePixel);
  if (gZoomLevel < 0) return 1;
  if (gZoomLevel >= 31) return 0;
  return int32_t(1) << gZoomLevel;
}
