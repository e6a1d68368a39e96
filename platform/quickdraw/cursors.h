// The cursor: which one is current, and whether it shows. With a host window the cursor is
// shown on it; headless, the state is only recorded (tests read it back).
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

using ThemeCursor = UInt32;
enum : ThemeCursor {
  kThemeArrowCursor = 0, kThemeCopyArrowCursor = 1, kThemeAliasArrowCursor = 2,
  kThemeContextualMenuArrowCursor = 3, kThemeIBeamCursor = 4, kThemeCrossCursor = 5,
  kThemePlusCursor = 6, kThemeWatchCursor = 7, kThemeClosedHandCursor = 8,
  kThemeOpenHandCursor = 9, kThemePointingHandCursor = 10, kThemeCountingUpHandCursor = 11,
  kThemeCountingDownHandCursor = 12, kThemeCountingUpAndDownHandCursor = 13,
  kThemeSpinningCursor = 14, kThemeResizeLeftCursor = 15, kThemeResizeRightCursor = 16,
  kThemeResizeLeftRightCursor = 17, kThemeNotAllowedCursor = 18,
};

// The arrow, shown, cursor level 0.
void InitCursor();
void SetCursor(const Cursor* crsr);
// The 'CURS' resource of that id (a 68-byte big-endian image), or null.
CursHandle GetCursor(short cursorID);
// Reads a 'CURS' image; false when the handle is null or shorter than 68 bytes.
Boolean CursorFromHandle(CursHandle h, Cursor* crsr);
// SetCursor with a 'CURS' resource; false (cursor unchanged) when it is missing or short.
Boolean SetCursorFromResource(short cursorID);
OSStatus SetThemeCursor(ThemeCursor inCursor);
// Each HideCursor must be balanced by a ShowCursor; the cursor shows at level 0.
void HideCursor();
void ShowCursor();
// Hides the cursor until the mouse moves (CursorMoved tells the layer it did).
void ObscureCursor();
void CursorMoved();

void GetCurrentCursor(Cursor* crsr);
short GetCursorLevel();
Boolean IsCursorVisible();
