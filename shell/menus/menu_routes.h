// The menus whose items reach the handlers of other subsystems: the Edit, transform, tools
// and Options menus and the submenus (68, 69, 77, 85, 86, 87, 91, 95, 193).
#pragma once

#include <cstdint>

#include "platform/menus/menus.h"

// Menu ids of the submenus.
enum : int16_t {
  kInstrumentWindowMenuId = 68,
  kTrackOpsMenuId = 69,
  kReWireMenuId = 77,
  kAudioProcessingMenuId = 85,
  kTrackCommandsMenuRouteId = 86,
  kRefreshMenuId = 87,
  kTrackDisplayMenuId = 91,
  kPluginProcessingMenuRouteId = 95,
  kJustificationMenuRouteId = 193,
};

// The File menu's audio-file items 12, 14 and 21 (0); -9874 for the others that the
// document layer does not run yet (export, revert, the open and import commands).
OSStatus HandleFileMenuMoreItems(int16_t item);
// The transform menu: the tempo and signature dialogs, every other item the transform
// operations; 0.
OSStatus HandleTransformMenuItem(int16_t item);
// The tools menu (440): editor commands 3 and 4, new instrument 6, instrument command 7,
// start-up settings 8 and 10, zoom out 15 and in 16, name tracks after patches 18, reset
// window positions 20; every item answers 0.
OSStatus HandleToolsMenuItem(int16_t item);
// The Options menu (445): item 6 answers -9874 (the system's), every other item 0.
OSStatus HandleOptionsMenuItem(int16_t item);
// The Edit menu and the submenus; -9874 for a menu nobody handles.
OSStatus DispatchSubmenuCommand(int16_t menuId, int16_t item);
