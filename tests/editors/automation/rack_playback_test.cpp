// The racks' automation: the playback copy the engine channel plays (its rate, its cursors,
// the lock word both threads share), the rack in focus of a track pane and the lane-only
// reduction of a rack's list.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <chrono>
#include <thread>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "editors/automation/automation_points.h"
#include "editors/automation/parameter_recording.h"
#include "plugins/host/plugin_host_hooks.h"
#include "song/conductor/sample_position.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/plugin_engine_hooks.h"
#include "plugins/plugin_parameters.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "shell/base/error_report_hooks.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/songs.h"
#include "tests/song/model/model_fixture.h"

namespace {

constexpr uint32_t kChannelId = 7;

void AddParameter(Handle rack, uint32_t time, int32_t plugin, int16_t parameter, float value) {
  AutomationPoint p;
  p.SetTime(time);
  p.SetKind(kAutomationParameter);
  p.SetPluginIndex(plugin);
  p.SetTarget(parameter);
  p.SetValue(value);
  ASSERT_EQ(InsertAutomationPoint(AutomationListRef{rack}, p, kReplaceSamePoint), noErr);
}

std::vector<uint32_t> Times(Handle list) {
  std::vector<uint32_t> times;
  for (int32_t i = 0; i < PointListEndIndex(list); ++i) times.push_back(AutomationView{PointRecordAt(list, i)}.Time());
  return times;
}

// A rack at 44100 whose engine channel plays on a device of its own rate.
class RackPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPluginEngineHooks();
    baseline_ = CountLiveHandles();
    OSErr err;
    rack_ = EnsureInsertRack(cell_, 44100.0f, false, &err);
    ASSERT_EQ(err, noErr);
    ASSERT_EQ(ClaimEngineChannel(&channel_), 0);
    channel_->id = kChannelId;
    channel_->device = &device_;
    channel_->renderState = &chain_;
    SetRackEngineChannelId(rack_, kChannelId);
  }
  void TearDown() override {
    ForgetPluginParameters(&chain_);
    if (channel_->automation) DisposeHandle(channel_->automation);
    ReleaseEngineChannels();
    DisposePluginRecord(rack_);
    EXPECT_EQ(CountLiveHandles(), baseline_);
  }
  uint8_t cell_[4] = {};
  Handle rack_;
  EngineChannel* channel_ = nullptr;
  AudioDriverOps device_;
  ChannelRenderState chain_;
  uint32_t baseline_ = 0;
};

// A list stamped at 44100 played on a device at 88200: the copy's times double, the stored
// list keeps its own, and each cursor stands at the first point at or after its position.
TEST_F(RackPlaybackTest, TheCopyTakesTheDeviceRateAndTheCursorsTheirPositions) {
  device_.sampleRate = 88200.0f;
  AutomationListRef ref{rack_};
  for (uint32_t t : {1000u, 2000u, 3000u}) ASSERT_EQ(AddAutomationPoint(ref, t, int32_t(t), 0, kAutomationVolume, 0), noErr);
  channel_->position = 4500;
  channel_->pluginAutomationPosition = 0;
  ASSERT_EQ(RefreshAutomationPlayback(rack_), noErr);
  Handle copy = channel_->automation;
  ASSERT_TRUE(copy);
  EXPECT_NE(copy, GetRackAutomationList(rack_));
  EXPECT_EQ(Times(copy), (std::vector<uint32_t>{2000, 4000, 6000}));
  EXPECT_EQ(Times(GetRackAutomationList(rack_)), (std::vector<uint32_t>{1000, 2000, 3000}));
  EXPECT_TRUE(IsHandleLocked(copy));
  EXPECT_EQ(channel_->automationCursor, PointRecordAt(copy, 2));
  EXPECT_EQ(channel_->pluginAutomationCursor, PointRecordAt(copy, 0));
  EXPECT_EQ(channel_->automationLock.load(), 0u);

  // The next refresh replaces the copy (the old one is disposed, none leaks).
  device_.sampleRate = 44100.0f;
  uint32_t live = CountLiveHandles();
  ASSERT_EQ(RefreshAutomationPlayback(rack_), noErr);
  EXPECT_EQ(CountLiveHandles(), live);
  EXPECT_EQ(Times(channel_->automation), (std::vector<uint32_t>{1000, 2000, 3000}));
}

