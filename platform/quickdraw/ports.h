// Graphics ports: the current port, a port's rectangle, origin, clip and visible regions,
// and the conversion between local and global (screen) coordinates.
//
// A port draws only inside portRect, its visible region and its clip region (all in local
// coordinates) and inside its pixel map. A new port draws on the screen, with portRect and
// visible region the whole screen and a clip region as wide as coordinates go.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

// Prepares the drawing layer (the screen and its port); later calls do nothing.
void InitGraf(void* globalPtr);

void GetPort(GrafPtr* port);
// Makes port current; a port that is not open is refused (QDError paramErr).
void SetPort(GrafPtr port);
GrafPtr GetQDGlobalsThePort();
Boolean IsValidPort(CGrafPtr port);

// Port records held by the caller (a window record, say): OpenCPort prepares one on the
// screen and makes it current, CloseCPort releases its regions.
void OpenCPort(CGrafPtr port);
void InitCPort(CGrafPtr port);
void CloseCPort(CGrafPtr port);
void OpenPort(GrafPtr port);
void ClosePort(GrafPtr port);
// A port record of the layer's own, open on the screen; DisposePort closes and frees it.
CGrafPtr CreateNewPort();
void DisposePort(CGrafPtr port);

Rect* GetPortBounds(CGrafPtr port, Rect* rect);
void SetPortBounds(CGrafPtr port, const Rect* rect);
PixMapHandle GetPortPixMap(CGrafPtr port);
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);
RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn);
void SetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn);
RgnHandle GetPortClipRegion(CGrafPtr port, RgnHandle clipRgn);
void SetPortClipRegion(CGrafPtr port, RgnHandle clipRgn);
void* GetPortOwner(CGrafPtr port);
void SetPortOwner(CGrafPtr port, void* owner);

// Gives the top left corner of portRect the coordinates (h, v), moving the visible region
// with it; the clip region keeps its coordinates.
void SetOrigin(short h, short v);
// Places the current port's top left corner at the global point (left, top).
void MovePortTo(short left, short top);
// Sets the current port's rectangle to width x height from its top left corner.
void PortSize(short width, short height);
void LocalToGlobal(Point* pt);
void GlobalToLocal(Point* pt);
// Global coordinates of a port's local point (the window layer's form, for any port).
void QDLocalToGlobalPoint(CGrafPtr port, Point* pt);
void QDGlobalToLocalPoint(CGrafPtr port, Point* pt);

// The current port's clip region.
void GetClip(RgnHandle rgn);
void SetClip(RgnHandle rgn);
void ClipRect(const Rect* r);

// The screen shows what was drawn on it at the next present; for a screen port this marks
// the region (or all, when rgn is null) to be shown. Other ports need nothing.
void QDFlushPortBuffer(CGrafPtr port, RgnHandle rgn);
Boolean QDIsPortBuffered(CGrafPtr port);
OSErr LockPortBits(GrafPtr port);
OSErr UnlockPortBits(GrafPtr port);

// Port state readers of the Carbon accessor family.
RGBColor* GetPortForeColor(CGrafPtr port, RGBColor* color);
RGBColor* GetPortBackColor(CGrafPtr port, RGBColor* color);
short GetPortTextFont(CGrafPtr port);
Style GetPortTextFace(CGrafPtr port);
short GetPortTextMode(CGrafPtr port);
short GetPortTextSize(CGrafPtr port);
Point* GetPortPenSize(CGrafPtr port, Point* penSize);
Point* GetPortPenLocation(CGrafPtr port, Point* penLocation);
SInt32 GetPortPenMode(CGrafPtr port);
short GetPortPenVisibility(CGrafPtr port);
void SetPortPenSize(CGrafPtr port, Point penSize);
void SetPortPenMode(CGrafPtr port, SInt32 penMode);
void SetPortTextFont(CGrafPtr port, short txFont);
void SetPortTextSize(CGrafPtr port, short txSize);
void SetPortTextFace(CGrafPtr port, StyleParameter face);
void SetPortTextMode(CGrafPtr port, short mode);

// The standard patterns, the arrow and the screen's bits of the drawing globals.
Pattern* GetQDGlobalsBlack(Pattern* pat);
Pattern* GetQDGlobalsWhite(Pattern* pat);
Pattern* GetQDGlobalsGray(Pattern* pat);
Pattern* GetQDGlobalsLightGray(Pattern* pat);
Pattern* GetQDGlobalsDarkGray(Pattern* pat);
Cursor* GetQDGlobalsArrow(Cursor* arrow);
BitMap* GetQDGlobalsScreenBits(BitMap* screenBits);
