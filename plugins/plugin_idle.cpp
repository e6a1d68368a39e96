#include "plugins/plugin_idle.h"

// Interim: no plug-in is loaded and ReWire does not exist on this system, so there are no
// editor windows to serve and no menus to refresh.
void PluginWindowsIdle() {}
void ReWireIdle() {}
void UpdatePluginMenus() {}
