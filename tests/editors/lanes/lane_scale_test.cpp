// The data lanes' kinds and scales: the range of each kind (the tempo and volume ranges and
// the plug-in lane's no-value threshold), the scale steps and labels of every kind and label
// style, plug-in parameter scales from real plug-ins in focus, and the value readout per kind.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editors/automation/focused_plugin.h"
#include "editors/lanes/lane_scale.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/byte_order.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_manager.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/library/plugin_table.h"
#include "plugins/plugin_hooks.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/songs.h"
#include "tests/plugins/instances/component_entry.h"
#include "tests/plugins/vsthost/vst_test_instance.h"
#include "tests/song/model/model_fixture.h"

namespace {

std::string Text(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

struct Label {
  float value;
  std::string text;
};

// The labels the scale of steps draws: scale value and text.
std::vector<Label> Labels(const LaneScaleSteps& steps) {
  std::vector<Label> labels;
  float v = 0, t = 0;
  for (int32_t k = 0; LaneScaleLabelAt(steps, k, &v, &t); ++k) {
    Str255 text;
    FormatLaneScaleLabel(steps.style, t, text);
    labels.push_back({v, Text(text)});
  }
  return labels;
}

std::string Readout(int32_t kind, int32_t value, int32_t maximum = 16383) {
  LaneReadoutText r;
  ComposeLaneValueReadout(kind, value, maximum, &r);
  return Text(r.number) + Text(r.suffix);
}

// The current track of a fresh song in a track pane, the application's texts open.
class LaneScaleTest : public SongModelTest {
 protected:
  void SetUp() override {
    SongModelTest::SetUp();
    InstallPluginHooks();
    ASSERT_EQ(noErr, CreateSongTracks(1, 1));
    SetCurrentTrackIndex(0);
    gCurrentPaneSlot = 0;
    savedBend_ = gDefaultBendRange;
    savedController_ = gLaneController;
    ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &resources_));
  }
  void TearDown() override {
    Handle rack = GetTrackInsertRack();
    if (rack) {
      SetRackChainHead(rack, 0);
      DisposePluginRecord(rack);
    }
    WriteU32BE(gCurrentTrack + kTrackInsertRack, 0);
    gDefaultBendRange = savedBend_;
    gLaneController = savedController_;
    if (resources_ != -1) CloseResFile(resources_);
  }
  // The track's rack runs the chain from head: its first plug-in is in focus.
  void FocusChain(uint32_t head) {
    OSErr err = noErr;
    Handle rack = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, 44100.0f, false, &err);
    ASSERT_EQ(err, noErr);
    SetRackChainHead(rack, head);
  }
  uint8_t savedBend_ = 0;
  int32_t savedController_ = 0;
  SInt16 resources_ = -1;
};

TEST(LaneRangeTest, EveryKindHasItsRange) {
  // Tempi to 450.0 beats per minute and the volume lanes' unity gain are values of their lanes;
  // kinds above 12 take the controller lane's range.
  const int32_t expected[] = {16384, 128, 128, 128, 128, 128, 4501, 1, 32769, 128, 16384, 32769, 128, 128};
  for (int32_t kind = 0; kind < kLaneKindCount; ++kind) {
    EXPECT_EQ(GetLaneRange(kind), expected[kind]) << kind;
    EXPECT_EQ(GetLaneNoValueThreshold(kind), expected[kind] + (kind == kLanePluginParameter)) << kind;
  }
  EXPECT_EQ(GetLaneRange(20), 128);
  EXPECT_EQ(GetLaneRange(-1), 128);
}

TEST(LaneRangeTest, TheTopValuesOfTheWideLanesAreDrawnInsideTheLane) {
  SetRectFields(&gScratchRect, 0, 100, 50, 204);  // value 0 at 200, full scale at 100
  // A tempo of 300.0 and half of unity gain lie inside their lanes, not at the top.
  EXPECT_EQ(ValueToLaneY(3000, GetLaneRange(kLaneTempo)), 200 - (100 * 3000 + 2250) / 4501);
  EXPECT_EQ(ValueToLaneY(16384, GetLaneRange(kLaneVolumeAutomation)), 150);
  EXPECT_EQ(ValueToLaneY(32768, GetLaneRange(kLaneVolumeAutomation)), 100);
  // The plug-in lane's top value (one above its range as LaneYToValue gives it) is a value.
  gCurrentViewMode = kLanePluginParameter + kLaneViewModeOffset;
  int32_t top = LaneYToValue(100, GetLaneRange(kLanePluginParameter) - 1, 0);
  EXPECT_EQ(top, 16384);
  EXPECT_LT(top, GetLaneNoValueThreshold(kLanePluginParameter));
  gCurrentViewMode = kLaneTempo + kLaneViewModeOffset;
  EXPECT_EQ(LaneYToValue(100, GetLaneRange(kLaneTempo) - 1, 0), 4500);
  gCurrentViewMode = 0;
}

