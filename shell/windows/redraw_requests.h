// The song model's redraw requests, answered by the window records: the window of the kind
// asked for is invalidated when it exists.
#pragma once

#include <cstdint>

// Shows the window of the kind, makes it the front window and marks the Window menu; nothing
// when there is no such window or it is in front already.
void BringWindowToFront(int16_t kind);
// Fills gRedrawHooks (song/model/redraw_hooks.h) and the plug-in host's window refresh
// request (plugins/host/plugin_host_hooks.h: bits of gPendingWindowRefresh).
void InstallRedrawHooks();
