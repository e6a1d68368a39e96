// Edits that give the document back: on every track of real songs (the MIDI files of the
// planetblupi music and tunes abc2midi makes from ABC text), over time ranges drawn from a fixed
// seed, Cut then Undo, Copy then Paste over the same range, Insert time then Remove time of the
// same length, and Clear then Undo each leave the saved document byte for byte as it was.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/editing/round_trips/edit_song_fixture.h"
#include "tests/song/undo/undo_fixture.h"

namespace edit_test {
namespace {

constexpr int kRangesPerTrack = 3;

// A jig in 6/8 with a melody and a bass voice.
constexpr char kJig[] = R"(X:1
T:Round Trip Jig
M:6/8
L:1/8
Q:3/8=100
K:G
V:1
%%MIDI program 73
V:2
%%MIDI program 32
%%MIDI channel 2
[V:1] |:GAB DGB|c2e dBG|FAd cAF|G3 G2D:|
[V:2] |:G,3 B,3|C3 D3|D,3 D,3|G,3 G,3:|
[V:1] |:g2e dBG|c2A B2G|(3ABA F D2F|G3-G3:|
[V:2] |:E,3 G,3|A,3 G,3|D,3 D,3|G,6:|
)";

// Three voices in 4/4 with ties, triplets and a meter change.
constexpr char kChorale[] = R"(X:2
T:Round Trip Chorale
M:4/4
L:1/4
Q:1/4=76
K:Am
V:S
%%MIDI program 52
V:A
%%MIDI program 53
%%MIDI channel 2
V:B
%%MIDI program 33
%%MIDI channel 3
[V:S] A B c d|e2- e d|(3cBA B2|[M:3/4]A3|[M:4/4]c d e f|e4|]
[V:A] E E A A|c2- c B|A E ^G2|[M:3/4]E3|[M:4/4]A A c c|^G4|]
[V:B] A, ^G, A, F,|C,2- C, D,|E, E, E,2|[M:3/4]A,,3|[M:4/4]A, F, C, D,|E,4|]
)";

struct RoundTrip {
  const char* name;
  int16_t change;    // the edit
  int16_t restore;   // the edit that gives the document back
  bool needsEvents;  // the range must hold events for the first edit to change anything
};

constexpr RoundTrip kRoundTrips[] = {
    {"Cut then Undo", kCutItem, kUndoItem, true},
    {"Copy then Paste", kCopyItem, kPasteItem, false},
    {"Insert time then Remove time", kInsertTimeItem, kRemoveTimeItem, false},
    {"Clear then Undo", kClearItem, kUndoItem, true},
};

class EditRoundTripTest : public EditSongTest {
 protected:
  // abc2midi's file of abc text, or "" when the converter fails.
  std::string ConvertAbc(const std::string& name, const std::string& abc) {
    std::string abcPath = folder_.File(name + ".abc");
    std::string midiPath = folder_.File(name + ".mid");
    zarin_test::WriteWholeFile(abcPath, abc);
    std::string command = "abc2midi '" + abcPath + "' -o '" + midiPath + "' >/dev/null 2>&1";
    int status = std::system(command.c_str());
    if (status != 0 || !std::filesystem::exists(midiPath)) return "";
    return midiPath;
  }

  // Runs every round trip on every track of the file, failing at most once per round trip.
  void RunFile(const std::string& path, uint32_t seed) {
    SCOPED_TRACE(path);
    ASSERT_EQ(noErr, ImportFile(path));
    ASSERT_GT(TrackCount(), 0);
    std::string before = SavedDocument();
    ASSERT_TRUE(undo_test::SameImage(before, SavedDocument())) << "saving twice writes different documents";
    std::mt19937 random(seed);
    for (const RoundTrip& trip : kRoundTrips) {
      bool failed = false;
      for (int32_t track = 0; track < TrackCount() && !failed; ++track)
        for (int n = 0; n < kRangesPerTrack && !failed; ++n) failed = !RunOnce(trip, track, &random);
    }
  }

