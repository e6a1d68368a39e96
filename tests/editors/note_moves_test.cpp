// Moving notes in the main editor through the real click path: axis lock and its shift
// inversion, option-copies and the cancel that takes them back, velocity handle drags and the
// arrow keys' velocity step, lengths that leave long notes alone, and bar-line drags that
// scale the song from the bar before the line in 4/4 and 6/8 at an odd resolution.
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "editing/nudge_amount.h"
#include "editors/editor_hooks.h"
#include "editors/key_command_hooks.h"
#include "editors/key_commands.h"
#include "editors/note_drawing/event_labels.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_entry/note_values.h"
#include "editors/note_moves/bar_line_drag.h"
#include "editors/note_moves/drag_outlines.h"
#include "editors/note_moves/follow_hold.h"
#include "editors/note_moves/note_drag.h"
#include "editors/note_moves/note_durations.h"
#include "editors/note_moves/selected_event_walk.h"
#include "editors/panes/pane_stack.h"
#include "editors/selection/selection_hooks.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/windows/windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_clicks.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

constexpr uint8_t kUpArrow = 30, kRightArrow = 29;

class NoteMovesTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    UseTimebase(97, 4, 4);
    gZoomLevel = 0;  // one tick a pixel
    DisposeUndoRing();
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
    FlushEvents(everyEvent, 0);
    InstallEditorHooks();
    gNoteTool = kArrowTool;
    gClickInRuler = 0;
    gAxisLockPreference = 0;
    gPaneVisitMask = 0;
    gTimeSelection = TimeSelection();
    ResetClickPitchRange();
  }
  void TearDown() override {
    DisposeUndoRing();
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
    gEditorClickRoutes = EditorClickRoutes();
    gSelectionHooks = SelectionHooks{};
    gKeyCommandHooks = KeyCommandHooks{};
    gNudgeWord = kDefaultNudgeWord;
    gAxisLockPreference = 0;
    SetWindowClickProc(kMainEditorWindowKind, nullptr);
    UseTimebase(kDefaultTicksPerQuarter, 4, 4);
    PaneDrawingTest::TearDown();
  }
  void OnePane(const std::vector<Note>& notes, uint32_t songEnd = 4000) {
    ClearEditorPanes();
    AddTrack(1, NoteRecords(notes));
    AddPane(1, 0);
    SelectPaneForDrawing(0);
    WriteU32BE(gCurrentSong + kSongEndTick, songEnd);
  }
  Point Global(Point local) {
    QDLocalToGlobalPoint(GetWindowPort(gMainEditorRecord.window), &local);
    return local;
  }
  // A press at path[0] held along the path and released at its end, through the editor's
  // click dispatch.
  void Drag(const std::vector<Point>& path, uint32_t modifiers = 0) {
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, Global(path[0]), 1, modifiers));
    PostHeldPath(path, modifiers);
    EventRecord event{};
    event.what = mouseDown;
    event.modifiers = uint16_t(modifiers);
    RunWindowClickProc(&gMainEditorRecord, path[0], &event);
    FlushEvents(everyEvent, 0);
    SelectPaneForDrawing(0);
  }
  // The moves of a held button along the path after its press, and the release at its end.
  void PostHeldPath(const std::vector<Point>& path, uint32_t modifiers) {
    for (size_t i = 1; i < path.size(); ++i) {
      ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseMoved, Global(path[i]), 1, modifiers));
      // A wheel step of nothing keeps the next move from being merged into this one; the
      // tracking leaves it queued.
      ASSERT_EQ(noErr, PostHostWheelEvent(Global(path[i]), kEventMouseWheelAxisY, 0, modifiers));
    }
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseUp, Global(path.back()), 1, modifiers));
  }
  // Inside the note's box, dx pixels right of its start, in the row of pitch.
  static Point At(int32_t tick, int32_t pitch, int32_t dx = 2) {
    int32_t x = gTimelineFrame.originX + int32_t((int64_t(tick) - gTimelineLeftTick) >> gZoomLevel) + dx;
    return Point{int16_t(PitchRowY(pitch) + 2), int16_t(x)};
  }
  std::string ListBytes() {
    Handle list = GetCurrentTrackEventList();
    return std::string(HandleData(list), size_t(GetHandleSize(list)));
  }
  // The notes as "tick/pitch/duration/velocity" in list order.
  std::string Notes() {
    std::string out;
    auto* p = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList()));
    for (; SeqEventTime(p) != 0; p += GetSeqEventLength(p))
      out += std::to_string(SeqEventTime(p)) + "/" + std::to_string(p[kEventData1]) + "/" +
             std::to_string(GetNoteDuration(p)) + "/" + std::to_string(p[kEventData2]) + " ";
    return out;
  }
  // The distinct notes with their counts, ordered by time and pitch (the order of notes at
  // one time is the sort's).
  std::string NoteCounts() {
    std::map<std::tuple<uint32_t, int, int, int>, int> counts;
    auto* p = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList()));
    for (; SeqEventTime(p) != 0; p += GetSeqEventLength(p))
      ++counts[{SeqEventTime(p), -p[kEventData1], GetNoteDuration(p), p[kEventData2]}];
    std::string out;
    for (const auto& [k, n] : counts)
      out += std::to_string(n) + "/" + std::to_string(std::get<0>(k)) + "/" + std::to_string(-std::get<1>(k)) + "/" +
             std::to_string(std::get<2>(k)) + "/" + std::to_string(std::get<3>(k)) + " ";
    return out;
  }

 public:  // read by the drag's feedback procedure too
  // The pixels of the pane's content in the current port.
  std::vector<uint32_t> PanePixels() {
    Rect r;
    GetPaneContentRect(0, &r);
    std::vector<uint32_t> pixels;
    for (int v = r.top; v < r.bottom; ++v)
      for (int h = r.left; h < r.right; ++h) pixels.push_back(Pixel(h, v));
    return pixels;
  }
  // Checks that the pixels that differ from before lie inside the rectangles, and that each
  // rectangle has some (the grey pattern inverts every other pixel).
  void ExpectChangesOnlyIn(const std::vector<uint32_t>& before, const std::vector<Rect>& rects) {
    Rect pane;
    GetPaneContentRect(0, &pane);
    std::vector<int> inRect(rects.size(), 0);
    int stray = 0;
    size_t k = 0;
    for (int v = pane.top; v < pane.bottom; ++v)
      for (int h = pane.left; h < pane.right; ++h, ++k) {
        if (Pixel(h, v) == before[k]) continue;
        bool found = false;
        for (size_t i = 0; i < rects.size(); ++i)
          if (h >= rects[i].left && h < rects[i].right && v >= rects[i].top && v < rects[i].bottom) {
            ++inRect[i];
            found = true;
          }
        stray += !found;
      }
    EXPECT_EQ(0, stray) << "pixels changed outside the outline";
    for (size_t i = 0; i < rects.size(); ++i) EXPECT_GT(inRect[i], 0) << "nothing drawn in outline part " << i;
  }

 protected:
  void PressKey(uint8_t ch, uint16_t modifiers = 0) {
    EventRecord event{};
    event.what = keyDown;
    event.modifiers = modifiers;
    HandleEditorKey(ch, 0, -1, &event);
  }
};

