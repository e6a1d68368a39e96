#include "editors/follow/window_refresh.h"

#include "editors/follow/play_cursor.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/sequencer_clock.h"
#include "shell/windows/app_windows.h"

WindowFollowHooks gWindowFollowHooks;
WindowRefreshProc gWindowRefreshProc = nullptr;
uint8_t gWindowRefreshMode = 0;
uint8_t gWindowRefreshOn = 1;
int16_t gRefreshWindowKind = 0;

namespace {

WindowRef gChosenFront = nullptr;

bool Follow(bool (*proc)()) { return proc ? proc() : false; }
bool FollowTrackWindow() { return Follow(gWindowFollowHooks.followTrackWindow); }
bool FollowEventList() { return Follow(gWindowFollowHooks.followEventList); }
bool FollowMarkerList() { return Follow(gWindowFollowHooks.followMarkerList); }
bool FollowConductorList() { return Follow(gWindowFollowHooks.followConductorList); }
bool FollowMovieWindow() { return true; }

WindowRefreshProc RoutineOfKind(int16_t kind) {
  switch (kind) {
    case kMainEditorWindowKind: return RefreshMainEditorCursors;
    case kTrackWindowKind: return FollowTrackWindow;
    case kEventListKind: return FollowEventList;
    case kMarkerListKind: return FollowMarkerList;
    case kConductorListKind: return FollowConductorList;
    case kMovieWindowKind: return FollowMovieWindow;
    default: return nullptr;
  }
}

bool IsKindVisible(int16_t kind) {
  const AppWindow* w = GetWindowForKind(kind);
  return w && w->window && IsWindowVisible(w->window);
}

void Erase(void (*proc)()) {
  if (proc) proc();
}

void EraseRoutine(WindowRefreshProc routine) {
  if (routine == RefreshMainEditorCursors) ErasePlayCursors();
  else if (routine == FollowTrackWindow) Erase(gWindowFollowHooks.eraseTrackWindowCursor);
  else if (routine == FollowEventList) Erase(gWindowFollowHooks.eraseEventListCursor);
  else if (routine == FollowConductorList) Erase(gWindowFollowHooks.eraseConductorListCursor);
}

}  // namespace

void ChooseRefreshWindow() {
  if (IsClockTaskPlaying() && gWindowRefreshOn) RunWindowRefreshProc();
  gChosenFront = FrontWindow();
  gWindowRefreshProc = nullptr;
  gRefreshWindowKind = 0;
  if (gWindowRefreshMode == 2) {
    gWindowRefreshProc = AnyWindowNeedsRefresh;
    return;
  }
  for (WindowRef w = FrontWindow(); w; w = GetNextWindow(w)) {
    const AppWindow* record = FindAppWindow(w);
    if (!record || !IsWindowVisible(w)) continue;
    if (WindowRefreshProc routine = RoutineOfKind(record->kind)) {
      gWindowRefreshProc = routine;
      gRefreshWindowKind = record->kind;
      return;
    }
  }
}

void RunWindowRefreshProc() {
  // The stored choice decides, so that leaving mode 2 still erases every window's cursor.
  if (gWindowRefreshMode == 2 || gWindowRefreshProc == AnyWindowNeedsRefresh) {
    for (int16_t kind : {kMainEditorWindowKind, kTrackWindowKind, kEventListKind, kConductorListKind})
      EraseRoutine(RoutineOfKind(kind));
    return;
  }
  EraseRoutine(gWindowRefreshProc);
}

bool AnyWindowNeedsRefresh() {
  bool moved = false;
  for (int16_t kind : {kMainEditorWindowKind, kTrackWindowKind, kEventListKind, kMarkerListKind, kConductorListKind})
    if (IsKindVisible(kind)) moved |= RoutineOfKind(kind)();
  return moved;
}

bool RefreshChosenWindow() {
  if (!IsClockTaskPlaying() || !gWindowRefreshOn) return false;
  if (!gWindowRefreshProc || FrontWindow() != gChosenFront) ChooseRefreshWindow();
  return gWindowRefreshProc ? gWindowRefreshProc() : false;
}
