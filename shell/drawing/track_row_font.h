// The row font of the track window and the heights that follow from it, and the bar header
// icon that matches the track rows' height.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int16_t kMinRowLineHeight = 5;
constexpr int16_t kMaxRowLineHeight = 23;

// Heights derived from the row font.
extern int16_t gMarkerListHeaderHeight;
extern int16_t gRemoteHeaderHeight;
extern int16_t gEventListHeaderHeight;
// The main editor's tool bar (its 40 pixels and frame) above the marker strip and ruler; the
// pane top margin is this plus two lines and 7 (73 with the initial 12-pixel line).
extern int16_t gPaneRulerHeight;

// Steps the default font size one point at a time until the font's line height lies in
// 5..23, brings the track window's scroll ranges up to date, then sets the standard row
// (line height + extra), the marker list header (2 lines + 13), the remote control header
// (3 lines + 21), the event list header (3 lines + 19) and the pane top margin (ruler + 2
// lines + 7). Returns the line height.
int16_t SetTrackRowFont(int16_t extra);

constexpr ResType kBarHeaderIconType = FourCC("BARH");
constexpr int16_t kSmallBarHeaderIcon = 3115;
constexpr int16_t kLargeBarHeaderIcon = 3118;

// The registered bar header icon: a copy of its 'icns' family (null when the resource is
// missing), the type it is registered under and the variant for the row height.
struct BarHeaderIcon {
  Handle family;
  ResType type;
  int16_t id;
  int16_t variant;
};
extern BarHeaderIcon gBarHeaderIcon;

// Releases the previous icon and registers the one for the row height: variant
// min(rowHeight - 11, 8) (never below 0), 'icns' 3115 for variants below 4, else 3118.
void SetBarHeaderIcon(int16_t rowHeight);
void ReleaseBarHeaderIcon();
