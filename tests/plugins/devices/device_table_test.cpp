// The table's life: the rebuild from the songs and the instrument table, lookups, the sweeps,
// the song ids of old files, the document's block saved and read again, and the reset.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_run_state.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/library/plugin_table.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/vst_host_callback.h"
#include "plugins/host/vst_time_info.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/clock/transport_clock.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_file.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/documents/document_open.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/child_sequences.h"
#include "song/model/track_entries.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "tests/plugins/devices/device_fixture.h"

namespace device_test {
namespace {

using TableTest = DeviceTableTest;

std::string Bytes(const uint8_t* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

// Two songs with plug-in tracks, an instrument with a plug-in and a bus with one.
class RebuiltTableTest : public TableTest {
 protected:
  void SetUp() override {
    TableTest::SetUp();
    ASSERT_EQ(noErr, CreateInstrumentTable(3, kDeviceKindMidiPort));
    ASSERT_EQ(noErr, SetAuxBusCount(1, kDeviceKindAudio, 0, false));
    MakeSong(0, 3);
    GiveTrackRack(0, "Kars", 5);
    GiveTrackRack(2, "Kars", 5);   // the same stored id: it gets the lowest free one
    MakeSong(1, 2);
    GiveTrackRack(1, "Organ", 0);  // no stored id: 1 is asked for
    GiveInstrumentRack(1, "Piano", 9);
    GiveInstrumentRack(3, "Verb", 0);  // the bus
    SelectSongIndex(0);
    RebuildDeviceTable();  // through the instrument table's hook, as its callers reach it
  }
};

TEST_F(RebuiltTableTest, EveryRackWithAnInstrumentIsRegistered) {
  EXPECT_EQ("5:Kars 1:Kars-2 2:Organ 9:Piano 3:Verb", TableText());
  // The tracks took the ids they were given.
  SetCurrentTrackIndex(2);
  EXPECT_EQ(1, gCurrentTrack[kTrackMidiOutput]);
  PluginDeviceView bus{FindDeviceByBusIndex(0)};
  ASSERT_TRUE(bus.p);
  EXPECT_EQ(3u, bus.Id());
  EXPECT_EQ(3, InstrumentView(GetInstrumentRecord(3)).Port(0));
  PluginDeviceView organ{FindPluginDeviceById(2, 0)};
  EXPECT_EQ(SongHeaderView(reinterpret_cast<uint8_t*>(*GetSongHandleAt(1))).Id(), organ.SongId());
  EXPECT_EQ(1, organ.TrackIndex());
}

TEST_F(RebuiltTableTest, LookupsByIdInstanceBusAndChain) {
  PluginDeviceView piano{FindPluginDeviceById(9, 0)};
  ASSERT_TRUE(piano.p);
  uint32_t instance = GetDeviceInstanceId(piano.p);
  ASSERT_NE(0u, instance);
  EXPECT_EQ(piano.p, FindDeviceByInstance(instance));
  EXPECT_EQ(GetPluginInstance(instance), GetDeviceInstance(9));
  EXPECT_EQ(9, GetPluginInstance(instance)->deviceId);
  EXPECT_EQ(InstrumentView(GetInstrumentRecord(1)).InsertRack(), GetDevicePluginChain(piano.p, nullptr));
  EXPECT_EQ(InstrumentView(GetInstrumentRecord(3)).InsertRack(), GetDevicePluginChain(FindDeviceByBusIndex(0), nullptr));

  uint8_t* track = nullptr;
  Handle rack = GetDevicePluginChain(FindPluginDeviceById(2, 0), &track);
  ASSERT_TRUE(track);
  EXPECT_EQ(rack.id, ReadU32BE(track + kTrackInsertRack));
  EXPECT_EQ(0, gCurrentSongIndex) << "the context is restored";

  // Pending records are passed over where the mask or the lookup says so.
  ClearDeviceLinksTo(instance);
  EXPECT_EQ(nullptr, FindPluginDeviceById(9, kDevicePending));
  EXPECT_EQ(piano.p, FindPluginDeviceById(9, 0));
  EXPECT_EQ(nullptr, FindDeviceByInstance(instance));
  EXPECT_EQ(nullptr, GetDeviceInstance(9));
  EXPECT_EQ(0, CountDeviceRecords(Handle()));
}

TEST_F(RebuiltTableTest, TheSongsDevicesAreCountedAndNumbered) {
  // Song 0: its two track devices, the instrument and the bus.
  EXPECT_EQ(4, CountSongPluginDevices());
  EXPECT_EQ((std::vector<uint32_t>{5, 1, 9, 3}),
            (std::vector<uint32_t>{GetNthVisibleDeviceId(0), GetNthVisibleDeviceId(1), GetNthVisibleDeviceId(2),
                                   GetNthVisibleDeviceId(3)}));
  EXPECT_EQ(0u, GetNthVisibleDeviceId(4));
  EXPECT_EQ(5, GetSongPluginDeviceId(0));
  SelectSongIndex(1);
  EXPECT_EQ(3, CountSongTrackDevices(0));
  EXPECT_EQ(2u, GetNthVisibleDeviceId(0));
  EXPECT_EQ(1, GetDeviceTrackIndex(2));
  EXPECT_EQ(-1, GetDeviceTrackIndex(9));
}

TEST_F(RebuiltTableTest, TheCurrentTracksDeviceCountsInStepAndRecordMode) {
  SetCurrentTrackIndex(0);
  EXPECT_EQ(nullptr, GetCurrentTrackDevice()) << "a song that only plays";
  for (uint8_t mode : {uint8_t(1), uint8_t(3)}) {
    gCurrentSong[kSongMode] = mode;
    EXPECT_EQ(FindPluginDeviceById(5, 0), GetCurrentTrackDevice());
    uint8_t* device = nullptr;
    EXPECT_EQ(Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack)), GetCurrentDevicePluginChain(1, &device));
    EXPECT_EQ(FindPluginDeviceById(5, 0), device);
  }
  // The step-record flag goes to the plug-in of the current device, only in those modes.
  PluginInfo* info = PluginInfoAt(int32_t(GetDeviceInstance(5)->tableIndex));
  ASSERT_TRUE(info);
  SetPluginRecordFlag(true);
  EXPECT_TRUE(info->pluginFlags & kPluginFlagStepRecord);
  SetPluginRecordFlag(false);
  EXPECT_FALSE(info->pluginFlags & kPluginFlagStepRecord);
  gCurrentSong[kSongMode] = 0;
  SetPluginRecordFlag(true);
  EXPECT_FALSE(info->pluginFlags & kPluginFlagStepRecord);
  gCurrentSong[kSongMode] = 3;
  // Without the flag: the rack of the plug-in in focus, here the bus pane's.
  int32_t savedSlot = gCurrentPaneSlot;
  gCurrentPaneSlot = 1;
  uint8_t* none = FindPluginDeviceById(5, 0);
  EXPECT_EQ(InstrumentView(GetInstrumentRecord(3)).InsertRack(), GetCurrentDevicePluginChain(0, &none));
  EXPECT_EQ(nullptr, none);
  gCurrentPaneSlot = savedSlot;
  gCurrentTrack[kTrackMidiOutput] = 2;  // the device of another song's track
  EXPECT_EQ(nullptr, GetCurrentTrackDevice());
  gCurrentTrack[kTrackMidiOutput] = 3;  // the bus
  EXPECT_EQ(0, GetCurrentDeviceBusIndex());
}

TEST_F(RebuiltTableTest, SweepsMarkWhatNothingReferences) {
  FixTrackDeviceSongIds(kFirstVersionWithDeviceSongIds);  // clears every reference count
  LinkDeviceInstance(9, GetDeviceInstanceId(FindPluginDeviceById(9, 0)));
  MarkUnreferencedDevices();
  EXPECT_EQ("5:[Kars] 1:[Kars-2] 2:[Organ] 9:Piano 3:[Verb]", TableText());
  EXPECT_EQ(1, Device(9).RefCount());
}

TEST_F(RebuiltTableTest, DeletingATrackMovesTheLaterTrackDevicesDown) {
  DecrementTrackIndexAfter(0);
  EXPECT_EQ(0, Device(5).TrackIndex()) << "not after the deleted track";
  EXPECT_EQ(1, Device(1).TrackIndex());
  EXPECT_EQ(1, Device(2).TrackIndex()) << "another song";
}

TEST_F(RebuiltTableTest, AnInstrumentBusNoTrackPlaysIsBypassedOnceAsked) {
  uint32_t verb = GetDeviceInstanceId(FindDeviceByBusIndex(0));
  ASSERT_TRUE(GetPluginInstance(verb));
  EXPECT_EQ(0, UpdateBusBypassForTracks(0, 0)) << "without the auto-bypass bit the chain's own state";
  EXPECT_EQ(1, UpdateBusBypassForTracks(0, 1));
  EXPECT_EQ(1, GetPluginInstance(verb)->bypass);
  SetCurrentTrackIndex(1);
  gCurrentTrack[kTrackType] = kDeviceKindPlugin;
  gCurrentTrack[kTrackMidiOutput] = 3;
  EXPECT_EQ(0, UpdateBusBypassForTracks(0, 0)) << "a track plays the bus now";
  EXPECT_EQ(0, GetPluginInstance(verb)->bypass);
  gCurrentTrack[kTrackOutputFlags] |= kTrackOutputSecondRegions;
  EXPECT_EQ(1, UpdateBusBypassForTracks(0, 0)) << "a track on its alternate list plays its alternate instrument";
  gCurrentSong[kSongMode] = 1;  // the current device is the bus
  ClearAlternateRegionOutput();
  EXPECT_FALSE(gCurrentTrack[kTrackOutputFlags] & kTrackOutputSecondRegions);
  EXPECT_EQ(0, GetPluginInstance(verb)->bypass) << "the main list plays the bus again";
  gCurrentTrack[kTrackFlags] |= kTrackFlagSilent;
  EXPECT_EQ(1, UpdateBusBypassForTracks(0, 0)) << "a silent track does not count";
  EXPECT_EQ(0, UpdateBusBypassForTracks(5, 1)) << "no such bus";
}

TEST_F(TableTest, ARacksDeviceIsMarkedAndRenamedThroughTheRack) {
  Handle rack = MakeRack("Kars");
  int32_t id = Register(rack, -1);
  UpdateRackDevice(rack, 0);
  EXPECT_TRUE(Device(uint32_t(id)).IsPending());
  UpdateRackDevice(rack, 1);
  EXPECT_FALSE(Device(uint32_t(id)).IsPending());
  // Mode 2: the chain's instrument names the device again (its own old name is no clash).
  Device(uint32_t(id)).SetName(reinterpret_cast<const uint8_t*>("\003Old"));
  reinterpret_cast<uint8_t*>(HandleData(rack))[0] = 0;
  UpdateRackDevice(rack, 2);
  EXPECT_EQ("1:Kars", TableText());
  EXPECT_EQ(0, Device(uint32_t(id)).RefCount());
  EXPECT_EQ(0x08, reinterpret_cast<uint8_t*>(HandleData(rack))[0] & 0x08) << "the rack holds an instrument";
  UpdateRackDevice(Handle(), 2);  // nothing to do
}

TEST_F(TableTest, DevicesNamedLikeAnotherAndPluginsThatSendMidi) {
  int32_t organ = Register(MakeRack("Organ"), -1);
  int32_t bigOrgan = Register(MakeRack("BigOrgan"), -1);
  int32_t kars = Register(MakeRack("Kars"), -1);
  EXPECT_EQ(uint32_t(organ), FindDeviceNamedLike(uint32_t(organ)));
  ClearDeviceLinksTo(GetDeviceInstanceId(FindPluginDeviceById(uint32_t(organ), 0)));
  EXPECT_EQ(uint32_t(bigOrgan), FindDeviceNamedLike(uint32_t(organ))) << "the pending one is passed over";
  EXPECT_EQ(77u, FindDeviceNamedLike(77));

  PluginInstance* karsInstance = GetDeviceInstance(uint32_t(kars));
  ASSERT_TRUE(karsInstance);
  karsInstance->outputRouting = 0x1234;
  karsInstance->openFlags |= kPluginOpenMidiOutput;
  GetDeviceInstance(uint32_t(bigOrgan))->outputRouting = 0x99;  // not open for MIDI output
  struct Found {
    std::vector<uint32_t> ids;
    uint32_t routing = 0;
  } found;
  ForEachMidiOutputPlugin([](const PluginInfo*, uint8_t* device, uint32_t routing, void* context) {
    auto* f = static_cast<Found*>(context);
    f->ids.push_back(PluginDeviceView{device}.Id());
    f->routing = routing;
  }, &found);
  EXPECT_EQ((std::vector<uint32_t>{uint32_t(kars)}), found.ids);
  EXPECT_EQ(0x1234u, found.routing);
  uint8_t name[256];
  GetPluginOutputName(name, 0x1234);
  EXPECT_EQ("Kars", std::string(reinterpret_cast<char*>(name + 1), name[0]));
  GetPluginOutputName(name, 0x4321);
  EXPECT_EQ(0, name[0]);
}

TEST_F(TableTest, OldFilesNameTheSongOfATrackDeviceByIndex) {
  MakeSong(0, 1);
  MakeSong(1, 1);
  MakeSong(2, 1);
  uint16_t idOf2 = SongHeaderView(reinterpret_cast<uint8_t*>(*GetSongHandleAt(2))).Id();
  ASSERT_EQ(noErr, CreateInstrumentTable(1, kDeviceKindMidiPort));
  for (uint16_t version : {uint16_t(1569), kFirstVersionWithDeviceSongIds}) {
    SCOPED_TRACE(version);
    ResetDeviceTable();
    Register(MakeRack("Kars"), -1);
    Register(MakeRack("Piano"), -1, 0);
    for (int32_t n = 0; n < 2; ++n) {
      PluginDeviceView d{GetPluginDeviceRecord(n)};
      d.SetSongId(0);
      d.SetRefCount(2);  // the slot index as older files kept it
    }
    FixTrackDeviceSongIds(version);
    PluginDeviceView track{GetPluginDeviceRecord(0)};
    EXPECT_EQ(version < kFirstVersionWithDeviceSongIds ? idOf2 : 0, track.SongId());
    EXPECT_EQ(0, track.RefCount());
    EXPECT_EQ(0, PluginDeviceView{GetPluginDeviceRecord(1)}.SongId()) << "not a track device";
  }
}

TEST_F(TableTest, TheClickDeviceFollowsTheSong) {
  MakeSong(0, 1);
  Register(MakeRack("Clickvox"), int32_t(kClickPluginDeviceId));
  SetClickDeviceSong(0);
  EXPECT_EQ(kNoDeviceSong, Device(kClickPluginDeviceId).SongId());
  SetClickDeviceSong(1);
  EXPECT_EQ(SongHeaderView(gCurrentSong).Id(), Device(kClickPluginDeviceId).SongId());
  EXPECT_EQ(0, CountSongTrackDevices(0)) << "the click is counted only when asked";
  EXPECT_EQ(1, CountSongTrackDevices(1));
}

// A device on a track of a child sequence plays that track's rack, not the rack of the track
// at the same index in the parent song.
TEST_F(TableTest, AChildSequenceDeviceResolvesToTheChildsTrack) {
  MakeSong(0, 3);
  Handle parentRack = GiveTrackRack(1, "Kars", 0);
  ASSERT_EQ(0, SetChildCount(1));
  ASSERT_EQ(noErr, PushSongContext());
  GetChildSequence(0);
  ASSERT_EQ(noErr, AddChildSequence(false, SongBlockSize(0)));
  SongHeaderView(gCurrentSong).SetId(SongHeaderView(*GetSongHandleAt(0)).Id());
  ASSERT_EQ(noErr, CreateSongTracks(2, 1));
  gCurrentChildIndex = 0;
  Handle childRack = GiveTrackRack(1, "Organ", 0);
  uint8_t* childTrack = gCurrentTrack;
  int32_t id = Register(childRack, -1);
  PopSongContext();
  PluginDeviceView d{FindPluginDeviceById(uint32_t(id), 0)};
  ASSERT_TRUE(d.p);
  EXPECT_EQ(0, d.ChildIndex());
  uint8_t* track = nullptr;
  Handle rack = GetDevicePluginChain(d.p, &track);
  EXPECT_EQ(childRack, rack);
  EXPECT_NE(parentRack, rack);
  EXPECT_EQ(childTrack, track);
  EXPECT_EQ(1, GetCurrentTrackIndex()) << "the caller's context is back";
}

TEST_F(TableTest, DisplayNamesAreBracketedWhenPendingOrOfAnotherSong) {
  MakeSong(0, 1);
  int32_t kars = Register(MakeRack("Kars"), -1);
  MakeSong(1, 1);
  auto shown = [](uint32_t kind, uint32_t id, int32_t bracket) {
    const uint8_t* s = GetDeviceDisplayName(kind, id, bracket);
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
  };
  EXPECT_EQ("Kars", shown(kPluginDeviceKind, uint32_t(kars), 0));
  EXPECT_EQ("[Kars]", shown(kPluginDeviceKind, uint32_t(kars), 1));
  EXPECT_EQ("", shown(kDeviceKindMidiPort, uint32_t(kars), 0));
  EXPECT_EQ("", shown(kPluginDeviceKind, 77, 0));
  SelectSongIndex(0);
  ClearDeviceLinksTo(GetDeviceInstanceId(FindPluginDeviceById(uint32_t(kars), 0)));
  EXPECT_EQ("[Kars]", shown(kPluginDeviceKind, uint32_t(kars), 0));
}

TEST_F(TableTest, AChannelIsAttachedByItsInstrumentEntryAndTempoReachesIt) {
  ASSERT_EQ(noErr, CreateInstrumentTable(3, kDeviceKindMidiPort));
  int32_t id = Register(MakeRack("Kars"), -1, 2);
  EngineChannel channel;
  channel.instrument = 2;
  PluginMidiState state;
  AttachChannelToDevice(&channel, &state);
  uint8_t* device = FindPluginDeviceById(uint32_t(id), 0);
  EXPECT_EQ(&state, GetDeviceMidiState(device));
  EXPECT_EQ(uint32_t(id), state.ownerId);
  EXPECT_EQ(0, state.clickChannel);

  int32_t savedTicks = gTicksPerQuarter;
  gTicksPerQuarter = 480;
  ApplyTempoToPluginChannels(1200);  // 120 beats a minute: half a second over 480 ticks
  EXPECT_DOUBLE_EQ(0.5 / 480.0, gTransportClock.secondsPerTick);
  ApplyTempoToPluginChannels(0);  // refused, not a division by zero
  EXPECT_DOUBLE_EQ(0.5 / 480.0, gTransportClock.secondsPerTick);

  // A tempo change of the transport while the engine plays: the channel's tempo word, its
  // MIDI state, the clock's seconds a tick and the channel's VST time record follow it.
  EngineChannel* savedList = gEngineChannels;
  uint16_t savedPlay = gAudioEnginePlayState;
  gEngineChannels = &channel;
  gAudioEnginePlayState = 1;
  ApplyTempo(1400);  // 140 beats a minute
  EXPECT_EQ(1400, channel.tempoWord);
  EXPECT_EQ(1400, state.tempo);
  EXPECT_DOUBLE_EQ(600.0 / (1400.0 * 480.0), state.secondsPerTick);
  EXPECT_DOUBLE_EQ(600.0 / (1400.0 * 480.0), gTransportClock.secondsPerTick);
  StorePluginRenderChannel(&channel);
  VstTimeInfo* info = FillInstanceTimeInfo(kVstTempoValid, GetDeviceInstance(uint32_t(id)));
  ASSERT_NE(nullptr, info);
  EXPECT_DOUBLE_EQ(140.0, info->tempo);
  ApplyTempo(60);  // below the tables: clamped to their first tempo
  EXPECT_EQ(kTempoTableFirst, channel.tempoWord);
  StorePluginRenderChannel(nullptr);
  gEngineChannels = savedList;
  gAudioEnginePlayState = savedPlay;
  gTicksPerQuarter = savedTicks;

  ClearDeviceMidiStates();
  EXPECT_EQ(nullptr, GetDeviceMidiState(device));
}

TEST_F(TableTest, LoadingTakesTheBlockAndTrustsNoLinkInIt) {
  struct Case {
    const char* what;
    uint16_t version;
    size_t bytes;
  } cases[] = {
      {"today's form", kFirstVersionWith80ByteDevices, 3 * 80},
      {"widened 64-byte records", 1616, 3 * 80},
      {"a record cut short", kFirstVersionWith80ByteDevices, 3 * 80 + 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetDeviceTable();
    Handle block = NewHandle(Size(c.bytes));
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(block));
    for (size_t i = 0; i < c.bytes; ++i) p[i] = uint8_t(i * 7 + 1);
    for (int32_t n = 0; n < 3; ++n) {
      PluginDeviceView d{p + n * 80};
      d.SetId(n == 2 ? kClickPluginDeviceId : uint32_t(n + 1));
      d.SetFlags(0);
    }
    std::string kept = Bytes(p, 3 * 80);
    SetDocumentSlot(kDeviceTableSlot, block);
    LoadDeviceTable(c.version);
    ASSERT_EQ(3, gPluginDeviceCount);
    EXPECT_EQ(3 * 80, GetHandleSize(GetPluginDeviceTable()));
    for (int32_t n = 0; n < 3; ++n) {
      std::string expected = kept.substr(size_t(n) * 80, 80);
      std::memset(&expected[64], 0, 16);
      if (c.version < kFirstVersionWith80ByteDevices) {
        std::memset(&expected[48], 0, 4);
        std::memset(&expected[56], 0, 4);
      }
      if (n == 2) expected[45] = char(kDevicePending);  // no click track rack
      EXPECT_EQ(expected, Bytes(GetPluginDeviceRecord(n), 80)) << "record " << n;
      EXPECT_EQ(0u, GetDeviceInstanceId(GetPluginDeviceRecord(n)));
      EXPECT_EQ(nullptr, GetDeviceMidiState(GetPluginDeviceRecord(n)));
    }
  }
}

TEST_F(TableTest, TheTableTravelsWithTheDocumentWithoutItsLinks) {
  ASSERT_EQ(noErr, CreateInstrumentTable(2, kDeviceKindMidiPort));
  MakeSong(0, 2);
  Register(MakeRack("Kars"), -1);
  Register(MakeRack("Piano"), 6, 1);
  EngineChannel channel;
  channel.instrument = 1;
  PluginMidiState state;
  AttachChannelToDevice(&channel, &state);
  std::string records = Bytes(GetPluginDeviceRecord(0), 2 * 80);
  ASSERT_EQ(noErr, Save("devices.bysq"));
  ClearDeviceMidiStates();

  ASSERT_EQ(noErr, Open("devices.bysq"));
  ASSERT_EQ(2, gPluginDeviceCount);
  std::string loaded = records;
  for (size_t n = 0; n < 2; ++n) loaded[n * 80 + 52] = loaded[n * 80 + 53] = 0;  // counts start over
  EXPECT_EQ(loaded, Bytes(GetPluginDeviceRecord(0), 2 * 80));
  EXPECT_EQ(0u, GetDeviceInstanceId(GetPluginDeviceRecord(0)));
  EXPECT_EQ("1:Kars 6:Piano", TableText());
  // The file's records carry no link either.
  std::string file = ReadFile("devices.bysq");
  size_t at = file.find(records.substr(0, 64));
  ASSERT_NE(std::string::npos, at);
  EXPECT_EQ(std::string(16, '\0'), file.substr(at + 64, 16));
}

TEST_F(TableTest, ResetEmptiesTheTableAndItsSlot) {
  Register(MakeRack("Kars"), -1);
  ResetDeviceTable();
  EXPECT_EQ(0, gPluginDeviceCount);
  EXPECT_FALSE(GetDocumentSlot(kDeviceTableSlot));
  EXPECT_EQ(nullptr, FindPluginDeviceById(1, 0));
  int calls = 0;
  ForEachLiveDevice(0, [](const LiveDevice*, void* n) { ++*static_cast<int*>(n); }, &calls);
  EXPECT_EQ(0, calls);
  EXPECT_EQ(1u, uint32_t([&] { int32_t id = -1; RegisterPluginDevice(MakeRack("A"), &id, -1); return id; }()));
}

TEST_F(TableTest, ClosingTheDocumentLeavesNoTableBehind) {
  MakeSong(0, 1);
  Register(MakeRack("Kars"), -1);
  CloseSongDocument();
  EXPECT_EQ(0, gPluginDeviceCount);
  EXPECT_EQ(nullptr, FindPluginDeviceById(1, 0));
  EXPECT_EQ(0, CountSongTrackDevices(1));
}

}  // namespace
}  // namespace device_test
