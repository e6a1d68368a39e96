// Registering devices: the ids given, where records go, what a record holds for a track and
// for an instrument entry, the click device, names, and a full memory.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/plugin_engine_hooks.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/documents/document_file.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/plugins/devices/device_fixture.h"

namespace device_test {
namespace {

using RegistrationTest = DeviceTableTest;

TEST_F(RegistrationTest, IdsAreTheWantedOneWhenFreeElseTheLowestFree) {
  struct Case {
    const char* what;
    std::vector<int32_t> present;
    int32_t wanted;
    uint32_t given;
  } cases[] = {
      {"a gap between 1 and 3", {1, 3}, -1, 2},
      {"a taken wanted id", {1, 2, 5}, 5, 3},
      {"a free wanted id", {1, 2}, 7, 7},
      {"an empty table", {}, -1, 1},
      {"a wanted id of 0 means none", {1}, 0, 2},
      {"a byte id past the click", {1}, 255, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetDeviceTable();
    for (int32_t id : c.present) ASSERT_EQ(uint32_t(id), uint32_t(Register(MakeRack("Piano"), id)));
    EXPECT_EQ(c.given, uint32_t(Register(MakeRack("Piano"), c.wanted)));
    EXPECT_EQ(int32_t(c.present.size()) + 1, gPluginDeviceCount);
    EXPECT_EQ(gPluginDeviceCount, CountDeviceRecords(GetPluginDeviceTable()));
  }
}

TEST_F(RegistrationTest, ARecordWithoutAWantedIdTakesThePlaceOfTheFirstRecordWithoutAnId) {
  Register(MakeRack("A"), 4);
  Register(MakeRack("B"), 6);
  PluginDeviceView{GetPluginDeviceRecord(1)}.SetId(0);  // a record that lost its id
  EXPECT_EQ(1u, uint32_t(Register(MakeRack("C"), -1)));
  EXPECT_EQ((std::vector<uint32_t>{4, 1, 0}), TableIds());
  EXPECT_EQ(2u, uint32_t(Register(MakeRack("D"), 4)));  // 4 is taken: lowest free
}

TEST_F(RegistrationTest, ThePendingClickRecordIsUsedAgain) {
  Handle click = MakeRack("Clickvox");
  Register(MakeRack("Piano"), -1);
  ASSERT_EQ(int32_t(kClickPluginDeviceId), Register(click, int32_t(kClickPluginDeviceId)));
  ClearDeviceLinksTo(RackHead(click));
  ASSERT_TRUE(Device(kClickPluginDeviceId).IsPending());

  Handle again = MakeRack("Clickvox");
  EXPECT_EQ(int32_t(kClickPluginDeviceId), Register(again, int32_t(kClickPluginDeviceId)));
  EXPECT_EQ(2, gPluginDeviceCount);
  PluginDeviceView click254{FindPluginDeviceById(kClickPluginDeviceId, kDevicePending)};
  ASSERT_TRUE(click254.p);
  EXPECT_EQ(RackHead(again), GetDeviceInstanceId(click254.p));

  // A live click device is not taken over: the second rack gets an ordinary id.
  EXPECT_EQ(2, Register(MakeRack("Clickvox"), int32_t(kClickPluginDeviceId)));
}

TEST_F(RegistrationTest, ANullRackIsRefusedAndTheTableStays) {
  Register(MakeRack("Piano"), -1);
  Handle before = GetPluginDeviceTable();
  int32_t id = -1;
  EXPECT_EQ(paramErr, RegisterPluginDevice(Handle(), &id, -1));
  EXPECT_EQ(-1, id);
  EXPECT_EQ(before, GetPluginDeviceTable());
  EXPECT_EQ(1, gPluginDeviceCount);
}

TEST_F(RegistrationTest, AFullMemoryLeavesTheOldTableAndCount) {
  Register(MakeRack("Piano"), -1);
  Register(MakeRack("Organ"), -1);
  std::string before(reinterpret_cast<const char*>(GetPluginDeviceRecord(0)), 2 * kPluginDeviceSize);
  Handle rack = MakeRack("Bass");
  uint64_t budget = GetMemoryBudget();
  SetMemoryBudget(GetMemoryInUse() + 100);
  int32_t id = -1;
  OSErr err = RegisterPluginDevice(rack, &id, -1);
  SetMemoryBudget(budget);
  EXPECT_EQ(memFullErr, err);
  EXPECT_EQ(2, gPluginDeviceCount);
  EXPECT_EQ(before, std::string(reinterpret_cast<const char*>(GetPluginDeviceRecord(0)), 2 * kPluginDeviceSize));
  EXPECT_EQ(3u, uint32_t(Register(rack, -1)));
}

TEST_F(RegistrationTest, AllOrdinaryIdsTakenIsRefusedRatherThanGivingTheClickId) {
  for (int32_t id = 1; id <= int32_t(kMaxPluginDeviceId); ++id) Register(MakeRack(""), id);
  int32_t id = -1;
  EXPECT_EQ(memFullErr, RegisterPluginDevice(MakeRack(""), &id, -1));
  EXPECT_EQ(int32_t(kMaxPluginDeviceId), gPluginDeviceCount);
  EXPECT_EQ(nullptr, FindPluginDeviceById(kClickPluginDeviceId, 0));
}

TEST_F(RegistrationTest, ATrackDeviceRecordsItsSongAndTrack) {
  MakeSong(0, 3);
  MakeSong(1, 4);
  SetCurrentTrackIndex(2);
  Handle rack = MakeRack("Kars");
  int32_t id = Register(rack, -1);
  PluginDeviceView d{FindPluginDeviceById(uint32_t(id), 0)};
  ASSERT_TRUE(d.p);
  EXPECT_EQ(kPluginDeviceKind, d.Kind());
  EXPECT_EQ(SongHeaderView(gCurrentSong).Id(), d.SongId());
  EXPECT_EQ(2, d.TrackIndex());
  EXPECT_EQ(gCurrentTrack[kTrackNumber], d.TrackNumber());
  EXPECT_EQ(-1, d.ChildIndex());
  EXPECT_EQ(0, d.InstrumentNumber());
  EXPECT_LT(d.BusIndex(), 0);
  EXPECT_EQ(1, d.RefCount());
  EXPECT_TRUE(d.IsTrackDevice());
  EXPECT_EQ(uint8_t(id), reinterpret_cast<uint8_t*>(HandleData(rack))[36]) << "the rack's id byte";
  EXPECT_EQ(0, std::memcmp(d.p + kDeviceLinks, std::string(16, '\0').data(), 16)) << "no link in the block";
}

// A rack the engine renders already (its channel has a MIDI state): the new device reaches
// that state at once, as the MIDI delivery and the live input need.
TEST_F(RegistrationTest, ARackTheEngineRendersLinksItsChannelsMidiState) {
  InstallPluginEngineHooks();
  MakeSong(0, 1);
  Handle rack = MakeRack("Kars");
  EngineChannel* channel = nullptr;
  ASSERT_EQ(0, ClaimEngineChannel(&channel));
  channel->id = 7;
  ChannelRenderState chain;
  PluginMidiState state;
  chain.midiState = &state;
  channel->renderState = &chain;
  SetRackEngineChannelId(rack, 7);
  int32_t id = Register(rack, -1);
  EXPECT_EQ(&state, GetDeviceMidiState(FindPluginDeviceById(uint32_t(id), 0)));
  EXPECT_EQ(uint32_t(id), state.ownerId);
  int32_t other = Register(MakeRack("Organ"), -1);  // a rack no channel renders
  EXPECT_EQ(nullptr, GetDeviceMidiState(FindPluginDeviceById(uint32_t(other), 0)));
  channel->renderState = nullptr;
  ClearDeviceMidiStates();
  ReleaseEngineChannels();
}

TEST_F(RegistrationTest, InstrumentAndBusDevicesRecordTheirEntry) {
  ASSERT_EQ(noErr, CreateInstrumentTable(4, kDeviceKindMidiPort));
  ASSERT_EQ(noErr, SetAuxBusCount(2, kDeviceKindAudio, 0, false));
  struct Case {
    int32_t index;
    int32_t bus;
  } cases[] = {{1, 1 - 4}, {4, 0}, {5, 1}, {GetMasterIndex(), 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    int32_t id = Register(MakeRack("Kars"), -1, c.index);
    PluginDeviceView d{FindPluginDeviceById(uint32_t(id), 0)};
    ASSERT_TRUE(d.p);
    EXPECT_EQ(c.bus, d.BusIndex());
    EXPECT_EQ(c.index + 1, d.InstrumentNumber());
    EXPECT_FALSE(d.IsTrackDevice());
    EXPECT_EQ(uint8_t(id), InstrumentView(GetInstrumentRecord(c.index)).Port(0)) << "the entry's device-id byte";
  }
  EXPECT_EQ(FindPluginDeviceById(3, 0), FindDeviceByBusIndex(1));
}

TEST_F(RegistrationTest, NamesComeFromTheInstrumentAndAreMadeUnique) {
  struct Case {
    std::string plugin;
    std::string name;
  } cases[] = {
      {"Kars", "Kars"},        {"Kars", "Kars-2"},   {"Kars", "Kars-3"},     {"Synth-9", "Synth-9"},
      {"Synth-9", "Synth-10"}, {"", "--"},           {"", "---2"},
      {"ThirtyOneCharactersLongNameXYZW", "ThirtyOneCharactersLongNameXYZW"},
      {"ThirtyOneCharactersLongNameXYZW", "ThirtyOneCharactersLongNameXY-2"},  // shortened for -2
      {"ThirtyOneCharactersLongNameXYZW", "ThirtyOneCharactersLongNameXY-3"},
      {"ThirtyCharactersLongNameABCDEF", "ThirtyCharactersLongNameABCDEF"},
      {"ThirtyCharactersLongNameABCDEF", "ThirtyCharactersLongNameABCDE-2"},
  };
  for (const Case& c : cases) {
    int32_t id = Register(MakeRack(c.plugin), -1);
    PluginDeviceView d{FindPluginDeviceById(uint32_t(id), 0)};
    EXPECT_EQ(c.name, std::string(reinterpret_cast<const char*>(d.Name() + 1), d.Name()[0])) << c.plugin;
  }
  // An effect-only chain has no instrument.
  int32_t id = Register(MakeRack("Bitcrush", true), -1);
  EXPECT_EQ('-', Device(uint32_t(id)).Name()[1]);
}

}  // namespace
}  // namespace device_test
