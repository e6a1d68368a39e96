// The screen: one 32-bit pixel buffer, shown in an SDL2 window when a display exists
// (DISPLAY or WAYLAND_DISPLAY set, SDL video starts, ZARIN_HEADLESS not set to 1), kept in
// memory otherwise (GetHostWindowProblem says why, unless headless was asked for). Its size
// is 1280x800, shrunk to fit the desktop, unless ZARIN_SCREEN=WIDTHxHEIGHT says otherwise
// (each side 320 to 8192). A host window can be resized: the screen follows (ResizeScreen)
// up to the desktop's size. The menu bar is the top 20 pixels.
//
// The screen starts on first use. Drawing on it is shown at the next PresentScreen, which
// the event loop calls; nothing else touches the host window.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

void InitScreen();
// The screen shows width x height (each clamped to 320 and to the desktop's size): the host
// window was resized. The device's rectangle, the screen bits and the screen port follow;
// ports drawing on the screen stay valid. True when the size changed (then everything must
// be drawn again).
Boolean ResizeScreen(int width, int height);
// Closes the host window and frees the screen (tests; ports on the screen must be closed).
void ShutdownScreen();

GDHandle GetMainDevice();
GDHandle GetDeviceList();
GDHandle GetNextDevice(GDHandle curDevice);
GDHandle GetGDevice();
void SetGDevice(GDHandle gd);
PixMapHandle GetGDevPixMap(GDHandle gd);
Boolean TestDeviceAttribute(GDHandle gd, short attribute);
// True when the device shows at least that depth (every depth up to 32).
short HasDepth(GDHandle gd, short depth, short whichFlags, short flags);
short GetMBarHeight();
// The screen less the menu bar.
OSStatus GetAvailableWindowPositioningBounds(GDHandle inDevice, Rect* outAvailableRect);
// The port that covers the whole screen (the desktop and menu bar draw through it).
CGrafPtr GetScreenPort();

// True when an SDL window shows the screen; the window itself (an SDL_Window*) for the
// event layer, or null.
Boolean ScreenHasHostWindow();
void* GetScreenHostWindow();
// Why the screen has no host window although no ZARIN_HEADLESS=1 asked for none: no display
// named, or the display or the window would not open. Null when there is a host window or
// headless was asked for.
const char* GetHostWindowProblem();
// True when nothing shows the screen to anyone: no host window, or, before the screen has
// started, none would be made. Does not start the screen.
Boolean IsScreenUnseen();
// Shows what was drawn since the last present (nothing headless); true when it showed.
Boolean PresentScreen();
// Marks part of the screen (global coordinates) as drawn; null marks all of it.
void MarkScreenDirty(const Rect* r);
// Bounds of what was drawn since the last present (empty when nothing).
void GetScreenDirtyBounds(Rect* r);

// Writes pixels as an 8-bit RGB PNG: to a new file beside the target, renamed over it when
// complete. A port gives the pixels of its rectangle (a window's content, say), a pixel map
// all of its pixels. noErr, paramErr for a bad argument, ioErr (-36) when the file fails.
OSErr SavePixMapToPNG(PixMapHandle pm, const char* path);
OSErr SavePortToPNG(CGrafPtr port, const char* path);
OSErr SaveScreenToPNG(const char* path);
