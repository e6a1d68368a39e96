#include "shell/app/window_scroll_actions.h"

#include <algorithm>

#include "platform/quickdraw/ports.h"
#include "shell/app/app_events.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"

namespace {

constexpr int16_t kTrackButtonTextSize = 9;

struct BarResource {
  AppWindow* record;
  int16_t id;
  bool horizontal;
  ControlRef* global;
};

void UpdateSongListScrollers(AppWindow* w) {
  WindowRef window = GetAppWindowRef(w);
  if (!window || !w->vScrollBar) return;
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  int32_t rows = (bounds.bottom - bounds.top - kSongListHeaderHeight) / std::max<int16_t>(gSongListRowHeight, 1);
  SetListScrollRange(w->vScrollBar, CountSongListSlots(), int16_t(std::max<int32_t>(rows, 1)));
}

int32_t StepFor(ControlRef control, ControlPartCode part) {
  int32_t page = std::max<int32_t>(GetControlViewSize(control) - 1, 1);
  switch (part) {
    case kControlUpButtonPart: return -1;
    case kControlDownButtonPart: return 1;
    case kControlPageUpPart: return -page;
    case kControlPageDownPart: return page;
    default: return 0;
  }
}

// The track window's four buttons: 'CNTL' 152 (smaller rows, wider overview) and 153 (taller
// rows, narrower overview), each made twice: indices 0 and 1 step the row height, 2 and 3 the
// overview's zoom. The window's layout places them beside its scroll bars.
void CreateTrackViewButtons() {
  WindowRef window = GetAppWindowRef(&gTrackWindowRecord);
  if (!window) return;
  constexpr int16_t kButtonIds[4] = {152, 153, 152, 153};
  ControlFontStyleRec small;
  small.flags = kControlUseSizeMask;
  small.size = kTrackButtonTextSize;  // the sign fits the narrow face
  for (int16_t k = 0; k < 4; ++k) {
    gTrackButtons[k] = GetNewControl(kButtonIds[k], window);
    if (gTrackButtons[k]) SetControlFontStyle(gTrackButtons[k], &small);
  }
}

}  // namespace

void CreateWindowScrollBars() {
  const BarResource kBars[] = {
      {&gTrackWindowRecord, 133, false, &gTrackVScroll}, {&gTrackWindowRecord, 134, true, &gTrackHScroll},
      {&gSongListRecord, 130, false, nullptr},           {&gEventListRecord, 131, false, nullptr},
      {&gMarkerListRecord, 138, false, nullptr}};
  for (const BarResource& bar : kBars) NewAppWindowControl(bar.record, bar.id, bar.horizontal, bar.global, ListScrollAction);
  CreateTrackViewButtons();
  SetWindowScrollerProc(kSongListKind, UpdateSongListScrollers);
  LayoutListWindowBars();
}

void LayoutListWindowBars() {
  for (AppWindow* w : {&gTrackWindowRecord, &gSongListRecord, &gEventListRecord, &gMarkerListRecord}) {
    LayoutScrollBars(w);
    UpdateWindowScrollers(w);
  }
}

void ListScrollAction(ControlRef control, ControlPartCode part) {
  int32_t before = GetControl32BitValue(control);
  int32_t step = StepFor(control, part);
  if (step != 0) SetControl32BitValue(control, before + step);
  if (step != 0 && GetControl32BitValue(control) == before) return;
  WindowRef window = GetControlOwner(control);
  AppWindow* w = FindAppWindow(window);
  if (!w) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  DrawWindowContent(window, w->kind);
  if (saved) SetPort(saved);
}
