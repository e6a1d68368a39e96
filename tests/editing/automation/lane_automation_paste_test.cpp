// The automation points in the copy and paste of data lanes: a copy from a bus's plug-in pane
// keeps only the points of the lane in the clipboard's rack table, a paste of it puts them at
// the paste point rescaled to the destination rack's rate with the lane's parameter, and
// events pasted into the controller and plug-in parameter lanes become controller events
// and parameter points.
#include "tests/editing/clipboard/clipboard_fixture.h"

#include "audio/engine/engine_state.h"
#include "editing/lane_paste.h"
#include "editing/paste.h"
#include "editors/automation/automation_points.h"
#include "editors/timeline/lane_values.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"

using clip_test::Ev;
using clip_test::Note;

namespace {

constexpr int32_t kParameterLane = 10;

// "time/kind/target[/value]" per point (the value of parameter points in thousandths).
std::string Points(Handle rack) {
  Handle list = GetRackAutomationList(rack);
  std::string out;
  for (int32_t i = 0; i < PointListEndIndex(list); ++i) {
    AutomationPoint p;
    std::memcpy(p.bytes, PointRecordAt(list, i), kAutomationRecordSize);
    out += std::to_string(p.Time()) + "/" + std::to_string(p.Kind()) + "/" + std::to_string(p.Target());
    if (p.Kind() == kAutomationParameter) out += "/" + std::to_string(int(p.Value() * 1000 + 0.5f));
    out += " ";
  }
  if (!out.empty()) out.pop_back();
  return out;
}

void AddPoint(Handle rack, uint32_t time, uint8_t kind, int16_t target, float value) {
  AutomationPoint p;
  p.SetTime(time);
  p.SetKind(kind);
  p.SetTarget(target);
  if (kind == kAutomationParameter) {
    p.SetPluginIndex(kPanePluginIndex);
    p.SetValue(value);
  } else {
    p.SetLevel(uint16_t(value * 32768));
  }
  ASSERT_EQ(noErr, InsertAutomationPoint(AutomationListRef{rack}, p, kReplaceSamePoint));
}

// One instrument, two busses and the master; the lanes of the busses' plug-in panes.
class LaneAutomationTest : public ClipboardFixture {
 protected:
  void SetUp() override {
    ClipboardFixture::SetUp();
    keptRate_ = gEngineSampleRate;
    gEngineSampleRate = 48000.0f;
    ASSERT_EQ(noErr, CreateInstrumentTable(1, 0));
    ASSERT_EQ(noErr, SetAuxBusCount(2, 19, 0, false));
    gLaneController = 7;
  }
  void TearDown() override {
    UsePane(0, 0);
    gEditContextKind = kContextEditorNotes;
    ClipboardCommand(true, true);
    for (int32_t i = 0; i < gInstrumentCount + gAuxBusCount + 1; ++i) {
      uint8_t* cell = GetInstrumentRecord(i) + kInstInsertRack;
      Handle rack(ReadU32BE(cell));
      if (rack) {
        ReleaseRackPlugins(rack);
        DisposeHandle(rack);
      }
      WriteU32BE(cell, 0);
    }
    DisposeInstrumentTable();
    gEngineSampleRate = keptRate_;
    gLaneController = 0;
    ClipboardFixture::TearDown();
  }
  // The pane of slot (0 a track pane) showing lane.
  void UsePane(int16_t slot, int32_t lane) {
    gCurrentPaneSlot = slot;
    gCurrentViewMode = int16_t(lane + 2);
    gCurrentLaneNumber = int16_t(lane + 1);
  }
  Handle BusRack(int32_t bus, float rate) {
    OSErr err;
    Handle rack = EnsureInsertRack(GetInstrumentRecord(gInstrumentCount + bus) + kInstInsertRack, rate, false, &err);
    EXPECT_EQ(noErr, err);
    return rack;
  }
  Handle ClipboardSlotRack(int32_t slot) {
    EventClipboardView clip(GetClipboardRecord());
    Handle table = clip.RackTable();
    const uint8_t* entry = reinterpret_cast<const uint8_t*>(HandleData(table)) +
                           (clip.InstrumentCount() + slot - 1) * kInstrumentSize;
    return Handle(ReadU32BE(entry + kInstInsertRack));
  }
  uint32_t SampleAt(uint32_t tick, float rate) { return uint32_t(TickToSamplePosition(int32_t(tick), rate)); }
  float keptRate_ = 0;
};

TEST_F(LaneAutomationTest, ALaneCopyKeepsThePointsOfItsLaneAndPastesThemRescaled) {
  // A ramp on bus 1 at 44100: parameters 7 and 9, a volume and a pan point among them.
  Handle source = BusRack(0, 44100.0f);
  uint32_t s0 = SampleAt(1000, 44100.0f), s1 = SampleAt(1100, 44100.0f);
  uint32_t step = (s1 - s0) / 5;
  AddPoint(source, s0 - 10, kAutomationParameter, 7, 0.05f);  // before the range
  AddPoint(source, s0 + step, kAutomationParameter, 7, 0.2f);
  AddPoint(source, s0 + step, kAutomationVolume, 0, 0.5f);
  AddPoint(source, s0 + 2 * step, kAutomationParameter, 9, 0.9f);
  AddPoint(source, s0 + 3 * step, kAutomationParameter, 7, 0.6f);
  AddPoint(source, s0 + 4 * step, kAutomationPan, 0, 0.1f);
  std::string whole = Points(source);

  gEditContextKind = kContextEditorLane;
  UsePane(1, kParameterLane);
  SelectOnly(1);
  SetTimeRange(1000, 1100);
  gTimeSelection.start.sample = s0;
  gTimeSelection.start.rate = 44100.0f;
  gTimeSelection.end.sample = s1;
  gTimeSelection.end.rate = 44100.0f;
  CopyToClipboard(0, 2);
  ASSERT_NE(nullptr, GetClipboardRecord());
  EXPECT_EQ(1, GetClipboardRecord()[kClipboardSourceSlot]);
  EXPECT_EQ(whole, Points(source)) << "the bus keeps its points";
  Handle copied = ClipboardSlotRack(1);
  EXPECT_NE(GetRackAutomationList(source), GetRackAutomationList(copied));
  EXPECT_EQ(std::to_string(s0 - 10) + "/3/7/50 " + std::to_string(s0 + step) + "/3/7/200 " +
                std::to_string(s0 + 3 * step) + "/3/7/600",
            Points(copied));

  // Into the parameter lane of bus 2 at 48000, lane parameter 12, at tick 2000.
  Handle destination = BusRack(1, 48000.0f);
  UsePane(2, kParameterLane);
  gLaneController = 12;
  SelectOnly(1);
  SetTimeRange(2000, 2000);
  ASSERT_EQ(noErr, PasteFromClipboard(false, false, 0, nullptr));
  uint32_t at = SampleAt(2000, 48000.0f);
  auto moved = [&](uint32_t t) { return std::to_string(uint32_t(at + double(t - s0) * 48000.0 / 44100.0)); };
  EXPECT_EQ(moved(s0 + step) + "/3/12/200 " + moved(s0 + 3 * step) + "/3/12/600", Points(destination));
  EXPECT_EQ(whole, Points(source));
}

TEST_F(LaneAutomationTest, EventsPastedIntoControllerAndParameterLanes) {
  SetEvents(1, {{1000, 0xB0, 7, 100}, {1010, 0xE0, 0, 64}, Note(1020, 10, 60, 32), {1030, 0xB0, 10, 127}});
  Copy(1, 1000, 1100);
  gEditContextKind = kContextEditorLane;
  gEventChannel = 3;
  gLaneController = 74;
  UsePane(0, kLaneController);
  SetEvents(2, {});
  SelectOnly(2);
  SetTimeRange(2000, 2000);
  ASSERT_EQ(noErr, PasteFromClipboard(false, false, 0, nullptr));
  EXPECT_EQ((std::vector<Ev>{{2000, 0xB3, 74, 100}, {2010, 0xB3, 74, 64}, {2020, 0xB3, 74, 32},
                             {2030, 0xB3, 74, 127}}),
            EventsOf(2));

  // The parameter lane of bus 1, whose rack is made at the engine's rate.
  UsePane(1, kParameterLane);
  gLaneController = 5;
  SelectOnly(2);
  SetTimeRange(3000, 3000);
  ASSERT_EQ(noErr, PasteFromClipboard(false, false, 0, nullptr));
  Handle rack(ReadU32BE(GetInstrumentRecord(gInstrumentCount) + kInstInsertRack));
  ASSERT_TRUE(rack);
  auto point = [&](uint32_t tick, int value) {
    return std::to_string(SampleAt(tick, 48000.0f)) + "/3/5/" + std::to_string(value);
  };
  // data2 x 128 (pitch bend its 14 bits) on 0..16383 scaled to 0..1.
  EXPECT_EQ(point(3000, 781) + " " + point(3010, 500) + " " + point(3020, 250) + " " + point(3030, 992),
            Points(rack));
}

}  // namespace
