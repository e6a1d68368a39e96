// Port, clip and rectangle helpers over the program's window records and gScratchRect.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"
#include "shell/windows/app_windows.h"

// Times SetPortToAppWindow met a record without a window (wraps).
extern uint8_t gPortMissCount;

void SetPortToAppWindow(const AppWindow* w);
// Sets the port and clips to all of it.
void FocusAppWindow(const AppWindow* w);
void GetAppWindowBounds(const AppWindow* w, Rect* bounds);
// Port bounds into gScratchRect (nothing for null).
void LoadAppWindowBounds(const AppWindow* w);
void LoadTrackWindowBounds();
// Port bounds less the scroll-bar strips into gScratchRect.
void LoadAppWindowContentRect(const AppWindow* w);
// {global top, global left, height, width} of the port bounds; nothing for null.
void GetWindowGlobalFrame(WindowRef window, Rect* frame);
void GetAppWindowGlobalFrame(const AppWindow* w, Rect* frame);

void InvalPortRect(const Rect* r);
void ValidPortRect(const Rect* r);
void InvalScratchRect();
// The content rectangle (bottom + 1) of the record's window is to be redrawn.
void InvalAppWindowPort(const AppWindow* w);
void ValidControlRect(ControlRef control);
// A visible window is marked for redrawing; port and gScratchRect are kept.
void RedrawAppWindow(const AppWindow* w);
void LocalToGlobalScratchRect();

// One saved clip region, not nestable.
void SaveClipRgn();
void RestoreClipRgn();

// Centres a dialog's window horizontally on the main screen, keeping its top.
void CenterDialogHorizontally(DialogRef dialog);
// Centres a window on the main screen, lifted by lift pixels, never above the top.
void CenterWindowOnScreen(WindowRef window, int16_t lift);

// A C string as a Pascal string in one shared buffer (overwritten by the next call);
// strings of 256 characters or more give the empty string.
StringPtr MakeTempPString(const char* text);
// True when both have the same length and bytes.
bool EqualPString(ConstStr255Param a, ConstStr255Param b);
