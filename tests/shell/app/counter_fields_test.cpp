// The info panel's counter after a headless start with a song of 4/4 bars that turn to 6/8
// at bar 5: the fields typed in place locate where the typed number says, clamped inside
// the meter and the bar; Tab and Shift-Tab go round the fields of one read-out; the meter
// read-out places the key signature's accidentals on their staff steps and the meter's
// numbers by their width; a typed time locates to the song tick at that time.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/events/apple_events.h"
#include "platform/events/classic_events.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/time_code_format.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/counter_buttons.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_idle.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/counter_digits.h"
#include "shell/base/event_records.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/dialogs/value_fields.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/counter_fields.h"
#include "shell/windows/counter_text.h"
#include "shell/windows/counter_window.h"
#include "shell/windows/info_panel.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/model/song_layout.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"
#include "tests/song/smf/smf_bytes.h"
#include "tests/test_support.h"

namespace app_test {
namespace {

constexpr uint16_t kDivision = 480;
constexpr int kFourFourBars = 4;

// 4/4 for four bars, then 6/8; one note a bar on the second track.
std::string MeterSong() {
  Bytes conductor;
  Append(&conductor, Vlq(0));
  Append(&conductor, Meta(0x58, {4, 2, 24, 8}));
  Append(&conductor, Vlq(0));
  Append(&conductor, Tempo(500000));
  Append(&conductor, Vlq(kFourFourBars * 4 * kDivision));
  Append(&conductor, Meta(0x58, {6, 3, 24, 8}));
  Append(&conductor, Vlq(0));
  Append(&conductor, EndOfTrack());
  Bytes notes = RampNotes(8, 60, 4 * kDivision, kDivision);
  Bytes file = Header(1, 2, int16_t(kDivision));
  Append(&file, Chunk("MTrk", conductor));
  Append(&file, Chunk("MTrk", notes));
  return std::string(file.begin(), file.end());
}

std::string Text(ConstStr255Param p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

class CounterFields : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    std::string path = folder.File("meters.mid");
    ASSERT_TRUE(zarin_test::WriteWholeFile(path, MeterSong()));
    ASSERT_EQ(noErr, PostOpenDocumentsEventForPaths({path}));
    PostQuitAppleEvent();
    ASSERT_TRUE(RunUntilQuit());
    ASSERT_NE(nullptr, gCurrentSong);
    window = GetAppWindowRef(&gInfoPanelRecord);
    ASSERT_NE(nullptr, window);
  }
  void TearDown() override {
    ResetValueField();
    gCounterDisplayFlags = 0xFFFF;
    gSectionMode = 0;
    gLastEvent.modifiers = 0;
    QuitApplication(0);
    AppTest::TearDown();
  }
  // Locates as the idle pass shows it: the clock's counters follow the locate point.
  void Locate(int32_t bar, int32_t beat, int32_t tick) {
    SetLocatePoint(uint32_t(BarBeatTickToTick(bar, beat, tick)));
    PositionDisplayIdle();
  }
  // Types the characters into the open field; the last one (Return or Tab) commits it.
  void Type(const std::string& keys, bool shift = false) {
    gLastEvent.modifiers = shift ? uint16_t(shiftKey) : uint16_t(0);
    for (char c : keys) HandleValueFieldKeyIfActive(uint8_t(c));
    gLastEvent.modifiers = 0;
  }
  std::string Shown() {
    PositionDisplayIdle();
    RedrawCounterWindow();
    return Text(gCounterPositionText);
  }
  std::vector<uint32_t> Pixels(const Rect& r) {
    std::vector<uint32_t> out;
    for (int16_t v = r.top; v < r.bottom; ++v)
      for (int16_t h = r.left; h < r.right; ++h) out.push_back(ui_test::PortPixel(window, Point{v, h}));
    return out;
  }
  zarin_test::TempFolder folder;
  WindowRef window = nullptr;
};

TEST_F(CounterFields, ATypedFieldLocatesWithTheOtherPartsOfThePosition) {
  struct Case {
    void (*open)();
    const char* keys;
    const char* shown;
  };
  // From 5:02:120 (bar 5 is 6/8: six eighths of 240 ticks at 480 a quarter).
  const Case cases[] = {
      {EditCounterBeatField, "3\r", "5:03:120"},
      {EditCounterBarField, "2\r", "2:02:120"},
      {EditCounterTickField, "7\r", "5:02:007"},
      {EditCounterBeatField, "9\r", "5:06:120"},   // above the numerator: clamped to it
      {EditCounterBarField, "0\r", "1:02:120"},    // below 1: clamped to 1
  };
  for (const Case& c : cases) {
    Locate(4, 1, 120);
    ASSERT_EQ("5:02:120", Shown());
    c.open();
    ASSERT_TRUE(IsValueFieldActive());
    EXPECT_EQ(0, gCounterDisplayFlags & kCounterShowsReadouts) << "the read-outs leave the open field alone";
    Type(c.keys);
    EXPECT_FALSE(IsValueFieldActive());
    EXPECT_NE(0, gCounterDisplayFlags & kCounterShowsReadouts);
    EXPECT_EQ(c.shown, Shown()) << c.keys;
  }
}

TEST_F(CounterFields, TheReadoutShowsEveryMoveOfThePosition) {
  // A tick of 16 and the next beat's start pack alike ((beat << 4) + tick), and so on.
  const int32_t moves[][3] = {{0, 0, 16}, {0, 1, 0}, {0, 1, 32}, {0, 3, 0}, {0, 2, 16}, {0, 3, 0}, {1, 0, 0}};
  for (const auto& m : moves) {
    Locate(m[0], m[1], m[2]);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d:%02d:%03d", m[0] + 1, m[1] + 1, m[2]);
    EXPECT_EQ(expected, Shown());
  }
}

TEST_F(CounterFields, APositionTypedPastItsBarStaysInThatBar) {
  // Beat 6 of a 6/8 bar becomes beat 4 in a 4/4 bar; a tick field's largest number (the ticks
  // of a bar) does not run into the next bar.
  Locate(4, 5, 0);
  ASSERT_EQ("5:06:000", Shown());
  EditCounterBarField();
  Type("2\r");
  EXPECT_EQ("2:04:000", Shown());
  int32_t barSix = BarToTick(5);
  EXPECT_LT(CounterPositionTick(4, 5, 100000), barSix);
  EXPECT_EQ(barSix - 1, CounterPositionTick(4, 5, 100000));
  EXPECT_EQ(BarToTick(9998), CounterPositionTick(20000, 0, 0)) << "bar 9999 at most";
}

TEST_F(CounterFields, TabAndShiftTabGoRoundTheFieldsOfOneReadout) {
  struct Case {
    void (*open)();
    bool shift;
    ValueChangeProc next;
  };
  const Case cases[] = {
      {EditCounterBarField, false, CommitCounterBeatField},  {EditCounterBeatField, false, CommitCounterTickField},
      {EditCounterTickField, false, CommitCounterBarField},  {EditCounterTickField, true, CommitCounterBeatField},
      {EditCounterBarField, true, CommitCounterTickField},
  };
  for (const Case& c : cases) {
    Locate(1, 0, 0);
    c.open();
    Type("\t", c.shift);
    ASSERT_TRUE(IsValueFieldActive()) << "the next field is open";
    EXPECT_EQ(c.next, gValueField.changeProc);
    ResetValueField();
  }
  // In the frames field Tab opens the hours field, Shift-Tab the seconds field (each starts
  // from the clock's time code, here 1:02:03:04).
  const uint8_t kTimeCode[4] = {1, 2, 3, 4};
  struct TimeCase {
    bool shift;
    int32_t value, maximum;
  };
  for (const TimeCase& c : {TimeCase{false, 1, 99}, TimeCase{true, 3, 59}}) {
    std::copy(kTimeCode, kTimeCode + 4, gTransportClock.timeCode);
    EditTimeFramesField();
    Type("\t", c.shift);
    ASSERT_TRUE(IsValueFieldActive());
    EXPECT_EQ(c.value, gValueField.value);
    EXPECT_EQ(c.maximum, gValueField.maximum);
    ResetValueField();
  }
}

TEST_F(CounterFields, InSectionModeAClickOnAFieldOpensNothing) {
  gSectionMode = 1;
  EditCounterBarField();
  EditTimeHoursField();
  EXPECT_FALSE(IsValueFieldActive());
}

TEST_F(CounterFields, ATypedTimeLocatesToTheTickAtThatTimeAndItsFieldsAreBounded) {
  // The time of a tick gives that tick back (one later would skip a note on a bar line).
  for (int32_t tick : {1, 2, int32_t(kDivision) + 1, 7 * int32_t(kDivision) + 3})
    EXPECT_EQ(tick, CounterTimeTick(TickToTime(tick))) << tick;
  // Two seconds at 120 a minute are four quarters: bar 2.
  Locate(0, 0, 0);
  EditTimeSecondsField();
  Type("2\r");
  EXPECT_EQ(uint32_t(BarToTick(1)), gLocatePoint.tick);
  // Minutes above 59 are clamped, never wrapped; no frames per second still bounds the frames.
  EditTimeMinutesField();
  EXPECT_EQ(59, gValueField.maximum);
  ResetValueField();
  gTransportClock.framesPerSecond = 0;
  EditTimeFramesField();
  EXPECT_EQ(29, gValueField.maximum);
  ResetValueField();
  gTransportClock.framesPerSecond = 30;
}

TEST_F(CounterFields, ATypedTimeNeverWrapsNorReachesIntoTheMinuteBefore) {
  struct Case {
    uint8_t rateCode;
    uint8_t clock[4];      // the clock's hours, minutes, seconds, frames
    void (*open)();
    const char* keys;
    uint32_t frames;       // the frames from time 0 the commit must locate to
  };
  const uint32_t kDropHour = kDropSubframesPerHour / 80;
  const Case cases[] = {
      {3, {0, 0, 0, 0}, EditTimeHoursField, "40\r", 40u * 3600 * 30},  // not 8 hours (40 in 5 bits)
      {1, {0, 2, 0, 0}, EditTimeHoursField, "33\r", 33u * 3600 * 25 + 2 * 60 * 25},
      {2, {0, 0, 0, 0}, EditTimeHoursField, "35\r", 35 * kDropHour},
      // Drop-frame minute 1 starts at frame 2: frames 0 and 1 are taken as 2, not 0:00:59:28.
      {2, {0, 1, 0, 7}, EditTimeFramesField, "0\r", 1800},
      {2, {0, 1, 0, 7}, EditTimeFramesField, "1\r", 1800},
      {2, {0, 1, 1, 7}, EditTimeFramesField, "0\r", 1800 + 28},  // second 1 has a frame 0
      {2, {0, 10, 0, 7}, EditTimeFramesField, "0\r", 17982},     // a tenth minute drops nothing
      {2, {0, 3, 5, 9}, EditTimeMinutesField, "11\r", 17982 + 1800 + 5 * 30 + 9 - 2},
  };
  const uint8_t savedRate = gSmpteRateCode;
  for (const Case& c : cases) {
    gSmpteRateCode = c.rateCode;
    std::copy(c.clock, c.clock + 4, gTransportClock.timeCode);
    c.open();
    ASSERT_TRUE(IsValueFieldActive());
    Type(c.keys);
    EXPECT_EQ(uint32_t(CounterTimeTick(c.frames * 80)), gLocatePoint.tick)
        << int(c.rateCode) << " " << c.keys;
  }
  gSmpteRateCode = savedRate;
}

TEST_F(CounterFields, KeySignaturesLandOnTheirStaffSteps) {
  struct Case {
    uint8_t key;
    std::vector<int16_t> steps;
    int16_t bitmap;
  };
  const Case cases[] = {
      {0x4B, {2}, kFlatBitmap},                      // place 11 with flats: one flat
      {0x03, {5, 1, 4}, kSharpBitmap},               // three sharps
      {0x47, {2, 6, 3, 0, 4}, kFlatBitmap},          // five flats
      {0x07, {5, 1, 4, 0, 3, 6, 2}, kSharpBitmap},   // seven sharps
      {0x09, {5, 1, 4, 0, 3, 6, 2}, kSharpBitmap},   // more than seven: seven
      {0x7F, {}, kFlatBitmap},                       // flats past the circle: none
      {0x00, {}, kSharpBitmap},
  };
  for (const Case& c : cases) {
    KeyGlyph glyphs[7];
    int32_t count = LayoutKeySignature(c.key, 20, glyphs);
    ASSERT_EQ(int32_t(c.steps.size()), count) << int(c.key);
    for (int32_t i = 0; i < count; ++i) {
      EXPECT_EQ(c.steps[size_t(i)], glyphs[i].step) << int(c.key) << " accidental " << i;
      EXPECT_EQ(kStaffBaselines[c.steps[size_t(i)]], glyphs[i].bottom);
      EXPECT_EQ(c.bitmap, glyphs[i].bitmap);
      EXPECT_EQ(20 + i * gAccidentalSpacing, glyphs[i].left);
    }
  }
  // Spacing 6 for one to three, narrower for more, never a division by zero.
  const int32_t spacing[][2] = {{0, 6}, {1, 6}, {3, 6}, {5, 4}, {7, 4}};
  for (const auto& s : spacing) {
    SetCounterDigitSpacing(s[0]);
    EXPECT_EQ(s[1], gAccidentalSpacing) << s[0];
  }
}

TEST_F(CounterFields, TheMeterReadoutPlacesItsNumbersAndAccidentals) {
  EXPECT_EQ(48, MeterNumeratorLeft(12, 8));
  EXPECT_EQ(52, MeterNumeratorLeft(4, 4));
  EXPECT_EQ(52, MeterNumeratorLeft(6, 8));
  EXPECT_EQ(52, MeterNumeratorLeft(12, 16));
  EXPECT_EQ(8, CounterMeterDenominator(gTicksPerQuarter / 2));
  EXPECT_EQ(0, CounterMeterDenominator(0)) << "no ticks per beat: no denominator";
  // Drawn: the digit and accidental images change the meter area.
  SetMeterAreaRect();
  Rect area = gScratchRect;
  Locate(0, 0, 0);
  DrawInfoPanel();
  std::vector<uint32_t> fourFour = Pixels(area);
  Locate(4, 0, 0);
  RedrawCounterWindow();
  EXPECT_NE(fourFour, Pixels(area)) << "6/8 draws other digits than 4/4";
  Locate(0, 0, 0);
  gCurrentSong[kSongKey] = 3;
  RedrawCounterWindow();
  EXPECT_NE(fourFour, Pixels(area)) << "three sharps drawn beside 4/4";
  gCurrentSong[kSongKey] = 0;
}

}  // namespace
}  // namespace app_test

