// What the song model asks of the windows: the open window of a kind is to be drawn again, or
// brought to the front, and the editor's rows are to follow the track selection. Installed by
// the window records at start-up (InstallRedrawHooks); not installed, a redraw request is only
// counted in gRedrawRequests, nothing comes to the front, no window counts as the front one and
// no row follows the selection and no length display follows the song's end.
#pragma once

#include <cstdint>

struct RedrawHooks {
  void (*invalidateWindowOfKind)(int16_t kind);  // main thread
  void (*bringWindowToFront)(int16_t kind);      // main thread; nothing when it is in front
  int16_t (*frontWindowKind)();                  // main thread; 0 when no window is in front
  void (*trackSelectionChanged)();               // main thread; the editor rows follow it
  void (*songLengthChanged)();                   // main thread; the length displays follow it
};
extern RedrawHooks gRedrawHooks;
