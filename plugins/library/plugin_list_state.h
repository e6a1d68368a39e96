// Whether the plug-in list changed since the plug-in menus were last built: an instance's
// format changed, an editor window opened, or the table of plug-ins grew.
#pragma once

#include <cstdint>

// Set when the list changed; the menus are rebuilt from the list while it is set.
extern uint8_t gPluginMenusStale;

// Marks the plug-in list changed: the menus go stale and the chooser window is redrawn.
void MarkPluginListChanged();
