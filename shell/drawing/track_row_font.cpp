#include "shell/drawing/track_row_font.h"

#include <algorithm>

#include "platform/memory/memory.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_sizing.h"

int16_t gMarkerListHeaderHeight = 37;
int16_t gRemoteHeaderHeight = 57;
int16_t gEventListHeaderHeight = 55;
int16_t gPaneRulerHeight = 42;
BarHeaderIcon gBarHeaderIcon = {Handle(), kBarHeaderIconType, 0, 0};

namespace {

constexpr int16_t kMinFontSize = 1;
constexpr int16_t kMaxFontSize = 127;
constexpr int16_t kMaxVariant = 8;
constexpr int16_t kLargeIconVariant = 4;

int16_t LineHeightAt(int16_t size) {
  FontInfo info{};
  GetFontInfoFor(gDefaultFontId, size, 0, &info);
  return int16_t(info.ascent + info.descent + info.leading);
}

// One point at a time towards 5..23; a size at the end of the range stops the walk.
int16_t FitDefaultFontSize() {
  int16_t size = std::clamp(gDefaultFontSize, kMinFontSize, kMaxFontSize);
  int16_t line = LineHeightAt(size);
  while (line < kMinRowLineHeight && size < kMaxFontSize) line = LineHeightAt(++size);
  while (line > kMaxRowLineHeight && size > kMinFontSize) line = LineHeightAt(--size);
  gDefaultFontSize = size;
  UpdateDefaultFontInfo();
  return line;
}

}  // namespace

int16_t SetTrackRowFont(int16_t extra) {
  int16_t line = FitDefaultFontSize();
  if (AppWindow* track = GetWindowForKind(kTrackWindowKind); GetAppWindowRef(track)) UpdateWindowScrollers(track);
  gStandardLineHeight = int16_t(line + extra);
  gMarkerListHeaderHeight = int16_t(2 * line + 13);
  gRemoteHeaderHeight = int16_t(3 * line + 21);
  gEventListHeaderHeight = int16_t(3 * line + 19);
  gPaneTopMargin = int16_t(gPaneRulerHeight + 2 * line + 7);
  return line;
}

void ReleaseBarHeaderIcon() {
  if (gBarHeaderIcon.family) DisposeHandle(gBarHeaderIcon.family);
  gBarHeaderIcon = {Handle(), kBarHeaderIconType, 0, 0};
}

void SetBarHeaderIcon(int16_t rowHeight) {
  ReleaseBarHeaderIcon();
  int16_t variant = int16_t(std::clamp<int32_t>(rowHeight - kMinTrackRowHeight, 0, kMaxVariant));
  int16_t id = variant < kLargeIconVariant ? kSmallBarHeaderIcon : kLargeBarHeaderIcon;
  gBarHeaderIcon.id = id;
  gBarHeaderIcon.variant = variant;
  Handle res = GetResource(FourCC("icns"), id);
  if (!res) return;
  Handle copy = res;
  if (HandToHand(&copy) == noErr) gBarHeaderIcon.family = copy;
  ReleaseResource(res);
}
