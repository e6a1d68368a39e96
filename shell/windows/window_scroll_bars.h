// The scroll bars a window record owns. Each call takes the record, a ControlRef that wins
// when non-null, and which bar: horizontal true, vertical false.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"
#include "shell/windows/app_windows.h"

// Makes a control from 'CNTL' id in the record's window and keeps it in the record's bar
// (horizontal or vertical) and in *global when given; the action procedure becomes its
// reference and its own action, which a click on the control is tracked with. Null, nothing
// stored, when the window or the resource is missing.
ControlRef NewAppWindowControl(AppWindow* w, int16_t id, bool horizontal, ControlRef* global,
                               ControlActionUPP action);
// The action procedure kept as the control's reference; null for none.
ControlActionUPP GetAppWindowControlAction(ControlRef control);

void SetWindowScrollValue(const AppWindow* w, ControlRef control, bool horizontal, int16_t value);
int16_t GetWindowScrollValue(const AppWindow* w, ControlRef control, bool horizontal);
void SetWindowScrollMaximum(const AppWindow* w, ControlRef control, bool horizontal, int16_t value);
int16_t GetWindowScrollMaximum(const AppWindow* w, ControlRef control, bool horizontal);
void SetWindowScrollMinimum(const AppWindow* w, ControlRef control, bool horizontal, int16_t value);
// View size amount + 16, only with an Appearance Manager of version 0x0110 or later.
void SetWindowScrollViewSize(const AppWindow* w, ControlRef control, bool horizontal, int32_t amount);
// Activates on bit 0 of flags, else deactivates.
void SetWindowScrollEnabled(const AppWindow* w, ControlRef control, bool horizontal, int32_t flags);

int16_t GetInstrumentScrollValue();
void SetInstrumentScrollValue(int16_t value);
int16_t GetTrackWindowVScroll();
int16_t GetTrackWindowHScroll();
// Sets the value again so that it is clamped to a changed range.
void ReclampControlValue(ControlRef control);

// The list windows' vertical range: maximum = max(0, count - visible rows), view size =
// visible rows.
void SetListScrollRange(ControlRef control, int32_t count, int16_t visibleRows);
// A range beyond 32767 is kept by steps of scale = ceil(range / 32767) rows; 1 otherwise.
int32_t ScrollRangeScale(int32_t range);
// The event list's range by scaled steps; returns the scale. The row a value stands for is
// value x scale.
int32_t SetEventListScrollRange(ControlRef control, int32_t count, int16_t visibleRows);