TEST_F(LaneScaleTest, TheStepsOfEveryKind) {
  struct Case {
    int32_t kind;
    uint8_t bendRange;
    float step, first, increment;
    int16_t style;
  };
  const Case cases[] = {
      {kLanePitchBend, 0, 8192, 0, 100, kLaneLabelNumbers},
      {kLanePitchBend, 1, 4096, -100, 50, kLaneLabelNumbers},
      {kLanePitchBend, 2, 4096, -200, 100, kLaneLabelNumbers},
      {kLanePitchBend, 8, 1024, -800, 100, kLaneLabelNumbers},
      {kLanePitchBend, 12, 1364, -1200, 200, kLaneLabelNumbers},
      {kLaneController, 2, 32, 0, 32, kLaneLabelNumbers},
      {kLaneVelocity, 2, 32, 0, 32, kLaneLabelNumbers},
      {kLaneProgram, 2, 32, 0, 32, kLaneLabelNumbers},
      {kLaneTempo, 2, 600, 0, 60, kLaneLabelNumbers},
      {7, 2, 0, 0, 0, kLaneLabelNumbers},
      {kLaneVolumeAutomation, 2, 4096.125f, 0, 4096.125f, kLaneLabelDecibels},
      {kLanePanAutomation, 2, 32, 0, 32, kLaneLabelNumbers},
      {kLaneControllerAutomation, 2, 4096.125f, 0, 4096.125f, kLaneLabelDecibels},
      {kLaneMasterVolume, 2, 32, 0, 32, kLaneLabelNumbers},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " bend " << int(c.bendRange));
    gDefaultBendRange = c.bendRange;
    LaneScaleSteps s = ComputeLaneScale(c.kind);
    EXPECT_FLOAT_EQ(s.step, c.step);
    EXPECT_FLOAT_EQ(s.firstLabel, c.first);
    EXPECT_FLOAT_EQ(s.increment, c.increment);
    EXPECT_EQ(s.style, c.style);
    EXPECT_EQ(gLaneScale.scaleMin, 0.0f);
    EXPECT_EQ(gLaneScale.scaleMax, float(GetLaneRange(c.kind)));
    EXPECT_EQ(gLaneScale.scaleParameterKind, 0);
  }
  EXPECT_EQ(gLaneScale.scaleMax, 128.0f) << "the master volume works on 0..127";
}

TEST_F(LaneScaleTest, TheLabelsOfEachStyle) {
  gDefaultBendRange = 0;
  std::vector<Label> bend = Labels(ComputeLaneScale(kLanePitchBend));
  ASSERT_EQ(bend.size(), 3u);
  const Label noRange[] = {{0, "0"}, {8192, "100"}, {16384, "200"}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(bend[i].value, noRange[i].value);
    EXPECT_EQ(bend[i].text, noRange[i].text);
  }
  gDefaultBendRange = 12;
  bend = Labels(ComputeLaneScale(kLanePitchBend));
  ASSERT_EQ(bend.size(), 13u);
  EXPECT_EQ(bend[0].text, "-1200");
  EXPECT_EQ(bend[1].text, "-1000");
  EXPECT_EQ(bend[1].value, 1364.0f);
  EXPECT_EQ(bend[12].text, "1200");
  std::vector<Label> tempo = Labels(ComputeLaneScale(kLaneTempo));
  ASSERT_EQ(tempo.size(), 8u) << "0..4200 in steps of 600";
  EXPECT_EQ(tempo[2].text, "120");
  EXPECT_EQ(tempo[7].value, 4200.0f);
  std::vector<Label> volume = Labels(ComputeLaneScale(kLaneVolumeAutomation));
  ASSERT_EQ(volume.size(), 9u) << "eighths up to and including unity gain";
  const char* decibels[] = {"-oo", "-18", "-12", "-8.5", "-6.0", "-4.1", "-2.5", "-1.2", "0.0"};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(volume[i].text, decibels[i]) << i;
  gLaneController = -2;  // the plug-in lane's eighths, numbered from 0 to 1
  std::vector<Label> eighths = Labels(ComputeLaneScale(kLanePluginParameter));
  ASSERT_EQ(eighths.size(), 9u);
  EXPECT_EQ(eighths[1].text, "0.125");
  EXPECT_EQ(eighths[4].text, "0.5");
  EXPECT_EQ(eighths[8].text, "1");
  gLaneController = -1;  // two states: halves, named rather than numbered
  LaneScaleSteps two = ComputeLaneScale(kLanePluginParameter);
  EXPECT_EQ(two.style, kLaneLabelTwoState);
  EXPECT_EQ(two.step, 8192.0f);
  EXPECT_EQ(Labels(two)[1].text, "");
  Str255 name;
  GetIndString(name, kTwoStateLaneStrList, 1);
  EXPECT_EQ(Text(name), "Off");
}

