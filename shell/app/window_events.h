// The window events of the program's windows ('wind' class of the window handler): drawing,
// clicks in each region, click activation and click-through, activation, bounds, close and
// zoom.
#pragma once

#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

// A 'wind' event for the window (null when the event names none). Returns noErr when the
// program took it, eventNotHandled (-9874) to leave it to the standard handler.
OSStatus HandleWindowClassEvent(EventRef event, WindowRef window);

// Builds a mouse-down record in gLastEvent from the event's mouse location, modifiers and
// button; accepts only the primary button. activating: the click comes with the window's
// activation.
bool IsClickThroughEvent(EventRef event, AppWindow* record, bool activating);
// Hands the click in gLastEvent on: a dialog's to HandleDialogEvent, any other as a content
// click (HandleMouseDown with part 3). Returns that handler's result.
int32_t HandleClickThrough(EventRef event, AppWindow* record, WindowRef window);
// The kinds whose clicks are handled without bringing the window forward: the info panel,
// the instrument window, the plug-in chooser and the jukebox.
bool IsClickThroughKind(int16_t kind);
