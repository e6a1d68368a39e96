// The mixer's menus below the window (each choice handed in as an item number) and moving a
// plug-in inside its rack.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/engine/automation_records.h"
#include "mixer/menus/mixer_menus.h"
#include "mixer/menus/plugin_dialogs.h"
#include "mixer/menus/plugin_moves.h"
#include "mixer/window/mixer_header.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_settings.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/undo/undo_exchange.h"
#include "tests/mixer/mixer_menu_fixture.h"

namespace {

class MixerMenusTest : public MixerMenuTest {
 protected:
  // A rack record of its own with `count` plug-ins and kind-3 points naming each of them.
  Handle RackWithPoints(int32_t count) {
    Handle rack = NewHandleClear(kPluginRecordBytes);
    uint32_t head = 0;
    for (int32_t i = 0; i < count; ++i) {
      PluginInstance* p = NewPluginInstanceRecord();
      p->inputChannels = p->outputChannels = 2;
      plugins_.push_back(p->id);
      AppendToChain(&head, p);
    }
    SetRackChainHead(rack, head);
    Handle list = NewHandleClear((count + 1) * kAutomationRecordSize);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(HandleData(list));
    for (int32_t i = 0; i < count; ++i) {
      AutomationView point{bytes + i * kAutomationRecordSize};
      point.SetTime(uint32_t(100 * (i + 1)));
      point.SetKind(kAutomationParameter);
      point.SetPluginIndex(i);
    }
    AutomationView{bytes + count * kAutomationRecordSize}.SetTime(0xFFFFFFFF);
    SetRackAutomationList(rack, list);
    return rack;
  }
  // The instance ids of the rack's chain in order.
  static std::vector<uint32_t> Order(Handle rack) {
    std::vector<uint32_t> ids;
    uint32_t head = GetRackChainHead(rack);
    for (int32_t n = 0; n < CountChainPlugins(head); ++n) ids.push_back(GetChainPlugin(head, n)->id);
    return ids;
  }
  // For each point (in time order), the instance id its plug-in index names.
  static std::vector<uint32_t> PointTargets(Handle rack) {
    std::vector<uint32_t> ids;
    Handle list = GetRackAutomationList(rack);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(HandleData(list));
    for (int32_t at = 0; AutomationView{bytes + at}.Time() < kAutomationEndOfPoints; at += kAutomationRecordSize)
      ids.push_back(GetChainPlugin(GetRackChainHead(rack), AutomationView{bytes + at}.PluginIndex())->id);
    return ids;
  }
};

TEST_F(MixerMenusTest, TheSendMenuOffersANewBusOnlyBelowEight) {
  MenuRef menu = BuildSendTargetMenu(0, 1);
  ASSERT_EQ(4, CountMenuItems(menu)) << "device, two busses, a new bus";
  EXPECT_EQ("New Aux Buss", ItemText(menu, 4));
  DisposeMenu(menu);
  ASSERT_EQ(noErr, HandleSendTargetChoice(0, 1, 4));
  EXPECT_EQ(3, gAuxBusCount);
  EXPECT_EQ(3, GetSendBus(GetInstrumentRecord(gInstrumentCount), 1)) << "the new bus is the target";
  ASSERT_EQ(noErr, HandleSendTargetChoice(0, 1, 2));
  EXPECT_EQ(1, GetSendBus(GetInstrumentRecord(gInstrumentCount), 1));
  menu = BuildSendTargetMenu(0, 1);
  EXPECT_TRUE(Checked(menu, 2));
  DisposeMenu(menu);
  ASSERT_EQ(noErr, SetAuxBusCount(8, 0, 0, false));
  menu = BuildSendTargetMenu(0, 1);
  EXPECT_EQ(9, CountMenuItems(menu)) << "no new bus with eight";
  DisposeMenu(menu);
  EXPECT_EQ(paramErr, HandleSendTargetChoice(0, 1, 10));
}

TEST_F(MixerMenusTest, MovingAPluginKeepsEachPointOnItsPlugInAndUndoes) {
  SetCurrentTrackIndex(0);
  Handle rack = RackWithPoints(3);
  WriteU32BE(gCurrentTrack + kTrackInsertRack, rack.id);
  std::vector<uint32_t> before = Order(rack);
  ASSERT_EQ(before, PointTargets(rack));
  ASSERT_EQ(noErr, MoveRackPlugin(rack, 0, 2));
  EXPECT_EQ((std::vector<uint32_t>{before[1], before[2], before[0]}), Order(rack));
  EXPECT_EQ(before, PointTargets(rack)) << "each point still names its plug-in";
  ASSERT_EQ(noErr, MoveRackPlugin(rack, 2, 1));
  EXPECT_EQ((std::vector<uint32_t>{before[1], before[0], before[2]}), Order(rack));
  EXPECT_EQ(before, PointTargets(rack));
  ASSERT_EQ(noErr, UndoLastEdit());
  SelectSong(song_);
  SetCurrentTrackIndex(0);
  Handle undone(ReadU32BE(gCurrentTrack + kTrackInsertRack));
  EXPECT_EQ((std::vector<uint32_t>{before[1], before[2], before[0]}), Order(undone));
}

TEST_F(MixerMenusTest, ADropOnItsOwnRowOrOfAnotherRackChangesNothing) {
  Handle rack = RackWithPoints(2);
  std::vector<uint32_t> before = Order(rack);
  EXPECT_EQ(kDropNotAcceptedErr, MoveRackPlugin(rack, 1, 1));
  EXPECT_EQ(before, Order(rack));
  uint8_t flavor[kPluginDragFlavorBytes];
  FillPluginDragFlavor(flavor, rack, 1, 2);
  EXPECT_EQ(1, ReadPluginDragFlavor(flavor, kPluginDragFlavorBytes, rack));
  EXPECT_EQ(-1, ReadPluginDragFlavor(flavor, kPluginDragFlavorBytes - 1, rack)) << "not exactly 20 bytes";
  Handle other = RackWithPoints(2);
  EXPECT_EQ(-1, ReadPluginDragFlavor(flavor, kPluginDragFlavorBytes, other));
  WriteI32BE(flavor + 4, 5);
  EXPECT_EQ(-1, ReadPluginDragFlavor(flavor, kPluginDragFlavorBytes, rack)) << "a row the rack lacks";
}

TEST_F(MixerMenusTest, TheHeaderMenuMapsAnInputToATrackOrAnAuxBusOfItsOwn) {
  SetCurrentTrackIndex(0);
  Handle rack = RackWithPoints(1);
  WriteU32BE(gCurrentTrack + kTrackInsertRack, rack.id);
  MixerChannel channel{1, gCurrentTrack[kTrackNumber]};
  MixerHeaderMenus menus;
  BuildMixerHeaderMenus(&menus, channel, false);
  ASSERT_NE(nullptr, menus.menu);
  EXPECT_TRUE(Checked(menus.menu, kHeaderItemExpanded)) << "checked while collapsed";
  ASSERT_EQ(1, menus.pairCount);
  MenuRef pair = menus.inputMaps[0];
  ASSERT_EQ(4 + 3 + 2, CountMenuItems(pair)) << "none, -, second byte, -, three tracks, two busses";
  PluginInstance* first = GetChainPlugin(GetRackChainHead(rack), 0);
  uint8_t second = 0;
  EXPECT_FALSE(HandleMixerHeaderChoice(&menus, int16_t(kInputMapMenuId + 1), 6));
  EXPECT_EQ(2, AccessPluginChannelMap(0, first, 0, &second, 0)) << "the second track's number + 1";
  HandleMixerHeaderChoice(&menus, int16_t(kInputMapMenuId + 1), 9);
  EXPECT_EQ(0x80 | 2, AccessPluginChannelMap(0, first, 0, &second, 0)) << "the second bus, not a track";
  HandleMixerHeaderChoice(&menus, int16_t(kInputMapMenuId + 1), 3);
  AccessPluginChannelMap(0, first, 0, &second, 0);
  EXPECT_EQ(1, second);
  HandleMixerHeaderChoice(&menus, int16_t(kInputMapMenuId + 1), 1);
  EXPECT_EQ(0, AccessPluginChannelMap(0, first, 0, &second, 0));
  EXPECT_TRUE(HandleMixerHeaderChoice(&menus, kMixerHeaderMenuId, kHeaderItemExpanded));
  DisposeMixerHeaderMenus(&menus);
}

TEST_F(MixerMenusTest, AColourGoesToThePlugInAndItsCategory) {
  Handle rack = RackWithPoints(1);
  PluginInstance* plugin = GetChainPlugin(GetRackChainHead(rack), 0);
  MenuRef colours = nullptr;
  MenuRef menu = BuildPluginContextMenu(plugin, false, &colours);
  ASSERT_NE(nullptr, menu);
  EXPECT_FALSE(IsMenuItemEnabled(menu, kPluginCommandOptions)) << "collapsed";
  EXPECT_FALSE(IsMenuItemEnabled(menu, kPluginCommandDisplayOption)) << "the entry does not offer it";
  EXPECT_EQ(kPluginCommandInformation, HandlePluginContextChoice(plugin, kPluginContextMenuId, 4));
  EXPECT_EQ(0, HandlePluginContextChoice(plugin, kPluginColourMenuId, 3));
  EXPECT_EQ(3, plugin->colourIndex);
  PluginSettings settings;
  SavePluginSettings(plugin, &settings);
  EXPECT_EQ(3, GetSettingsColour(&settings));
  DisposeMenu(colours);
  DisposeMenu(menu);
}

TEST_F(MixerMenusTest, TheFilterBoxesRebuildTheMasks) {
  Handle rack = RackWithPoints(1);
  PluginInstance* plugin = GetChainPlugin(GetRackChainHead(rack), 0);
  MidiFilterChoice all = ReadMidiFilterChoice(plugin);
  for (bool on : all.kinds) ASSERT_TRUE(on) << "a new plug-in lets everything pass";
  EXPECT_FALSE(ApplyMidiFilterChoice(plugin, all));
  EXPECT_EQ(-1, plugin->midiKindMask);

  MidiFilterChoice notes = all;
  for (bool& on : notes.kinds) on = false;
  notes.kinds[0] = true;  // note-on also lets note-off pass
  notes.kinds[5] = true;  // pitch bend
  for (int c = 0; c < 16; ++c) notes.channels[c] = c == 0 || c == 9;
  EXPECT_FALSE(ApplyMidiFilterChoice(plugin, notes));
  EXPECT_EQ(0x4300, uint16_t(plugin->midiKindMask));
  EXPECT_EQ(0x0201, plugin->midiChannelMask);
  MidiFilterChoice back = ReadMidiFilterChoice(plugin);
  EXPECT_TRUE(back.kinds[0] && back.kinds[5] && !back.kinds[2]);

  MidiFilterChoice flagged = all;
  flagged.flag = true;
  EXPECT_TRUE(ApplyMidiFilterChoice(plugin, flagged)) << "the flag changed";
  EXPECT_NE(-1, plugin->midiKindMask) << "with the flag on not everything passes";
  EXPECT_FALSE(ApplyMidiFilterChoice(plugin, flagged));
  flagged.flag = false;
  plugin->controllerMask[3] = 0x0F;
  EXPECT_TRUE(ApplyMidiFilterChoice(plugin, flagged));
  EXPECT_NE(-1, plugin->midiKindMask) << "a filter byte that is not 255 keeps the mask";
}

TEST_F(MixerMenusTest, TheInformationShowsTheChainsLatencyAndTheId) {
  Handle rack = RackWithPoints(2);
  uint32_t head = GetRackChainHead(rack);
  GetChainPlugin(head, 0)->latency = 441;
  GetChainPlugin(head, 1)->latency = 441;
  GetChainPlugin(head, 1)->sampleRate = 44100.0f;
  PluginInfoTexts texts;
  ASSERT_TRUE(GetPluginInfoTexts(head, 1, &texts));
  EXPECT_EQ("882", Text(texts.latencySamples));
  EXPECT_EQ("20.0", Text(texts.latencyMilliseconds));
  EXPECT_FALSE(GetPluginInfoTexts(head, 2, &texts));
}

TEST_F(MixerMenusTest, TheTrackOutputMenuRoutesABusToTheDeviceOrAnInstrument) {
  SetCurrentTrackIndex(0);
  Handle rack = RackWithPoints(1);
  WriteU32BE(gCurrentTrack + kTrackInsertRack, rack.id);
  PluginInstance* first = GetChainPlugin(GetRackChainHead(rack), 0);
  first->outputChannels = 1;
  MenuRef menu = BuildTrackOutputMenu(0);
  int32_t newItem = kOutputItemFirstInstrument + gInstrumentCount;
  ASSERT_EQ(newItem + 2, CountMenuItems(menu)) << "device, instruments, new, -, output count";
  EXPECT_FALSE(IsMenuItemEnabled(menu, MenuItemIndex(newItem + 2))) << "one output channel";
  DisposeMenu(menu);
  ASSERT_EQ(noErr, HandleTrackOutputChoice(0, int16_t(kOutputItemFirstInstrument + 2)));
  uint8_t device = 0, second = 0, pair = 0;
  ASSERT_EQ(noErr, GetPluginOutputBusInfo(first, 0, &device, &second, &pair));
  EXPECT_EQ(3, second) << "instrument 2, counted from 1";
  menu = BuildTrackOutputMenu(0);
  EXPECT_TRUE(Checked(menu, MenuItemIndex(kOutputItemFirstInstrument + 2)));
  DisposeMenu(menu);
  EXPECT_EQ(userCanceledErr, HandleTrackOutputChoice(0, int16_t(newItem))) << "no instrument made";
  GetPluginOutputBusInfo(first, 0, &device, &second, &pair);
  EXPECT_EQ(3, second) << "a cancelled new instrument changes nothing";
  EXPECT_EQ(paramErr, HandleTrackOutputChoice(0, int16_t(newItem + 2))) << "the count needs two channels";
  ASSERT_EQ(noErr, HandleTrackOutputChoice(0, kOutputItemDevice));
  GetPluginOutputBusInfo(first, 0, &device, &second, &pair);
  EXPECT_EQ(0, second);
}

TEST_F(MixerMenusTest, ClearingAPlugInsAutomationCutsOnlyItsPointsAndUndoes) {
  SetCurrentTrackIndex(0);
  Handle rack = RackWithPoints(3);
  WriteU32BE(gCurrentTrack + kTrackInsertRack, rack.id);
  std::vector<uint32_t> ids = Order(rack);
  EXPECT_EQ(paramErr, ClearRackPluginAutomation(rack, 3));
  ASSERT_EQ(noErr, ClearRackPluginAutomation(rack, 1));
  EXPECT_EQ((std::vector<uint32_t>{ids[0], ids[2]}), PointTargets(rack)) << "the end record stays";
  EXPECT_EQ(3 * kAutomationRecordSize, GetHandleSize(GetRackAutomationList(rack)));
  EXPECT_EQ(ids, Order(rack)) << "the chain is untouched";
  ASSERT_EQ(noErr, UndoLastEdit());
  SelectSong(song_);
  SetCurrentTrackIndex(0);
  Handle undone(ReadU32BE(gCurrentTrack + kTrackInsertRack));
  EXPECT_EQ(3u, PointTargets(undone).size()) << "the undo brings the points back";
}

TEST_F(MixerMenusTest, AnOutputLabelNamesTheTargetTheOutputMenuStored) {
  SetCurrentTrackIndex(0);
  Handle rack = RackWithPoints(1);
  WriteU32BE(gCurrentTrack + kTrackInsertRack, rack.id);
  PluginInstance* first = GetChainPlugin(GetRackChainHead(rack), 0);
  for (int32_t i = 0; i < 3; ++i) {
    uint8_t* name = GetInstrumentRecord(i) + kInstName;
    name[0] = 5;
    std::memcpy(name + 1, "Ins A", 5);
    name[5] = uint8_t('A' + i);
  }
  auto label = [&] {
    uint8_t device = 0, second = 0, pair = 0;
    GetPluginOutputBusInfo(first, 0, &device, &second, &pair);
    Str255 text;
    GetOutputBusLabel(device, second, text);
    return Text(text);
  };
  Str255 deviceName;
  GetIndString(deviceName, 139, 1);
  ASSERT_GT(deviceName[0], 0);
  ASSERT_EQ(noErr, HandleTrackOutputChoice(0, int16_t(kOutputItemFirstInstrument + 2)));
  EXPECT_EQ("Ins C", label()) << "instrument 2, not its neighbour";
  ASSERT_EQ(noErr, HandleTrackOutputChoice(0, kOutputItemDevice));
  EXPECT_EQ(Text(deviceName), label()) << "the device output, not instrument 0";
  Str255 gone;
  GetOutputBusLabel(19, uint8_t(gInstrumentCount + gAuxBusCount + 2), gone);
  EXPECT_EQ("--", Text(gone));
}

}  // namespace