TEST_F(RackPlaybackTest, ARackThatNoChannelPlaysIsLeftAlone) {
  ASSERT_EQ(AddAutomationPoint(AutomationListRef{rack_}, 10, 1, 0, kAutomationVolume, 0), noErr);
  for (uint32_t id : {0u, 99u}) {
    SetRackEngineChannelId(rack_, id);
    EXPECT_EQ(RefreshAutomationPlayback(rack_), noErr);
    EXPECT_FALSE(channel_->automation) << id;
  }
}

// The engine holds the lock for a while: the refresh waits for it and touches nothing before.
TEST_F(RackPlaybackTest, ARefreshWaitsUntilTheEngineReleasesTheLock) {
  ASSERT_EQ(AddAutomationPoint(AutomationListRef{rack_}, 10, 1, 0, kAutomationVolume, 0), noErr);
  ASSERT_EQ(RefreshAutomationPlayback(rack_), noErr);
  Handle first = channel_->automation;
  ASSERT_EQ(AddAutomationPoint(AutomationListRef{rack_}, 20, 2, 0, kAutomationVolume, 0), noErr);
  std::atomic<bool> held{false};
  Handle seenWhileHeld;
  std::thread engine([&] {
    channel_->automationLock.store(1);
    held = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    seenWhileHeld = channel_->automation;
    ReleaseAutomationLock(channel_);
  });
  while (!held) std::this_thread::yield();
  OSErr err = RefreshAutomationPlayback(rack_);
  engine.join();
  EXPECT_EQ(err, noErr);
  EXPECT_EQ(seenWhileHeld, first) << "the copy was replaced while the engine held the lock";
  EXPECT_EQ(Times(channel_->automation), (std::vector<uint32_t>{10, 20}));
}

// A lock that is never given back: the refresh gives up after its bound and keeps the old copy.
TEST_F(RackPlaybackTest, ARefreshGivesUpOnALockThatStaysTaken) {
  ASSERT_EQ(AddAutomationPoint(AutomationListRef{rack_}, 10, 1, 0, kAutomationVolume, 0), noErr);
  ASSERT_EQ(RefreshAutomationPlayback(rack_), noErr);
  Handle first = channel_->automation;
  channel_->automationLock.store(1);
  EXPECT_EQ(RefreshAutomationPlayback(rack_), kAutomationBusyErr);
  EXPECT_EQ(channel_->automation, first);
  EXPECT_EQ(channel_->automationLock.load(), 1u) << "a lock it did not take is not released";
  channel_->automationLock.store(0);
}

EngineChannel* gAlertChannel = nullptr;
uint32_t gLockSeenByAlert = 99;
int16_t RecordAlertLock(int16_t) {
  gLockSeenByAlert = gAlertChannel->automationLock.load();
  return 1;
}

// A copy that cannot be made: the channel plays without automation (no copy, no cursors) and
// the memory error is reported once the lock is given back.
TEST_F(RackPlaybackTest, WithoutMemoryForTheCopyTheChannelPlaysNoAutomation) {
  for (uint32_t t = 0; t < 2000; ++t)
    ASSERT_EQ(AddAutomationPoint(AutomationListRef{rack_}, t, 1, 0, kAutomationVolume, 0), noErr);
  ASSERT_EQ(RefreshAutomationPlayback(rack_), noErr);
  ASSERT_TRUE(channel_->automation);
  auto savedHooks = gErrorReportHooks;
  gErrorReportHooks.showCautionAlert = RecordAlertLock;
  gAlertChannel = channel_;
  uint8_t background = gAppState[3];
  gAppState[3] = 0;  // in front: the alert is shown, not posted
  uint64_t budget = GetMemoryBudget();
  // Not even the room the old copy leaves is enough for the new one.
  SetMemoryBudget(GetMemoryInUse() + 4096 - uint64_t(GetHandleSize(channel_->automation)));
  OSErr err = RefreshAutomationPlayback(rack_);
  SetMemoryBudget(budget);
  gErrorReportHooks = savedHooks;
  gAppState[3] = background;
  gInsufficientMemoryShown = 0;
  EXPECT_EQ(err, memFullErr);
  EXPECT_FALSE(channel_->automation);
  EXPECT_EQ(channel_->automationCursor, nullptr);
  EXPECT_EQ(channel_->pluginAutomationCursor, nullptr);
  EXPECT_EQ(gLockSeenByAlert, 0u) << "the alert came while the engine's lock was held";
  EXPECT_EQ(PointListEndIndex(GetRackAutomationList(rack_)), 2000) << "the rack's own list is kept";
}

