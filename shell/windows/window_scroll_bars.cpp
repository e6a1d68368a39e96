#include "shell/windows/window_scroll_bars.h"

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/system/gestalt.h"
#include "shell/windows/window_sizing.h"

namespace {

constexpr SInt32 kViewSizeAppearanceVersion = 0x0110;

ControlRef Bar(const AppWindow* w, ControlRef control, bool horizontal) {
  if (control) return control;
  if (!w) return nullptr;
  return horizontal ? w->hScrollBar : w->vScrollBar;
}

bool AppearanceHasViewSize() {
  SInt32 version = 0;
  return Gestalt(gestaltAppearanceVersion, &version) == noErr && version >= kViewSizeAppearanceVersion;
}

}  // namespace

ControlRef NewAppWindowControl(AppWindow* w, int16_t id, bool horizontal, ControlRef* global,
                               ControlActionUPP action) {
  WindowRef window = GetAppWindowRef(w);
  ControlRef control = window ? GetNewControl(id, window) : nullptr;
  if (!control) return nullptr;
  (horizontal ? w->hScrollBar : w->vScrollBar) = control;
  if (global) *global = control;
  SetControlReference(control, reinterpret_cast<SRefCon>(action));
  SetControlAction(control, action);
  return control;
}

ControlActionUPP GetAppWindowControlAction(ControlRef control) {
  return control ? reinterpret_cast<ControlActionUPP>(GetControlReference(control)) : nullptr;
}

void SetWindowScrollValue(const AppWindow* w, ControlRef control, bool horizontal, int16_t value) {
  if (ControlRef bar = Bar(w, control, horizontal)) SetControlValue(bar, value);
}

int16_t GetWindowScrollValue(const AppWindow* w, ControlRef control, bool horizontal) {
  ControlRef bar = Bar(w, control, horizontal);
  return bar ? GetControlValue(bar) : 0;
}

void SetWindowScrollMaximum(const AppWindow* w, ControlRef control, bool horizontal, int16_t value) {
  if (ControlRef bar = Bar(w, control, horizontal)) SetControlMaximum(bar, value);
}

int16_t GetWindowScrollMaximum(const AppWindow* w, ControlRef control, bool horizontal) {
  ControlRef bar = Bar(w, control, horizontal);
  return bar ? GetControlMaximum(bar) : 0;
}

void SetWindowScrollMinimum(const AppWindow* w, ControlRef control, bool horizontal, int16_t value) {
  if (ControlRef bar = Bar(w, control, horizontal)) SetControlMinimum(bar, value);
}

void SetWindowScrollViewSize(const AppWindow* w, ControlRef control, bool horizontal, int32_t amount) {
  ControlRef bar = Bar(w, control, horizontal);
  if (bar && AppearanceHasViewSize()) SetControlViewSize(bar, amount + 16);
}

void SetWindowScrollEnabled(const AppWindow* w, ControlRef control, bool horizontal, int32_t flags) {
  ControlRef bar = Bar(w, control, horizontal);
  if (!bar) return;
  if (flags & 1) ActivateControl(bar);
  else DeactivateControl(bar);
}

int16_t GetInstrumentScrollValue() {
  return GetWindowScrollValue(GetWindowForKind(kInstrumentWindowKindId), nullptr, true);
}

void SetInstrumentScrollValue(int16_t value) {
  SetWindowScrollValue(GetWindowForKind(kInstrumentWindowKindId), nullptr, true, value);
}

int16_t GetTrackWindowVScroll() {
  return GetWindowScrollValue(GetWindowForKind(kTrackWindowKind), gTrackVScroll, false);
}

int16_t GetTrackWindowHScroll() {
  return GetWindowScrollValue(GetWindowForKind(kTrackWindowKind), gTrackHScroll, true);
}

void ReclampControlValue(ControlRef control) {
  if (control) SetControlValue(control, GetControlValue(control));
}

void SetListScrollRange(ControlRef control, int32_t count, int16_t visibleRows) {
  if (!control) return;
  SetControlMaximum(control, int16_t(std::min<int32_t>(std::max(0, count - visibleRows), 32767)));
  SetControlViewSize(control, visibleRows);
}

int32_t ScrollRangeScale(int32_t range) {
  constexpr int32_t kLargest = 32767;
  return range > kLargest ? (range + kLargest - 1) / kLargest : 1;
}

int32_t SetEventListScrollRange(ControlRef control, int32_t count, int16_t visibleRows) {
  int32_t range = std::max(0, count - visibleRows);
  int32_t scale = ScrollRangeScale(range);
  if (control) {
    SetControlMaximum(control, int16_t(range / scale));
    SetControlViewSize(control, visibleRows);
  }
  return scale;
}
