#include "tests/editors/pane_fixture.h"

#include <cstring>

#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_values.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/controls/controls.h"
#include "platform/memory/memory.h"
#include "platform/windows/windows.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_sizing.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace editors_test {

uint32_t Rgb(const RGBColor& c) { return PixelFromRGB(c) & 0xFFFFFF; }

void UseTimebase(int32_t resolution, int32_t numerator, int32_t denominator) {
  gTicksPerQuarter = resolution;
  ApplyTimebase();
  SetTimeSignature(numerator, denominator);
  ASSERT_EQ(noErr, SetMeterAt(1));
  ResetNoteValues();
  gSwingPercent = 50;
  gGridOriginTick = 0;
  gSnapSwitch = 1;
}

std::vector<uint8_t> NoteRecords(const std::vector<Note>& notes) {
  std::vector<uint8_t> bytes;
  for (const Note& n : notes) {
    size_t at = bytes.size();
    bytes.resize(at + kLongEventSize);
    FillLongEvent(&bytes[at], n.tick, uint8_t(0x90 | n.channel), n.pitch, n.velocity, n.duration);
    if (n.selected) bytes[at + kEventFlags] |= kEventSelected;
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  return bytes;
}

void PaneDrawingTest::SetUp() {
  headless_ = std::make_unique<zarin_test::ScopedEnv>("ZARIN_HEADLESS", "1");
  InitWindows();
  ResetSongDatabase();
  ClearEditorPanes();
  gEditorPanesDirty = 0;
  gStandardLineHeight = 12;
  gTrackRowHeight = 16;
  gPaneTopMargin = 40;
  gLayoutPaneCount = 0;
  SetNoteZoom(0);
  gZoomLevel = 3;
  gTimelineLeftTick = 1;
  gTimelineLeftSample = 0;
  gTimelineFrame = TimelineFrame();
  gScreenDepthIndex = kColourScreenLevel;
  gDrawPrefs = 0;
  gShowVelocity = 0;
  gNoteRowStyle = kPianoRowLines;
  gNoteGridLines = 1;
  CreatePlaceholderAppWindow(&slot_, &gMainEditorRecord, kMainEditorWindowKind, "Editor", Rect{60, 20, 460, 620});
  ASSERT_NE(gMainEditorRecord.window, nullptr);
}

void PaneDrawingTest::TearDown() {
  if (world_) {
    SetGWorld(savedPort_, savedDevice_);
    DisposeGWorld(world_);
  }
  ClearEditorPanes();
  DisposeAllAppWindows();
  gScreenDepthIndex = 0;
  gShowVelocity = 0;
  gZoomLevel = kInitialZoomLevel;
  gTimelineLeftTick = 1;
  gTimelineLeftSample = 0;
}

void PaneDrawingTest::AddTrack(uint8_t number, const std::vector<uint8_t>& bytes) {
  // A new song starts with one track; a number it has is used, any other is added.
  SelectTrackNumber(number);
  if (!HasValidCurrentTrack() || TrackEntryView(gCurrentTrack).Number() != number) {
    gCurrentTrackNumber = number;
    ASSERT_EQ(noErr, AddTrackEntry(kTrackEntrySize));
  }
  ASSERT_EQ(noErr, EnsureTrackEventList());
  Handle list = GetCurrentTrackEventList();
  SetHandleSize(list, Size(bytes.size()));
  std::memcpy(HandleData(list), bytes.data(), bytes.size());
  WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
}

void PaneDrawingTest::AddPane(uint8_t number, int16_t scroll) {
  ASSERT_EQ(noErr, CreateEditorPane(56, true, number));
  SetPaneScroll(int16_t(gEditorPaneCount - 1), scroll);
}

void PaneDrawingTest::SetPaneScroll(int16_t pane, int16_t scroll) {
  ControlRef bar = gEditorPanes[pane].scrollBar;
  SetControlMaximum(bar, kPaneScrollMaximum);
  SetControlValue(bar, scroll);
}

void PaneDrawingTest::Draw() {
  Rect bounds;
  GetWindowPortBounds(gMainEditorRecord.window, &bounds);
  if (!world_) {
    GetGWorld(&savedPort_, &savedDevice_);
    ASSERT_EQ(noErr, NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0));
  }
  SetGWorld(world_, nullptr);
  ClipRect(&bounds);
  BackColor(whiteColor);
  EraseRect(&bounds);
  DrawAllPaneBackgrounds();
  DrawAllPanes(gCurrentPaneIndex, true);
}

void PaneDrawingTest::HideBarAndGridLines() {
  SongHeaderView(gCurrentSong).SetBars(0);
  gNoteGridLines = 0;
}

uint32_t PaneDrawingTest::Pixel(int32_t h, int32_t v) {
  RGBColor c;
  GetCPixel(short(h), short(v), &c);
  return PixelFromRGB(c) & 0xFFFFFF;
}

int PaneDrawingTest::Count(const Rect& r, uint32_t rgb) {
  int n = 0;
  for (int v = r.top; v < r.bottom; ++v)
    for (int h = r.left; h < r.right; ++h) n += Pixel(h, v) == rgb;
  return n;
}

Rect PaneDrawingTest::ExpectedNoteRect(const Note& n, int16_t pane) {
  // The pane's divider line, and its scroll value in whole octaves above pitch 143.
  int32_t octaves = GetControlValue(gEditorPanes[pane].scrollBar) / 12;
  int32_t top = gEditorPanes[pane].top + gOctaveHeight * (1 - octaves) + gNoteRowPosition[n.pitch];
  int32_t left = gTimelineFrame.originX + ((int64_t(n.tick) - gTimelineLeftTick) >> gZoomLevel);
  int32_t right = gTimelineFrame.originX + ((int64_t(n.tick) + n.duration - gTimelineLeftTick) >> gZoomLevel);
  if (right - left + 1 < 3) right = left + 2;
  return Rect{int16_t(top), int16_t(left), int16_t(top + gNoteMetric), int16_t(right)};
}

}  // namespace editors_test
