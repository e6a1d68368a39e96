// The controls of the program's windows and the clicks on them: each scroll bar has a command
// code that names the redraw its thumb asks for while it moves (live tracking), arrows and
// pages go through each control's own action, and the track window's buttons, the transport
// buttons, the child-sequence bevel buttons and the control runs of the instrument and remote
// windows are routed to their steps.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"
#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

enum : int16_t {
  kControlCodeNone = 0,
  kControlCodePaneBar = 1,            // a main editor pane's vertical bar
  kControlCodeEditorBar = 2,          // the main editor's horizontal bar
  kControlCodeSongList = 3,
  kControlCodeInstrumentBar = 4,      // the instrument window's horizontal bar
  kControlCodeTrackVertical = 5,
  kControlCodeTrackHorizontal = 6,
  kControlCodeEventList = 7,
  kControlCodeRemoteControl = 8,
  kControlCodeDialogList = 9,         // the list of the current classic dialog
  kControlCodeConductorList = 10,
  kControlCodeMarkerList = 11,
  kControlCodeChooserVertical = 13,   // the plug-in chooser's bars
  kControlCodeChooserHorizontal = 16,
};

// The window whose control is being clicked (null outside a click).
extern AppWindow* gControlClickWindow;
// The thumb's value last seen by live tracking.
extern int32_t gLiveScrollValue;
// Interim: the transport's two buttons and the instrument and remote windows' control runs
// are not made as controls yet; a null entry matches no control.
extern ControlRef gTransportButtons[2];
extern ControlRef gInstrumentControlRun[4];
extern ControlRef gRemoteControlRun[5];

// The control's command code (0 for any other control); a pane's bar makes its pane current.
int16_t GetControlCommandCode(ControlRef control);
// For the thumb (part 129) only: the redraw of the control's code; a control without a code
// beeps.
void DispatchControlCommand(ControlPartCode part, ControlRef control, bool live);
// The current dialog list's scroll step with the argument, when the list has a scroll bar.
void CallDialogListScrollProc(int32_t arg);
// The action while a thumb is dragged: at each new value the control's redraw runs, and every
// call runs the idle task once so that the displays keep moving.
void LiveScrollAction(ControlRef control, ControlPartCode part);
// Tracks a click on a control (local point); *paneIndexOut may be set to the pane to make
// current afterwards. Returns the part a plain control was released in (0 otherwise).
ControlPartCode TrackWindowControl(ControlRef control, ControlPartCode part, Point point, EventRecord* event,
                                   int16_t* paneIndexOut);
// A click on a control of a program window (local point, the window's port current). Nothing
// for the jukebox or a plug-in editor window.
void HandleWindowControlClick(AppWindow* w, ControlPartCode part, ControlRef control, Point local,
                              EventRecord* event);
