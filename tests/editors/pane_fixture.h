// A main editor window (its geometry) with panes over tracks of a fresh song, drawn into an
// offscreen GWorld of the window's size so that the pixels can be read back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/quickdraw/quickdraw.h"
#include "shell/windows/app_windows.h"
#include "tests/test_support.h"

namespace editors_test {

struct Note {
  uint32_t tick;
  uint8_t pitch;
  uint16_t duration;
  uint8_t channel = 0;
  uint8_t velocity = 64;
  bool selected = false;
};

// A track's event list: notes, then any other records, sorted by the caller.
std::vector<uint8_t> NoteRecords(const std::vector<Note>& notes);

class PaneDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Adds a track numbered number holding bytes (an event list with its end record) and makes
  // it current.
  void AddTrack(uint8_t number, const std::vector<uint8_t>& bytes);
  // A pane showing track number with the given scroll value.
  void AddPane(uint8_t number, int16_t scroll);
  void SetPaneScroll(int16_t pane, int16_t scroll);
  // Redraws every pane into the GWorld, cleared to white first.
  void Draw();
  // The song ends at once and the grid is off: no bar, beat or subdivision lines in the panes.
  void HideBarAndGridLines();
  uint32_t Pixel(int32_t h, int32_t v);
  // The number of pixels of r in colour rgb.
  int Count(const Rect& r, uint32_t rgb);
  // The note's rectangle as the axis and the row layout give it, for the pane index.
  Rect ExpectedNoteRect(const Note& n, int16_t pane);

  std::unique_ptr<zarin_test::ScopedEnv> headless_;
  AppWindow* slot_ = nullptr;
  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

uint32_t Rgb(const RGBColor& c);

// Program resolution and meter for the song of the test; the note value a quarter, no swing,
// snapping on from tick 0.
void UseTimebase(int32_t resolution, int32_t numerator, int32_t denominator);

}  // namespace editors_test
