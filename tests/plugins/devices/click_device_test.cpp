// The click device (254) and the metronome's own track: the rebuild and an opened document
// make it live from the click track's rack, a change of the click's settings drops the click
// track's plug-in, the reset clears the clipboard's device references, and a bus that bypasses
// itself follows the tracks that play it on every rebuild.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "sequencer/clock/click_settings.h"
#include "sequencer/clock/click_track.h"
#include "song/documents/document_file.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/plugins/devices/device_fixture.h"

namespace device_test {
namespace {

class ClickDeviceTest : public DeviceTableTest {
 protected:
  void SetUp() override {
    DeviceTableTest::SetUp();
    std::memset(gClickTrack, 0, sizeof gClickTrack);
    gClickSettings = ClickSettings();
  }
  void TearDown() override {
    DropClickTrack();
    gClickSettings = ClickSettings();
    DeviceTableTest::TearDown();
  }
  // The click track goes without its plug-in (the fixture frees the instance records).
  static void DropClickTrack() {
    if (Handle rack = GetClickTrackRack()) {
      WriteU32BE(reinterpret_cast<uint8_t*>(HandleData(rack)) + kRackChainCell, 0);
      DisposeHandle(rack);
    }
    std::memset(gClickTrack, 0, sizeof gClickTrack);
  }
  Handle GiveClickTrackRack() {
    InitClickTrack();
    Handle rack = AttachedRack("Clickvox");
    WriteU32BE(gClickTrack + kTrackInsertRack, rack.id);
    return rack;
  }
};

TEST_F(ClickDeviceTest, TheRebuildRegistersTheClickTrackAsDevice254OfNoSong) {
  MakeSong(0, 2);
  GiveTrackRack(1, "Kars", 0);
  Handle rack = GiveClickTrackRack();
  RebuildDeviceTable();
  EXPECT_EQ("1:Kars 254:Clickvox", TableText());
  PluginDeviceView click = Device(kClickPluginDeviceId);
  EXPECT_EQ(kNoDeviceSong, click.SongId());
  EXPECT_FALSE(click.IsPending());
  EXPECT_EQ(RackHead(rack), GetDeviceInstanceId(click.p));
  EXPECT_EQ(kClickPluginDeviceId, GetClickTrackDevice());
  uint8_t* track = nullptr;
  EXPECT_EQ(rack, GetDevicePluginChain(click.p, &track));
  EXPECT_EQ(gClickTrack, track);
  // Without a click track rack nothing is made up.
  DropClickTrack();
  RebuildDeviceTable();
  EXPECT_EQ("1:Kars", TableText());
}

TEST_F(ClickDeviceTest, AnOpenedDocumentsClickDeviceIsLiveOnlyWithTheClickTrack) {
  struct Case {
    const char* what;
    bool clickRecord;
    bool clickRack;
    const char* table;
  } cases[] = {
      {"the document's click and the click track", true, true, "3:Kars 254:Clickvox"},
      {"the document's click without a click track", true, false, "3:Kars 254:[Old]"},
      {"no click in the document, a click track", false, true, "3:Kars 254:Clickvox"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetDeviceTable();
    DropClickTrack();
    if (c.clickRack) GiveClickTrackRack();
    int32_t count = c.clickRecord ? 2 : 1;
    Handle block = NewHandleClear(Size(count) * kPluginDeviceSize);
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(block));
    const uint8_t kars[] = "\x04Kars";
    const uint8_t old[] = "\x03Old";
    PluginDeviceView first{p};
    first.SetName(kars);
    first.SetId(3);
    first.SetKind(kPluginDeviceKind);
    first.SetBusIndex(-1);
    if (c.clickRecord) {
      PluginDeviceView click{p + kPluginDeviceSize};
      click.SetName(old);
      click.SetId(kClickPluginDeviceId);
      click.SetKind(kPluginDeviceKind);
      click.SetBusIndex(-1);
      click.SetFlags(kDevicePending);
    }
    SetDocumentSlot(kDeviceTableSlot, block);
    LoadDeviceTable(kFirstVersionWith80ByteDevices);
    EXPECT_EQ(c.table, TableText());
    if (c.clickRack) EXPECT_NE(0u, GetDeviceInstanceId(Device(kClickPluginDeviceId).p));
  }
}

TEST_F(ClickDeviceTest, AChangedClickDropsTheClickTracksPluginUnlessItStillMatches) {
  struct Case {
    const char* what;
    uint8_t kind;
    uint8_t device;
    int32_t flag;
    bool kept;
  } cases[] = {
      {"the settings still match", kDeviceKindPlugin, 254, 1, true},
      {"the click plays a MIDI port now", kDeviceKindMidiPort, 254, 1, false},
      {"the click plays another device", kDeviceKindPlugin, 12, 1, false},
      {"without the flag nothing is dropped", kDeviceKindMidiPort, 254, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DropClickTrack();
    GiveClickTrackRack();
    RebuildDeviceTable();
    gClickSettings.deviceKind = c.kind;
    gClickSettings.deviceId = c.device;
    RebuildForClickChange(c.flag);
    EXPECT_EQ(c.kept, bool(GetClickTrackRack()));
    EXPECT_EQ(c.kept, FindPluginDeviceById(kClickPluginDeviceId, 0) != nullptr);
  }
}

TEST_F(ClickDeviceTest, TheResetTakesTheClipboardsInstrumentsOffTheOldDevices) {
  Handle table = NewHandleClear(2 * kInstrumentSize);
  InstrumentView plugin(reinterpret_cast<uint8_t*>(HandleData(table)));
  plugin.SetDeviceKind(0, kDeviceKindPlugin);
  plugin.SetPort(0, 7);
  WriteU32BE(plugin.bytes() + kInstPluginDevice, 0x1234);
  InstrumentView port(reinterpret_cast<uint8_t*>(HandleData(table)) + kInstrumentSize);
  port.SetDeviceKind(0, kDeviceKindMidiPort);
  port.SetPort(0, 3);
  Handle record = NewHandleClear(100);
  reinterpret_cast<uint8_t*>(HandleData(record))[kClipboardKind] = kClipboardKindInstruments;
  WriteU32BE(reinterpret_cast<uint8_t*>(HandleData(record)) + kClipboardRackTable, table.id);
  Handle saved = gClipboard;
  gClipboard = record;
  ResetDeviceTable();
  gClipboard = saved;
  plugin = InstrumentView(reinterpret_cast<uint8_t*>(HandleData(table)));
  port = InstrumentView(reinterpret_cast<uint8_t*>(HandleData(table)) + kInstrumentSize);
  EXPECT_EQ(0, plugin.Port(0));
  EXPECT_EQ(0u, ReadU32BE(plugin.bytes() + kInstPluginDevice));
  EXPECT_EQ(3, port.Port(0)) << "a MIDI port is no plug-in device";
  DisposeHandle(record);
  DisposeHandle(table);
}

// The auto-bypass takes effect without anybody forcing it again: every rebuild (and Play)
// lets the bus follow the tracks that play it.
TEST_F(ClickDeviceTest, ABusThatBypassesItselfFollowsItsTracksOnEveryRebuild) {
  ASSERT_EQ(noErr, CreateInstrumentTable(1, kDeviceKindMidiPort));
  ASSERT_EQ(noErr, SetAuxBusCount(1, kDeviceKindAudio, 0, false));
  MakeSong(0, 2);
  GiveInstrumentRack(1, "Verb", 4);
  RebuildDeviceTable();
  uint32_t verb = GetDeviceInstanceId(FindDeviceByBusIndex(0));
  ASSERT_TRUE(GetPluginInstance(verb));
  EXPECT_EQ(0, GetPluginInstance(verb)->bypass) << "no auto-bypass bit yet";
  GetInstrumentRecord(1)[kInstFlags] |= 0x20;
  RebuildDeviceTable();
  verb = GetDeviceInstanceId(FindDeviceByBusIndex(0));
  EXPECT_EQ(1, GetPluginInstance(verb)->bypass);
  SetCurrentTrackIndex(1);
  gCurrentTrack[kTrackType] = kDeviceKindPlugin;
  gCurrentTrack[kTrackMidiOutput] = 4;
  UpdateAllBusBypass();
  EXPECT_EQ(0, GetPluginInstance(verb)->bypass);
}

}  // namespace
}  // namespace device_test
