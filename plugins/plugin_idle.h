// Plug-in hosting's steps of the idle pass: the plug-in editor windows, ReWire and the plug-in
// menus.
#pragma once

#include <cstdint>

void PluginWindowsIdle();
void ReWireIdle();
// Brings the plug-in menus up to date.
void UpdatePluginMenus();