TEST_F(LaneScaleTest, ALaneWithoutAPluginInFocusShowsEighths) {
  gLaneController = 3;
  LaneScaleSteps s = ComputeLaneScale(kLanePluginParameter);
  EXPECT_EQ(s.style, kLaneLabelNumbers);
  EXPECT_EQ(s.step, 2048.0f);
  EXPECT_EQ(MapLaneValueToParameter(3, 0.25f), 0.25f);
  EXPECT_EQ(Readout(kLanePluginParameter, 8192), "0.5000");
}

// Cached tables of three parameters of a real VST plug-in: indexed 0.5..20000, indexed 0..4,
// Boolean.
class VstParameterScaleTest : public LaneScaleTest {
 protected:
  void SetUp() override {
    LaneScaleTest::SetUp();
    plugin_ = std::make_unique<vsthost_test::TestVstInstance>(vsthost_test::kLspCompressor);
    if (!plugin_->ok()) GTEST_SKIP() << "the plug-in is not installed";
    PluginInstance* p = plugin_->instance();
    ASSERT_GE(p->parameterCount, 3u);
    // Tables for every parameter (the host reads them by parameter number): the first three
    // described here, the others generic 0..1.
    size_t count = p->parameterCount;
    delete[] p->parameterMinimum;
    delete[] p->parameterMaximum;
    delete[] p->parameterUnit;
    p->parameterMinimum = new float[count]();
    p->parameterMaximum = new float[count];
    p->parameterUnit = new uint32_t[count]();
    std::fill(p->parameterMaximum, p->parameterMaximum + count, 1.0f);
    const float minimum[3] = {0.5f, 0.0f, 0.0f}, maximum[3] = {20000.0f, 4.0f, 1.0f};
    const uint32_t unit[3] = {kParameterUnitIndexed, kParameterUnitIndexed, kParameterUnitBoolean};
    std::copy(minimum, minimum + 3, p->parameterMinimum);
    std::copy(maximum, maximum + 3, p->parameterMaximum);
    std::copy(unit, unit + 3, p->parameterUnit);
    FocusChain(p->id);
  }
  void TearDown() override {
    LaneScaleTest::TearDown();
    plugin_.reset();  // frees the tables
    ResetPluginTable();
  }
  std::unique_ptr<vsthost_test::TestVstInstance> plugin_;
};

