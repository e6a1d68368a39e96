#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory.h"
#include "tests/platform/quickdraw/pict_builder.h"
#include "tests/platform/quickdraw/qd_test_support.h"

namespace {

using namespace qd_test;

void RGBOp(PictBuilder& p, unsigned op, uint32_t rgb) {
  p.Op(op).U16(((rgb >> 16) & 0xFF) * 257).U16(((rgb >> 8) & 0xFF) * 257).U16((rgb & 0xFF) * 257);
}

// Shapes, a line, text, clipping and three bit images in a 100x100 frame.
std::string SamplePicture() {
  PictBuilder p(Rect{0, 0, 100, 100});
  RGBOp(p, 0x1A, kRed);
  p.Op(0x31).R(10, 10, 30, 30);  // paintRect
  RGBOp(p, 0x1A, kGreen);
  p.Op(0x51).R(40, 40, 60, 60);  // paintOval
  RGBOp(p, 0x1A, kBlue);
  p.Op(0x07).P(3, 3);                        // pnSize
  p.Op(0x20).P(10, 50).P(10, 90);            // line
  p.Op(0x03).U16(4);                         // txFont Monaco
  p.Op(0x0D).U16(12);                        // txSize
  p.Op(0x28).P(95, 5).U8(2).Raw("Hi");       // longText
  // An 8-bit indexed image, 4x2, rows unpacked (rowBytes < 8).
  p.Op(0x98).U16(0x8000 | 4).R(0, 0, 2, 4);
  PixMapTail(p.Data(), 0, 8, 1, 8);
  ColorTable(p.Data(), {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF});
  p.Data().R(0, 0, 2, 4).R(60, 10, 62, 14).U16(srcCopy);
  p.Data().U8(1).U8(1).U8(2).U8(2).U8(3).U8(3).U8(0).U8(0);
  // An 8-bit image 8x1 with a packed row: 8 times colour 3 (blue).
  p.Op(0x98).U16(0x8000 | 8).R(0, 0, 1, 8);
  PixMapTail(p.Data(), 0, 8, 1, 8);
  ColorTable(p.Data(), {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF});
  p.Data().R(0, 0, 1, 8).R(64, 10, 65, 18).U16(srcCopy);
  p.Data().U8(2).U8(0xF9).U8(3);  // count, then "repeat 8 times" of 3
  // A 32-bit direct image 8x1, planar and packed: red plane 0xFF, green 0x80, blue 0x00.
  p.Op(0x9A).U32(0xFF).U16(0x8000 | 32).R(0, 0, 1, 8);
  PixMapTail(p.Data(), 4, 32, 3, 8);
  p.Data().R(0, 0, 1, 8).R(66, 10, 67, 18).U16(srcCopy);
  p.Data().U8(6).U8(0xF9).U8(0xFF).U8(0xF9).U8(0x80).U8(0xF9).U8(0x00);
  // Clip to the lower left corner, then paint black over the lower part.
  p.Op(0x01).U16(10).R(70, 0, 100, 50);
  RGBOp(p, 0x1A, kBlack);
  p.Op(0x31).R(70, 0, 100, 100);
  return p.Finish();
}

class Pictures : public ::testing::Test {
 protected:
  ScopedGWorld world_{Rect{0, 0, 200, 200}};
  OSErr Play(const std::string& bytes, Rect dst) {
    return DrawPictureBytes(bytes.data(), bytes.size(), &dst);
  }
};

TEST_F(Pictures, PlaysTheSupportedOpcodes) {
  ASSERT_EQ(Play(SamplePicture(), Rect{0, 0, 100, 100}), noErr);
  EXPECT_EQ(PixelAt(20, 20), kRed);
  EXPECT_EQ(PixelAt(50, 50), kGreen);
  EXPECT_EQ(PixelAt(40, 41), 0xFFFFFFu);  // outside the oval's curve
  EXPECT_EQ(CountColor(Rect{10, 50, 13, 91}, kBlue), 3 * 41);
  EXPECT_GT(CountPixels(Rect{82, 5, 100, 30}, [](uint32_t p) { return p != kWhite; }), 10);
  EXPECT_EQ(PixelAt(10, 60), kRed);
  EXPECT_EQ(PixelAt(12, 60), kGreen);
  EXPECT_EQ(PixelAt(10, 61), kBlue);
  EXPECT_EQ(PixelAt(13, 61), kWhite);
  EXPECT_EQ(CountColor(Rect{64, 10, 65, 18}, kBlue), 8);
  EXPECT_EQ(CountColor(Rect{66, 10, 67, 18}, 0xFF8000), 8);
  EXPECT_EQ(PixelAt(20, 80), kBlack);  // inside the picture's clip
  EXPECT_EQ(PixelAt(70, 80), kWhite);  // outside it
}

TEST_F(Pictures, ScalesToTheDestinationAndRestoresThePort) {
  RGBColor fg = Rgb(0x123456);
  RGBForeColor(&fg);
  PenSize(7, 7);
  ASSERT_EQ(Play(SamplePicture(), Rect{0, 0, 200, 200}), noErr);
  EXPECT_EQ(PixelAt(25, 25), kRed);
  EXPECT_EQ(PixelAt(55, 55), kRed);
  EXPECT_EQ(PixelAt(100, 100), kGreen);
  EXPECT_EQ(PixelAt(65, 65), kWhite);
  RGBColor now;
  GetForeColor(&now);
  EXPECT_EQ(now, fg);
  Point pen;
  GetPortPenSize(world_.get(), &pen);
  EXPECT_EQ(pen, (Point{7, 7}));
  RgnHandle clip = NewRgn();
  GetClip(clip);
  Rect cb;
  GetRegionBounds(clip, &cb);
  EXPECT_LT(cb.left, -1000);  // the wide-open clip is back
  DisposeRgn(clip);
}

TEST_F(Pictures, UnsupportedOpcodeStopsCleanly) {
  PictBuilder p(Rect{0, 0, 100, 100});
  p.Op(0x31).R(0, 0, 10, 10);
  p.Op(0x0012).U16(1);  // BkPixPat: not in the set
  p.Op(0x31).R(50, 50, 60, 60);
  EXPECT_EQ(Play(p.Finish(), Rect{0, 0, 100, 100}), unimpErr);
  EXPECT_EQ(QDError(), unimpErr);
  EXPECT_EQ(PixelAt(5, 5), kBlack);
  EXPECT_EQ(PixelAt(55, 55), kWhite);
}

// Each malformed picture is refused with paramErr; what came before the fault is drawn and
// nothing is read outside the bytes (the sanitizer build checks the reads).
TEST_F(Pictures, MalformedPicturesAreRefused) {
  auto base = [] {
    PictBuilder p(Rect{0, 0, 100, 100});
    p.Op(0x31).R(0, 0, 10, 10);
    return p;
  };
  std::vector<std::pair<std::string, std::string>> cases;
  {
    std::string s = base().Finish();
    cases.push_back({"cut inside the header", s.substr(0, 8)});
  }
  {
    PictBuilder p = base();
    p.Op(0x31).U16(5);
    std::string s = p.Data().str();
    cases.push_back({"rectangle cut short", s});
  }
  {
    PictBuilder p = base();
    p.Op(0x01).U16(400).R(0, 0, 10, 10);
    cases.push_back({"clip region longer than the picture", p.Finish()});
  }
  {
    PictBuilder p = base();
    p.Op(0x01).U16(14).R(0, 0, 10, 10).U16(0).U16(5);  // a scan line that never ends
    cases.push_back({"unterminated region", p.Finish()});
  }
  {
    PictBuilder p = base();
    p.Op(0x98).U16(0x8000 | 8).R(0, 0, 1, 8);
    PixMapTail(p.Data(), 0, 8, 1, 8);
    ColorTable(p.Data(), {0xFFFFFF, 0});
    p.Data().R(0, 0, 1, 8).R(0, 0, 1, 8).U16(0);
    p.Data().U8(200).U8(0xF9).U8(1);  // row byte count past the end
    cases.push_back({"packed row past the end", p.Finish()});
  }
  {
    PictBuilder p = base();
    p.Op(0x98).U16(0x8000 | 8).R(0, 0, 1, 8);
    PixMapTail(p.Data(), 0, 8, 1, 8);
    ColorTable(p.Data(), {0xFFFFFF, 0});
    p.Data().R(0, 0, 1, 8).R(0, 0, 1, 8).U16(0);
    p.Data().U8(2).U8(0x80 | 0x70).U8(1);  // unpacks to more than the row holds
    cases.push_back({"PackBits overflowing the row", p.Finish()});
  }
  {
    PictBuilder p = base();
    p.Op(0x98).U16(0x8000 | 0x3FFF).R(0, 0, 30000, 30000);
    PixMapTail(p.Data(), 0, 8, 1, 8);
    ColorTable(p.Data(), {0xFFFFFF, 0});
    p.Data().R(0, 0, 1, 8).R(0, 0, 1, 8).U16(0);
    cases.push_back({"huge image", p.Finish()});
  }
  {
    PictBuilder p = base();
    p.Op(0x98).U16(0x8000 | 8).R(0, 0, 1, 8);
    PixMapTail(p.Data(), 0, 8, 1, 8);
    p.Data().U32(0).U16(0).U16(300);  // colour table of 301 entries
    cases.push_back({"oversized colour table", p.Finish()});
  }
  {
    PictBuilder p = base();
    p.Op(0x28).P(10, 10).U8(200).Raw("short");
    cases.push_back({"text count past the end", p.Finish()});
  }
  {
    std::string s = base().Finish();
    s[11] = 0x03;  // the version opcode damaged
    cases.push_back({"bad version", s});
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].first);
    Rect all{0, 0, 200, 200};
    EraseRect(&all);
    EXPECT_EQ(Play(cases[i].second, Rect{0, 0, 100, 100}), paramErr);
    EXPECT_EQ(QDError(), paramErr);
    // Past the header, the rectangle before the fault was drawn.
    bool headerIntact = i != 0 && i != cases.size() - 1;
    EXPECT_EQ(PixelAt(5, 5), headerIntact ? kBlack : kWhite);
  }
}

TEST_F(Pictures, HandlesAndFrames) {
  std::string bytes = SamplePicture();
  PicHandle pic = nullptr;
  ASSERT_EQ(PtrToHand(bytes.data(), &pic, Size(bytes.size())), noErr);
  Rect frame;
  ASSERT_TRUE(GetPictureFrame(pic, &frame));
  EXPECT_EQ(frame, (Rect{0, 0, 100, 100}));
  DrawPicture(pic, &frame);
  EXPECT_EQ(QDError(), noErr);
  EXPECT_EQ(PixelAt(20, 20), kRed);
  KillPicture(pic);
  DrawPicture(pic, &frame);
  EXPECT_EQ(QDError(), paramErr);
  Handle tiny = NewHandle(4);
  EXPECT_FALSE(GetPictureFrame(tiny, &frame));
  DisposeHandle(tiny);
}

}  // namespace
