// The tempo factor set in the info panel of the real zarin program on a private X server, with
// its MIDI on the running JACK server: a click on the tempo slider at the place of 60 beats a
// minute halves the tempo of a song written at 120, so that its notes, one quarter apart, come
// twice as far apart to the test's capture client; the song keeps the factor (50 %), and the
// panel shows 60.0.
#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/shell/program/capture_program.h"

namespace {

using namespace program_test;

constexpr int kInfoPanelKind = 3, kMainEditorKind = 4;
// The song: a ramp of keys from kFirstKey, one note a quarter, at 120 a minute in 4/4.
constexpr uint32_t kDivision = 480;
constexpr int kRampNotes = 32;
constexpr uint8_t kFirstKey = 40;
constexpr double kQuarterSeconds = 0.5;
// The slider in the panel: its knob's left edge lies position pixels right of kSliderLeft; 72
// pixels span 12 to 300 beats a minute, so position 12 is 60.
constexpr int kSliderLeft = 2, kSliderMiddle = 42, kKnobHalf = 3, kSixtyPosition = 12;

// The dump's tempo line: song factor, transport factor, base tempo, shown tempo, knob.
std::vector<int64_t> TempoLine(const std::string& dump) { return Numbers(dump, "tempo"); }

class TempoFactorProgram : public CaptureProgramTest {
 protected:
  std::string SongBytes() const override {
    return RampSong(kDivision, kRampNotes, kFirstKey, {{0, uint32_t(kQuarterSeconds * 1e6)}});
  }

  // From the song's start, the play key plays until `count` notes came, and the stop key
  // stops; the notes heard, in order. Fails when they do not come in the time.
  std::vector<CapturedEvent> PlayFromStart(size_t count, double seconds) {
    x.Chord({}, "Home");
    Until([](const std::string& d) { return Position(d) == 1 && !Playing(d); }, 5);
    capture.KeepOnly(programClient);
    size_t before = NoteOns(capture.Events()).size();
    x.Chord({}, "space");
    for (double waited = 0; waited < seconds && NoteOns(capture.Events()).size() < before + count; waited += 0.05) {
      usleep(50000);
      if (int(waited * 20) % 10 == 0) capture.KeepOnly(programClient);
    }
    x.Chord({}, "space");
    Until([](const std::string& d) { return !Playing(d); }, 5);
    std::vector<CapturedEvent> played = NoteOns(capture.Events());
    played.erase(played.begin(), played.begin() + long(std::min(before, played.size())));
    return played;
  }

  // Seconds a quarter over the notes heard: the span from the first to the last over the
  // quarters between their keys, so that a note sent late by a busy machine moves one end, not
  // every spacing, and a note a loaded server lost in between does not change it.
  double QuarterSpacing(const std::vector<CapturedEvent>& played) {
    if (played.size() < 2) return 0;
    int quarters = played.back().bytes[1] - played.front().bytes[1];
    if (quarters <= 0) return 0;
    return double(played.back().frame - played.front().frame) / capture.SampleRate() / double(quarters);
  }
  static std::string Heard(const std::vector<CapturedEvent>& played) {
    std::string out;
    for (const CapturedEvent& e : played) out += " " + std::to_string(e.bytes[1]) + "@" + std::to_string(e.frame);
    return out;
  }
  // The notes come in the ramp's order: rising keys of the ramp (a loaded server may lose one
  // now and then, which the spacing above allows for).
  static void ExpectRampOrder(const std::vector<CapturedEvent>& played) {
    for (size_t i = 0; i < played.size(); ++i) {
      int key = played[i].bytes[1];
      int low = i == 0 ? kFirstKey : played[i - 1].bytes[1] + 1;
      EXPECT_TRUE(key >= low && key < kFirstKey + kRampNotes) << "note " << i << " key " << key << Heard(played);
    }
  }
};

TEST_F(TempoFactorProgram, TheSliderAt60HalvesTheTempoTheSongPlaysAtAndTheSongKeepsTheFactor) {
  std::string why;
  ASSERT_TRUE(StartWithSongOnCapture(&why)) << why;
  ASSERT_TRUE(BringEditorToFront()) << Errors();
  std::string dump = Until([](const std::string& d) { return TempoLine(d).size() == 5; }, 5);
  std::vector<int64_t> tempo = TempoLine(dump);
  ASSERT_EQ(tempo.size(), 5u) << dump;
  ASSERT_EQ(tempo[1], 2048) << "the song opens at 100 %" << dump;
  ASSERT_EQ(tempo[3], 1200) << dump;

  constexpr size_t kHeard = 6;
  std::vector<CapturedEvent> full = PlayFromStart(kHeard, 10);
  ASSERT_GE(full.size(), kHeard) << Errors();
  ExpectRampOrder(full);
  double fullSpacing = QuarterSpacing(full);
  EXPECT_NEAR(fullSpacing, kQuarterSeconds, kQuarterSeconds * 0.15) << "seconds a quarter at 120";

  WindowLine panel = WindowOfKind(dump, kInfoPanelKind);
  ASSERT_TRUE(panel.visible) << dump;
  int h = panel.left + kSliderLeft + kSixtyPosition + kKnobHalf, v = panel.top + kSliderMiddle;
  x.Drag(h, v, h, v);
  dump = Until([](const std::string& d) { return TempoLine(d).size() == 5 && TempoLine(d)[1] == 1024; }, 5);
  tempo = TempoLine(dump);
  ASSERT_EQ(tempo.size(), 5u) << dump;
  EXPECT_EQ(tempo[0], 1024) << "the song keeps 50 %" << dump;
  EXPECT_EQ(tempo[1], 1024) << "the transport plays at 50 %" << dump;
  EXPECT_EQ(tempo[2], 1200) << "the conductor's tempo stays" << dump;
  EXPECT_EQ(tempo[3], 600) << "60.0 shown" << dump;
  EXPECT_EQ(tempo[4], kSixtyPosition) << "the knob stands where it was clicked" << dump;

  if (Numbers(program.Dump(dumpFile), "front") != std::vector<int64_t>{kMainEditorKind}) {
    ASSERT_TRUE(BringEditorToFront());
  }
  std::vector<CapturedEvent> half = PlayFromStart(kHeard, 20);
  ASSERT_GE(half.size(), kHeard) << Errors();
  ExpectRampOrder(half);
  double halfSpacing = QuarterSpacing(half);
  EXPECT_NEAR(halfSpacing, 2 * kQuarterSeconds, 2 * kQuarterSeconds * 0.15) << "seconds a quarter at 60";
  EXPECT_NEAR(halfSpacing / fullSpacing, 2.0, 2.0 * 0.15) << "twice as far apart";
  program.Terminate();
}

}  // namespace
