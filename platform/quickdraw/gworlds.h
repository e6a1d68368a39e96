// Offscreen graphics worlds and pixel-map access.
//
// A GWorld is a port with a pixel map of its own: 32 bits per pixel whatever depth is asked
// (1, 2, 4, 8, 16, 32 or 0 for the screen's), cleared to white. Its bounds are the rectangle
// given, so the GWorld's local coordinates are those of that rectangle. The pixels never
// move, so LockPixels always succeeds; it and UnlockPixels keep a count for the callers that
// check it.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

// noErr; paramErr for a null result pointer, an empty or too large rectangle (more than
// 16384 pixels a side) or a depth outside the list; memFullErr when the pixels cannot be had.
QDErr NewGWorld(GWorldPtr* offscreenGWorld, short pixelDepth, const Rect* boundsRect,
                CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
void DisposeGWorld(GWorldPtr offscreenGWorld);
// Changes the GWorld's bounds: with clipPix the pixels keep their place, with stretchPix
// they are scaled to the new size; otherwise they are cleared. Returns the flags or gwFlagErr.
GWorldFlags UpdateGWorld(GWorldPtr* offscreenGWorld, short pixelDepth, const Rect* boundsRect,
                         CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
void GetGWorld(CGrafPtr* port, GDHandle* gdh);
void SetGWorld(CGrafPtr port, GDHandle gdh);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
GDHandle GetGWorldDevice(GWorldPtr offscreenGWorld);

Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
GWorldFlags GetPixelsState(PixMapHandle pm);
void SetPixelsState(PixMapHandle pm, GWorldFlags state);
Ptr GetPixBaseAddr(PixMapHandle pm);
// Bytes per row of the pixel map (the full value, not the flagged 14-bit field).
SInt32 GetPixRowBytes(PixMapHandle pm);
Rect* GetPixBounds(PixMapHandle pm, Rect* bounds);
short GetPixDepth(PixMapHandle pm);
