// Pictures drawn into offscreen graphics worlds and copied back, flicker-free drawing through
// an offscreen world, and colour icons.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The shared picture cache: one offscreen world with the frame of the picture it holds.
extern GWorldPtr gPictureCache;
extern Rect gPictureCacheBounds;
// The colour icon the panel composer keeps.
extern CIconHandle gCachedStyleIcon;

// GetPicture and its frame (an empty frame for a missing picture).
PicHandle LoadPictureWithFrame(int16_t id, Rect* frame);
// Draws 'PICT' id into *world, keeping the world when its bounds equal the picture's frame
// and making a new one otherwise; skipDraw only prepares the world. -192 for a missing
// picture (the world is left alone), else the NewGWorld result.
QDErr RenderPictureOffscreen(GWorldPtr* world, Rect* bounds, int16_t id, bool skipDraw);
// Into the shared cache; on an error the cache is disposed and forgotten.
QDErr CachePictureOffscreen(int16_t id);
void DisposePictureCache();
// CopyBits from the world into the current port, black on white.
void CopyOffscreenToPort(GWorldPtr world, const Rect* dstRect, const Rect* srcRect);
// The cached picture with its bottom-right corner on rect's; -50 without a cache.
OSErr CopyCachedPicture(const Rect* rect);
// CopyBits between two worlds (srcCopy), or CopyMask through mask when given.
void CopyGWorldRect(GWorldPtr source, const BitMap* mask, GWorldPtr destination, const Rect* sourceRect,
                    const Rect* destRect);

// drawProc(rect) draws into an offscreen world of rect's size (rect moved to (0, 0)); the
// result is copied to the current port at rect's place (through mask when given). With
// dispose the world is disposed and null returned; otherwise the world is returned holding
// what was copied. Without memory for the world, drawProc draws straight into the port.
using OffscreenDrawProc = void (*)(Rect* rect);
GWorldPtr DrawThroughOffscreen(OffscreenDrawProc drawProc, Rect* rect, const BitMap* mask, bool dispose);

// GetCIcon, PlotCIcon into gScratchRect, DisposeCIcon.
void PlotColorIcon(int16_t id);
void DisposeCachedIcon();
