// Shared set-up of the value transform tests: one song at an odd resolution with events given
// byte by byte, the time selection set as the editor sets it, and the transforms' remembered
// settings put back to their initial values around each test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/editing/round_trips/edit_song_fixture.h"

namespace value_test {

// One event: a note (status 0x9n) with velocity and release velocity, or a short event with
// two data bytes.
struct Ev {
  uint32_t tick;
  uint8_t status;
  uint8_t d1;
  uint8_t d2;
  uint8_t d3 = 0;
};

class ValueTransformTest : public edit_test::EditSongTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A one-track song at resolution (ticks per quarter) in 4/4 or 6/8.
  void MakeOneTrackSong(int32_t resolution = 480, int32_t numerator = 4, int32_t denominator = 4);
  // The track's events; the time selection set last is set again, so that the new events
  // in it are selected as the editor selects them.
  void Put(const std::vector<Ev>& events);
  void Select(uint32_t start, uint32_t end);
  std::vector<Ev> Events() const;
  // The edit filters as the Transform menu installs them.
  void RefreshContext();
  // The track's events, then Undo, and the document compared with the one saved before.
  void ExpectUndoRestores(const std::string& before);
  static void ResetSettings();
  uint32_t selectionStart_ = 0;
  uint32_t selectionEnd_ = 0;
};

bool operator==(const Ev& a, const Ev& b);
std::ostream& operator<<(std::ostream& os, const Ev& e);

}  // namespace value_test
