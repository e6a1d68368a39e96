// The periodic refresh while the song plays: one window of those that show a timeline is
// chosen (the front-most visible one) and its refresh routine follows the song position at
// each idle pass; the main editor's routine moves its panes' play cursors.
#pragma once

#include <cstdint>

// Answers whether a cursor moved.
using WindowRefreshProc = bool (*)();

// The follow and erase routines of the windows other than the main editor, filled by their
// owners; a window whose entry is not filled shows no play position.
struct WindowFollowHooks {
  bool (*followTrackWindow)() = nullptr;
  bool (*followEventList)() = nullptr;
  bool (*followMarkerList)() = nullptr;
  bool (*followConductorList)() = nullptr;
  void (*eraseTrackWindowCursor)() = nullptr;
  void (*eraseEventListCursor)() = nullptr;
  void (*eraseConductorListCursor)() = nullptr;
};
extern WindowFollowHooks gWindowFollowHooks;

// The chosen routine (null: none), the mode (2: every window's routine runs) and the
// refresh switch (on at start).
extern WindowRefreshProc gWindowRefreshProc;
extern uint8_t gWindowRefreshMode;
extern uint8_t gWindowRefreshOn;
// The kind of the chosen window (0: none or every window).
extern int16_t gRefreshWindowKind;

// While the song plays and the switch is on, the previous choice's cursors are erased first;
// then the front-most visible main editor, track window, event list, marker list, conductor
// list or movie window gives the routine (mode 2: AnyWindowNeedsRefresh).
void ChooseRefreshWindow();
// Erases the play cursors of the chosen window (of all of them in mode 2).
void RunWindowRefreshProc();
// True when any visible window of those kinds moved its cursor.
bool AnyWindowNeedsRefresh();
// The idle pass's refresh while the song plays: a new choice when the front window changed,
// then the chosen routine. Answers whether a cursor moved.
bool RefreshChosenWindow();
