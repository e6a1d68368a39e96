// The tool bar's zoom buttons in the real program: with a time selection made in the ruler,
// each click steps the timeline's level by one, and the selection start keeps its place on the
// screen (the left edge on the nearer bar line, within half a bar) unless the view reaches
// the song's start.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

const char kSongFile[] = "/usr/share/planetblupi/music/music007.mid";
// The zoom-out and zoom-in buttons in the tool bar's top row, from its left edge.
constexpr int kZoomOutMiddle = 117;
constexpr int kZoomInMiddle = 143;
constexpr int kTopRowMiddle = 6;

class MainEditorZoom : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kSongFile, R_OK) != 0) GTEST_SKIP() << kSongFile << " (planetblupi-music-midi) is missing";
    std::string why;
    if (!x_.Start(&why)) GTEST_SKIP() << why;
    dumpFile_ = home_.File("state.txt");
    ASSERT_TRUE(program_.Start({kSongFile}, SessionEnvironment(x_, home_, dumpFile_), home_.File("errors.txt")));
    ASSERT_TRUE(x_.FindProgramWindow(kScreenWidth, kScreenHeight));
    view_ = WaitForDrawnView(x_, program_, dumpFile_);
    ASSERT_TRUE(view_.valid) << "the editor shows no notes where the dump puts them";
    Click((view_.window.right - view_.window.left) / 2, -6);  // the editor to the front
  }
  void TearDown() override { program_.Terminate(); }

  void Click(int x, int y) {
    x_.Drag(view_.window.left + x, view_.window.top + y, view_.window.left + x, view_.window.top + y);
  }
  EditorView DumpUntilZoom(int zoom) {
    return ParseEditorView(DumpUntil(program_, dumpFile_, [&](const std::string& d) {
      EditorView v = ParseEditorView(d);
      return v.valid && v.zoom == zoom;
    }));
  }
  int HalfBarPixels(const EditorView& v) const { return ((v.ticksPerQuarter * 4 / 2) >> v.zoom) + 1; }

  program_test::XServer x_;
  program_test::Program program_;
  zarin_test::TempFolder home_;
  std::string dumpFile_;
  EditorView view_;
};

TEST_F(MainEditorZoom, TheButtonsStepTheLevelAndKeepTheSelectionStartInPlace) {
  int y = (view_.ruler.top + view_.ruler.bottom) / 2;
  x_.Drag(view_.window.left + view_.originX + 180, view_.window.top + y, view_.window.left + view_.originX + 260,
          view_.window.top + y);
  EditorView v = ParseEditorView(DumpUntil(program_, dumpFile_, [&](const std::string& d) {
    EditorView w = ParseEditorView(d);
    return w.valid && w.selectionStart > view_.leftTick;
  }));
  ASSERT_GT(v.selectionStart, v.leftTick) << "the ruler drag made no selection";
  for (int step : {-1, -1, 1, 1, 1}) {
    SCOPED_TRACE(testing::Message() << "from level " << v.zoom << " step " << step);
    int oldX = TickX(v, v.selectionStart);
    ASSERT_GT(oldX, v.originX);
    Click(v.toolbarLeft + (step < 0 ? kZoomInMiddle : kZoomOutMiddle), v.toolbarTop + kTopRowMiddle);
    EditorView next = DumpUntilZoom(v.zoom + step);
    ASSERT_EQ(next.zoom, v.zoom + step);
    EXPECT_EQ(next.selectionStart, v.selectionStart);
    int newX = TickX(next, next.selectionStart);
    // Near the song's start the left edge stops at tick 1 and the start moves left instead.
    if (step < 0 || next.leftTick > 1) EXPECT_LE(std::abs(newX - oldX), HalfBarPixels(next)) << "x " << oldX << " -> " << newX;
    else EXPECT_LE(newX, oldX);
    EXPECT_GE(newX, next.originX);
    v = next;
  }
}

}  // namespace