// A note two grid steps in, with a neighbour that must never change.
const std::vector<Note> kPair = {{98, 100, 60, 0, 80}, {292, 96, 40, 0, 50}};

TEST_F(NoteMovesTest, ADragMovesInTimeAndPitchByAxisLockAndShift) {
  struct Case {
    const char* what;
    uint8_t lockPreference;
    uint32_t modifiers;
    int firstDx, firstDy;  // the first movement, which decides a locked axis
    const char* expected;
  };
  int32_t up2 = PitchRowY(102) - PitchRowY(100);  // two rows up
  const Case cases[] = {
      {"locked: 2 right 1 down moves in time only", 1, 0, 2, 1, "195/100/60/80 292/96/40/50 "},
      {"locked: equal first distances count as time", 1, 0, 3, 3, "195/100/60/80 292/96/40/50 "},
      {"locked: a vertical start moves the pitch only", 1, 0, 0, -3, "98/102/60/80 292/96/40/50 "},
      {"free: time and pitch", 0, 0, 2, 1, "195/102/60/80 292/96/40/50 "},
      {"free with shift: locked to the first axis", 0, optionKey | shiftKey, 0, -3, "98/102/60/80 292/96/40/50 "},
      {"locked with shift: free", 1, optionKey | shiftKey, 2, 1, "195/102/60/80 292/96/40/50 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OnePane(kPair);
    gAxisLockPreference = c.lockPreference;
    Point s = At(98, 100);
    Drag({s, Point{int16_t(s.v + c.firstDy), int16_t(s.h + c.firstDx)}, Point{int16_t(s.v + up2), int16_t(s.h + 97)}},
         c.modifiers);
    // Masked: the moved note becomes the selected one.
    auto* e = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList()));
    EXPECT_EQ(c.expected, Notes());
    EXPECT_TRUE(e[kEventFlags] & kEventSelected);
    ASSERT_EQ(noErr, UndoLastEdit());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(NoteRecords(kPair).data()), NoteRecords(kPair).size()),
              ListBytes());
  }
}

