#include "shell/drawing/row_metrics.h"

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/quickdraw/icons.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "song/events/event_index.h"

int16_t gStandardLineHeight = 12;
int16_t gTrackRowHeight = 16;
int16_t gTrackRowIconId = 131;
int16_t gPaneTopMargin = 73;
int16_t gNoteMetric = 3;
int16_t gOctaveHeight = 38;
int16_t gNoteRowBoundary[12] = {1, 4, 7, 10, 13, 16, 19, 23, 26, 29, 32, 35};
int16_t gNoteRowPosition[132] = {};
int16_t gVerticalZoomIndex = 0;
CIconHandle gKeyboardIcon = nullptr;

namespace {

constexpr uint8_t kZoomNumerators[11] = {1, 5, 6, 7, 2, 9, 10, 11, 3, 7, 4};
constexpr uint8_t kZoomDenominators[11] = {1, 4, 4, 4, 1, 4, 4, 4, 1, 2, 1};
constexpr int16_t kBaseBoundaries[12] = {1, 4, 7, 10, 13, 16, 19, 23, 26, 29, 32, 35};
constexpr int16_t kBaseKeySteps[7] = {2, 2, 0, 2, 2, 2, 0};
constexpr int16_t kSmallRowIcon = 131;
constexpr int16_t kLargeRowIcon = 132;
constexpr int16_t kLargeRowHeight = 31;

int16_t gKeySteps[7] = {2, 2, 0, 2, 2, 2, 0};

// round(value x num / den), halves away from zero.
int16_t Scale(int32_t value, int32_t num, int32_t den) {
  return int16_t((2 * value * num + den) / (2 * den));
}

bool gNoteRowsReady = false;

void LoadKeyboardIcon(int16_t level) {
  CIconHandle icon = level > 0 ? GetCIcon(int16_t(kKeyboardIconBaseId * 10 + level - 1)) : nullptr;
  if (!icon) icon = GetCIcon(kKeyboardIconBaseId);
  if (!icon) return;
  if (gKeyboardIcon) DisposeCIcon(gKeyboardIcon);
  gKeyboardIcon = icon;
}

void EnsureNoteRows() {
  if (!gNoteRowsReady) SetNoteZoom(gVerticalZoomIndex);
}

}  // namespace

int32_t ClampMidiByte(int32_t n) { return std::clamp(n, 0, 127); }

void SetNoteRowPosition(int16_t note) {
  if (note < 0 || note > 131) return;
  int16_t fromTop = int16_t(131 - note);
  gNoteRowPosition[note] = int16_t((fromTop / 12) * gOctaveHeight + gNoteRowBoundary[fromTop % 12]);
}

void SetNoteZoom(int16_t level) {
  if (level < 0 || level > 10) level = 0;
  gVerticalZoomIndex = level;
  int32_t num = kZoomNumerators[level], den = kZoomDenominators[level];
  gNoteMetric = Scale(3, num, den);
  gOctaveHeight = Scale(38, num, den);
  for (int i = 0; i < 12; ++i) gNoteRowBoundary[i] = Scale(kBaseBoundaries[i], num, den);
  for (int i = 0; i < 7; ++i) gKeySteps[i] = kBaseKeySteps[i] ? Scale(2, num, den) : 0;
  for (int16_t n = 0; n < 132; ++n) SetNoteRowPosition(n);
  gNoteRowsReady = true;
  LoadKeyboardIcon(level);
}

int16_t GetPitchAtY(int16_t y) {
  EnsureNoteRows();
  if (gOctaveHeight <= 0 || y < 0) return int16_t(ClampMidiByte(132));
  int32_t octave = y / gOctaveHeight;
  int32_t within = y - octave * gOctaveHeight;
  int32_t step = 0;
  while (step < 12 && gNoteRowBoundary[step] <= within) ++step;
  return int16_t(ClampMidiByte(132 - (octave * 12 + step)));
}

void SetTrackRowHeight(int16_t h) {
  gTrackRowHeight = h;
  if (AppWindow* track = GetWindowForKind(kTrackWindowKind)) {
    if (track->vScrollBar) SetControlMinimum(track->vScrollBar, 0);
    if (track->hScrollBar) SetControlMinimum(track->hScrollBar, 0);
  }
  gTrackRowIconId = h < kLargeRowHeight ? kSmallRowIcon : kLargeRowIcon;
}

void ChangeTrackRowHeight(int16_t h) {
  if (h < kMinTrackRowHeight || h > kMaxTrackRowHeight || h == gTrackRowHeight) return;
  // The rows' event indexes are dropped while the height changes and built again after.
  DisposeAllEventIndexes();
  SetTrackRowHeight(h);
  RebuildEventIndexes();
  LoadTrackWindowBounds();
  InvalAppWindowPort(GetWindowForKind(kTrackWindowKind));
}