  // One round trip on one track; false after a failure.
  bool RunOnce(const RoundTrip& trip, int32_t track, std::mt19937* random) {
    UseTrack(track);
    uint32_t last = LastEventTick();
    if (last == 0) return true;  // an empty track is removed by the edits that empty tracks
    uint32_t start = 1 + uint32_t((*random)() % last);
    uint32_t length = 1 + uint32_t((*random)() % uint32_t(8 * gTicksPerQuarter));
    SelectTime(start, start + length);
    bool holdsEvents = false;
    for (const Event& e : TrackEvents()) holdsEvents |= e.tick >= start && e.tick < start + length;
    if (trip.needsEvents && !holdsEvents) return true;
    std::string before = SavedDocument();
    SCOPED_TRACE(std::string(trip.name) + " on track " + std::to_string(track) + " over " +
                 std::to_string(start) + ".." + std::to_string(start + length));
    EXPECT_EQ(noErr, Edit(trip.change));
    if (trip.change != kCopyItem && before == SavedDocument()) {
      ADD_FAILURE() << "the edit changed nothing";
      return false;
    }
    EXPECT_EQ(noErr, Edit(trip.restore));
    // Paste leaves the selection as a point behind what it pasted; the range is the user's
    // to set again, and only the content is compared.
    if (trip.restore == kPasteItem) SelectTime(start, start + length);
    ::testing::AssertionResult same = undo_test::SameImage(before, SavedDocument());
    EXPECT_TRUE(same);
    return bool(same) && !::testing::Test::HasFailure();
  }
};

TEST_F(EditRoundTripTest, RealSongsComeBackWhole) {
  std::vector<std::string> files = MusicFiles();
  if (files.empty()) GTEST_SKIP() << kMusicFolder << " (planetblupi-music-midi) holds no MIDI files";
  for (size_t i = 0; i < files.size(); ++i) {
    RunFile(files[i], uint32_t(1801 + i));
    if (HasFatalFailure()) return;
  }
}

TEST_F(EditRoundTripTest, AbcTunesComeBackWhole) {
  if (std::system("command -v abc2midi >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "abc2midi (abcmidi) is not installed: the ABC tunes cannot be made";
  struct Tune {
    const char* name;
    std::string abc;
  };
  const std::vector<Tune> tunes = {
      {"jig", kJig},
      {"chorale", kChorale},
      {"march", zarin_test::ReadWholeFile(zarin_test::FixturePath("abc/march_with_drums.abc"))},
      {"reel", zarin_test::ReadWholeFile(zarin_test::FixturePath("abc/reel_two_voices.abc"))},
  };
  uint32_t seed = 1901;
  for (const Tune& tune : tunes) {
    std::string path = ConvertAbc(tune.name, tune.abc);
    ASSERT_FALSE(path.empty()) << "abc2midi could not convert " << tune.name;
    RunFile(path, seed++);
    if (HasFatalFailure()) return;
  }
}

// The clears recompute the conductor end before their undo step, so an import must leave it
// as they compute it: the tick after the last record, once the meter changes sit on bars.
TEST_F(EditRoundTripTest, AnImportedSongKeepsTheConductorEndOfItsMap) {
  if (std::system("command -v abc2midi >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "abc2midi (abcmidi) is not installed: the ABC tune cannot be made";
  std::string path = ConvertAbc("reel", zarin_test::ReadWholeFile(zarin_test::FixturePath("abc/reel_two_voices.abc")));
  ASSERT_FALSE(path.empty());
  ASSERT_EQ(noErr, ImportFile(path));
  ASSERT_GT(CountConductorRecords(gCurrentSong), 2) << "the reel changes its meter twice";
  EXPECT_EQ(uint32_t(GetConductorEndTick()), ReadU32BE(gCurrentSong + kSongConductorEnd));
}

}  // namespace
}  // namespace edit_test