TEST_F(NoteMovesTest, ASelectionMovesTogetherAndStaysInsideTheNoteRange) {
  // Both selected: a drag of the lower one moves both; the upper one stops the move at 127.
  OnePane({{98, 125, 60, 0, 80, true}, {195, 120, 40, 0, 50, true}, {400, 60, 10}});
  Point s = At(195, 120);
  Drag({s, Point{int16_t(PitchRowY(126) + 2), int16_t(s.h - 97)}});
  EXPECT_EQ("1/127/60/80 98/122/40/50 400/60/10/64 ", Notes());
}

TEST_F(NoteMovesTest, OptionDragCopiesAndACancelTakesTheCopiesBack) {
  Rect window;
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  for (bool selection : {false, true}) {
    SCOPED_TRACE(selection ? "a selection" : "a single note");
    std::vector<Note> notes = {{98, 100, 60, 0, 80, selection}, {195, 98, 40, 0, 50, selection}, {400, 60, 10}};
    OnePane(notes);
    std::string before = ListBytes();
    Point s = At(98, 100);
    Drag({s, Point{s.v, int16_t(s.h + 97)}}, optionKey);
    if (selection)
      EXPECT_EQ("1/98/100/60/80 1/195/100/60/80 1/195/98/40/50 1/292/98/40/50 1/400/60/10/64 ", NoteCounts());
    else
      EXPECT_EQ("1/98/100/60/80 1/195/100/60/80 1/195/98/40/50 1/400/60/10/64 ", NoteCounts());
    ASSERT_EQ(noErr, UndoLastEdit());
    EXPECT_EQ(before, ListBytes());

    // Released below the panes: nothing is left of the drag, copies included.
    Drag({s, Point{s.v, int16_t(s.h + 97)}, Point{int16_t(window.bottom - 5), int16_t(s.h + 97)}}, optionKey);
    EXPECT_EQ(before, ListBytes());
    Drag({s, Point{s.v, int16_t(s.h + 97)}, Point{int16_t(window.bottom - 5), int16_t(s.h + 97)}});
    EXPECT_EQ(before, ListBytes());
  }
}

TEST_F(NoteMovesTest, ACancelledDragLeavesTheUndoHistoryAsItWas) {
  Rect window;
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  for (uint32_t modifiers : {0u, uint32_t(optionKey)}) {
    SCOPED_TRACE(modifiers ? "option copies" : "plain move");
    OnePane({{98, 100, 60, 0, 80}, {195, 98, 40, 0, 50}, {400, 60, 10}});
    std::string before = ListBytes();
    Point s = At(98, 100);
    Drag({s, Point{s.v, int16_t(s.h + 97)}});  // a kept move
    std::string moved = ListBytes();
    ASSERT_NE(before, moved);

    Point t = At(195, 100);
    Drag({t, Point{t.v, int16_t(t.h + 97)}, Point{int16_t(window.bottom - 5), int16_t(t.h + 97)}}, modifiers);
    EXPECT_EQ(moved, ListBytes());
    EXPECT_FALSE(CanRedo()) << "the cancelled drag left a Redo";
    ASSERT_TRUE(CanUndo());
    ASSERT_EQ(noErr, UndoLastEdit());  // the kept move is still the one Undo takes back
    EXPECT_EQ(before, ListBytes());
    ASSERT_EQ(noErr, RedoEdit());
    EXPECT_EQ(moved, ListBytes());
    EXPECT_FALSE(CanRedo());
  }
}

