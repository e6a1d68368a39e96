// The song model's redraw requests, answered by the window records: the window of the kind
// asked for is invalidated when it exists.
#pragma once

// Fills gRedrawHooks (song/model/redraw_hooks.h).
void InstallRedrawHooks();
