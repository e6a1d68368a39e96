// The track window's four small buttons at the ends of its scroll bars: 0 and 1 the row
// height (lower, higher), 2 and 3 the overview's zoom (in, out).
#pragma once

#include <cstdint>

#include "platform/controls/control_types.h"

constexpr int16_t kTrackRowHeightStep = 8;
constexpr int16_t kMinOverviewZoomShift = 1;
constexpr int16_t kMaxOverviewZoomShift = 10;

// Odd indexes step up, even ones down: the row height by 8 (by 1 with Option held) within
// 11..150, the zoom shift by one within 1..10 (a step outside changes nothing). The song is
// marked modified in every case.
void StepTrackViewButton(int16_t index, ControlPartCode part);
