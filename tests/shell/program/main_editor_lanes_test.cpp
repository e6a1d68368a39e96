// The real program's data lanes: a MIDI file made here holds a controller 7 ramp, a
// controller 0 ramp falling the other way and a pitch-bend ramp; the view keys switch the pane
// to the pitch-bend lane and the controller lane, and the screen must show the step graph at
// the y the lane's scale gives each column's value (the value of the last event at or left of
// the column), for the controller the lane shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

constexpr int kDivision = 96;
constexpr int kSteps = 24;
constexpr int kStepTicks = 24;

std::string U32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

struct Ramp {
  int status, data1;  // data1 < 0: a pitch bend
  int first, step;
  int offset;         // file ticks after each step's start
};
const Ramp kBend{0xE0, -1, 0, 100, 6};
const Ramp kVolume{0xB0, 7, 4, 5, 0};
const Ramp kBank{0xB0, 0, 124, -5, 12};

int RampValue(const Ramp& r, int i) { return r.first + r.step * i; }

// One track: a long note (so the pane shows the track) and the three ramps, every kStepTicks.
std::string LaneSmf() {
  std::string body = std::string{0, char(0x90), 60, 100};
  int now = 0;
  struct Timed {
    int tick;
    std::string bytes;
  };
  std::vector<Timed> events;
  for (int i = 0; i < kSteps; ++i)
    for (const Ramp* r : {&kBend, &kVolume, &kBank}) {
      int v = RampValue(*r, i);
      std::string b = r->data1 < 0 ? std::string{char(r->status), char(v & 127), char((v >> 7) & 127)}
                                   : std::string{char(r->status), char(r->data1), char(v)};
      events.push_back({i * kStepTicks + r->offset, b});
    }
  events.push_back({kSteps * kStepTicks, std::string{char(0x80), 60, 0}});
  std::stable_sort(events.begin(), events.end(), [](const Timed& a, const Timed& b) { return a.tick < b.tick; });
  for (const Timed& e : events) {
    int delta = e.tick - now;
    now = e.tick;
    body += delta >= 128 ? std::string{char(0x80 | (delta >> 7)), char(delta & 127)} : std::string{char(delta)};
    body += e.bytes;
  }
  body += std::string{0, char(0xFF), 0x2F, 0};
  return "MThd" + U32(6) + std::string{0, 0, 0, 1, 0, char(kDivision)} + "MTrk" + U32(uint32_t(body.size())) + body;
}

// The value the column at x holds: the last step whose event lies at or left of x; -1 none.
int ColumnValue(const EditorView& v, const Ramp& r, int x) {
  int value = r.data1 < 0 ? 8192 : -1;
  for (int i = 0; i < kSteps; ++i)
    if (TickX(v, SongTickOf(i * kStepTicks + r.offset, kDivision, v.ticksPerQuarter)) <= x) value = RampValue(r, i);
  return value;
}

struct Checked {
  int columns = 0;
  std::vector<std::string> faults;
};

// Columns well inside a step (no change within 2 pixels): the graph's colour at the value's y.
Checked CheckSteps(const EditorPicture& picture, const EditorView& v, const LaneGraph& g, const Ramp& r) {
  Checked c;
  for (int x = v.originX + 3; x < g.right - 20; ++x) {
    int value = ColumnValue(v, r, x);
    if (value < 0 || value >= g.range || ColumnValue(v, r, x - 2) != value || ColumnValue(v, r, x + 2) != value)
      continue;
    ++c.columns;
    int y = LaneY(g, value);
    uint32_t seen = picture.At(x, y);
    if (seen != g.colour && c.faults.size() < 10) {
      std::ostringstream s;
      s << "column x " << x << " value " << value << " y " << y << ": 0x" << std::hex << seen;
      c.faults.push_back(s.str());
    }
  }
  return c;
}

TEST(MainEditorLanes, TheStepGraphLiesAtTheScaledValuesOfTheRamps) {
  XServer x;
  std::string why;
  if (!x.Start(&why)) GTEST_SKIP() << why;
  zarin_test::TempFolder home;
  std::string song = home.File("ramps.mid");
  zarin_test::WriteWholeFile(song, LaneSmf());
  std::string dumpFile = home.File("state.txt"), errors = home.File("errors.txt");
  Program program;
  ASSERT_TRUE(program.Start({song}, SessionEnvironment(x, home, dumpFile), errors));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  EditorView v = WaitForDrawnView(x, program, dumpFile);
  ASSERT_TRUE(v.valid) << program.Dump(dumpFile) << zarin_test::ReadWholeFile(errors);

  struct Lane {
    const char* key;
    int viewMode;
  } lanes[] = {{"p", 2}, {"k", 3}};
  // The editor brought to the front (a click on its tool bar's face), then the lane's key.
  int faceX = v.window.left + v.toolbarLeft + 280, faceY = v.window.top + v.toolbarTop + 2;
  x.Drag(faceX, faceY, faceX, faceY);
  for (const Lane& lane : lanes) {
    x.Chord({}, lane.key);
    std::string dump = DumpUntil(program, dumpFile, [&](const std::string& d) {
      EditorView now = ParseEditorView(d);
      return now.valid && !now.panes.empty() && now.panes.front().viewMode == lane.viewMode && ParseLaneGraph(d).valid;
    });
    v = ParseEditorView(dump);
    ASSERT_EQ(v.panes.front().viewMode, lane.viewMode) << dump;
    LaneGraph g = ParseLaneGraph(dump);
    ASSERT_TRUE(g.valid) << dump;
    const Ramp& ramp = lane.viewMode == 2 ? kBend : (g.controller == 0 ? kBank : kVolume);
    if (lane.viewMode == 3) ASSERT_TRUE(g.controller == 0 || g.controller == 7) << "lane controller " << g.controller;
    Checked c;
    for (double waited = 0; waited < 10; waited += 0.5) {  // drawn at the window's next update
      EditorPicture picture(x, v);
      ASSERT_FALSE(picture.empty());
      c = CheckSteps(picture, v, g, ramp);
      if (c.faults.empty()) break;
      usleep(500000);
    }
    EXPECT_GT(c.columns, 0) << "view mode " << lane.viewMode << ": no column to check\n" << dump;
    for (const std::string& f : c.faults) ADD_FAILURE() << "view mode " << lane.viewMode << ": " << f;
  }
  x.Chord({"Control_L"}, "q");
  x.Chord({}, "d");
  program.Wait(10);
}

}  // namespace
