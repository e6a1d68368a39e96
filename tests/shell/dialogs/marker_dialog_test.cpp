// The marker dialog's time fields at every frame rate, and its two position field groups
// following each other in 4/4 and 6/8.
#include <memory>

#include "sequencer/clock/time_code_format.h"
#include "song/dialogs/marker_dialog_fields.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/song/conductor/conductor_fixture.h"

namespace {

class MarkerDialogTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    gSongStartOffset = 0;
    // The general texts, for the lock label.
    strings_ = std::make_unique<ui_test::ScopedResources>(zarin_test::ReadWholeFile(ZARIN_STRINGS_SOURCE));
  }
  void TearDown() override {
    strings_.reset();
    gSongStartOffset = 0;
    gSmpteRateCode = 3;
  }
  std::unique_ptr<ui_test::ScopedResources> strings_;
  static std::string Text(const unsigned char* p) { return std::string(p + 1, p + 1 + p[0]); }
};

struct TimeCodeCase {
  uint8_t rateCode;
  int32_t fields[5];
  uint32_t subframes;
};

TEST_F(MarkerDialogTest, TimeFieldsConvertAtEveryFrameRate) {
  const TimeCodeCase cases[] = {
      {0, {0, 1, 2, 3, 4}, (62 * 24 + 3) * 80 + 4},
      {1, {0, 1, 2, 3, 4}, (62 * 25 + 3) * 80 + 4},
      {3, {0, 1, 2, 3, 4}, (62 * 30 + 3) * 80 + 4},
      {3, {1, 0, 0, 29, 79}, (3600 * 30 + 29) * 80 + 79},
      // 29.97 drop-frame: frames 0 and 1 are missing in minutes not divisible by ten.
      {2, {0, 1, 2, 3, 4}, (62 * 30 + 3 - 2) * 80 + 4},
      {2, {0, 1, 0, 2, 0}, kDropSubframesFirstMinute},
      {2, {0, 10, 0, 0, 0}, kDropSubframesPerTenMinutes},
      {2, {0, 10, 0, 0, 1}, kDropSubframesPerTenMinutes + 1},
      {2, {1, 0, 0, 0, 0}, kDropSubframesPerHour},
  };
  for (const TimeCodeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "rate " << int(c.rateCode) << " subframes " << c.subframes);
    gSmpteRateCode = c.rateCode;
    MarkerDialogState d;
    SetMarkerDialogTime(&d, c.subframes);
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(c.fields[i], d.timeFields[i]) << "field " << i;
    uint32_t tick = 0, time = 0;
    TimeCodeFieldsToTime(c.fields, &tick, &time);
    EXPECT_EQ(c.subframes, time);
    GetMarkerDialogTime(d, &tick, &time);
    EXPECT_EQ(c.subframes, time);
  }
}

TEST_F(MarkerDialogTest, TimeFieldsCountFromTheSongStartOffset) {
  gSongStartOffset = 3600 * 2400;  // one hour at 30 frames per second
  MarkerDialogState d;
  SetMarkerDialogTime(&d, 2400 * 2 + 80);
  const int32_t shown[5] = {1, 0, 2, 1, 0};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(shown[i], d.timeFields[i]);
  uint32_t tick = 0, time = 0;
  GetMarkerDialogTime(d, &tick, &time);
  EXPECT_EQ(2400u * 2 + 80, time);
  EXPECT_EQ(uint32_t(TimeToTick(int32_t(time))), tick);
  // A time typed before the offset is the song start, not a wrapped-around time.
  const int32_t early[5] = {0, 59, 0, 0, 0};
  TimeCodeFieldsToTime(early, &tick, &time);
  EXPECT_EQ(0u, time);
  EXPECT_EQ(1u, tick);
}

struct MeterCase {
  int32_t numerator, denominator;
  int32_t bar, beat, inBeat;  // as shown, from 1
  uint32_t tick;
};