// The engine plays the parameter points of each block from its copy, each to the plug-in at
// the point's chain position (a word over +8..+11): the point of plug-in 1 does not reach
// the plug-in at position 0.
TEST_F(RackPlaybackTest, TheEnginePlaysParameterPointsBlockByBlock) {
  device_.sampleRate = 44100.0f;
  AddParameter(rack_, 100, 0, 3, 0.25f);
  AddParameter(rack_, 150, 1, 3, 0.9f);
  AddParameter(rack_, 300, 0, 3, 0.75f);
  ASSERT_EQ(RefreshAutomationPlayback(rack_), noErr);
  ASSERT_TRUE(channel_->pluginAutomationCursor);
  PlayAutomationToPlugins(channel_, 200);
  EXPECT_FLOAT_EQ(GetPluginParameter(&chain_, 3), 0.25f);
  EXPECT_EQ(channel_->pluginAutomationPosition, 200);
  EXPECT_EQ(channel_->pluginAutomationCursor, PointRecordAt(channel_->automation, 2));
  PlayAutomationToPlugins(channel_, 200);
  EXPECT_FLOAT_EQ(GetPluginParameter(&chain_, 3), 0.75f);
  // Chasing to a position takes the same reading of the chain position.
  ForgetPluginParameters(&chain_);
  int32_t volume = 0, pan = 0, levels[kAutomationSends], pans[kAutomationSends];
  ChaseAutomationState(channel_->automation, 200, &volume, &pan, levels, pans, channel_);
  EXPECT_FLOAT_EQ(GetPluginParameter(&chain_, 3), 0.25f);
  // Past the last point the cursor rests on the end record.
  PlayAutomationToPlugins(channel_, 1 << 20);
  EXPECT_EQ(channel_->pluginAutomationCursor, PointRecordAt(channel_->automation, 3));
}

// The render tries the lock once: while the editor holds it the block plays no automation
// and the cursor waits; the next block plays it.
TEST_F(RackPlaybackTest, ABlockRenderedWhileTheLockIsTakenPlaysNoAutomation) {
  device_.sampleRate = 44100.0f;
  AddParameter(rack_, 2, 0, 3, 0.4f);
  ASSERT_EQ(RefreshAutomationPlayback(rack_), noErr);
  ASSERT_EQ(EnsureRenderBuffers(2, 2, 1), 0);
  channel_->sampleBits = 16;
  channel_->sourceChannels = 2;
  channel_->frameChannels = 2;
  channel_->halfReady[0] = 1;
  int16_t source[16] = {}, out[16] = {};
  uint8_t* cursor = channel_->pluginAutomationCursor;
  channel_->automationLock.store(1);
  RenderEngineChannel(channel_, source, out, 8, 32768, 0);
  EXPECT_NE(GetPluginParameter(&chain_, 3), 0.4f);
  EXPECT_EQ(channel_->pluginAutomationCursor, cursor);
  EXPECT_EQ(channel_->pluginAutomationPosition, 0);
  EXPECT_EQ(channel_->automationLock.load(), 1u) << "the engine releases only a lock it took";
  channel_->automationLock.store(0);
  RenderEngineChannel(channel_, source, out, 8, 32768, 0);
  EXPECT_FLOAT_EQ(GetPluginParameter(&chain_, 3), 0.4f);
  EXPECT_EQ(channel_->pluginAutomationPosition, 8);
  EXPECT_EQ(channel_->automationLock.load(), 0u);
  EXPECT_EQ(TakeEngineError(), 0);
}

// +142 holds a channel id, not a block: disposing the rack must not dispose a handle that
// happens to have the same number.
TEST(RackFields, DisposingARackLeavesTheBlockNamedByItsChannelIdAlone) {
  Handle bystander = NewHandleClear(8);
  ASSERT_TRUE(bystander);
  uint8_t cell[4] = {};
  OSErr err;
  Handle rack = EnsureInsertRack(cell, 48000.0f, true, &err);
  ASSERT_EQ(err, noErr);
  EXPECT_EQ(ReadU32BE(cell), rack.id);
  EXPECT_EQ(GetRackSampleRate(rack), 48000.0f);
  EXPECT_TRUE(HandleData(rack)[kRackFlags] & kRackFlagChanged);
  SetRackEngineChannelId(rack, bystander.id);
  DisposePluginRecord(rack);
  EXPECT_TRUE(IsValidHandle(bystander));
  DisposeHandle(bystander);
}