TEST_F(VstParameterScaleTest, AnIndexedParameterIsScaledInItsOwnUnits) {
  ASSERT_EQ(GetFocusedPluginObject(), plugin_->instance());
  gLaneController = 0;
  LaneScaleSteps s = ComputeLaneScale(kLanePluginParameter);
  EXPECT_EQ(s.style, kLaneLabelParameter);
  EXPECT_EQ(s.step, 2048.0f) << "the first power of two that leaves at most 10 steps";
  EXPECT_EQ(gLaneScale.scaleParameterKind, 1);
  EXPECT_EQ(gLaneScale.scaleMin, 0.5f);
  EXPECT_EQ(gLaneScale.scaleMax, 20000.0f);
  EXPECT_EQ(gLaneScale.scaleRange, 19999.5f);
  std::vector<Label> labels = Labels(s);
  ASSERT_EQ(labels.size(), 10u);
  EXPECT_EQ(labels[0].text, "1") << "0.5 rounded to its index";
  EXPECT_EQ(labels[1].value, 2048.5f);
  EXPECT_EQ(labels[1].text, "2.0K");
  EXPECT_EQ(labels[9].text, "18K");
  gLaneController = 1;
  s = ComputeLaneScale(kLanePluginParameter);
  labels = Labels(s);
  ASSERT_EQ(labels.size(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(labels[i].text, std::to_string(i));
}

TEST_F(VstParameterScaleTest, ABooleanParameterHasTwoStates) {
  gLaneController = 2;
  LaneScaleSteps s = ComputeLaneScale(kLanePluginParameter);
  EXPECT_EQ(s.style, kLaneLabelTwoState);
  EXPECT_EQ(s.step, 2048.0f);
  EXPECT_EQ(gLaneScale.scaleParameterKind, 0);
  gLaneController = int32_t(plugin_->instance()->parameterCount);  // past the parameters
  EXPECT_EQ(ComputeLaneScale(kLanePluginParameter).style, kLaneLabelNumbers);
}

TEST_F(VstParameterScaleTest, TheReadoutIsThePluginsOwnText) {
  gLaneController = 5;  // a generic parameter: its value text as the host gives it
  char expected[64] = {};
  float half = 0.5f;
  if (GetParameterValueText(plugin_->instance(), 5, expected, sizeof expected, &half) != noErr || !expected[0])
    GTEST_SKIP() << "the plug-in gives no text";
  EXPECT_EQ(Readout(kLanePluginParameter, 8192), expected);
}

// A component's continuous parameter: its own answer settles the scale at eighths.
TEST_F(LaneScaleTest, AComponentsContinuousParameterKeepsEighths) {
  int32_t index = instances_test::AppendComponentEntry("LSP LV2: LSP Compressor Stereo", kPluginKindAuEffect,
                                                       FourCC("tls1"));
  if (index < 0) GTEST_SKIP() << "the component is not installed";
  OSErr err = 1;
  uint32_t head = 0;
  ASSERT_NE(0u, OpenPluginInstance(nullptr, 512, &head, index, 0, PluginInfoAt(index), kOpenQuietly, nullptr,
                                   48000.0, &err));
  FocusChain(head);
  PluginInstance* p = GetChainPlugin(head, 0);
  int32_t continuous = -1;
  for (int32_t i = 0; i < int32_t(p->parameterCount) && continuous < 0; ++i) {
    ParameterDescription d;
    if (GetParameterInfo(p, i, &d) == noErr && d.unit != kParameterUnitIndexed &&
        d.unit != kParameterUnitBoolean && d.maximum - d.minimum > 20)
      continuous = i;
  }
  if (continuous >= 0) {
    gLaneController = continuous;
    LaneScaleSteps s = ComputeLaneScale(kLanePluginParameter);
    EXPECT_EQ(s.style, kLaneLabelParameter);
    EXPECT_EQ(s.step, 2048.0f);
    EXPECT_EQ(gLaneScale.scaleMin, 0.0f);
  }
  SetRackChainHead(GetTrackInsertRack(), 0);
  ReleaseChainPlugins(head);
  ResetPluginTable();
  if (continuous < 0) GTEST_SKIP() << "no continuous parameter";
}

TEST_F(LaneScaleTest, TheReadoutOfEachKind) {
  gDefaultBendRange = 2;
  gLaneController = -1;
  struct Case {
    int32_t kind;
    int32_t value;
    const char* text;
  };
  const Case cases[] = {
      {kLanePitchBend, 0, "-200 ct"},        {kLanePitchBend, 8192, "0 ct"},
      {kLanePitchBend, 16383, "199 ct"},     {kLaneController, 200, "127"},
      {kLaneVelocity, -3, "0"},              {kLanePolyPressure, 64, "64"},
      {kLaneTempo, 1200, "120.0"},           {kLaneTempo, 4500, "450.0"},
      {7, 50, ""},                           {kLaneVolumeAutomation, 32768, "0.0"},
      {kLaneVolumeAutomation, 16384, "-6.0"}, {kLaneControllerAutomation, 0, "-oo"},
      {kLanePanAutomation, 127, "127"},      {kLaneMasterVolume, 100, "100"},
      {kLanePluginParameter, 100, "Off"},    {kLanePluginParameter, 16384, "On"},
  };
  for (const Case& c : cases) EXPECT_EQ(Readout(c.kind, c.value), c.text) << c.kind << " " << c.value;
  LaneReadoutText r;
  ComposeLaneValueReadout(kLanePitchBend, 0, 16383, &r);
  EXPECT_EQ(r.digits, 5);
  ComposeLaneValueReadout(kLaneController, 0, 127, &r);
  EXPECT_EQ(r.digits, 4);
}

}  // namespace
