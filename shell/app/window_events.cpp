#include "shell/app/window_events.h"

#include "platform/controls/controls.h"
#include "platform/quickdraw/ports.h"
#include "platform/system/host_time.h"
#include "platform/windows/windows.h"
#include "plugins/plugin_host_commands.h"
#include "shell/app/app_events.h"
#include "shell/base/app_state.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/progress_dialog.h"
#include "shell/settings/about_window.h"
#include "shell/windows/window_activation.h"
#include "shell/windows/window_sizing.h"

namespace {

constexpr UInt16 kPrimaryButton = 1;

// The splash window takes the first click of any window while it is up.
bool CloseSplashForClick() {
  if (!gSplashWindow || !IsWindowVisible(GetAppWindowRef(gSplashWindow))) return false;
  CloseSplashWindow();
  return true;
}

bool IsProgressDialogFront() {
  WindowRef front = GetFrontDocWindow();
  return front && IsProgressDialogWindow(front);
}

void SetClickActivation(EventRef event, UInt32 answer) {
  SetEventParameter(event, kEventParamClickActivation, typeClickActivationResult, sizeof answer, &answer);
}

// 'wind' 7: the info panel, instrument window, plug-in chooser and jukebox handle a click at
// once and stay where they are unless their handler asks to come forward; every other
// window is left to the standard handler (activate, ignore the click).
OSStatus AnswerClickActivation(EventRef event, AppWindow* record, WindowRef window) {
  if (CloseSplashForClick()) {
    SetClickActivation(event, kActivateAndIgnoreClick);
    return noErr;
  }
  if (gDialogBusy != 0 || !record || !IsClickThroughKind(record->kind)) {
    if (IsAppInBackground()) SetClickActivation(event, kActivateAndIgnoreClick);
    return kEventNotHandled;
  }
  if (IsProgressDialogFront()) {
    SetClickActivation(event, kActivateAndIgnoreClick);
    return noErr;
  }
  if (!IsClickThroughEvent(event, record, true)) return kEventNotHandled;
  int32_t result = HandleClickThrough(event, record, window);
  SetClickActivation(event, result == 0 ? kDoNotActivateAndIgnoreClick : kActivateAndIgnoreClick);
  return noErr;
}

// 'wind' 37: a click in the content of the window that is already active.
OSStatus HandleContentRegionClick(EventRef event, AppWindow* record, WindowRef window) {
  if (!record && FindPluginWindowRecord(window) != 0) return kEventNotHandled;  // its own clicks
  if (!record || CloseSplashForClick() || gDialogBusy != 0) return kEventNotHandled;
  if (!IsClickThroughEvent(event, record, false)) return kEventNotHandled;
  HandleClickThrough(event, record, window);
  return record->kind == kPluginChooserKind ? kEventNotHandled : noErr;  // its search field
}

// 'wind' 27: the scroll ranges and bars follow the new size, and the window is redrawn.
void FollowBoundsChange(AppWindow* record, WindowRef window) {
  UpdateWindowScrollers(record);
  int16_t kind = record->kind;
  if (kind == kInstrumentWindowKindId || kind == kJukeboxKind || kind == kPluginChooserKind)
    RelayoutWindowContent(record);
  LayoutScrollBars(record);
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  InvalWindowRect(window, &bounds);
}

OSStatus DrawContent(AppWindow* record, WindowRef window) {
  if ((gAppState[1] & kAppWord1DrawingSuppressed) || !record) return kEventNotHandled;
  DrawWindowContent(window, record->kind);
  DrawControls(window);
  return noErr;
}

OSStatus ClickDragRegion(AppWindow* record, WindowRef window) {
  if (!record || record->kind == kSongListKind) return kEventNotHandled;  // the system drags it
  if (!CloseSplashForClick()) DragAppWindow(&gLastEvent, window);
  return noErr;
}

}  // namespace

bool IsClickThroughKind(int16_t kind) {
  return kind == kInfoPanelWindowKind || kind == kInstrumentWindowKindId || kind == kPluginChooserKind ||
         kind == kJukeboxKind;
}

bool IsClickThroughEvent(EventRef event, AppWindow*, bool) {
  Point where{};
  UInt32 modifiers = 0;
  UInt16 button = kPrimaryButton;
  GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr, &modifiers);
  GetEventParameter(event, kEventParamMouseButton, typeMouseButton, nullptr, sizeof button, nullptr, &button);
  gLastEvent.what = mouseDown;
  gLastEvent.message = 0;
  gLastEvent.when = TickCount();
  gLastEvent.where = where;
  gLastEvent.modifiers = EventModifiers(modifiers);
  return button == kPrimaryButton;
}

int32_t HandleClickThrough(EventRef, AppWindow*, WindowRef window) {
  if (FindDialogForWindow(window)) return HandleDialogEvent(&gLastEvent);
  return HandleMouseDown(0, &gLastEvent, window, inContent);
}

OSStatus HandleWindowClassEvent(EventRef event, WindowRef window) {
  AppWindow* record = FindAppWindow(window);
  if (window) SetPortWindowPort(window);
  switch (GetEventKind(event)) {
    case kEventWindowDrawContent: return DrawContent(record, window);
    case kEventWindowGetClickActivation: return AnswerClickActivation(event, record, window);
    case kEventWindowClickContentRgn: return HandleContentRegionClick(event, record, window);
    case kEventWindowClickDragRgn: return ClickDragRegion(record, window);
    case kEventWindowClickResizeRgn:
      if (!record) return kEventNotHandled;
      HandleGrowClick(&gLastEvent, record);
      return noErr;
    case kEventWindowBoundsChanged:
      if (record) FollowBoundsChange(record, window);
      return kEventNotHandled;
    case kEventWindowClose:
      if (!record) return kEventNotHandled;
      CloseAppWindow(window);
      return noErr;
    case kEventWindowZoom:
      if (!record) return kEventNotHandled;
      ZoomAppWindow(record, record->zoomed == 0 ? inZoomIn : inZoomOut);
      return noErr;
    case kEventWindowActivated:
      if (gAppState[1] & kAppWord1DrawingSuppressed) return kEventNotHandled;
      ActivateWindowByKind(nullptr, window, true);
      return kEventNotHandled;  // the standard handler keeps its own part
    case kEventWindowDeactivated:
      if (gAppState[1] & kAppWord1DrawingSuppressed) return kEventNotHandled;
      DeactivateWindowByKind(nullptr, window);
      return kEventNotHandled;
    default: return kEventNotHandled;
  }
}
