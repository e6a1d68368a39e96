// The host window: the SDL window that shows the screen, fed into the event layer.
//
// With a host window, InitWindows installs the pump (SetHostEventPump). Each pass shows what
// was drawn since the last one (PresentScreen), waits for host input up to the time it is
// given, and turns it into Mac input: mouse moves, buttons (left 1, right 2, middle 3) and
// wheel steps, keys as virtual key codes (Control is Command, and so is the Windows key; Alt is
// Option: see MacKeyCodeForUsbUsage), focus changes into application activation; an exposed window is shown again in
// full, and closing the host window asks the program to quit (a quit Apple event).
// Headless, there is no pump and nothing here does anything.
#pragma once

#include "platform/events/carbon_events.h"

// Installs the pump when the screen has a host window; true when it did.
Boolean InstallHostWindowPump();
// One pass of the pump (the event layer calls it; tests may too).
void PumpHostWindow(EventTime maxWait);
// The Mac modifier bits of an SDL key modifier state (SDL_Keymod).
UInt32 MacModifiersForHostKeymod(UInt32 keymod);
