// Copying pixels between bit maps and pixel maps, with scaling, transfer modes and masks.
//
// Sources and destinations are BitMaps (one bit per pixel) or PixMaps passed as BitMaps
// (GetPortBitMapForCopyBits). Rectangles are in each map's own coordinates (its bounds);
// a source rectangle of another size is scaled (nearest pixel). When the destination is the
// current port's map, the port's clip and visible regions limit the copy; maskRgn (in the
// destination's coordinates) limits it further. The current port's foreground and
// background colours colour a one-bit source (1 = foreground) and tint a colour source in
// srcCopy unless they are black and white.
//
// Modes on colour sources treat black as "ink" (as one-bit sources do): srcOr keeps the
// darker channel, srcXor inverts where the source is dark, srcBic whitens where it is dark;
// the not forms invert the source first. blend, addPin, addOver, subPin, transparent,
// addMax, subOver, adMin and hilite work per channel.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* dstRect, short mode, RgnHandle maskRgn);
// Copies the source where the mask is set: a one-bit mask copies where its bit is 1; a
// colour mask blends, black taking the source and white keeping the destination.
void CopyMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
              const Rect* srcRect, const Rect* maskRect, const Rect* dstRect);
void CopyDeepMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
                  const Rect* srcRect, const Rect* maskRect, const Rect* dstRect, short mode,
                  RgnHandle maskRgn);
// Moves the pixels of r (within the clip and visible regions) by dh, dv; the area left
// uncovered is erased with the background and returned in updateRgn (may be null).
void ScrollRect(const Rect* r, short dh, short dv, RgnHandle updateRgn);