// The current track of a song, in a track pane.
class TrackRackTest : public SongModelTest {
 protected:
  void SetUp() override {
    SongModelTest::SetUp();
    ASSERT_EQ(noErr, CreateSongTracks(1, 1));
    SetCurrentTrackIndex(0);
    gCurrentPaneSlot = 0;
    savedRate_ = gEngineSampleRate;
  }
  void TearDown() override {
    Handle rack = GetTrackInsertRack();
    if (rack) DisposePluginRecord(rack);
    WriteU32BE(gCurrentTrack + kTrackInsertRack, 0);
    gEngineSampleRate = savedRate_;
  }
  float savedRate_ = 0;
};

TEST_F(TrackRackTest, ALaneMakesTheTracksRackAtTheEngineRate) {
  EXPECT_EQ(AddTrackAutomationPoint(100, 1, 0, kAutomationVolume, 0), kNoTrackRackErr);
  EXPECT_TRUE(IsListRefEmpty(GetFocusedAutomationListRef()));
  gEngineSampleRate = 96000.0f;
  Handle rack = GetLaneRackHandle();
  ASSERT_TRUE(rack);
  EXPECT_EQ(GetTrackInsertRack(), rack);
  EXPECT_EQ(GetRackSampleRate(rack), 96000.0f);
  EXPECT_FALSE(HandleData(rack)[kRackFlags] & kRackFlagChanged) << "the current track's rack is not marked";
  EXPECT_EQ(GetLaneRackHandle(), rack) << "made once";
  ASSERT_EQ(AddTrackAutomationPoint(100, 1, 0, kAutomationVolume, 0), noErr);
  AutomationListRef ref = GetFocusedAutomationListRef();
  EXPECT_EQ(ref.rack, rack);
  EXPECT_EQ(Times(GetReferencedPointList(ref)), std::vector<uint32_t>{100});
}

TEST_F(TrackRackTest, KeepingLanePointsLeavesOnlyTheLanesTarget) {
  uint8_t savedMode = uint8_t(gCurrentViewMode);
  gEngineSampleRate = 44100.0f;
  Handle rack = GetLaneRackHandle();
  ASSERT_TRUE(rack);
  struct Case {
    int16_t lane;
    int32_t controller;
    std::vector<uint32_t> kept;
  } cases[] = {{8, 0, {10, 60}}, {11, 2, {30}}, {12, 3, {}}, {10, 5, {40}}, {3, 0, {}}};
  for (const Case& c : cases) {
    AutomationListRef ref{rack};
    ASSERT_EQ(AddAutomationPoint(ref, 10, 1, 0, kAutomationVolume, 0), noErr);
    ASSERT_EQ(AddAutomationPoint(ref, 20, 0, 64, kAutomationPan, 0), noErr);
    ASSERT_EQ(AddAutomationPoint(ref, 30, 9, 0, kAutomationSendLevel, 2), noErr);
    ASSERT_EQ(AddAutomationPoint(ref, 40, 1, 0, kAutomationParameter, 5), noErr);
    ASSERT_EQ(AddAutomationPoint(ref, 50, 2, 0, kAutomationParameter, 5), noErr);
    ASSERT_EQ(AddAutomationPoint(ref, 60, 7, 0, kAutomationVolume, 0), noErr);
    gCurrentViewMode = int16_t(c.lane + 2);
    gLaneController = c.controller;
    Handle whole;
    ASSERT_EQ(KeepLanePointsOnly(rack, 1, &whole), noErr);
    ASSERT_TRUE(whole);
    EXPECT_EQ(Times(whole), (std::vector<uint32_t>{10, 20, 30, 40, 50, 60})) << "the detached list is whole";
    Handle kept = GetRackAutomationList(rack);
    if (c.lane == 3) EXPECT_FALSE(kept) << "another lane leaves the rack without a list";
    else EXPECT_EQ(Times(kept), c.kept) << "lane " << c.lane;
    DisposeHandle(whole);
    if (kept) DisposeHandle(kept);
    SetRackAutomationList(rack, Handle());
  }
  gCurrentViewMode = savedMode;
}

// Racks of the instrument table: two instruments, one aux bus and the master.
class TableRackTest : public TrackRackTest {
 protected:
  void SetUp() override {
    TrackRackTest::SetUp();
    ASSERT_EQ(CreateInstrumentTable(2, kDeviceKindMidiPort), noErr);
    ASSERT_EQ(SetAuxBusCount(1, 19, 0, false), noErr);
  }
  void TearDown() override {
    for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
      uint8_t* record = GetInstrumentRecord(i);
      if (Handle rack{ReadU32BE(record + kInstInsertRack)}) DisposePluginRecord(rack);
      WriteU32BE(record + kInstInsertRack, 0);
    }
    DisposeInstrumentTable();
    gCurrentPaneSlot = 0;
    TrackRackTest::TearDown();
  }
  Handle EntryRack(int32_t i) { return Handle(ReadU32BE(GetInstrumentRecord(i) + kInstInsertRack)); }
};

