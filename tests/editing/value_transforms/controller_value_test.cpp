// The controller, channel-pressure and pitch-bend value edits: add and percent on existing
// events, set and ramp writing new ones with the value in force restored at the selection end,
// the cents conversion of pitch bend, the sine ramp at a coarse resolution, and Undo.
#include <gtest/gtest.h>

#include "editing/transforms/controller_value_transform.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/value_settings.h"
#include "editing/edit_context.h"
#include "editing/transforms/value_dialogs.h"
#include "editors/timeline/lane_values.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/editing/value_transforms/value_transform_fixture.h"

namespace value_test {
namespace {

class ControllerValueTest : public ValueTransformTest {
 protected:
  void SetUp() override {
    ValueTransformTest::SetUp();
    MakeOneTrackSong(96);
    Select(97, 481);
  }
  std::vector<Ev> Run(uint8_t operation, uint8_t runKind, uint8_t controller = 1) {
    gValueOperation = operation;
    gControllerEditState.runKind = runKind;
    gControllerEditState.runController = controller;
    EXPECT_EQ(1, ApplyControllerValueEdit(runKind == kRunPitchBend ? kUndoKindPitchBendValues : kUndoKindControllerValues));
    return Events();
  }
};

TEST_F(ControllerValueTest, AddAndPercentChangeOnlyTheRunsEvents) {
  std::vector<Ev> events = {{50, 0xB0, 7, 100}, {100, 0xB0, 7, 120}, {200, 0xB0, 1, 60},
                            {300, 0xB0, 7, 40}, {400, 0xD0, 30, 0},  {500, 0xB0, 7, 10}};
  Put(events);
  gControllerEditState.addAmount = 20;
  std::vector<Ev> added = events;
  added[1].d2 = 127;  // 120 + 20
  added[3].d2 = 60;
  EXPECT_EQ(added, Run(kValueAdd, kRunController, 7));
  Put(events);
  gControllerEditState.percent = 50;
  std::vector<Ev> halved = events;
  halved[4].d1 = 15;
  EXPECT_EQ(halved, Run(kValuePercent, kRunChannelPressure));
}

TEST_F(ControllerValueTest, PitchBendConvertsThroughCents) {
  struct { int32_t cents, range, bend; } cases[] = {
      {0, 200, 8192}, {-200, 200, 0}, {200, 200, 16383}, {100, 200, 12288}, {-50, 1200, 7850},
      {300, 200, 16383}, {-300, 200, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cents);
    EXPECT_EQ(c.bend, CentsToBendValue(c.cents, c.range));
  }
  EXPECT_EQ(0, BendValueToCents(8192, 200));
  EXPECT_EQ(-200, BendValueToCents(0, 200));
  EXPECT_EQ(99, BendValueToCents(12287, 200));
}

TEST_F(ControllerValueTest, PitchBendSetOfZeroCentsWritesTheCentre) {
  gControllerEditState.setValue = 0;
  std::vector<Ev> expected = {{97, 0xE0, 0, 64}, {481, 0xE0, 0, 64}};  // the bend in force (none: 0) restored
  EXPECT_EQ(expected, Run(kValueSet, kRunPitchBend));
}

TEST_F(ControllerValueTest, PitchBendAddMovesByCents) {
  Put({{100, 0xE0, 0, 64}, {200, 0xE0, 0, 96}});
  gControllerEditState.addAmount = 100;
  std::vector<Ev> expected = {{100, 0xE0, 0, 96}, {200, 0xE0, 127, 127}};
  EXPECT_EQ(expected, Run(kValueAdd, kRunPitchBend));
}

TEST_F(ControllerValueTest, SetRestoresTheValueInForceAtTheSelectionEnd) {
  Put({{10, 0xB2, 1, 30}, {200, 0xB2, 1, 90}, {300, 0xB2, 7, 5}, {600, 0xB2, 1, 10}});
  gControllerEditState.setValue = 64;
  std::vector<Ev> expected = {{10, 0xB2, 1, 30}, {97, 0xB2, 1, 64}, {300, 0xB2, 7, 5}, {481, 0xB2, 1, 90},
                              {600, 0xB2, 1, 10}};
  EXPECT_EQ(expected, Run(kValueSet, kRunController));
}

TEST_F(ControllerValueTest, RampWritesChangedValuesEveryEighthOfAQuarter) {
  // 96 ticks a quarter: a step of 12 ticks from 97 to 481 (385 ticks), 0 to 32.
  gControllerEditState.rampStart = 0;
  gControllerEditState.rampEnd = 32;
  std::vector<Ev> out = Run(kValueRamp, kRunChannelPressure);
  ASSERT_EQ(33u, out.size());
  for (size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(97 + 12 * i, out[i].tick);
    EXPECT_EQ(0xD0, out[i].status);
  }
  EXPECT_EQ(0, out.front().d1);
  EXPECT_EQ(32, out.back().d1);
  EXPECT_EQ(16, out[16].d1);
}

TEST_F(ControllerValueTest, RampWithEqualEndsWritesOneEvent) {
  gControllerEditState.rampStart = 50;
  gControllerEditState.rampEnd = 50;
  std::vector<Ev> expected = {{97, 0xB0, 1, 50}};
  EXPECT_EQ(expected, Run(kValueRamp, kRunController));
}

TEST_F(ControllerValueTest, NegativeRampStartBeginsAtTheValueInForce) {
  Put({{50, 0xB0, 1, 100}});
  gControllerEditState.rampStart = -1;
  gControllerEditState.rampEnd = 100;
  std::vector<Ev> expected = {{50, 0xB0, 1, 100}, {97, 0xB0, 1, 100}, {481, 0xB0, 1, 100}};
  EXPECT_EQ(expected, Run(kValueRamp, kRunController));
}

TEST_F(ControllerValueTest, SineRampEndsAtACoarseResolution) {
  // 24 ticks a quarter: a 64th of a quarter is below one tick; the wave steps every tick.
  MakeOneTrackSong(24);
  Select(1, 49);
  gControllerEditState.sineRamp = 1;
  gControllerEditState.rampStart = 100;
  gControllerEditState.rampEnd = 100;
  std::vector<Ev> out = Run(kValueRamp, kRunController);
  ASSERT_FALSE(out.empty());
  EXPECT_LE(out.back().tick, 49u);
  EXPECT_EQ(1u, out.front().tick);
  EXPECT_EQ(0, out.front().d2);      // sin 0
  EXPECT_EQ(25, out[1].d2);          // 100 sin 15 degrees, truncated
  EXPECT_EQ(7u, out[6].tick);        // 100 sin 90 degrees at the sixth step
  EXPECT_EQ(100, out[6].d2);
}

TEST_F(ControllerValueTest, UndoGivesTheSavedDocumentBack) {
  Put({{10, 0xB0, 1, 30}, {200, 0xB0, 1, 90}});
  std::string before = SavedDocument();
  gControllerEditState.rampStart = 0;
  gControllerEditState.rampEnd = 127;
  Run(kValueRamp, kRunController);
  ExpectUndoRestores(before);
}

}  // namespace
}  // namespace value_test

