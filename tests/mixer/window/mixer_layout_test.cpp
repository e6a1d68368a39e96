// The mixer window's geometry and control arithmetic: row heights against the knobs a row
// shows, the row under a point, rack fader drags and their link, paging, and the output
// busses a channel label toggles.
#include <gtest/gtest.h>

#include <cmath>

#include "mixer/window/mixer_header.h"
#include "mixer/window/mixer_layout.h"
#include "mixer/window/mixer_values.h"

namespace {

MixerRowShape Shape(int32_t parameters, int32_t stateFlags = 0, bool without = false) {
  MixerRowShape s;
  s.parameters = parameters;
  s.stateFlags = stateFlags;
  s.withoutParameters = without;
  return s;
}

TEST(MixerLayout, EveryParameterOfARowFitsItsHeightInBothViews) {
  // A row is as many knob lines high as its parameters need at the view's knobs per line,
  // so that it shows them all without paging.
  for (bool expanded : {false, true}) {
    for (int32_t p : {1, 7, 8, 9, 10, 11, 12, 13, 24, 25, 61}) {
      for (int32_t state : {0, 1, 5}) {
        MixerRowShape row = Shape(p, state);
        EXPECT_EQ(p, MixerVisibleKnobs(row, expanded)) << "p " << p << " expanded " << expanded << " state " << state;
        // The last knob's cell lies inside the row.
        Rect last = MixerKnobCell(row, expanded, 100, p - 1);
        EXPECT_LE(last.bottom, 100 + MixerRowHeight(row, expanded)) << "p " << p << " expanded " << expanded;
      }
    }
  }
}

TEST(MixerLayout, RowHeights) {
  struct Case {
    MixerRowShape row;
    bool expanded;
    int16_t height;
  } cases[] = {
      {Shape(0), false, 64},            // no parameters: R
      {Shape(0), true, 82},
      {Shape(40, 0, true), true, 82},   // drawn without parameters
      {Shape(8), true, 86},             // one line of 8
      {Shape(8, 1), true, 98},          // a program line
      {Shape(8, 5), true, 110},         // and a sound-bank line
      {Shape(13), true, 82 * 2 - 82 + 86},   // two lines of 8
      {Shape(13), false, 64 * 2 - 64 + 86},  // two lines of 10
      {Shape(10), false, 86},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.height, MixerRowHeight(c.row, c.expanded)) << c.row.parameters << " " << c.expanded;
  EXPECT_EQ(8, MixerKnobsPerLine(true));
  EXPECT_EQ(10, MixerKnobsPerLine(false));
}

TEST(MixerLayout, ThePointBelowTheRowsIsNoRowUnlessADropAsks) {
  const int16_t heights[] = {64, 86, 100};
  int16_t top = MixerHeaderHeight(false);
  EXPECT_EQ(-1, FindMixerRowAt(int16_t(top - 1), heights, 3, false, false));
  EXPECT_EQ(0, FindMixerRowAt(top, heights, 3, false, false));
  EXPECT_EQ(0, FindMixerRowAt(int16_t(top + 63), heights, 3, false, false));
  EXPECT_EQ(1, FindMixerRowAt(int16_t(top + 64), heights, 3, false, false));
  EXPECT_EQ(2, FindMixerRowAt(int16_t(top + 249), heights, 3, false, false));
  // Below every row: the add area for a click, the last row for a drop.
  EXPECT_EQ(-1, FindMixerRowAt(int16_t(top + 250), heights, 3, false, false));
  EXPECT_EQ(2, FindMixerRowAt(int16_t(top + 250), heights, 3, false, true));
  EXPECT_EQ(-1, FindMixerRowAt(int16_t(top + 5), heights, 0, false, true));
}

TEST(MixerLayout, FaderThumbsRunFromTheBottomToTheTop) {
  Rect zero = RackFaderThumb(false, 1, 0, 256);
  Rect full = RackFaderThumb(false, 1, 256, 256);
  Rect half = RackFaderThumb(false, 1, 128, 256);
  EXPECT_EQ(kRackFaderTravel, zero.top - full.top);
  EXPECT_EQ(kRackFaderTravel / 2, zero.top - half.top);
  EXPECT_EQ(MixerHeaderHeight(false) + 33 + kRackFaderTravel, zero.top);
  // The faders stand apart, left of the rows.
  EXPECT_LE(RackFaderColumn(false, 0).right, RackFaderColumn(false, 1).left);
  EXPECT_LE(RackFaderColumn(false, 2).right, MixerRowsLeft(false));
}

TEST(MixerValues, DraggingFaderOneUpItsTravelMovesLinkedFaderTwoDown) {
  const int32_t travel = 80;
  double values[3] = {0, 0, 32768};
  values[1] = DragFaderValue(0, 200, 200 - travel, kRackFaderMaxima[1], travel);
  ApplyRackFaderLink(1, 0, values);
  EXPECT_EQ(256.0, values[1]);
  EXPECT_EQ(0.0, values[2]);
  // Moved a pixel at a time, the linked fader follows each whole step of fader 1.
  double steps[3] = {0, 0, 32768};
  for (int32_t v = 199; v >= 200 - travel; --v) {
    double old = steps[1];
    steps[1] = std::trunc(DragFaderValue(0, 200, v, kRackFaderMaxima[1], travel));
    ApplyRackFaderLink(1, old, steps);
  }
  EXPECT_EQ(256.0, steps[1]);
  EXPECT_EQ(0.0, steps[2]);
  // Beyond the travel the value stays at the maximum; below the start at 0.
  EXPECT_EQ(256.0, DragFaderValue(0, 200, 0, 256, travel));
  EXPECT_EQ(0.0, DragFaderValue(100, 200, 400, 256, travel));
  // Fader 0 is unlinked and spans 0 .. 1/32768.
  EXPECT_DOUBLE_EQ(kRackFaderMaxima[0] / 2, DragFaderValue(0, 200, 160, kRackFaderMaxima[0], travel));
}

TEST(MixerValues, ANoTravelLayoutKeepsTheFader) {
  EXPECT_EQ(100.0, DragFaderValue(100, 200, 150, 256, 0));
  EXPECT_EQ(100.0, DragFaderValue(100, 200, 150, 256, -3));
}

TEST(MixerValues, LinkMovesTheOtherFaderByWholeSteps) {
  // Fader 2 down by 200.7: d truncates to 200, fader 1 moves up by 200 x 256 / 32768.
  double values[3] = {0, 10, 1000.0 - 200.7};
  ApplyRackFaderLink(2, 1000.0, values);
  EXPECT_FLOAT_EQ(float(10 + 200 * 256.0 / 32768.0), float(values[1]));
  // Clamped to the other fader's range.
  double high[3] = {0, 250, 0};
  ApplyRackFaderLink(2, 32768.0, high);
  EXPECT_EQ(256.0, high[1]);
  // Turning the link on sets fader 1 from fader 2.
  EXPECT_EQ(256.0, LinkedFaderOne(0));
  EXPECT_EQ(128.0, LinkedFaderOne(16384));
  EXPECT_EQ(191.0, LinkedFaderOne(8200));
}

TEST(MixerValues, PagingStepsOneLineShortOfAFullLine) {
  struct Case {
    int32_t first, count, perLine;
    bool forward;
    int32_t next;
  } cases[] = {
      {0, 30, 8, true, 7},     // forward by 7
      {21, 30, 8, true, 28},
      {23, 30, 8, true, 23},   // the last page: first + 8 is not below 30
      {22, 30, 8, true, 22},
      {0, 30, 8, false, 0},    // already at the start
      {3, 30, 8, false, 0},    // not below 0
      {14, 30, 8, false, 7},
      {0, 5, 1, true, 1},      // one column: steps of 1
  };
  for (const Case& c : cases) EXPECT_EQ(c.next, PageFirstVisible(c.first, c.count, c.perLine, c.forward)) << c.first;
}

TEST(MixerValues, BooleanParametersToggleAtTheMiddle) {
  EXPECT_EQ(1.0f, ToggledBooleanValue(0.0f));
  EXPECT_EQ(1.0f, ToggledBooleanValue(0.5f));
  EXPECT_EQ(0.0f, ToggledBooleanValue(0.51f));
}

TEST(MixerValues, TogglingAnOutputBusKeepsTheUsersChoice) {
  struct Case {
    OutputBusLayout before;
    int32_t bus, channels;
    int32_t count;
    uint32_t stereo;
  } cases[] = {
      // The only bus of a stereo chain made mono: a second mono bus takes the other channel
      // (widening it again would undo the click).
      {{1, 1}, 0, 2, 2, 0},
      // Two mono busses, the first made stereo: the last one is dropped.
      {{2, 0}, 0, 2, 1, 1},
      // The last of two mono busses made stereo on a 3-channel chain: fits as it is.
      {{2, 0}, 1, 3, 2, 2},
      // The first of two stereo busses made mono on 4 channels: a mono bus is added.
      {{2, 3}, 0, 4, 3, 2},
      // A bus beyond the count changes nothing.
      {{1, 0}, 3, 2, 1, 0},
  };
  for (const Case& c : cases) {
    OutputBusLayout after = ToggleOutputBus(c.before, c.bus, c.channels);
    EXPECT_EQ(c.count, after.count) << c.bus << "/" << c.channels;
    EXPECT_EQ(c.stereo, after.stereo) << c.bus << "/" << c.channels;
    if (c.bus < c.before.count) {
      EXPECT_EQ(c.channels, CountBusChannels(after));
    }
  }
}

TEST(MixerHeader, SendsFollowTheChainsOutputChannels) {
  EXPECT_EQ(0, MixerSendCount(0));
  EXPECT_EQ(1, MixerSendCount(1));
  EXPECT_EQ(1, MixerSendCount(2));
  EXPECT_EQ(2, MixerSendCount(3));
  EXPECT_EQ(8, MixerSendCount(16));
  EXPECT_EQ(8, MixerSendCount(40));
}

}  // namespace
