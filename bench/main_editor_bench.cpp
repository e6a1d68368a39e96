// A full redraw of the main editor window (1600 x 1000 pixels, one pane over one track) by its
// own update routine, showing about 10,000 notes: in a song of 10,000 events, and in a song of
// 1,000,000 events at the same density scrolled to its middle. Beside it, in the same run, one
// fill of the window's pixels. Each redraw follows a one-pixel scroll, so that the pane's note
// walk cannot start at the same event as the drawing before; a redraw after an edit, which walks
// the track from its list head, is measured too. After the benchmarks the figures are printed:
// milliseconds per redraw, per fill, and large / small (targets: below 16 ms, and the large song
// within 1.5 times the small one).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "editors/main_editor_window.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/windows.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int16_t kWidth = 1600;
constexpr int16_t kHeight = 1000;
constexpr int32_t kVisibleNotes = 10000;
constexpr int32_t kLargeSong = 1000000;
constexpr int16_t kZoom = 3;

AppWindow* gSlot = nullptr;

// The pixels of the window in a note colour (sampled every second pixel each way): checks that
// the redraw really draws the notes.
int32_t CountNotePixels() {
  SetPortWindowPort(gMainEditorRecord.window);
  int32_t n = 0;
  for (int16_t v = 0; v < kHeight; v += 2)
    for (int16_t h = 0; h < kWidth; h += 2) {
      RGBColor c;
      GetCPixel(h, v, &c);
      uint32_t pixel = PixelFromRGB(c) & 0xFFFFFF;
      for (const RGBColor& note : gChannelColors) n += pixel == (PixelFromRGB(note) & 0xFFFFFF);
    }
  return n * 4;
}

// Note i starts at tick 1 + 5i/4: the event area of the window (1556 pixels at 8 ticks a
// pixel) holds about 10,000 of them. Pitches climb over six octaves, a quarter note long.
uint32_t NoteTick(int32_t i) { return uint32_t(1 + int64_t(i) * 5 / 4); }

void FillTrack(int32_t n) {
  std::vector<uint8_t> bytes(size_t(n) * kLongEventSize + kEndRecordSize, 0);
  for (int32_t i = 0; i < n; ++i)
    FillLongEvent(&bytes[size_t(i) * kLongEventSize], NoteTick(i), uint8_t(0x90 | (i % 16)), uint8_t(36 + i % 72),
                  uint8_t(40 + i % 80), uint16_t(96 + i % 7));
  SetCurrentTrackIndex(0);
  EnsureTrackEventList();
  Handle list = GetCurrentTrackEventList();
  SetHandleSize(list, Size(bytes.size()));
  std::memcpy(HandleData(list), bytes.data(), bytes.size());
  WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
  SongHeaderView(gCurrentSong).SetEndTick(NoteTick(n) + 480);
}

// A song of n note events, the window showing the stretch from leftTick.
void MakeSong(int32_t n, int32_t leftTick) {
  ClearEditorPanes();
  ResetSongDatabase();
  if (CreateSongTracks(1, 1) != noErr) std::abort();
  FillTrack(n);
  gZoomLevel = kZoom;
  gTimelineLeftTick = leftTick;
  ForgetEditorPaneScrolls();
  DrawMainEditorWindow();  // makes the pane, scrolled to the notes
  int32_t pixels = CountNotePixels();
  if (gEditorPaneCount != 1 || pixels < kWidth * kHeight / 20) {
    std::fprintf(stderr, "the redraw drew %d note pixels in %d panes\n", pixels, gEditorPaneCount);
  }
}

void SetUpWindow() {
  setenv("ZARIN_HEADLESS", "1", 1);
  setenv("ZARIN_SCREEN", "1700x1100", 1);  // the whole window on the screen
  InitWindows();
  gStandardLineHeight = 12;
  gTrackRowHeight = 16;
  gPaneTopMargin = 40;
  SetNoteZoom(0);
  gScreenDepthIndex = kColourScreenLevel;
  CreatePlaceholderAppWindow(&gSlot, &gMainEditorRecord, kMainEditorWindowKind, "Editor",
                             Rect{40, 0, int16_t(40 + kHeight), kWidth});
  if (!gMainEditorRecord.window) std::abort();
  SizeWindow(gMainEditorRecord.window, kWidth, kHeight, false);
  ShowWindow(gMainEditorRecord.window);
}

int32_t gScrollStep = 0;

// One redraw after a scroll of one pixel (to and fro).
void Redraw() {
  gTimelineLeftTick += (gScrollStep++ & 1) ? -(1 << kZoom) : (1 << kZoom);
  DrawMainEditorWindow();
}

// One redraw after an edit: the pane walks its track from the list head.
void RedrawAfterEdit() {
  gEditorPanes[0].editorData[kPaneRedrawFlag] = 1;
  DrawMainEditorWindow();
}

void Fill() {
  SetPortWindowPort(gMainEditorRecord.window);
  Rect bounds;
  GetWindowPortBounds(gMainEditorRecord.window, &bounds);
  ForeColor(blueColor);
  PaintRect(&bounds);
}

int32_t MiddleTick() { return int32_t(NoteTick(kLargeSong / 2)); }

// The notes of the large song that reach into the view at its middle.
int32_t NotesShown() {
  int32_t left = MiddleTick(), right = GetTimelineRightTick(), n = 0;
  for (int32_t i = 0; i < kLargeSong; ++i) n += NoteTick(i) + 102 > uint32_t(left) && NoteTick(i) <= uint32_t(right);
  return n;
}

void BM_RedrawSmallSong(benchmark::State& state) {
  MakeSong(kVisibleNotes, 1);
  for (auto _ : state) Redraw();
}
void BM_RedrawLargeSongMiddle(benchmark::State& state) {
  MakeSong(kLargeSong, MiddleTick());
  for (auto _ : state) Redraw();
}
void BM_RedrawLargeSongAfterEdit(benchmark::State& state) {
  MakeSong(kLargeSong, MiddleTick());
  for (auto _ : state) RedrawAfterEdit();
}
void BM_FillWindow(benchmark::State& state) {
  for (auto _ : state) Fill();
}
BENCHMARK(BM_RedrawSmallSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawLargeSongMiddle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawLargeSongAfterEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillWindow)->Unit(benchmark::kMillisecond);

// Best of n runs, in milliseconds.
double BestOf(int n, void (*run)()) {
  double best = 1e9;
  for (int i = 0; i < n; ++i) {
    auto start = std::chrono::steady_clock::now();
    run();
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms < best) best = ms;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  SetUpWindow();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  MakeSong(kVisibleNotes, 1);
  double small = BestOf(20, Redraw);
  MakeSong(kLargeSong, MiddleTick());
  double large = BestOf(20, Redraw);
  double edited = BestOf(20, RedrawAfterEdit);
  double fill = BestOf(20, Fill);
  std::printf("main editor %dx%d, %d notes shown\n", kWidth, kHeight, NotesShown());
  std::printf("redraw: song of %d events %.3f ms, song of %d events (middle) %.3f ms, ratio %.2f\n", kVisibleNotes,
              small, kLargeSong, large, large / small);
  std::printf("redraw after an edit (walked from the list head): song of %d events %.3f ms\n", kLargeSong, edited);
  std::printf("fill of the same pixels %.3f ms\n", fill);
  ClearEditorPanes();
  DisposeAllAppWindows();
  benchmark::Shutdown();
  return 0;
}
