// Clicks in the content of the program's windows, by window kind: each window's owner
// registers its click handler (a click on a control goes to shell/app/window_controls.h).
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"
#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

// A window owner's content click at the local point. Its result goes back to the dispatch:
// for the info panel, the instrument window, the plug-in chooser and the jukebox, 0 keeps
// the window where it is after a click-through.
using WindowClickProc = int32_t (*)(AppWindow* w, Point local, EventRecord* event);
void SetWindowClickProc(int16_t kind, WindowClickProc proc);
// The registered handler's result, or 1 when the kind has none (its owner is not built).
int32_t RunWindowClickProc(AppWindow* w, Point local, EventRecord* event);
