// Draws through every primitive, transfer mode and text style into a GWorld and onto the
// screen, and saves the screen as PNG (to $ZARIN_QD_TOUR_PNG too, when set, for a look).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text/cf_string.h"
#include "tests/platform/quickdraw/pict_builder.h"
#include "tests/platform/quickdraw/qd_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace qd_test;

void Label(short h, short v, const char* text) {
  unsigned char s[256];
  s[0] = static_cast<unsigned char>(std::strlen(text));
  std::memcpy(s + 1, text, s[0]);
  TextFont(3);
  TextSize(10);
  TextFace(normal);
  MoveTo(h, v);
  DrawString(s);
}

// One 100x80 cell per primitive, in rows of six.
void DrawPrimitives() {
  const short kCell = 100;
  auto cell = [&](int i) {
    short h = short(10 + (i % 6) * kCell), v = short(10 + (i / 6) * 90);
    return Rect{v, h, short(v + 60), short(h + 80)};
  };
  int i = 0;
  Rect r = cell(i++);
  PenSize(2, 2);
  FrameRect(&r);
  SetFore(kRed);
  r = cell(i++);
  PaintRect(&r);
  SetFore(kBlack);
  r = cell(i++);
  FillRect(&r, &qd.gray);
  r = cell(i++);
  FrameRoundRect(&r, 24, 24);
  SetFore(kBlue);
  r = cell(i++);
  PaintOval(&r);
  SetFore(kBlack);
  r = cell(i++);
  FrameOval(&r);
  SetFore(0x008000);
  r = cell(i++);
  PaintArc(&r, 30, 120);
  SetFore(kBlack);
  r = cell(i++);
  FrameArc(&r, 200, 270);
  r = cell(i++);
  PolyHandle poly = OpenPoly();
  MoveTo(r.left, r.bottom);
  LineTo(short((r.left + r.right) / 2), r.top);
  LineTo(r.right, r.bottom);
  LineTo(r.left, short(r.top + 20));
  LineTo(r.right, short(r.top + 20));
  LineTo(r.left, r.bottom);
  ClosePoly();
  SetFore(0x8000C0);
  PaintPoly(poly);
  KillPoly(poly);
  SetFore(kBlack);
  r = cell(i++);
  RgnHandle a = NewRgn(), b = NewRgn();
  SetRectRgn(a, r.left, r.top, short(r.left + 50), short(r.top + 40));
  SetRectRgn(b, short(r.left + 30), short(r.top + 20), r.right, r.bottom);
  XorRgn(a, b, a);
  FillRgn(a, &qd.dkGray);
  FrameRgn(a);
  DisposeRgn(a);
  DisposeRgn(b);
  r = cell(i++);
  PenSize(1, 1);
  for (short k = 0; k <= 80; k += 10) {
    MoveTo(r.left, r.top);
    LineTo(short(r.left + k), r.bottom);
  }
  r = cell(i++);
  RGBColor orange = Rgb(0xFF8800);
  PixPatHandle pp = NewPixPatFromRGB(&orange);
  FillCRoundRect(&r, 30, 30, pp);
  DisposePixPat(pp);
}

// The pattern modes over a striped background: one swatch per mode.
void DrawModes(short top) {
  const short modes[] = {patCopy, patOr, patXor, patBic, notPatCopy, notPatOr, notPatXor, notPatBic,
                         hilite};
  for (int m = 0; m < 9; ++m) {
    Rect r{top, short(10 + m * 66), short(top + 50), short(10 + m * 66 + 60)};
    SetFore(0x00A0A0);
    PenMode(patCopy);
    Rect left = r;
    left.right = short(r.left + 30);
    PaintRect(&left);
    SetFore(kRed);
    SetBack(kWhite);
    PenMode(modes[m]);
    PenPat(&qd.ltGray);
    Rect band{short(r.top + 10), r.left, short(r.bottom - 10), r.right};
    PaintRect(&band);
    PenNormal();
    SetFore(kBlack);
  }
}

