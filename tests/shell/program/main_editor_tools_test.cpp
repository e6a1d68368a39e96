// The main editor's mouse tools in the real program, driven as a user drives them (keys and
// clicks on the tool bar, clicks and drags in the pane) and checked on the screen and in the
// state dump: a command-click selects a note, which then shows hollow; the pencil draws a
// note of the note value whose start lies on the grid, and erases a note it is clicked on;
// the rubber band selects the notes inside it. One Undo takes each of them back.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

const char kSongFile[] = "/usr/share/planetblupi/music/music007.mid";
const std::vector<std::string> kCommand{"Control_L"};
constexpr int kPencilTool = 1;
constexpr int kRubberBandTool = 3;
constexpr int kToolCell = 26;
constexpr int kToolTopRow = 14;

class MainEditorTools : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kSongFile, R_OK) != 0) GTEST_SKIP() << kSongFile << " (planetblupi-music-midi) is missing";
    std::string why;
    if (!x_.Start(&why)) GTEST_SKIP() << why;
    dumpFile_ = home_.File("state.txt");
    ASSERT_TRUE(program_.Start({kSongFile}, SessionEnvironment(x_, home_, dumpFile_), home_.File("errors.txt")));
    std::string dump = DumpUntil([](const EditorView& v) { return v.panes.front().track > 0 && !v.shown.empty(); });
    view_ = ParseEditorView(dump);
    ASSERT_TRUE(view_.valid && !view_.shown.empty()) << dump << Errors();
    ASSERT_TRUE(x_.FindProgramWindow(kScreenWidth, kScreenHeight));
    // The editor to the front by its title bar.
    Click((view_.window.right - view_.window.left) / 2, -6);
    ASSERT_TRUE(DumpUntilRaw(PaneActive)) << "the editor came to the front";
    view_ = WaitForDrawnView(x_, program_, dumpFile_);
    ASSERT_TRUE(view_.valid) << "the editor shows no notes where the dump puts them";
    pane_ = view_.panes.front();
  }
  void TearDown() override { program_.Terminate(); }

  static bool PaneActive(const std::string& dump) {
    std::vector<std::string> panes = DumpLines(dump, "pane");
    int index = -1, top = 0, visible = 0, active = 0;
    return !panes.empty() && sscanf(panes.front().c_str(), "%d %d %d %d", &index, &top, &visible, &active) == 4 &&
           active == 1;
  }
  std::string Errors() const { return zarin_test::ReadWholeFile(home_.File("errors.txt")); }
  template <typename Pred>
  std::string DumpUntil(Pred pred, double seconds = 15) {
    return program_test::DumpUntil(
        program_, dumpFile_,
        [&](const std::string& d) {
          EditorView v = ParseEditorView(d);
          return v.valid && pred(v);
        },
        seconds);
  }
  template <typename Pred>
  bool DumpUntilRaw(Pred pred) {
    return pred(program_test::DumpUntil(program_, dumpFile_, pred, 10));
  }
  // A press and release at a point of the editor window.
  void Click(int x, int y, const std::vector<std::string>& modifiers = {}) {
    x_.Drag(view_.window.left + x, view_.window.top + y, view_.window.left + x, view_.window.top + y, modifiers);
  }
  void DragInEditor(int x1, int y1, int x2, int y2) {
    x_.Drag(view_.window.left + x1, view_.window.top + y1, view_.window.left + x2, view_.window.top + y2);
  }
  void Undo() { x_.Chord(kCommand, "z"); }
  // The tool bar's bottom row: cell 0 the arrow, 1 the pencil, 2 the rubber band.
  void ClickToolCell(int cell) {
    Click(view_.toolbarLeft + cell * kToolCell + kToolCell / 2, view_.toolbarTop + kToolTopRow + 10);
  }

  Box BoxOf(const ShownNote& n) const { return NoteBox(view_, pane_, n.tick, n.duration, n.pitch); }
  // The box holds the point, or lies within `margin` pixels of it.
  bool AnyNoteNear(const EditorView& v, int x, int y, int margin) const {
    for (const ShownNote& n : v.shown) {
      Box b = NoteBox(v, pane_, n.tick, n.duration, n.pitch);
      if (x >= b.left - margin && x < b.right + margin && y >= b.top - margin && y < b.bottom + margin) return true;
    }
    return false;
  }
  bool InArea(const Box& b, int margin) const {
    Box area = EventArea(view_, pane_);
    return b.left >= area.left + margin && b.right <= area.right - margin && b.top >= area.top + margin &&
           b.bottom <= area.bottom - margin;
  }
  // A note at least 6 pixels wide, well inside the pane, with no other note near it.
  ShownNote IsolatedNote() const {
    for (const ShownNote& n : view_.shown) {
      Box b = BoxOf(n);
      if (b.right - b.left < 6 || !InArea(b, 8)) continue;
      bool alone = true;
      for (const ShownNote& o : view_.shown) {
        Box c = BoxOf(o);
        if (&o != &n && c.left < b.right + 3 && c.right > b.left - 3 && c.top < b.bottom + 2 && c.bottom > b.top - 2)
          alone = false;
      }
      if (alone) return n;
    }
    return ShownNote{};
  }
  // A point of empty grid at or right of fromX: the top of a row no note comes near.
  bool FindEmptyPoint(int fromX, int* x, int* y) const {
    Box area = EventArea(view_, pane_);
    for (*x = fromX; *x < area.right - 10; *x += 3)
      for (int pitch = 127; pitch >= 0; --pitch) {
        *y = RowTop(view_, pane_, pitch) + 1;
        if (*y > area.top + 6 && *y < area.bottom - 6 && !AnyNoteNear(view_, *x, *y, 4)) return true;
      }
    return false;
  }
  static int Count(const EditorView& v) { return int(v.shown.size()); }
  static bool Has(const EditorView& v, const ShownNote& n) {
    return std::any_of(v.shown.begin(), v.shown.end(),
                       [&](const ShownNote& s) { return s.tick == n.tick && s.pitch == n.pitch; });
  }

  XServer x_;
  zarin_test::TempFolder home_;
  std::string dumpFile_;
  Program program_;
  EditorView view_;
  EditorPaneView pane_;
};

