// Shared set-up of the editing tests that drive the Edit menu on songs held in memory: a
// fresh song database and undo ring, a main editor with one note pane over the track being
// edited (the note context), MIDI files imported as the current song, the track and time
// selections set as the user sets them, and the document saved to bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory/mac_types.h"
#include "shell/windows/app_windows.h"
#include "tests/test_support.h"

namespace edit_test {

// The Edit menu's items.
enum : int16_t {
  kUndoItem = 1,
  kCutItem = 4,
  kCopyItem = 5,
  kPasteItem = 7,
  kClearItem = 8,
  kRemoveTimeItem = 20,
  kInsertTimeItem = 21,
};

// The planetblupi tunes (package planetblupi-music-midi), sorted; empty when not installed.
constexpr char kMusicFolder[] = "/usr/share/planetblupi/music";
std::vector<std::string> MusicFiles();

// One event of a track, decoded.
struct Event {
  uint32_t tick;
  uint8_t status;
  uint8_t data1;
  uint16_t duration;  // notes
};

class EditSongTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Imports a Standard MIDI File as the current song.
  OSErr ImportFile(const std::string& path);
  // A new current song of tracks empty tracks at the resolution, in the given meter.
  void MakeSong(int32_t tracks, int32_t resolution, int32_t numerator, int32_t denominator);
  int32_t TrackCount() const;
  // Track index becomes current, the only selected track and the one the editor pane shows.
  void UseTrack(int32_t index);
  // Every track selected, the pane on the current track.
  void UseWholeSong();
  // The time selection, stored in the song as the editor stores it, with the events of the
  // selected tracks in it selected (and no others), as a band over every pitch selects them.
  void SelectTime(uint32_t start, uint32_t end);
  // The Edit menu item as the menu bar runs it.
  OSStatus Edit(int16_t item);
  // The document written by the document writer, as bytes.
  std::string SavedDocument();
  // The current track's events (end record excluded).
  std::vector<Event> TrackEvents() const;
  // The current track's events given as (tick, status, data1, duration) records.
  void SetTrackEvents(const std::vector<Event>& events);
  uint32_t LastEventTick() const;

  std::unique_ptr<zarin_test::ScopedEnv> headless_;
  zarin_test::TempFolder folder_;
  AppWindow* slot_ = nullptr;
  int32_t saves_ = 0;
};

}  // namespace edit_test