TEST_F(MarkerDialogTest, BarAndTimeFieldsFollowEachOther) {
  const MeterCase cases[] = {
      {4, 4, 2, 4, 10, 1 + 1920 + 3 * 480 + 10},
      {6, 8, 2, 4, 10, 1 + 1440 + 3 * 240 + 10},
      {6, 8, 3, 6, 239, 1 + 2 * 1440 + 5 * 240 + 239},
  };
  for (const MeterCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.numerator << "/" << c.denominator);
    ConductorTest::SetUp();
    MeterAt(1, c.numerator, c.denominator);
    MarkerDialogState d;
    SetMarkerDialogPosition(&d, 1);
    d.bars.bar = c.bar;
    d.bars.beat = c.beat;
    d.bars.tick = c.inBeat;
    EXPECT_EQ(noErr, HandleMarkerDialogCommand(&d, kMarkerDialogBar + 1));
    EXPECT_EQ(c.tick, d.tick);
    EXPECT_EQ(TickToTime(int32_t(c.tick)), d.time);
    EXPECT_EQ(kMarkerDialogBar + 1, d.focusItem);
    uint32_t tick = 0, time = 0;
    GetMarkerDialogTime(d, &tick, &time);
    EXPECT_EQ(d.time, time);
    // Typing the time of the bar's start brings the bar fields back to its first beat.
    SetMarkerDialogTime(&d, TickToTime(int32_t(1 + (c.bar - 1) * gConductorState.ticksPerBar)));
    EXPECT_EQ(noErr, HandleMarkerDialogCommand(&d, kMarkerDialogSubframes));
    EXPECT_EQ(c.bar, d.bars.bar);
    EXPECT_EQ(1, d.bars.beat);
    EXPECT_EQ(0, d.bars.tick);
    EXPECT_EQ(kMarkerDialogSubframes, d.focusItem);
  }
}

TEST_F(MarkerDialogTest, CommandsToggleTheLockAndEndTheDialog) {
  MarkerDialogState d;
  SetMarkerDialogPosition(&d, 1);
  EXPECT_EQ("Locked to bars", Text(d.lockLabel));
  for (uint32_t command : {14u, 15u, 30u}) {
    bool was = d.locked;
    EXPECT_EQ(noErr, HandleMarkerDialogCommand(&d, command));
    EXPECT_NE(was, d.locked);
    EXPECT_EQ(d.locked ? "Locked to time" : "Locked to bars", Text(d.lockLabel));
  }
  // The name field takes the proposed name; 26 only over the default name.
  std::memcpy(d.defaultName, "\3New", 4);
  std::memcpy(d.name, "\4Mine", 5);
  std::memcpy(d.proposedName, "\5Verse", 6);
  EXPECT_EQ(noErr, HandleMarkerDialogCommand(&d, kMarkerDialogSetName));
  EXPECT_EQ("Mine", Text(d.name));
  EXPECT_EQ(noErr, HandleMarkerDialogCommand(&d, kMarkerDialogReplaceName));
  EXPECT_EQ("Verse", Text(d.name));
  EXPECT_EQ(eventNotHandledErr, HandleMarkerDialogCommand(&d, 40));
  EXPECT_EQ(eventNotHandledErr, HandleMarkerDialogCommand(&d, FourCC("what")));
  EXPECT_FALSE(d.closed);
  EXPECT_EQ(noErr, HandleMarkerDialogCommand(&d, kMarkerDialogOk));
  EXPECT_TRUE(d.closed);
  EXPECT_EQ(kMarkerDialogOk, d.result);
  MarkerDialogState cancelled;
  EXPECT_EQ(noErr, HandleMarkerDialogCommand(&cancelled, kMarkerDialogCancel));
  EXPECT_EQ(kMarkerDialogCancel, cancelled.result);
  MarkerDialogState closed;
  EXPECT_EQ(noErr, HandleMarkerDialogCommand(&closed, kMarkerDialogClose));
  EXPECT_TRUE(closed.closed);
  EXPECT_EQ(0u, closed.result);
}

}  // namespace
