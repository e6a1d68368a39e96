// The shared scratch rectangle: geometry routines leave their result in gScratchRect and
// drawing routines clip, erase, frame and hit-test with it. Each routine acts on the
// current port.
#pragma once

#include "platform/memory/mac_types.h"

extern Rect gScratchRect;

// gScratchRect = (top, left, top + height, left + width); note the argument order.
void SetScratchRect(int16_t left, int16_t top, int16_t width, int16_t height);
void SetScratchRectFrom(const Rect* rect);
// Fills any rectangle from four shorts, in the order of SetRect (left, top, right, bottom).
void SetRectFields(Rect* rect, int16_t left, int16_t top, int16_t right, int16_t bottom);

void ClipToScratchRect();
void EraseScratchRect();
void FrameScratchRect();
void InsetScratchRect(int16_t d);
// True when gLastMousePoint lies inside gScratchRect.
bool IsMouseInScratchRect();
// Clips the current port to its bounds.
void ClipToPortBounds();
