#include "editors/track_meters.h"

#include <algorithm>

#include "editors/track_window_drawing.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/track_levels.h"
#include "sequencer/clock/transport_clock.h"
#include "shell/base/app_state.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/model/window_redraw.h"

MeterGeometry gMeterGeometry;
uint8_t gMeterStates[kMeterStateCount * kMeterStateSize] = {};
RGBColor gMeterZoneColors[3] = {{0x1999, 0xD709, 0x051E}, {0xE665, 0xE146, 0x2147}, {0xE665, 0x051E, 0x028F}};
RGBColor gMeterEraseColor = {0x55F0, 0x5208, 0x5208};

namespace {

constexpr int32_t kSegmentShade = 7000;

MeterStateView StateOf(int32_t track, int32_t channel) {
  return MeterStateView(gMeterStates + (2 * track + channel) * kMeterStateSize);
}

bool IsTrackRow(int32_t track) { return track >= 0 && 2 * track + 1 < kMeterStateCount; }

uint16_t Shaded(uint16_t component, int32_t delta) {
  return uint16_t(std::clamp<int32_t>(component + delta, 0, 65535));
}

// Each component moved by delta, kept within 0..65535.
RGBColor AdjustRGBComponents(const RGBColor& c, int32_t delta) {
  return RGBColor{Shaded(c.red, delta), Shaded(c.green, delta), Shaded(c.blue, delta)};
}

void EraseMeterSegment(const Rect& row, int16_t n) {
  Rect r;
  GetMeterSegmentRect(row, n, &r);
  if (r.right <= r.left || r.bottom <= r.top) return;
  if (IsColourScreen()) {
    RGBForeColor(&gMeterEraseColor);
    PaintRect(&r);
  } else {
    PenMode(patBic);
    PaintRect(&r);
  }
  PenNormal();
}

// The zone index of segment n: 0 green, 1 yellow, 2 red.
int32_t ZoneOf(int16_t n) {
  int16_t from0 = int16_t(n - 1);
  if (from0 < gMeterGeometry.greenLimit) return 0;
  return from0 < gMeterGeometry.redStart ? 1 : 2;
}

// The first row shown and the list's rectangle (window coordinates) of the track window.
bool LoadTrackListRect(Rect* list, int32_t* first) {
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  if (!GetAppWindowRef(w)) return false;
  LoadAppWindowContentRect(w);
  *list = gScratchRect;
  list->top = int16_t(list->top + kTrackListTop);
  *first = std::max<int32_t>(GetTrackWindowVScroll(), 0);
  return list->bottom > list->top;
}

// The meter column of the first row shown, in gScratchRect (empty without the window).
void LoadMeterColumnRect() {
  Rect list{};
  int32_t first = 0;
  if (!LoadTrackListRect(&list, &first)) list = Rect{0, 0, 0, 0};
  int16_t left = int16_t(list.left + gTrackColumnWidth + kTrackMeterGap);
  SetRectFields(&gScratchRect, left, list.top, int16_t(left + kTrackMeterWidth),
                int16_t(list.top + std::max<int16_t>(gTrackRowHeight, 1)));
}

void DrawBarTo(const Rect& row, int32_t segments) {
  for (int16_t n = 1; n <= segments; ++n) DrawMeterSegment(row, n);
}

}  // namespace

uint32_t MeterStateView::Deadline() const { return ReadU32BE(p_); }
void MeterStateView::SetDeadline(uint32_t ticks) { WriteU32BE(p_, ticks); }

void InitMeterGeometry() {
  int32_t width = gScratchRect.right - gScratchRect.left;
  int32_t count = std::clamp<int32_t>((width - 2) / 3, 0, kMeterMostSegments);
  gMeterGeometry.segments = int16_t(count);
  gMeterGeometry.greenLimit = int16_t((2 * count + 1) / 3);
  gMeterGeometry.redStart = int16_t(std::max<int32_t>(count - 2, 0));
  gMeterGeometry.bounds = gScratchRect;
  InsetRect(&gMeterGeometry.bounds, 1, 1);
  for (int32_t k = 0; k < kMeterStateCount; ++k) MeterStateView(gMeterStates + k * kMeterStateSize).SetPeak(0);
}

