#include <gtest/gtest.h>

#include "shell/base/event_records.h"
#include "shell/drawing/scratch_rect.h"
#include "tests/shell/drawing/drawing_test_support.h"

namespace {

using namespace drawing_test;

TEST(ScratchRect, SetFromLeftTopWidthHeight) {
  SetScratchRect(10, 20, 30, 40);
  EXPECT_EQ(gScratchRect, (Rect{20, 10, 60, 40}));
  Rect r;
  SetRectFields(&r, 1, 2, 3, 4);
  EXPECT_EQ(r, (Rect{2, 1, 4, 3}));
  SetScratchRectFrom(&r);
  EXPECT_EQ(gScratchRect, r);
  SetScratchRect(10, 20, 30, 40);
  InsetScratchRect(5);
  EXPECT_EQ(gScratchRect, (Rect{25, 15, 55, 35}));
}

TEST(ScratchRect, MouseHitTestExcludesTheRightAndBottomEdges) {
  SetScratchRect(10, 20, 30, 40);
  struct Row {
    Point where;
    bool inside;
  } rows[] = {{{20, 10}, true}, {{59, 39}, true}, {{60, 20}, false}, {{30, 40}, false},
              {{19, 15}, false}};
  for (const Row& r : rows) {
    gLastMousePoint = r.where;
    EXPECT_EQ(IsMouseInScratchRect(), r.inside) << r.where.v << "," << r.where.h;
  }
}

TEST(ScratchRect, EraseFrameAndClip) {
  ScopedGWorld world(Rect{0, 0, 50, 50});
  Rect all{0, 0, 50, 50};
  PaintRect(&all);
  SetScratchRect(10, 10, 20, 20);
  EraseScratchRect();
  EXPECT_EQ(CountColor(all, kWhite), 400);
  EXPECT_EQ(PixelAt(9, 10), kBlack);
  EXPECT_EQ(PixelAt(29, 29), kWhite);

  EraseRect(&all);
  FrameScratchRect();
  EXPECT_EQ(CountColor(all, kBlack), 4 * 19);
  EXPECT_EQ(PixelAt(10, 10), kBlack);
  EXPECT_EQ(PixelAt(11, 11), kWhite);

  EraseRect(&all);
  ClipToScratchRect();
  PaintRect(&all);
  EXPECT_EQ(CountColor(all, kBlack), 400);
  ClipToPortBounds();
  PaintRect(&all);
  EXPECT_EQ(CountColor(all, kBlack), 2500);
}

}  // namespace
