#include "shell/windows/window_activation.h"

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/progress_dialog.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/screen_bounds.h"
#include "plugins/plugin_host_commands.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/info_panel.h"
#include "shell/windows/window_menu_hooks.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "song/conductor/markers.h"

uint16_t gDisplayWord = 0;
WindowMenuHooks gWindowMenuHooks;
void (*gFrontWindowActivatedProc)() = nullptr;

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

// The dialog activation step of the windows that hold a dialog: their controls together.
void SetDialogWindowActive(WindowRef window, bool active) {
  ControlRef root = nullptr;
  if (!window || GetRootControl(window, &root) != noErr || !root) return;
  if (active) ActivateControl(root);
  else DeactivateControl(root);
}

void SetMainEditorActive(AppWindow* w, bool active) {
  if (active) {
    SetEditorPaneScrollBarsActive(true);
    SetWindowScrollEnabled(w, nullptr, true, 1);
  } else if (!(gDisplayWord & kDisplayKeepEditorActive)) {
    DeactivateEditorScrollBars();
  }
  RedrawAppWindow(w);
}

void SetMarkerListActive(AppWindow* w, bool active) {
  if (active) {
    ClearMarkerSelection();
    SetBars(w, true);
    SetDisplayBit(kDisplayMarkerListActive, true);
    RedrawAppWindow(w);
    return;
  }
  SetDisplayBit(kDisplayMarkerListActive, false);
  RedrawAppWindow(w);
  SetBars(w, false);
}

// A plug-in editor window: its view is activated (only when asked to take the focus) or
// deactivated; not handled for any other window, or when the view refuses.
bool SetPluginEditorActive(WindowRef window, bool active, bool focusPlugin) {
  uint32_t record = FindPluginWindowRecord(window);
  if (record == 0) return false;
  if (active && !focusPlugin) return true;
  return SetPluginWindowViewActive(record, active);
}

// The program's own steps by kind; false for a kind that is no window of the program's.
bool ActivateSteps(AppWindow* w, WindowRef window, int16_t kind, bool active, bool focusPlugin) {
  switch (kind) {
    case kSongListKind:
      SetBars(w, active);
      SetDisplayBit(kDisplaySongListActive, active);
      if (!active) RedrawAppWindow(w);
      return true;
    case kMainEditorWindowKind: SetMainEditorActive(w, active); return true;
    case kTrackWindowKind:
      SetWindowScrollEnabled(w, gTrackVScroll, false, active);
      SetWindowScrollEnabled(w, gTrackHScroll, true, active);
      return true;
    case kInstrumentWindowKindId: SetWindowScrollEnabled(w, nullptr, true, active); RedrawAppWindow(w); return true;
    case kMarkerListKind: SetMarkerListActive(w, active); return true;
    case kMixerKind: SetDisplayBit(kDisplayMixerActive, active); RedrawAppWindow(w); return true;
    case kProgressDialogActivateKind:
    case kRhythmToolKind:
    case kJukeboxKind: SetDialogWindowActive(window, active); return true;
    case kInfoPanelWindowKind:
      if (active) ActivateInfoPanel();
      return true;
    case kEventListKind:
    case kConductorListKind:
    case kRemoteControlKind:
    case kNotepadKind:
    case kMovieWindowKind:
    case kPluginChooserKind:
    case kPluginWindowKind:
    case kSecondPluginWindowKind: return true;
    default: return SetPluginEditorActive(window, active, focusPlugin);
  }
}

OSStatus ActivateOrDeactivate(EventRecord* event, WindowRef window, bool active, bool focusPlugin) {
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
  bool handled = ActivateSteps(w, window, kind, active, focusPlugin);
  if (handled) RunOwnerStep(w, active);
  if (handled && active && gFrontWindowActivatedProc) gFrontWindowActivatedProc();
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

OSStatus ActivateWindowByKind(EventRecord* event, WindowRef window, bool focusPlugin) {
  return ActivateOrDeactivate(event, window, true, focusPlugin);
}

OSStatus DeactivateWindowByKind(EventRecord* event, WindowRef window) {
  return ActivateOrDeactivate(event, window, false, false);
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