TEST_F(MainEditorTools, ACommandClickSelectsANoteThatThenShowsHollowAndUndoPutsItBack) {
  ShownNote note = IsolatedNote();
  ASSERT_GT(note.tick, 0) << "no isolated note in view";
  Box b = BoxOf(note);
  int cx = (b.left + b.right) / 2, cy = b.top + 1;
  uint32_t colour = EditorPicture(x_, view_).At(b.left, cy);
  ASSERT_EQ(colour, EditorPicture(x_, view_).At(cx, cy)) << "the note is drawn filled";
  // A plain click on empty grid selects the pane (and with it its track).
  int ex = 0, ey = 0;
  ASSERT_TRUE(FindEmptyPoint(b.right + 40, &ex, &ey));
  Click(ex, ey);
  Click(cx, cy, kCommand);
  EditorView v = ParseEditorView(DumpUntil([](const EditorView& w) { return w.selectedCount == 1; }));
  ASSERT_EQ(1, v.selectedCount) << Errors();
  ASSERT_EQ(1u, v.selected.size());
  EXPECT_EQ(note.tick, v.selected.front().tick);
  EXPECT_EQ(note.pitch, v.selected.front().pitch);
  // Selected: framed and hollow.
  bool hollow = false;
  for (double waited = 0; waited < 10 && !hollow; waited += 0.3) {
    EditorPicture picture(x_, view_);
    hollow = picture.At(b.left, cy) == colour && picture.At(cx, cy) != colour;
    if (!hollow) usleep(300000);
  }
  EXPECT_TRUE(hollow) << "the selected note is not drawn hollow";

  Undo();
  v = ParseEditorView(DumpUntil([](const EditorView& w) { return w.selectedCount == 0; }));
  EXPECT_EQ(0, v.selectedCount);
  bool filled = false;
  for (double waited = 0; waited < 10 && !filled; waited += 0.3) {
    filled = EditorPicture(x_, view_).At(cx, cy) == colour;
    if (!filled) usleep(300000);
  }
  EXPECT_TRUE(filled) << "after Undo the note is drawn filled again";
}

