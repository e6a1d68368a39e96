// The plug-in host's commands: the open plug-in editor windows (listed in the Window menu
// from item 20 on), the plug-in over the selected tracks, and the ReWire commands.
#pragma once

#include <cstdint>

#include "platform/menus/menus.h"
#include "platform/windows/windows.h"

constexpr int16_t kFirstPluginWindowItem = 20;
constexpr int16_t kPluginWindowSeparatorItem = 19;
constexpr int32_t kMaxPluginEditorWindows = 64;

// Interim until plug-ins load: the editor windows that their plug-ins opened are registered
// here. Returns the window's index, or -1 when the table is full or the window is null.
int16_t RegisterPluginEditorWindow(WindowRef window);
// Takes a window out of the list; the windows after it move up one index.
void ForgetPluginEditorWindow(WindowRef window);
void ForgetAllPluginEditorWindows();
int32_t CountPluginEditorWindows();
WindowRef GetPluginEditorWindow(int16_t index);
// The index (0 or more) of an open plug-in editor window, negative for any other window.
// Windows disposed behind the list's back are dropped first.
int16_t GetPluginEditorWindowIndex(WindowRef window);
// The plug-in editor window record of a window (a 32-bit id, its index + 1), or 0 for a window
// that is no plug-in editor window.
uint32_t FindPluginWindowRecord(WindowRef window);
// Makes the plug-in's view in its editor window active (it takes the keyboard focus) or
// inactive; false when there is no such record or the view refuses. Interim until plug-ins
// load: every open editor's view accepts.
bool SetPluginWindowViewActive(uint32_t record, bool active);
bool IsPluginWindowViewActive(uint32_t record);
// Shows the editor window of Window-menu item 20 + index and brings it to the front; an item
// without a window does nothing. Always 0.
OSStatus HandlePluginWindowMenuItem(int16_t item);
// The plug-in part of the Window menu: every item after `baseItems` is removed; with editor
// windows open a separator follows at item 19 and one item per window (its title) from 20.
void UpdatePluginWindowMenu(MenuRef windowMenu, int16_t baseItems);

// Track commands item 5: a plug-in over the selected tracks. Interim: no plug-ins are loaded,
// so nothing is processed; returns 0.
int32_t RunPluginOnSelectedTracks();

// The ReWire state word (bit 2 enabled, bit 3 transport sync, bit 4 tempo sync) and whether
// ReWire is available. Interim: ReWire does not exist on this system; both stay 0.
extern uint16_t gReWireState;
extern uint8_t gReWireAvailable;
extern int16_t gReWireCurrentDevice;
// ReWire codes: 0 opens at start-up, 4 closes at the end; the ReWire menu passes its items.
// Interim: nothing to open while ReWire is unavailable.
void RunReWireCommand(int16_t command);
