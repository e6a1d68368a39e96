// Drawing the instrument window: the label column, the strips of the shown instruments, the
// aux busses and the master, their names, values, lamps, knobs, faders and meters.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The tick of the last full redraw (the meters' time base).
extern uint32_t gInstrumentWindowDrawTick;

// The update routine of the instrument window.
void DrawInstrumentWindow();
// Redraws one element of the current strip in place, when the window and the strip are shown.
void RedrawStripElement(int16_t element);
// Redraws the strips' name row.
void RedrawStripNames();
// Moves the current strip's fader thumb: only the union of the two thumbs is redrawn.
void MoveStripFaderThumb(int32_t oldVolume, int32_t newVolume);
// Draws the current strip's thumb, pressed or not.
void DrawStripFaderThumb(bool pressed);
// The send button sits in the master strip unless the option word hides it.
bool IsSendButtonShown();
void DrawSendButton();
// Fills a rectangle of a strip with the strip's background (the meters draw their unlit part
// with it).
void FillStripBackgroundRect(const Rect* r);
// The text a value field of the current strip shows ("--" for none).
void GetStripFieldText(int16_t element, Str255 text);
