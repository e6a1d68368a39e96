// The mouse cursor kept right for what lies under the mouse. A cursor code is 0 for the arrow,
// 1..17 for a theme cursor, above 17 the id of a 'CURS' resource of the program. The pass
// runs on mouse-moved events and modifier changes and recomputes only what the event changed;
// over the main editor it also keeps the time and pitch under the mouse for the readout.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/windows/windows.h"

// The cursor of each note-view tool 0..7.
extern const int16_t kToolCursorTable[8];
// gLastEvent as it was at the last cursor pass.
extern EventRecord gLastMouseEvent;
// The song time and pitch under the mouse in the main editor; a negative pitch makes the next
// pass count as moved.
extern int32_t gMouseTick, gMousePitch;
// The pane-header zone under the mouse at the last pass (0 none), and the pane whose zone 2
// is highlighted.
extern uint8_t gEditorHoverZone;
extern int32_t gHoverPaneIndex;
// The appearance version read at start-up; theme cursors are shown only above 0x10F.
extern uint32_t gAppearanceVersion;
// The hand-dragging setting of the editors (with Control down, the Option key decides).
// Interim: kept here until the editors' settings hold it.
extern uint8_t gHandDragSetting;

// Sets the cursor; *under := the window under the mouse when under is not null. 1 when the
// main editor is visible and the event brought no change, else 0.
uint8_t AdjustCursorForWindow(bool keepCursor, WindowRef* under);
// Compares gLastEvent with gLastMouseEvent: *moved := 0 when position and modifiers are the
// same (and the pitch is not negative), else 1. True when anything but the time stamp changed.
bool TakeMouseStateChange(uint8_t* moved);
int16_t GetEditorToolCursor(int16_t tool);
int16_t GetAudioRegionCursor();
int16_t GetSelectionHandCursor(int16_t fallback);
// Shows cursor code c over the window of Windows-menu item; 0 over a plug-in editor window
// (item 20 and up) leaves the cursor as it is, theme cursors need an appearance above 0x10F.
void ApplyCursorCode(int16_t c, int16_t item);