void SetupTrackMeters() {
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  if (GetAppWindowRef(w)) FocusAppWindow(w);
  LoadMeterColumnRect();
  InitMeterGeometry();
}

void SetupTrackMetersIfMoved() {
  LoadMeterColumnRect();
  Rect inner = gScratchRect;
  InsetRect(&inner, 1, 1);
  const Rect& kept = gMeterGeometry.bounds;
  if (gMeterGeometry.segments > 0 && inner.left == kept.left && inner.right == kept.right) return;
  SetupTrackMeters();
}

bool LoadTrackMeterRowRect(int32_t track) {
  Rect list{};
  int32_t first = 0;
  if (!IsTrackRow(track) || !LoadTrackListRect(&list, &first) || track < first) return false;
  int32_t height = std::max<int16_t>(gTrackRowHeight, 1);
  int32_t top = list.top + (track - first) * height;
  if (top >= list.bottom) return false;
  int16_t left = int16_t(list.left + gTrackColumnWidth + kTrackMeterGap);
  SetRectFields(&gScratchRect, left, int16_t(top), int16_t(left + kTrackMeterWidth),
                int16_t(std::min<int32_t>(top + height, list.bottom)));
  return true;
}

void GetMeterSegmentRect(const Rect& row, int16_t n, Rect* out) {
  if (n <= 0) {
    *out = Rect{row.top, row.left, row.top, row.left};
    return;
  }
  int16_t left = int16_t(row.left + 3 * n - 1);
  *out = Rect{int16_t(row.top + 1), left, int16_t(row.bottom - 1), int16_t(left + 2)};
}

const RGBColor& GetMeterSegmentColor(int16_t n) { return gMeterZoneColors[ZoneOf(n)]; }

void DrawMeterSegment(const Rect& row, int16_t n) {
  Rect r;
  GetMeterSegmentRect(row, n, &r);
  if (r.right <= r.left || r.bottom <= r.top) return;
  if (!IsColourScreen()) {
    PaintRect(&r);
    return;
  }
  const RGBColor& base = GetMeterSegmentColor(n);
  RGBForeColor(&base);
  PaintRect(&r);
  RGBColor light = AdjustRGBComponents(base, kSegmentShade), dark = AdjustRGBComponents(base, -kSegmentShade);
  Rect edge{r.top, r.left, int16_t(std::min<int32_t>(r.top + 2, r.bottom)), r.right};
  RGBForeColor(&light);
  PaintRect(&edge);
  edge = Rect{int16_t(std::max<int32_t>(r.bottom - 2, r.top)), r.left, r.bottom, r.right};
  RGBForeColor(&dark);
  PaintRect(&edge);
  ForeColor(blackColor);
}

void UpdateMeterBar(MeterStateView state, const Rect& row, int32_t level) {
  int32_t count = gMeterGeometry.segments;
  level = std::clamp<int32_t>(level, 0, 127);
  int32_t segments = level == 0 ? 0 : (2 * level * count + 127) / 254;
  state.SetCurrent(uint8_t(segments));
  uint32_t now = TickCount();
  if (segments >= state.Peak()) {
    state.SetPeak(uint8_t(segments));
    state.SetDeadline(now + kMeterPeakHoldTicks);
  } else if (state.Peak() != 0 && int32_t(now - state.Deadline()) >= 0 && state.Peak() >= state.Drawn()) {
    // The held segment and the one below it, where the bar no longer reaches.
    for (int16_t n = state.Peak(); n >= state.Peak() - 1; --n)
      if (n > state.Drawn()) EraseMeterSegment(row, n);
    state.SetPeak(0);
  }
  if (segments > state.Drawn()) {
    for (int16_t n = int16_t(state.Drawn() + 1); n <= segments; ++n) DrawMeterSegment(row, n);
    state.SetDrawn(uint8_t(segments));
  }
  for (int32_t k = 0; k < kMeterFallPerUpdate && segments < state.Drawn(); ++k) {
    int16_t top = state.Drawn();
    if (top != state.Peak()) EraseMeterSegment(row, top);
    state.SetDrawn(uint8_t(top - 1));
  }
  PenNormal();
  ForeColor(blackColor);
}