TEST_F(NoteMovesTest, TheFollowHoldIsSetWhileANoteIsDraggedAndClearedAfter) {
  OnePane({{98, 100, 60, 0, 80}, {195, 98, 40, 0, 50}});
  Rect window;
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  static uint8_t seen;
  for (bool inside : {true, false}) {
    SCOPED_TRACE(inside ? "released inside" : "released outside (cancel)");
    seen = 0;
    gFollowHold = 0;
    NoteDragState state;
    state.click = At(98, 100);
    state.noteTime = 98;
    state.notePitch = 100;
    state.minDt = -97;
    state.maxPitch = 27;
    state.minPitch = -100;
    std::memcpy(gEventTemplate, CurrentTrackRecordAt(0), kLongEventSize);
    GetPaneContentRect(0, &state.limit);
    Point to{state.click.v, int16_t(state.click.h + 20)};
    Point end = inside ? to : Point{int16_t(window.bottom - 5), to.h};
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, Global(state.click), 1, 0));
    PostHeldPath({state.click, to, end}, 0);
    int16_t axis = kDragAxisTime;
    int16_t result = TrackNoteDrag(kMoveSingleNote, &state, state.limit, &axis,
                                   [](NoteDragState*, Point) { seen |= gFollowHold; });
    FlushEvents(everyEvent, 0);
    EXPECT_EQ(inside ? 0 : kDragReleasedOutside, result);
    EXPECT_EQ(kFollowHoldDrag, seen);
    EXPECT_EQ(0, gFollowHold);
  }
}

TEST_F(NoteMovesTest, TheDraggedNotesShowAGreyOutlineWhereTheyWouldLandAndNothingIsLeftAfter) {
  // Two selected notes of different pitch and length move; the third stays.
  OnePane({{98, 100, 60, 0, 80, true}, {195, 96, 40, 0, 50, true}, {400, 90, 10}});
  Draw();
  static std::vector<uint32_t> before;
  static NoteMovesTest* self;
  static int steps;
  before = PanePixels();
  self = this;
  steps = 0;
  NoteDragState state;
  state.mode = kMoveSelection;
  state.click = At(98, 100);
  state.noteTime = 98;
  state.notePitch = 100;
  state.minDt = -97;
  state.minPitch = -96;
  state.maxPitch = 27;
  std::memcpy(gEventTemplate, CurrentTrackRecordAt(0), kLongEventSize);
  GetPaneContentRect(0, &state.limit);
  int32_t up1 = PitchRowY(101) - PitchRowY(100);
  std::vector<Point> path = {state.click, Point{state.click.v, int16_t(state.click.h + 97)},
                             Point{int16_t(state.click.v + up1), int16_t(state.click.h + 97)}};
  ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, Global(path[0]), 1, 0));
  PostHeldPath(path, 0);
  int16_t axis = kDragAxisFree;
  int16_t result = TrackNoteDrag(kMoveSelection, &state, state.limit, &axis, [](NoteDragState*, Point) {
    // The outline frames the selected notes where the drag has put them by now.
    std::vector<Rect> frames;
    auto* p = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList()));
    for (; SeqEventTime(p) != 0; p += GetSeqEventLength(p))
      if (p[kEventFlags] & kEventSelected) {
        ComputeNoteRect(p);
        frames.push_back(gNoteRect);
      }
    SCOPED_TRACE("step " + std::to_string(++steps));
    ASSERT_EQ(2u, frames.size());
    self->ExpectChangesOnlyIn(before, frames);
    EXPECT_NE(before, self->PanePixels());
  });
  FlushEvents(everyEvent, 0);
  EXPECT_EQ(0, result);
  EXPECT_EQ(2, steps);
  EXPECT_EQ("195/101/60/80 292/97/40/50 400/90/10/64 ", Notes());
  EXPECT_EQ(before, PanePixels()) << "the outline was left on the pane";
}

