// The desktop bounds the windows are placed in, the choice of screen for a rectangle, the
// colour-depth state, and the bracket around every batch of window drawing.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The available window-positioning bounds of the deepest screen, top moved down by 1.
extern Rect gDesktopBounds;
// Above 2: a colour screen deep enough for the highlight colour.
extern int32_t gScreenDepthIndex;
// Depth level 3 or more: colours from tables; below it gray and dot patterns stand in.
constexpr int32_t kColourScreenLevel = 3;
bool IsColourScreen();
// Bit 0x80: the drawing state changed (display settings were read again).
extern uint16_t gDrawingStateWord;

// The bracket around every batch of window drawing; the one place for a port lock or flush.
void BeginScreenDrawing();
void EndScreenDrawing();

// Recomputes gDesktopBounds; when its height changed the per-row scratch block follows it.
void UpdateScreenBounds();
// Re-reads the screens after start-up or a display change: desktop bounds, depth, colour bit.
void RefreshDisplaySettings();
// The per-row scratch block (desktop height x 6 + 1 bytes) and its size; made on first use.
Ptr GetScreenRowScratch(Size* size);

int16_t GetScreenWidth();
int16_t GetScreenHeight();

// Of count rectangles, the index of the one that shares the largest area with r; the first
// on a tie, -1 when none overlaps it (or count is 0).
int32_t FindBestRectIndex(const Rect* candidates, int32_t count, const Rect& r);
// The screen whose available bounds share the most area with r (global coordinates); the
// main screen when none overlaps. availableBounds (may be null) gets that screen's bounds.
GDHandle FindBestScreenForRect(const Rect* r, Rect* availableBounds);
