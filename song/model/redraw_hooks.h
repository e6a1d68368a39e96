// What the song model's redraw requests ask of the windows: the open window of a kind is to
// be drawn again. Installed by the window records at start-up (InstallRedrawHooks); not
// installed, a request is only counted in gRedrawRequests.
#pragma once

#include <cstdint>

struct RedrawHooks {
  void (*invalidateWindowOfKind)(int16_t kind);  // main thread
};
extern RedrawHooks gRedrawHooks;
