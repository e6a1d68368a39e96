#include "shell/windows/window_activation.h"

#include <algorithm>

#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/progress_dialog.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/info_panel.h"
#include "shell/windows/window_menu_hooks.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"

uint16_t gDisplayWord = 0;
WindowMenuHooks gWindowMenuHooks;

namespace {

constexpr OSStatus kNotHandled = -9874;
constexpr int16_t kTitleBarGrip = 40;  // pixels of title bar that stay on a screen
constexpr EventMask kActivateAndUpdate = 0x140;

WindowActivateProc gActivateProcs[kLastWindowKind + 1] = {};

void SetBars(AppWindow* w, bool on) {
  SetWindowScrollEnabled(w, nullptr, false, on);
  SetWindowScrollEnabled(w, nullptr, true, on);
}

// The menus' answers to a new front window; not installed, the menus stay as they are.
void MarkWindowMenuForActivate() {
  if (gWindowMenuHooks.markWindowMenuItems) gWindowMenuHooks.markWindowMenuItems();
}

void UpdateMenusForFront() {
  if (gWindowMenuHooks.updateMenuState) gWindowMenuHooks.updateMenuState();
}

void SetDisplayBit(uint16_t bit, bool on) { gDisplayWord = on ? (gDisplayWord | bit) : (gDisplayWord & ~bit); }

void RunOwnerStep(AppWindow* w, bool active) {
  int16_t kind = GetAppWindowKind(w);
  if (kind >= 0 && kind <= kLastWindowKind && gActivateProcs[kind]) gActivateProcs[kind](w, active);
}

// The program's own steps by kind; false for a kind that is no window of the program's.
bool ActivateSteps(AppWindow* w, int16_t kind, bool active) {
  switch (kind) {
    case kSongListKind:
      SetBars(w, active);
      SetDisplayBit(kDisplaySongListActive, active);
      if (!active) RedrawAppWindow(w);
      return true;
    case kMainEditorWindowKind:
      if (active || !(gDisplayWord & kDisplayKeepEditorActive)) SetBars(w, active);
      RedrawAppWindow(w);
      return true;
    case kTrackWindowKind:
      SetWindowScrollEnabled(w, gTrackVScroll, false, active);
      SetWindowScrollEnabled(w, gTrackHScroll, true, active);
      return true;
    case kInstrumentWindowKindId: SetWindowScrollEnabled(w, nullptr, true, active); RedrawAppWindow(w); return true;
    case kMarkerListKind:
      SetDisplayBit(kDisplayMarkerListActive, active);
      RedrawAppWindow(w);
      SetBars(w, active);
      return true;
    case kMixerKind: SetDisplayBit(kDisplayMixerActive, active); RedrawAppWindow(w); return true;
    case kInfoPanelWindowKind:
      if (active) ActivateInfoPanel();
      return true;
    case kEventListKind:
    case kConductorListKind:
    case kRemoteControlKind:
    case kNotepadKind:
    case kMovieWindowKind:
    case kPluginChooserKind:
    case 15:
    case 16:
    case kProgressDialogActivateKind:
    case kRhythmToolKind:
    case kJukeboxKind: return true;
    default: return false;  // plug-in editor windows: their host's
  }
}

OSStatus ActivateOrDeactivate(EventRecord* event, WindowRef window, bool active) {
  if (gAppState[4] & kAppWord4PopUpUp) return kNotHandled;
  EventRecord made{};
  if (!event) {
    made.what = activateEvt;
    made.message = EventMessageForWindow(window);
    made.modifiers = active ? EventModifiers(activeFlag) : EventModifiers(0);
    event = &made;
  }
  GrafPtr saved = nullptr;
  GetPort(&saved);
  if (window) SetPortWindowPort(window);
  int16_t kind = GetWindowKindForActivate(window);
  AppWindow* w = FindAppWindow(window);
  if (active) MarkWindowMenuForActivate();
  bool handled = ActivateSteps(w, kind, active);
  if (handled) RunOwnerStep(w, active);
  if (saved) SetPort(saved);
  return handled ? noErr : kNotHandled;
}

}  // namespace

void SetWindowActivateProc(int16_t kind, WindowActivateProc proc) {
  if (kind >= 0 && kind <= kLastWindowKind) gActivateProcs[kind] = proc;
}

int16_t GetWindowKindForActivate(WindowRef window) {
  if (!window) return 0;
  if (IsProgressDialogWindow(window)) return kProgressDialogActivateKind;
  return GetAppWindowKind(FindAppWindow(window));
}

OSStatus ActivateWindowByKind(EventRecord* event, WindowRef window, bool) {
  return ActivateOrDeactivate(event, window, true);
}

OSStatus DeactivateWindowByKind(EventRecord* event, WindowRef window) {
  return ActivateOrDeactivate(event, window, false);
}

void KeepWindowOnBestScreen(WindowRef window) {
  Rect frame{}, content{};
  if (!window || GetWindowBounds(window, kWindowStructureRgn, &frame) != noErr) return;
  GetWindowBounds(window, kWindowContentRgn, &content);
  Rect screen;
  FindBestScreenForRect(&frame, &screen);
  int32_t dh = 0, dv = 0;
  if (frame.top < screen.top) dv = screen.top - frame.top;
  else if (frame.top > screen.bottom - kTitleBarGrip) dv = screen.bottom - kTitleBarGrip - frame.top;
  if (frame.right < screen.left + kTitleBarGrip) dh = screen.left + kTitleBarGrip - frame.right;
  else if (frame.left > screen.right - kTitleBarGrip) dh = screen.right - kTitleBarGrip - frame.left;
  if (dh != 0 || dv != 0) MoveWindow(window, int16_t(content.left + dh), int16_t(content.top + dv), false);
}

void DragAppWindow(const EventRecord* event, WindowRef window) {
  if (!window) return;
  if (window != FrontWindow() && !(event->modifiers & cmdKey)) SelectWindow(window);
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  int16_t frontKind = GetAppWindowKind(GetFrontAppWindow());
  Rect limits;
  GetWindowPositioningBounds(&limits);
  DragWindow(window, event->where, &limits);
  KeepWindowOnBestScreen(window);
  if (GetAppWindowKind(GetFrontAppWindow()) != frontKind) UpdateMenusForFront();
  PollEvents(kActivateAndUpdate);
  if (saved) SetPort(saved);
}
