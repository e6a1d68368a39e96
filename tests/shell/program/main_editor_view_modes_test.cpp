// The view modes of the real program's editor panes, switched as a user does: a view key
// ('K', the controller lane) and the view-mode pop-up of the pane header's mode field, whose
// current row lies under the pointer, so that a release some rows below chooses another mode.
#include <gtest/gtest.h>

#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

const char kSongFile[] = "/usr/share/planetblupi/music/music007.mid";

class MainEditorViewModes : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kSongFile, R_OK) != 0) GTEST_SKIP() << kSongFile << " (planetblupi-music-midi) is missing";
    std::string why;
    if (!x_.Start(&why)) GTEST_SKIP() << why;
    dumpFile_ = home_.File("state.txt");
    ASSERT_TRUE(program_.Start({kSongFile}, SessionEnvironment(x_, home_, dumpFile_), home_.File("errors.txt")));
    view_ = ParseEditorView(ViewUntil([](const EditorView& v) { return v.panes.front().track > 0; }));
    ASSERT_TRUE(view_.valid) << Errors();
    ASSERT_TRUE(x_.FindProgramWindow(kScreenWidth, kScreenHeight));
    Click((view_.window.right - view_.window.left) / 2, -6);  // the editor to the front
    view_ = WaitForDrawnView(x_, program_, dumpFile_);
    ASSERT_TRUE(view_.valid);
  }
  void TearDown() override { program_.Terminate(); }

  std::string Errors() const { return zarin_test::ReadWholeFile(home_.File("errors.txt")); }
  template <typename Pred>
  std::string ViewUntil(Pred pred, double seconds = 15) {
    return DumpUntil(
        program_, dumpFile_,
        [&](const std::string& d) {
          EditorView v = ParseEditorView(d);
          return v.valid && pred(v);
        },
        seconds);
  }
  int ModeOfFirstPane(double seconds, int wanted) {
    EditorView v = ParseEditorView(ViewUntil([&](const EditorView& w) { return w.panes.front().viewMode == wanted; }, seconds));
    return v.valid ? v.panes.front().viewMode : -1;
  }
  void Click(int x, int y) {
    x_.Drag(view_.window.left + x, view_.window.top + y, view_.window.left + x, view_.window.top + y);
  }
  // The first pane's mode field; the pop-up's row height and margin.
  std::vector<int> Field() {
    std::string dump = program_.Dump(dumpFile_);
    std::vector<std::string> lines = DumpLines(dump, "viewmodefield");
    std::vector<int> f(4);
    if (lines.empty() || sscanf(lines.front().c_str(), "%*d %d %d %d %d", &f[0], &f[1], &f[2], &f[3]) != 4) return {};
    return f;
  }
  // Polls until the pop-up has been laid out once (0 when it never was).
  int PopUpRowHeight() {
    for (int tries = 0; tries < 30; ++tries) {
      std::vector<std::string> lines = DumpLines(program_.Dump(dumpFile_), "popuprows");
      int height = 0, margin = 0;
      if (!lines.empty() && sscanf(lines.front().c_str(), "%d %d", &height, &margin) == 2 && height > 0) return height;
      usleep(200000);
    }
    return 0;
  }
  // Press on the mode field and release `rows` rows below the current mode's row.
  void ChooseRowsBelow(const std::vector<int>& f, int rows, int height) {
    int x = f[0] + 8;
    x_.Drag(view_.window.left + x, view_.window.top + f[1] + 3, view_.window.left + x + 4,
            view_.window.top + f[1] + rows * height + height / 2, {}, 1.0);
  }

  XServer x_;
  zarin_test::TempFolder home_;
  std::string dumpFile_;
  Program program_;
  EditorView view_;
};

TEST_F(MainEditorViewModes, AViewKeySwitchesThePaneAndTheModeFieldOpensThePopUp) {
  ASSERT_EQ(0, view_.panes.front().viewMode);
  x_.Chord({}, "k");
  ASSERT_EQ(3, ModeOfFirstPane(10, 3)) << "'K' shows the controller lane" << Errors();
  std::vector<int> field = Field();
  ASSERT_EQ(4u, field.size());
  ASSERT_LT(field[0], field[2]);
  // A press and release on the current row keeps the mode and lays the pop-up out.
  ChooseRowsBelow(field, 0, 1);
  ASSERT_GT(PopUpRowHeight(), 0) << "the pop-up showed";
  EXPECT_EQ(3, ModeOfFirstPane(3, 3));
  x_.Chord({}, "n");
  EXPECT_EQ(0, ModeOfFirstPane(10, 0));
}

// The note view's pop-up lists Notes, Drums, Drum Map, Pitch Bend, Controller, Velocity...: a
// release five rows below the current one chooses the velocity lane.
TEST_F(MainEditorViewModes, ReleasingOnAnotherRowOfThePopUpChoosesThatMode) {
  ASSERT_EQ(0, view_.panes.front().viewMode);
  std::vector<int> field = Field();
  ASSERT_EQ(4u, field.size());
  ChooseRowsBelow(field, 0, 1);  // lays the pop-up out once: its row height
  int height = PopUpRowHeight();
  ASSERT_GT(height, 0);
  ASSERT_EQ(0, ModeOfFirstPane(3, 0));
  ChooseRowsBelow(field, 5, height);
  EXPECT_EQ(4, ModeOfFirstPane(10, 4)) << "the velocity lane" << Errors();
}

}  // namespace