namespace app_test {
namespace {

// The centre of a panel rectangle.
Point Centre(const Rect& r) { return Point{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)}; }

TEST_F(CounterFields, ThePanelsButtonsWindByBarsAndRewindAndItsIndicatorsToggle) {
  auto click = [](const Rect& r) { CounterClick(&gInfoPanelRecord, Centre(r), &gLastEvent); };
  Rect forward, back, rewind;
  GetCounterButtonRect(kCounterButtonForward, &forward);
  GetCounterButtonRect(kCounterButtonBack, &back);
  GetCounterButtonRect(kCounterButtonRewind, &rewind);
  uint32_t end = SongHeaderView(gCurrentSong).EndTick();
  ASSERT_GT(end, uint32_t(BarToTick(5)));
  Locate(1, 2, 100);
  click(forward);
  EXPECT_EQ(uint32_t(BarToTick(2)), gLocatePoint.tick) << "to the next bar line";
  click(back);
  EXPECT_EQ(uint32_t(BarToTick(1)), gLocatePoint.tick);
  click(back);
  EXPECT_EQ(uint32_t(BarToTick(0)), gLocatePoint.tick);
  click(back);
  EXPECT_EQ(1u, gLocatePoint.tick) << "never before the song's start";
  // Winding stops at the song's end bar line.
  SetLocatePoint(end - 1);
  click(forward);
  EXPECT_EQ(end, gLocatePoint.tick);
  click(forward);
  EXPECT_EQ(end, gLocatePoint.tick) << "never past the end";
  click(rewind);
  EXPECT_EQ(1u, gLocatePoint.tick);
  EXPECT_EQ("1:01:000", Shown());
  for (int16_t i = 0; i < kCounterIndicatorCount; ++i) {
    Rect r;
    GetCounterIndicatorRect(i, &r);
    bool was = IsCounterIndicatorOn(i);
    click(r);
    EXPECT_NE(was, IsCounterIndicatorOn(i)) << "indicator " << i;
    click(r);
    EXPECT_EQ(was, IsCounterIndicatorOn(i)) << "indicator " << i;
  }
}

TEST_F(CounterFields, AClickOnTheReadoutsDigitsOpensTheirField) {
  // The text is right-aligned: the bar's digits stand just left of the beat's ":00".
  SetPortWindowPort(window);
  SetCounterFont();
  SetCounterBeatFieldRect();
  Rect beat = gScratchRect;
  SetCounterTickFieldRect();
  Rect tick = gScratchRect;
  int16_t v = int16_t((beat.top + beat.bottom) / 2);
  struct Case {
    int16_t h;
    ValueChangeProc field;
  };
  const Case cases[] = {{int16_t(beat.left - 3), CommitCounterBarField},
                        {int16_t(beat.left + 3), CommitCounterBeatField},
                        {int16_t(tick.right - 3), CommitCounterTickField}};
  for (const Case& c : cases) {
    Locate(4, 1, 120);
    CounterClick(&gInfoPanelRecord, Point{v, c.h}, &gLastEvent);
    ASSERT_TRUE(IsValueFieldActive()) << c.h;
    EXPECT_EQ(c.field, gValueField.changeProc) << c.h;
    ResetValueField();
    gCounterDisplayFlags = 0xFFFF;
  }
}

}  // namespace
}  // namespace app_test