TEST_F(NoteMovesTest, LengthAndVelocityOutlinesFrameWhatTheDragWouldMake) {
  const std::vector<Note> notes = {{98, 100, 60, 0, 100, true}, {195, 96, 40, 0, 20, true}, {400, 99, 10, 0, 64}};
  OnePane(notes);
  Draw();
  std::vector<uint32_t> before = PanePixels();
  const uint8_t* first = CurrentTrackRecordAt(0);
  const uint8_t* third = CurrentTrackRecordAt(2 * kLongEventSize);
  Rect a = ExpectedNoteRect(notes[0], 0), b = ExpectedNoteRect(notes[1], 0), c = ExpectedNoteRect(notes[2], 0);
  auto stem = [](const Rect& r, int32_t velocity) {
    return Rect{int16_t(r.top - velocity / 4), r.left, r.top, int16_t(r.left + 1)};
  };
  auto widened = [](Rect r, int dx) {
    r.right = int16_t(std::max(r.right + dx, r.left + 1));
    return r;
  };
  struct Case {
    const char* what;
    RgnHandle outline;
    std::vector<Rect> expected;
  };
  const Case cases[] = {
      {"one stem raised by 12", ChangedVelocityStems(third, false, 12), {stem(c, 76)}},
      {"every selected stem, held at 127", ChangedVelocityStems(first, true, 40), {stem(a, 127), stem(b, 60)}},
      {"one note's frame to the pointer", LengthenedNoteFrames(third, false, int16_t(c.right + 30), 0),
       {widened(c, 30)}},
      {"never left of the note's start", LengthenedNoteFrames(third, false, int16_t(c.left - 20), 0),
       {widened(c, c.left - c.right - 20)}},
      {"every selected frame moved by the pointer", LengthenedNoteFrames(first, true, 0, 25),
       {widened(a, 25), widened(b, 25)}},
  };
  DragOutline outline;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    ShowDragOutline(&outline, k.outline);  // the one before is taken away first
    ExpectChangesOnlyIn(before, k.expected);
  }
  ShowDragOutline(&outline, ChangedVelocityStems(first, true, -200));
  EXPECT_EQ(before, PanePixels()) << "velocities held at 0 have no stem";
  HideDragOutline(&outline);
  EXPECT_EQ(before, PanePixels());
}

int32_t gOpenedBlockDialog = -1;

// A sequence block: a press on its body opens its dialog and moves nothing, its start mark
// moves it to a grid step, its end mark drags its length; the other end stays each time.
TEST_F(NoteMovesTest, ASequenceBlockMovesByItsStartMarkAndStretchesByItsEndMark) {
  std::vector<uint8_t> bytes(kLongEventSize);
  FillLongEvent(bytes.data(), 401, kKindSequenceRef, 0, 0, 0);
  SetEventLongDuration(bytes.data(), 800);
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  gZoomLevel = 2;  // the block lies from x 128 to 328, whole inside the pane
  ClearEditorPanes();
  AddTrack(1, bytes);
  AddPane(1, 0);
  SelectPaneForDrawing(0);
  WriteU32BE(gCurrentSong + kSongEndTick, 4000);
  gOpenedBlockDialog = -1;
  gSelectionHooks.openSequenceEventDialog = [](int32_t offset) { gOpenedBlockDialog = offset; };
  auto block = [] { return reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList())); };
  auto rect = [&] { return SequenceBlockRect(int32_t(SeqEventTime(block())), block()); };
  auto press = [&](int16_t x, int16_t dx) {
    Rect r = rect();
    int16_t v = int16_t((r.top + r.bottom) / 2);
    Drag({Point{v, x}, Point{v, int16_t(x + dx / 2)}, Point{v, int16_t(x + dx)}});
  };
  press(int16_t((rect().left + rect().right) / 2), 30);
  EXPECT_EQ(gOpenedBlockDialog, 0);
  EXPECT_EQ(SeqEventTime(block()), 401u);
  EXPECT_EQ(GetEventLongDuration(block()), 800u);

  gOpenedBlockDialog = -1;
  press(int16_t(rect().left + 5), 50);  // 200 ticks
  uint32_t moved = SeqEventTime(block());
  EXPECT_GT(moved, 401u + 100);
  EXPECT_LE(moved % 97, 1u) << moved << " is not on the quarter grid";
  EXPECT_EQ(GetEventLongDuration(block()), 800u);
  EXPECT_EQ(gOpenedBlockDialog, -1);

  press(int16_t(rect().right - 5), 75);  // 300 ticks
  EXPECT_EQ(SeqEventTime(block()), moved);
  uint32_t length = GetEventLongDuration(block());
  EXPECT_GT(length, 800u + 200);
  EXPECT_LE((moved + length) % 97, 1u) << "the end is not on the quarter grid";
  EXPECT_GE(TrackEntryView(gCurrentTrack).TickLength(), moved + length);
  EXPECT_EQ(gOpenedBlockDialog, -1);
}

