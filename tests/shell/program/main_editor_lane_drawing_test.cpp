// Drawing in the data lanes of the real program, saved and read back: a pencil drag in the
// controller lane writes a rising run of controller events of the lane's controller and
// nothing outside the stroke; a command-drag draws the quarter-ellipse curve, after which the
// value in force before comes back, and Undo takes the curve back out of the saved document;
// a pencil stroke along the pitch-bend lane's centre writes exactly 8192.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/shell/program/saved_notes.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

const std::vector<std::string> kCommand{"Control_L"};
constexpr int kPencilTool = 1;
constexpr int kBendCentre = 8192;

int LaneToolOf(const std::string& dump) {
  std::vector<std::string> lines = DumpLines(dump, "tools");
  int note = -1, lane = -1;
  return !lines.empty() && sscanf(lines.front().c_str(), "%d %d", &note, &lane) == 2 ? lane : -1;
}

int EventValue(const EventKey& e, int kind) {
  return kind == 0xE0 ? std::get<2>(e) | (std::get<3>(e) << 7) : std::get<3>(e);
}

// The events of the kind (and, for controllers, of the controller) in [from, to] of the file.
std::vector<EventKey> EventsIn(const std::vector<EventKey>& all, int kind, int controller, long from, long to) {
  std::vector<EventKey> in;
  for (const EventKey& e : all)
    if (std::get<0>(e) >= from && std::get<0>(e) <= to && (kind != 0xB0 || std::get<2>(e) == controller))
      in.push_back(e);
  return in;
}

std::string Describe(const std::vector<EventKey>& events) {
  std::ostringstream s;
  for (const EventKey& e : events)
    s << std::get<0>(e) << ":" << std::hex << std::get<1>(e) << std::dec << "/" << std::get<2>(e) << "/"
      << std::get<3>(e) << " ";
  return s.str();
}

class MainEditorLaneDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!x_.Start(&why)) GTEST_SKIP() << why;
    dumpFile_ = home_.File("state.txt");
    document_ = home_.File("Lane Song");
    std::map<std::string, std::string> env = SessionEnvironment(x_, home_, dumpFile_);
    env["ZARIN_NAV_REPLY"] = document_;
    // Eight quarter notes: the pane shows the track over two bars.
    std::string song = WriteQuarterNotes(home_.File("notes.mid"), {60, 62, 64, 65, 67, 69, 71, 72},
                                         {90, 90, 90, 90, 90, 90, 90, 90});
    ASSERT_TRUE(program_.Start({song}, env, home_.File("errors.txt")));
    ASSERT_TRUE(x_.FindProgramWindow(kScreenWidth, kScreenHeight));
    view_ = WaitForDrawnView(x_, program_, dumpFile_);
    ASSERT_TRUE(view_.valid) << program_.Dump(dumpFile_) << Errors();
    int faceX = view_.window.left + view_.toolbarLeft + 280, faceY = view_.window.top + view_.toolbarTop + 2;
    x_.Drag(faceX, faceY, faceX, faceY);
    Save();
    ASSERT_TRUE(HasLine(program_.Dump(dumpFile_), "document", "Lane Song")) << Errors();
  }
  void TearDown() override { program_.Terminate(); }

  std::string Errors() const { return zarin_test::ReadWholeFile(home_.File("errors.txt")); }
  // The document saved (the first save answers the dialog with document_).
  void Save() {
    x_.Chord(kCommand, "s");
    DumpUntil(program_, dumpFile_, [](const std::string& d) {
      return HasLine(d, "modified", "0") && HasLine(d, "document", "Lane Song");
    });
    usleep(300000);
  }
  // The pane in a lane (its key), with the pencil as the lane tool; the lane's graph.
  LaneGraph ShowLane(const std::string& key, int viewMode) {
    x_.Chord({}, key);
    std::string dump = DumpUntil(program_, dumpFile_, [&](const std::string& d) {
      EditorView v = ParseEditorView(d);
      return v.valid && !v.panes.empty() && v.panes.front().viewMode == viewMode && ParseLaneGraph(d).valid;
    });
    view_ = ParseEditorView(dump);
    if (LaneToolOf(dump) != kPencilTool) {
      x_.Chord({}, "w");
      dump = DumpUntil(program_, dumpFile_, [](const std::string& d) { return LaneToolOf(d) == kPencilTool; });
    }
    EXPECT_EQ(kPencilTool, LaneToolOf(dump)) << dump;
    return ParseLaneGraph(dump);
  }
  void DragInWindow(int x1, int y1, int x2, int y2, const std::vector<std::string>& modifiers = {}) {
    x_.Drag(view_.window.left + x1, view_.window.top + y1, view_.window.left + x2, view_.window.top + y2, modifiers);
    DumpUntil(program_, dumpFile_, [](const std::string& d) { return HasLine(d, "modified", "1"); });
  }
  long TickAt(int x) const { return long(XTick(view_, x)); }
  std::vector<EventKey> Saved(int kind) { return DocumentEvents(document_, kind); }

  XServer x_;
  zarin_test::TempFolder home_;
  std::string dumpFile_, document_;
  Program program_;
  EditorView view_;
};