TEST_F(MainEditorTools, ThePencilDrawsANoteOfTheNoteValueOnTheGridAndUndoTakesItAway) {
  x_.Chord({}, "w");  // the pencil's key
  ASSERT_EQ(kPencilTool, ParseEditorView(DumpUntil([](const EditorView& v) { return v.tool == kPencilTool; })).tool);
  int grid = view_.snapGrid;
  ASSERT_GT(grid, 0);
  // Two thirds of a grid step past a grid line: the nearest line is the next one.
  int x = 0, y = 0;
  ASSERT_TRUE(FindEmptyPoint(view_.originX + 120, &x, &y));
  int64_t line = 1 + (XTick(view_, x) - 1) / grid * grid;
  x = TickX(view_, line + grid * 2 / 3);
  int pitch = PitchAt(view_, pane_, y);
  int before = Count(view_);
  Click(x, y);
  EditorView v = ParseEditorView(DumpUntil([&](const EditorView& w) { return Count(w) == before + 1; }));
  ASSERT_EQ(before + 1, Count(v)) << Errors();
  auto added = std::find_if(v.shown.begin(), v.shown.end(), [&](const ShownNote& n) { return !Has(view_, n); });
  ASSERT_NE(added, v.shown.end());
  const ShownNote drawnNote = *added;  // v is read again below
  EXPECT_EQ(line + grid, added->tick) << "the start snapped to the nearest grid line";
  EXPECT_EQ(pitch, added->pitch);
  EXPECT_EQ(v.noteValue, added->duration) << "the note value's length";
  // On the screen: a channel's note colour from its first pixel to its last, not beyond.
  Box b = BoxOf(*added);
  bool drawn = false;
  for (double waited = 0; waited < 10 && !drawn; waited += 0.3) {
    EditorPicture picture(x_, view_);
    uint32_t c = picture.At(b.left, b.top + 1);
    drawn = c == picture.At(b.right - 1, b.top + 1) && c != picture.At(b.right, b.top + 1) &&
            std::find(std::begin(v.colours), std::end(v.colours), c) != std::end(v.colours);
    if (!drawn) usleep(300000);
  }
  EditorPicture picture(x_, view_);
  EXPECT_TRUE(drawn) << "the new note is not drawn where it lies: " << std::hex << picture.At(b.left, b.top + 1)
                     << " " << picture.At(b.right - 1, b.top + 1) << " " << picture.At(b.right, b.top + 1) << std::dec
                     << " box " << b.left << " " << b.top << " " << b.right << " " << b.bottom;

  Undo();
  v = ParseEditorView(DumpUntil([&](const EditorView& w) { return Count(w) == before; }));
  EXPECT_EQ(before, Count(v));
  EXPECT_FALSE(Has(v, drawnNote));
}

TEST_F(MainEditorTools, ThePencilErasesTheNoteItClicksAndUndoPutsItBack) {
  ShownNote note = IsolatedNote();
  ASSERT_GT(note.tick, 0) << "no isolated note in view";
  x_.Chord({}, "w");
  ASSERT_EQ(kPencilTool, ParseEditorView(DumpUntil([](const EditorView& v) { return v.tool == kPencilTool; })).tool);
  Box b = BoxOf(note);
  int before = Count(view_);
  Click((b.left + b.right) / 2, b.top + 1);
  EditorView v = ParseEditorView(DumpUntil([&](const EditorView& w) { return Count(w) == before - 1; }));
  ASSERT_EQ(before - 1, Count(v)) << Errors();
  EXPECT_FALSE(Has(v, note));
  Undo();
  v = ParseEditorView(DumpUntil([&](const EditorView& w) { return Count(w) == before; }));
  EXPECT_EQ(before, Count(v));
  EXPECT_TRUE(Has(v, note));
}