TEST_F(NoteMovesTest, AVelocityHandleDragAddsFourAPixelClampedToTheMidiRange) {
  struct Case {
    const char* what;
    std::vector<Note> notes;
    int dy;  // negative: up
    const char* expected;
  };
  const Case cases[] = {
      {"10 up adds 40", {{98, 100, 60, 0, 64}, {195, 98, 40, 0, 50}}, -10, "98/100/60/104 195/98/40/50 "},
      {"clamped at 127", {{98, 100, 60, 0, 100}, {195, 98, 40, 0, 50}}, -10, "98/100/60/127 195/98/40/50 "},
      {"10 down from 30 stops at 0", {{98, 100, 60, 0, 30}, {195, 98, 40, 0, 50}}, 10, "98/100/60/0 195/98/40/50 "},
      {"every selected note when the clicked one is among them",
       {{98, 100, 60, 0, 60, true}, {195, 98, 40, 0, 100, true}, {300, 90, 10, 0, 20}},
       -10,
       "98/100/60/100 195/98/40/127 300/90/10/20 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OnePane(c.notes);
    gNoteTool = kVelocityTool;
    Rect note = ExpectedNoteRect(c.notes[0], 0);
    Point handle{int16_t(note.top - 20), note.left};
    Drag({handle, Point{int16_t(handle.v + c.dy / 2), handle.h}, Point{int16_t(handle.v + c.dy), handle.h}});
    EXPECT_EQ(c.expected, Notes());
    ASSERT_EQ(noErr, UndoLastEdit());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(NoteRecords(c.notes).data()), NoteRecords(c.notes).size()),
              ListBytes());
  }
}

TEST_F(NoteMovesTest, TheUpArrowRaisesEverySelectedVelocityByTheStepAsOneUndoStep) {
  OnePane({{98, 100, 60, 0, 64, true}, {195, 98, 40, 0, 126, true}, {300, 90, 10, 0, 20}});
  ShowWindow(gMainEditorRecord.window);
  SelectWindow(gMainEditorRecord.window);
  ASSERT_EQ(3, gVelocityStep);
  std::string before = ListBytes();
  PressKey(kUpArrow);
  EXPECT_EQ("98/100/60/67 195/98/40/127 300/90/10/20 ", Notes());
  PressKey(kUpArrow + 1);  // down
  EXPECT_EQ("98/100/60/64 195/98/40/124 300/90/10/20 ", Notes());
  ASSERT_EQ(noErr, UndoLastEdit());
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, ListBytes());
}

TEST_F(NoteMovesTest, DurationsChangeByTheNudgeAndLongNotesAreNeverResized) {
  ShowWindow(gMainEditorRecord.window);
  SelectWindow(gMainEditorRecord.window);
  gNudgeWord = 10;
  OnePane({{98, 100, 0, 0, 64, true}});
  PressKey(kRightArrow, cmdKey);
  EXPECT_EQ("98/100/0/64 ", Notes());
  EXPECT_EQ(kReadoutLongNote, gReadoutLastEnd);

  OnePane({{98, 100, 0, 0, 64, true}, {195, 98, 65530, 0, 50, true}, {300, 90, 5, 0, 20, true}, {400, 80, 5}});
  PressKey(kRightArrow, cmdKey);
  EXPECT_EQ("98/100/0/64 195/98/65535/50 300/90/15/20 400/80/5/64 ", Notes());
  gNudgeWord = kDefaultNudgeWord;  // one pixel: 8 ticks at zoom 3
  gZoomLevel = 3;
  PressKey(kRightArrow - 1, cmdKey);
  PressKey(kRightArrow - 1, cmdKey);
  EXPECT_EQ("98/100/0/64 195/98/65519/50 300/90/1/20 400/80/5/64 ", Notes());
  EXPECT_GE(ReadU32BE(gCurrentTrack + kTrackTickLength), 195u + 65535u);
}

