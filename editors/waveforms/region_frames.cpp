#include "editors/waveforms/region_frames.h"

#include <algorithm>
#include <cstring>

#include "audio/regions/region_lists.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/waveforms/waveform_lanes.h"
#include "media/track_audio/track_audio.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "shell/drawing/scratch_rect.h"
#include "song/conductor/sample_position.h"
#include "song/model/audio_region.h"

namespace {

int16_t RegionColumn(int16_t shift, int32_t leftTick, int64_t position, float rate) {
  if (shift < 0) return ClampToQDCoord(uint64_t(std::max<int64_t>(position, 0)));
  int32_t tick = int32_t(SamplePositionToTick(position, rate));
  return TickColumn(tick, leftTick, shift, gScratchRect.left);
}

void CopyRegionName(const uint8_t* region, Str255 name) {
  uint8_t length = std::min<uint8_t>(region[kRegionNameAt], kRegionNameMax);
  name[0] = length;
  std::memcpy(name + 1, region + kRegionNameAt + 1, length);
}

void DrawHandles(const Rect& region, const RGBColor& frame) {
  Rect a, b;
  GetRegionHandleRects(region, &a, &b);
  ForeColor(blackColor);
  PaintRect(&a);
  PaintRect(&b);
  RGBForeColor(&frame);
  FrameRect(&a);
  FrameRect(&b);
}

// The region's ticks touch the span.
bool RegionInSpan(int64_t start, int64_t end, float rate, int32_t leftTick, int32_t rightTick) {
  return int64_t(SamplePositionToTick(start, rate)) <= rightTick && int64_t(SamplePositionToTick(end, rate)) >= leftTick;
}

}  // namespace

void GetRegionRect(int16_t shift, int32_t leftTick, int64_t start, int64_t end, float rate, Rect* out) {
  out->top = gScratchRect.top;
  out->bottom = gScratchRect.bottom;
  out->left = RegionColumn(shift, leftTick, start, rate);
  out->right = int16_t(std::min<int32_t>(RegionColumn(shift, leftTick, end, rate) + 1, kQDCoordLimit));
}

void GetRegionHandleRects(const Rect& region, Rect* topLeft, Rect* bottomRight) {
  *topLeft = Rect{region.top, region.left, int16_t(region.top + kRegionHandleSize), int16_t(region.left + kRegionHandleSize)};
  *bottomRight = Rect{int16_t(region.bottom - kRegionHandleSize), int16_t(region.right - kRegionHandleSize), region.bottom,
                      region.right};
}

void DrawRegionFrame(int16_t mode, ConstStr255Param name, bool handles, const Rect& region) {
  RGBColor frame;
  GetForeColor(&frame);
  if (mode == kRegionFrameLines) {
    frame = RGBColor{0, 0, 0};
    RGBForeColor(&frame);
    if (region.right > region.left && region.bottom > region.top) FrameRect(&region);
  } else if (mode == kRegionFrameNamed) {
    if (name && name[0] > 0) {
      FontInfo info;
      GetFontInfo(&info);
      ForeColor(blackColor);
      MoveTo(int16_t(region.left + 2), int16_t(region.bottom - 1 - info.descent));
      DrawString(name);
    }
    frame = kRegionFrameColor;
    RGBForeColor(&frame);
    FrameRect(&region);
  } else {
    FrameRect(&region);
  }
  if (handles) DrawHandles(region, frame);
}

void DrawRegionFrames(Handle record, int32_t leftTick, int32_t rightTick, int16_t shift, int16_t pass, bool handles) {
  Handle list = ViewTrackAudio(record).Regions();
  float rate = TrackAudioRate(record);
  int16_t mode = pass == 1 ? kRegionFrameLines : pass == 2 ? kRegionFrameNamed : kRegionFramePlain;
  for (int32_t i = 0; i < CountAudioRegions(list); ++i) {
    int64_t start = 0, end = 0;
    RegionSpan(list, i, &start, &end);
    const uint8_t* region = RegionRecord(list, i);
    if (IsSilentRegion(region) || !RegionInSpan(start, end, rate, leftTick, rightTick)) continue;
    Str255 name;
    CopyRegionName(region, name);
    Rect r;
    GetRegionRect(shift, leftTick, start, end, rate, &r);
    if (pass == 0) --r.bottom;
    if (pass == 1) ++r.top;
    DrawRegionFrame(mode, name, handles, r);
  }
}

bool HitRegionHandle(Point point, bool act, int32_t* region) {
  *region = -1;
  Handle record = GetTrackAudio();
  Handle list = ViewTrackAudio(record).Regions();
  float rate = TrackAudioRate(record);
  int32_t rightTick = GetTimelineRightTick();
  for (int32_t i = 0; i < CountAudioRegions(list); ++i) {
    int64_t start = 0, end = 0;
    RegionSpan(list, i, &start, &end);
    if (IsSilentRegion(RegionRecord(list, i)) || !RegionInSpan(start, end, rate, gTimelineLeftTick, rightTick)) continue;
    Rect r, a, b;
    GetRegionRect(gZoomLevel, gTimelineLeftTick, start, end, rate, &r);
    GetRegionHandleRects(r, &a, &b);
    if (!PtInRect(point, &a) && !PtInRect(point, &b)) continue;
    *region = i;
    if (act) break;
  }
  return *region >= 0;
}