TEST_F(MainEditorTools, TheRubberBandSelectsTheNotesInsideItAndUndoClearsThem) {
  ClickToolCell(2);
  ASSERT_EQ(kRubberBandTool,
            ParseEditorView(DumpUntil([](const EditorView& v) { return v.tool == kRubberBandTool; })).tool);
  // Over some bars from the left, across rows inside the highest and lowest notes there, so
  // that some notes lie inside the band and some outside; it starts on empty grid.
  int high = -1, low = 128;
  for (const ShownNote& n : view_.shown)
    if (n.tick < XTick(view_, view_.originX + 250)) high = std::max(high, n.pitch), low = std::min(low, n.pitch);
  int top = high - 3, bottom = low + 3;
  ASSERT_LT(bottom, top) << "too few rows of notes in view";
  int y1 = RowTop(view_, pane_, top) + 1, y2 = RowTop(view_, pane_, bottom) + 1;
  int x1 = view_.originX + 3;
  while (AnyNoteNear(view_, x1, y1, 2) && x1 < view_.originX + 100) ++x1;
  ASSERT_FALSE(AnyNoteNear(view_, x1, y1, 2)) << "the band starts on empty grid";
  int x2 = x1 + 200;
  int64_t from = XTick(view_, x1), to = XTick(view_, x2);
  std::vector<ShownNote> inside;
  for (const ShownNote& n : view_.shown)
    if (n.tick >= from && n.tick < to && n.pitch >= bottom && n.pitch <= top) inside.push_back(n);
  ASSERT_GE(inside.size(), 3u);
  ASSERT_LT(inside.size(), view_.shown.size());

  DragInEditor(x1, y1, x2, y2);
  size_t wanted = inside.size();
  EditorView v = ParseEditorView(DumpUntil([&](const EditorView& w) { return w.selectedCount == int(wanted); }));
  ASSERT_EQ(int(wanted), v.selectedCount) << Errors();
  for (const ShownNote& n : v.selected)
    EXPECT_TRUE(std::any_of(inside.begin(), inside.end(),
                            [&](const ShownNote& i) { return i.tick == n.tick && i.pitch == n.pitch; }))
        << "tick " << n.tick << " pitch " << n.pitch << " selected outside the band";
  // The wide ones show hollow.
  bool hollow = false;
  for (double waited = 0; waited < 10 && !hollow; waited += 0.3) {
    EditorPicture picture(x_, view_);
    hollow = true;
    for (const ShownNote& n : inside) {
      Box b = BoxOf(n);
      if (b.right - b.left >= 5 && picture.At((b.left + b.right) / 2, b.top + 1) == picture.At(b.left, b.top + 1))
        hollow = false;
    }
    if (!hollow) usleep(300000);
  }
  EXPECT_TRUE(hollow) << "selected notes drawn filled";

  Undo();
  v = ParseEditorView(DumpUntil([](const EditorView& w) { return w.selectedCount == 0; }));
  EXPECT_EQ(0, v.selectedCount);
}

// A drag along the ruler selects whole beats over the pane (at this zoom a beat's lines lie
// far enough apart): the start goes down to its beat, the end up to the next one; every pitch.
TEST_F(MainEditorTools, TheToolBarShowsItsPictureAtItsOwnWidthWithTheToolButtonsOnIt) {
  const uint32_t kToolbarFace = 0xECEFF2;  // the picture's top band, resources/editor_toolbar.r
  const int kPictureWidth = 520;
  EditorPicture picture(x_, view_);
  ASSERT_FALSE(picture.empty());
  // Beside the fields, where nothing is drawn over it, and not stretched past its width.
  EXPECT_EQ(kToolbarFace, picture.At(view_.toolbarLeft + 280, view_.toolbarTop + 2)) << std::hex
      << picture.At(view_.toolbarLeft + 280, view_.toolbarTop + 2);
  if (view_.window.right - view_.window.left > view_.toolbarLeft + kPictureWidth + 10)
    EXPECT_NE(kToolbarFace, picture.At(view_.toolbarLeft + kPictureWidth + 5, view_.toolbarTop + 2));
  // The arrow tool's button (bottom row, first cell) is framed in black over the picture.
  EXPECT_EQ(0x000000u, picture.At(view_.toolbarLeft + 1, view_.toolbarTop + kToolTopRow + 10) & 0xFFFFFF);
}

TEST_F(MainEditorTools, ADragInTheRulerSelectsWholeBeats) {
  ASSERT_GT(view_.ruler.bottom, view_.ruler.top) << "the ruler";
  int beat = view_.ticksPerQuarter;  // the song is in 4/4
  int64_t firstBeat = 1 + 2 * int64_t(beat), lastBeat = 1 + 5 * int64_t(beat);
  int x1 = TickX(view_, firstBeat + beat / 3), x2 = TickX(view_, lastBeat + beat / 2);
  ASSERT_LT(x2, view_.ruler.right);
  int y = (view_.ruler.top + view_.ruler.bottom) / 2;
  DragInEditor(x1, y, x2, y);
  EditorView v = ParseEditorView(DumpUntil([&](const EditorView& w) { return w.selectionStart == firstBeat; }));
  EXPECT_EQ(firstBeat, v.selectionStart) << Errors();
  EXPECT_EQ(lastBeat + beat, v.selectionEnd);
  EXPECT_EQ(0, v.lowPitch);
  EXPECT_EQ(127, v.highPitch);
}

}  // namespace
