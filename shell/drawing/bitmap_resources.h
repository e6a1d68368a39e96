// One-bit images from 'BYBM' resources (read-only, big-endian):
//   0  u32   reserved (ignored)
//   4  i16   rowBytes
//   6  Rect  bounds: top, left, bottom, right
//   14 ...   the bits, rowBytes per row, (bottom - top) rows, most significant bit leftmost
// The resource is never changed: drawing goes through a BitMap record built in memory that
// points at the bits inside the resource's block.
#pragma once

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/windows/windows.h"

struct AppWindow;

constexpr ResType kBitmapResType = FourCC("BYBM");
constexpr int32_t kBitmapHeaderSize = 14;

// Result for a 'BYBM' whose header does not describe its own bits (a resource in a bad format).
constexpr OSErr kBadBitmapResourceErr = -206;

// Fills *bits from a 'BYBM' block: baseAddr points into the block, so it holds only while
// the block neither moves nor is freed. paramErr for a null handle or output; the malformed
// error when the block is shorter than its header, rowBytes is not positive (or has the
// pixel-map bit), the bounds are empty or reversed, a row has fewer bytes than its width
// needs, or the block is shorter than header + rowBytes x rows.
OSErr BitmapFromResource(Handle resource, BitMap* bits);

// Draws 'BYBM' id at its bounds moved by (dh, dv) in window's port (the current port when
// window is null). mode 0 paints only the set bits (the image masks itself), -1 copies it
// (srcCopy), any other value is a CopyBits transfer mode. Returns the image's width, or 0
// (drawing nothing) when the resource is missing or malformed.
int16_t DrawBitmapResource(WindowRef window, int16_t dh, int16_t dv, int16_t mode, int16_t id);
// The same in an AppWindow's window; a null record or one without a window draws nothing
// and gives 0.
int16_t DrawBitmapResourceInWindow(const AppWindow* w, int16_t dh, int16_t dv, int16_t mode,
                                   int16_t id);
