// Pictures drawn into the shared scratch rectangle.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

// Draws 'PICT' id into gScratchRect in the current port; returns the picture, or null
// (nothing drawn) when there is no such picture.
PicHandle DrawPictureInScratchRect(int16_t id);