TEST_F(MainEditorLaneDrawing, PencilAndCurveWriteControllerEventsAndUndoTakesTheCurveBack) {
  LaneGraph g = ShowLane("k", 3);
  ASSERT_TRUE(g.valid && g.range == 128 && g.controller >= 0 && g.controller < 128) << program_.Dump(dumpFile_);
  int x0 = view_.originX + 30, x1 = view_.originX + 130;
  ASSERT_LT(x1 + 220, g.right - 20) << "the lane is too narrow";
  DragInWindow(x0, LaneY(g, 30), x1, LaneY(g, 90));
  Save();
  std::vector<EventKey> all = Saved(0xB0);
  std::vector<EventKey> stroke = EventsIn(all, 0xB0, g.controller, 0, 0x7fffffff);
  ASSERT_GE(stroke.size(), 10u) << Describe(all) << Errors();
  // Nothing before the stroke or past its two release columns.
  EXPECT_GE(std::get<0>(stroke.front()), TickAt(x0 - 1)) << Describe(stroke);
  EXPECT_LE(std::get<0>(stroke.back()), TickAt(x1 + 3)) << Describe(stroke);
  EXPECT_NEAR(30, EventValue(stroke.front(), 0xB0), 3) << Describe(stroke);
  EXPECT_NEAR(90, EventValue(stroke.back(), 0xB0), 3) << Describe(stroke);
  for (size_t i = 1; i < stroke.size(); ++i) EXPECT_GE(EventValue(stroke[i], 0xB0), EventValue(stroke[i - 1], 0xB0));
  std::vector<EventKey> beforeCurve = all;

  // The curve from a high press to a low release right of it (command held): a quarter ellipse
  // whose centre lies at the release's x and the press's y, so it falls steeply first and lies
  // below the straight line between its ends.
  int c0 = x1 + 60, c1 = x1 + 200;
  DragInWindow(c0, LaneY(g, 110), c1, LaneY(g, 20), kCommand);
  Save();
  all = Saved(0xB0);
  std::vector<EventKey> curve = EventsIn(all, 0xB0, g.controller, TickAt(c0 - 1), TickAt(c1));
  std::vector<EventKey> after = EventsIn(all, 0xB0, g.controller, TickAt(c1) + 1, 0x7fffffff);
  ASSERT_GE(curve.size(), 10u) << Describe(all);
  EXPECT_NEAR(110, EventValue(curve.front(), 0xB0), 3) << Describe(curve);
  EXPECT_NEAR(20, EventValue(curve.back(), 0xB0), 3) << Describe(curve);
  for (size_t i = 1; i < curve.size(); ++i) EXPECT_LE(EventValue(curve[i], 0xB0), EventValue(curve[i - 1], 0xB0));
  // Past the curve the stroke's last value, in force there before, is written back.
  ASSERT_EQ(1u, after.size()) << Describe(all);
  EXPECT_EQ(EventValue(stroke.back(), 0xB0), EventValue(after.front(), 0xB0)) << Describe(after);
  EXPECT_LE(std::get<0>(after.front()), TickAt(c1 + 3)) << Describe(after);
  long middle = TickAt((c0 + c1) / 2);
  const EventKey* atMiddle = nullptr;
  for (const EventKey& e : curve)
    if (std::get<0>(e) <= middle) atMiddle = &e;
  ASSERT_TRUE(atMiddle) << Describe(curve);
  EXPECT_LT(EventValue(*atMiddle, 0xB0), (110 + 20) / 2 - 15) << "not a quarter ellipse: " << Describe(curve);
  EXPECT_EQ(beforeCurve, EventsIn(all, 0xB0, g.controller, 0, TickAt(c0 - 2))) << "the curve moved the stroke";

  // Undo, saved: the document holds the stroke alone again.
  x_.Chord(kCommand, "z");
  DumpUntil(program_, dumpFile_, [](const std::string& d) { return HasLine(d, "modified", "1"); });
  Save();
  EXPECT_EQ(beforeCurve, Saved(0xB0)) << Describe(Saved(0xB0));
}

TEST_F(MainEditorLaneDrawing, APencilStrokeThroughTheBendCentreWritesExactly8192) {
  LaneGraph g = ShowLane("p", 2);
  ASSERT_TRUE(g.valid && g.range == 16384) << program_.Dump(dumpFile_);
  int x0 = view_.originX + 40, x1 = view_.originX + 160, y = LaneY(g, kBendCentre);
  DragInWindow(x0, y, x1, y);
  Save();
  std::vector<EventKey> bends = Saved(0xE0);
  ASSERT_FALSE(bends.empty()) << Errors();
  for (const EventKey& e : bends) EXPECT_EQ(kBendCentre, EventValue(e, 0xE0)) << Describe(bends);
  EXPECT_GE(std::get<0>(bends.front()), TickAt(x0 - 1)) << Describe(bends);
  EXPECT_LE(std::get<0>(bends.back()), TickAt(x1 + 3)) << Describe(bends);
}

}  // namespace