namespace value_test {
namespace {

// In song mode 1 every tick of the ramp may change: a ramp of 0..20 over 20 ticks writes
// 21 values one tick apart.
TEST_F(ControllerValueTest, RampStepsEveryTickInSongModeOne) {
  SongHeaderView(gCurrentSong).SetSongMode(1);
  Select(101, 121);
  gControllerEditState.rampStart = 0;
  gControllerEditState.rampEnd = 20;
  std::vector<Ev> out = Run(kValueRamp, kRunController);
  SongHeaderView(gCurrentSong).SetSongMode(0);
  ASSERT_EQ(21u, out.size());
  for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ((Ev{uint32_t(101 + i), 0xB0, 1, uint8_t(i)}), out[i]) << i;
}

// From a data lane, the dialog's target follows the lane; elsewhere the remembered one stays.
TEST(ControllerLaneTarget, FollowsThePressureAndControllerLanes) {
  struct Case {
    int32_t lane, controller;
    uint8_t remembered, expected;
  } cases[] = {
      {kLaneChannelPressure, 7, kTargetModulation, kTargetChannelPressure},
      {kLaneController, 1, kTargetControllerN, kTargetModulation},
      {kLaneController, 7, kTargetModulation, kTargetControllerN},
      {kLanePitchBend, 7, kTargetChannelPressure, kTargetChannelPressure},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, GetLaneStartTarget(c.lane, c.controller, c.remembered)) << c.lane;
}

// With an instrument pane current in the editor the edit runs on the pane's track as one
// undoable step.
TEST_F(ControllerValueTest, InstrumentPaneEditIsOneUndoableStep) {
  Put({{101, 0xB0, 1, 100}});
  std::string before = SavedDocument();
  gEditContextKind = kContextEditorLane;
  gCurrentPaneSlot = 1;
  gControllerEditState.addAmount = 10;
  std::vector<Ev> out = Run(kValueAdd, kRunController);
  gCurrentPaneSlot = 0;
  gEditContextKind = kContextEditorNotes;
  EXPECT_EQ((std::vector<Ev>{{101, 0xB0, 1, 110}}), out);
  ExpectUndoRestores(before);
}

}  // namespace
}  // namespace value_test
