// The mouse in the instrument window: the click dispatch by strip element, the pan knob and
// fader tracking, the lamps, the name row's selection and the value pop-ups.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

// The click handler of the instrument window (local point, the event being handled).
int32_t HandleInstrumentWindowClick(AppWindow* w, Point local, EventRecord* event);
// Track the pan knob / the fader thumb of the current strip until the button is released.
void TrackInstrumentKnob();
void TrackInstrumentFader();
// The fader value for a mouse that moved from startV to v, starting at startVolume:
// startVolume + (startV - v) x 127 / gFaderTravel, rounded, in 0..127.
int32_t FaderValueForMouse(int32_t startVolume, int16_t startV, int16_t v);
// Scroll keys 20..23: one strip left or right, one page left or right.
void ScrollInstrumentWindowByKey(int16_t code);
