#include "platform/quickdraw/cursors.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/resources/resource_manager.h"
#include "platform/system/quickdraw_random.h"

using namespace qd_internal;

namespace {

constexpr Size kCursorSize = 68;

Cursor gCurrent = qd.arrow;
short gLevel = 0;
bool gObscured = false;

void Show() { HostShowCursor(&gCurrent, gLevel >= 0 && !gObscured); }

// Built-in cursors for the theme cursors that are not the arrow.
const Cursor kIBeam{{0x0C60, 0x0280, 0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0100,
                     0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0280, 0x0C60, 0x0000},
                    {0x1EF0, 0x07C0, 0x0380, 0x0380, 0x0380, 0x0380, 0x0380, 0x0380,
                     0x0380, 0x0380, 0x0380, 0x0380, 0x0380, 0x07C0, 0x1EF0, 0x0000},
                    {7, 7}};
const Cursor kCross{{0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0xFFFE,
                     0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0000},
                    {0x0380, 0x0380, 0x0380, 0x0380, 0x0380, 0x0380, 0xFFFF, 0xFFFF,
                     0xFFFF, 0x0380, 0x0380, 0x0380, 0x0380, 0x0380, 0x0380, 0x0380},
                    {7, 7}};
const Cursor kPlus{{0x0000, 0x07C0, 0x0440, 0x0440, 0x0440, 0x7C7C, 0x4004, 0x4004,
                    0x4004, 0x7C7C, 0x0440, 0x0440, 0x0440, 0x07C0, 0x0000, 0x0000},
                   {0x0FE0, 0x0FE0, 0x0FE0, 0x0FE0, 0xFFFE, 0xFFFE, 0xFFFE, 0xFFFE,
                    0xFFFE, 0xFFFE, 0xFFFE, 0x0FE0, 0x0FE0, 0x0FE0, 0x0FE0, 0x0000},
                   {7, 7}};
const Cursor kHand{{0x0600, 0x0900, 0x0900, 0x0900, 0x09C0, 0x0938, 0x6926, 0x9925,
                    0x8825, 0x4001, 0x2001, 0x2002, 0x1002, 0x0804, 0x0404, 0x07F8},
                   {0x0600, 0x0F00, 0x0F00, 0x0F00, 0x0FC0, 0x0FF8, 0x6FFE, 0xFFFF,
                    0xFFFF, 0x7FFF, 0x3FFF, 0x3FFE, 0x1FFE, 0x0FFC, 0x07FC, 0x07F8},
                   {0, 5}};
const Cursor kResize{{0x0000, 0x0000, 0x0000, 0x0000, 0x0240, 0x0240, 0x1248, 0x3240,
                      0x7E7E, 0x3240, 0x1248, 0x0240, 0x0240, 0x0000, 0x0000, 0x0000},
                     {0x0000, 0x0000, 0x0000, 0x07E0, 0x07E0, 0x1FF8, 0x3FFC, 0x7FFE,
                      0xFFFF, 0x7FFE, 0x3FFC, 0x1FF8, 0x07E0, 0x07E0, 0x0000, 0x0000},
                     {8, 7}};

}  // namespace

void InitCursor() {
  gCurrent = qd.arrow;
  gLevel = 0;
  gObscured = false;
  Show();
}

void SetCursor(const Cursor* crsr) {
  if (!crsr) return;
  gCurrent = *crsr;
  Show();
}

CursHandle GetCursor(short cursorID) {
  Handle h = GetResource(FourCC("CURS"), cursorID);
  return h;
}

Boolean CursorFromHandle(CursHandle h, Cursor* crsr) {
  const char* p = HandleData(h);
  if (!p || !crsr || GetHandleSize(h) < kCursorSize) return false;
  for (int i = 0; i < 16; ++i) {
    crsr->data[i] = ReadU16BE(p + 2 * i);
    crsr->mask[i] = ReadU16BE(p + 32 + 2 * i);
  }
  crsr->hotSpot = Point{ReadI16BE(p + 64), ReadI16BE(p + 66)};
  return true;
}

Boolean SetCursorFromResource(short cursorID) {
  Cursor c;
  if (!CursorFromHandle(GetCursor(cursorID), &c)) return false;
  SetCursor(&c);
  return true;
}

OSStatus SetThemeCursor(ThemeCursor inCursor) {
  switch (inCursor) {
    case kThemeIBeamCursor: SetCursor(&kIBeam); break;
    case kThemeCrossCursor: SetCursor(&kCross); break;
    case kThemePlusCursor: SetCursor(&kPlus); break;
    case kThemePointingHandCursor: case kThemeOpenHandCursor: case kThemeClosedHandCursor:
      SetCursor(&kHand);
      break;
    case kThemeResizeLeftCursor: case kThemeResizeRightCursor: case kThemeResizeLeftRightCursor:
      SetCursor(&kResize);
      break;
    default:
      if (inCursor > kThemeNotAllowedCursor) return paramErr;
      SetCursor(&qd.arrow);
  }
  return noErr;
}

void HideCursor() {
  --gLevel;
  Show();
}

void ShowCursor() {
  if (gLevel < 0) ++gLevel;
  Show();
}

void ObscureCursor() {
  gObscured = true;
  Show();
}

void CursorMoved() {
  if (!gObscured) return;
  gObscured = false;
  Show();
}

void GetCurrentCursor(Cursor* crsr) {
  if (crsr) *crsr = gCurrent;
}

short GetCursorLevel() { return gLevel; }
Boolean IsCursorVisible() { return gLevel >= 0 && !gObscured; }
