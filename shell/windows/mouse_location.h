// Where the mouse is: the window under a point of the current port, and whether the last
// mouse point lies in a window's content.
#pragma once

#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"

// The point (local to the current port) made global; the window FindWindow finds there, its
// part code in *part when part is not null.
WindowRef FindWindowAtLocalPoint(Point local, int16_t* part);
// gLastMousePoint lies in the content of the record's own window.
bool IsMouseInWindowContent(const AppWindow* w);
// gLastMousePoint := the mouse location of gLastEvent, local to the current port.
void GlobalToLocalEventMouse();