TEST_F(NoteMovesTest, AShiftDragResizesTheNoteToTheSnappedPointerButNotALongNote) {
  OnePane({{98, 100, 60, 0, 64}, {195, 98, 0, 0, 50}});
  Point s = At(98, 100, 30);
  Drag({s, Point{s.v, int16_t(At(98 + 97 * 2, 100, 0).h + 10)}}, shiftKey);  // snaps to two grid steps
  EXPECT_EQ("98/100/194/64 195/98/0/50 ", Notes());
  std::string before = ListBytes();
  Point l = At(195, 98, 1);
  Drag({l, Point{l.v, int16_t(l.h + 150)}}, shiftKey);
  EXPECT_EQ(before, ListBytes());
  EXPECT_EQ(kReadoutLongNote, gReadoutLastEnd);
}

TEST_F(NoteMovesTest, DraggingABarLineScalesFromTheBarBeforeItInFourFourAndSixEight) {
  for (auto [numerator, denominator] : {std::pair{4, 4}, std::pair{6, 8}}) {
    SCOPED_TRACE(std::to_string(numerator) + "/" + std::to_string(denominator));
    UseTimebase(97, numerator, denominator);
    gZoomLevel = 0;
    int32_t bar1 = BarToTick(1), bar2 = BarToTick(2), bar3 = BarToTick(3);
    gTimelineLeftTick = bar1;  // the dragged line in view
    int32_t length = bar2 - bar1;
    // A ramp of notes over bars 0..3, each later and longer than the one before.
    std::vector<Note> notes;
    for (int i = 0; i < 8; ++i)
      notes.push_back({uint32_t(1 + i * (bar3 - 1) / 7), uint8_t(60 + i), uint16_t(20 + 7 * i)});
    OnePane(notes, uint32_t(BarToTick(5)));
    ASSERT_EQ(noErr, SetTempoAt(1200, bar2 + 5));
    gNoteTool = kBarTool;
    Point line{int16_t(gEditorPanes[0].top + 30), int16_t(gTimelineFrame.originX + bar2 - gTimelineLeftTick)};
    constexpr int kMove = 21;
    Drag({line, Point{line.v, int16_t(line.h + 10)}, Point{line.v, int16_t(line.h + kMove)}});
    auto scaled = [&](int64_t t) { return t < bar1 ? t : bar1 + (t - bar1) * length / (length + kMove); };
    std::string expected;
    for (const Note& n : notes) {
      int64_t duration = n.tick < uint32_t(bar1) ? n.duration : std::max<int64_t>(1, int64_t(n.duration) * length / (length + kMove));
      expected += std::to_string(scaled(n.tick)) + "/" + std::to_string(n.pitch) + "/" + std::to_string(duration) + "/64 ";
    }
    EXPECT_EQ(expected, Notes());
    const uint8_t* tempo = FindConductorRecordAt(int32_t(scaled(bar2 + 5)), GetConductorMap());
    ASSERT_NE(tempo, nullptr);
    EXPECT_EQ(kConductorTempo, ConductorKind(tempo));
    EXPECT_EQ(scaled(bar2 + 5), ConductorTick(tempo));
    ASSERT_EQ(noErr, UndoLastEdit());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(NoteRecords(notes).data()), NoteRecords(notes).size()),
              ListBytes());
  }
}

TEST_F(NoteMovesTest, ABarLineMoveNeverEmptiesABarOrMovesTheFirstLine) {
  int32_t num = 0, den = 0;
  EXPECT_TRUE(BarLineScaleRatio(1, 389, -387, &num, &den));
  EXPECT_EQ(1, num);
  EXPECT_EQ(388, den);
  EXPECT_FALSE(BarLineScaleRatio(1, 389, -388, &num, &den));
  EXPECT_FALSE(BarLineScaleRatio(1, 1, 5, &num, &den));  // the first line: no bar before it
  OnePane(kPair);
  EXPECT_FALSE(DragBarLine(0));
  for (int16_t level : {-3, 0, 4}) {
    gZoomLevel = level;
    int32_t move = BarLineMoveTicks(389, -12);
    EXPECT_LT(move, 0) << level;
    if (level >= 0) EXPECT_EQ(-12 * (1 << level), move);
  }
}

}  // namespace
}  // namespace editors_test