void DrawTextSamples(short top) {
  struct Sample {
    short font, size;
    Style face;
    const char* text;
  };
  const Sample samples[] = {
      {3, 12, normal, "Geneva 12: The quick brown fox"}, {4, 10, normal, "Monaco 10: 0123456789 |||"},
      {21, 14, bold, "Helvetica 14 bold"},                {20, 14, italic, "Times 14 italic"},
      {22, 12, underline, "Courier 12 underlined"},       {0, 13, condense, "System 13 condensed"},
  };
  short v = top;
  for (const Sample& s : samples) {
    unsigned char p[256];
    p[0] = static_cast<unsigned char>(std::strlen(s.text));
    std::memcpy(p + 1, s.text, p[0]);
    TextFont(s.font);
    TextSize(s.size);
    TextFace(s.face);
    MoveTo(10, v);
    DrawString(p);
    v = short(v + 22);
  }
  TextFace(normal);
  CFStringRef theme = CFStringCreateWithUTF8("Theme text in a box, wrapped to its width at word boundaries.");
  Rect box{top, 330, short(top + 80), 520};
  FrameRect(&box);
  DrawThemeTextBox(theme, kThemeSmallSystemFont, kThemeStateActive, true, &box, teCenter, nullptr);
  Rect one{short(top + 90), 330, short(top + 110), 450};
  DrawThemeTextBox(theme, kThemeSystemFont, kThemeStateInactive, false, &one, teFlushLeft, nullptr);
  CFRelease(theme);
}

TEST(Tour, EveryPrimitiveOnTheScreen) {
  zarin_test::ScopedEnv size("ZARIN_SCREEN", "1280x800");
  ShutdownScreen();
  CGrafPtr screen = GetScreenPort();
  SetPort(screen);
  // The menu bar.
  Rect bar{0, 0, 20, 1280};
  SetBack(kWhite);
  EraseRect(&bar);
  Label(12, 15, "File  Edit  Track  Window");

  // Everything into an offscreen world, then onto the screen.
  {
    ScopedGWorld world(Rect{0, 0, 560, 620});
    DrawPrimitives();
    DrawModes(200);
    DrawTextSamples(290);
    PictBuilder p(Rect{0, 0, 40, 40});
    p.Op(0x1A).U16(0).U16(0).U16(0xFFFF);
    p.Op(0x51).R(0, 0, 40, 40);
    p.Op(0x30).R(0, 0, 40, 40);
    std::string pict = p.Finish();
    Rect dst{480, 540, 540, 600};
    EXPECT_EQ(DrawPictureBytes(pict.data(), pict.size(), &dst), noErr);
    std::string icon = MakeCIcon(4, 2, {0xFFFFFF, 0xFF0000, 0x0000FF, 0x00FF00}, {1, 2, 1, 2, 3, 3, 3, 3},
                                 {0xF0, 0xF0});
    CIconHandle ci = DecodeCIcon(icon.data(), icon.size());
    Rect iconRect{480, 460, 512, 524};
    PlotCIcon(&iconRect, ci);
    DisposeCIcon(ci);
    SetPort(screen);
    Rect src{0, 0, 560, 620}, onScreen{40, 60, 600, 680};
    SetFore(kBlack);
    SetBack(kWhite);
    CopyBits(GetPortBitMapForCopyBits(world.get()), GetPortBitMapForCopyBits(screen), &src, &onScreen,
             srcCopy, nullptr);
    // A half-size copy beside it.
    Rect small{40, 700, 320, 1010};
    CopyBits(GetPortBitMapForCopyBits(world.get()), GetPortBitMapForCopyBits(screen), &src, &small,
             srcCopy, nullptr);
  }
  // Straight onto the screen: an inverted and a highlighted strip over the copy.
  Rect inv{620, 700, 660, 1010};
  InvertRect(&inv);
  LMSetHiliteMode(LMGetHiliteMode() & 127);
  Rect hil{670, 700, 700, 1010};
  InvertRect(&hil);

  zarin_test::TempFolder folder;
  std::string path = folder.File("tour.png");
  ASSERT_EQ(SaveScreenToPNG(path.c_str()), noErr);
  if (const char* keep = std::getenv("ZARIN_QD_TOUR_PNG")) {
    EXPECT_EQ(SaveScreenToPNG(keep), noErr);
  }

  SetPort(screen);
  EXPECT_EQ(PixelAt(5, 5), kWhite);                       // menu bar
  EXPECT_EQ(PixelAt(60 + 110 + 40, 40 + 10 + 30), kRed);  // the red cell, copied
  EXPECT_EQ(PixelAt(700 + 55 + 20, 40 + 5 + 15), kRed);   // and at half size
  EXPECT_EQ(PixelAt(60 + 410 + 40, 40 + 10 + 30), kBlue); // the oval's centre
  ShutdownScreen();
}

}  // namespace