void SplitMeterRowRect(bool stereo, bool second, Rect* row) {
  if (!stereo) {
    row->bottom = int16_t(std::max<int32_t>(row->bottom - 1, row->top));
    return;
  }
  int16_t middle = int16_t(row->top + (row->bottom - row->top) / 2);
  if (second) row->top = middle;
  else row->bottom = middle;
}

void UpdateTrackMeter(int32_t left, int32_t right, int32_t track, bool stereo) {
  if (!IsTrackRow(track) || gMeterGeometry.segments < 1 || !LoadTrackMeterRowRect(track)) return;
  const Rect row = gScratchRect;
  StateOf(track, 0).SetStereo(stereo ? 1 : 0);
  for (int32_t channel = 0; channel < (stereo ? 2 : 1); ++channel) {
    Rect bar = row;
    SplitMeterRowRect(stereo, channel == 1, &bar);
    UpdateMeterBar(StateOf(track, channel), bar, channel == 0 ? left : right);
  }
}

void DrawTrackMeterRow(int32_t track) {
  if (!IsTrackRow(track) || gMeterGeometry.segments < 1 || !LoadTrackMeterRowRect(track)) return;
  RGBColor back;
  GetBackColor(&back);
  const Rect row = gScratchRect;
  bool stereo = StateOf(track, 0).Stereo() != 0;
  for (int32_t channel = 0; channel < (stereo ? 2 : 1); ++channel) {
    Rect bar = row;
    SplitMeterRowRect(stereo, channel == 1, &bar);
    MeterStateView state = StateOf(track, channel);
    DrawBarTo(bar, state.Current());
    state.SetDrawn(state.Current());
    if (state.Peak() > state.Current()) DrawMeterSegment(bar, state.Peak());
  }
  RGBBackColor(&back);
  ForeColor(blackColor);
}

void RedrawTrackMeterRow(int32_t track) {
  if (gMeterGeometry.segments < 1) return;
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  if (!GetAppWindowRef(w)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(w);
  DrawTrackMeterRow(track);
  if (saved) SetPort(saved);
}

void UpdateTrackActivityMeter() {
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  if (!IsAppWindowVisible(w) || !gCurrentSong) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(w);
  BeginScreenDrawing();
  SetupTrackMetersIfMoved();
  bool playing = IsClockTaskPlaying() && gTransportClock.playingSong == gCurrentSongHandle;
  uint32_t tick = gTransportClock.songTick.load(std::memory_order_relaxed);
  int32_t count = std::min<int32_t>(GetSongTrackCount(), kMeterStateCount / 2);
  for (int32_t track = 0; track < count; ++track) {
    TrackLevel level = playing ? ReadTrackLevel(track, tick) : TrackLevel();
    UpdateTrackMeter(level.left, level.right, track, level.stereo);
  }
  EndScreenDrawing();
  if (saved) SetPort(saved);
}

bool EditMeterZoneColor(Point local) {
  if (!IsColorDrawingOn()) return false;
  SetupTrackMetersIfMoved();
  if (gMeterGeometry.segments < 1) return false;
  LoadMeterColumnRect();
  const Rect meter = gScratchRect;
  Rect list{};
  int32_t first = 0;
  if (!LoadTrackListRect(&list, &first)) return false;
  if (local.h < meter.left || local.h >= meter.right || local.v < list.top || local.v >= list.bottom) return false;
  int16_t n = int16_t((local.h - meter.left) / 3);
  RGBColor& zone = gMeterZoneColors[ZoneOf(int16_t(std::max<int16_t>(n, 1)))];
  uint8_t rgb8[3];
  RGBColorToRGB8(&zone, rgb8);
  Str255 prompt = {0};
  if (PickColorWithDialog(prompt, rgb8)) RGB8ToRGBColor(rgb8, &zone);
  InvalidateTrackWindow();
  return true;
}
