// Quantize on real songs (the planetblupi tunes): at full strength every selected note start
// lies on the grid (straight, swung, with triplets) and no grid point lies nearer its old start;
// at another strength each start moves by that share of its full move, rounded away from the
// note at a half tick; Undo gives the document back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "editing/transforms/quantize_grid.h"
#include "editing/transforms/quantize_run.h"
#include "platform/memory/memory.h"
#include "shell/base/arithmetic.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/seq_event.h"
#include "song/model/utility_track_access.h"
#include "tests/editing/round_trips/edit_song_fixture.h"
#include "tests/song/undo/undo_fixture.h"

namespace edit_test {
namespace {


struct GridKind {
  const char* what;
  int32_t gridIndex;  // into gNoteValueTicks
  int32_t swing;
  bool triplets;
};

const GridKind kGrids[] = {
    {"straight sixteenths", 12, 50, false},
    {"swung eighths", 9, 66, false},
    {"eighths with triplets", 9, 50, true},
};

class QuantizeFilesTest : public EditSongTest {
 protected:
  // Each note's duration becomes its index + 1, so that notes are known again after the sort.
  std::map<uint16_t, uint32_t> NumberNotes() {
    std::map<uint16_t, uint32_t> starts;
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList()));
    uint16_t n = 0;
    for (; SeqEventTime(p) != 0 && n < 65535; p += GetSeqEventLength(p))
      if (SeqEventKind(p) == kKindNote) {
        SetNoteDuration(p, ++n);
        starts[n] = SeqEventTime(p);
      }
    return starts;
  }
  std::map<uint16_t, uint32_t> Starts() const {
    std::map<uint16_t, uint32_t> starts;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(GetCurrentTrackEventList()));
    for (; SeqEventTime(p) != 0; p += GetSeqEventLength(p))
      if (SeqEventKind(p) == kKindNote) starts[GetNoteDuration(p)] = SeqEventTime(p);
    return starts;
  }
  // The points of the bar holding tick that the grid offers, as song ticks: multiples of the
  // grid (odd ones swung), of two thirds of it with triplets, and the next bar line (swung
  // when the straight index was odd).
  std::vector<int64_t> GridPoints(int32_t tick, const GridKind& g) {
    int32_t bar = 0, offset = 0;
    TickToBarAndOffset(tick, &bar, &offset);
    const int64_t barLength = gConductorState.ticksPerBar;
    const int64_t barStart = BarToTick(bar);
    const int64_t grid = gNoteValueTicks[g.gridIndex];
    const int64_t swing = MulDivRound(int32_t(grid), 2 * g.swing, 100) - grid;
    std::vector<int64_t> points{barStart + barLength, barStart + barLength + swing};
    for (int64_t n = 0; n * grid <= barLength + grid; ++n)
      points.push_back(barStart + n * grid + ((n & 1) ? swing : 0));
    const int64_t third = 2 * grid / 3;
    for (int64_t m = 0; g.triplets && m * third <= barLength + third; ++m) {
      points.push_back(barStart + m * third);
      points.push_back(barStart + m * third + swing);
    }
    return points;
  }
};

TEST_F(QuantizeFilesTest, EveryStartGoesToTheGridAndStrengthTakesItsShare) {
  std::vector<std::string> files = MusicFiles();
  if (files.empty()) GTEST_SKIP() << kMusicFolder << " (planetblupi-music-midi) holds no MIDI files";
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    ASSERT_EQ(noErr, ImportFile(file));
    for (int32_t track = 0; track < TrackCount(); ++track) {
      UseTrack(track);
      std::map<uint16_t, uint32_t> old = NumberNotes();
      if (old.empty()) continue;
      SelectTime(1, LastEventTick() + 1);
      const std::string before = SavedDocument();
      for (const GridKind& g : kGrids) {
        SCOPED_TRACE(std::string(g.what) + " on track " + std::to_string(track));
        QuantizeSettings s;
        InitQuantizeSettings(&s);
        SetQuantizeU32(&s, kQuantizeGrid, gNoteValueTicks[g.gridIndex]);
        SetQuantizeI16(&s, kQuantizeSwing, g.swing);
        SetQuantizeByte(&s, kQuantizeOptions, g.triplets ? kQuantizeTriplets : 0);
        ASSERT_TRUE(RunQuantize(&s, true));
        std::map<uint16_t, uint32_t> full = Starts();
        ASSERT_EQ(old.size(), full.size());
        for (const auto& [id, start] : old) {
          std::vector<int64_t> points = GridPoints(int32_t(start), g);
          const int64_t moved = full[id];
          ASSERT_NE(points.end(), std::find(points.begin(), points.end(), moved))
              << "note " << id << " from " << start << " to " << moved << " is off the grid";
          for (int64_t p : points)  // straight grids: no point lies nearer
            ASSERT_TRUE(g.swing != 50 || std::abs(moved - start) <= std::abs(p - start))
                << "note " << id << " from " << start << ": " << p << " lies nearer than " << moved;
        }
        Edit(kUndoItem);
        ASSERT_TRUE(undo_test::SameImage(before, SavedDocument()));

        SetQuantizeI16(&s, kQuantizeTimingStrength, 37);
        ASSERT_TRUE(RunQuantize(&s, true));
        std::map<uint16_t, uint32_t> part = Starts();
        for (const auto& [id, start] : old) {
          int32_t expected = int32_t(start) + MulDivRound(int32_t(full[id]) - int32_t(start), 37, 100);
          ASSERT_EQ(uint32_t(std::max(expected, 1)), part[id]) << "note " << id << " from " << start;
        }
        Edit(kUndoItem);
        ASSERT_TRUE(undo_test::SameImage(before, SavedDocument()));
      }
    }
  }
}

}  // namespace
}  // namespace edit_test
