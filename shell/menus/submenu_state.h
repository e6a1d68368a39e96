// Bringing the submenus up to date before the menus open: the ReWire menu, the track
// menus, the audio and plug-in processing menus with the Repeat item's text, the plug-in
// part of the Window menu and the check mark of the appearance style in use.
#pragma once

#include <cstdint>

// The ReWire menu (77): item 1 checked from state bit 0x4, items 2 and 3 from bits 0x8 and
// 0x10, item 2 enabled from bit 0x4, item 4 from the availability flag, items 6 and on
// checked for the current ReWire device.
void UpdateReWireMenu();
// Menus 85 and 95 enabled when a selected track qualifies; the Repeat item names the last
// plug-in command.
void UpdateProcessingMenus();
// Everything above, File item 21, the track menus, the plug-in windows of the Window menu
// and the check mark of the appearance style in use.
void UpdateSubmenuState();
