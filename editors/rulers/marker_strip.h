// The marker strip above the ruler: the song's markers at their ticks, and the mouse test
// against their labels.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int16_t kMarkerStripColour = 14;
constexpr int16_t kMarkerStripFillColour = 19;
constexpr int16_t kMarkerTextColour = 23;
constexpr int16_t kMarkerLabelPadding = 8;

// filter -1: every marker; 0: the markers not selected, then the selected ones in bold.
void DrawMarkerStrip(int16_t filter);
// The markers from the left tick to the right tick; a filter of 0 or more draws only the markers
// whose selected state matches it (0 not selected, else selected).
void DrawMarkers(int16_t filter);
// 1 when mouse lies on a visible marker's label: its index and label rectangle are returned.
int16_t HitTestMarkers(Point mouse, int32_t* index, Rect* label);