// A slot pane n works on entry gInstrumentCount + n - 1: the bus, then the master; a lane
// makes a missing rack there, marked changed.
TEST_F(TableRackTest, ASlotPaneFocusesItsBusOrTheMaster) {
  gEngineSampleRate = 48000.0f;
  for (int16_t slot : {1, 2}) {
    gCurrentPaneSlot = slot;
    int32_t entry = gInstrumentCount + slot - 1;
    EXPECT_FALSE(GetFocusedPluginHandle());
    EXPECT_TRUE(IsListRefEmpty(GetFocusedAutomationListRef()));
    Handle rack = GetLaneRackHandle();
    ASSERT_TRUE(rack) << slot;
    EXPECT_EQ(EntryRack(entry), rack);
    EXPECT_EQ(GetRackSampleRate(rack), 48000.0f);
    EXPECT_TRUE(HandleData(rack)[kRackFlags] & kRackFlagChanged);
    EXPECT_EQ(GetFocusedPluginHandle(), rack);
    EXPECT_EQ(GetFocusedAutomationListRef().rack, rack);
  }
  EXPECT_EQ(EntryRack(gInstrumentCount + 1), EntryRack(GetMasterIndex()));
}

// A track pane whose own rack runs no chain focuses its instrument's rack, but its automation
// list stays the track's own.
TEST_F(TableRackTest, ATrackPaneKeepsItsOwnListWhileItsInstrumentIsInFocus) {
  gCurrentPaneSlot = 0;
  Handle trackRack = GetLaneRackHandle();
  ASSERT_TRUE(trackRack);
  EXPECT_FALSE(GetFocusedPluginHandle()) << "the track plays no instrument yet";
  OSErr err;
  Handle instrumentRack = EnsureInsertRack(GetInstrumentRecord(1) + kInstInsertRack, 44100.0f, true, &err);
  ASSERT_EQ(err, noErr);
  gCurrentTrack[kTrackFlags] |= kTrackFlagPlaysInstrument;
  TrackEntryView(gCurrentTrack).SetInstrument(0, uint16_t(1 << 8));
  EXPECT_EQ(GetFocusedPluginHandle(), instrumentRack);
  EXPECT_EQ(GetFocusedAutomationListRef().rack, trackRack);
  EXPECT_EQ(GetLaneRackHandle(), instrumentRack);
}

}  // namespace

// A parameter the plug-in host records reaches the rack's list through its hook entry: the
// first point of a parameter brings a point at time 0, a later one at the same tick replaces
// its value, another plug-in's parameter is a target of its own and "no point" adds nothing.
TEST_F(TrackRackTest, RecordedParameterPointsGoIntoTheRacksList) {
  InstallParameterRecordingHooks();
  gEngineSampleRate = 44100.0f;
  Handle rack = GetLaneRackHandle();
  ASSERT_TRUE(rack);
  uint32_t at480 = uint32_t(TickToSamplePosition(481, 44100.0f));
  ASSERT_GT(at480, 0u);
  RecordParameterPoint(rack, 481, 0.25f, 1, 3, false, true);
  Handle list = GetRackAutomationList(rack);
  EXPECT_EQ(Times(list), (std::vector<uint32_t>{0, at480}));
  RecordParameterPoint(rack, 481, 0.75f, 1, 3, false, true);  // the parameter has points: none at 0
  EXPECT_EQ(Times(GetRackAutomationList(rack)), (std::vector<uint32_t>{0, at480}));
  AutomationPoint last;
  std::memcpy(last.bytes, PointRecordAt(GetRackAutomationList(rack), 1), sizeof last.bytes);
  EXPECT_FLOAT_EQ(0.75f, last.Value());
  EXPECT_EQ(1, last.PluginIndex());
  EXPECT_EQ(3, last.Target());
  RecordParameterPoint(rack, 481, 0.5f, 2, 3, true, true);  // another plug-in: only its first point
  EXPECT_EQ(Times(GetRackAutomationList(rack)), (std::vector<uint32_t>{0, 0, at480}));
  EXPECT_EQ(rack, gLastRecordedRack);
}
